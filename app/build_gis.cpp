#include "app/build_gis.h"

#include <algorithm>
#include <iostream>

#include "host/app/height_grid_export.h"
#include "host/sdk/inode.h"

using namespace contorra;

void AddGisOptions(CLI::App& sub, BuildOptions& o) {
    sub.add_option("--contours", o.contours,
                   "build a terrain with default parameters straight over the lines and "
                   "polygons of a GIS vector file (GeoPackage, Shapefile, GeoJSON, DXF, KML...), "
                   "instead of a SCENE");
    sub.add_option("--elevation", o.elevation,
                   "with --contours: the attribute holding each feature's height (default: the "
                   "geometry's z)");
    sub.add_option("--layer", o.layer, "with --contours: the layer to read (default: the first)");
    sub.add_option("--dem", o.dem,
                   "a height grid of the terrain: .tif, .asc, .xyz or any GDAL raster format "
                   "by extension, in world coordinates with the input's coordinate system");
    sub.add_option("--cell", o.cell, "with --dem: the cell size (default: the longer side / 512)")
        ->check(CLI::PositiveNumber);
}

bool CheckGisOptions(const BuildOptions& o, std::string& error) {
    if (o.scene.empty() == o.contours.empty()) {
        error = o.scene.empty() ? "give a SCENE or --contours FILE"
                                : "give either a SCENE or --contours, not both";
        return false;
    }
    if (o.contours.empty() && (!o.elevation.empty() || !o.layer.empty())) {
        error = "--elevation and --layer go with --contours";
        return false;
    }
    if (o.dem.empty() && o.cell > 0) {
        error = "--cell goes with --dem";
        return false;
    }
    if (!o.dem.empty() && RasterDriverFor(o.dem).empty()) {
        error = o.dem + ": unknown height grid format (use .tif, .asc, .xyz or another extension "
                        "a GDAL raster driver writes)";
        return false;
    }
    return true;
}

GisSource GisSourceOf(const BuildOptions& o) {
    return {o.contours, o.layer, o.elevation};
}

Mesh WithOrigin(const Mesh& local, const SceneOrigin& origin) {
    Mesh world = local;
    if (origin.IsZero()) return world;
    for (Point3& p : world.verts)
        p = Point3(static_cast<float>(double(p.x) + origin.x),
                   static_cast<float>(double(p.y) + origin.y),
                   static_cast<float>(double(p.z) + origin.z));
    return world;
}

void WriteDem(const BuildOptions& o, Scene& scene, const ClassRegistry& registry, INode* terrain,
              const Mesh& local, const std::string& crsWkt) {
    HeightGridRequest request;
    request.cell = o.cell;
    request.crsWkt = crsWkt;
    request.origin = scene.origin;
    const HeightRaster raster =
        SampleHeightGrid(local, ConformSampler(scene, registry, terrain), request);
    WriteHeightGrid(raster, crsWkt, o.dem);
}

void WarnIfShort(const JsonScene& json, Scene& scene, INode* terrain, const Mesh& mesh) {
    WorldBox contours;
    for (const JsonNode& n : json.nodes) {
        const auto* t = std::get_if<JsonTerrain>(&n.object);
        if (!t || n.name != terrain->GetName()) continue;
        for (const JsonListEntry& e : t->lists[kSplines]) {
            INode* node = scene.FindByName(e.node);
            auto it = std::find_if(json.nodes.begin(), json.nodes.end(),
                                   [&](const JsonNode& s) { return s.name == e.node; });
            const auto* spline =
                it == json.nodes.end() ? nullptr : std::get_if<JsonSpline>(&it->object);
            if (!node || !spline) continue;
            const Matrix3 tm = node->GetObjectTM(0);
            for (const JsonSplineLine& l : spline->lines)
                for (const Point3& p : l.points) {
                    const Point3 w = p * tm;
                    contours.Add(w.x, w.y);
                }
        }
    }
    if (contours.Empty()) return;
    const Matrix3 tm = terrain->GetObjectTM(0);
    WorldBox built;
    for (const Point3& p : mesh.verts) {
        const Point3 w = p * tm;
        built.Add(w.x, w.y);
    }
    const double cw = contours.maxX - contours.minX, ch = contours.maxY - contours.minY;
    const double bw = built.maxX - built.minX, bh = built.maxY - built.minY;
    if (bw >= 0.9 * cw && bh >= 0.9 * ch) return;
    std::cerr << "contorra build: warning: the terrain covers "
              << int(100 * bw / std::max(cw, 1e-30)) << "% by "
              << int(100 * bh / std::max(ch, 1e-30))
              << "% of its contours' extent: the mesher stopped where new vertices no longer "
                 "moved (coordinates too far from the scene origin for float precision?)\n";
}
