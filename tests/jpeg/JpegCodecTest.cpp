#include "jpeg/JpegCodec.h"

#include "JpegTestFiles.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// Top half red, bottom half blue, so row order and channel order both show.
std::vector<std::uint8_t> splitPicture(int width, int height)
{
    std::vector<std::uint8_t> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool top = y < height / 2;
            pixels.push_back(top ? 220 : 20);
            pixels.push_back(60);
            pixels.push_back(top ? 20 : 220);
        }
    return pixels;
}

void expectNear(const std::uint8_t* bytes, std::initializer_list<int> expected, const char* where)
{
    int i = 0;
    for (int value : expected) {
        EXPECT_NEAR(bytes[i], value, 3) << where << " byte " << i;
        ++i;
    }
}

struct OpenedDecoder {
    JpegDecoder decoder;
    explicit OpenedDecoder(const std::string& path)
    {
        EXPECT_EQ(jpegInit(decoder), 0);
        decoder.sourceFile = path;
    }
};

void describeOutput(JpegDecoder& decoder, std::vector<std::uint8_t>& buffer, int channels,
                    int padding, bool topFirst)
{
    decoder.outputWidth = decoder.width;
    decoder.outputHeight = topFirst ? -decoder.height : decoder.height;
    decoder.outputChannels = channels;
    decoder.outputPadding = padding;
    decoder.outputColour = channels == 1 ? JpegColour::Greyscale : JpegColour::Bgr;
    decoder.sourceColour = decoder.channels == 1 ? JpegColour::Greyscale : JpegColour::YCbCr;
    buffer.assign(static_cast<std::size_t>((decoder.width * channels + padding) * decoder.height),
                  0xEE);
    decoder.outputBuffer = buffer.data();
    decoder.outputSize = buffer.size();
}

} // namespace

TEST(JpegCodec, DecodesColourToBlueGreenRedTopRowFirstWithOrWithoutPadding)
{
    TempDir dir;
    const std::string path = dir.write("split.jpg", encodeJpeg(16, 16, 3, splitPicture(16, 16)));

    OpenedDecoder open(path);
    JpegDecoder& decoder = open.decoder;
    ASSERT_EQ(jpegReadParams(decoder), 0);
    EXPECT_EQ(decoder.width, 16);
    EXPECT_EQ(decoder.height, 16);
    EXPECT_EQ(decoder.channels, 3);
    std::vector<std::uint8_t> packed;
    describeOutput(decoder, packed, 3, 0, true);
    ASSERT_EQ(jpegReadWholeImage(decoder), 0);
    expectNear(packed.data(), {20, 60, 220}, "first row");
    expectNear(packed.data() + packed.size() - 3, {220, 60, 20}, "last row");
    EXPECT_EQ(jpegFree(decoder), 0);

    // Padding bytes after each row are skipped, and a positive height stores bottom row first.
    OpenedDecoder again(path);
    ASSERT_EQ(jpegReadParams(again.decoder), 0);
    std::vector<std::uint8_t> padded;
    describeOutput(again.decoder, padded, 3, 4, false);
    ASSERT_EQ(jpegReadWholeImage(again.decoder), 0);
    expectNear(padded.data(), {220, 60, 20}, "bottom-up first row");
    EXPECT_EQ(padded[48], 0xEE) << "padding is left alone";
    expectNear(padded.data() + 52, {220, 60, 20}, "second row after padding");
}

TEST(JpegCodec, DecodesGreyscaleAndColourToGrey)
{
    TempDir dir;
    const std::string grey = dir.write("grey.jpg", encodeJpeg(8, 8, 1, flatPixels(8, 8, 1, {77})));
    OpenedDecoder open(grey);
    ASSERT_EQ(jpegReadParams(open.decoder), 0);
    EXPECT_EQ(open.decoder.channels, 1);
    EXPECT_EQ(open.decoder.sourceColour, JpegColour::Greyscale);
    std::vector<std::uint8_t> buffer;
    describeOutput(open.decoder, buffer, 1, 0, true);
    ASSERT_EQ(jpegReadWholeImage(open.decoder), 0);
    for (std::uint8_t value : buffer)
        EXPECT_NEAR(value, 77, 2);

    // A greyscale stream cannot be asked for colour.
    OpenedDecoder colour(grey);
    ASSERT_EQ(jpegReadParams(colour.decoder), 0);
    describeOutput(colour.decoder, buffer, 1, 0, true);
    buffer.resize(8 * 8 * 3);
    colour.decoder.outputBuffer = buffer.data();
    colour.decoder.outputSize = buffer.size();
    colour.decoder.outputChannels = 3;
    colour.decoder.outputColour = JpegColour::Bgr;
    EXPECT_NE(jpegReadWholeImage(colour.decoder), 0);
}

TEST(JpegCodec, RefusesBuffersAndSizesThatDoNotFit)
{
    TempDir dir;
    const std::string path =
        dir.write("a.jpg", encodeJpeg(8, 4, 3, flatPixels(8, 4, 3, {1, 2, 3})));
    {
        OpenedDecoder open(path);
        ASSERT_EQ(jpegReadParams(open.decoder), 0);
        std::vector<std::uint8_t> buffer;
        describeOutput(open.decoder, buffer, 3, 0, true);
        open.decoder.outputSize = buffer.size() - 1;
        EXPECT_NE(jpegReadWholeImage(open.decoder), 0);
    }
    {
        OpenedDecoder open(path);
        ASSERT_EQ(jpegReadParams(open.decoder), 0);
        std::vector<std::uint8_t> buffer;
        describeOutput(open.decoder, buffer, 3, 0, true);
        open.decoder.outputWidth = 4; // no scaling through this interface
        EXPECT_NE(jpegReadWholeImage(open.decoder), 0);
    }
    {
        OpenedDecoder open(path);
        ASSERT_EQ(jpegReadParams(open.decoder), 0);
        std::vector<std::uint8_t> buffer;
        describeOutput(open.decoder, buffer, 3, 0, true);
        open.decoder.outputChannels = 4;
        EXPECT_NE(jpegReadWholeImage(open.decoder), 0);
    }
    {
        // A record whose picture size was changed after the header was read: a buffer fitting
        // the smaller size would take rows of the real width, so the decode is refused.
        OpenedDecoder open(path);
        ASSERT_EQ(jpegReadParams(open.decoder), 0);
        open.decoder.width = 4;
        std::vector<std::uint8_t> buffer;
        describeOutput(open.decoder, buffer, 3, 0, true);
        EXPECT_NE(jpegReadWholeImage(open.decoder), 0);
        EXPECT_EQ(buffer, std::vector<std::uint8_t>(4 * 4 * 3, 0xEE));
    }
}

TEST(JpegCodec, DamagedFilesFailWithoutLeavingTheProcess)
{
    TempDir dir;
    // Noise keeps the entropy-coded data much larger than the tables in front of it.
    std::vector<std::uint8_t> noise(64 * 64 * 3);
    std::srand(3);
    for (std::uint8_t& value : noise)
        value = static_cast<std::uint8_t>(std::rand());
    const std::string good = encodeJpeg(64, 64, 3, noise, 90);

    OpenedDecoder missing(dir.file("missing.jpg"));
    EXPECT_NE(jpegReadParams(missing.decoder), 0);

    OpenedDecoder notJpeg(dir.write("text.jpg", "this is not a picture"));
    EXPECT_NE(jpegReadParams(notJpeg.decoder), 0);

    OpenedDecoder empty(dir.write("empty.jpg", ""));
    EXPECT_NE(jpegReadParams(empty.decoder), 0);

    OpenedDecoder headerOnly(dir.write("header.jpg", good.substr(0, 40)));
    EXPECT_NE(jpegReadParams(headerOnly.decoder), 0);

    // The header reads, the picture data stops halfway.
    OpenedDecoder truncated(dir.write("cut.jpg", good.substr(0, good.size() / 2)));
    ASSERT_EQ(jpegReadParams(truncated.decoder), 0);
    std::vector<std::uint8_t> buffer;
    describeOutput(truncated.decoder, buffer, 3, 0, true);
    EXPECT_NE(jpegReadWholeImage(truncated.decoder), 0);
    EXPECT_EQ(jpegFree(truncated.decoder), 0);

    // Scrambled entropy data after a valid header: every outcome but a crash is acceptable,
    // and a reported success must have written the buffer (it starts as all 0xEE).
    std::string scrambled = good;
    std::srand(7);
    for (std::size_t i = scrambled.size() / 3; i < scrambled.size() - 2; i += 5)
        scrambled[i] = static_cast<char>(std::rand());
    OpenedDecoder noisy(dir.write("noisy.jpg", scrambled));
    if (jpegReadParams(noisy.decoder) == 0) {
        describeOutput(noisy.decoder, buffer, 3, 0, true);
        if (jpegReadWholeImage(noisy.decoder) == 0) {
            EXPECT_NE(buffer, std::vector<std::uint8_t>(buffer.size(), 0xEE));
        }
    }

    // Calls out of order are refused rather than followed.
    JpegDecoder uninitialised;
    EXPECT_NE(jpegReadParams(uninitialised), 0);
    EXPECT_NE(jpegReadWholeImage(uninitialised), 0);
}

// Progressive pictures make libjpeg keep every coefficient of the picture until the last scan;
// the memory limit refuses that instead of growing without bound, and a file of hundreds of
// scans (each a pass over the whole picture) is refused outright.
TEST(JpegCodec, MemoryAndScanLimitsRefuseCostlyFilesAndPassOrdinaryOnes)
{
    TempDir dir;
    const std::vector<std::uint8_t> picture = splitPicture(256, 256);
    const std::string progressive = encodeJpeg(256, 256, 3, picture, 90, JpegCoding::Progressive);
    const std::string manyScans =
        encodeJpeg(16, 16, 1, flatPixels(16, 16, 1, {90}), 90, JpegCoding::ManyScans);
    ASSERT_GT(scanCount(manyScans), 600);

    struct Case {
        const char* name;
        const std::string& bytes;
        int channels;
        std::size_t maxMemory;
        bool decodes;
    };
    const Case cases[] = {
        {"progressive.jpg", progressive, 3, 0, true},
        {"progressive.jpg", progressive, 3, std::size_t{16} << 20, true},
        // 256 x 256 x 3 samples of two-byte coefficients do not fit in 64 KB.
        {"progressive.jpg", progressive, 3, std::size_t{64} << 10, false},
        {"scans.jpg", manyScans, 1, 0, false},
    };
    for (const Case& c : cases) {
        OpenedDecoder open(dir.write(c.name, c.bytes));
        ASSERT_EQ(jpegReadParams(open.decoder), 0) << c.name;
        std::vector<std::uint8_t> buffer;
        describeOutput(open.decoder, buffer, c.channels, 0, true);
        open.decoder.maxMemory = c.maxMemory;
        EXPECT_EQ(jpegReadWholeImage(open.decoder) == 0, c.decodes)
            << c.name << " with " << c.maxMemory << " bytes";
        if (c.decodes && c.channels == 3) {
            expectNear(buffer.data(), {20, 60, 220}, "top left");
            expectNear(buffer.data() + buffer.size() - 3, {220, 60, 20}, "bottom right");
        }
    }
}
