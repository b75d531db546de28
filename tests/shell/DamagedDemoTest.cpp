#include "image/TextureCache.h"
#include "jpeg/JpegTestFiles.h"
#include "platform/AudioFile.h"
#include "platform/AudioOutput.h"
#include "shell/DemoConfig.h"
#include "shell/DemoPlayer.h"
#include "shell/LoadError.h"
#include "shell/MappedTextFile.h"
#include "support/CommandRun.h"
#include "support/OffscreenGl.h"
#include "support/TempDir.h"
#include "timeline/FrameComposition.h"
#include "timeline/TimelineScript.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

// The bundled demo, one file at a time damaged the way disks, transfers and hand edits damage
// them, loaded and played through the real loaders: every case ends loaded or in a LoadError.
// DAMAGED_DEMO_CASES sets the cases per file (a wider local sweep), DAMAGED_DEMO_FIRST the first
// seed, DAMAGED_DEMO_ONLY one "file:seed" case, DAMAGED_DEMO_FILES the files whose names hold it,
// DAMAGED_DEMO_VERBOSE names each case before it runs, so a crash or hang can be told apart.

namespace {

namespace fs = std::filesystem;

const std::string samples = DP_SAMPLES_DIR;

void writeAll(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

int envInt(const char* name, int fallback)
{
    const char* value = std::getenv(name);
    return value ? std::atoi(value) : fallback;
}

bool isTextFile(const std::string& relative)
{
    return relative.ends_with(".txt") || relative.ends_with(".lws");
}

std::vector<std::string> demoFiles()
{
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(samples)) {
        const std::string relative = fs::relative(entry.path(), samples).generic_string();
        if (entry.is_regular_file() && relative != "README.md")
            files.push_back(relative);
    }
    std::sort(files.begin(), files.end());
    return files;
}

struct Word {
    std::size_t begin;
    std::size_t end;
};

std::vector<Word> wordsOf(const std::string& text)
{
    std::vector<Word> words;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
            ++i;
        const std::size_t begin = i;
        while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i])))
            ++i;
        if (i > begin)
            words.push_back({begin, i});
    }
    return words;
}

std::vector<Word> linesOf(const std::string& text)
{
    std::vector<Word> lines;
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t end = text.find('\n', begin);
        end = end == std::string::npos ? text.size() : end + 1;
        lines.push_back({begin, end});
        begin = end;
    }
    return lines;
}

bool isNumberWord(std::string_view word)
{
    return !word.empty() && word.find_first_not_of("0123456789+-.eE:") == std::string_view::npos &&
           word.find_first_of("0123456789") != std::string_view::npos;
}

const char* const badNumbers[] = {"2147483647",
                                  "-2147483648",
                                  "4294967295",
                                  "99999999999999999999",
                                  "-1",
                                  "0",
                                  "-0.0",
                                  "1e38",
                                  "-1e38",
                                  "3.4e39",
                                  "nan",
                                  "inf",
                                  "-inf",
                                  "x",
                                  "1e-45",
                                  "65536",
                                  "1000000",
                                  "0x7fffffff",
                                  ""};

const char* const foreignLines[] = {"ParentItem 1ffffffff",
                                    "ParentItem 10000063",
                                    "ParentItem 20000000",
                                    "ParentItem 40000000",
                                    "ParentItem 10000000",
                                    "ParentItem 0",
                                    "TargetItem 10000001",
                                    "TargetItem ffffffff",
                                    "TargetItem 30000000",
                                    "MorphTarget 99999",
                                    "MorphTarget -5",
                                    "MorphTarget 1",
                                    "MorphAmount",
                                    "MorphSurfaces",
                                    "AddNullObject null",
                                    "AddBone",
                                    "BoneRestPosition 1e38 nan 0",
                                    "BoneRestDirection nan inf -inf",
                                    "BoneMotion",
                                    "LightType 99",
                                    "LightType -1",
                                    "LightType 2",
                                    "FlareIntensity 1e38",
                                    "LensFlareFade 99",
                                    "FogType 7",
                                    "FogMinDistance -1e38",
                                    "FramesPerSecond 0",
                                    "FramesPerSecond -1",
                                    "FramesPerSecond nan",
                                    "FirstFrame 4294967295",
                                    "LastFrame 0",
                                    "NumChannels 99",
                                    "NumChannels -1",
                                    "NumChannels 2147483647",
                                    "Plugin ObjReplacementHandler 1 LW_MorphMixer",
                                    "Plugin MorphMixer 1 LW_MorphMixer 3 2",
                                    "HController 99",
                                    "PController -1",
                                    "Key 1e38 nan 99 0 0 0 0 0 0",
                                    "Key 1 -1 5 nan nan nan nan nan nan",
                                    "LoadObjectLayer 1 objects/mixer.lwo",
                                    "LoadObjectLayer 1 objects/spikes.lwo",
                                    "LoadObjectLayer 1 objects/blob.lwo",
                                    "LoadObjectLayer 2147483647 x",
                                    "ShowObject 6 3",
                                    "Channel 2147483647",
                                    "Channel -1",
                                    "{ Envelope",
                                    "}",
                                    "Behaviors 99 -99",
                                    "SchematicPosition 1e38 1e38",
                                    "LW_MorphMixer",
                                    "AddLight",
                                    "AddCamera",
                                    "ZoomFactor 0",
                                    "ZoomFactor -1e38",
                                    "LightConeAngle nan",
                                    "BackdropColor 1e38 -1 nan",
                                    "FGImage x",
                                    "LWSC",
                                    "End",
                                    "final cl city 65535 00:00:01:000",
                                    "glow cl orbit 0 00:00:01:000",
                                    "overlay cz morph 4294967296 99:99:99:999",
                                    "final nc sparks 1 -9:-9:-9:-99"};

template <typename T> T pick(std::mt19937& random, T count)
{
    return std::uniform_int_distribution<T>(0, count - 1)(random);
}

std::string replaceRange(const std::string& text, Word where, const std::string& with)
{
    return text.substr(0, where.begin) + with + text.substr(where.end);
}

// One damage, chosen and placed by the seed; what it did goes into description.
std::string damageOnce(const std::string& original, bool text, std::mt19937& random,
                       std::string& description)
{
    std::string bytes = original;
    if (bytes.empty())
        return bytes;
    const int kinds = text ? 12 : 6;
    const int kind = pick(random, kinds);
    std::ostringstream what;
    switch (kind) {
    case 0: { // truncated
        const std::size_t at = pick(random, bytes.size());
        bytes.resize(at);
        what << "truncated at " << at;
        break;
    }
    case 1: { // bits flipped
        const int flips = 1 + pick(random, 8);
        what << "flipped";
        for (int i = 0; i < flips; ++i) {
            const std::size_t at = pick(random, bytes.size());
            bytes[at] = static_cast<char>(bytes[at] ^ (1 << pick(random, 8)));
            what << " " << at;
        }
        break;
    }
    case 2: { // bytes overwritten
        const std::size_t at = pick(random, bytes.size());
        const std::size_t count = std::min<std::size_t>(1 + pick(random, 16), bytes.size() - at);
        const int fill = pick(random, 3);
        for (std::size_t i = at; i < at + count; ++i)
            bytes[i] = fill == 0 ? '\0' : fill == 1 ? '\xff' : static_cast<char>(random());
        what << "overwrote " << count << " at " << at << " with " << fill;
        break;
    }
    case 3: { // header damaged: the counts and sizes near the start
        const std::size_t at = pick(random, std::min<std::size_t>(bytes.size(), 20));
        bytes[at] = static_cast<char>(random());
        what << "header byte " << at;
        break;
    }
    case 4: { // a 32-bit field set to an extreme
        const std::uint32_t values[] = {0x7fffffffu, 0xffffffffu, 0x80000000u, 0x00010000u, 0u};
        const std::uint32_t value = values[pick(random, 5)];
        const std::size_t at = pick(random, bytes.size());
        for (std::size_t i = 0; i < 4 && at + i < bytes.size(); ++i)
            bytes[at + i] = static_cast<char>(value >> (8 * (i % 4)));
        what << "word " << value << " at " << at;
        break;
    }
    case 5: { // a 16-bit field set to an extreme
        const std::uint16_t values[] = {0xffff, 0x8000, 0x7fff, 0, 1};
        const std::uint16_t value = values[pick(random, 5)];
        if (bytes.size() < 2)
            break;
        const std::size_t at = pick(random, bytes.size() - 1);
        bytes[at] = static_cast<char>(value & 0xff);
        bytes[at + 1] = static_cast<char>(value >> 8);
        what << "half word " << value << " at " << at;
        break;
    }
    default: { // text edits, by word and by line
        const std::vector<Word> words = wordsOf(bytes);
        const std::vector<Word> lines = linesOf(bytes);
        if (words.empty() || lines.empty())
            break;
        if (kind == 5) {
            std::vector<Word> numbers;
            for (const Word& word : words)
                if (isNumberWord(std::string_view(bytes).substr(word.begin, word.end - word.begin)))
                    numbers.push_back(word);
            if (numbers.empty())
                numbers = words;
            const Word word = numbers[pick(random, numbers.size())];
            const char* value = badNumbers[pick(random, std::size(badNumbers))];
            bytes = replaceRange(bytes, word, value);
            what << "number at " << word.begin << " = \"" << value << "\"";
        } else if (kind == 6) {
            const Word word = words[pick(random, words.size())];
            const bool drop = pick(random, 2) == 0;
            const std::string kept = bytes.substr(word.begin, word.end - word.begin);
            bytes = replaceRange(bytes, word, drop ? "" : kept + " " + kept);
            what << (drop ? "dropped" : "doubled") << " word at " << word.begin;
        } else if (kind == 7) {
            const Word line = lines[pick(random, lines.size())];
            const bool drop = pick(random, 2) == 0;
            const std::string kept = bytes.substr(line.begin, line.end - line.begin);
            bytes = replaceRange(bytes, line, drop ? "" : kept + kept);
            what << (drop ? "dropped" : "doubled") << " line at " << line.begin;
        } else if (kind == 9) {
            const Word a = words[pick(random, words.size())];
            const Word b = words[pick(random, words.size())];
            if (a.begin < b.begin) {
                const std::string first = bytes.substr(a.begin, a.end - a.begin);
                const std::string second = bytes.substr(b.begin, b.end - b.begin);
                bytes = replaceRange(replaceRange(bytes, b, first), a, second);
            }
            what << "swapped words at " << a.begin << " and " << b.begin;
        } else if (kind == 11) {
            // A line of another part, with values the part does not expect.
            const Word at = lines[pick(random, lines.size())];
            const char* line = foreignLines[pick(random, std::size(foreignLines))];
            bytes.insert(at.begin, std::string(line) + "\n");
            what << "inserted \"" << line << "\" at " << at.begin;
        } else if (kind == 10) {
            // A line from elsewhere in the file, out of its place.
            const Word line = lines[pick(random, lines.size())];
            const Word at = lines[pick(random, lines.size())];
            bytes.insert(at.begin, bytes.substr(line.begin, line.end - line.begin));
            what << "copied line at " << line.begin << " to " << at.begin;
        } else {
            // A run of lines dropped, as a file cut short in the middle.
            const std::size_t first = pick(random, lines.size());
            const std::size_t last =
                std::min(lines.size() - 1, first + static_cast<std::size_t>(pick(random, 6)));
            bytes.erase(lines[first].begin, lines[last].end - lines[first].begin);
            what << "dropped lines " << first << " to " << last;
        }
        break;
    }
    }
    description = what.str();
    return bytes;
}

// Mostly one damage, sometimes two or three on top of each other.
std::string damage(const std::string& original, bool text, std::mt19937& random,
                   std::string& description)
{
    const int count = std::array{1, 1, 1, 2, 3}[pick(random, 5)];
    std::string bytes = original;
    for (int i = 0; i < count; ++i) {
        std::string what;
        bytes = damageOnce(bytes, text, random, what);
        description += (i ? "; " : "") + what;
    }
    return bytes;
}

// A music stream that never opens a device; the silent clock times the demo. The undamaged
// music is decoded once and reused, as decoding it is most of a case's time.
std::unique_ptr<MusicStream> silentMusic(const std::string& path, bool damaged)
{
    static std::optional<DecodedAudio> undamaged;
    std::optional<DecodedAudio> audio;
    if (damaged || !undamaged) {
        audio = decodeAudioFile(path);
        if (!audio)
            throw LoadError("Cannot load file " + path + " from directory");
        if (!damaged)
            undamaged = audio;
    } else {
        audio = undamaged;
    }
    return std::make_unique<MusicStream>(std::move(*audio), false);
}

// The whole start-up of the player on the demo in root, then a few frames at a few times.
void loadAndPlay(const std::string& root, bool musicDamaged = false)
{
    MappedTextFile config(root + "/defaultdemoconfig.txt");
    DemoSettings settings = readDemoHeader(config);
    settings.rootDir = root;
    DemoPlayer player(settings, silentMusic(root + "/" + settings.musicFile,
                                            musicDamaged || settings.musicFile != "music.ogg"));
    drawLoadingScreen(player.assets.textures);
    loadTimeline(player.timeline, config, 1000);
    const float start = player.timeline.startTime;
    const float end = player.timeline.endTime;
    // The music start waits for the clock to move, as the player's does.
    player.startOffset = startMusic(*player.clock, start, monotonicNanoseconds);
    startLayers(player.timeline, start, 0);
    for (float share : {0.0f, 0.3f, 0.6f, 0.95f}) {
        const float t = start + (end - start) * share;
        const auto counter = static_cast<std::int64_t>(share * 30000.0f);
        renderFrame(player.timeline, t, counter);
        renderFrame(player.timeline, t, counter + 1500);
    }
}

struct SweepCount {
    int loaded = 0;
    int failed = 0;
};

// Damages each of files in turn, seed by seed, and loads and plays the demo in root each time.
SweepCount sweep(const std::string& root, const std::vector<std::string>& files, int casesPerFile)
{
    const int firstSeed = envInt("DAMAGED_DEMO_FIRST", 0);
    const bool verbose = std::getenv("DAMAGED_DEMO_VERBOSE") != nullptr;
    const char* only = std::getenv("DAMAGED_DEMO_ONLY");
    const char* chosen = std::getenv("DAMAGED_DEMO_FILES");
    SweepCount count;
    for (const std::string& relative : files) {
        const fs::path file = fs::path(root) / relative;
        const std::string original = readFile(file.string());
        // The music is large and decoded by libraries of its own: fewer cases.
        const int cases = relative == "music.ogg" ? std::max(1, casesPerFile / 4) : casesPerFile;
        for (int seed = firstSeed; seed < firstSeed + cases; ++seed) {
            const std::string name = relative + ":" + std::to_string(seed);
            if ((only && name != only) || (chosen && relative.find(chosen) == std::string::npos))
                continue;
            std::mt19937 random(static_cast<std::uint32_t>(seed * 7919 + relative.size()));
            std::string description;
            writeAll(file, damage(original, isTextFile(relative), random, description));
            if (verbose)
                std::cerr << "case " << name << ": " << description << std::endl;
            resetGlState();
            const auto began = std::chrono::steady_clock::now();
            // Only reported: a case far slower than the rest points at a stall.
            const auto reportTime = [&] {
                if (verbose)
                    std::cerr << "took "
                              << std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now() - began)
                                     .count()
                              << " ms" << std::endl;
            };
            try {
                loadAndPlay(root, relative == "music.ogg");
                reportTime();
                ++count.loaded;
            } catch (const LoadError& error) {
                reportTime();
                EXPECT_STRNE(error.what(), "") << name << ": " << description;
                if (verbose)
                    std::cerr << "load error: " << error.what() << std::endl;
                ++count.failed;
            } catch (const std::exception& error) {
                ADD_FAILURE() << name << " (" << description << ") threw " << error.what();
            }
        }
        writeAll(file, original);
    }
    std::cerr << count.loaded << " damaged demos loaded, " << count.failed << " failed to load"
              << std::endl;
    return count;
}

bool sweepNarrowed()
{
    return std::getenv("DAMAGED_DEMO_ONLY") || std::getenv("DAMAGED_DEMO_FILES");
}

// The pixels of a TGA as JPEG files: the colour one and, for four components, a grey alpha one.
void writeJpegVersion(const std::string& tgaPath, const std::string& jpegPath,
                      const std::string& alphaPath)
{
    const std::string tga = readFile(tgaPath);
    const auto* header = reinterpret_cast<const unsigned char*>(tga.data());
    const int width = header[12] | header[13] << 8;
    const int height = header[14] | header[15] << 8;
    const int components = header[16] / 8;
    const auto* pixels = header + 18 + header[0];
    std::vector<std::uint8_t> colour;
    std::vector<std::uint8_t> alpha;
    for (int i = 0; i < width * height; ++i) {
        for (int c = 0; c < std::min(components, 3); ++c)
            colour.push_back(pixels[i * components + c]);
        if (components == 4)
            alpha.push_back(pixels[i * components + 3]);
    }
    writeAll(jpegPath, encodeJpeg(width, height, std::min(components, 3), colour, 90));
    if (components == 4)
        writeAll(alphaPath, encodeJpeg(width, height, 1, alpha, 90));
}

} // namespace

TEST(DamagedDemo, EveryDamagedFileLoadsOrFailsWithALoadError)
{
    ensureOffscreenGl(320, 240);
    TempDir dir;
    const std::string root = dir.path().string();
    fs::copy(samples, root, fs::copy_options::recursive | fs::copy_options::overwrite_existing);

    // The undamaged demo loads; otherwise every case below would pass on its first error.
    resetGlState();
    ASSERT_NO_THROW(loadAndPlay(root));

    const SweepCount count = sweep(root, demoFiles(), envInt("DAMAGED_DEMO_CASES", 8));
    // Both outcomes occur: damage that loading never notices would make this sweep a no-op.
    if (!sweepNarrowed()) {
        EXPECT_GT(count.loaded, 0);
        EXPECT_GT(count.failed, 0);
    }
}

// A JPEG beside a TGA of the same name is the one loaded, so the same demo also drives the JPEG
// reader, with and without an alpha picture.
TEST(DamagedDemo, EveryDamagedJpegTextureLoadsOrFailsWithALoadError)
{
    ensureOffscreenGl(320, 240);
    TempDir dir;
    const std::string root = dir.path().string();
    fs::copy(samples, root, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    std::vector<std::string> jpegs;
    for (const char* name : {"marble", "checker", "sky"}) {
        const std::string base = root + "/tex/" + name;
        writeJpegVersion(base + ".tga", base + ".jpg", base + ".a.jpg");
        jpegs.push_back(std::string("tex/") + name + ".jpg");
        if (fs::exists(base + ".a.jpg"))
            jpegs.push_back(std::string("tex/") + name + ".a.jpg");
    }
    resetGlState();
    ASSERT_NO_THROW(loadAndPlay(root));

    const SweepCount count = sweep(root, jpegs, envInt("DAMAGED_DEMO_CASES", 5));
    if (!sweepNarrowed()) {
        EXPECT_GT(count.loaded, 0);
        EXPECT_GT(count.failed, 0);
    }
}
