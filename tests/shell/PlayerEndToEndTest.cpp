#include "SampleDemo.h"
#include "support/CommandRun.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <string>

namespace {

struct PlayerRun {
    int status = -1;
    std::string errors;
    double seconds = 0.0;
};

// The player binary in folder, without a display and without message boxes, as a user would
// start it there. timeout is what timeout(1) is given: by default a player that does not end
// within two minutes is killed, so a clock that stops moving fails the test instead of hanging it.
PlayerRun runPlayerIn(const std::string& folder, const TempDir& dir, const std::string& arguments,
                      const std::string& environment = "", const std::string& timeout = "120")
{
    const auto start = std::chrono::steady_clock::now();
    const CommandRun run = runCommand(
        dir, "cd '" + folder +
                 "' && env -u DISPLAY -u WAYLAND_DISPLAY DEMOPLAYER_NO_MESSAGE_BOXES=1 " +
                 environment + " timeout --preserve-status " + timeout + " '" DEMOPLAYER_PATH "' " +
                 arguments);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return {run.status, run.err, seconds};
}

// The player started in the demo's own folder, without arguments.
PlayerRun runPlayer(const TempDir& dir, const std::string& environment = "")
{
    return runPlayerIn(dir.path().string(), dir, "", environment);
}

} // namespace

TEST(PlayerEndToEnd, PlaysATinyDemoPastItsMusicToItsEndTime)
{
    TempDir dir;
    // Half a second of music, a demo that lasts from 0.3 s to 1.2 s: the clock runs on alone.
    writeTinyDemo(dir.path().string(), 0.5f, 1.2f);
    dir.write("defaultdemoconfig.txt", "window 160 120 32 24 4 3 music.ogg . tex scn\n"
                                       "tiny 0.3 1.2 glow glowtex final screen\n");
    const PlayerRun run = runPlayer(dir);
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(run.errors.find("Loading Error"), std::string::npos) << run.errors;
    // It cannot end before the music clock has run from the start to the end time.
    EXPECT_GE(run.seconds, 0.9) << run.errors;
    EXPECT_LT(run.seconds, 60.0);
}

// An ALSA device that cannot open (here one that does not exist, as on a machine without a
// sound card) leaves one line on standard error about the silent clock, and no library noise.
TEST(PlayerEndToEnd, WithoutAnAudioDeviceSaysSoInOneLine)
{
    TempDir dir;
    writeTinyDemo(dir.path().string(), 0.5f, 1.2f);
    const PlayerRun run = runPlayer(dir, "SDL_AUDIODRIVER=alsa AUDIODEV=dp_no_such_device");
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(run.errors.find("ALSA"), std::string::npos) << run.errors;
    std::istringstream lines(run.errors);
    int silentLines = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.find("no display found") != std::string::npos)
            continue;
        EXPECT_EQ(line, "Ardun{Quillomark}: no audio device opened; the music plays on a silent "
                        "clock");
        ++silentLines;
    }
    EXPECT_EQ(silentLines, 1) << run.errors;
}

TEST(PlayerEndToEnd, FollowsAnAudioDeviceWhereOneOpens)
{
    // SDL's dummy driver takes the samples at the device's pace without a sound card, so the
    // clock runs on the frames the device has taken, not on the silent clock.
    TempDir dir;
    writeTinyDemo(dir.path().string(), 0.5f, 1.2f);
    const PlayerRun run = runPlayer(dir, "SDL_AUDIODRIVER=dummy");
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(run.errors.find("Loading Error"), std::string::npos) << run.errors;
    EXPECT_GE(run.seconds, 1.1) << run.errors;
    EXPECT_LT(run.seconds, 60.0);
}

TEST(PlayerEndToEnd, ALoadingErrorAfterTheWindowExistsEndsWithItsMessage)
{
    TempDir dir;
    writeTinyDemo(dir.path().string(), 0.5f, 1.0f);
    dir.write("tiny.txt", "final cc missing 1 00:00:00:000\n");
    const PlayerRun run = runPlayer(dir);
    EXPECT_EQ(run.status, 1);
    const std::string message = "Loading Error: Cannot load file ./scn/missing.lws from directory";
    // Without a display it is one line, not one for each box that would have been shown.
    const std::size_t first = run.errors.find(message);
    ASSERT_NE(first, std::string::npos) << run.errors;
    EXPECT_EQ(run.errors.find(message, first + 1), std::string::npos) << run.errors;
}

TEST(PlayerEndToEnd, BadFlagsAndASpanOutsideTheDemoEndWithOneLineAndStatusTwo)
{
    TempDir dir;
    writeTinyDemo(dir.path().string(), 0.5f, 1.2f);
    for (const char* arguments : {"--bogus", "--size 12", "--from 5", "--to 3 --from 0.5"}) {
        const PlayerRun run = runPlayerIn(dir.path().string(), dir, arguments);
        EXPECT_EQ(run.status, 2) << arguments << ": " << run.errors;
        EXPECT_NE(run.errors.find("demoplayer: "), std::string::npos) << run.errors;
        EXPECT_EQ(run.errors.find("Loading Error"), std::string::npos) << run.errors;
    }
}

// The bundled demo lasts 30 s: a run from 10 s to 11 s ends after about a second of play, and a
// loop of half a second goes on until it is interrupted.
TEST(PlayerEndToEnd, FromToAndLoopOnTheBundledDemo)
{
    TempDir dir;
    const PlayerRun span = runPlayerIn(DP_SAMPLES_DIR, dir, "--from 10 --to 11");
    EXPECT_EQ(span.status, 0) << span.errors;
    EXPECT_GE(span.seconds, 1.0);
    EXPECT_LT(span.seconds, 9.0) << "played from the start rather than from 10 s";

    const PlayerRun loop =
        runPlayerIn(DP_SAMPLES_DIR, dir, "--from 20 --to 20.5 --loop", "", "-s INT 4");
    EXPECT_EQ(loop.status, 0) << loop.errors; // Ctrl-C is a quit, not a failure
    EXPECT_GE(loop.seconds, 4.0) << "the loop ended by itself";
}
