// contorra classes and the command line's usage errors, run as a user would.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

namespace {

struct RunResult {
    int code;
    std::string out;
    std::string err;
};

RunResult Contorra(const std::string& args, const std::string& env = "") {
    std::string errFile = std::filesystem::temp_directory_path() /
                          ("contorra_e2e_" + std::to_string(getpid()) + ".err");
    std::string cmd = env + " '" CONTORRA_BINARY "' " + args + " 2>'" + errFile + "'";
    RunResult r{};
    FILE* p = popen(cmd.c_str(), "r");
    std::array<char, 4096> buf;
    while (std::size_t n = std::fread(buf.data(), 1, buf.size(), p)) r.out.append(buf.data(), n);
    int status = pclose(p);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (FILE* e = std::fopen(errFile.c_str(), "r")) {
        while (std::size_t n = std::fread(buf.data(), 1, buf.size(), e))
            r.err.append(buf.data(), n);
        std::fclose(e);
    }
    std::filesystem::remove(errFile);
    return r;
}

std::string Fixture(const std::string& name) {
    return (std::filesystem::path(CONTORRA_BINARY).parent_path() / "fixtures" / name).string();
}

TEST(ClassesCommand, ListsTheClassesOfTheGivenPlugin) {
    RunResult r = Contorra("classes --plugin '" + Fixture("fixture_good.dlo") + "'");
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')).find("index  class name"), 0u) << r.out;
    EXPECT_NE(r.out.find("0      \"FixtureBox\"  \"FixtureBox\"   0x00000010 geometric object  "
                         "(0x00001234, 0x00005678)  \"Fixtures\""),
              std::string::npos)
        << r.out;
    // The environment names the plug-in when the option does not.
    RunResult env = Contorra("classes", "CONTORRA_PLUGIN='" + Fixture("fixture_good.dlo") + "'");
    EXPECT_EQ(env.code, 0);
    EXPECT_EQ(env.out, r.out);
}

TEST(ClassesCommand, ShowsTheTerrainPluginsTwoClasses) {
    std::string dlo =
        (std::filesystem::path(CONTORRA_BINARY).parent_path() / "contorra.dlo").string();
    if (!std::filesystem::exists(dlo)) GTEST_SKIP() << "the plug-in module is not built";
    RunResult r = Contorra("classes");
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("0x00000820 world-space modifier  (0x14292E5E, 0x16395A25)  \"\""),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("\"Contorra\"  \"Contorra\"     0x00000010 geometric object      "
                         "(0x14EC440D, 0x700C139B)  "
                         "\"Contorra\""),
              std::string::npos)
        << r.out;
}

TEST(CommandLine, RefusedPluginsAndBadUsageGiveTheirExitCodes) {
    RunResult bad = Contorra("classes --plugin '" + Fixture("fixture_badversion.dlo") + "'");
    EXPECT_EQ(bad.code, 1);
    EXPECT_TRUE(bad.out.empty());
    EXPECT_NE(bad.err.find("0x2EE02000"), std::string::npos) << bad.err;

    RunResult missing = Contorra("classes --plugin /nonexistent/contorra.dlo");
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find("/nonexistent/contorra.dlo"), std::string::npos);

    EXPECT_EQ(Contorra("").code, 2) << "a subcommand is required";
    EXPECT_EQ(Contorra("frobnicate").code, 2);
    EXPECT_EQ(Contorra("classes --no-such-option").code, 2);
    EXPECT_EQ(Contorra("info").code, 2) << "FILE is required";

    RunResult help = Contorra("info --help");
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("FILE"), std::string::npos);

    RunResult garbage = Contorra("info --plugin '" + Fixture("fixture_good.dlo") + "' '" +
                                 Fixture("fixture_good.rc") + "'");
    EXPECT_EQ(garbage.code, 2);
    EXPECT_NE(garbage.err.find("not a scene file"), std::string::npos) << garbage.err;
}

} // namespace
