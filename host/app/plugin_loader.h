#pragma once
// Plug-in modules and the registry of every class the host can create: its
// own scene classes and those the loaded modules offer through their exports.
#include <memory>
#include <string>
#include <vector>

#include "host/app/resource_script.h"
#include "host/sdk/param_block2.h"
#include "host/sdk/plugin_api.h"

struct PluginModule {
    std::string path;
    void* handle = nullptr; // null for the host's own classes
    HINSTANCE instance = nullptr;
    ULONG version = 0;
    std::string description;
    std::vector<ClassDesc*> classes; // in LibClassDesc order
    ResourceScript resources;
    std::string resourcePath; // the script read; empty without one
    // Set when the module came without a resource script beside it.
    std::string resourceWarning;
};

class ClassRegistry {
public:
    // Starts with the host's own classes (meshes, shapes, the box, derived
    // objects, nodes).
    ClassRegistry();
    // Sends the modules their detach notification; the libraries stay mapped
    // until the process ends, because objects of theirs may still be about.
    ~ClassRegistry();
    ClassRegistry(const ClassRegistry&) = delete;
    ClassRegistry& operator=(const ClassRegistry&) = delete;

    // Opens a module, reads its resource script (NAME.rc beside NAME.dlo),
    // calls its entry point with the process-attach notification, checks its
    // version word and takes its classes. On failure: null, the module is
    // closed again, and error says what went wrong.
    PluginModule* LoadModule(const std::string& path, std::string& error);

    ClassDesc* Find(SClass_ID sclass, const Class_ID& cid) const;
    std::vector<ClassDesc*> OfSuperClass(SClass_ID sclass) const;
    // The module a class came from; the host's pseudo-module for its own.
    const PluginModule* ModuleOf(const ClassDesc* cd) const;
    const std::vector<std::unique_ptr<PluginModule>>& Modules() const { return modules_; }

private:
    // The functions a module exports; the entry point is optional.
    struct Exports {
        LibDescriptionFn description = nullptr;
        LibNumberClassesFn numberClasses = nullptr;
        LibClassDescFn classDesc = nullptr;
        LibVersionFn version = nullptr;
        DllMainFn entry = nullptr;
        // False, with why, when a required one is missing.
        bool Resolve(void* handle, std::string& why);
    };
    bool Add(ClassDesc* cd, PluginModule* owner, std::string& error);
    // Registers the module's n classes; false, with why, and none registered
    // when one of them is taken already.
    bool TakeClasses(PluginModule& module, const Exports& ex, int n, std::string& why);
    struct Entry {
        ClassDesc* desc;
        PluginModule* module;
    };
    std::vector<Entry> classes_;
    std::vector<std::unique_ptr<PluginModule>> modules_;
};

// The module with this instance handle among those loaded by live
// registries (the latest when several hold it), for host code that has only
// a class descriptor's HInstance(); null when none has it.
const PluginModule* LoadedModule(HINSTANCE instance);

// "release 12000, interface 33, SDK revision 0" for 0x2EE02100.
std::string DescribeApiVersion(ULONG version);
