#pragma once
// Where the running program lives: modules it loads (the plug-in, the GIS
// module) are looked for beside it.
#include <filesystem>

namespace contorra {

// The running program's folder, or the working folder when it cannot be known.
std::filesystem::path ProgramFolder();

} // namespace contorra
