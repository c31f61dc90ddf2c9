#include "host/app/gdal_module.h"

#include <dlfcn.h>

#include <mutex>
#include <stdexcept>

#include "host/app/program_folder.h"

namespace contorra {

const GdalModule& Gdal() {
    static std::once_flag once;
    static const GdalModule* module = nullptr;
    static std::string error;
    std::call_once(once, [] {
        const std::string path = (ProgramFolder() / kGdalModuleFile).string();
        void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            const char* why = dlerror();
            error = "cannot open the GIS module " + path + (why ? std::string(" (") + why + ")" : "");
            return;
        }
        auto entry = reinterpret_cast<GdalModuleEntry>(dlsym(handle, kGdalModuleEntry));
        module = entry ? entry() : nullptr;
        if (!module) error = path + " is not the GIS module: it has no " + kGdalModuleEntry;
    });
    if (!module) throw std::runtime_error(error);
    return *module;
}

} // namespace contorra
