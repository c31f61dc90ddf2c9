#include <gtest/gtest.h>

#include <string>

#include "module/class_descs.h"
#include "terrain/land_object.h"
#include "terrain/terravel.h"

TEST(ClassDescs, ConformModifierAndTerrainAreToldApartByIdentity) {
    ClassDesc2* wsm = PluginClassDesc(0);
    ClassDesc2* geom = PluginClassDesc(1);
    EXPECT_EQ(GetTerravelDesc(), wsm);
    EXPECT_EQ(GetLandObjectDesc(), geom);
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
}

TEST(ClassDescs, CreateMakesTheDescribedClassWithItsBlock) {
    for (int i = 0; i < 2; ++i) {
        ClassDesc2* cd = PluginClassDesc(i);
        for (BOOL loading : {FALSE, TRUE}) {
            auto* a = static_cast<Animatable*>(cd->Create(loading));
            ASSERT_NE(a, nullptr);
            EXPECT_EQ(a->ClassID(), cd->ClassID());
            EXPECT_EQ(a->SuperClassID(), cd->SuperClassID());
            ASSERT_EQ(a->NumParamBlocks(), 1);
            ASSERT_NE(a->GetParamBlock(0), nullptr);
            EXPECT_EQ(a->GetParamBlockByID(0), a->GetParamBlock(0));
            EXPECT_EQ(a->GetParamBlockByID(1), nullptr);
            a->DeleteThis();
        }
    }
}
