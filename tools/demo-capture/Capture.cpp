#include "Capture.h"

#include "EncoderThread.h"
#include "FrameSink.h"
#include "Progress.h"

#include "platform/AudioFile.h"
#include "platform/Console.h"
#include "platform/OffscreenSurface.h"
#include "shell/DemoPlayer.h"
#include "shell/GlStartup.h"
#include "shell/LoadError.h"
#include "shell/MainLoop.h"
#include "shell/MappedTextFile.h"
#include "shell/MusicStream.h"
#include "shell/Viewport.h"
#include "timeline/FrameComposition.h"
#include "timeline/Preroll.h"
#include "timeline/TimelineScript.h"
#include "timeline/VirtualClock.h"

#include <GL/gl.h>

#include <chrono>
#include <cstdio>

namespace {

// The virtual clock ticks in nanoseconds, as the player's performance counter does.
constexpr std::int64_t clockTicksPerSecond = 1'000'000'000;

int report(int status, const std::string& message)
{
    std::fprintf(stderr, "demo-capture: %s\n", message.c_str());
    return status;
}

DecodedAudio decodeMusic(const std::string& musicFile)
{
    checkAudioLibraryVersions();
    std::optional<DecodedAudio> audio = decodeAudioFile(musicFile);
    if (!audio)
        throwCannotLoad(musicFile);
    return std::move(*audio);
}

std::string seconds(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    return text;
}

} // namespace

int runCapture(const CaptureOptions& options, CaptureStats* stats)
{
    const std::optional<OutputKind> kind =
        options.discardFrames ? OutputKind::PngFolder : outputKindFor(options.out);
    if (!kind)
        return report(exitBadUsage,
                      "--out must name a folder, a .mp4 or a .mkv file: " + options.out);
    auto config = std::make_unique<MappedTextFile>(options.config);
    const DemoSettings settings = readDemoHeader(*config);
    const int width = options.width > 0 ? options.width : settings.width;
    const int height = options.height > 0 ? options.height : settings.height;
    if (width <= 0 || height <= 0)
        return report(exitBadUsage, "the picture size must be given with --size WxH");
    if (*kind == OutputKind::Mp4 && (width % 2 != 0 || height % 2 != 0))
        return report(exitBadUsage, "an .mp4 needs an even width and height, not " +
                                        std::to_string(width) + "x" + std::to_string(height));
    DecodedAudio music = decodeMusic(settings.musicFile);

    // The surface outlives the player, whose textures, meshes and programs are GL objects.
    OffscreenSurface surface;
    if (const char* failure = surface.create(width, height, settings.colourBits, settings.zBits))
        return report(exitFailed, failure);
    initialiseGL();
    // A silent stream: the capture's clock is virtual, and the music only feeds the output.
    // Per-user settings are not read, so that captures are the same on every machine; the
    // anisotropy ceiling comes from the command line alone.
    DemoSettings captureSettings = settings;
    captureSettings.anisotropy = options.anisotropy;
    DemoPlayer player(captureSettings, std::make_unique<MusicStream>(std::move(music), false));
    // Letterboxed as the player's window is, and the loading screen under the first frame.
    resize(width, height, player.assets.paths.aspect);
    glClear(GL_COLOR_BUFFER_BIT);
    drawLoadingScreen(player.assets.textures);
    loadTimeline(player.timeline, *config, clockTicksPerSecond);
    config.reset();

    Timeline& timeline = player.timeline;
    const float from = options.from.value_or(timeline.startTime);
    const float to = options.to.value_or(timeline.endTime);
    if (from < timeline.startTime || to > timeline.endTime || from > to)
        return report(exitBadUsage, "the span " + seconds(from) + " to " + seconds(to) +
                                        " must lie within the demo's " +
                                        seconds(timeline.startTime) + " to " +
                                        seconds(timeline.endTime) + " seconds");

    SinkSetup setup;
    setup.width = width;
    setup.height = height;
    setup.rate = options.rate;
    setup.audio = audioSpan(player.music->audio(), from, to);
    setup.quality = options.quality;
    std::unique_ptr<EncoderThread> encoder;
    if (!options.discardFrames) {
        std::string error;
        std::unique_ptr<FrameSink> sink =
            *kind == OutputKind::PngFolder
                ? openPngSink(options.out, std::move(setup), error)
                : openVideoSink(options.out, *kind, std::move(setup), error);
        if (!sink)
            return report(exitFailed, error);
        encoder = std::make_unique<EncoderThread>(std::move(sink));
    }

    // The layers start at the demo's start whatever the span, so that at `from` everything is
    // where a capture from the start would have it.
    VirtualClock clock(timeline.startTime, options.rate, clockTicksPerSecond);
    prerollTimeline(timeline, clock, {from, 0});

    const std::int64_t total = frameCount(from, to, options.rate);
    Progress progress(options.quiet ? nullptr : stderr, standardErrorIsTerminal(), total);
    const auto started = std::chrono::steady_clock::now();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    std::int64_t frame = 0;
    bool sinkFailed = false;
    FrameStats renderTimes;
    float frameTime = 0.0f;
    auto renderStarted = std::chrono::steady_clock::now();
    const auto stopPending = [] { return interruptRequested(); };
    MainLoopHooks hooks;
    hooks.pumpEvents = [&] { return sinkFailed || interruptRequested(); };
    hooks.active = [] { return true; };
    hooks.demoTime = [&] { return clock.demoTime(); };
    hooks.renderFrame = [&](float t) {
        frameTime = t;
        renderStarted = std::chrono::steady_clock::now();
        renderFrame(timeline, t, clock, stopPending);
    };
    hooks.stopMusic = [] {};
    hooks.escapeHeld = [] { return false; };
    hooks.stopPending = stopPending;
    hooks.present = [&] {
        FramePixels pixels;
        if (encoder) {
            pixels = encoder->takeBuffer();
            pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
            glReadPixels(0, 0, width, height, GL_BGR, GL_UNSIGNED_BYTE, pixels.data());
        } else {
            glFinish();
        }
        renderTimes.add(frameTime, std::chrono::duration<double, std::milli>(
                                       std::chrono::steady_clock::now() - renderStarted)
                                       .count());
        if (encoder)
            sinkFailed = !encoder->submit(std::move(pixels));
        clock.moveTo(from, ++frame);
        progress.framesDone(frame);
    };
    runLoop(to, hooks);

    const bool interrupted = interruptRequested() && frame < total;
    if (sinkFailed || (encoder && !encoder->finish(!interrupted)))
        return report(exitFailed, encoder->error());
    const std::int64_t written = encoder ? encoder->framesWritten() : frame;
    if (stats)
        *stats = {written,
                  std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count(),
                  renderTimes};
    const double duration = interrupted ? static_cast<double>(written) / options.rate.perSecond()
                                        : static_cast<double>(to) - static_cast<double>(from);
    progress.summary(written, width, height, duration, options.out, interrupted, renderTimes);
    return interrupted ? exitInterrupted : exitDone;
}
