#include "host/app/gdal_module.h"

#include <dlfcn.h>

#include <filesystem>
#include <mutex>
#include <stdexcept>

namespace contorra {

const GdalModule& Gdal() {
    static std::once_flag once;
    static const GdalModule* module = nullptr;
    static std::string error;
    std::call_once(once, [] {
        std::error_code ec;
        const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
        const std::string path =
            ((ec ? std::filesystem::current_path() : exe.parent_path()) / kGdalModuleFile).string();
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
