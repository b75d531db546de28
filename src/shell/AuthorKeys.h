#pragma once

#include <vector>

class Playback;
struct KeyPress;

// Virtual-key codes of the author keys (platform/Keys.h).
namespace authorKey {
constexpr int space = 0x20;
constexpr int home = 0x24;
constexpr int left = 0x25;
constexpr int right = 0x27;
constexpr int f1 = 0x70;
constexpr int comma = 0xBC;
constexpr int period = 0xBE;
constexpr int loop = 'L';
constexpr int reload = 'R';
} // namespace authorKey

constexpr float shortJumpSeconds = 1.0f;
constexpr float longJumpSeconds = 10.0f; // with Shift

// What the author keys do to the playback, and what they ask of the loop around it.
class AuthorKeys {
public:
    explicit AuthorKeys(Playback& playback) : playback(playback) {}

    // Held keys repeat the jumps and the steps; the toggles and the marks act once per press.
    void handle(const std::vector<KeyPress>& presses);

    bool overlayShown() const { return overlay; }
    // True once after R was pressed.
    bool takeReloadRequest();

private:
    Playback& playback;
    bool overlay = false;
    bool reloadAsked = false;
};
