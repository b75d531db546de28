#include "shell/PlayerOptions.h"

#include "shell/PictureSize.h"

#include <CLI/CLI.hpp>

#include <cmath>
#include <vector>

namespace {

constexpr const char* versionText = "demoplayer 1.0";
// The largest side the player's --size takes.
constexpr int maxWindowSide = 16384;

constexpr const char* description =
    "Plays a demo from the data files beside its configuration (default "
    "defaultdemoconfig.txt), run from the folder the configuration's paths are relative to. "
    "Without flags it plays exactly as the configuration and the settings file say.";

constexpr const char* keysHelp =
    "Keys: Escape ends the demo. With --author also:\n"
    "  Space          pause and resume (music and picture together)\n"
    "  Left / Right   back / forward 1 s; with Shift 10 s\n"
    "  Home           back to the start\n"
    "  . and ,        while paused: one frame (1/60 s) forward / back\n"
    "  L              mark the loop start, then its end, then clear it\n"
    "  F1             show or hide the overlay (time, frame rate, layers, reloads)\n"
    "  R              reload every file of the demo now\n"
    "With --author the player also reloads any file of the demo within a second of its change.\n"
    "Exit status: 0 played, 1 loading error, 2 bad flags or values.";

CommandLineResult badUsage(std::string message)
{
    // One line, whatever the parser wrote.
    for (char& c : message)
        if (c == '\n')
            c = ' ';
    CommandLineResult result;
    result.exitStatus = exitBadUsage;
    result.isError = true;
    result.text = "demoplayer: " + message + " (see --help)\n";
    return result;
}

std::string joined(const std::vector<std::string>& words)
{
    std::string line;
    for (const std::string& word : words)
        line += (line.empty() ? "" : " ") + word;
    return line;
}

} // namespace

CommandLineResult parsePlayerCommandLine(int argc, const char* const* argv)
{
    CLI::App app(description, "demoplayer");
    app.footer(keysHelp);
    app.set_version_flag("--version", versionText);
    PlayerOptions options;
    std::vector<std::string> configWords;
    std::string size;
    std::string vsync;
    float from = 0.0f;
    float to = 0.0f;
    int audioOffset = 0;
    // The configuration may be given in several words, as one command-line string would be.
    app.add_option("CONFIG", configWords, "the demo's configuration file");
    bool windowed = false;
    bool fullscreen = false;
    auto* windowedFlag =
        app.add_flag("--windowed", windowed, "play in a window whatever the configuration says");
    app.add_flag("--fullscreen", fullscreen, "play full-screen")->excludes(windowedFlag);
    app.add_option("--size", size, "window or display mode size WxH, such as 1280x720");
    app.add_option("--vsync", vsync,
                   "wait for the display's refresh: on or off (default: VSync= "
                   "in the settings file, else the driver's)")
        ->check(CLI::IsMember({"on", "off"}));
    auto* fromOption = app.add_option("--from", from,
                                      "start at this demo second, exactly as a "
                                      "capture from there would show it");
    auto* toOption = app.add_option("--to", to, "end after this demo second");
    app.add_flag("--loop", options.loop, "play from --from to --to again and again");
    auto* offsetOption =
        app.add_option("--audio-offset", audioOffset,
                       "milliseconds the picture is shown later than the music, for devices "
                       "with latency; may be negative (default: AudioOffsetMs= in the settings "
                       "file, else 0)");
    app.add_flag("--author", options.author, "author mode: the keys below, overlay, hot reload");
    app.add_flag("--stats", options.stats, "print frame statistics at exit");

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        return {std::nullopt, 0, app.help(), false};
    } catch (const CLI::CallForVersion& version) {
        return {std::nullopt, 0, std::string(version.what()) + "\n", false};
    } catch (const CLI::ParseError& error) {
        return badUsage(error.what());
    }

    options.configFile = joined(configWords);
    if (windowed)
        options.fullscreen = false;
    if (fullscreen)
        options.fullscreen = true;
    if (!size.empty()) {
        const std::optional<PictureSize> picture = parsePictureSize(size, maxWindowSide);
        if (!picture)
            return badUsage("--size takes WIDTHxHEIGHT such as 1280x720, not \"" + size + "\"");
        options.width = picture->width;
        options.height = picture->height;
    }
    if (!vsync.empty())
        options.vsync = vsync == "on";
    if (*fromOption) {
        if (!std::isfinite(from) || from < 0.0f)
            return badUsage("--from takes a number of seconds, 0 or more");
        options.from = from;
    }
    if (*toOption) {
        if (!std::isfinite(to) || to < 0.0f)
            return badUsage("--to takes a number of seconds, 0 or more");
        options.to = to;
    }
    if (options.from && options.to && *options.from >= *options.to)
        return badUsage("--from must come before --to");
    if (*offsetOption)
        options.audioOffsetMs = audioOffset;
    return {options, 0, {}, false};
}
