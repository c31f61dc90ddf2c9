// contorra classes: what the loaded plug-in offers, read through its exports.
#include <cstdio>
#include <iostream>
#include <vector>

#include "app/commands.h"
#include "app/table.h"

Command AddClassesCommand(CLI::App& app, const GlobalOptions& options) {
    CLI::App* sub =
        app.add_subcommand("classes", "List the classes the plug-in offers, as the host sees them");
    sub->footer(
        "Columns: index (as LibClassDesc numbers them), class name, internal name, super class,\n"
        "class ID and category. Names are quoted; an empty category shows as \"\".");
    return [&options]() {
        ClassRegistry registry;
        if (!LoadPlugin(options, registry)) return kExitFailure;
        const PluginModule& module = *registry.Modules().back();
        Table table(
            {"index", "class name", "internal name", "super class", "class ID", "category"});
        for (std::size_t i = 0; i < module.classes.size(); ++i) {
            ClassDesc* cd = module.classes[i];
            table.Add({std::to_string(i), Quoted(cd->ClassName()), Quoted(cd->InternalName()),
                       SuperClassText(cd->SuperClassID()), ClassIdText(cd->ClassID()),
                       Quoted(cd->Category())});
        }
        table.Print(std::cout);
        return kExitOk;
    };
}
