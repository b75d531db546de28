#include "LwoSamples.h"

#include "lwo/LwoConvert.h"
#include "lwo/LwoReader.h"
#include "mesh/Po2Reader.h"
#include "shell/LoadError.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// The maps of a rigged, morphing object: two weight maps and a morph.
std::string riggedMaps()
{
    using namespace lwo2;
    std::vector<MapEntry> lower, upper, lifted;
    for (std::uint32_t p = 0; p < 8; ++p) {
        (p < 4 ? lower : upper).push_back({p, 0, {1.0f}});
        lifted.push_back({p, 0, {0.0f, 0.5f, 0.0f}});
    }
    return vertexMap("WGHT", 1, "Lower", lower) + vertexMap("WGHT", 1, "Upper", upper) +
           vertexMap("MORF", 3, "Lift", lifted);
}

std::string cubeLwo3(const std::string& extra = "")
{
    return iff::form(
        "LWO3", texturedCubeGeometry() + riggedMaps() + lwo3::still(1, "Textures/checker.tga") +
                    lwo3::surface("Cube", {lwo3::imageBlock("COLR", 1, "UV")}) + extra);
}

std::string cubeLwo2()
{
    return iff::form("LWO2", texturedCubeGeometry() + riggedMaps() +
                                 lwo2::still(1, "Textures/checker.tga") +
                                 lwo2::surface("Cube", {lwo2::imageBlock("COLR", 1, "UV")}));
}

Conversion convert(const std::string& bytes)
{
    return convertLayer(parseLwo(bytes, "in.lwo"), {}, "in.lwo");
}

} // namespace

TEST(Lwo3, ConvertsToThePo2FileOfTheSameObjectSavedAsLwo2)
{
    const Conversion lwo3 = convert(cubeLwo3());
    const Conversion lwo2 = convert(cubeLwo2());
    EXPECT_EQ(writePo2(lwo3.mesh), writePo2(lwo2.mesh));
    EXPECT_EQ(summaryLine(lwo3), summaryLine(lwo2));

    // Read back by the player's reader: geometry, the UV map and texture, morph and bones.
    std::vector<std::string> textures;
    const Mesh mesh = parsePo2(writePo2(lwo3.mesh), "out.po2",
                               [&textures](const std::string& name) -> const Texture* {
                                   textures.push_back(name);
                                   return nullptr;
                               });
    EXPECT_EQ(mesh.vertexCount, 8);
    EXPECT_EQ(mesh.morphCount, 1);
    EXPECT_EQ(mesh.boneCount, 2);
    EXPECT_EQ(textures, std::vector<std::string>{"checker"});
    EXPECT_EQ(lwo3.uv0Map, "UV");
    EXPECT_EQ(lwo3.morphNames, std::vector<std::string>{"Lift"});
    EXPECT_EQ(lwo3.boneMaps, (std::vector<std::string>{"Lower", "Upper"}));
}

TEST(Lwo3, FormsWhoseOwnDataOpensInAChunkReadAlike)
{
    // The surface's names, the clip's index, the block's ordinal and the still's file name each
    // in a first chunk of their form instead of bare.
    const std::string header = iff::chunk("ORDN", iff::s0("\x80")) + iff::chunk("CHAN", "COLR") +
                               iff::chunk("ENAB", iff::u2(1));
    const std::string block =
        lwo3::form("BLOK", lwo3::form("IMAP", header) + iff::chunk("PROJ", iff::u2(5)) +
                               iff::chunk("IMAG", iff::vx(1)) + iff::chunk("VMAP", iff::s0("UV")));
    const std::string surface =
        lwo3::form("SURF", iff::chunk("NAME", iff::s0("Cube") + iff::s0("")) + block);
    const std::string clip = lwo3::form(
        "CLIP", iff::chunk("INDX", iff::u4(1)) +
                    lwo3::form("STIL", iff::chunk("FNAM", iff::s0("Textures/checker.tga"))));
    const LwoObject object = parseLwo(
        iff::form("LWO3", texturedCubeGeometry() + riggedMaps() + clip + surface), "in.lwo");
    EXPECT_TRUE(object.unread.empty());
    EXPECT_EQ(writePo2(convertLayer(object, {}, "in.lwo").mesh),
              writePo2(convert(cubeLwo2()).mesh));
}

TEST(Lwo3, WhatTheReaderDoesNotUnderstandIsReportedNotGuessed)
{
    const std::string nodeSurface = lwo3::form(
        "SURF", iff::s0("Nodal") + iff::s0("") +
                    lwo3::form("NODS", iff::chunk("NROT", iff::u4(0)) +
                                           lwo3::form("NNDS", iff::chunk("NSTA", iff::u2(0)))));
    const std::string sequence =
        lwo3::form("CLIP", iff::u4(2) + lwo3::form("ISEQ", iff::chunk("ANAM", iff::s0("seq"))));
    const std::string envelope = lwo3::form("ENVL", iff::chunk("KEY ", iff::f4(0) + iff::f4(1)));
    const LwoObject object =
        parseLwo(cubeLwo3(nodeSurface + sequence + envelope + envelope), "in.lwo");
    EXPECT_EQ(
        object.unread,
        (std::vector<std::string>{
            "surface \"Nodal\" is a node network (images in nodes are not read)",
            "image 2 from a ISEQ form (only still images are read)", "ENVL forms (not read)"}));
    const Conversion conversion = convertLayer(object, {}, "in.lwo");
    for (const std::string& what : object.unread)
        EXPECT_NE(std::find(conversion.dropped.begin(), conversion.dropped.end(), what),
                  conversion.dropped.end())
            << what;
    // The cube's own texture is still found through its image block.
    EXPECT_EQ(conversion.mesh.texture0Name, "checker");
}

TEST(Lwo3, EveryCutLoadsOrFailsNamingTheFile)
{
    const std::string whole = cubeLwo3();
    for (std::size_t cut = 8; cut < whole.size(); cut += 2) {
        std::string bytes = whole.substr(0, cut);
        // The FORM length mended, so that the cut inside the forms is what fails.
        const std::uint32_t length = static_cast<std::uint32_t>(cut - 8);
        bytes.replace(4, 4, iff::u4(length));
        try {
            parseLwo(bytes, "cut.lwo");
        } catch (const LoadError& error) {
            const std::string message = error.what();
            EXPECT_EQ(message.rfind("Cannot read LightWave object cut.lwo: ", 0), 0u) << message;
        }
    }
}
