#!/usr/bin/env python3
"""Writes examples/draped_road.json: the hill of contours_only.json with a road
and a building footprint draped over the built terrain by the conform modifier,
each with a material (the road's edge lines and the roof's eaves shaded by the
edge-gradient map).

The road is a ribbon of triangles along a gentle S-curve, 6 m wide, cut into
2 m pieces so that it can follow the relief; the footprint is a 24 x 16 m
rectangle in 2 m cells. Both are given flat at z = 0: the modifier gives every
vertex the height of the surface below it.

Run from the repository root: python3 examples/make_draped_road.py
"""
import json
import math
import pathlib

HERE = pathlib.Path(__file__).resolve().parent


def road(width=6.0, step=2.0):
    # Centre line from the south-west to the north-east across the hill's flank.
    def centre(t):
        x = -80.0 + 160.0 * t
        y = -60.0 + 110.0 * t + 25.0 * math.sin(2.0 * math.pi * t)
        return x, y

    length = 0.0
    prev = centre(0.0)
    samples = 2000
    for i in range(1, samples + 1):
        p = centre(i / samples)
        length += math.dist(p, prev)
        prev = p
    pieces = max(1, round(length / step))
    verts, faces = [], []
    for i in range(pieces + 1):
        t = i / pieces
        x, y = centre(t)
        x2, y2 = centre(min(1.0, t + 1e-4))
        x1, y1 = centre(max(0.0, t - 1e-4))
        dx, dy = x2 - x1, y2 - y1
        n = math.hypot(dx, dy)
        ox, oy = -dy / n * width / 2, dx / n * width / 2
        verts += [[round(x + ox, 3), round(y + oy, 3), 0], [round(x - ox, 3), round(y - oy, 3), 0]]
        if i:
            a, b, c, d = 2 * i - 2, 2 * i - 1, 2 * i, 2 * i + 1
            faces += [[a, b, d], [a, d, c]]
    return verts, faces


def footprint(sx=24.0, sy=16.0, cell=2.0):
    nx, ny = round(sx / cell), round(sy / cell)
    verts = [[round(-sx / 2 + i * cell, 3), round(-sy / 2 + j * cell, 3), 0]
             for j in range(ny + 1) for i in range(nx + 1)]
    faces = []
    for j in range(ny):
        for i in range(nx):
            a = j * (nx + 1) + i
            faces += [[a, a + 1, a + nx + 2], [a, a + nx + 2, a + nx + 1]]
    return verts, faces


def main():
    base = json.loads((HERE / "contours_only.json").read_text())
    scene = {
        "description": "The hill of contours_only.json with a road and a building footprint "
                       "draped over the built terrain. Made by examples/make_draped_road.py.",
        "nodes": list(base["nodes"]),
    }
    rv, rf = road()
    fv, ff = footprint()
    scene["nodes"] += [
        {"name": "Road", "wire_color": "#404040",
         "object": {"type": "mesh", "vertices": rv, "faces": rf}},
        {"name": "Building", "wire_color": "#B03020",
         "transform": {"position": [-30, 35, 0], "rotation": [0, 0, 20]},
         "object": {"type": "mesh", "vertices": fv, "faces": ff}},
    ]
    for node in scene["nodes"]:
        if node["name"] == "Terrain":
            node["material"] = "Ground"
    scene["nodes"][-2]["material"] = "Asphalt"
    scene["nodes"][-1]["material"] = "Roof"
    # Edge lines along the road's open borders; the roof darker towards its eaves.
    scene["materials"] = [
        {"name": "Ground", "diffuse": "#5A8A3C"},
        {"name": "Asphalt", "diffuse": "#333333",
         "diffuse_map": {"type": "GradientEdge",
                         "parameters": {"Distance": 1.2, "open edges": True},
                         "markers": [{"position": 0, "color": "#F0F0F0"},
                                     {"position": 0.3, "color": "#F0F0F0", "out": "solid"},
                                     {"position": 1, "color": "#333333"}]}},
        {"name": "Roof", "diffuse": "#A04030",
         "diffuse_map": {"type": "GradientEdge",
                         "parameters": {"Distance": 3, "open edges": True},
                         "markers": [{"position": 0, "color": "#502018"},
                                     {"position": 1, "color": "#C05038"}]}},
    ]
    scene["modifiers"] = [{"type": "Terravel", "target": "Terrain", "nodes": ["Road", "Building"]}]
    (HERE / "draped_road.json").write_text(json.dumps(scene, indent=1) + "\n")


if __name__ == "__main__":
    main()
