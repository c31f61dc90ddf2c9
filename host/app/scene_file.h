#pragma once
// Saved scenes (.cscene): every node and everything it references, each
// object written as its class identity and its own Save, read back through
// its class descriptor's Create(loading) and its Load. The layout is in
// docs/scene-file-layout.md.
#include <cstdint>
#include <string>
#include <vector>

#include "host/app/plugin_loader.h"
#include "host/app/scene.h"

// The scene as bytes; false with error when an object cannot be written.
bool SaveSceneBytes(Scene& scene, std::vector<std::uint8_t>& bytes, std::string& error);
// Writes the file whole or not at all.
bool SaveSceneFile(Scene& scene, const std::string& path, std::string& error);

// Adds the saved nodes to the scene. On failure the scene is as it was and
// error names the file (name), the place and the problem.
bool LoadSceneBytes(Scene& scene, const ClassRegistry& registry, std::vector<std::uint8_t> bytes,
                    const std::string& name, std::string& error);
bool LoadSceneFile(Scene& scene, const ClassRegistry& registry, const std::string& path,
                   std::string& error);

// CRC-32 (the common polynomial 0xEDB88320) of the bytes.
std::uint32_t Crc32(const std::uint8_t* data, std::size_t size);

// Closes a scene's bytes with the checksum chunk the reader wants last.
void AppendChecksum(std::vector<std::uint8_t>& bytes);
