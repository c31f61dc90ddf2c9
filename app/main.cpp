// contorra: the command-line host of the terrain plug-in.
#include <CLI/CLI.hpp>

int main(int argc, char** argv) {
    CLI::App app{"contorra: builds terrain meshes from contour scenes with the Contorra plug-in"};
    app.set_version_flag("--version", "contorra 0.1.0");
    app.require_subcommand(0, 1);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? 0 : 2;
    }
    if (app.get_subcommands().empty()) {
        std::cout << app.help();
    }
    return 0;
}
