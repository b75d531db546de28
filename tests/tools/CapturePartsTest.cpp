#include "FrameSelection.h"
#include "JoinPlan.h"

#include <gtest/gtest.h>

// Part I of N of any grid: the parts follow each other without gap or overlap, cover the grid
// and differ in length by at most one frame.
TEST(CaptureParts, SegmentsTileTheGrid)
{
    for (const std::int64_t total : {1, 2, 7, 19, 601, 18001}) {
        for (const int parts : {1, 2, 3, 4, 7, 16}) {
            if (parts > total)
                continue;
            std::int64_t next = 0;
            std::int64_t shortest = total;
            std::int64_t longest = 0;
            for (int part = 1; part <= parts; ++part) {
                const auto range = selectFrames(
                    *parseSegment(std::to_string(part) + "/" + std::to_string(parts)), total);
                ASSERT_TRUE(range);
                EXPECT_EQ(range->begin, next) << part << "/" << parts << " of " << total;
                next = range->end;
                shortest = std::min(shortest, range->end - range->begin);
                longest = std::max(longest, range->end - range->begin);
            }
            EXPECT_EQ(next, total) << parts << " parts of " << total;
            EXPECT_LE(longest - shortest, 1) << parts << " parts of " << total;
        }
    }
    const auto range = selectFrames(*parseFrameRange("5-9"), 10);
    ASSERT_TRUE(range);
    EXPECT_EQ(range->begin, 5);
    EXPECT_EQ(range->end, 10);
    EXPECT_FALSE(selectFrames(*parseFrameRange("5-10"), 10));
}

// Parts given in any order are joined in grid order; every gap and overlap is named at once.
TEST(CaptureParts, JoinOrdersThePartsAndNamesEveryGapAndOverlap)
{
    const auto part = [](const char* path, std::int64_t first, std::int64_t last) {
        JoinPart made;
        made.path = path;
        made.sidecar.gridFrames = 20;
        made.sidecar.first = first;
        made.sidecar.last = last;
        return made;
    };
    std::vector<JoinPart> parts = {part("c", 10, 19), part("a", 0, 4), part("b", 5, 9)};
    EXPECT_FALSE(planJoin(parts));
    EXPECT_EQ(parts[0].path, "a");
    EXPECT_EQ(parts[2].path, "c");

    std::vector<JoinPart> broken = {part("a", 0, 2), part("b", 5, 9), part("c", 8, 15)};
    const std::optional<std::string> refusal = planJoin(broken);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(*refusal, "the parts do not cover frames 0-19 once: frames 3-4 missing; frames 8-9 "
                        "in both b and c; frames 16-19 missing");
    std::vector<JoinPart> none;
    EXPECT_EQ(planJoin(none), "no parts to join");
}
