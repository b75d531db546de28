#include "shell/Viewport.h"
#include "support/OffscreenGl.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>

namespace {

std::array<GLint, 4> currentViewport()
{
    std::array<GLint, 4> view{};
    glGetIntegerv(GL_VIEWPORT, view.data());
    return view;
}

} // namespace

TEST(Viewport, LetterboxKeepsTheAspectInWideAndTallWindows)
{
    ensureOffscreenGl();
    resetGlState();
    constexpr float fourThirds = 4.0f / 3.0f;

    resize(1024, 600, fourThirds);
    EXPECT_EQ(currentViewport(), (std::array<GLint, 4>{112, 0, 800, 600}));

    resize(640, 600, fourThirds);
    EXPECT_EQ(currentViewport(), (std::array<GLint, 4>{0, 60, 640, 480}));

    // Exactly the picture's shape fills the window.
    resize(800, 600, fourThirds);
    EXPECT_EQ(currentViewport(), (std::array<GLint, 4>{0, 0, 800, 600}));
}

TEST(Viewport, ZeroHeightCountsAsOneAndValuesTruncate)
{
    ensureOffscreenGl();
    resetGlState();
    resize(640, 0, 4.0f / 3.0f);
    // Height 1: target 1.333, so the bars are left and right, x = 319.33 -> 319, width 1.
    EXPECT_EQ(currentViewport(), (std::array<GLint, 4>{319, 0, 1, 1}));

    // 16/9 in 1000 x 1000: height 562.5 -> 562, y 218.75 -> 218.
    const ViewportRect tall = letterboxViewport(1000, 1000, 16.0f / 9.0f);
    EXPECT_EQ(tall.x, 0);
    EXPECT_EQ(tall.y, 218);
    EXPECT_EQ(tall.width, 1000);
    EXPECT_EQ(tall.height, 562);

    // A zero-width window with a zero aspect would divide 0 by 0; it gets an empty viewport.
    const ViewportRect empty = letterboxViewport(0, 100, 0.0f);
    EXPECT_EQ(empty.width, 0);
    EXPECT_EQ(empty.height, 0);
}

// The bars are the cleared colour: resize clears the whole buffer, not just the viewport.
TEST(Viewport, ResizeClearsTheBarsToTheClearColour)
{
    ensureOffscreenGl(256, 128);
    resetGlState();
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    resize(256, 128, 1.0f);
    EXPECT_EQ(currentViewport(), (std::array<GLint, 4>{64, 0, 128, 128}));
    const auto bar = readPixelsRGBA(5, 64, 1, 1);
    const auto picture = readPixelsRGBA(128, 64, 1, 1);
    EXPECT_EQ(bar[0], 0);
    EXPECT_EQ(picture[0], 0);
    ensureOffscreenGl();
}
