// contorra: the command-line host of the terrain plug-in.
#include <CLI/CLI.hpp>

#include <iostream>

#include "app/build_command.h"
#include "app/commands.h"
#include "host/app/core_interface.h"

int main(int argc, char** argv) {
    CLI::App app{"contorra: builds terrain meshes from contour scenes with the Contorra plug-in", "contorra"};
    app.set_version_flag("--version", "contorra 0.1.0");
    app.require_subcommand(1);
    app.fallthrough();
    GlobalOptions options;
    app.add_option(
        "--plugin", options.plugin,
        "the plug-in module (default: $CONTORRA_PLUGIN, else contorra.dlo beside this program)");
    app.add_flag("-q,--quiet", options.quiet, "no progress on stderr (warnings and errors still)");
    app.footer("Exit codes: 0 success, 1 failure, 2 bad usage or bad input.");

    std::vector<std::pair<CLI::App*, Command>> commands;
    commands.emplace_back(nullptr, AddClassesCommand(app, options));
    commands.back().first = app.get_subcommand("classes");
    commands.emplace_back(nullptr, AddInfoCommand(app, options));
    commands.back().first = app.get_subcommand("info");
    commands.emplace_back(nullptr, AddBuildCommand(app, options));
    commands.back().first = app.get_subcommand("build");
    commands.emplace_back(nullptr, AddRenderCommand(app, options));
    commands.back().first = app.get_subcommand("render");
    commands.emplace_back(nullptr, AddConformCommand(app, options));
    commands.back().first = app.get_subcommand("conform");
    commands.emplace_back(nullptr, AddViewCommand(app, options));
    commands.back().first = app.get_subcommand("view");
    commands.emplace_back(nullptr, AddPickCommand(app, options));
    commands.back().first = app.get_subcommand("pick");
    commands.emplace_back(nullptr, AddUiCommand(app, options));
    commands.back().first = app.get_subcommand("ui");

    if (argc <= 1) {
        // No subcommand is a usage error; the usage goes where errors go.
        std::cerr << app.help();
        return kExitBadInput;
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? kExitOk : kExitBadInput;
    }
    CoreInterface::InstallInterruptHandler();
    try {
        for (auto& [sub, run] : commands)
            if (sub->parsed()) return run();
    } catch (const std::exception& e) {
        // What the commands do not explain themselves (a module that cannot
        // be opened, say) still ends with a message; outputs are written
        // whole or not at all, so nothing is left half made.
        std::cerr << "contorra: " << e.what() << "\n";
        return kExitFailure;
    }
    return kExitBadInput;
}
