#pragma once
// The host's renderer: scene nodes drawn through a camera, each pixel shaded
// with its node's material (diffuse map, bump map, diffuse light), the image
// split into tiles that several threads shade at once.
#include <optional>
#include <vector>

#include "host/app/software_raster.h"
#include "host/sdk/base_types.h"

class INode;

namespace contorra {

struct RenderSettings {
    int width = 640;
    int height = 480;
    int threads = 1;
    int tileSize = 32;
    TimeValue time = 0;
    // Without one, DefaultRenderCamera of the scene's box.
    std::optional<RasterCamera> camera;
    AColor background{0.12f, 0.13f, 0.15f, 1.0f};
};

// The whole box seen from above at an angle, in perspective.
RasterCamera DefaultRenderCamera(const Box3& worldBox, int width, int height);

// World-space box of the nodes' evaluated meshes at t.
Box3 SceneBox(const std::vector<INode*>& nodes, TimeValue t);

// Renders the nodes' meshes at settings.time. Pixels do not depend on the
// number of threads.
RasterImage RenderNodes(const std::vector<INode*>& nodes, const RenderSettings& settings);

} // namespace contorra
