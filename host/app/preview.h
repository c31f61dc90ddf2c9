#pragma once
// The top-view preview of a mesh: hill-shaded, the ground (material ID 1)
// tinted by elevation and other material IDs in their own colours, with its
// visible triangle edges drawn faintly and, on request, lines (the input
// contours) over it; north (world +y) up.
#include <filesystem>
#include <vector>

#include "host/app/software_raster.h"
#include "host/sdk/matrix.h"
#include "host/sdk/mesh.h"

namespace contorra {

struct PreviewOptions {
    int size = 1024; // pixels along the longer side of the mesh's extent
    bool edges = true;
    // Heights are exaggerated up to this factor so that gentle terrain still
    // shows its relief; 1 keeps true heights.
    float maxExaggeration = 8.0f;
    Rgba8 background{255, 255, 255, 255};
    // World-space polylines drawn over the surface.
    std::vector<std::vector<Point3>> overlay;
};

// objectToWorld places the mesh (the node's object transform).
RasterImage RenderPreview(const Mesh& mesh, const Matrix3& objectToWorld,
                          const PreviewOptions& options = {});

// Renders and writes the PNG atomically; throws std::runtime_error naming the file.
void WritePreview(const Mesh& mesh, const Matrix3& objectToWorld, const std::filesystem::path& path,
                  const PreviewOptions& options = {});

} // namespace contorra
