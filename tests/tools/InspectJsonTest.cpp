#include "demo-inspect/Json.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

TEST(InspectJson, FloatsPrintTheirNineDigitsWholeOnesAsIntegersNonFiniteAsNull)
{
    constexpr float infinity = std::numeric_limits<float>::infinity();
    struct Case {
        float value;
        const char* text;
    };
    const Case cases[] = {
        {0.1f, "0.100000001"},
        {0.5f, "0.5"},
        {-2.5f, "-2.5"},
        {1.0f, "1"},
        {-2.0f, "-2"},
        {123456792.0f, "123456792"},
        {3e-5f, "2.99999992e-05"},
        {3.4e38f, "3.39999995e+38"},
        {1.4e-45f, "1.40129846e-45"},
        // Where nine digits need an exponent for a whole value, the number is written out.
        {1e10f, "10000000000.0"},
        {-0.0f, "-0.0"},
        {infinity, "null"},
        {-infinity, "null"},
        {std::numeric_limits<float>::quiet_NaN(), "null"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(jsonNumber(c.value).dump(), c.text) << c.text;
}

TEST(InspectJson, EveryFiniteFloatReadsBackAsTheSameFloat)
{
    std::mt19937 random(17);
    int checked = 0;
    for (int i = 0; i < 200000; ++i) {
        const float value = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
        if (!std::isfinite(value))
            continue;
        const Json back = Json::parse(jsonNumber(value).dump());
        ASSERT_EQ(static_cast<float>(back.get<double>()), value) << back.dump();
        ++checked;
    }
    EXPECT_GT(checked, 190000);
}

TEST(InspectJson, TextThatIsNotUtf8IsTakenByteByByteAsLatin1)
{
    struct Case {
        const char* bytes;
        const char* utf8;
    };
    const Case cases[] = {
        {"Sun", "Sun"},
        {"S\xC3\xB6n", "S\xC3\xB6n"},
        {"\xE2\x82\xAC\xF0\x9F\x98\x80", "\xE2\x82\xAC\xF0\x9F\x98\x80"},
        {"Sonne\xE9", "Sonne\xC3\xA9"},
        {"\xFF\xFE", "\xC3\xBF\xC3\xBE"},
        // One bad sequence makes the whole name Latin-1, its good sequences included.
        {"\xE9\xC3\xB6", "\xC3\xA9\xC3\x83\xC2\xB6"},
        {"cut\xC3", "cut\xC3\x83"},
        {"\xC0\xAF", "\xC3\x80\xC2\xAF"},                         // overlong
        {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xC2\x80"},             // surrogate
        {"\xF4\x90\x80\x80", "\xC3\xB4\xC2\x90\xC2\x80\xC2\x80"}, // past U+10FFFF
    };
    for (const Case& c : cases) {
        const Json text = jsonText(c.bytes);
        EXPECT_EQ(text.get<std::string>(), c.utf8) << c.bytes;
        EXPECT_EQ(Json::parse(text.dump()), text) << c.bytes;
    }
}

TEST(InspectJson, DumpLineKeepsKeyOrderWithSpacedSeparators)
{
    Json document = Json::object();
    document["zeta"] = 1;
    document["alpha"] = Json::array({jsonNumber(0.5f), "x"});
    document["name"] = jsonText("tab\there \"quoted\" back\\slash");
    document["none"] = nullptr;
    Json nested = Json::object();
    nested["on"] = true;
    nested["list"] = Json::array();
    document["nested"] = nested;
    document["empty"] = Json::object();
    const std::string line = dumpLine(document);
    EXPECT_EQ(line, "{\"zeta\": 1, \"alpha\": [0.5, \"x\"], \"name\": \"tab\\there \\\"quoted\\\" "
                    "back\\\\slash\", \"none\": null, \"nested\": {\"on\": true, \"list\": []}, "
                    "\"empty\": {}}");
    EXPECT_EQ(Json::parse(line), document);
}
