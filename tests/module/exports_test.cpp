// The built module as the host sees it: opened by name, asked through its exports.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "host/sdk/param_block2.h"
#include "host/sdk/plugin_api.h"
#include "module/module_globals.h"

namespace {

std::string ModulePath() {
    namespace fs = std::filesystem;
    if (const char* dir = std::getenv("CONTORRA_BUILD_DIR"))
        return (fs::path(dir) / "contorra.dlo");
    return (fs::read_symlink("/proc/self/exe").parent_path() / "contorra.dlo").string();
}

template <class F> F Export(void* handle, const char* name) {
    return reinterpret_cast<F>(dlsym(handle, name));
}

} // namespace

TEST(ModuleStrings, ComeFromTheInstancesTableIntoOneBuffer) {
    HINSTANCE saved = hInstance;
    hInstance = nullptr;
    EXPECT_EQ(GetString(1), nullptr);

    auto* fake = reinterpret_cast<HINSTANCE>(0x5150);
    win32host::SetModuleStrings(fake, {{1, "Terravel"}, {4, "Parameters"}});
    hInstance = fake;
    const MCHAR* first = GetString(1);
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(first, "Terravel");
    EXPECT_EQ(GetString(4), first); // the same buffer, now overwritten
    EXPECT_STREQ(first, "Parameters");
    EXPECT_EQ(GetString(99), nullptr);
    win32host::ForgetModule(fake);
    hInstance = saved;
}

TEST(ModuleExports, AnswerTheHostByPlainNames) {
    const std::string path = ModulePath();
    if (!std::filesystem::exists(path)) GTEST_SKIP() << path << " is not built";
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();

    auto description = Export<LibDescriptionFn>(handle, kLibDescriptionExport);
    auto number = Export<LibNumberClassesFn>(handle, kLibNumberClassesExport);
    auto classDesc = Export<LibClassDescFn>(handle, kLibClassDescExport);
    auto version = Export<LibVersionFn>(handle, kLibVersionExport);
    auto entry = Export<DllMainFn>(handle, kDllMainExport);
    ASSERT_TRUE(description && number && classDesc && version && entry);

    EXPECT_EQ(version(), 0x2EE02100u);
    EXPECT_EQ(description(), nullptr); // no instance before the entry point ran

    auto* instance = reinterpret_cast<HINSTANCE>(0x7a11);
    win32host::SetModuleStrings(instance, {{1, "Terravel"}});
    win32host::ClearRegisteredClasses();
    EXPECT_TRUE(entry(instance, DLL_THREAD_ATTACH, nullptr));
    EXPECT_TRUE(win32host::RegisteredClasses().empty());
    EXPECT_EQ(description(), nullptr);

    EXPECT_TRUE(entry(instance, DLL_PROCESS_ATTACH, nullptr));
    EXPECT_STREQ(description(), "Terravel");
    EXPECT_TRUE(win32host::ThreadCallsDisabled(instance));
    const auto& classes = win32host::RegisteredClasses();
    ASSERT_EQ(classes.size(), 5u);
    const char* expected[] = {"SplinesListBoxView", "PlatformListBoxView", "InsertListBoxView",
                              "UVWMapListBoxView", "CustGradientRamp"};
    for (int i = 0; i < 5; ++i) {
        const auto& c = classes[static_cast<std::size_t>(i)];
        EXPECT_EQ(c.name, expected[i]);
        EXPECT_EQ(c.record.hInstance, instance);
        EXPECT_NE(c.record.lpfnWndProc, nullptr) << expected[i];
    }

    // All three folders' classes, not only those that happen to be linked in.
    ASSERT_EQ(number(), 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(classDesc(i)->HInstance(), instance) << i;
    EXPECT_EQ(classDesc(3), nullptr);
    EXPECT_EQ(classDesc(0)->SuperClassID(), WSM_CLASS_ID);
    EXPECT_EQ(classDesc(1)->SuperClassID(), GEOMOBJECT_CLASS_ID);
    EXPECT_EQ(classDesc(2)->SuperClassID(), TEXMAP_CLASS_ID);

    win32host::ClearRegisteredClasses();
    win32host::ForgetModule(instance);
    // The module stays mapped: its descriptors are static objects the host may still hold.
}
