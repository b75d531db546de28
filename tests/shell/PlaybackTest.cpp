#include "SampleDemo.h"

#include "platform/AudioFile.h"
#include "platform/AudioOutput.h"
#include "platform/Window.h"
#include "shell/AuthorKeys.h"
#include "shell/AuthorOverlay.h"
#include "shell/DemoPlayer.h"
#include "shell/GlStartup.h"
#include "shell/HotReload.h"
#include "shell/MappedTextFile.h"
#include "shell/Playback.h"
#include "shell/SteeredLoop.h"
#include "shell/Viewport.h"
#include "support/CommandRun.h"
#include "support/TempDir.h"
#include "timeline/FrameComposition.h"
#include "timeline/FrameStats.h"
#include "timeline/Preroll.h"
#include "timeline/TimelineScript.h"
#include "timeline/VirtualClock.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>
#include <vector>

namespace {

using Keys = std::vector<std::pair<int, bool>>; // virtual-key code, Shift held

// The bundled demo's own size: its glow texture must fit into the window to be copied whole.
constexpr int width = 640;
constexpr int height = 480;

// The player's own window, offscreen: its GL context draws, its event queue takes the keys.
Window& playerWindow()
{
    static Window window;
    if (!window.isOpen()) {
        WindowRequest request;
        request.width = width;
        request.height = height;
        request.offscreen = true;
        EXPECT_TRUE(window.create(request, nullptr));
        initialiseGL();
    }
    return window;
}

// The demo in folder loaded as the player loads it, with its music on a silent clock.
std::unique_ptr<DemoPlayer> loadDemo(const std::string& folder, std::int64_t frequency)
{
    playerWindow();
    MappedTextFile config(folder + "/defaultdemoconfig.txt");
    DemoSettings settings = readDemoHeader(config);
    settings.rootDir = folder;
    std::optional<DecodedAudio> music = decodeAudioFile(folder + "/" + settings.musicFile);
    EXPECT_TRUE(music);
    auto player = std::make_unique<DemoPlayer>(
        settings, std::make_unique<MusicStream>(std::move(*music), false));
    resize(width, height, player->assets.paths.aspect);
    loadTimeline(player->timeline, config, frequency);
    return player;
}

std::vector<unsigned char> framePixels()
{
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width * height * 4));
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

// The frame a fresh start at t draws: a new load, pre-rolled as a capture from t.
std::vector<unsigned char> freshFrameAt(const std::string& folder, float t)
{
    PerformanceClock performance;
    std::unique_ptr<DemoPlayer> fresh = loadDemo(folder, performance.frequency());
    VirtualClock clock(fresh->timeline.startTime, FrameRate{60, 1}, performance.frequency());
    prerollTimeline(fresh->timeline, clock, {t, 0});
    renderFrame(fresh->timeline, t, clock);
    return framePixels();
}

// The demo in folder loaded as the player loads it, playing from 0 s on a clock that pauses.
struct PlayingDemo {
    explicit PlayingDemo(const std::string& folder)
        : player(loadDemo(folder, performance.frequency())),
          playback(*player, clock, 0.0f, {0.0f, player->timeline.endTime})
    {
        playback.start(0.0f);
    }

    PerformanceClock performance;
    PausableClock clock{performance};
    std::unique_ptr<DemoPlayer> player;
    Playback playback;
};

// Keys held down for one pass of the main loop: Escape, held last, ends it after its frame. Each
// call is a new loop, with the overlay hidden at first.
void pressThenDrawOneFrame(PlayingDemo& demo, const Keys& keys, HotReload* reload = nullptr)
{
    Window& window = playerWindow();
    for (const auto& [code, shift] : keys)
        ASSERT_TRUE(window.postKeyPress(code, shift));
    ASSERT_TRUE(window.postKeyPress(virtualKeyEscape));
    FrameStats stats;
    runSteeredLoop(demo.player, window, demo.clock, stats, demo.playback, true, reload);
}

Keys repeated(int code, int times, bool shift = false)
{
    return Keys(static_cast<std::size_t>(times), {code, shift});
}

Keys operator+(Keys a, const Keys& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

// The bundled demo, seeked with the keys across its layer events (the city's second camera at
// 7.5 s, the morphs at 15 s, the sparks from 17 s) and back again, while the glow layer renders
// into its texture: each picture is the one a fresh start at that time draws.
TEST(Playback, SeekingWithTheKeysShowsTheFrameOfAFreshStartThere)
{
    const std::string samples = DP_SAMPLES_DIR;
    PlayingDemo demo(samples);
    using namespace authorKey;
    const std::vector<std::pair<Keys, float>> moves = {
        {Keys{{space, false}, {home, false}} + repeated(right, 3), 3.0f},
        {Keys{{home, false}} + repeated(right, 7) + repeated(period, 31) + repeated(comma, 1),
         7.5f},
        {repeated(right, 1, true) + repeated(comma, 30), 17.0f},
        {repeated(right, 7), 24.0f},
        {repeated(left, 8) + repeated(period, 12), 16.2f},
    };
    for (const auto& [keys, expected] : moves) {
        pressThenDrawOneFrame(demo, keys);
        ASSERT_TRUE(demo.playback.paused());
        const float t = demo.playback.time();
        ASSERT_NEAR(t, expected, 1e-4f);
        const std::vector<unsigned char> seeked = framePixels();
        const std::vector<unsigned char> fresh = freshFrameAt(samples, t);
        int differing = 0;
        for (std::size_t i = 0; i < seeked.size(); ++i)
            differing += seeked[i] != fresh[i];
        EXPECT_EQ(differing, 0) << "at " << t;
    }
}

// A scene at 10 frames per second is held by the frame limiter between its frames; after the
// player has drawn later frames, a seek back must draw as a fresh start does, not wait for the
// later frames' scene times.
TEST(Playback, SeekingBackRedrawsASlowSceneAsAFreshStart)
{
    TempDir dir;
    const std::string folder = dir.path().string();
    writeTinyDemo(folder, 2.0f, 1.8f);
    std::string scene = readFile(dir.path() / "scn" / "tiny.lws");
    const auto at = scene.find("FramesPerSecond 30");
    ASSERT_NE(at, std::string::npos);
    scene.replace(at, 18, "FramesPerSecond 10");
    dir.write("scn/tiny.lws", scene);

    PlayingDemo demo(folder);
    pressThenDrawOneFrame(
        demo, {{authorKey::space, false}, {authorKey::home, false}, {authorKey::right, false}});
    ASSERT_NEAR(demo.playback.time(), 1.0f, 1e-6f);
    pressThenDrawOneFrame(demo, Keys{{authorKey::home, false}} + repeated(authorKey::period, 20));
    const float t = demo.playback.time();
    ASSERT_NEAR(t, 0.3333f, 1e-3f);
    const std::vector<unsigned char> seeked = framePixels();
    EXPECT_TRUE(seeked == freshFrameAt(folder, t));
}

// Paused, neither the music nor the scene clocks move; resumed, both go on from where they
// stood, without a jump.
TEST(Playback, PauseHoldsTheClockAndResumesWithoutAJump)
{
    TempDir dir;
    writeTinyDemo(dir.path().string(), 2.0f, 1.8f);
    PlayingDemo demo(dir.path().string());
    Playback& playback = demo.playback;
    const PausableClock& clock = demo.clock;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    playback.togglePause();
    const float held = playback.frameTime();
    const std::int64_t counter = clock.counter();
    EXPECT_GT(held, 0.03f);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(playback.frameTime(), held);
    EXPECT_EQ(demo.player->demoTime(), held);
    EXPECT_EQ(clock.counter(), counter);
    playback.togglePause();
    const float resumed = playback.frameTime();
    const double sceneSeconds =
        static_cast<double>(clock.counter() - counter) / static_cast<double>(clock.frequency());
    EXPECT_GE(resumed, held);
    EXPECT_LT(resumed - held, 0.01f);
    EXPECT_LT(sceneSeconds, 0.01);
}

// A loop of a quarter second, marked with L at its two ends: the first frame time past its end
// is its start, and the scene clocks are those of a fresh start there.
TEST(Playback, TheLoopWrapsWithinOneFrame)
{
    TempDir dir;
    writeTinyDemo(dir.path().string(), 2.0f, 1.8f);
    PlayingDemo demo(dir.path().string());
    Playback& playback = demo.playback;
    AuthorKeys keys(playback);
    playback.togglePause();
    playback.seek(0.5f);
    keys.handle({{authorKey::loop}});
    playback.seek(0.75f);
    keys.handle({{authorKey::loop}});
    ASSERT_TRUE(playback.loop());
    EXPECT_EQ(playback.loop()->start, 0.5f);
    EXPECT_EQ(playback.loop()->end, 0.75f);
    playback.togglePause();
    float last = playback.frameTime();
    float wrapped = -1.0f;
    for (const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
         std::chrono::steady_clock::now() < deadline;) {
        const float t = playback.frameTime();
        if (t < last) {
            wrapped = t;
            break;
        }
        EXPECT_LE(t, 0.75f);
        last = t;
    }
    EXPECT_EQ(wrapped, 0.5f);
    VirtualClock fresh(0.0f, FrameRate{60, 1}, demo.performance.frequency());
    fresh.moveTo(0.5f, 0);
    EXPECT_NEAR(static_cast<double>(demo.clock.counter() - fresh.counter()) /
                    static_cast<double>(demo.clock.frequency()),
                0.0, 0.005);
    keys.handle({{authorKey::loop}});
    EXPECT_FALSE(playback.loop());
}

// F1 shows the overlay over the last layer: inside its box the picture darkens under the text,
// outside it not one pixel changes; and the next frame, drawn after it, is the frame drawn
// without it, so no state a layer relies on was left changed.
TEST(Overlay, ChangesNoPixelOutsideItsBoxAndNoStateTheNextFrameSees)
{
    PlayingDemo demo(DP_SAMPLES_DIR);
    pressThenDrawOneFrame(demo, Keys{{authorKey::space, false}, {authorKey::home, false}} +
                                    repeated(authorKey::right, 3));
    const float t = demo.playback.time();
    const std::vector<unsigned char> plain = framePixels();
    renderFrame(demo.player->timeline, t, demo.clock);
    const std::vector<unsigned char> plainNext = framePixels();

    pressThenDrawOneFrame(demo, {{authorKey::f1, false}});
    const std::vector<unsigned char> shown = framePixels();
    renderFrame(demo.player->timeline, t, demo.clock);
    const std::vector<unsigned char> shownNext = framePixels();

    AuthorOverlay overlay;
    const FrameStats stats;
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    const PanelBox box = panelBox(overlay.panel(*demo.player, demo.playback, stats), viewport);
    ASSERT_GT(box.width, 100);
    int changedInside = 0;
    int changedOutside = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const auto at = static_cast<std::size_t>((y * width + x) * 4);
            const bool changed = !std::equal(&plain[at], &plain[at + 3], &shown[at]);
            const bool inside =
                x >= box.x && x < box.x + box.width && y >= box.y && y < box.y + box.height;
            (inside ? changedInside : changedOutside) += changed;
        }
    }
    EXPECT_EQ(changedOutside, 0);
    EXPECT_GT(changedInside, box.width * box.height / 2);
    EXPECT_TRUE(shownNext == plainNext);

    const std::vector<std::string> lines = overlay.panel(*demo.player, demo.playback, stats).lines;
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(lines[0].rfind("t 3.000 s  music 3.000 s", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find("PAUSED"), std::string::npos);
    EXPECT_EQ(lines[2], "glow: orbit camera 1 clear cc");
    EXPECT_EQ(lines[3], "final: city camera 1 clear cl");
    EXPECT_EQ(lines[4], "overlay: none");
    EXPECT_EQ(lines[5], "loop off (L marks its start)");
}

namespace {

DemoSettings settingsOf(const std::string& folder)
{
    MappedTextFile config(folder + "/defaultdemoconfig.txt");
    DemoSettings settings = readDemoHeader(config);
    settings.rootDir = folder;
    return settings;
}

void replaceText(const std::filesystem::path& file, const std::string& from, const std::string& to)
{
    std::string text = readFile(file);
    const auto at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
    std::ofstream(file, std::ios::binary) << text;
}

// The watcher sees the edit now; one settling time later the next pass of the loop reloads.
void drawAfterTheEditSettles(PlayingDemo& demo, HotReload& reload)
{
    EXPECT_FALSE(reload.changesSettled(monotonicNanoseconds()));
    std::this_thread::sleep_for(std::chrono::nanoseconds(reloadSettleNanoseconds + 50'000'000));
    pressThenDrawOneFrame(demo, {}, &reload);
}

std::size_t residentKilobytes()
{
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0;
    std::size_t resident = 0;
    statm >> pages >> resident;
    return resident * 4;
}

} // namespace

// A copy of the bundled demo, paused at 3 s, while its files are edited on disk: the city's
// material, a texture and a mesh each change the picture to what a fresh start with the edited
// files shows; a script naming a scene that does not exist keeps the last good demo playing and
// says why on standard error.
TEST(HotReload, EditedFilesChangeThePictureAndABrokenEditKeepsTheLastGood)
{
    TempDir dir;
    const std::string folder = dir.path().string();
    std::filesystem::copy(DP_SAMPLES_DIR, folder, std::filesystem::copy_options::recursive);
    PlayingDemo demo(folder);
    HotReload reload(folder + "/defaultdemoconfig.txt", settingsOf(folder),
                     demo.performance.frequency());
    pressThenDrawOneFrame(demo, Keys{{authorKey::space, false}, {authorKey::home, false}} +
                                    repeated(authorKey::right, 3));
    const float t = demo.playback.time();
    std::vector<unsigned char> before = framePixels();

    const std::vector<std::pair<const char*, std::function<void()>>> edits = {
        {"material",
         [&] { replaceText(dir.path() / "scn" / "city.txt", "ConstAlpha 0.2", "ConstAlpha 0.9"); }},
        {"texture",
         [&] {
             std::filesystem::copy_file(dir.path() / "tex" / "checker.tga",
                                        dir.path() / "tex" / "marble.tga",
                                        std::filesystem::copy_options::overwrite_existing);
         }},
        {"mesh",
         [&] {
             std::filesystem::copy_file(dir.path() / "objects" / "colourbox.po2",
                                        dir.path() / "objects" / "screenbox.po2",
                                        std::filesystem::copy_options::overwrite_existing);
         }},
    };
    for (const auto& [what, edit] : edits) {
        const DemoPlayer* old = demo.player.get();
        edit();
        drawAfterTheEditSettles(demo, reload);
        EXPECT_NE(demo.player.get(), old) << what << " was not reloaded";
        const std::vector<unsigned char> after = framePixels();
        EXPECT_FALSE(after == before) << what << " left the picture as it was";
        EXPECT_TRUE(after == freshFrameAt(folder, t)) << what;
        before = after;
    }

    const DemoPlayer* good = demo.player.get();
    std::ofstream(dir.path() / "main.txt", std::ios::app) << "final cl missing 1 00:00:05:000\n";
    testing::internal::CaptureStderr();
    drawAfterTheEditSettles(demo, reload);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(demo.player.get(), good);
    EXPECT_NE(errors.find("reload failed, the last good demo plays on: Cannot load file " + folder +
                          "/scn/missing.lws from directory"),
              std::string::npos)
        << errors;
    // Drawn again (a second away and back): still the last good demo's picture.
    pressThenDrawOneFrame(demo, {{authorKey::right, false}, {authorKey::left, false}});
    EXPECT_TRUE(framePixels() == before);
}

// R reloads the whole demo; a thousand reloads free what they replace: the next texture, display
// list and program names GL hands out, and the memory the process holds, stay where they were.
TEST(HotReload, AThousandReloadsLeaveGlNamesAndMemoryFlat)
{
    TempDir dir;
    const std::string folder = dir.path().string();
    writeTinyDemo(folder, 2.0f, 1.8f);
    PlayingDemo demo(folder);
    HotReload reload(folder + "/defaultdemoconfig.txt", settingsOf(folder),
                     demo.performance.frequency());
    // GL names in use, counted by asking about every name up to far past any handed out.
    const auto liveNames = [] {
        constexpr GLuint highestName = 20000;
        int textures = 0;
        int lists = 0;
        for (GLuint name = 1; name <= highestName; ++name) {
            textures += glIsTexture(name) == GL_TRUE;
            lists += glIsList(name) == GL_TRUE;
        }
        return std::make_pair(textures, lists);
    };
    std::pair<int, int> names;
    std::size_t memory = 0;
    for (int reloads = 1; reloads <= 1000; ++reloads) {
        pressThenDrawOneFrame(demo, {{authorKey::reload, false}}, &reload);
        if (reloads == 100) {
            names = liveNames();
            memory = residentKilobytes();
        }
    }
    EXPECT_EQ(liveNames(), names);
    EXPECT_GT(names.first, 0);
#ifdef __SANITIZE_ADDRESS__
    // AddressSanitizer holds freed memory in quarantine, so the resident size grows there.
    static_cast<void>(memory);
#else
    EXPECT_LT(residentKilobytes(), memory + 2048);
#endif
    EXPECT_FALSE(demo.playback.paused());
    EXPECT_GT(demo.playback.time(), 0.0f);
}
