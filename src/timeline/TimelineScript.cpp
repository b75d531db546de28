#include "timeline/TimelineScript.h"

#include "image/TextureCache.h"
#include "scene/Scene.h"
#include "shell/DemoConfig.h"
#include "shell/LoadError.h"
#include "shell/MappedTextFile.h"
#include "shell/MappedTextStream.h"
#include "shell/Scan.h"
#include "timeline/DemoAssets.h"
#include "timeline/Timeline.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>

constexpr float maxStartSeconds = 100000.0f;

Layer* Timeline::findLayer(const std::string& name)
{
    for (Layer& layer : layers)
        if (layer.name == name)
            return &layer;
    return nullptr;
}

// atoi on a fixed slice: an optional sign, then leading digits only; none gives 0. A word holds
// no blanks, so atoi's leading-whitespace skip never applies.
static int fieldValue(std::string_view token, std::size_t from, std::size_t length)
{
    const std::size_t end = std::min(from + length, token.size());
    std::size_t i = from;
    const bool negative = i < end && token[i] == '-';
    if (i < end && (token[i] == '-' || token[i] == '+'))
        ++i;
    int value = 0;
    for (; i < end && token[i] >= '0' && token[i] <= '9'; ++i)
        value = value * 10 + (token[i] - '0');
    return negative ? -value : value;
}

float parseTime(std::string_view token)
{
    if (token.size() < 12 || token.size() > 15)
        throw LoadError("Wrong time " + std::string(token) + " : expected hh:mm:ss:mmm");
    const int hours = fieldValue(token, 0, 2);
    const int minutes = fieldValue(token, 3, 2);
    const int seconds = fieldValue(token, 6, 2);
    const int milliseconds = fieldValue(token, 9, 3);
    return static_cast<float>(milliseconds * 0.001 + minutes * 60.0 + hours * 3600.0 + seconds);
}

static ClearMode clearModeFromWord(const std::string& word, bool& known)
{
    known = true;
    if (word == "nc")
        return ClearMode::Nothing;
    if (word == "cz")
        return ClearMode::Depth;
    if (word == "cl")
        return ClearMode::DepthAndColour;
    if (word == "cc")
        return ClearMode::Colour;
    known = false;
    return ClearMode::Nothing;
}

static std::string nextWord(std::istream& line)
{
    std::string word;
    line >> word;
    return word;
}

// Messages for what the script's grammar leaves open name the script and the line as written.
[[noreturn]] static void throwBadLine(const std::string& problem, const MappedTextStream& script,
                                      const std::string& line)
{
    throw LoadError(problem + " in " + script.path() + " line: " + line);
}

static float lineTime(std::istream& words, const MappedTextStream& script, const std::string& line)
{
    const std::string token = nextWord(words);
    if (token.size() < 12 || token.size() > 15)
        throwBadLine("Wrong time \"" + token + "\" (expected hh:mm:ss:mmm)", script, line);
    return parseTime(token);
}

static LayerEvent readSceneEvent(Timeline& timeline, std::istream& words, ClearMode clearMode,
                                 const MappedTextStream& script, const std::string& line)
{
    const std::string sceneName = nextWord(words);
    // Read as a word so that a camera that is not a number stays 0 and is reported as the
    // camera, not as the time behind it.
    const std::string cameraWord = nextWord(words);
    std::uint32_t cameraNumber = 0;
    scanUnsigned(cameraWord, cameraNumber);
    LayerEvent event;
    event.clearMode = clearMode;
    event.time = lineTime(words, script, line);
    // The scene loads here, in the order the script first names it.
    Scene& scene = timeline.assets.scenes.getOrLoad(sceneName);
    if (cameraNumber == 0 || cameraNumber > 0xFFFFu || cameraNumber > scene.cameras.size())
        throwBadLine("Camera \"" + cameraWord + "\" does not exist in scene " + sceneName + " (" +
                         std::to_string(scene.cameras.size()) + " cameras)",
                     script, line);
    event.scene = &scene;
    event.sceneStart = scene.startTime;
    event.lastDrawTime = scene.startTime;
    event.camera = scene.cameras[cameraNumber - 1u].get();
    event.cameraNumber = static_cast<std::uint16_t>(cameraNumber);
    return event;
}

static void readScriptLine(Timeline& timeline, const MappedTextStream& script,
                           const std::string& line)
{
    std::istringstream words(line);
    Layer* layer = timeline.findLayer(nextWord(words));
    if (!layer)
        throw LoadError("wrong layer name : such layer do not exist");
    const std::string word = nextWord(words);
    if (word == "no" || word == "none") {
        LayerEvent event;
        event.time = lineTime(words, script, line);
        layer->events.push_back(event);
        return;
    }
    bool known = false;
    const ClearMode clearMode = clearModeFromWord(word, known);
    if (!known)
        throwBadLine("Unknown clear mode \"" + word + "\" (expected nc, cz, cl or cc)", script,
                     line);
    layer->events.push_back(readSceneEvent(timeline, words, clearMode, script, line));
}

void readTimelineScript(Timeline& timeline, MappedTextStream& script)
{
    while (!script.atEnd()) {
        script.skipWhitespace();
        if (script.atEnd())
            break;
        const std::string line = script.readLine();
        if (line.empty() || line[0] == '#')
            continue;
        readScriptLine(timeline, script, line);
    }
}

void loadTimeline(Timeline& timeline, MappedTextFile& config, std::int64_t counterFrequency)
{
    const std::string scriptName = config.readWord();
    config.readFloat(timeline.startTime);
    config.readFloat(timeline.endTime);
    // "%f" reads "nan" and "inf" too; a demo whose end time is NaN would never end.
    if (!std::isfinite(timeline.startTime) || !std::isfinite(timeline.endTime))
        throw LoadError("Wrong start or end time in " + config.path());
    // Demo time is the music position in float seconds shifted by the start time; far from 0
    // the shift swallows the music's steps (at -1e38 the demo would show nothing, forever).
    if (std::fabs(timeline.startTime) > maxStartSeconds)
        throw LoadError("Start time beyond 100000 seconds in " + config.path() +
                        ": the demo clock cannot advance from it");

    for (;;) {
        config.skipBlanks();
        if (config.atEnd())
            break;
        Layer layer;
        layer.name = config.readWord();
        const std::string targetWord = config.readWord();
        if (targetWord.empty())
            throw LoadError("Layer " + layer.name + " has no target: expected screen or a texture");
        // The target is an ordinary texture whose size fixes the render size; the layer's
        // first copy replaces its pixels.
        if (targetWord != "screen")
            layer.target = &timeline.assets.textures.getByName(targetWord);
        // A cube map has six faces and no one place for the copy of the picture.
        if (layer.target && layer.target->target == GL_TEXTURE_CUBE_MAP_ARB)
            throw LoadError("Layer " + layer.name + " cannot render into the cube map " +
                            targetWord);
        layer.counterFrequency = counterFrequency > 0 ? counterFrequency : 1;
        timeline.layers.push_back(std::move(layer));
    }

    MappedTextStream script(timeline.assets.paths.rootDir + "/" + scriptName + ".txt");
    readTimelineScript(timeline, script);
}
