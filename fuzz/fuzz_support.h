#pragma once
// What the fuzz targets share: the plug-in loaded once per process, as
// contorra loads it, and a stream that swallows the host's progress.
#include <ostream>

#include "host/app/plugin_loader.h"

namespace fuzzing {

// The host's classes and contorra.dlo's: $CONTORRA_PLUGIN, else the module
// beside the running program. Ends the process when it cannot be loaded, as
// every input would then fail the same way.
const ClassRegistry& Registry();

std::ostream& Discard();

} // namespace fuzzing
