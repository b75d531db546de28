#include "render/TextPanel.h"
#include "render/BitmapFont.h"

#include "support/OffscreenGl.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <string>

// The font draws exactly its glyphs' pixels: every character of a line at scale 1, read back
// cell by cell, against the glyph table (and a few glyphs against their look).
TEST(BitmapFont, DrawsEachGlyphsPixelsAndNothingElse)
{
    ensureOffscreenGl(256, 256);
    resetGlState();
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, 256.0, 0.0, 256.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    const std::string text = "Az09:.-[T]";
    const int top = 200;
    drawText(text, 10.0f, static_cast<float>(top), 1.0f);
    const int width = static_cast<int>(text.size()) * glyphAdvance;
    const std::vector<unsigned char> pixels =
        readPixelsRGBA(10, top - lineAdvance, width, lineAdvance);
    for (int y = 0; y < lineAdvance; ++y) {
        for (int x = 0; x < width; ++x) {
            const char c = text[static_cast<std::size_t>(x / glyphAdvance)];
            const int row = lineAdvance - 1 - y; // the read starts at the bottom row
            const bool expected = glyphPixel(c, x % glyphAdvance, row);
            const unsigned char red = pixels[static_cast<std::size_t>((y * width + x) * 4)];
            EXPECT_EQ(red > 128, expected) << c << " at " << x % glyphAdvance << ", " << row;
        }
    }
    // A few glyphs by their look: I's stem, the bar of T, the dash in the middle row.
    for (int row = 0; row < glyphHeight; ++row)
        EXPECT_TRUE(glyphPixel('I', 2, row));
    for (int column = 0; column < glyphWidth; ++column) {
        EXPECT_TRUE(glyphPixel('T', column, 0));
        EXPECT_TRUE(glyphPixel('-', column, 3));
        EXPECT_FALSE(glyphPixel('-', column, 2));
    }
    EXPECT_EQ(glyphPixel('\x7f', 1, 0), glyphPixel('?', 1, 0));
}

TEST(TextPanel, SitsInTheViewportsTopLeftCornerAndGrowsWithItsText)
{
    TextPanel panel;
    panel.lines = {"12345678901234567890123456789012345", "x"};
    const int small[4] = {0, 60, 640, 360};
    const PanelBox box = panelBox(panel, small);
    EXPECT_EQ(box.x, 4);
    EXPECT_EQ(box.y + box.height, 60 + 360 - 4);
    EXPECT_EQ(box.width, 35 * glyphAdvance + 8);
    const int large[4] = {0, 0, 1280, 720};
    EXPECT_EQ(panelBox(panel, large).height, 2 * box.height - 12);
}
