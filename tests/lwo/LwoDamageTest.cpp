#include "LwoSamples.h"

#include "lwo/LwoConvert.h"
#include "lwo/LwoReader.h"
#include "shell/LoadError.h"

#include <gtest/gtest.h>

namespace {

using namespace lwo2;

// The error text of parsing bytes, or "" when they parse.
std::string errorOf(const std::string& bytes)
{
    try {
        parseLwo(bytes, "damaged.lwo");
    } catch (const LoadError& error) {
        return error.what();
    }
    return "";
}

// The top-level chunks of a file: ID, first byte (its header), end (after data and pad).
struct Span {
    std::string id;
    std::size_t begin;
    std::size_t end;
};

std::uint32_t be32(const std::string& bytes, std::size_t at)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

std::vector<Span> topChunks(const std::string& bytes)
{
    std::vector<Span> spans;
    for (std::size_t at = 12; at < bytes.size();) {
        const std::uint32_t length = be32(bytes, at + 4);
        const std::size_t end = at + 8 + length + (length % 2);
        spans.push_back({bytes.substr(at, 4), at, end});
        at = end;
    }
    return spans;
}

std::string withFormLength(std::string bytes)
{
    const std::string length = iff::u4(static_cast<std::uint32_t>(bytes.size() - 8));
    bytes.replace(4, 4, length);
    return bytes;
}

// Every kind of chunk the reader looks into, so cuts land inside each of them.
std::string fullObject()
{
    return iff::form(
        "LWO2", tags({"Cube"}) + layer(0, "cube") + points({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0}) +
                    vertexMap("RGB ", 3, "paint", {{1, 0, {1, 0, 0}}}) +
                    polygons("FACE", {{0, 1, 2, 3}}) + surfaceTags({0}) +
                    cornerMap("TXUV", 2, "UV", {{2, 0, {0.5f, 0.5f}}}) + still(1, "wood.tga") +
                    surface("Cube", {imageBlock("COLR", 1, "UV")}));
}

} // namespace

TEST(LwoDamage, EveryCutIsRefusedNamingTheFileAndTheCutChunk)
{
    const std::string whole = fullObject() + texturedCubeLwo().substr(12);
    const std::string bytes = withFormLength(whole);
    ASSERT_EQ(errorOf(bytes), "");
    const std::vector<Span> spans = topChunks(bytes);
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        const std::string cutFile = bytes.substr(0, cut);
        // As cut, the FORM length promises more than is there.
        const std::string plain = errorOf(cutFile);
        EXPECT_NE(plain.find("damaged.lwo"), std::string::npos) << plain;
        if (cut < 12)
            continue;
        // With the FORM length mended, the cut chunk itself must be named, unless the cut
        // falls between chunks (the file is then whole, only shorter).
        const std::string mended = errorOf(withFormLength(cutFile));
        for (const Span& span : spans) {
            if (cut == span.begin || cut == span.end || cut < span.begin || cut > span.end)
                continue;
            // A cut that only loses the pad byte of the last chunk leaves a whole chunk.
            if (cut + 1 == span.end && (be32(bytes, span.begin + 4) % 2) == 1)
                continue;
            // A cut header leaves no ID to name: the file's own reader reports it.
            const std::string named = cut < span.begin + 8 ? "FORM" : span.id;
            EXPECT_NE(mended.find("damaged.lwo: " + named + " chunk"), std::string::npos) << mended;
        }
    }
}

TEST(LwoDamage, BadCountsLengthsAndIndicesAreClearErrors)
{
    const std::string square = points({0, 0, 0, 1, 0, 0, 1, 1, 0});
    std::string longLength = iff::chunk("TAGS", iff::s0("a"));
    longLength.replace(4, 4, iff::u4(1000));
    std::string longSub = surface("S", {imageBlock("COLR", 1, "UV")});
    longSub.replace(8 + 4 + 4, 2, iff::u2(4000)); // the first sub-chunk after the two names
    struct Case {
        const char* what;
        std::string bytes;
        const char* expected;
    };
    const Case cases[] = {
        {"not IFF", std::string("LWO2 is not here"), "not an IFF FORM file"},
        {"FORM past end", "FORM" + iff::u4(100) + "LWO2", "FORM length 100 runs past the end"},
        {"other form", iff::form("ILBM", ""), "form type \"ILBM\" is none of LWO2, LWO3 and LWOB"},
        {"chunk past end", iff::form("LWO2", longLength),
         "TAGS chunk at byte 12: length 1000 runs past the end of the file (2 bytes left)"},
        {"sub-chunk past end", iff::form("LWO2", longSub),
         "SURF/COLR chunk at byte 24: length 4000 runs past the end of SURF (72 bytes left)"},
        {"points not whole", iff::form("LWO2", iff::chunk("PNTS", std::string(13, '\0'))),
         "PNTS chunk at byte 20: length 13 is not a whole number of points"},
        {"polygon point", iff::form("LWO2", square + polygons("FACE", {{0, 1, 3}})),
         "POLS chunk at byte 74: point index 3 is past the 3 points of the last PNTS"},
        {"polygons before points", iff::form("LWO2", polygons("FACE", {{0, 1, 2}})),
         "point index 0 is past the 0 points"},
        {"map point", iff::form("LWO2", square + vertexMap("TXUV", 2, "UV", {{7, 0, {0, 0}}})),
         "VMAP chunk at byte 74: point index 7 is past the 3 points"},
        {"map polygon",
         iff::form("LWO2", square + polygons("FACE", {{0, 1, 2}}) +
                               cornerMap("TXUV", 2, "UV", {{0, 1, {0, 0}}})),
         "VMAD chunk at byte 96: polygon index 1 is past the 1 polygons of the last POLS"},
        {"tag polygon",
         iff::form("LWO2",
                   tags({"a"}) + square + polygons("FACE", {{0, 1, 2}}) + surfaceTags({0, 0})),
         "PTAG chunk at byte 102: polygon index 1 is past the 1 polygons"},
        {"tag string",
         iff::form("LWO2", tags({"a"}) + square + polygons("FACE", {{0, 1, 2}}) + surfaceTags({1})),
         "tag 1 is past the 1 strings of TAGS"},
        {"no NUL", iff::form("LWO2", iff::chunk("TAGS", "abc")), "a string has no terminating NUL"},
        {"map values cut",
         iff::form("LWO2", square + iff::chunk("VMAP", "TXUV" + iff::u2(2) + iff::s0("UV") +
                                                           iff::u2(0) + iff::f4(1))),
         "VMAP chunk at byte 76: a run of floats needs 8 bytes, 4 left"},
        {"half index",
         iff::form("LWO2", square + iff::chunk("POLS", "FACE" + iff::u2(3) + iff::u2(0) +
                                                           std::string("\xFF\x00", 2))),
         "a 4-byte index needs 4 bytes, 2 left"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string error = errorOf(c.bytes);
        EXPECT_NE(error.find("Cannot read LightWave object damaged.lwo: "), std::string::npos)
            << error;
        EXPECT_NE(error.find(c.expected), std::string::npos) << error;
    }
}

TEST(LwoDamage, OverwrittenBytesLoadOrFailCleanlyAndWhatLoadsConverts)
{
    // Each byte in turn set to 0xFF (a long index, a huge length) and to 0x00; whatever reads
    // must also convert or refuse cleanly. The sanitizer build checks nothing is read past.
    const std::string whole = fullObject();
    std::size_t loaded = 0;
    for (std::size_t at = 0; at < whole.size(); ++at)
        for (char value : {'\xFF', '\x00'}) {
            std::string bytes = whole;
            bytes[at] = value;
            try {
                const LwoObject object = parseLwo(bytes, "damaged.lwo");
                ++loaded;
                convertLayer(object, {}, "damaged.lwo");
            } catch (const LoadError& error) {
                EXPECT_NE(std::string(error.what()).find("damaged.lwo"), std::string::npos);
            }
        }
    EXPECT_GT(loaded, 0u); // most value bytes can change without breaking the structure
}
