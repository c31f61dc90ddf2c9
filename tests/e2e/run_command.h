#pragma once
// Runs command lines the way a user's shell would, for the end-to-end tests.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

struct RunResult {
    int code = -1; // the exit status, -1 when the command did not exit
    std::string out, err;
};

inline std::string Slurp(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// s as one word of a shell command line.
inline std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Runs cmd through the shell with no input; its standard output and error
// come back apart unless cmd redirects them itself.
inline RunResult RunShell(const std::string& cmd) {
    const std::filesystem::path base =
        std::filesystem::temp_directory_path() / ("contorra_e2e_run_" + std::to_string(getpid()));
    const std::string out = base.string() + ".out", err = base.string() + ".err";
    const int status =
        std::system((cmd + " >" + Quote(out) + " 2>" + Quote(err) + " </dev/null").c_str());
    RunResult r;
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = Slurp(out);
    r.err = Slurp(err);
    std::filesystem::remove(out);
    std::filesystem::remove(err);
    return r;
}

#ifdef CONTORRA_BINARY
// A contorra command line, quiet, loading the plug-in built beside it.
inline std::string QuietContorra(const std::string& args) {
    const std::filesystem::path dlo =
        std::filesystem::path(CONTORRA_BINARY).parent_path() / "contorra.dlo";
    return Quote(CONTORRA_BINARY) + " --quiet --plugin " + Quote(dlo.string()) + " " + args;
}
#endif
