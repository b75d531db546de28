#include "LwoSamples.h"

#include "lwo/LwoConvert.h"
#include "lwo/LwoReader.h"
#include "mesh/Po2Reader.h"
#include "shell/LoadError.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace lwo2;

// The layer converted, written as PO2 bytes and loaded back by the player's reader.
struct Converted {
    Conversion conversion;
    Mesh mesh;
    std::vector<std::string> textures;
};

template <class Set> ConvertOptions with(Set set)
{
    ConvertOptions options;
    set(options);
    return options;
}

Converted convert(const std::string& lwo, const ConvertOptions& options = {})
{
    Converted out;
    out.conversion = convertLayer(parseLwo(lwo, "in.lwo"), options, "in.lwo");
    out.mesh = parsePo2(writePo2(out.conversion.mesh), "out.po2",
                        [&out](const std::string& name) -> const Texture* {
                            out.textures.push_back(name);
                            return nullptr;
                        });
    return out;
}

std::string convertError(const std::string& lwo, const ConvertOptions& options = {})
{
    try {
        convert(lwo, options);
    } catch (const LoadError& error) {
        return error.what();
    }
    return "";
}

// Texture coordinates (or colours, with size 4) of every corner, through the corner indices.
std::vector<std::vector<float>> perCorner(const SharedArray<float>& values,
                                          const SharedArray<std::uint16_t>& indices,
                                          std::size_t size)
{
    std::vector<std::vector<float>> out;
    for (std::uint16_t index : indices)
        out.emplace_back(values.begin() + index * size, values.begin() + (index + 1) * size);
    return out;
}

template <class T> std::vector<T> toVector(const SharedArray<T>& values)
{
    return {values.begin(), values.end()};
}

const std::vector<float> squareXyz = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};

} // namespace

TEST(LwoConvert, TexturedCubeLoadsBackWithItsSeamOverrides)
{
    const Converted out = convert(texturedCubeLwo());
    const Mesh& mesh = out.mesh;
    EXPECT_EQ(mesh.flags, MeshFlag::Polygons | MeshFlag::TexCoords0);
    EXPECT_EQ(mesh.vertexCount, 8);
    EXPECT_EQ(mesh.polygonCount, 6);
    EXPECT_EQ(mesh.cornerCount, 24u);
    EXPECT_EQ(out.textures, (std::vector<std::string>{"checker"}));
    // Corners share entries: the common (0.75, 0.75) and the four of the front face.
    EXPECT_EQ(mesh.texCoord0Count, 5);
    const auto uv = perCorner(mesh.texCoords0, mesh.texCoord0Indices, 2);
    EXPECT_EQ(uv[0], (std::vector<float>{0, 0}));
    EXPECT_EQ(uv[1], (std::vector<float>{0, 1}));
    EXPECT_EQ(uv[2], (std::vector<float>{1, 1}));
    EXPECT_EQ(uv[3], (std::vector<float>{1, 0}));
    // Point 0 on another face keeps its per-point value.
    EXPECT_EQ(uv[8], (std::vector<float>{0.75f, 0.75f}));
    EXPECT_EQ(summaryLine(out.conversion),
              "8 vertices, 6 polygons, 24 corners; UV set 0 \"UV\" (texture \"checker\"); "
              "dropped: nothing");
}

TEST(LwoConvert, ScenesCountLayersFromOne)
{
    const std::string bytes =
        iff::form("LWO2", layer(0, "body") + points(squareXyz) + polygons("FACE", {{0, 1, 2, 3}}) +
                              layer(1, "wheel") + points({5, 5, 5, 6, 6, 6, 7, 7, 7}) +
                              polygons("FACE", {{0, 1, 2}}));
    EXPECT_EQ(convert(bytes).mesh.vertexCount, 4);
    const Converted second = convert(bytes, with([](ConvertOptions& o) { o.layer = 2; }));
    EXPECT_EQ(second.mesh.positions, (std::vector<float>{5, 5, 5, 6, 6, 6, 7, 7, 7}));
    EXPECT_EQ(toVector(second.mesh.vertexIndices), (std::vector<std::uint16_t>{0, 1, 2}));
    EXPECT_EQ(convertError(bytes, with([](ConvertOptions& o) { o.layer = 3; })),
              "Cannot convert LightWave object in.lwo: it has no layer 3 (layers: 1, 2)");
}

TEST(LwoConvert, ColoursComeFromRgbOrRgbaMapsWithCornerOverrides)
{
    const std::string rgb =
        iff::form("LWO2", points(squareXyz) +
                              vertexMap("RGB ", 3, "paint",
                                        {{0, 0, {1, 0, 0}}, {1, 0, {0, 1, 0}}, {2, 0, {0, 0, 1}}}) +
                              polygons("FACE", {{0, 1, 2, 3}, {2, 1, 0}}) +
                              cornerMap("RGB ", 3, "paint", {{2, 1, {1, 1, 0}}}));
    const Converted out = convert(rgb);
    ASSERT_TRUE(out.mesh.has(MeshFlag::Colours));
    const auto colours = perCorner(out.mesh.colours, out.mesh.colourIndices, 4);
    const std::vector<std::vector<float>> expected = {
        {1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1}, {1, 1, 1, 1}, // point 3 has no colour
        {1, 1, 0, 1}, {0, 1, 0, 1}, {1, 0, 0, 1}};              // polygon 1 overrides point 2
    EXPECT_EQ(colours, expected);
    EXPECT_NE(summaryLine(out.conversion).find("1 corners without a value in \"paint\""),
              std::string::npos);

    const std::string rgba = iff::form(
        "LWO2", points(squareXyz) + vertexMap("RGBA", 4, "glass", {{0, 0, {1, 0, 0, 0.5f}}}) +
                    vertexMap("RGB ", 3, "second", {}) + polygons("FACE", {{0, 1, 2}}));
    const Converted glass = convert(rgba);
    EXPECT_EQ(perCorner(glass.mesh.colours, glass.mesh.colourIndices, 4)[0],
              (std::vector<float>{1, 0, 0, 0.5f}));
    EXPECT_NE(summaryLine(glass.conversion).find("colour map \"second\" (PO2 holds one)"),
              std::string::npos);
}

TEST(LwoConvert, SecondUvMapFillsSetOneOrGivesWayToAnEnvironmentTexture)
{
    auto uvMap = [](const std::string& name, float u) {
        return vertexMap("TXUV", 2, name, {{0, 0, {u, 0}}, {1, 0, {u, 1}}, {2, 0, {u, 2}}});
    };
    // The colour image names "detail", so "base" (the first UV map) is the second set.
    const std::string bytes = iff::form(
        "LWO2", tags({"S"}) + points({0, 0, 0, 1, 0, 0, 1, 1, 0}) + uvMap("base", 0.25f) +
                    uvMap("detail", 0.5f) + uvMap("extra", 0.75f) + polygons("FACE", {{0, 1, 2}}) +
                    surfaceTags({0}) + still(4, "Dh0:Maps/Detail Tex.01.jpg") +
                    surface("S", {imageBlock("COLR", 4, "detail")}));
    const Converted out = convert(bytes, with([](ConvertOptions& o) { o.texture1Name = "dirt"; }));
    EXPECT_EQ(out.textures, (std::vector<std::string>{"Detail Tex.01", "dirt"}));
    EXPECT_EQ(perCorner(out.mesh.texCoords0, out.mesh.texCoord0Indices, 2)[2],
              (std::vector<float>{0.5f, 2}));
    EXPECT_EQ(perCorner(out.mesh.texCoords1, out.mesh.texCoord1Indices, 2)[2],
              (std::vector<float>{0.25f, 2}));
    EXPECT_NE(summaryLine(out.conversion).find("UV map \"extra\" (PO2 holds two)"),
              std::string::npos);

    const Converted picked = convert(bytes, with([](ConvertOptions& o) { o.uv1Map = "extra"; }));
    EXPECT_EQ(perCorner(picked.mesh.texCoords1, picked.mesh.texCoord1Indices, 2)[1],
              (std::vector<float>{0.75f, 1}));
    EXPECT_EQ(convertError(bytes, with([](ConvertOptions& o) { o.uv1Map = "missing"; })),
              "Cannot convert LightWave object in.lwo: layer 1 has no UV map \"missing\"");

    const Converted chrome =
        convert(bytes, with([](ConvertOptions& o) { o.environmentName = "chrome"; }));
    EXPECT_EQ(chrome.mesh.flags,
              MeshFlag::Polygons | MeshFlag::TexCoords0 | MeshFlag::EnvironmentTexture);
    EXPECT_EQ(chrome.textures, (std::vector<std::string>{"Detail Tex.01", "chrome"}));
}

TEST(LwoConvert, MorphsHoldOnlyTheVerticesTheyMove)
{
    const std::string bytes = iff::form(
        "LWO2", points(squareXyz) + polygons("FACE", {{0, 1, 2, 3}}) +
                    vertexMap("SPOT", 3, "stretch", {{1, 0, {3, 0, 0}}, {2, 0, {1, 1, 0}}}) +
                    vertexMap("MORF", 3, "lift", {{3, 0, {0, 0, 0.5f}}, {0, 0, {0, 0, 0}}}) +
                    vertexMap("WGHT", 1, "unused", {}));
    const Converted out = convert(bytes);
    ASSERT_TRUE(out.mesh.has(MeshFlag::Morphs));
    // The SPOT position equal to the point's own moves nothing and is left out.
    EXPECT_EQ(toVector(out.mesh.morphSizes), (std::vector<std::uint16_t>{1, 1}));
    const std::vector<MorphDelta> expected = {{2, 0, 0, 1}, {0, 0, 0.5f, 3}};
    EXPECT_TRUE(toVector(out.mesh.morphDeltas) == expected);
    EXPECT_EQ(out.conversion.morphNames, (std::vector<std::string>{"stretch", "lift"}));
    EXPECT_NE(summaryLine(out.conversion).find("morphs \"stretch\", \"lift\""), std::string::npos);
}

TEST(LwoConvert, WeightsTriangulateAndGiveEachTriangleItsStrongestBone)
{
    // A convex quad and a concave "L" of six points; weight maps "leg" and "arm".
    const std::vector<float> xyz = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, // quad 0-3
                                    2, 0, 0, 4, 0, 0, 4, 1, 0, 3, 1, 0, // L 4-9
                                    3, 3, 0, 2, 3, 0};
    const std::string bytes = iff::form(
        "LWO2", points(xyz) + polygons("FACE", {{0, 1, 2, 3}, {4, 5, 6, 7, 8, 9}}) +
                    vertexMap("WGHT", 1, "leg", {{0, 0, {1}}, {1, 0, {1}}, {2, 0, {0.25f}}}) +
                    vertexMap("WGHT", 1, "arm",
                              {{2, 0, {0.5f}}, {3, 0, {-0.75f}}, {8, 0, {1}}, {9, 0, {1}}}));
    const Converted out = convert(bytes);
    const Mesh& mesh = out.mesh;
    EXPECT_EQ(mesh.flags, MeshFlag::Polygons | MeshFlag::TrianglesOnly | MeshFlag::VertexWeights);
    ASSERT_EQ(mesh.polygonCount, 2 + 4);
    EXPECT_EQ(out.conversion.boneMaps, (std::vector<std::string>{"arm", "leg"}));
    // Each point keeps its strongest weight, whatever its sign.
    EXPECT_EQ(toVector(mesh.vertexWeights),
              (std::vector<float>{1, 1, 0.5f, -0.75f, 0, 0, 0, 0, 1, 1}));
    const std::vector<std::int16_t> bones(mesh.triangleBones.begin(), mesh.triangleBones.end());
    // Quad fan (0 1 2), (0 2 3): leg sums 2.25 and 1.25 against arm 0.5 and -0.25.
    EXPECT_EQ(bones[0], 1);
    EXPECT_EQ(bones[1], 1);
    EXPECT_EQ(mesh.boneCount, 2);
    // The L is cut into four triangles of its own points with its whole area and winding.
    double area = 0.0;
    for (std::size_t t = 2; t < 6; ++t) {
        const std::uint16_t* c = mesh.vertexIndices.data() + 3 * t;
        for (int i = 0; i < 3; ++i)
            EXPECT_GE(c[i], 4);
        const float* a = &mesh.positions[3u * c[0]];
        const float* b = &mesh.positions[3u * c[1]];
        const float* d = &mesh.positions[3u * c[2]];
        const double signedArea = 0.5 * static_cast<double>((b[0] - a[0]) * (d[1] - a[1]) -
                                                            (b[1] - a[1]) * (d[0] - a[0]));
        EXPECT_GT(signedArea, 0.0);
        area += signedArea;
    }
    EXPECT_NEAR(area, 4.0, 1e-6);

    const Converted ordered = convert(bytes, with([](ConvertOptions& o) {
                                          o.boneMaps = {"leg", "arm"};
                                      }));
    EXPECT_EQ(ordered.mesh.triangleBones[0], 0);
    EXPECT_EQ(convertError(bytes, with([](ConvertOptions& o) {
                               o.boneMaps = {"leg", "tail"};
                           })),
              "Cannot convert LightWave object in.lwo: layer 1 has no weight map \"tail\"");
}

TEST(LwoConvert, CountsOverThePo2LimitsSayWhichAndByHowMuch)
{
    std::vector<float> manyPoints(3u * 65537, 0.0f);
    EXPECT_EQ(convertError(iff::form("LWO2", points(manyPoints))),
              "Cannot convert LightWave object in.lwo: 65537 points, 2 more than the 65535 a "
              "PO2 file holds");
    std::vector<std::vector<std::uint32_t>> triangles(65536, {0, 1, 2});
    EXPECT_EQ(convertError(iff::form("LWO2", points({0, 0, 0, 1, 0, 0, 0, 1, 0}) +
                                                 polygons("FACE", triangles))),
              "Cannot convert LightWave object in.lwo: 65536 polygons, 1 more than the 65535 a "
              "PO2 file holds");
    // 65536 distinct coordinates on 65535 points' corners cannot share entries.
    std::vector<float> line(3u * 3, 0.0f);
    std::vector<MapEntry> seams;
    std::vector<std::vector<std::uint32_t>> faces(21846, {0, 1, 2});
    for (std::uint32_t p = 0; p < faces.size(); ++p)
        for (std::uint32_t c = 0; c < 3; ++c)
            seams.push_back({c, p, {static_cast<float>(p), static_cast<float>(c)}});
    EXPECT_EQ(convertError(iff::form("LWO2", points(line) + polygons("FACE", faces) +
                                                 cornerMap("TXUV", 2, "UV", seams))),
              "Cannot convert LightWave object in.lwo: 65538 distinct texture coordinate "
              "values, 3 more than the 65535 a PO2 file holds");
}

TEST(LwoConvert, WhatPo2CannotHoldIsReportedAsDropped)
{
    const std::string bytes = iff::form(
        "LWO2", tags({"S"}) + points(squareXyz) + polygons("FACE", {{0, 1, 2, 3}, {0, 1}, {2}}) +
                    surfaceTags({0, 0, 0}) + polygons("CURV", {{0, 1, 2}}) + still(1, "wood.tga") +
                    surface("S", {imageBlock("COLR", 1, "UV", 0)}));
    const Converted out = convert(bytes);
    EXPECT_EQ(out.mesh.polygonCount, 1);
    EXPECT_EQ(summaryLine(out.conversion),
              "4 vertices, 1 polygons, 4 corners; dropped: 2 polygons of fewer than 3 points "
              "(no surface to draw), 1 CURV polygons (not drawn as faces), texture \"wood\" "
              "(projection 0, not UV)");
    // A points-only layer is a PO2 mesh without polygons, drawn as points.
    const Converted cloud = convert(iff::form("LWO2", points(squareXyz)));
    EXPECT_EQ(cloud.mesh.flags, 0);
    EXPECT_EQ(cloud.mesh.vertexCount, 4);
}

TEST(LwoConvert, TextureNamesLoseFolderDeviceAndExtension)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Images/wood.tga", "wood"},
        {"C:\\Textures\\stone.jpg", "stone"},
        {"Work:maps/sky.final.png", "sky.final"},
        {"plain", "plain"},
        {".hidden", ".hidden"},
        {"dir.v2/noext", "noext"},
    };
    for (const auto& [file, base] : cases)
        EXPECT_EQ(textureBaseName(file), base) << file;
}
