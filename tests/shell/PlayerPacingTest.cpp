// The player's own frame statistics, and how soon it ends when asked to in the middle of a slow
// frame: the player binary, run without a display as a user would.

#include "SampleDemo.h"
#include "support/CommandRun.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// The number after label in text, or -1.
double numberAfter(const std::string& text, const std::string& label)
{
    const std::size_t at = text.find(label);
    return at == std::string::npos ? -1.0 : std::atof(text.c_str() + at + label.size());
}

// Runs `player ARGUMENTS` in the demo's folder; after `signalAfter` seconds (when above 0) it is
// sent SIGTERM. Standard output lands in out.txt. Returns the seconds from the signal (or the
// start) to the end of the process.
double runPlayer(const TempDir& dir, const std::string& arguments, double signalAfter = 0.0,
                 const std::string& environment = "")
{
    const std::string player = "env -u DISPLAY -u WAYLAND_DISPLAY DEMOPLAYER_NO_MESSAGE_BOXES=1 "
                               "SDL_AUDIODRIVER=dummy " +
                               environment + " timeout 120 '" DEMOPLAYER_PATH "' " + arguments +
                               " >out.txt 2>err.txt";
    std::string command = "cd '" + dir.path().string() + "' || exit 1; ";
    if (signalAfter > 0.0)
        command += player + " & pid=$!; sleep " + std::to_string(signalAfter) +
                   "; date +%s.%N >signalled.txt; kill -TERM $pid; wait $pid; date +%s.%N "
                   ">ended.txt";
    else
        command += player + "; echo $? >status.txt";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(std::system(command.c_str()), 0);
    if (signalAfter <= 0.0)
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return std::stod(readFile(dir.file("ended.txt"))) -
           std::stod(readFile(dir.file("signalled.txt")));
}

constexpr int slowLayers = 16;
constexpr int passesPerLayer = 300;

// The tiny demo made slow on purpose: a large window and sixteen screen layers, each drawing its
// object hundreds of times, so that one frame takes seconds on a software renderer.
void writeSlowDemo(const TempDir& dir)
{
    writeTinyDemo(dir.path().string(), 0.5f, 30.0f);
    std::string layers;
    std::string script;
    for (int i = 1; i <= slowLayers; ++i) {
        const std::string name = "layer" + std::to_string(i);
        layers += " " + name + " screen";
        script += name + (i == 1 ? " cl" : " nc") + " tiny 1 00:00:00:000\n";
    }
    dir.write("defaultdemoconfig.txt",
              "window 1024 768 32 24 4 3 music.ogg . tex scn\ntiny 0.0 30" + layers + "\n");
    dir.write("tiny.txt", script);
    std::string materials;
    for (int i = 0; i < passesPerLayer; ++i)
        materials += "colourbox 1\nBlend Src 1 Dst 1\n.\n";
    dir.write("scn/tiny.txt", materials);
}

TEST(PlayerPacing, StatsPrintTheFrameTimesAndTheWorstFrame)
{
    TempDir dir;
    writeTinyDemo(dir.path().string(), 0.5f, 1.0f);
    // Both ways of asking: the flag, and the user's settings file.
    dir.write("config/Brindlex/Staverly/Quillomark.conf", "Stats=1\n");
    for (const auto& [arguments, environment] :
         {std::pair<std::string, std::string>{"--stats", ""},
          {"", "XDG_CONFIG_HOME='" + dir.file("config") + "'"}}) {
        SCOPED_TRACE(arguments + environment);
        runPlayer(dir, arguments, 0.0, environment);
        EXPECT_EQ(readFile(dir.file("status.txt")), "0\n") << readFile(dir.file("err.txt"));
        const std::string stats = readFile(dir.file("out.txt"));
        EXPECT_GT(numberAfter(stats, "frames drawn: "), 1.0) << stats;
        const double median = numberAfter(stats, "median ");
        const double p99 = numberAfter(stats, "99th percentile ");
        const double worst = numberAfter(stats, "worst ");
        EXPECT_GT(median, 0.0) << stats;
        EXPECT_LE(median, p99) << stats;
        EXPECT_LE(p99, worst) << stats;
        EXPECT_NE(stats.find("frames slower than 1/30 s: "), std::string::npos) << stats;
        // The demo's layers at its worst frame, by name, with their events.
        EXPECT_NE(stats.find("worst frame at demo time "), std::string::npos) << stats;
        EXPECT_NE(stats.find("final: tiny camera 1 clear cl"), std::string::npos) << stats;
    }
    runPlayer(dir, "");
    EXPECT_EQ(readFile(dir.file("out.txt")), "") << "no statistics unless asked for";
}

// Not a timing test of the player's speed: the same demo's own frame time is the yardstick. A
// signal in the middle of a frame of sixteen slow layers ends the player within a few layers,
// well before the frame would have been finished and presented. Without the checks between
// layers it ends only after the whole frame; without the fences between them, llvmpipe queues
// the whole frame and a signal that comes once it is queued waits for most of it.
TEST(PlayerPacing, ASignalEndsTheFrameInFlightAtTheNextLayer)
{
    TempDir dir;
    writeSlowDemo(dir);
    // A first run that draws a frame or two and ends by itself: how long loading and one frame
    // take on this machine now.
    const double firstRun = runPlayer(dir, "--stats --to 0.05");
    const std::string stats = readFile(dir.file("out.txt"));
    const double frameSeconds = numberAfter(stats, "worst ") / 1000.0;
    ASSERT_GT(frameSeconds, 0.0) << stats << readFile(dir.file("err.txt"));
    // By then the second run has loaded, drawn its first frame (the slowest: llvmpipe compiles
    // its shaders there, which no check interrupts) and is in the middle of a later one, even
    // on a machine busier than during the first run.
    const double quitSeconds = runPlayer(dir, "", firstRun + 2.0 * frameSeconds);
    std::printf("ended %.3f s after the signal; a frame takes %.3f s\n", quitSeconds, frameSeconds);
    EXPECT_LT(quitSeconds, frameSeconds / 2.0)
        << "ended " << quitSeconds << " s after the signal; a frame takes " << frameSeconds << " s";
}

} // namespace
