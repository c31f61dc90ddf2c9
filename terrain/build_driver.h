#pragma once
// "Generate Surface": one build of a terrain object from its picked nodes.
class LandObject;

// Runs every stage and stores the mesh, the zone outlines and the height lookup
// in obj. A build that finds no contour leaves obj as it was.
void BuildTerrain(LandObject* obj);
