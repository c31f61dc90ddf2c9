#pragma once
// The GIS side of contorra build: contours straight from a vector file,
// height grids out, the scene origin added back on export.
#include <string>

#include "app/commands.h"
#include "host/app/gis_input.h"
#include "host/app/scene.h"
#include "host/sdk/mesh.h"

struct BuildOptions {
    std::string scene, mesh, save, preview, maxMemory;
    std::string contours, elevation, layer; // a terrain straight over a GIS file
    std::string dem;                        // height grid out
    double cell = 0.0;
    int threads = 0;         // 0: the cores the process may use
    bool quiet = false;
    bool wholeScene = false; // -o gets every node as evaluated
    bool previewContours = false; // the input contours over the preview
};

void AddGisOptions(CLI::App& sub, BuildOptions& o);
// Exactly one input; GIS options only with --contours; a known raster
// extension. False with error when not.
bool CheckGisOptions(const BuildOptions& o, std::string& error);
contorra::GisSource GisSourceOf(const BuildOptions& o);

// The mesh with the origin added back, in double, then rounded to the
// float the mesh formats hold.
Mesh WithOrigin(const Mesh& local, const contorra::SceneOrigin& origin);

// Samples the built terrain (local: its mesh in world space, relative to the
// origin) through the plug-in's height lookup and writes o.dem. Throws
// std::runtime_error naming the file.
void WriteDem(const BuildOptions& o, Scene& scene, const ClassRegistry& registry, INode* terrain,
              const Mesh& local, const std::string& crsWkt);

// Warns on stderr when the mesh covers clearly less than its contours: the
// mesher stopped early.
void WarnIfShort(const contorra::JsonScene& json, Scene& scene, INode* terrain, const Mesh& mesh);
