#include "demo-inspect/Sha256.h"
#include "image/Image.h"
#include "jpeg/JpegTestFiles.h"
#include "support/CommandRun.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

CommandRun inspectImage(const TempDir& dir, const std::string& file)
{
    return runCommand(dir, std::string(DEMO_INSPECT) + " image '" + file + "'");
}

std::string json(int width, int height, int components, const std::string& digest)
{
    return "{\"width\": " + std::to_string(width) + ", \"height\": " + std::to_string(height) +
           ", \"components\": " + std::to_string(components) + ", \"sha256\": \"" + digest +
           "\"}\n";
}

} // namespace

TEST(Sha256, KnownDigests)
{
    EXPECT_EQ(Sha256::hexOf("", 0),
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(Sha256::hexOf("abc", 3),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    // 56 bytes: the padding spills into a second block.
    const std::string two = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
    EXPECT_EQ(Sha256::hexOf(two.data(), two.size()),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    // Fed in uneven pieces, a million 'a's.
    Sha256 hash;
    const std::string piece(1000, 'a');
    for (int i = 0; i < 1000; ++i) {
        hash.update(piece.data(), 997);
        hash.update(piece.data(), 3);
    }
    EXPECT_EQ(hash.hexDigest(), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(InspectImage, PrintsSizeComponentsAndPixelDigestForEachFormat)
{
    TempDir dir;
    std::string tga(18, '\0');
    tga[2] = 2;
    tga[12] = 2;
    tga[14] = 1;
    tga[16] = 24;
    const std::string tgaPixels = "\x01\x02\x03\x04\x05\x06";
    dir.write("two.tga", tga + tgaPixels);
    EXPECT_EQ(inspectImage(dir, dir.file("two.tga")).out,
              json(2, 1, 3, Sha256::hexOf(tgaPixels.data(), 6)));

    // Pixel bytes in memory order: blue, green, red, exponent, first scanline last.
    dir.write("sky.hdr", std::string("#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 2 +X 1\n") +
                             "\x0a\x0b\x0c\x0d" + "\x14\x15\x16\x17");
    const std::string hdrPixels = "\x16\x15\x14\x17\x0c\x0b\x0a\x0d";
    EXPECT_EQ(inspectImage(dir, dir.file("sky.hdr")).out,
              json(1, 2, 4, Sha256::hexOf(hdrPixels.data(), 8)));

    const std::string photo =
        dir.write("photo.jpg", encodeJpeg(24, 16, 3, flatPixels(24, 16, 3, {90, 140, 200})));
    dir.write("photo.a.jpg", encodeJpeg(24, 16, 1, flatPixels(24, 16, 1, {60})));
    const Image expected = readImage(photo);
    const CommandRun run = inspectImage(dir, photo);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              json(24, 16, 4, Sha256::hexOf(expected.pixels.data(), expected.pixels.size())));
}

TEST(InspectImage, LoadingErrorsGoToStandardErrorWithStatusOne)
{
    TempDir dir;
    CommandRun run = inspectImage(dir, dir.file("missing.tga"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("Cannot load file " + dir.file("missing.tga") + " from directory\n"),
              std::string::npos);

    run = inspectImage(dir, dir.write("bad.jpg", "not a jpeg at all"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Cannot IJL readparams\n");

    const std::string hdr = dir.write("bad.hdr", "#?RADIANCE\n\n+Y 2 +X 2\n");
    run = inspectImage(dir, hdr);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Cannot read HDR image " + hdr + "\n");
}

// The command line goes through CLI11: every subcommand answers --help with its usage, and a
// subcommand's own arguments, options and negative numbers included, reach it in order.
TEST(InspectCommandLine, EverySubcommandHasHelpAndKeepsItsArguments)
{
    TempDir dir;
    for (const char* name : {"envelope", "mesh", "image", "timeline", "scene", "combiners"}) {
        const CommandRun help = runCommand(dir, std::string(DEMO_INSPECT) + " " + name + " --help");
        EXPECT_EQ(help.status, 0) << name;
        EXPECT_NE(help.out.find(std::string("demo-inspect ") + name + " "), std::string::npos)
            << help.out;
    }
    EXPECT_EQ(runCommand(dir, std::string(DEMO_INSPECT) + " --help").status, 0);
    EXPECT_EQ(runCommand(dir, std::string(DEMO_INSPECT) + " nothing").status, 2);
    EXPECT_EQ(runCommand(dir, DEMO_INSPECT).status, 2);

    dir.write("flat.txt", "{ Envelope\n  1\n  Key 2.5 0 0 0 0 0 0 0 0\n  Behaviors 1 1\n}\n");
    const CommandRun values = runCommand(dir, std::string(DEMO_INSPECT) + " envelope '" +
                                                  dir.file("flat.txt") + "' --at -1,0.5");
    EXPECT_EQ(values.status, 0) << values.err;
    EXPECT_NE(values.out.find("-1"), std::string::npos) << values.out;
    EXPECT_NE(values.out.find("2.5"), std::string::npos) << values.out;
}
