#include "Po2Samples.h"

#include "shell/LoadError.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>

namespace {

void expectLoadsBack(const Po2Description& in, const Mesh& out)
{
    SCOPED_TRACE("flags " + std::to_string(in.flags));
    EXPECT_EQ(out.flags, in.flags);
    EXPECT_EQ(out.positions, in.positions);
    EXPECT_EQ(out.vertexCount, in.positions.size() / 3);
    EXPECT_EQ(toVector(out.polygonSizes), in.polygonSizes);
    EXPECT_EQ(toVector(out.vertexIndices), in.vertexIndices);
    EXPECT_EQ(out.cornerCount, in.vertexIndices.size());
    EXPECT_EQ(toVector(out.texCoords0), in.texCoords0);
    EXPECT_EQ(out.texCoord0Count, in.texCoords0.size() / 2);
    EXPECT_EQ(toVector(out.texCoord0Indices), in.texCoord0Indices);
    EXPECT_EQ(toVector(out.colours), in.colours);
    EXPECT_EQ(out.colourCount, in.colours.size() / 4);
    EXPECT_EQ(toVector(out.colourIndices), in.colourIndices);
    EXPECT_EQ(toVector(out.texCoords1), in.texCoords1);
    EXPECT_EQ(out.texCoord1Count, in.texCoords1.size() / 2);
    EXPECT_EQ(toVector(out.texCoord1Indices), in.texCoord1Indices);
    EXPECT_EQ(toVector(out.morphSizes), in.morphSizes);
    EXPECT_EQ(out.morphCount, in.morphSizes.size());
    EXPECT_TRUE(toVector(out.morphDeltas) == in.morphDeltas);
    EXPECT_EQ(out.morphDeltaCount, in.morphDeltas.size());
    EXPECT_EQ(toVector(out.vertexWeights), in.vertexWeights);
    EXPECT_EQ(toVector(out.triangleBones), in.triangleBones);
    const bool polygons = in.flags & MeshFlag::Polygons;
    EXPECT_EQ(out.normals.size(), polygons ? in.positions.size() : 0u);
    EXPECT_EQ(out.displayList.get(), 0u);
}

std::string u16(std::uint16_t v)
{
    return {char(v & 0xFF), char(v >> 8)};
}
std::string f32(float v)
{
    const auto bits = std::bit_cast<std::uint32_t>(v);
    return {char(bits & 0xFF), char((bits >> 8) & 0xFF), char((bits >> 16) & 0xFF),
            char(bits >> 24)};
}

} // namespace

TEST(Po2Reader, EveryFlagCombinationTheWriterAcceptsLoadsBack)
{
    for (int flags = 0; flags < 256; ++flags) {
        const auto bits = static_cast<std::uint8_t>(flags);
        const Po2Description in = sampleDescription(bits);
        if ((bits & MeshFlag::VertexWeights) && !(bits & MeshFlag::TrianglesOnly)) {
            const std::string bytes = writePo2(in, Po2Check::LayoutOnly);
            EXPECT_THROW(writePo2(in), LoadError);
            try {
                parseBytes(bytes);
                ADD_FAILURE() << "flags " << flags << " loaded";
            } catch (const LoadError& error) {
                EXPECT_STREQ(error.what(), "Only triangles are suitable");
            }
            continue;
        }
        expectLoadsBack(in, parseBytes(writePo2(in)));
    }
}

TEST(Po2Reader, SectionsLieInFileOrderByteForByte)
{
    // Built by hand, not by the writer: texture names 1, 2, 4, then positions, polygons,
    // set 0, colours, set 1.
    Po2Description in;
    in.flags = MeshFlag::Polygons | MeshFlag::TexCoords0 | MeshFlag::EnvironmentTexture |
               MeshFlag::Colours | MeshFlag::TexCoords1;
    in.texture0Name = "a";
    in.environmentTextureName = "";
    in.texture1Name = "bc";
    in.positions = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    in.polygonSizes = {3};
    in.vertexIndices = {2, 1, 0};
    in.texCoords0 = {0.5f, 0.25f};
    in.texCoord0Indices = {0, 0, 0};
    in.colours = {1, 0, 0, 1};
    in.colourIndices = {0, 0, 0};
    in.texCoords1 = {2, 3, 4, 5};
    in.texCoord1Indices = {1, 0, 1};
    std::string expected = "PO2";
    expected += char(0x1F);
    expected += std::string("a\0", 2) + std::string("\0", 1) + std::string("bc\0", 3);
    expected += u16(3);
    for (float v : in.positions)
        expected += f32(v);
    expected += u16(1) + u16(3) + u16(2) + u16(1) + u16(0);
    expected += u16(1) + f32(0.5f) + f32(0.25f) + u16(0) + u16(0) + u16(0);
    expected += u16(1) + f32(1) + f32(0) + f32(0) + f32(1) + u16(0) + u16(0) + u16(0);
    expected += u16(2) + f32(2) + f32(3) + f32(4) + f32(5) + u16(1) + u16(0) + u16(1);
    EXPECT_EQ(writePo2(in), expected);

    RecordingLookup textures;
    const Mesh mesh = parsePo2(expected, "x.po2", textures.lookup());
    expectLoadsBack(in, mesh);
    // The empty environment name is a field but no request; the bit-4 name fills texture 1.
    EXPECT_EQ(textures.names, (std::vector<std::string>{"a", "bc"}));
    EXPECT_EQ(mesh.texture0, textures.token(0));
    EXPECT_EQ(mesh.texture1, textures.token(1));
}

TEST(Po2Reader, FlagsZeroHoldsOnlyPositions)
{
    const std::string bytes = std::string("PO2\0", 4) + u16(1) + f32(1) + f32(2) + f32(3);
    const Mesh mesh = parseBytes(bytes);
    EXPECT_EQ(mesh.vertexCount, 1);
    EXPECT_EQ(mesh.positions, (std::vector<float>{1, 2, 3}));
    EXPECT_TRUE(mesh.normals.empty());
    EXPECT_EQ(mesh.polygonCount, 0);
    EXPECT_EQ(mesh.cornerCount, 0u);
}

TEST(Po2Reader, EnvironmentAndSetOneTexturesShareSlotOne)
{
    Po2Description in = sampleDescription(MeshFlag::EnvironmentTexture | MeshFlag::TexCoords1);
    {
        RecordingLookup textures;
        const Mesh mesh = parsePo2(writePo2(in), "x.po2", textures.lookup());
        EXPECT_EQ(textures.names, (std::vector<std::string>{"chrome", "dirt"}));
        EXPECT_EQ(mesh.texture0, nullptr);
        EXPECT_EQ(mesh.texture1, textures.token(1));
    }
    // An empty bit-4 name requests nothing, so the environment texture stays.
    in.texture1Name.clear();
    RecordingLookup textures;
    const Mesh mesh = parsePo2(writePo2(in), "x.po2", textures.lookup());
    EXPECT_EQ(textures.names, (std::vector<std::string>{"chrome"}));
    EXPECT_EQ(mesh.texture1, textures.token(0));
}

TEST(Po2Reader, BoneCountIsLargestIndexPlusOne)
{
    const std::uint8_t flags =
        MeshFlag::Polygons | MeshFlag::TrianglesOnly | MeshFlag::VertexWeights;
    Po2Description in = sampleDescription(flags);
    in.vertexIndices = {0, 1, 2, 0, 2, 3, 1, 2, 3};
    struct Case {
        std::vector<std::int16_t> bones;
        int boneCount;
    };
    for (const Case& c : {Case{{0, 5, 2}, 6}, Case{{-3, -1, -32768}, 1}, Case{{-1, 3, -7}, 4},
                          Case{{254, 0, 0}, 255}}) {
        in.triangleBones = c.bones;
        EXPECT_EQ(parseBytes(writePo2(in)).boneCount, c.boneCount);
    }
    // Without triangles the maximum stays at its start.
    Po2Description empty = sampleDescription(MeshFlag::TrianglesOnly | MeshFlag::VertexWeights);
    EXPECT_EQ(parseBytes(writePo2(empty)).boneCount, 1);
    EXPECT_EQ(parseBytes(writePo2(sampleDescription(MeshFlag::Polygons))).boneCount, 0);

    // boneCount is 8 bits wide: 255 bones cannot be counted.
    in.triangleBones = {0, 255, 1};
    EXPECT_THROW(writePo2(in), LoadError);
    EXPECT_THROW(parseBytes(writePo2(in, Po2Check::LayoutOnly)), LoadError);
}

TEST(Po2Reader, TruncationAtAnyOffsetIsALoadingErrorNamingTheFile)
{
    for (std::uint8_t flags : {std::uint8_t{0xFF}, std::uint8_t{0x3F}, std::uint8_t{0x00}}) {
        const std::string bytes = writePo2(sampleDescription(flags));
        for (std::size_t length = 0; length < bytes.size(); ++length) {
            // An exact-size heap copy, so a read one byte too far is caught by the sanitizer.
            const std::vector<char> prefix(bytes.begin(),
                                           bytes.begin() + static_cast<std::ptrdiff_t>(length));
            try {
                parsePo2({prefix.data(), prefix.size()}, "dir/short.po2",
                         [](const std::string&) { return nullptr; });
                ADD_FAILURE() << "flags " << int(flags) << " length " << length << " loaded";
            } catch (const LoadError& error) {
                EXPECT_NE(std::strstr(error.what(), "dir/short.po2"), nullptr) << error.what();
            }
        }
    }
}

TEST(Po2Reader, CountsBeyondTheFileAreRefusedBeforeAllocating)
{
    // V = 65535 in a file that holds one vertex, and polygon sizes summing far past the data.
    std::string vertices = std::string("PO2\0", 4) + u16(0xFFFF) + f32(1) + f32(2) + f32(3);
    EXPECT_THROW(parseBytes(vertices), LoadError);
    Po2Description in = sampleDescription(MeshFlag::Polygons);
    std::string bytes = writePo2(in);
    const std::size_t sizes = 4 + 2 + in.positions.size() * 4 + 2;
    bytes.replace(sizes, 2, u16(0xFFFF));
    try {
        parseBytes(bytes, "big.po2");
        ADD_FAILURE() << "loaded";
    } catch (const LoadError& error) {
        EXPECT_STREQ(error.what(), "PO2 file big.po2 ends before its vertex indices");
    }
}

TEST(Po2Reader, IndicesBeyondTheirArraysAreRefused)
{
    const std::uint8_t flags = MeshFlag::Polygons | MeshFlag::TexCoords0 | MeshFlag::Colours |
                               MeshFlag::TexCoords1 | MeshFlag::Morphs;
    const Po2Description valid = sampleDescription(flags);
    auto refused = [](const Po2Description& in) {
        try {
            parseBytes(writePo2(in, Po2Check::LayoutOnly), "bad.po2");
        } catch (const LoadError& error) {
            return std::strstr(error.what(), "bad.po2") != nullptr;
        }
        return false;
    };
    Po2Description in = valid;
    in.vertexIndices.back() = 5;
    EXPECT_TRUE(refused(in));
    in = valid;
    in.texCoord0Indices[4] = 3;
    EXPECT_TRUE(refused(in));
    in = valid;
    in.colourIndices[0] = 2;
    EXPECT_TRUE(refused(in));
    in = valid;
    in.texCoord1Indices[7] = 0xFFFF;
    EXPECT_TRUE(refused(in));
    in = valid;
    in.morphDeltas[2].vertex = 5;
    EXPECT_TRUE(refused(in));
    // The writer's full check refuses what the reader would.
    EXPECT_THROW(writePo2(in), LoadError);
    EXPECT_FALSE(refused(valid));
}

TEST(Po2Reader, MagicAndTextureNameLimits)
{
    std::string bytes = writePo2(sampleDescription(0));
    bytes[2] = 'o';
    try {
        parseBytes(bytes);
        ADD_FAILURE() << "loaded";
    } catch (const LoadError& error) {
        EXPECT_STREQ(error.what(), "Not PO2 File");
    }
    // Files shorter than the magic: other bytes are no PO2 file, a cut magic is a short one.
    auto messageOf = [](const std::string& content) {
        try {
            parseBytes(content, "tiny.po2");
        } catch (const LoadError& error) {
            return std::string(error.what());
        }
        return std::string("loaded");
    };
    EXPECT_EQ(messageOf("GI"), "Not PO2 File");
    EXPECT_EQ(messageOf("x"), "Not PO2 File");
    EXPECT_EQ(messageOf("PO"), "PO2 file tiny.po2 ends before its magic");

    Po2Description in = sampleDescription(MeshFlag::TexCoords0);
    in.texture0Name = std::string(249, 'n');
    RecordingLookup textures;
    parsePo2(writePo2(in), "x.po2", textures.lookup());
    EXPECT_EQ(textures.names.at(0).size(), 249u);
    in.texture0Name += 'n';
    EXPECT_THROW(writePo2(in), LoadError);
    EXPECT_THROW(parseBytes(writePo2(in, Po2Check::LayoutOnly)), LoadError);
}

TEST(Po2Reader, PathReplacesExactlyTheLastThreeCharacters)
{
    EXPECT_EQ(po2Path("demo", "Objects/Ship.lwo"), "demo/Objects/Ship.po2");
    EXPECT_EQ(po2Path("demo", "Objects/Rock.x"), "demo/Objects/Rocpo2");
    EXPECT_EQ(po2Path("demo", "Objects/Ship.LWOB"), "demo/Objects/Ship.Lpo2");
    EXPECT_EQ(po2Path("r", std::string(244, 'a')).size(), 246u);
    EXPECT_EQ(po2Path("r", std::string(247, 'a')).size(), 249u);
    EXPECT_THROW(po2Path("r", std::string(248, 'a')), LoadError);
}

TEST(Po2Reader, ReadsFilesAndReportsMissingOnes)
{
    TempDir dir;
    const Po2Description in = sampleDescription(0xFF);
    const std::string path = dir.file("mesh.po2");
    writePo2File(path, in);
    expectLoadsBack(in, readPo2(path, [](const std::string&) { return nullptr; }));
    try {
        readPo2(dir.file("none.po2"), [](const std::string&) { return nullptr; });
        ADD_FAILURE() << "loaded";
    } catch (const LoadError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Cannot load file " + dir.file("none.po2") + " from directory");
    }
}

TEST(Po2Reader, DamagedBytesNeverLoadAnInconsistentMesh)
{
    // Each byte of two full files overwritten in turn: whatever loads must be safe to draw.
    for (std::uint8_t flags : {std::uint8_t{0xFF}, std::uint8_t{0x3F}}) {
        const std::string valid = writePo2(sampleDescription(flags));
        for (std::size_t at = 0; at < valid.size(); ++at)
            for (char value : {'\0', '\x05', '\xFF'}) {
                std::string bytes = valid;
                bytes[at] = value;
                const std::vector<char> exact(bytes.begin(), bytes.end());
                try {
                    const Mesh mesh = parsePo2({exact.data(), exact.size()}, "x.po2",
                                               [](const std::string&) { return nullptr; });
                    SCOPED_TRACE("byte " + std::to_string(at));
                    ASSERT_EQ(mesh.positions.size(), mesh.vertexCount * 3u);
                    for (std::uint16_t v : mesh.vertexIndices)
                        ASSERT_LT(v, mesh.vertexCount);
                    for (std::uint16_t t : mesh.texCoord0Indices)
                        ASSERT_LT(t, mesh.texCoord0Count);
                    for (std::uint16_t k : mesh.colourIndices)
                        ASSERT_LT(k, mesh.colourCount);
                    for (std::uint16_t t : mesh.texCoord1Indices)
                        ASSERT_LT(t, mesh.texCoord1Count);
                    for (const MorphDelta& delta : mesh.morphDeltas)
                        ASSERT_LT(delta.vertex, mesh.vertexCount);
                    if (mesh.has(MeshFlag::Polygons)) {
                        ASSERT_EQ(mesh.vertexIndices.size(), mesh.cornerCount);
                        ASSERT_EQ(mesh.normals.size(), mesh.positions.size());
                    }
                    for (const SharedArray<std::uint16_t>* perCorner :
                         {&mesh.texCoord0Indices, &mesh.colourIndices, &mesh.texCoord1Indices})
                        ASSERT_TRUE(perCorner->empty() || perCorner->size() == mesh.cornerCount);
                } catch (const LoadError&) {
                }
            }
    }
}
