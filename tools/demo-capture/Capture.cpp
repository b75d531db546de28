#include "Capture.h"

#include "EncoderThread.h"
#include "FrameSelection.h"
#include "FrameSink.h"
#include "PartSidecar.h"
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
#include "shell/PictureSize.h"
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

std::string seconds(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    return text;
}

std::string sizeText(int width, int height)
{
    return std::to_string(width) + "x" + std::to_string(height);
}

// --size, else the configuration's size; an error text when it cannot be encoded.
std::optional<std::string> choosePicture(const CaptureOptions& options,
                                         const DemoSettings& settings, OutputKind kind,
                                         PictureSize& picture)
{
    picture.width = options.width > 0 ? options.width : settings.width;
    picture.height = options.height > 0 ? options.height : settings.height;
    if (picture.width <= 0 || picture.height <= 0)
        return "the picture size must be given with --size WxH";
    if (kind == OutputKind::Mp4 && (picture.width % 2 != 0 || picture.height % 2 != 0))
        return "an .mp4 needs an even width and height, not " +
               sizeText(picture.width, picture.height);
    return std::nullopt;
}

// The context is made on a small surface first, so that a picture over the driver's limit is
// refused by name rather than failing inside the driver.
std::optional<std::string> openSurface(OffscreenSurface& surface, PictureSize picture,
                                       const DemoSettings& settings)
{
    constexpr int probeSide = 16;
    if (const char* failure =
            surface.create(probeSide, probeSide, settings.colourBits, settings.zBits))
        return failure;
    const OffscreenSurface::Size largest = surface.largestSize();
    if (picture.width > largest.width || picture.height > largest.height)
        return "the GL driver here draws at most " + sizeText(largest.width, largest.height) +
               " pixels, less than --size " + sizeText(picture.width, picture.height);
    if (!surface.resize(picture.width, picture.height))
        return "cannot make a " + sizeText(picture.width, picture.height) +
               " picture: the driver is out of memory";
    return std::nullopt;
}

// Letterboxed as the player's window is, with the loading screen under the first frame.
void loadDemo(DemoPlayer& player, MappedTextFile& config, PictureSize picture)
{
    resize(picture.width, picture.height, player.assets.paths.aspect);
    glClear(GL_COLOR_BUFFER_BIT);
    drawLoadingScreen(player.assets.textures);
    loadTimeline(player.timeline, config, clockTicksPerSecond);
}

// The capture's grid (from, from + 1/fps, ... up to `to`) and the frames of it this run draws.
struct CaptureSpan {
    float from = 0.0f;
    float to = 0.0f;
    std::int64_t gridFrames = 0;
    FrameRange frames;
};

std::optional<CaptureSpan> chooseSpan(const CaptureOptions& options, const Timeline& timeline,
                                      std::string& error)
{
    CaptureSpan span;
    span.from = options.from.value_or(timeline.startTime);
    span.to = options.to.value_or(timeline.endTime);
    if (span.from < timeline.startTime || span.to > timeline.endTime || span.from > span.to) {
        error = "the span " + seconds(span.from) + " to " + seconds(span.to) +
                " must lie within the demo's " + seconds(timeline.startTime) + " to " +
                seconds(timeline.endTime) + " seconds";
        return std::nullopt;
    }
    span.gridFrames = frameCount(span.from, span.to, options.rate);
    span.frames = {0, span.gridFrames};
    if (options.selection) {
        const std::optional<FrameRange> range = selectFrames(*options.selection, span.gridFrames);
        if (!range || range->begin == range->end) {
            error = "the capture has frames 0 to " + std::to_string(span.gridFrames - 1) +
                    (range ? ", too few for " : ", not all of ") + options.selectionText;
            return std::nullopt;
        }
        span.frames = *range;
    }
    return span;
}

std::unique_ptr<EncoderThread> openEncoder(const CaptureOptions& options, OutputKind kind,
                                           const CaptureSpan& span, PictureSize picture,
                                           const DecodedAudio& music, std::string& error)
{
    SinkSetup setup;
    setup.width = picture.width;
    setup.height = picture.height;
    setup.rate = options.rate;
    setup.audio = audioSpan(music, span.from, span.to);
    setup.quality = options.quality;
    setup.firstIndex = span.frames.begin;
    setup.withAudio = !options.selection;
    std::unique_ptr<FrameSink> sink =
        kind == OutputKind::PngFolder ? openPngSink(options.out, std::move(setup), error)
                                      : openVideoSink(options.out, kind, std::move(setup), error);
    return sink ? std::make_unique<EncoderThread>(std::move(sink)) : nullptr;
}

// Draws the span's frames through the player's main loop on the virtual clock, each read back
// into the encoder (or only finished, for the benchmark's baseline). Returns the frames drawn.
std::int64_t drawFrames(Timeline& timeline, VirtualClock& clock, const CaptureSpan& span,
                        PictureSize picture, EncoderThread* encoder, Progress& progress,
                        bool& sinkFailed, FrameStats& renderTimes)
{
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    std::int64_t frame = span.frames.begin;
    float frameTime = 0.0f;
    auto renderStarted = std::chrono::steady_clock::now();
    // Ctrl-C is noticed between layers too; a frame it cuts short is not written.
    const auto stopPending = [] { return interruptRequested(); };
    MainLoopHooks hooks;
    hooks.pumpEvents = [&] {
        return sinkFailed || interruptRequested() || frame >= span.frames.end;
    };
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
            pixels.resize(static_cast<std::size_t>(picture.width) *
                          static_cast<std::size_t>(picture.height) * 3);
            glReadPixels(0, 0, picture.width, picture.height, GL_BGR, GL_UNSIGNED_BYTE,
                         pixels.data());
        } else {
            glFinish();
        }
        renderTimes.add(frameTime, std::chrono::duration<double, std::milli>(
                                       std::chrono::steady_clock::now() - renderStarted)
                                       .count());
        if (encoder)
            sinkFailed = !encoder->submit(std::move(pixels));
        clock.moveTo(span.from, ++frame);
        progress.framesDone(frame - span.frames.begin);
    };
    runLoop(span.to, hooks);
    return frame - span.frames.begin;
}

PartSidecar describePart(const CaptureOptions& options, OutputKind kind, const CaptureSpan& span,
                         PictureSize picture)
{
    PartSidecar part;
    part.from = span.from;
    part.to = span.to;
    part.rate = options.rate;
    part.gridFrames = span.gridFrames;
    part.first = span.frames.begin;
    part.last = span.frames.end - 1;
    part.width = picture.width;
    part.height = picture.height;
    part.kind = kind;
    part.quality = kind == OutputKind::Mp4 ? options.quality : 0;
    part.anisotropy = options.anisotropy.value_or(0.0f);
    part.configHash = fileHash(options.config);
    return part;
}

// Draws and writes the frames, closes the output, describes a part beside it, and reports.
int recordFrames(const CaptureOptions& options, OutputKind kind, const CaptureSpan& span,
                 PictureSize picture, Timeline& timeline, VirtualClock& clock,
                 EncoderThread* encoder, CaptureStats* stats)
{
    const std::int64_t total = span.frames.end - span.frames.begin;
    Progress progress(options.quiet ? nullptr : stderr, standardErrorIsTerminal(), total);
    const auto started = std::chrono::steady_clock::now();
    bool sinkFailed = false;
    FrameStats renderTimes;
    const std::int64_t drawn =
        drawFrames(timeline, clock, span, picture, encoder, progress, sinkFailed, renderTimes);

    const bool interrupted = interruptRequested() && drawn < total;
    if (sinkFailed || (encoder && !encoder->finish(!interrupted)))
        return report(exitFailed, encoder->error());
    const std::int64_t written = encoder ? encoder->framesWritten() : drawn;
    if (stats)
        *stats = {written,
                  std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count(),
                  renderTimes};
    // Only a finished part gets its description, so a join refuses an interrupted one.
    std::string error;
    if (options.selection && encoder && !interrupted &&
        !writeSidecar(options.out, describePart(options, kind, span, picture), error))
        return report(exitFailed, error);
    const double duration = interrupted || options.selection
                                ? static_cast<double>(written) / options.rate.perSecond()
                                : static_cast<double>(span.to) - static_cast<double>(span.from);
    progress.summary(written, picture.width, picture.height, duration, options.out, interrupted,
                     renderTimes);
    return interrupted ? exitInterrupted : exitDone;
}

} // namespace

DecodedAudio decodeMusic(const std::string& musicFile)
{
    checkAudioLibraryVersions();
    std::optional<DecodedAudio> audio = decodeAudioFile(musicFile);
    if (!audio)
        throwCannotLoad(musicFile);
    return std::move(*audio);
}

int runCapture(const CaptureOptions& options, CaptureStats* stats)
{
    const std::optional<OutputKind> kind =
        options.discardFrames ? OutputKind::PngFolder : outputKindFor(options.out);
    if (!kind)
        return report(exitBadUsage,
                      "--out must name a folder, a .mp4 or a .mkv file: " + options.out);
    auto config = std::make_unique<MappedTextFile>(options.config);
    const DemoSettings settings = readDemoHeader(*config);
    PictureSize picture;
    if (const auto failure = choosePicture(options, settings, *kind, picture))
        return report(exitBadUsage, *failure);
    DecodedAudio music = decodeMusic(settings.musicFile);
    // The surface outlives the player, whose textures, meshes and programs are GL objects.
    OffscreenSurface surface;
    if (const auto failure = openSurface(surface, picture, settings))
        return report(exitFailed, *failure);
    initialiseGL();
    // A silent stream: the capture's clock is virtual, and the music only feeds the output.
    // Per-user settings are not read, so that captures are the same on every machine; the
    // anisotropy ceiling comes from the command line alone.
    DemoSettings captureSettings = settings;
    captureSettings.anisotropy = options.anisotropy;
    DemoPlayer player(captureSettings, std::make_unique<MusicStream>(std::move(music), false));
    loadDemo(player, *config, picture);
    config.reset();

    std::string error;
    const std::optional<CaptureSpan> span = chooseSpan(options, player.timeline, error);
    if (!span)
        return report(exitBadUsage, error);
    std::unique_ptr<EncoderThread> encoder;
    if (!options.discardFrames &&
        !(encoder = openEncoder(options, *kind, *span, picture, player.music->audio(), error)))
        return report(exitFailed, error);
    // The layers start at the demo's start whatever the span, so that at the first frame
    // everything is where a capture from the start would have it.
    VirtualClock clock(player.timeline.startTime, options.rate, clockTicksPerSecond);
    prerollTimeline(player.timeline, clock, {span->from, span->frames.begin});
    return recordFrames(options, *kind, *span, picture, player.timeline, clock, encoder.get(),
                        stats);
}
