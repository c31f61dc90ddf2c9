#pragma once
// The outputs of one run, checked before any work: each must go to an
// existing folder, carry the extension of what is written into it, and be
// neither an input of the run nor another of its outputs. Files compare by
// identity (device and inode when they exist, so hard links and symlinks
// count), else by their normalised absolute path.
#include <string>
#include <vector>

#include "host/app/json_scene.h"

struct OutputFile {
    std::string path;                    // empty: not asked for
    std::string what;                    // "--save", "the mesh's material library", ...
    std::vector<std::string> extensions; // lower case with the dot; empty: any
};

struct InputFile {
    std::string path;
    std::string what; // "the scene", "the mesh of /nodes/2/object/file", ...
};

// True when every output passes; otherwise false with error naming the file
// and the problem.
bool CheckOutputFiles(const std::vector<OutputFile>& outputs, const std::vector<InputFile>& inputs,
                      std::string& error);

// The files a mesh's format writes beside it; nothing for "".
void AddMeshSidecars(std::vector<OutputFile>& outputs, const std::string& mesh);

// The files a JSON scene reads besides itself: the meshes its nodes name.
std::vector<InputFile> MeshFilesOf(const contorra::JsonScene& json);

// True when a and b are one file (either may not exist yet).
bool SameFile(const std::string& a, const std::string& b);
