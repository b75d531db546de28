#include "shell/MappedTextFile.h"
#include "shell/LoadError.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

TEST(MappedTextFile, WordsSplitOnAnyRunOfNonGraphicBytes)
{
    TempDir dir;
    const char bytes[] = "one\ttwo\r\n\r\n\nthree \x01\x7f"
                         "four\x00"
                         "five";
    MappedTextFile file(dir.write("w.txt", std::string(bytes, sizeof bytes - 1)));
    EXPECT_EQ(file.readWord(), "one");
    EXPECT_EQ(file.readWord(), "two");
    EXPECT_EQ(file.readWord(), "three");
    EXPECT_EQ(file.readWord(), "four");
    // The last word has no separator after it and is still read whole.
    EXPECT_EQ(file.readWord(), "five");
    EXPECT_TRUE(file.atEnd());
    EXPECT_EQ(file.readWord(), "");
    EXPECT_EQ(file.readWord(), "");
}

TEST(MappedTextFile, NumbersAfterTheEndOrThatDoNotConvertLeaveTheirTargets)
{
    TempDir dir;
    MappedTextFile file(dir.write("n.txt", "29.97 -7 abc 1e3 1A 2.5"));
    std::uint32_t unsignedValue = 5;
    file.readUnsigned(unsignedValue);
    EXPECT_EQ(unsignedValue, 29u);
    std::int32_t intValue = 0;
    file.readInt(intValue);
    EXPECT_EQ(intValue, -7);
    float floatValue = 3.5f;
    file.readFloat(floatValue);
    EXPECT_EQ(floatValue, 3.5f);
    file.readFloat(floatValue);
    EXPECT_EQ(floatValue, 1000.0f);
    std::uint32_t hexValue = 0;
    file.readHex(hexValue);
    EXPECT_EQ(hexValue, 0x1Au);
    file.readInt(intValue);
    EXPECT_EQ(intValue, 2);
    file.readInt(intValue);
    file.readFloat(floatValue);
    EXPECT_EQ(intValue, 2);
    EXPECT_EQ(floatValue, 1000.0f);
}

TEST(MappedTextFile, SkipsPeeksAndReturnsToAPosition)
{
    TempDir dir;
    MappedTextFile file(dir.write("s.txt", "a bb ccc dddd"));
    EXPECT_EQ(file.peekWord(), "a");
    file.skipWords(2);
    const auto mark = file.position();
    EXPECT_EQ(file.readWord(), "ccc");
    file.setPosition(mark);
    EXPECT_EQ(file.readWordView(), "ccc");
    file.skipWords(5);
    EXPECT_TRUE(file.atEnd());
    file.setPosition(1000);
    EXPECT_TRUE(file.atEnd());
}

TEST(MappedTextFile, EmptyFileHasNoWordsAndLongWordsAreRefused)
{
    TempDir dir;
    MappedTextFile empty(dir.write("empty.txt", ""));
    EXPECT_TRUE(empty.atEnd());
    EXPECT_EQ(empty.readWord(), "");

    const std::string longest(249, 'x');
    MappedTextFile words(dir.write("long.txt", longest + " " + longest + "y next"));
    EXPECT_EQ(words.readWord(), longest);
    try {
        words.readWord();
        FAIL() << "a 250-character word was accepted";
    } catch (const LoadError& error) {
        EXPECT_NE(std::string(error.what()).find("long.txt"), std::string::npos);
    }
}

TEST(MappedTextFile, HighBytesBelongToWords)
{
    TempDir dir;
    MappedTextFile file(dir.write("u.txt", "\"Textures/M\xc3\xbcll.tga\" next"));
    EXPECT_EQ(file.readWord(), "\"Textures/M\xc3\xbcll.tga\"");
    EXPECT_EQ(file.readWord(), "next");
}

TEST(MappedTextFile, MissingFileIsCannotLoad)
{
    TempDir dir;
    const std::string path = dir.file("absent.txt");
    try {
        MappedTextFile file(path);
        FAIL() << "a missing file opened";
    } catch (const LoadError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot load file " + path + " from directory");
    }
}
