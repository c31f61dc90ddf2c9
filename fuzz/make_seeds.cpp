// Writes seed inputs for the fuzz targets that cannot take a file as it is:
//   fuzz_make_seeds OUT SCENE.cscene...
// For each saved scene, its meshes made small: the scene (scene_file/), the
// scene without its checksum chunk (scene_body/),
// and every object's data chunk behind the byte that picks its loader
// (chunk_loaders/), plus a fresh object of every class saved the same way.
// A small mesh exported to every format the importer takes, behind the byte
// that picks the format (mesh_import/).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "fuzz/loader_list.h"
#include "host/app/chunk_io.h"
#include "host/app/core_interface.h"
#include "host/app/input_file.h"
#include "host/app/mesh_export.h"
#include "host/app/scene_file.h"

namespace fs = std::filesystem;

namespace {

void Write(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::cerr << "fuzz_make_seeds: cannot write " << path << "\n";
        std::exit(1);
    }
}

// The index of the loader for an object, or -1.
int LoaderOf(const std::vector<fuzzing::Loader>& loaders, ReferenceTarget* obj) {
    auto* pb = dynamic_cast<IParamBlock2*>(obj);
    for (std::size_t i = 0; i < loaders.size(); ++i) {
        const fuzzing::Loader& l = loaders[i];
        if (pb ? l.block == pb->GetDesc()
               : !l.block && l.cd->SuperClassID() == obj->SuperClassID() &&
                     l.cd->ClassID() == obj->ClassID())
            return static_cast<int>(i);
    }
    return -1;
}

// The loader byte and the object's data as the scene reader hands it to Load.
std::vector<std::uint8_t> LoaderSeed(int loader, ReferenceTarget* obj) {
    MemorySave out;
    out.BeginChunk(0x0312);
    obj->Save(&out);
    out.EndChunk();
    std::vector<std::uint8_t> seed{static_cast<std::uint8_t>(loader)};
    seed.insert(seed.end(), out.Bytes().begin() + 6, out.Bytes().end());
    return seed;
}

void ObjectsOf(ReferenceTarget* obj, std::vector<ReferenceTarget*>& seen) {
    if (!obj) return;
    for (ReferenceTarget* s : seen)
        if (s == obj) return;
    seen.push_back(obj);
    for (int i = 0; i < obj->NumRefs(); ++i) ObjectsOf(obj->GetReference(i), seen);
}

// A chunk tree, to rewrite saved scenes.
struct Chunk {
    unsigned id = 0;
    bool container = false;
    std::vector<std::uint8_t> data;
    std::vector<Chunk> children;
};

std::vector<Chunk> Parse(const std::uint8_t* p, std::size_t size) {
    std::vector<Chunk> out;
    for (std::size_t at = 0; at + 6 <= size;) {
        Chunk c;
        c.id = p[at] | (p[at + 1] << 8);
        std::uint32_t word = 0;
        for (int i = 0; i < 4; ++i) word |= static_cast<std::uint32_t>(p[at + 2 + i]) << (8 * i);
        c.container = (word & 0x80000000u) != 0;
        const std::size_t len = word & 0x7FFFFFFFu;
        if (len < 6 || at + len > size) break;
        if (c.container)
            c.children = Parse(p + at + 6, len - 6);
        else
            c.data.assign(p + at + 6, p + at + len);
        out.push_back(std::move(c));
        at += len;
    }
    return out;
}

void Emit(const std::vector<Chunk>& chunks, std::vector<std::uint8_t>& out) {
    for (const Chunk& c : chunks) {
        const std::size_t start = out.size();
        out.insert(out.end(), 6, 0);
        if (c.container)
            Emit(c.children, out);
        else
            out.insert(out.end(), c.data.begin(), c.data.end());
        const std::uint32_t word =
            static_cast<std::uint32_t>(out.size() - start) | (c.container ? 0x80000000u : 0u);
        out[start] = static_cast<std::uint8_t>(c.id);
        out[start + 1] = static_cast<std::uint8_t>(c.id >> 8);
        for (int i = 0; i < 4; ++i) out[start + 2 + i] = static_cast<std::uint8_t>(word >> (8 * i));
    }
}

Mesh SmallMesh() {
    Mesh mesh;
    mesh.setNumVerts(4);
    mesh.setVert(0, 0, 0, 0);
    mesh.setVert(1, 1, 0, 0);
    mesh.setVert(2, 1, 1, 0.5f);
    mesh.setVert(3, 0, 1, 0);
    mesh.setNumFaces(2);
    mesh.faces[0].setVerts(0, 1, 2);
    mesh.faces[1].setVerts(0, 2, 3);
    mesh.faces[1].setMatID(2);
    return mesh;
}

// Every stored mesh (a container whose chunks start with the mesh header and
// hold vertices) replaced by a small one with map channels, so that a seed
// scene loads in well under a millisecond.
void ShrinkMeshes(std::vector<Chunk>& chunks, const std::vector<Chunk>& small) {
    for (Chunk& c : chunks) {
        if (!c.container) continue;
        const bool mesh = !c.children.empty() && c.children[0].id == 0x0100 &&
                          std::any_of(c.children.begin(), c.children.end(),
                                      [](const Chunk& k) { return k.id == 0x0110; });
        if (mesh)
            c.children = small;
        else
            ShrinkMeshes(c.children, small);
    }
}

// The scene with small meshes and its checksum made again.
std::vector<std::uint8_t> ShrunkScene(const std::vector<std::uint8_t>& bytes) {
    Mesh small = SmallMesh();
    small.setMapSupport(0);
    small.setMapSupport(1);
    MemorySave saved;
    small.Save(&saved);
    const std::vector<Chunk> smallChunks = Parse(saved.Bytes().data(), saved.Bytes().size());
    std::vector<Chunk> top = Parse(bytes.data(), bytes.size() - 10);
    ShrinkMeshes(top, smallChunks);
    std::vector<std::uint8_t> out;
    Emit(top, out);
    AppendChecksum(out);
    return out;
}

void MeshSeeds(const fs::path& out) {
    const Mesh mesh = SmallMesh();
    // The same order as the mesh target's extension list.
    const contorra::MeshFormat formats[] = {contorra::MeshFormat::Obj, contorra::MeshFormat::Ply,
                                            contorra::MeshFormat::Stl, contorra::MeshFormat::Gltf,
                                            contorra::MeshFormat::Glb, contorra::MeshFormat::Fbx};
    const fs::path tmp = fs::temp_directory_path() / "contorra-seed-mesh";
    fs::create_directories(tmp);
    for (std::size_t i = 0; i < std::size(formats); ++i) {
        const std::string ext = contorra::FormatInfo(formats[i]).extension;
        const fs::path file = tmp / ("square." + ext);
        contorra::ExportMesh(mesh, file, "square");
        std::vector<std::uint8_t> bytes;
        std::string why;
        if (!contorra::ReadInputFile(file.string(), bytes, why)) continue;
        // glTF keeps its buffers beside the file; the seed holds the text only.
        bytes.insert(bytes.begin(), static_cast<std::uint8_t>(i));
        Write(out / "mesh_import" / ("square-" + ext), bytes);
    }
    fs::remove_all(tmp);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: fuzz_make_seeds OUT [SCENE.cscene...]\n";
        return 2;
    }
    const fs::path out = argv[1];
    const ClassRegistry& registry = fuzzing::Registry();
    const std::vector<fuzzing::Loader> loaders = fuzzing::Loaders(registry);
    Scene fresh;
    CoreInterface freshCore(fresh, ProgressStyle::Quiet, fuzzing::Discard());
    for (std::size_t i = 0; i < loaders.size(); ++i)
        if (ReferenceTarget* obj = fuzzing::Make(loaders[i])) {
            Write(out / "chunk_loaders" / ("fresh-" + std::to_string(i)),
                  LoaderSeed(static_cast<int>(i), obj));
            obj->DeleteThis();
        }
    for (int a = 2; a < argc; ++a) {
        const fs::path file = argv[a];
        std::vector<std::uint8_t> bytes;
        std::string error;
        if (!contorra::ReadInputFile(file.string(), bytes, error) || bytes.size() < 10) {
            std::cerr << "fuzz_make_seeds: " << file << ": " << error << "\n";
            return 1;
        }
        bytes = ShrunkScene(bytes);
        Write(out / "scene_file" / file.filename(), bytes);
        Write(out / "scene_body" / file.stem(),
              std::vector<std::uint8_t>(bytes.begin(), bytes.end() - 10));
        Scene scene;
        CoreInterface core(scene, ProgressStyle::Quiet, fuzzing::Discard());
        if (!LoadSceneBytes(scene, registry, bytes, file.string(), error)) {
            std::cerr << "fuzz_make_seeds: " << error << "\n";
            return 1;
        }
        std::vector<ReferenceTarget*> objects;
        for (INode* n : scene.Nodes()) ObjectsOf(n, objects);
        int k = 0;
        for (ReferenceTarget* obj : objects)
            if (int l = LoaderOf(loaders, obj); l >= 0)
                Write(out / "chunk_loaders" / (file.stem().string() + "-" + std::to_string(k++)),
                      LoaderSeed(l, obj));
    }
    MeshSeeds(out);
    return 0;
}
