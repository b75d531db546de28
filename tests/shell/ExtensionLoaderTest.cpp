#include "shell/ExtensionLoader.h"
#include "shell/GlExtensions.h"
#include "support/OffscreenGl.h"

#include <gtest/gtest.h>

class ExtensionLoaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ensureOffscreenGl();
        resetGlState();
    }
};

TEST_F(ExtensionLoaderTest, RegisterCombinersAreRefusedWhereTheDriverLacksThem)
{
    if (hasGlExtension("GL_NV_register_combiners"))
        GTEST_SKIP() << "this driver has register combiners";
    EXPECT_FALSE(ExtensionLoader("GL_NV_register_combiners"));
    EXPECT_EQ(unsupportedExtensions(), "GL_NV_register_combiners ");
    EXPECT_EQ(ext::glCombinerInputNV, nullptr);

    // The list starts empty on each call and keeps the refused names in order.
    EXPECT_FALSE(ExtensionLoader("GL_NV_register_combiners2 GL_ARB_multitexture GL_made_up"));
    EXPECT_EQ(unsupportedExtensions(), "GL_NV_register_combiners2 GL_made_up ");
    EXPECT_EQ(ext::glCombinerStageParameterfvNV, nullptr);
}

TEST_F(ExtensionLoaderTest, ListedNamesAndCoreVersionsPass)
{
    ASSERT_TRUE(hasGlVersion(1, 4));
    EXPECT_TRUE(
        ExtensionLoader("GL_VERSION_1_2 GL_VERSION_1_3  GL_VERSION_1_4 GL_ARB_multitexture"));
    EXPECT_EQ(unsupportedExtensions(), "");
    // A prefix of a listed name is not that name.
    EXPECT_FALSE(ExtensionLoader("GL_ARB_multi"));
    EXPECT_EQ(unsupportedExtensions(), "GL_ARB_multi ");
    EXPECT_TRUE(ExtensionLoader(""));
    EXPECT_EQ(unsupportedExtensions(), "");
}

TEST_F(ExtensionLoaderTest, RegisterCombinerPointersAreSetWhereTheDriverHasThem)
{
    if (!hasGlExtension("GL_NV_register_combiners"))
        GTEST_SKIP() << "no register combiners on this driver";
    EXPECT_TRUE(ExtensionLoader("GL_NV_register_combiners"));
    EXPECT_NE(ext::glCombinerInputNV, nullptr);
    EXPECT_NE(ext::glFinalCombinerInputNV, nullptr);
}
