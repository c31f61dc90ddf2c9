#include "host/app/plugin_loader.h"

#include <dlfcn.h>

#include <cstdio>
#include <filesystem>
#include <mutex>

#include "host/app/builtin_classes.h"
#include "host/sdk/plugin_api.h"

namespace fs = std::filesystem;

namespace {

std::string Hex(ULONG v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(v));
    return buf;
}

std::string Describe(ClassDesc* cd) {
    return std::string(cd->ClassName() ? cd->ClassName() : "?") + " (super class " +
           Hex(cd->SuperClassID()) + ", class ID " + Hex(cd->ClassID().PartA()) + ", " +
           Hex(cd->ClassID().PartB()) + ")";
}

// Modules of live registries in load order.
struct LoadedModules {
    std::mutex mutex;
    std::vector<const PluginModule*> modules;
};
LoadedModules& Loaded() {
    static LoadedModules loaded;
    return loaded;
}

// The module's resources are there before its code runs, as on the platform
// it was written for: NAME.rc beside NAME.dlo. Without one the module loads,
// with a warning.
bool ReadResources(PluginModule& module, std::string& why) {
    fs::path rc = fs::path(module.path).replace_extension(".rc");
    if (!fs::exists(rc)) {
        module.resourceWarning = module.path + ": no resource script " + rc.string() +
                                 "; the plug-in's strings are missing";
        return true;
    }
    std::string rcError;
    auto script = ReadResourceScript(rc.string(), rcError);
    if (!script) {
        why = "bad resource script: " + rcError;
        return false;
    }
    module.resources = std::move(*script);
    module.resourcePath = rc.string();
    win32host::SetModuleStrings(module.instance, module.resources.strings);
    return true;
}

// Forgets and closes a module that was refused; answers null for the caller.
PluginModule* Fail(PluginModule& module, const std::string& why, std::string& error) {
    error = module.path + ": " + why;
    win32host::ForgetModule(module.instance);
    dlclose(module.handle);
    return nullptr;
}

} // namespace

bool ClassRegistry::Exports::Resolve(void* handle, std::string& why) {
    description = reinterpret_cast<LibDescriptionFn>(dlsym(handle, kLibDescriptionExport));
    numberClasses = reinterpret_cast<LibNumberClassesFn>(dlsym(handle, kLibNumberClassesExport));
    classDesc = reinterpret_cast<LibClassDescFn>(dlsym(handle, kLibClassDescExport));
    version = reinterpret_cast<LibVersionFn>(dlsym(handle, kLibVersionExport));
    entry = reinterpret_cast<DllMainFn>(dlsym(handle, kDllMainExport));
    for (auto [fn, name] :
         {std::pair<bool, const char*>{description != nullptr, kLibDescriptionExport},
          {numberClasses != nullptr, kLibNumberClassesExport},
          {classDesc != nullptr, kLibClassDescExport},
          {version != nullptr, kLibVersionExport}})
        if (!fn) {
            why = std::string("not a plug-in module: it does not export ") + name;
            return false;
        }
    return true;
}

std::string DescribeApiVersion(ULONG version) {
    return "release " + std::to_string(version >> 16) + ", interface " +
           std::to_string((version >> 8) & 0xff) + ", SDK revision " +
           std::to_string(version & 0xff);
}

ClassRegistry::ClassRegistry() {
    // Made before any registry is complete, the list outlives static registries.
    Loaded();
    auto host = std::make_unique<PluginModule>();
    host->path = "(host)";
    host->description = "the host's own classes";
    host->version = HOST_API_VERSION;
    std::string ignored;
    for (ClassDesc* cd : HostClassDescs()) {
        host->classes.push_back(cd);
        Add(cd, host.get(), ignored);
    }
    modules_.push_back(std::move(host));
}

const PluginModule* LoadedModule(HINSTANCE instance) {
    if (!instance) return nullptr;
    LoadedModules& loaded = Loaded();
    std::lock_guard lock(loaded.mutex);
    for (auto it = loaded.modules.rbegin(); it != loaded.modules.rend(); ++it)
        if ((*it)->instance == instance) return *it;
    return nullptr;
}

ClassRegistry::~ClassRegistry() {
    for (auto& m : modules_) {
        if (!m->handle) continue;
        {
            LoadedModules& loaded = Loaded();
            std::lock_guard lock(loaded.mutex);
            std::erase(loaded.modules, m.get());
        }
        if (auto entry = reinterpret_cast<DllMainFn>(dlsym(m->handle, kDllMainExport)))
            entry(m->instance, DLL_PROCESS_DETACH, nullptr);
        win32host::ForgetModule(m->instance);
    }
}

bool ClassRegistry::Add(ClassDesc* cd, PluginModule* owner, std::string& error) {
    if (ClassDesc* other = Find(cd->SuperClassID(), cd->ClassID())) {
        error = owner->path + ": class " + Describe(cd) + " is already registered by " +
                ModuleOf(other)->path;
        return false;
    }
    classes_.push_back({cd, owner});
    return true;
}

PluginModule* ClassRegistry::LoadModule(const std::string& path, std::string& error) {
    if (!fs::exists(path)) {
        error = path + ": no such plug-in file";
        return nullptr;
    }
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        error = path + ": cannot load the plug-in: " + (why ? why : "unknown reason");
        return nullptr;
    }
    auto module = std::make_unique<PluginModule>();
    module->path = path;
    module->handle = handle;
    module->instance = reinterpret_cast<HINSTANCE>(handle);

    std::string why;
    Exports ex;
    if (!ex.Resolve(handle, why) || !ReadResources(*module, why)) return Fail(*module, why, error);
    auto detach = [&] {
        if (ex.entry) ex.entry(module->instance, DLL_PROCESS_DETACH, nullptr);
    };
    if (ex.entry && !ex.entry(module->instance, DLL_PROCESS_ATTACH, nullptr))
        return Fail(*module, "its entry point refused the process-attach notification", error);

    module->version = ex.version();
    if (module->version != HOST_API_VERSION) {
        detach();
        return Fail(*module,
                    "plug-in interface version " + Hex(module->version) + " (" +
                        DescribeApiVersion(module->version) +
                        ") is not supported; this host needs " + Hex(HOST_API_VERSION) + " (" +
                        DescribeApiVersion(HOST_API_VERSION) + ")",
                    error);
    }
    const MCHAR* text = ex.description();
    module->description = text ? text : "";
    int n = ex.numberClasses();
    if (n < 0 || n > 10000)
        return Fail(*module, "LibNumberClasses answered " + std::to_string(n), error);
    if (!TakeClasses(*module, ex, n, why)) {
        detach();
        return Fail(*module, why, error);
    }
    {
        LoadedModules& loaded = Loaded();
        std::lock_guard lock(loaded.mutex);
        loaded.modules.push_back(module.get());
    }
    modules_.push_back(std::move(module));
    return modules_.back().get();
}

bool ClassRegistry::TakeClasses(PluginModule& module, const Exports& ex, int n, std::string& why) {
    std::vector<ClassDesc*> found;
    for (int i = 0; i < n; ++i)
        if (ClassDesc* cd = ex.classDesc(i)) found.push_back(cd);
    std::size_t before = classes_.size();
    for (ClassDesc* cd : found) {
        if (!Add(cd, &module, why)) {
            classes_.resize(before);
            why = why.substr(module.path.size() + 2);
            return false;
        }
    }
    module.classes = std::move(found);
    return true;
}

ClassDesc* ClassRegistry::Find(SClass_ID sclass, const Class_ID& cid) const {
    for (const Entry& e : classes_)
        if (e.desc->SuperClassID() == sclass && e.desc->ClassID() == cid) return e.desc;
    return nullptr;
}

std::vector<ClassDesc*> ClassRegistry::OfSuperClass(SClass_ID sclass) const {
    std::vector<ClassDesc*> out;
    for (const Entry& e : classes_)
        if (e.desc->SuperClassID() == sclass) out.push_back(e.desc);
    return out;
}

const PluginModule* ClassRegistry::ModuleOf(const ClassDesc* cd) const {
    for (const Entry& e : classes_)
        if (e.desc == cd) return e.module;
    return nullptr;
}
