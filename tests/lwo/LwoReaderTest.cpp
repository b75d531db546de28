#include "lwo/LwoReader.h"

#include "support/LwoWriter.h"

#include <gtest/gtest.h>

namespace {

using namespace lwo2;

// "TYPE name dimension: point[/polygon]=values ..." for one map.
std::string describe(const LwoVertexMap& map)
{
    std::string text = map.type + " " + map.name + " " + std::to_string(map.dimension) + ":";
    for (std::size_t i = 0; i < map.size(); ++i) {
        text += " " + std::to_string(map.points[i]);
        if (map.perPolygon)
            text += "/" + std::to_string(map.polygons[i]);
        for (std::size_t v = 0; v < map.dimension; ++v)
            text +=
                (v ? "," : "=") + std::to_string(map.values[i * map.dimension + v]).substr(0, 4);
    }
    return text;
}

std::vector<std::uint32_t> cornersOf(const LwoLayer& layer, std::size_t polygon)
{
    const LwoPolygon& p = layer.polygons[polygon];
    return {layer.corners.begin() + p.firstCorner,
            layer.corners.begin() + p.firstCorner + p.cornerCount};
}

} // namespace

TEST(LwoReader, ReadsEveryChunkAndMapKindOfATwoLayerObject)
{
    const std::vector<float> square = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
    const std::string bytes = iff::form(
        "LWO2",
        tags({"Skin", "Metal"}) + layer(0, "body") + points(square) +
            iff::chunk("BBOX", std::string(24, '\0')) +
            vertexMap("TXUV", 2, "UV", {{0, 0, {0.0f, 0.5f}}, {2, 0, {1.0f, 1.0f}}}) +
            vertexMap("RGB ", 3, "paint", {{1, 0, {1, 0, 0}}}) +
            vertexMap("RGBA", 4, "glass", {{3, 0, {0, 0, 1, 0.5f}}}) +
            vertexMap("MORF", 3, "smile", {{2, 0, {0, 0.25f, 0}}}) +
            vertexMap("SPOT", 3, "blink", {{3, 0, {0, 2, 0}}}) +
            vertexMap("WGHT", 1, "arm", {{0, 0, {0.75f}}}) +
            polygons("FACE", {{0, 1, 2, 3}, {0, 1, 2}}) + surfaceTags({1, 0}) +
            cornerMap("TXUV", 2, "UV", {{2, 1, {0.5f, 0.5f}}}) +
            polygons("CURV", {{0, 1}, {1, 2}, {2, 3}}) + polygons("PTCH", {{0, 1, 2, 3}}) +
            layer(1, "wheel", 0) + points({5, 5, 5, 6, 6, 6, 7, 7, 7}) +
            polygons("FACE", {{2, 1, 0}}) + still(3, "C:Images/rust.png") +
            surface("Metal", {imageBlock("COLR", 3, "UV"), imageBlock("BUMP", 3, "UV", 1)}));
    const LwoObject object = parseLwo(bytes, "robot.lwo");

    EXPECT_EQ(object.form, "LWO2");
    EXPECT_EQ(object.tags, (std::vector<std::string>{"Skin", "Metal"}));
    ASSERT_EQ(object.layers.size(), 2u);
    const LwoLayer& body = object.layers[0];
    EXPECT_EQ(body.number, 0);
    EXPECT_EQ(body.name, "body");
    EXPECT_EQ(body.parent, -1);
    EXPECT_EQ(body.positions, square);
    // FACE and PTCH polygons are kept in file order; the curves are only counted.
    ASSERT_EQ(body.polygons.size(), 3u);
    EXPECT_EQ(cornersOf(body, 0), (std::vector<std::uint32_t>{0, 1, 2, 3}));
    EXPECT_EQ(cornersOf(body, 1), (std::vector<std::uint32_t>{0, 1, 2}));
    EXPECT_EQ(body.polygons[0].surface, 1);
    EXPECT_EQ(body.polygons[1].surface, 0);
    EXPECT_EQ(body.polygons[2].surface, -1);
    EXPECT_EQ(body.patchCount, 1u);
    ASSERT_EQ(body.skippedPolygons.size(), 1u);
    EXPECT_EQ(body.skippedPolygons[0], (std::pair<std::string, std::uint32_t>{"CURV", 3}));

    std::vector<std::string> maps;
    for (const LwoVertexMap& map : body.maps)
        maps.push_back(describe(map));
    EXPECT_EQ(maps, (std::vector<std::string>{
                        "TXUV UV 2: 0=0.00,0.50 2=1.00,1.00", "RGB  paint 3: 1=1.00,0.00,0.00",
                        "RGBA glass 4: 3=0.00,0.00,1.00,0.50", "MORF smile 3: 2=0.00,0.25,0.00",
                        "SPOT blink 3: 3=0.00,2.00,0.00", "WGHT arm 1: 0=0.75",
                        "TXUV UV 2: 2/1=0.50,0.50"}));

    const LwoLayer& wheel = object.layers[1];
    EXPECT_EQ(wheel.number, 1);
    EXPECT_EQ(wheel.parent, 0);
    EXPECT_EQ(wheel.pointCount(), 3u);
    EXPECT_EQ(cornersOf(wheel, 0), (std::vector<std::uint32_t>{2, 1, 0}));

    ASSERT_EQ(object.clips.size(), 1u);
    EXPECT_EQ(object.clips[0].index, 3u);
    EXPECT_EQ(object.clips[0].file, "C:Images/rust.png");
    ASSERT_EQ(object.surfaces.size(), 1u);
    EXPECT_EQ(object.surfaces[0].name, "Metal");
    ASSERT_EQ(object.surfaces[0].images.size(), 2u);
    const LwoImageBlock& colour = object.surfaces[0].images[0];
    EXPECT_EQ(colour.channel, "COLR");
    EXPECT_EQ(colour.projection, uvProjection);
    EXPECT_EQ(colour.clip, 3u);
    EXPECT_EQ(colour.uvMap, "UV");
    EXPECT_EQ(object.surfaces[0].images[1].channel, "BUMP");
    EXPECT_EQ(object.surfaces[0].images[1].projection, 1);
}

TEST(LwoReader, OddLengthsAreFollowedByTheirPadByte)
{
    // An unknown chunk of 3 bytes, odd strings in TAGS and a sub-chunk of odd length: every
    // chunk after them must still start on its own header.
    const std::string oddSurface =
        iff::chunk("SURF", iff::s0("Odd") + iff::s0("") + iff::subChunk("ZZZ1", "abc") +
                               imageBlock("COLR", 1, "map"));
    const std::string bytes =
        iff::form("LWO2", iff::chunk("ZZZZ", "xyz") + tags({"a", "bb", "ccc"}) +
                              iff::chunk("DESC", iff::s0("four")) + points({1, 2, 3}) + oddSurface +
                              still(1, "odd.tga"));
    ASSERT_EQ(bytes.size() % 2, 0u);
    const LwoObject object = parseLwo(bytes, "odd.lwo");
    EXPECT_EQ(object.tags, (std::vector<std::string>{"a", "bb", "ccc"}));
    ASSERT_EQ(object.layers.size(), 1u);
    EXPECT_EQ(object.layers[0].positions, (std::vector<float>{1, 2, 3}));
    ASSERT_EQ(object.surfaces.size(), 1u);
    ASSERT_EQ(object.surfaces[0].images.size(), 1u);
    EXPECT_EQ(object.surfaces[0].images[0].uvMap, "map");
    EXPECT_EQ(object.clips.at(0).file, "odd.tga");
}

TEST(LwoReader, IndicesTakeFourBytesFromFF00AndNameTheLatestPointsAndPolygons)
{
    constexpr std::uint32_t many = 0xFF00 + 20;
    std::vector<float> xyz(3u * many, 0.0f);
    xyz[3u * (many - 1)] = 9.0f;
    // A long-form index below 0xFF00 is still valid.
    std::string longSmall = "FACE" + iff::u2(3) + iff::vx(0, true) + iff::vx(many - 1) + iff::vx(1);
    const std::string bytes = iff::form(
        "LWO2", points(xyz) + iff::chunk("POLS", longSmall) + points({7, 7, 7, 8, 8, 8, 9, 9, 9}) +
                    vertexMap("WGHT", 1, "w", {{2, 0, {0.5f}}}) +
                    polygons("FACE", {{0, 1, 2}, {2, 1, 0}}) +
                    cornerMap("TXUV", 2, "uv", {{1, 1, {0.25f, 0.75f}}}));
    const LwoObject object = parseLwo(bytes, "big.lwo");
    ASSERT_EQ(object.layers.size(), 1u); // data before any LAYR forms layer 0
    const LwoLayer& layer = object.layers[0];
    EXPECT_EQ(layer.pointCount(), many + 3);
    EXPECT_EQ(cornersOf(layer, 0), (std::vector<std::uint32_t>{0, many - 1, 1}));
    // Indices after the second PNTS name its points, after the second POLS its polygons.
    EXPECT_EQ(cornersOf(layer, 1), (std::vector<std::uint32_t>{many, many + 1, many + 2}));
    EXPECT_EQ(layer.maps[0].points, (std::vector<std::uint32_t>{many + 2}));
    EXPECT_EQ(layer.maps[1].points, (std::vector<std::uint32_t>{many + 1}));
    EXPECT_EQ(layer.maps[1].polygons, (std::vector<std::uint32_t>{2}));
}

TEST(LwoReader, ReadsTheOlderLwobForm)
{
    // Polygon 0 of surface 2 announces one detail polygon, which follows as an ordinary one.
    const std::string polygonData = iff::u2(3) + iff::u2(0) + iff::u2(1) + iff::u2(2) +
                                    iff::u2(static_cast<std::uint16_t>(-2)) + iff::u2(1) +
                                    iff::u2(3) + iff::u2(2) + iff::u2(1) + iff::u2(3) + iff::u2(1);
    const std::string surfaceData = iff::s0("Wood") + iff::subChunk("COLR", std::string(4, '\0')) +
                                    iff::subChunk("BTEX", iff::s0("Planar Image Map")) +
                                    iff::subChunk("TIMG", iff::s0("bump.iff")) +
                                    iff::subChunk("CTEX", iff::s0("Planar Image Map")) +
                                    iff::subChunk("TIMG", iff::s0("Images/oak.tga"));
    const std::string bytes =
        iff::form("LWOB", points({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0}) +
                              iff::chunk("SRFS", iff::s0("Plain") + iff::s0("Wood")) +
                              iff::chunk("POLS", polygonData) + iff::chunk("SURF", surfaceData));
    const LwoObject object = parseLwo(bytes, "old.lwo");
    EXPECT_EQ(object.form, "LWOB");
    ASSERT_EQ(object.layers.size(), 1u);
    const LwoLayer& layer = object.layers[0];
    ASSERT_EQ(layer.polygons.size(), 2u);
    EXPECT_EQ(cornersOf(layer, 0), (std::vector<std::uint32_t>{0, 1, 2}));
    EXPECT_EQ(layer.polygons[0].surface, 1);
    EXPECT_EQ(cornersOf(layer, 1), (std::vector<std::uint32_t>{2, 1, 3}));
    EXPECT_EQ(layer.polygons[1].surface, 0);
    ASSERT_EQ(object.surfaces.size(), 1u);
    EXPECT_EQ(object.surfaces[0].imageFile, "Images/oak.tga"); // the colour texture's image
}
