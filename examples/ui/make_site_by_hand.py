#!/usr/bin/env python3
"""Writes what building the full site by hand needs:

- examples/ui/full_site_empty.json: examples/full_site.json with the
  terrain's lists and settings left out (the splines, the pad and every other
  node as they are);
- examples/ui/full_site_by_hand.json: the input script that picks the
  contours, the pad, the inserts and the road axis in the top view, sets the
  values full_site.json gives through the rollouts' spinners, radio buttons
  and check box, and presses "Generate Surface".

Run from the repository root: python3 examples/ui/make_site_by_hand.py
"""
import json
import pathlib

HERE = pathlib.Path(__file__).resolve().parent
SITE = json.loads((HERE.parent / "full_site.json").read_text())

# Where each node is picked: the top view, but for a node that contour lines
# cover there wherever it could be clicked.
VIEW = {"Terrace": "persp", "Road axis": "persp"}


# A list row's centre, from the list's top left corner (rows of 15 pixels,
# platform rows of 30).
def row(i, height=15):
    return [40, 2 + i * height + height // 2]


def main():
    terrain_node = next(n for n in SITE["nodes"] if n["object"]["type"] == "terrain")
    terrain = terrain_node["object"]
    empty = json.loads(json.dumps(SITE))
    empty["description"] = ("The nodes of full_site.json with an empty terrain, to be "
                            "built by hand with examples/ui/full_site_by_hand.json.")
    for n in empty["nodes"]:
        if n["name"] == terrain_node["name"]:
            n["object"] = {"type": "terrain"}
    (HERE / "full_site_empty.json").write_text(json.dumps(empty, indent=1) + "\n")

    steps = [{"do": "select", "node": terrain_node["name"]}]

    def add(rollout, caption, nodes):
        steps.append({"do": "click", "control": caption, "rollout": rollout})
        for name in nodes:
            steps.append({"do": "pick", "view": VIEW.get(name, "top"), "node": name})
        steps.append({"do": "click", "control": caption, "rollout": rollout})

    def typed(rollout, control, value):
        steps.append({"do": "type", "control": control, "rollout": rollout, "text": str(value),
                      "enter": True})

    add("Splines", "Add Object", terrain["splines"])
    steps.append({"do": "close", "rollout": "Splines"})

    add("Platforms", "Add Object", [p["node"] for p in terrain["platforms"]])
    platform_values = [("Slope_Up", 1115), ("Slope_Down", 1117), ("Platform_ID", 1119),
                       ("SlopeUp_ID", 1121), ("SlopeDown_ID", 1123)]
    for i, p in enumerate(terrain["platforms"]):
        steps.append({"do": "click", "control": 1179, "rollout": "Platforms", "at": row(i, 30)})
        for key, edit in platform_values:
            if key in p:
                typed("Platforms", edit, p[key])
    steps.append({"do": "close", "rollout": "Platforms"})

    add("Insert", "Add", [i["node"] for i in terrain["inserts"]])
    radio = {0: "Do not change", 1: "Set ID", 2: "Hole"}
    for i, entry in enumerate(terrain["inserts"]):
        steps.append({"do": "click", "control": 1179, "rollout": "Insert", "at": row(i)})
        steps.append({"do": "click", "control": radio[entry.get("Insert_type", 0)],
                      "rollout": "Insert"})
        if "Insert_ID" in entry:
            typed("Insert", 1119, entry["Insert_ID"])
        if entry.get("Insert_split", 0):
            steps.append({"do": "click", "control": "Split", "rollout": "Insert"})
    steps.append({"do": "close", "rollout": "Insert"})

    add("UVWMap", "Add", [z["node"] for z in terrain["uvw_zones"]])
    zone_values = [("Map_ch", 1125), ("UVW_zone", 1137), ("UVW_width", 1127), ("UVW_angle", 1129)]
    for i, z in enumerate(terrain["uvw_zones"]):
        steps.append({"do": "click", "control": 1179, "rollout": "UVWMap", "at": row(i)})
        for key, edit in zone_values:
            if key in z:
                typed("UVWMap", edit, z[key])
    steps.append({"do": "close", "rollout": "UVWMap"})

    for key, edit in [("Interations", 1088), ("Dummy_Size", 1090)]:
        if key in terrain.get("parameters", {}):
            typed("Parameters", edit, terrain["parameters"][key])
    steps.append({"do": "click", "control": "Generate Surface"})
    steps.append({"do": "shot", "of": "window", "file": "full_site_by_hand.png"})

    script = {"window": {"width": 1280, "height": 800}, "steps": steps}
    text = "{\n  \"window\": " + json.dumps(script["window"]) + ",\n  \"steps\": [\n"
    text += ",\n".join("    " + json.dumps(s) for s in steps) + "\n  ]\n}\n"
    (HERE / "full_site_by_hand.json").write_text(text)


if __name__ == "__main__":
    main()
