#include "Capture.h"
#include "Join.h"

#include "platform/Console.h"
#include "platform/MessageBox.h"
#include "shell/LoadError.h"
#include "shell/PictureSize.h"

#include <CLI/CLI.hpp>

#include <cmath>
#include <cstdio>
#include <optional>

namespace {

// Beyond any driver's limit; the driver's own, often smaller, is checked once the context exists.
constexpr int maxSide = 65536;

constexpr const char* description =
    "Records a demo to a video file or to numbered PNG frames, frame for frame the same on every "
    "run: each frame is rendered offscreen at exactly its demo time, from + k / fps, for every "
    "k whose time is not past the end. Run it from the demo's folder, as the player.\n\n"
    "Output by PATH:\n"
    "  a folder (existing, or ending in \"/\"): frame-000000.png, frame-000001.png, ... (RGB, "
    "8 bits, top row first) and audio.wav (the music of the span, 16-bit PCM)\n"
    "  NAME.mp4: H.264 video (yuv420p, --quality) and AAC audio\n"
    "  NAME.mkv: lossless FFV1 video (RGB) and FLAC audio\n\n"
    "Parts: --segment I/N or --frames A-B renders only those frames of the capture's grid (the "
    "frames --from, --to and --fps define, numbered from 0), exactly as a whole run draws them, "
    "without audio and with a description beside the output (NAME.json, or part.json in a "
    "folder); \"demo-capture join OUT PART...\" joins the parts without re-encoding and adds the "
    "audio of the whole span.\n\n"
    "Ctrl-C stops early and closes the output, which then plays up to the last frame written.\n"
    "Exit status: 0 done, 1 loading or writing failed, 2 bad arguments, 130 interrupted.";

// --segment or --frames (CLI11 has refused both together) into options; the reason when bad.
std::optional<std::string> selectPart(const std::string& segment, const std::string& frames,
                                      CaptureOptions& options)
{
    if (!segment.empty()) {
        options.selection = parseSegment(segment);
        options.selectionText = "--segment " + segment;
        if (!options.selection)
            return "--segment takes I/N with 1 <= I <= N, not \"" + segment + "\"";
    }
    if (!frames.empty()) {
        options.selection = parseFrameRange(frames);
        options.selectionText = "--frames " + frames;
        if (!options.selection)
            return "--frames takes A-B with 0 <= A <= B, not \"" + frames + "\"";
    }
    return std::nullopt;
}

int badUsage(std::string message)
{
    // One line, whatever the parser wrote.
    for (char& c : message)
        if (c == '\n')
            c = ' ';
    std::fprintf(stderr, "demo-capture: %s (see --help)\n", message.c_str());
    return exitBadUsage;
}

// Parses the command line into app's options. Returns the status to exit with when that is all
// there is to do: done after printing the help, a usage error after a bad argument.
std::optional<int> parseCommandLine(CLI::App& app, int argc, char** argv)
{
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::printf("%s", app.help().c_str());
        return exitDone;
    } catch (const CLI::ParseError& error) {
        return badUsage(error.what());
    }
    return std::nullopt;
}

constexpr const char* joinDescription =
    "Joins the parts of one capture (--segment or --frames runs) into OUT without re-encoding "
    "the video, and adds the audio of the whole span, encoded once. The parts must cover the "
    "capture's frames once, with no gap or overlap, and come from the same configuration, size "
    "and codec settings; they may be given in any order. OUT is of the parts' kind: NAME.mkv, "
    "NAME.mp4, or a folder, into which folder parts' frames are linked. Run it from the demo's "
    "folder, as the capture.\n"
    "Exit status: 0 done, 1 refused or failed, 2 bad arguments.";

int join(int argc, char** argv)
{
    CLI::App app(joinDescription, "demo-capture join");
    JoinOptions options;
    app.add_option("OUT", options.out, "the joined file or folder")->required();
    app.add_option("PART", options.parts, "the parts' files or folders")->required();
    app.add_option("--config", options.config, "the demo's configuration file")
        ->capture_default_str();
    if (const std::optional<int> status = parseCommandLine(app, argc, argv))
        return *status;
    try {
        return runJoin(options);
    } catch (const LoadError& error) {
        showMessage("Loading Error", error.what(), MessageIcon::Error);
        return exitFailed;
    }
}

} // namespace

int main(int argc, char** argv)
{
    turnMessageBoxesOff();
    if (argc > 1 && std::string(argv[1]) == "join")
        return join(argc - 1, argv + 1);

    CLI::App app(description, "demo-capture");
    CaptureOptions options;
    std::string fps = "60";
    std::string size;
    float from = 0.0f;
    float to = 0.0f;
    app.add_option("CONFIG", options.config, "the demo's configuration file")
        ->capture_default_str();
    app.add_option("--out", options.out, "a folder, NAME.mp4 or NAME.mkv")->required();
    app.add_option("--fps", fps, "frames per second: 60, 29.97 or 30000/1001")
        ->capture_default_str();
    app.add_option("--size", size,
                   "picture size WxH; default the configuration's, letterboxed "
                   "to the demo's aspect as the player does");
    auto* fromOption =
        app.add_option("--from", from, "first demo second (default: the demo's start time)");
    auto* toOption = app.add_option("--to", to, "last demo second (default: its end time)");
    app.add_option("--quality", options.quality,
                   "H.264 constant rate factor, 0 (best) to 51; .mp4 only; the default looks "
                   "like the original")
        ->check(CLI::Range(0, worstQuality))
        ->capture_default_str();
    app.add_option("--anisotropy", options.anisotropy,
                   "ceiling on anisotropic texture filtering, 1 (none) up to the driver's "
                   "maximum; default the driver's maximum, 1 on software renderers")
        ->check(CLI::Range(1.0f, 1024.0f));

    std::string segment;
    std::string frames;
    auto* segmentOption =
        app.add_option("--segment", segment, "only part I of N equal parts of the frames, as I/N");
    app.add_option("--frames", frames, "only frames A to B of the capture's grid, as A-B")
        ->excludes(segmentOption);

    if (const std::optional<int> status = parseCommandLine(app, argc, argv))
        return *status;

    const std::optional<FrameRate> rate = parseFrameRate(fps);
    if (!rate)
        return badUsage("--fps takes a positive rate up to 1000 such as 60, 29.97 or "
                        "30000/1001, not \"" +
                        fps + "\"");
    options.rate = *rate;
    if (!size.empty()) {
        const std::optional<PictureSize> picture = parsePictureSize(size, maxSide);
        if (!picture)
            return badUsage("--size takes WIDTHxHEIGHT such as 640x480, not \"" + size + "\"");
        options.width = picture->width;
        options.height = picture->height;
    }
    if (*fromOption) {
        if (!std::isfinite(from))
            return badUsage("--from takes a number of seconds");
        options.from = from;
    }
    if (*toOption) {
        if (!std::isfinite(to))
            return badUsage("--to takes a number of seconds");
        options.to = to;
    }
    if (options.from && options.to && *options.from > *options.to)
        return badUsage("--from must not come after --to");
    if (const std::optional<std::string> failure = selectPart(segment, frames, options))
        return badUsage(*failure);

    catchInterrupt();
    try {
        return runCapture(options);
    } catch (const LoadError& error) {
        showMessage("Loading Error", error.what(), MessageIcon::Error);
        return exitFailed;
    }
}
