#include "host/app/plugin_loader.h"

#include <dlfcn.h>

#include <cstdio>
#include <filesystem>

#include "host/app/builtin_classes.h"
#include "host/sdk/plugin_api.h"

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

} // namespace

std::string DescribeApiVersion(ULONG version) {
    return "release " + std::to_string(version >> 16) + ", interface " +
           std::to_string((version >> 8) & 0xff) + ", SDK revision " +
           std::to_string(version & 0xff);
}

ClassRegistry::ClassRegistry() {
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

ClassRegistry::~ClassRegistry() {
    for (auto& m : modules_) {
        if (!m->handle) continue;
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
    namespace fs = std::filesystem;
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

    auto fail = [&](const std::string& what) -> PluginModule* {
        error = path + ": " + what;
        win32host::ForgetModule(module->instance);
        dlclose(handle);
        return nullptr;
    };

    auto description = reinterpret_cast<LibDescriptionFn>(dlsym(handle, kLibDescriptionExport));
    auto numberClasses =
        reinterpret_cast<LibNumberClassesFn>(dlsym(handle, kLibNumberClassesExport));
    auto classDesc = reinterpret_cast<LibClassDescFn>(dlsym(handle, kLibClassDescExport));
    auto version = reinterpret_cast<LibVersionFn>(dlsym(handle, kLibVersionExport));
    auto entry = reinterpret_cast<DllMainFn>(dlsym(handle, kDllMainExport));
    for (auto [fn, name] :
         {std::pair<bool, const char*>{description != nullptr, kLibDescriptionExport},
          {numberClasses != nullptr, kLibNumberClassesExport},
          {classDesc != nullptr, kLibClassDescExport},
          {version != nullptr, kLibVersionExport}})
        if (!fn) return fail(std::string("not a plug-in module: it does not export ") + name);

    // The module's resources are there before its code runs, as on the
    // platform it was written for.
    fs::path rc = fs::path(path).replace_extension(".rc");
    if (fs::exists(rc)) {
        std::string rcError;
        auto script = ReadResourceScript(rc.string(), rcError);
        if (!script) return fail("bad resource script: " + rcError);
        module->resources = std::move(*script);
        win32host::SetModuleStrings(module->instance, module->resources.strings);
    } else {
        module->resourceWarning =
            path + ": no resource script " + rc.string() + "; the plug-in's strings are missing";
    }

    if (entry && !entry(module->instance, DLL_PROCESS_ATTACH, nullptr))
        return fail("its entry point refused the process-attach notification");

    module->version = version();
    if (module->version != HOST_API_VERSION) {
        if (entry) entry(module->instance, DLL_PROCESS_DETACH, nullptr);
        return fail("plug-in interface version " + Hex(module->version) + " (" +
                    DescribeApiVersion(module->version) + ") is not supported; this host needs " +
                    Hex(HOST_API_VERSION) + " (" + DescribeApiVersion(HOST_API_VERSION) + ")");
    }

    const MCHAR* text = description();
    module->description = text ? text : "";
    int n = numberClasses();
    if (n < 0 || n > 10000) return fail("LibNumberClasses answered " + std::to_string(n));
    std::vector<ClassDesc*> found;
    for (int i = 0; i < n; ++i)
        if (ClassDesc* cd = classDesc(i)) found.push_back(cd);
    std::size_t before = classes_.size();
    for (ClassDesc* cd : found) {
        if (!Add(cd, module.get(), error)) {
            classes_.resize(before);
            if (entry) entry(module->instance, DLL_PROCESS_DETACH, nullptr);
            std::string why = error;
            return fail(why.substr(path.size() + 2));
        }
    }
    module->classes = std::move(found);
    modules_.push_back(std::move(module));
    return modules_.back().get();
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
