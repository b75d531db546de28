#include "image/Image.h"

#include "jpeg/JpegTestFiles.h"
#include "shell/LoadError.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string tgaFile(int width, int height, int depth, const std::string& id,
                    const std::string& pixels)
{
    std::string bytes(18, '\0');
    bytes[0] = static_cast<char>(id.size());
    bytes[2] = depth == 8 ? 3 : 2; // uncompressed grey or true colour
    bytes[12] = static_cast<char>(width & 0xff);
    bytes[13] = static_cast<char>(width >> 8);
    bytes[14] = static_cast<char>(height & 0xff);
    bytes[15] = static_cast<char>(height >> 8);
    bytes[16] = static_cast<char>(depth);
    return bytes + id + pixels;
}

std::string countingBytes(std::size_t count)
{
    std::string bytes;
    for (std::size_t i = 0; i < count; ++i)
        bytes += static_cast<char>(i * 7 + 1);
    return bytes;
}

std::string asString(const Image& image)
{
    return {image.pixels.begin(), image.pixels.end()};
}

std::string loadErrorOf(const std::string& path)
{
    try {
        readImage(path);
    } catch (const LoadError& error) {
        return error.what();
    }
    return "no error";
}

std::string hdrFile(const std::string& resolution, const std::string& data)
{
    return "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\nEXPOSURE=1.0\n\n" + resolution + "\n" + data;
}

std::string quad(int r, int g, int b, int e)
{
    return {static_cast<char>(r), static_cast<char>(g), static_cast<char>(b), static_cast<char>(e)};
}

// The pixel at (x, row) of an image read as bytes blue, green, red, exponent.
std::string hdrPixel(const Image& image, int x, int row)
{
    const std::size_t at =
        (static_cast<std::size_t>(row) * image.width + static_cast<std::size_t>(x)) * 4;
    return asString(image).substr(at, 4);
}

} // namespace

TEST(TgaReader, CopiesPixelBytesAsTheyStandAfterTheImageId)
{
    TempDir dir;
    const std::string pixels24 = countingBytes(4 * 2 * 3);
    Image image = readImage(dir.write("a.tga", tgaFile(4, 2, 24, "", pixels24)));
    EXPECT_EQ(image.width, 4);
    EXPECT_EQ(image.height, 2);
    EXPECT_EQ(image.components, 3);
    EXPECT_EQ(asString(image), pixels24);

    // The ID is skipped: pixel data starts at 18 + ID length. Extra bytes after it are ignored.
    const std::string pixels32 = countingBytes(3 * 3 * 4);
    image = readImage(dir.write("b.tga", tgaFile(3, 3, 32, "an image id", pixels32 + "footer")));
    EXPECT_EQ(image.components, 4);
    EXPECT_EQ(asString(image), pixels32);

    const std::string pixels8 = countingBytes(5 * 1);
    image = readImage(dir.write("grey.tga", tgaFile(5, 1, 8, "x", pixels8)));
    EXPECT_EQ(image.components, 1);
    EXPECT_EQ(asString(image), pixels8);

    // Sizes are little-endian 16-bit fields.
    image = readImage(dir.write("wide.tga", tgaFile(300, 1, 8, "", countingBytes(300))));
    EXPECT_EQ(image.width, 300);
}

TEST(TgaReader, DamagedFilesAreLoadingErrors)
{
    TempDir dir;
    EXPECT_EQ(loadErrorOf(dir.file("none.tga")),
              "Cannot load file " + dir.file("none.tga") + " from directory");
    const std::string shortPixels =
        dir.write("short.tga", tgaFile(4, 4, 24, "", countingBytes(47)));
    EXPECT_EQ(loadErrorOf(shortPixels), "TGA pixel data ends early in " + shortPixels);
    // An ID length pointing past the end of the file.
    std::string idPastEnd = tgaFile(0, 0, 24, "", "");
    idPastEnd[0] = static_cast<char>(200);
    const std::string idFile = dir.write("id.tga", idPastEnd);
    EXPECT_EQ(loadErrorOf(idFile), "TGA pixel data ends early in " + idFile);
    const std::string header = dir.write("header.tga", std::string(17, '\0'));
    EXPECT_EQ(loadErrorOf(header), "TGA header ends early in " + header);
    const std::string depth = dir.write("depth.tga", tgaFile(2, 2, 4, "", countingBytes(16)));
    EXPECT_EQ(loadErrorOf(depth), "TGA pixel depth below 8 bits in " + depth);
}

TEST(ImageDispatch, ChoosesTheReaderBySecondToLastCharacter)
{
    TempDir dir;
    const std::string tga = tgaFile(1, 1, 24, "", "abc");
    // scene.jpeg and noise.png are read as TGA; the names say nothing else to the dispatch.
    EXPECT_EQ(asString(readImage(dir.write("scene.jpeg", tga))), "abc");
    EXPECT_EQ(asString(readImage(dir.write("noise.png", tga))), "abc");
    EXPECT_EQ(
        readImage(dir.write("upper.JPG", encodeJpeg(8, 8, 1, flatPixels(8, 8, 1, {9})))).components,
        1);
    const std::string hdr = hdrFile("-Y 1 +X 1", quad(10, 20, 30, 128));
    EXPECT_EQ(asString(readImage(dir.write("SKY.HDR", hdr))), quad(30, 20, 10, 128));
    // Too short for a second-to-last character: TGA, whose missing file is the usual message.
    EXPECT_EQ(loadErrorOf(dir.file("x").substr(dir.file("x").size() - 1)),
              "Cannot load file x from directory");
}

TEST(JpegReader, ColourAndGreyWithAndWithoutAlphaPicture)
{
    TempDir dir;
    // Top half one colour, bottom half another: rows come top first, bytes blue, green, red.
    std::vector<std::uint8_t> rgb = flatPixels(16, 8, 3, {200, 100, 50});
    for (std::size_t i = rgb.size() / 2; i < rgb.size(); i += 3) {
        rgb[i] = 10;
        rgb[i + 1] = 240;
        rgb[i + 2] = 130;
    }
    const std::string rock = dir.write("rock.jpg", encodeJpeg(16, 8, 3, rgb));
    Image image = readImage(rock);
    ASSERT_EQ(image.components, 3);
    ASSERT_EQ(image.width, 16);
    ASSERT_EQ(image.height, 8);
    ASSERT_EQ(image.pixels.size(), 16u * 8 * 3);
    EXPECT_NEAR(image.pixels[0], 50, 3);
    EXPECT_NEAR(image.pixels[1], 100, 3);
    EXPECT_NEAR(image.pixels[2], 200, 3);
    EXPECT_NEAR(image.pixels[image.pixels.size() - 3], 130, 3);
    EXPECT_NEAR(image.pixels[image.pixels.size() - 1], 10, 3);

    // rock.a.jpg beside it adds a fourth byte from the grey alpha picture, column by column.
    std::vector<std::uint8_t> ramp;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x)
            ramp.push_back(x < 8 ? 30 : 225);
    dir.write("rock.a.jpg", encodeJpeg(16, 8, 1, ramp));
    image = readImage(rock);
    ASSERT_EQ(image.components, 4);
    ASSERT_EQ(image.pixels.size(), 16u * 8 * 4);
    EXPECT_NEAR(image.pixels[0], 50, 3);
    EXPECT_NEAR(image.pixels[2], 200, 3);
    EXPECT_NEAR(image.pixels[3], 30, 3);
    EXPECT_NEAR(image.pixels[15 * 4 + 3], 225, 3);
    EXPECT_NEAR(image.pixels[image.pixels.size() - 2], 10, 3);

    const std::string grey =
        dir.write("grey.jpg", encodeJpeg(16, 8, 1, flatPixels(16, 8, 1, {90})));
    image = readImage(grey);
    EXPECT_EQ(image.components, 1);
    EXPECT_NEAR(image.pixels[5], 90, 2);
    dir.write("grey.a.jpg", encodeJpeg(16, 8, 1, ramp));
    image = readImage(grey);
    ASSERT_EQ(image.components, 2);
    EXPECT_NEAR(image.pixels[0], 90, 2);
    EXPECT_NEAR(image.pixels[1], 30, 3);
    EXPECT_NEAR(image.pixels[31], 225, 3);
}

TEST(JpegReader, FailuresThrowTheCodecMessages)
{
    TempDir dir;
    std::vector<std::uint8_t> noise(32 * 32 * 3);
    for (std::size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<std::uint8_t>(i * 37 % 251);
    const std::string good = encodeJpeg(32, 32, 3, noise, 95);

    // A missing colour file reads as an unreadable header.
    EXPECT_EQ(loadErrorOf(dir.file("missing.jpg")), "Cannot IJL readparams");
    EXPECT_EQ(loadErrorOf(dir.write("junk.jpg", "GIF89a not a jpeg")), "Cannot IJL readparams");
    EXPECT_EQ(loadErrorOf(dir.write("cut.jpg", good.substr(0, good.size() * 2 / 3))),
              "Cannot IJL readwholeimage");

    dir.write("wall.jpg", good);
    dir.write("wall.a.jpg", "broken");
    EXPECT_EQ(loadErrorOf(dir.file("wall.jpg")), "Cannot IJL alpha readparams");
    const std::string alphaGood =
        encodeJpeg(32, 32, 1, std::vector<std::uint8_t>(noise.begin(), noise.begin() + 1024), 95);
    dir.write("wall.a.jpg", alphaGood.substr(0, alphaGood.size() / 2));
    EXPECT_EQ(loadErrorOf(dir.file("wall.jpg")), "Cannot IJL alpha readwholeimage");

    // The interleave needs both pictures the same size.
    dir.write("wall.a.jpg", encodeJpeg(16, 32, 1, flatPixels(16, 32, 1, {1})));
    EXPECT_EQ(loadErrorOf(dir.file("wall.jpg")), "JPEG alpha image " + dir.file("wall.a.jpg") +
                                                     " differs in size from " +
                                                     dir.file("wall.jpg"));

    // CMYK has no byte order the upload knows.
    const std::string cmyk =
        dir.write("print.jpg", encodeJpeg(8, 8, 4, flatPixels(8, 8, 4, {1, 2, 3, 4})));
    EXPECT_EQ(loadErrorOf(cmyk), "Unsupported JPEG channel count in " + cmyk);

    // An alpha picture whose colour file is missing.
    dir.write("lone.a.jpg", alphaGood);
    EXPECT_EQ(loadErrorOf(dir.file("lone.jpg")), "Cannot IJL readparams");
}

TEST(HdrReader, FlatScanlinesWithRunMarkers)
{
    TempDir dir;
    // 4 wide: always flat, even when a scanline begins 2, 2.
    const std::string rows = quad(2, 2, 0, 4) + quad(9, 8, 7, 6) + quad(1, 1, 1, 2) + // row 0
                             quad(5, 6, 7, 8) + quad(1, 1, 1, 3);                     // row 1
    Image image;
    ASSERT_TRUE(readHdrImage(dir.write("flat.hdr", hdrFile("-Y 2 +X 4", rows)), image));
    EXPECT_EQ(image.width, 4);
    EXPECT_EQ(image.height, 2);
    EXPECT_EQ(image.components, 4);
    // The file's first scanline is the last row; bytes turn from RGBE into BGRE.
    EXPECT_EQ(hdrPixel(image, 0, 1), quad(0, 2, 2, 4));
    EXPECT_EQ(hdrPixel(image, 1, 1), quad(7, 8, 9, 6));
    EXPECT_EQ(hdrPixel(image, 3, 1), quad(7, 8, 9, 6));
    EXPECT_EQ(hdrPixel(image, 0, 0), quad(7, 6, 5, 8));
    EXPECT_EQ(hdrPixel(image, 3, 0), quad(7, 6, 5, 8));

    // Two markers in a row: 2, then 1 << 8 more of the same pixel.
    const std::string run =
        quad(3, 4, 5, 6) + quad(1, 1, 1, 2) + quad(1, 1, 1, 1) + quad(7, 7, 7, 7);
    ASSERT_TRUE(readHdrImage(dir.write("run.hdr", hdrFile("-Y 1 +X 260", run)), image));
    EXPECT_EQ(hdrPixel(image, 258, 0), quad(5, 4, 3, 6));
    EXPECT_EQ(hdrPixel(image, 259, 0), quad(7, 7, 7, 7));

    // A run that would pass the end of the scanline stops there; the next scanline follows.
    const std::string over = quad(3, 4, 5, 6) + quad(1, 1, 1, 200) + quad(8, 8, 8, 8);
    ASSERT_TRUE(readHdrImage(dir.write("over.hdr", hdrFile("-Y 2 +X 3", over + over)), image));
    EXPECT_EQ(hdrPixel(image, 2, 1), quad(5, 4, 3, 6));
    EXPECT_EQ(hdrPixel(image, 0, 0), quad(8, 8, 8, 8));

    // Markers piling up shifts far past any count must not overflow.
    std::string many = quad(3, 4, 5, 6);
    for (int i = 0; i < 12; ++i)
        many += quad(1, 1, 1, 0);
    many += quad(1, 1, 1, 1);
    ASSERT_TRUE(readHdrImage(dir.write("many.hdr", hdrFile("-Y 1 +X 5", many)), image));
    EXPECT_EQ(hdrPixel(image, 4, 0), quad(5, 4, 3, 6));

    // A marker with no pixel before it repeats black.
    const std::string first = quad(1, 1, 1, 2) + quad(9, 9, 9, 9);
    ASSERT_TRUE(readHdrImage(dir.write("first.hdr", hdrFile("-Y 1 +X 3", first)), image));
    EXPECT_EQ(hdrPixel(image, 1, 0), quad(0, 0, 0, 0));
    EXPECT_EQ(hdrPixel(image, 2, 0), quad(9, 9, 9, 9));
}

TEST(HdrReader, PlaneEncodedScanlines)
{
    TempDir dir;
    // 10 wide: red as a run of 10; green a literal of 10; blue two runs; exponent one run.
    std::string line = quad(2, 2, 0, 10);
    line += std::string{char(128 + 10), char(50)};
    line += char(10);
    for (int i = 0; i < 10; ++i)
        line += char(i);
    line += std::string{char(0), char(128 + 4), char(70), char(128 + 6), char(80)};
    line += std::string{char(128 + 10), char(128)};
    Image image;
    ASSERT_TRUE(readHdrImage(dir.write("rle.hdr", hdrFile("-Y 2 +X 10", line + line)), image));
    for (int row = 0; row < 2; ++row) {
        EXPECT_EQ(hdrPixel(image, 0, row), quad(70, 0, 50, 128));
        EXPECT_EQ(hdrPixel(image, 9, row), quad(80, 9, 50, 128));
    }

    // Runs and literals longer than the scanline stop at its end.
    std::string longRuns = quad(2, 2, 0, 8);
    longRuns += std::string{char(255), char(1)};
    longRuns += char(12);
    longRuns += std::string(12, char(2));
    longRuns += std::string{char(255), char(3), char(255), char(4)};
    ASSERT_TRUE(readHdrImage(dir.write("long.hdr", hdrFile("-Y 1 +X 8", longRuns)), image));
    EXPECT_EQ(hdrPixel(image, 7, 0), quad(3, 2, 1, 4));

    // 2, 2 with a high byte of 128 or more is an ordinary first pixel in flat form.
    std::string flat = quad(2, 2, 200, 9);
    for (int i = 1; i < 8; ++i)
        flat += quad(i, i, i + 1, 9);
    ASSERT_TRUE(readHdrImage(dir.write("notrle.hdr", hdrFile("-Y 1 +X 8", flat)), image));
    EXPECT_EQ(hdrPixel(image, 0, 0), quad(200, 2, 2, 9));
    EXPECT_EQ(hdrPixel(image, 7, 0), quad(8, 7, 7, 9));
}

TEST(HdrReader, RefusalsAndEarlyEnds)
{
    TempDir dir;
    Image image;
    EXPECT_THROW(readHdrImage(dir.file("missing.hdr"), image), LoadError);
    EXPECT_FALSE(
        readHdrImage(dir.write("magic.hdr", "#?RGBE\n\n-Y 1 +X 1\n" + quad(1, 2, 3, 4)), image));
    EXPECT_FALSE(readHdrImage(dir.write("orient.hdr", hdrFile("+Y 512 +X 512", "")), image));
    EXPECT_FALSE(readHdrImage(dir.write("half.hdr", hdrFile("-Y 5", "")), image));
    EXPECT_FALSE(
        readHdrImage(dir.write("header.hdr", "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n"), image));
    EXPECT_FALSE(readHdrImage(
        dir.write("long.hdr", hdrFile("-Y 1 +X 1" + std::string(300, ' '), quad(1, 2, 3, 4))),
        image));
    EXPECT_FALSE(readHdrImage(dir.write("negative.hdr", hdrFile("-Y -3 +X 2", "")), image));
    // The magic line's own line end does not pair with a blank line straight after the magic.
    EXPECT_FALSE(readHdrImage(dir.write("pair.hdr", "#?RADIANCE\n\n-Y 1 +X 1\n"), image));

    // Data that ends early: true, with the scanlines that were read in place and the rest zero.
    const std::string data =
        quad(10, 20, 30, 40) + quad(50, 60, 70, 80) + std::string{char(1), char(2)};
    ASSERT_TRUE(readHdrImage(dir.write("short.hdr", hdrFile("-Y 3 +X 1", data)), image));
    EXPECT_EQ(image.pixels.size(), 12u);
    EXPECT_EQ(hdrPixel(image, 0, 2), quad(30, 20, 10, 40));
    EXPECT_EQ(hdrPixel(image, 0, 1), quad(70, 60, 50, 80));
    EXPECT_EQ(hdrPixel(image, 0, 0), quad(0, 0, 0, 0));

    // A plane-encoded scanline cut inside a plane is not read.
    std::string cut = quad(2, 2, 0, 8) + std::string{char(128 + 8), char(1), char(3)};
    ASSERT_TRUE(readHdrImage(dir.write("cut.hdr", hdrFile("-Y 1 +X 8", cut)), image));
    EXPECT_EQ(hdrPixel(image, 0, 0), quad(0, 0, 0, 0));

    // readImage refuses what readHdrImage refuses, naming the file.
    const std::string bad = dir.file("orient.hdr");
    EXPECT_EQ(loadErrorOf(bad), "Cannot read HDR image " + bad);
    EXPECT_EQ(loadErrorOf(dir.file("gone.hdr")),
              "Cannot load file " + dir.file("gone.hdr") + " from directory");
}

// Damaged files of each kind, made by truncating and overwriting bytes of good ones: every
// outcome is a picture of consistent size or a LoadError, never a crash (run under ASan).
TEST(ImageReaders, DamagedFilesGiveAPictureOrALoadError)
{
    TempDir dir;
    std::vector<std::uint8_t> noise(24 * 16 * 3);
    for (std::size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<std::uint8_t>(i * 131 % 253);
    std::string rle = quad(2, 2, 0, 12);
    for (int plane = 0; plane < 4; ++plane)
        rle += std::string{char(128 + 5), char(40 + plane), char(7)} + std::string(7, char(plane));
    const std::pair<std::string, std::string> originals[] = {
        {"x.jpg", encodeJpeg(24, 16, 3, noise, 80)},
        {"x.tga", tgaFile(4, 4, 32, "id", countingBytes(64))},
        {"x.hdr", hdrFile("-Y 3 +X 12", rle + rle + rle)},
        {"y.hdr", hdrFile("-Y 2 +X 3", quad(5, 6, 7, 8) + quad(1, 1, 1, 2) + quad(1, 1, 1, 1))},
    };
    unsigned seed = 1;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) & 0xffffff;
    };
    int loaded = 0;
    int refused = 0;
    for (const auto& [name, bytes] : originals) {
        for (int round = 0; round < 150; ++round) {
            std::string damaged = bytes;
            if (round % 3 == 0)
                damaged.resize(next() % damaged.size());
            const int edits = round % 3 == 0 ? 0 : 1 + static_cast<int>(next() % 6);
            for (int e = 0; e < edits; ++e)
                damaged[next() % damaged.size()] = static_cast<char>(next());
            const std::string path = dir.write(std::to_string(round) + name, damaged);
            try {
                const Image image = readImage(path);
                EXPECT_EQ(image.pixels.size(), image.byteCount()) << path;
                ++loaded;
            } catch (const LoadError&) {
                ++refused;
            }
        }
    }
    EXPECT_GT(loaded, 0);
    EXPECT_GT(refused, 0);
}

// Headers that declare far more pixels than their few bytes of data could fill are refused from
// the header, with the file and the size in the message, before anything is decoded: decoding
// them took seconds and gigabytes and then gave a picture no texture could hold.
TEST(ImageReaders, SizesBeyondTheLimitsAreRefusedFromTheHeader)
{
    TempDir dir;
    const std::string small = encodeJpeg(16, 16, 3, flatPixels(16, 16, 3, {10, 20, 30}), 90);
    const std::string arithmetic =
        encodeJpeg(16, 16, 3, flatPixels(16, 16, 3, {10, 20, 30}), 90, JpegCoding::Arithmetic);
    const std::string progressive =
        encodeJpeg(16, 16, 3, flatPixels(16, 16, 3, {10, 20, 30}), 90, JpegCoding::Progressive);
    const std::string hugeProgressive = withDeclaredSize(progressive, 16383, 16383);
    const std::string alphaDir = dir.path().string() + "/alpha";
    dir.write("alpha/rock.jpg", small);
    dir.write("alpha/rock.a.jpg", withDeclaredSize(small, 9000, 9000));

    struct Case {
        std::string path;
        const char* size;
    };
    const Case cases[] = {
        {dir.write("arith.jpg", withDeclaredSize(arithmetic, 61456, 4097)), "61456 x 4097"},
        {dir.write("prog.jpg", hugeProgressive), "16383 x 16383"},
        {dir.write("progcut.jpg", hugeProgressive.substr(0, hugeProgressive.size() * 2 / 3)),
         "16383 x 16383"},
        // 9000 x 9000 fits each side but not the 64 million pixels.
        {alphaDir + "/rock.a.jpg", "9000 x 9000"},
        {dir.write("wide.tga", tgaFile(65535, 2000, 32, "", "")), "65535 x 2000"},
        {dir.write("tall.hdr", hdrFile("-Y 70000 +X 2", "")), "2 x 70000"},
        {dir.write("big.hdr", hdrFile("-Y 16384 +X 8192", quad(1, 2, 3, 4))), "8192 x 16384"},
    };
    for (const Case& c : cases) {
        const std::string message =
            loadErrorOf(c.path == alphaDir + "/rock.a.jpg" ? alphaDir + "/rock.jpg" : c.path);
        EXPECT_NE(message.find(c.path), std::string::npos) << message;
        EXPECT_NE(message.find(c.size), std::string::npos) << message;
    }
}

// The texture cache narrows the sides to the driver's: power-of-two sizes are checked against
// the 2D limit, others against the rectangle limit.
TEST(ImageReaders, SideLimitsFollowTheTextureTargetTheSizeChooses)
{
    TempDir dir;
    ImageLimits limits;
    limits.maxPowerOfTwoSide = 256;
    limits.maxOtherSide = 300;
    limits.maxPixels = 1000;
    const struct {
        int width;
        int height;
        bool accepted;
    } cases[] = {
        {256, 1, true}, {512, 1, false}, {300, 1, true}, {301, 1, false},
        {1, 300, true}, {32, 32, false}, {200, 5, true}, {200, 6, false},
    };
    for (const auto& c : cases) {
        const std::string path = dir.write(
            "t.tga", tgaFile(c.width, c.height, 8, "",
                             countingBytes(static_cast<std::size_t>(c.width * c.height))));
        bool accepted = true;
        try {
            EXPECT_EQ(readImage(path, limits).width, c.width);
        } catch (const LoadError&) {
            accepted = false;
        }
        EXPECT_EQ(accepted, c.accepted) << c.width << " x " << c.height;
    }
}
