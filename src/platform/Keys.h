#pragma once

#include <array>

// True between key down and key up, indexed by Windows virtual-key code (Escape is 27, letters
// are their capitals 'A'..'Z', digits '0'..'9', F1 is 0x70, the arrows 0x25..0x28).
using KeyStates = std::array<bool, 256>;

constexpr int virtualKeyEscape = 0x1B;

// The virtual-key code for an SDL keycode, 0 where the key has none.
int virtualKeyCode(int sdlKeycode);

// The same with the key's position: the number row gives its digits on every layout, and a
// letter key whose layout has no Latin letter gives the letter of its US position, as Windows
// does; SDL's keycode alone follows the layout ('&' for the 1 key on a French keyboard).
int virtualKeyCode(int sdlKeycode, int sdlScancode);
