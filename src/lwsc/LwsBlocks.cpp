#include "lwsc/LwsBlocks.h"

#include "lwsc/ConversionReport.h"

#include <charconv>

namespace {

constexpr std::size_t keyNumbers = 9;
constexpr int maxKeyShape = 5;
constexpr std::size_t maxKeyCount = 1000000;

// Braces outside double quotes: how far a line moves the nesting depth.
int braceBalance(const LwsLine& line)
{
    int balance = 0;
    bool quoted = false;
    for (std::string_view part : {line.keyword, line.rest}) {
        for (char c : part) {
            if (c == '"')
                quoted = !quoted;
            else if (!quoted && c == '{')
                ++balance;
            else if (!quoted && c == '}')
                --balance;
        }
    }
    return balance;
}

std::size_t readCount(const LineCursor& lines, const LwsLine& line, std::string_view word,
                      const char* what)
{
    std::size_t count = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), count);
    if (error != std::errc() || end != word.data() + word.size())
        lines.failAt(line,
                     std::string(what) + " \"" + std::string(word) + "\" is not a whole number");
    return count;
}

LwsKey readKey(const LineCursor& lines, const LwsLine& line)
{
    const auto words = line.words();
    if (words.size() != keyNumbers)
        lines.failAt(line, "a key line holds " + std::to_string(words.size()) +
                               " numbers, not value, time, shape and six parameters");
    LwsKey key;
    for (std::size_t i = 0; i < keyNumbers; ++i) {
        if (!isNumber(words[i]))
            lines.failAt(line, "key number \"" + std::string(words[i]) + "\" is not a number");
        key[i] = std::string(words[i]);
    }
    int shape = -1;
    std::from_chars(key[2].data(), key[2].data() + key[2].size(), shape);
    if (shape < 0 || shape > maxKeyShape || key[2].find_first_of(".eE") != std::string::npos)
        lines.failAt(line, "key shape " + key[2] + " is none of 0 to 5");
    return key;
}

} // namespace

LwsEnvelope readEnvelope(LineCursor& lines, ConversionReport& report)
{
    const LwsLine& opening = lines.take();
    if (opening.keyword != "{" || opening.rest != "Envelope")
        lines.failAt(opening, "an envelope block \"{ Envelope\" is expected here");
    const LwsLine& countLine = lines.take();
    const std::size_t count = readCount(lines, countLine, countLine.keyword, "the key count");
    if (count == 0 || count > maxKeyCount)
        lines.failAt(countLine, "an envelope of " + std::to_string(count) + " keys");
    LwsEnvelope envelope;
    bool behaviors = false;
    for (;;) {
        const LwsLine& line = lines.take();
        if (line.keyword == "}")
            break;
        if (line.keyword == "Key") {
            if (envelope.keys.size() == count)
                lines.failAt(line, "more keys than the " + std::to_string(count) + " declared");
            envelope.keys.push_back(readKey(lines, line));
        } else if (line.keyword == "Behaviors") {
            const auto words = line.words();
            if (words.size() != 2 || !isNumber(words[0]) || !isNumber(words[1]))
                lines.failAt(line, "\"Behaviors\" needs two numbers");
            envelope.preBehavior = std::string(words[0]);
            envelope.postBehavior = std::string(words[1]);
            behaviors = true;
        } else if (opensBlock(lines, line)) {
            // Modifiers change the curve in ways keys cannot express without evaluating them.
            const auto words = splitWords(line.rest);
            report.dropped("channel modifiers", line.keyword != "{" ? line.keyword
                                                : words.empty()     ? "{"
                                                                    : words[0]);
            skipBlock(lines, line);
        } else {
            report.dropped("envelope lines the player does not read", line.keyword);
        }
    }
    if (envelope.keys.size() != count)
        lines.failAt(lines.last(), "the envelope ends after " +
                                       std::to_string(envelope.keys.size()) + " of its " +
                                       std::to_string(count) + " keys");
    if (!behaviors)
        lines.failAt(lines.last(), "the envelope has no \"Behaviors\" line");
    return envelope;
}

LwsChannel readChannel(LineCursor& lines, const LwsLine& line, ConversionReport& report)
{
    const auto words = line.words();
    if (words.empty())
        lines.failAt(line, "\"" + std::string(line.keyword) + "\" has no value");
    LwsChannel channel;
    if (words[0] == "(envelope)") {
        channel.envelope = readEnvelope(lines, report);
        return channel;
    }
    if (!isNumber(words[0]))
        lines.failAt(line, "\"" + std::string(line.keyword) + "\" value \"" +
                               std::string(words[0]) + "\" is not a number");
    channel.constant = std::string(words[0]);
    return channel;
}

LwsMotion readMotion(LineCursor& lines, ConversionReport& report)
{
    const LwsLine& countLine = lines.take();
    if (countLine.keyword != "NumChannels")
        lines.failAt(countLine, "\"NumChannels\" is expected after a motion keyword");
    const auto words = countLine.words();
    const std::size_t count =
        readCount(lines, countLine, words.empty() ? "" : words[0], "the channel count");
    // The player places an item with six channels at least; more than nine are not written.
    constexpr std::size_t fewestChannels = 6;
    constexpr std::size_t mostChannels = 9;
    if (count < fewestChannels || count > mostChannels)
        lines.failAt(countLine, "a motion of " + std::to_string(count) +
                                    " channels (the player reads 6 to 9)");
    LwsMotion motion;
    for (std::size_t i = 0; i < count; ++i) {
        const LwsLine& channelLine = lines.take();
        if (channelLine.keyword != "Channel")
            lines.failAt(channelLine, "\"Channel\" is expected for channel " + std::to_string(i) +
                                          " of " + std::to_string(count));
        motion.channels.push_back(readEnvelope(lines, report));
    }
    return motion;
}

LwsReference readReference(const LineCursor& lines, const LwsLine& line, std::string_view word,
                           int base)
{
    std::uint32_t id = 0;
    constexpr std::size_t hexDigits = 8;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), id, base);
    if (word.empty() || word.size() > hexDigits || error != std::errc() ||
        end != word.data() + word.size())
        lines.failAt(line, "\"" + std::string(line.keyword) + "\" value \"" + std::string(word) +
                               "\" is not an item " + (base == 16 ? "identifier" : "number"));
    return {id, line.number};
}

std::array<std::string, 3> readTriple(const LineCursor& lines, const LwsLine& line)
{
    const auto words = line.words();
    if (words.size() < 3 || !isNumber(words[0]) || !isNumber(words[1]) || !isNumber(words[2]))
        lines.failAt(line, "\"" + std::string(line.keyword) + "\" needs three numbers");
    return {std::string(words[0]), std::string(words[1]), std::string(words[2])};
}

bool opensBlock(const LineCursor& lines, const LwsLine& line)
{
    if (line.keyword == "Plugin" || braceBalance(line) > 0)
        return true;
    return !lines.atEnd() && lines.peek().keyword == "{" && lines.peek().rest.empty();
}

void skipBlock(LineCursor& lines, const LwsLine& line)
{
    if (line.keyword == "Plugin") {
        readPluginBlock(lines, line);
        return;
    }
    int depth = braceBalance(line);
    if (depth <= 0) {
        lines.take(); // the lone "{" of the next line
        depth = 1;
    }
    while (depth > 0)
        depth += braceBalance(lines.take());
    if (!lines.atEnd() && lines.peek().keyword == "EndAttribute")
        lines.take();
}

LwsPluginBlock readPluginBlock(LineCursor& lines, const LwsLine& line)
{
    LwsPluginBlock block;
    int depth = 1;
    for (;;) {
        if (lines.atEnd())
            lines.failAt(line, "the plug-in block has no \"EndPlugin\"");
        const LwsLine& inner = lines.take();
        if (inner.keyword == "Plugin")
            ++depth;
        else if (inner.keyword == "EndPlugin" && --depth == 0)
            break;
        block.body.push_back(std::string(inner.keyword) +
                             (inner.rest.empty() ? "" : " " + std::string(inner.rest)));
    }
    if (!lines.atEnd() && lines.peek().keyword == "PluginEnabled")
        block.enabled = std::string(lines.take().rest);
    return block;
}
