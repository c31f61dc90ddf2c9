#include <gtest/gtest.h>

#include "module/class_descs.h"

// Each entry of the class list makes an object of its own class, with the one
// parameter block its descriptor declares, whether created new or for a load.
TEST(ClassDescs, CreateMakesTheDescribedClassWithItsBlock) {
    EXPECT_EQ(PluginClassDesc(-1), nullptr);
    EXPECT_EQ(PluginClassDesc(PluginClassCount()), nullptr);
    for (int i = 0; i < PluginClassCount(); ++i) {
        ClassDesc2* cd = PluginClassDesc(i);
        ASSERT_EQ(cd->NumParamBlockDescs(), 1) << i;
        for (BOOL loading : {FALSE, TRUE}) {
            auto* a = static_cast<Animatable*>(cd->Create(loading));
            ASSERT_NE(a, nullptr);
            EXPECT_EQ(a->ClassID(), cd->ClassID());
            EXPECT_EQ(a->SuperClassID(), cd->SuperClassID());
            ASSERT_NE(a->GetParamBlock(0), nullptr);
            EXPECT_EQ(a->GetParamBlock(0)->GetDesc(), cd->GetParamBlockDesc(0)) << i;
            EXPECT_EQ(a->GetParamBlockByID(0), a->GetParamBlock(0));
            EXPECT_EQ(a->GetParamBlockByID(1), nullptr);
            a->DeleteThis();
        }
    }
}
