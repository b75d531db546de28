#include "shell/MappedTextStream.h"
#include "shell/LoadError.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <vector>

static std::vector<std::string> allLines(MappedTextStream& text)
{
    std::vector<std::string> lines;
    while (!text.atEnd()) {
        text.skipWhitespace();
        if (text.atEnd())
            break;
        lines.push_back(text.readLine());
    }
    return lines;
}

TEST(MappedTextStream, LinesSkipBlankLinesAndLeadingWhitespace)
{
    TempDir dir;
    MappedTextStream text(dir.write("l.txt", "\n\n  # comment\r\nfinal cl city 1 00:01:02:500\n\n\t"
                                             "glow none 00:02:00:000"));
    const auto lines = allLines(text);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "# comment\r");
    EXPECT_EQ(lines[1], "final cl city 1 00:01:02:500");
    EXPECT_EQ(lines[2], "glow none 00:02:00:000");
}

TEST(MappedTextStream, LongLinesSplitAt249Characters)
{
    TempDir dir;
    const std::string first(249, 'a');
    MappedTextStream text(dir.write("long.txt", "#" + first + "rest of it\nnext\n"));
    const auto lines = allLines(text);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "#" + first.substr(0, 248));
    // The remainder of an over-long comment starts a line of its own.
    EXPECT_EQ(lines[1], "arest of it");
    EXPECT_EQ(lines[2], "next");
}

TEST(MappedTextStream, ExtractionReadsTheMappedBytes)
{
    TempDir dir;
    MappedTextStream text(dir.write("x.txt", "Word 65535 70000"));
    std::string word;
    unsigned short small = 0;
    text.stream() >> word >> small;
    EXPECT_EQ(word, "Word");
    EXPECT_EQ(small, 65535);
    unsigned short tooBig = 1;
    text.stream() >> tooBig;
    EXPECT_TRUE(text.stream().fail());
}

TEST(MappedTextStream, EmptyFileHasNoLines)
{
    TempDir dir;
    MappedTextStream text(dir.write("e.txt", ""));
    EXPECT_TRUE(text.atEnd());
    EXPECT_TRUE(allLines(text).empty());
    EXPECT_THROW(MappedTextStream(dir.file("none.txt")), LoadError);
}
