// Loading plug-in modules through their exports, their resource scripts, and
// the host's progress output and cancel flag.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "host/app/core_interface.h"
#include "host/app/plugin_loader.h"
#include "host/app/resource_script.h"
#include "host/sdk/plugin_api.h"

namespace {

std::string Fixture(const std::string& name) {
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe");
    return (exe.parent_path() / "fixtures" / name).string();
}

TEST(PluginLoader, LoadsAModuleThroughItsExports) {
    ClassRegistry registry;
    std::string error;
    PluginModule* m = registry.LoadModule(Fixture("fixture_good.dlo"), error);
    ASSERT_NE(m, nullptr) << error;
    EXPECT_EQ(m->version, HOST_API_VERSION);
    EXPECT_EQ(m->description, "Fixture module") << "read through the module's own string loader";
    ASSERT_EQ(m->classes.size(), 1u);
    ClassDesc* cd = registry.Find(GEOMOBJECT_CLASS_ID, Class_ID(0x1234, 0x5678));
    EXPECT_EQ(cd, m->classes[0]);
    EXPECT_EQ(registry.ModuleOf(cd), m);
    EXPECT_TRUE(win32host::ThreadCallsDisabled(m->instance));
    const auto& wc = win32host::RegisteredClasses();
    EXPECT_TRUE(
        std::any_of(wc.begin(), wc.end(), [](const auto& c) { return c.name == "FixtureView"; }));

    // Objects come out of the descriptor with their blocks made.
    auto* obj = static_cast<Animatable*>(cd->Create(FALSE));
    ASSERT_NE(obj->GetParamBlock(0), nullptr);
    EXPECT_EQ(obj->GetParamBlock(0)->GetFloat(0), 2.5f);
    obj->DeleteThis();

    // The host's own classes are there too, and a second copy of a class is refused.
    EXPECT_NE(registry.Find(GEOMOBJECT_CLASS_ID, triObjectClassID), nullptr);
    EXPECT_EQ(registry.LoadModule(Fixture("fixture_good.dlo"), error), nullptr);
    EXPECT_NE(error.find("already registered"), std::string::npos) << error;
}

TEST(PluginLoader, RefusesAnotherVersionWordAndUnusableFiles) {
    ClassRegistry registry;
    std::string error;
    std::size_t before = registry.Modules().size();
    EXPECT_EQ(registry.LoadModule(Fixture("fixture_badversion.dlo"), error), nullptr);
    EXPECT_NE(error.find("0x2EE02000"), std::string::npos) << error;
    EXPECT_NE(error.find("0x2EE02100"), std::string::npos) << error;
    EXPECT_NE(error.find("fixture_badversion.dlo"), std::string::npos) << error;
    EXPECT_EQ(registry.Modules().size(), before);
    EXPECT_EQ(registry.Find(GEOMOBJECT_CLASS_ID, Class_ID(0x1234, 0x5678)), nullptr);
    const auto& wc = win32host::RegisteredClasses();
    EXPECT_FALSE(std::any_of(wc.begin(), wc.end(), [](const auto& c) {
        return c.name == "FixtureView";
    })) << "a refused module leaves no window classes behind";

    EXPECT_EQ(registry.LoadModule(Fixture("no_such.dlo"), error), nullptr);
    EXPECT_NE(error.find("no such plug-in file"), std::string::npos);
    // A file that is no shared object at all.
    EXPECT_EQ(registry.LoadModule(Fixture("fixture_good.rc"), error), nullptr);
    EXPECT_NE(error.find("cannot load"), std::string::npos) << error;
    EXPECT_EQ(DescribeApiVersion(HOST_API_VERSION), "release 12000, interface 33, SDK revision 0");
}

TEST(ResourceScript, ReadsStringsAndDialogsWithTheirSymbols) {
    std::string error;
    auto rc = ReadResourceScript(Fixture("fixture_good.rc"), error);
    ASSERT_TRUE(rc) << error;
    EXPECT_EQ(rc->strings.at(1), "Fixture module");
    EXPECT_EQ(rc->strings.at(2), "Fixture \"quoted\" title");
    const DialogTemplate* d = rc->Dialog(101);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->cx, 100);
    ASSERT_EQ(d->controls.size(), 2u);
    EXPECT_EQ(d->controls[0].text, "Size:");
    EXPECT_EQ(d->controls[0].id, -1);
    EXPECT_EQ(d->controls[1].id, 1001);
    EXPECT_EQ(d->controls[1].className, "CustEdit");
    EXPECT_EQ(d->controls[1].x, 36);
}

TEST(ResourceScript, ReadsTheTerrainModulesScript) {
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe");
    std::string rc = (exe.parent_path() / "contorra.rc").string();
    if (!std::filesystem::exists(rc))
        GTEST_SKIP() << "the module's resource script is not beside the build";
    std::string error;
    auto script = ReadResourceScript(rc, error);
    ASSERT_TRUE(script) << error;
    EXPECT_EQ(script->strings.at(1), "Terravel");
    EXPECT_EQ(script->strings.at(10), "ContorraBorder");
    const DialogTemplate* terravel = script->Dialog(124);
    ASSERT_NE(terravel, nullptr);
    bool pick = false;
    for (const DialogControl& c : terravel->controls)
        pick |= c.id == 1016 && c.text == "OnRunDriving";
    EXPECT_TRUE(pick);
}

TEST(ResourceScript, ErrorsNameTheLineAndTheProblem) {
    std::string error;
    std::string text = "STRINGTABLE\nBEGIN\n  1 \"one\"\n  IDS_MISSING \"two\"\nEND\n";
    EXPECT_FALSE(ParseResourceScript(text, "bad.rc", ".", error));
    EXPECT_EQ(error, "bad.rc:4: unknown symbol IDS_MISSING");
    EXPECT_FALSE(ParseResourceScript("STRINGTABLE\nBEGIN\n 1 \"open\n", "cut.rc", ".", error));
    EXPECT_EQ(error, "cut.rc:3: string not closed");
    EXPECT_FALSE(ParseResourceScript("STRINGTABLE\nBEGIN\n 1 \"x\"\n", "end.rc", ".", error));
    EXPECT_NE(error.find("END"), std::string::npos);
    // Comments, a language line and other resources are passed over.
    auto ok = ParseResourceScript("/* c */ LANGUAGE 9, 1\nICON1 ICON \"a.ico\"\n"
                                  "STRINGTABLE { 5, \"five\" // note\n }\n",
                                  "ok.rc", ".", error);
    ASSERT_TRUE(ok) << error;
    EXPECT_EQ(ok->strings.at(5), "five");
}

TEST(CoreInterface, ProgressLinesCancelAndNodeLookUp) {
    Scene scene;
    INode* node = scene.CreateNode(nullptr, "n");
    std::ostringstream lines, quiet, bar;
    {
        CoreInterface ip(scene, ProgressStyle::Lines, lines);
        EXPECT_EQ(GetCOREInterface(), &ip);
        ip.ProgressStart(
            "Mesh Building", TRUE, [](void*) -> DWORD { return 0; }, nullptr);
        for (int p : {0, 5, 12, 19, 25, 99}) ip.ProgressUpdate(p);
        ip.ProgressEnd();
        EXPECT_EQ(ip.GetINodeByHandle(node->GetHandle()), node);
        EXPECT_EQ(ip.GetINodeByHandle(0xFFFFFF), nullptr);
        EXPECT_TRUE(ip.GetRootNode()->IsRootNode());
        EXPECT_FALSE(ip.GetCancel());
        ip.SetCancel(TRUE);
        EXPECT_TRUE(ip.GetCancel());
        ip.SetCancel(FALSE);
    }
    std::string out = lines.str();
    EXPECT_EQ(
        out.rfind("Mesh Building ...\nMesh Building: 10%\nMesh Building: 20%\nMesh Building: 90%\n"
                  "Mesh Building: done in ",
                  0),
        0u)
        << out;
    {
        CoreInterface ip(scene, ProgressStyle::Quiet, quiet);
        ip.ProgressStart("x", TRUE, nullptr, nullptr);
        ip.ProgressUpdate(50);
        ip.ProgressEnd();
    }
    EXPECT_TRUE(quiet.str().empty());
    {
        CoreInterface ip(scene, ProgressStyle::Bar, bar);
        ip.ProgressStart("Surface Building", TRUE, nullptr, nullptr);
        ip.ProgressUpdate(50);
        ip.ProgressEnd();
    }
    std::string b = bar.str();
    EXPECT_NE(b.find("\rSurface Building [###############---------------]  50% "),
              std::string::npos)
        << b;
    EXPECT_EQ(b.back(), '\n');
    EXPECT_EQ(FormatElapsed(75.0), "1:15");
    EXPECT_EQ(FormatElapsed(4.25), "4.2s");
}

} // namespace
