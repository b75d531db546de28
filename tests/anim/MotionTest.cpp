#include "anim/Motion.h"
#include "anim/Channel.h"
#include "anim/SceneItem.h"

#include "shell/LoadError.h"
#include "shell/MappedTextFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string channelBlock(int number, float value)
{
    return "Channel " + std::to_string(number) + "\n{ Envelope\n  1\n  Key " +
           std::to_string(value) + " 0 0 0 0 0 0 0 0\n  Behaviors 1 1\n}\n";
}

std::string motionText(int count)
{
    std::string text = "NumChannels " + std::to_string(count) + "\n";
    for (int i = 0; i < count; ++i)
        text += channelBlock(i, static_cast<float>(i) + 0.5f);
    return text;
}

std::string motionErrorOf(const std::string& text)
{
    TempDir dir;
    MappedTextFile file(dir.write("motion.txt", text));
    try {
        parseMotion(file);
    } catch (const LoadError& error) {
        return error.what();
    }
    return "no error";
}

} // namespace

TEST(Channel, ConstantOrEnvelope)
{
    TempDir dir;
    MappedTextFile file(dir.write("channel.txt", "1.5 (envelope) { Envelope 2 "
                                                 "Key 0 0 3 0 0 0 0 0 0 Key 2 1 3 0 0 0 0 0 0 "
                                                 "Behaviors 1 1 } abc 7"));
    const Channel constant = parseChannel(file);
    EXPECT_EQ(constant.envelope, nullptr);
    EXPECT_EQ(evaluateChannel(constant, 9.0f), 1.5f);

    const Channel animated = parseChannel(file);
    ASSERT_NE(animated.envelope, nullptr);
    EXPECT_EQ(animated.value, 0.0f);
    EXPECT_EQ(evaluateChannel(animated, 0.5f), 1.0f);

    // A word that does not convert leaves the constant 0, and reading goes on after it.
    const Channel unconverted = parseChannel(file);
    EXPECT_EQ(unconverted.value, 0.0f);
    EXPECT_EQ(evaluateChannel(parseChannel(file), 0.0f), 7.0f);
}

TEST(Motion, ReadsChannelsInFileOrder)
{
    TempDir dir;
    MappedTextFile file(dir.write("motion.txt", motionText(9) + "After"));
    const Motion motion = parseMotion(file);
    ASSERT_EQ(motion.count(), 9);
    EXPECT_EQ(evaluateMotionChannel(motion, MotionChannel::X, 0.0f), 0.5f);
    EXPECT_EQ(evaluateMotionChannel(motion, MotionChannel::ScaleZ, 3.0f), 8.5f);
    EXPECT_EQ(file.readWord(), "After");

    MappedTextFile six(dir.write("six.txt", motionText(6)));
    const Motion short6 = parseMotion(six);
    EXPECT_EQ(short6.count(), 6);
    EXPECT_EQ(evaluateMotionChannel(short6, MotionChannel::ScaleX, 0.0f), 0.0f);
}

TEST(Motion, ParseMessages)
{
    EXPECT_EQ(motionErrorOf("NumChannel 9"), "Not NumChannels");
    // A motion that cannot give position and rotation is refused; so is a count that is no number.
    for (const std::string& text : {motionText(5), motionText(0), std::string("NumChannels -3"),
                                    std::string("NumChannels nine")})
        EXPECT_NE(motionErrorOf(text).find("Motion with fewer than 6 channels in "),
                  std::string::npos)
            << text;
    // Envelope errors inside a channel come through unchanged.
    EXPECT_EQ(motionErrorOf("NumChannels 6 Channel 0 { Envelop 1"), "Not Envelope");
}

TEST(ParentRef, DecodesKindIndexAndBoneFields)
{
    TempDir dir;
    MappedTextFile file(dir.write("ids.txt", "10000002 20000000 40010000 4fff0003 30000001 zz"));
    ParentRef ref = parseParentRef(file);
    EXPECT_EQ(ref.kind, ParentRef::object);
    EXPECT_EQ(ref.index, 2);
    ref = parseParentRef(file);
    EXPECT_EQ(ref.kind, ParentRef::light);
    EXPECT_EQ(ref.index, 0);
    ref = parseParentRef(file);
    EXPECT_EQ(ref.kind, ParentRef::bone);
    EXPECT_EQ(ref.index, 1);
    EXPECT_EQ(ref.objectIndex, 0);
    ref = parseParentRef(file);
    EXPECT_EQ(ref.index, 0x0FFF);
    EXPECT_EQ(ref.objectIndex, 3);
    ref = parseParentRef(file);
    EXPECT_EQ(ref.kind, ParentRef::camera);
    EXPECT_EQ(ref.index, 1);
    // A word that is not hexadecimal names no item.
    EXPECT_EQ(parseParentRef(file).kind, 0);
}
