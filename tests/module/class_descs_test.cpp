#include <gtest/gtest.h>

#include <string>

#include "edgemap/gradient_edge.h"
#include "module/class_descs.h"
#include "module/module_globals.h"
#include "module/window_classes.h"
#include "terrain/land_object.h"
#include "terrain/terravel.h"

TEST(ClassDescs, TheListHoldsEachFoldersDescriptorInTheHostsOrder) {
    ASSERT_EQ(PluginClassCount(), 3);
    ClassDesc2* wsm = PluginClassDesc(0);
    ClassDesc2* geom = PluginClassDesc(1);
    ClassDesc2* tex = PluginClassDesc(2);
    EXPECT_EQ(GetTerravelDesc(), wsm);
    EXPECT_EQ(GetLandObjectDesc(), geom);
    EXPECT_EQ(GetGradientEdgeDesc(), tex);
    EXPECT_NE(wsm, geom);
    EXPECT_EQ(PluginClassDesc(3), nullptr);
    EXPECT_EQ(PluginClassDesc(-1), nullptr);

    EXPECT_STREQ(wsm->ClassName(), "Contorra");
    EXPECT_STREQ(wsm->InternalName(), "Contorra");
    EXPECT_STREQ(wsm->Category(), "");
    EXPECT_EQ(wsm->SuperClassID(), 0x820u);
    EXPECT_EQ(wsm->ClassID(), Class_ID(0x14292e5e, 0x16395a25));
    EXPECT_EQ(wsm->IsPublic(), 1);

    EXPECT_STREQ(geom->ClassName(), "Contorra");
    EXPECT_STREQ(geom->InternalName(), "Contorra");
    EXPECT_STREQ(geom->Category(), "Contorra");
    EXPECT_EQ(geom->SuperClassID(), 0x10u);
    EXPECT_EQ(geom->ClassID(), Class_ID(0x14ec440d, 0x700c139b));
    EXPECT_EQ(geom->IsPublic(), 1);

    EXPECT_STREQ(tex->ClassName(), "ContorraBorder");
    EXPECT_EQ(tex->SuperClassID(), TEXMAP_CLASS_ID);
    EXPECT_EQ(tex->ClassID(), GRADIENTEDGE_CLASS_ID);
}

TEST(ClassDescs, CreateMakesTheDescribedClassWithItsBlock) {
    for (int i = 0; i < PluginClassCount(); ++i) {
        ClassDesc2* cd = PluginClassDesc(i);
        ASSERT_EQ(cd->NumParamBlockDescs(), 1) << i;
        for (BOOL loading : {FALSE, TRUE}) {
            auto* a = static_cast<Animatable*>(cd->Create(loading));
            ASSERT_NE(a, nullptr);
            EXPECT_EQ(a->ClassID(), cd->ClassID());
            EXPECT_EQ(a->SuperClassID(), cd->SuperClassID());
            ASSERT_EQ(a->NumParamBlocks(), 1);
            ASSERT_NE(a->GetParamBlock(0), nullptr);
            EXPECT_EQ(a->GetParamBlock(0)->GetDesc(), cd->GetParamBlockDesc(0)) << i;
            EXPECT_EQ(a->GetParamBlockByID(0), a->GetParamBlock(0));
            EXPECT_EQ(a->GetParamBlockByID(1), nullptr);
            a->DeleteThis();
        }
    }
}

TEST(WindowClasses, EachIsRegisteredOnceWithItsOwnProcedureForTheInstance) {
    const char* expected[] = {"SplinesListBoxView", "PlatformListBoxView", "InsertListBoxView",
                              "UVWMapListBoxView", "CustGradientRamp"};
    const auto table = PluginWindowClasses();
    ASSERT_EQ(table.size(), std::size(expected));

    HINSTANCE saved = hInstance;
    hInstance = reinterpret_cast<HINSTANCE>(0x3e11);
    win32host::ClearRegisteredClasses();
    EXPECT_EQ(RegisterWindowClasses(table), 5);
    // A second registration finds every name taken and leaves the first in place.
    EXPECT_EQ(RegisterWindowClasses(std::span(table).first(2)), 0);

    const auto& classes = win32host::RegisteredClasses();
    ASSERT_EQ(classes.size(), 5u);
    for (std::size_t i = 0; i < classes.size(); ++i) {
        EXPECT_EQ(classes[i].name, expected[i]);
        EXPECT_EQ(classes[i].record.hInstance, hInstance);
        ASSERT_NE(table[i].proc, nullptr) << expected[i];
        EXPECT_EQ(classes[i].record.lpfnWndProc, table[i].proc) << expected[i];
    }
    win32host::ClearRegisteredClasses();
    hInstance = saved;
}
