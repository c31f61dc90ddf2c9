#pragma once
// Writing a host mesh to the common 3D file formats through assimp.
//
// What each format keeps:
//   obj   material IDs, one UV set, vertex colours (as "v x y z r g b");
//         written by obj_export.h, one "v" per mesh vertex
//   ply   one UV set, vertex colours (text form: the binary reader is unreliable)
//   stl   geometry only
//   gltf, glb, fbx   material IDs, up to eight UV sets, vertex colours
// Material ID n becomes a material named "MatID_n" (n one-based, as the user
// sees IDs). UV set k is the k-th used map channel from 1 upwards; map
// channel 0 gives the vertex colours. glTF and FBX are Y-up formats: their
// files get (x, z, -y) of the host's Z-up points; the others keep them.
// Vertices that share a position but not an index (a split outline) stay
// apart in every format but STL, which has no shared vertices at all.
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/sdk/mesh.h"

struct aiScene;

namespace contorra {

enum class MeshFormat { Obj, Ply, Stl, Gltf, Glb, Fbx };

// Which output vertices a format's writer joins within one mesh.
enum class JoinRule {
    None,
    // Those equal in position, normal and first UV set: differences in the
    // other sets, and vertices split apart at equal normals, would be lost.
    PositionNormalUv,
    // Those equal in position.
    Position,
};

struct MeshFormatInfo {
    MeshFormat format;
    const char* extension; // lower case, without the dot
    const char* assimpId;
    int uvSets;
    bool colours;
    bool materials;
    bool yUp;
    // Output meshes are cut so that the writer's joining changes nothing.
    JoinRule join;
};

// The format of a file name by its extension (any case), if it is one of ours.
std::optional<MeshFormat> MeshFormatOf(const std::filesystem::path& path);
const MeshFormatInfo& FormatInfo(MeshFormat format);
// "obj, ply, stl, gltf, glb, fbx", for messages.
const char* MeshFormatList();

// The files the format writes beside the mesh itself: OBJ its material
// library (NAME.mtl), glTF its buffer (NAME.bin).
std::vector<std::filesystem::path> MeshSidecars(const std::filesystem::path& path);

// The assimp scene of a mesh as it is written in the given format.
std::unique_ptr<aiScene> MeshToScene(const Mesh& mesh, MeshFormat format, const std::string& name);

// Writes the mesh atomically (sidecars such as .mtl and .bin included). The
// format comes from the extension. Throws std::runtime_error naming the file.
void ExportMesh(const Mesh& mesh, const std::filesystem::path& path, const std::string& name);

} // namespace contorra
