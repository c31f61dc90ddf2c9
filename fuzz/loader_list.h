#pragma once
// The loaders the chunk-loader target picks from, in a fixed order (by super
// class, class ID and block), so a seed keeps its meaning between builds.
#include <string>
#include <vector>

#include "host/app/plugin_loader.h"

namespace fuzzing {

struct Loader {
    ClassDesc* cd = nullptr;
    ParamBlockDesc2* block = nullptr; // null: the class's own object
    std::string name;
};

std::vector<Loader> Loaders(const ClassRegistry& registry);
// A fresh object for the loader, as the scene reader makes one; null when
// the class makes none.
ReferenceTarget* Make(const Loader& loader);

} // namespace fuzzing
