#include "platform/FileMapping.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

TEST(FileMapping, MapsWholeFileAndEmptyFileHasNothingToMap)
{
    TempDir dir;
    const auto full = FileMapping::open(dir.write("a.txt", "hello world"));
    ASSERT_TRUE(full.has_value());
    EXPECT_EQ(std::string(full->data(), full->size()), "hello world");

    const auto empty = FileMapping::open(dir.write("empty.txt", ""));
    ASSERT_TRUE(empty.has_value());
    EXPECT_EQ(empty->data(), nullptr);
    EXPECT_EQ(empty->size(), 0u);
}

TEST(FileMapping, MissingFilesAndDirectoriesDoNotOpen)
{
    TempDir dir;
    EXPECT_FALSE(FileMapping::open(dir.file("missing.txt")).has_value());
    EXPECT_FALSE(FileMapping::exists(dir.file("missing.txt")));
    EXPECT_FALSE(FileMapping::open(dir.path().string()).has_value());
    dir.write("present.jpg", "x");
    EXPECT_TRUE(FileMapping::exists(dir.file("present.jpg")));
}

TEST(FileMapping, MovedMappingKeepsTheBytes)
{
    TempDir dir;
    auto first = FileMapping::open(dir.write("m.txt", "abc"));
    ASSERT_TRUE(first.has_value());
    FileMapping moved = std::move(*first);
    EXPECT_EQ(first->data(), nullptr);
    EXPECT_EQ(std::string(moved.data(), moved.size()), "abc");
}
