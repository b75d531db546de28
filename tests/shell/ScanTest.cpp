#include "shell/Scan.h"

#include <gtest/gtest.h>

#include <string>

TEST(Scan, ConversionsStopAtTheFirstCharacterThatDoesNotFit)
{
    std::int32_t i = 0;
    EXPECT_TRUE(scanInt("12abc", i));
    EXPECT_EQ(i, 12);
    EXPECT_TRUE(scanInt("+8", i));
    EXPECT_EQ(i, 8);
    std::uint32_t u = 0;
    EXPECT_TRUE(scanUnsigned("29.97", u));
    EXPECT_EQ(u, 29u);
    // "%u" takes a sign and wraps it, as the runtime does.
    EXPECT_TRUE(scanUnsigned("-1", u));
    EXPECT_EQ(u, 0xFFFFFFFFu);
    float f = 0;
    EXPECT_TRUE(scanFloat("0.5x", f));
    EXPECT_EQ(f, 0.5f);
    std::uint32_t x = 0;
    EXPECT_TRUE(scanHex("10000003", x));
    EXPECT_EQ(x, 0x10000003u);
    EXPECT_TRUE(scanHex("0xff", x));
    EXPECT_EQ(x, 0xFFu);
}

TEST(Scan, WordsThatDoNotConvertLeaveTheTarget)
{
    std::int32_t i = 42;
    EXPECT_FALSE(scanInt("", i));
    EXPECT_FALSE(scanInt("x1", i));
    EXPECT_FALSE(scanInt("-", i));
    EXPECT_EQ(i, 42);
    float f = 2.0f;
    EXPECT_FALSE(scanFloat("abc", f));
    EXPECT_FALSE(scanFloat(".", f));
    EXPECT_EQ(f, 2.0f);
    std::uint32_t x = 7;
    EXPECT_FALSE(scanHex("zz", x));
    EXPECT_EQ(x, 7u);
}

TEST(Scan, ReadsOnlyTheViewNotWhatFollowsIt)
{
    const std::string text = "123456";
    std::int32_t i = 0;
    EXPECT_TRUE(scanInt(std::string_view(text).substr(0, 3), i));
    EXPECT_EQ(i, 123);
}
