#!/usr/bin/env python3
"""Writes examples/edge_gradient_default.json: examples/edge_gradient.json with
the edge-gradient map's markers left out, so that the map starts from its
default ramp (black, grey, white). examples/ui/edge_gradient_ramp.json shapes
that ramp into edge_gradient.json's through the ramp control.

Run from the repository root: python3 examples/make_default_ramp.py
"""
import json
import pathlib
import re

HERE = pathlib.Path(__file__).resolve().parent

scene = json.loads((HERE / "edge_gradient.json").read_text())
scene["description"] = (
    "examples/edge_gradient.json with the edge-gradient map on its default ramp "
    "(written by examples/make_default_ramp.py).")
for material in scene["materials"]:
    material["diffuse_map"].pop("markers", None)

text = json.dumps(scene, indent=2)
# Lists of numbers on one line each.
text = re.sub(r"\[\s+([-0-9.e,\s]+?)\s+\]",
              lambda m: "[" + ", ".join(v.strip() for v in m.group(1).split(",")) + "]", text)
(HERE / "edge_gradient_default.json").write_text(text + "\n")
