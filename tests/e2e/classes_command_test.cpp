// contorra classes and the command line's usage errors, run as a user would.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/e2e/run_command.h"

namespace {

RunResult Contorra(const std::string& args, const std::string& env = "") {
    return RunShell(env + " '" CONTORRA_BINARY "' " + args);
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

// Column widths follow the longest entry, so rows are compared with their
// runs of spaces squeezed to one.
std::string Squeezed(const std::string& s) {
    std::string r;
    for (char c : s)
        if (c != ' ' || r.empty() || r.back() != ' ') r += c;
    return r;
}

TEST(ClassesCommand, ShowsThePluginsThreeClasses) {
    std::string dlo =
        (std::filesystem::path(CONTORRA_BINARY).parent_path() / "contorra.dlo").string();
    if (!std::filesystem::exists(dlo)) GTEST_SKIP() << "the plug-in module is not built";
    RunResult r = Contorra("classes");
    ASSERT_EQ(r.code, 0) << r.err;
    const std::string out = Squeezed(r.out);
    EXPECT_NE(out.find("0 \"Contorra\" \"Contorra\" 0x00000820 world-space modifier "
                       "(0x14292E5E, 0x16395A25) \"\"\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(out.find("1 \"Contorra\" \"Contorra\" 0x00000010 geometric object "
                       "(0x14EC440D, 0x700C139B) \"Contorra\"\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(out.find("2 \"ContorraBorder\" \"ContorraBorder\" 0x00000C10 texture map "
                       "(0x51DC051A, 0x866D966F) \"Standard Primitives\"\n"),
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
