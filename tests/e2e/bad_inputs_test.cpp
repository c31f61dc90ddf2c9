// Runs contorra on every case of tests/bad_inputs/: a file CASE.expect beside
// the case's input CASE.EXT says how to run it and what must come out:
//
//   # args: build {input} -o {out}.obj
//   2
//   substring the message must contain
//
// {input} is a copy of the input in a fresh folder, {out} and {out2} are
// fresh paths in that folder, {dir} the folder itself. Every file CASE.* is
// copied along, so a scene can name a mesh beside it. After the run the
// folder must hold the copies, unchanged, and nothing else: a refused run
// writes no output and harms no input.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/run_command.h"

namespace fs = std::filesystem;

namespace {

const fs::path kCases = fs::path(CONTORRA_SOURCE_DIR) / "tests" / "bad_inputs";

struct Case {
    fs::path expect;
    std::string args;
    int code = -1;
    std::vector<std::string> messages;
    std::string error; // what is wrong with the .expect file itself
};

Case ReadCase(const fs::path& expect) {
    Case c;
    c.expect = expect;
    std::istringstream in(Slurp(expect));
    bool haveCode = false;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("# args:", 0) == 0) {
            c.args = line.substr(7);
        } else if (line.empty() || line[0] == '#') {
            continue;
        } else if (!haveCode) {
            std::size_t used = 0;
            try {
                c.code = std::stoi(line, &used);
            } catch (const std::exception&) {
            }
            if (used != line.size())
                c.error = "the first line after the comments is not an exit code";
            haveCode = true;
        } else {
            c.messages.push_back(line);
        }
    }
    if (c.args.empty()) c.error = "no \"# args:\" line";
    if (!haveCode) c.error = "no exit code";
    return c;
}

// Names a case by its file in test listings.
void PrintTo(const Case& c, std::ostream* os) {
    *os << c.expect.string();
}

std::vector<Case> AllCases() {
    std::vector<Case> cases;
    if (fs::is_directory(kCases))
        for (const auto& e : fs::recursive_directory_iterator(kCases))
            if (e.is_regular_file() && e.path().extension() == ".expect")
                cases.push_back(ReadCase(e.path()));
    std::sort(cases.begin(), cases.end(),
              [](const Case& a, const Case& b) { return a.expect < b.expect; });
    return cases;
}

// The files CASE.* beside the .expect, the .expect left out.
std::vector<fs::path> CaseFiles(const Case& c) {
    std::vector<fs::path> files;
    const std::string prefix = c.expect.stem().string() + ".";
    for (const auto& e : fs::directory_iterator(c.expect.parent_path()))
        if (e.is_regular_file() && e.path() != c.expect &&
            e.path().filename().string().rfind(prefix, 0) == 0)
            files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
}

// The case's input among its files: the only one, else its scene.
fs::path InputOf(const std::vector<fs::path>& files) {
    if (files.size() == 1) return files.front();
    for (const fs::path& f : files)
        if (f.extension() == ".json" || f.extension() == ".cscene") return f;
    return {};
}

std::string Replace(std::string text, const std::map<std::string, std::string>& words) {
    for (const auto& [key, value] : words)
        for (std::size_t at; (at = text.find(key)) != std::string::npos;)
            text.replace(at, key.size(), value);
    return text;
}

std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
    std::string name = fs::relative(info.param.expect, kCases).replace_extension().string();
    for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    return name;
}

class BadInput : public ::testing::TestWithParam<Case> {};

TEST_P(BadInput, IsRefusedAsExpectedAndWritesNothing) {
    const Case& c = GetParam();
    ASSERT_TRUE(c.error.empty()) << c.expect << ": " << c.error;
    const std::vector<fs::path> files = CaseFiles(c);
    const fs::path input = InputOf(files);
    ASSERT_FALSE(input.empty()) << c.expect << ": no input file (or no scene among several)";

    const fs::path dir =
        fs::temp_directory_path() /
        ("contorra_bad_input_" + std::to_string(getpid()) + "_" + c.expect.stem().string());
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::map<fs::path, std::string> copies;
    for (const fs::path& f : files) {
        fs::copy_file(f, dir / f.filename());
        copies[dir / f.filename()] = Slurp(f);
    }
    // Folders beside the cases hold files that several scenes point at.
    for (const auto& e : fs::directory_iterator(c.expect.parent_path()))
        if (e.is_directory()) {
            fs::copy(e.path(), dir / e.path().filename(), fs::copy_options::recursive);
            copies[dir / e.path().filename()] = {};
        }
    const std::string args = Replace(c.args, {{"{input}", Quote((dir / input.filename()).string())},
                                              {"{out2}", Quote((dir / "out2").string())},
                                              {"{out}", Quote((dir / "out").string())},
                                              {"{dir}", Quote(dir.string())}});
    const RunResult r =
        RunShell("cd " + Quote(dir.string()) + " && " + Quote(CONTORRA_BINARY) + " " + args);

    EXPECT_EQ(r.code, c.code) << "contorra " << args << "\n" << r.err;
    for (const std::string& m : c.messages)
        EXPECT_NE(r.err.find(m), std::string::npos) << "stderr lacks \"" << m << "\":\n" << r.err;
    for (const auto& e : fs::directory_iterator(dir)) {
        const auto copy = copies.find(e.path());
        if (copy == copies.end()) {
            ADD_FAILURE() << "the run left " << e.path().filename() << " behind";
        } else if (!e.is_directory()) {
            EXPECT_EQ(Slurp(e.path()), copy->second) << e.path().filename() << " was changed";
        }
    }
    fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Corpus, BadInput, ::testing::ValuesIn(AllCases()), CaseName);

// The corpus must not shrink to nothing unnoticed.
TEST(BadInputCorpus, HasCases) {
    EXPECT_GE(AllCases().size(), 10u) << kCases;
}

} // namespace
