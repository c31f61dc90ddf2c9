#include "fuzz/fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <streambuf>
#include <string>

#include "host/app/program_folder.h"

namespace fuzzing {

namespace {

std::string PluginPath() {
    if (const char* env = std::getenv("CONTORRA_PLUGIN"); env && *env) return env;
    return (contorra::ProgramFolder() / "contorra.dlo").string();
}

class NullBuffer : public std::streambuf {
protected:
    int overflow(int c) override { return c == EOF ? 0 : c; }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

} // namespace

const ClassRegistry& Registry() {
    static ClassRegistry* registry = [] {
        auto* r = new ClassRegistry;
        std::string error;
        if (!r->LoadModule(PluginPath(), error)) {
            std::fprintf(stderr, "fuzz: cannot load the plug-in: %s\n", error.c_str());
            std::exit(1);
        }
        return r;
    }();
    return *registry;
}

std::ostream& Discard() {
    static NullBuffer buffer;
    static std::ostream stream(&buffer);
    return stream;
}

} // namespace fuzzing
