#pragma once

#include <string>
#include <vector>

// Lines of text over a small frame-time graph, in a dark box in the top-left corner of the
// viewport: the author's overlay.
struct TextPanel {
    std::vector<std::string> lines;
    std::vector<float> frameMilliseconds; // oldest first; the last graphFrames are drawn
};

constexpr std::size_t graphFrames = 120;
constexpr float graphTopMilliseconds = 50.0f;

// A rectangle in window pixels, x and y from the lower-left corner.
struct PanelBox {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Where the panel lands in the viewport (x, y, width, height); text is drawn twice as large
// from a viewport 720 pixels high on.
PanelBox panelBox(const TextPanel& panel, const int viewport[4]);

// Draws the panel over whatever is in the current viewport. Every piece of state it changes is
// saved first and restored after, so a layer drawn next finds the state the last one left.
// Returns where it drew.
PanelBox drawTextPanel(const TextPanel& panel);
