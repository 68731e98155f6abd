#include "pixmate/json/json_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "pixmate/json/json_path.h"

namespace pixmate::json {
namespace {

struct NumberCase {
    double value;
    const char* text;
};

// Number.prototype.toString as a browser prints it.
TEST(NumberTextTest, FollowsEcmaScriptLayout) {
    const double inf = std::numeric_limits<double>::infinity();
    const NumberCase cases[] = {
        {0, "0"},
        {-0.0, "0"},
        {1, "1"},
        {-1, "-1"},
        {123, "123"},
        {1.5, "1.5"},
        {-2.25, "-2.25"},
        {0.1, "0.1"},
        {0.1 + 0.2, "0.30000000000000004"},  // 17 significant digits
        {1.0 / 3, "0.3333333333333333"},
        {123456789.123456789, "123456789.12345679"},
        {9007199254740992.0, "9007199254740992"},  // 2^53
        {9007199254740993.0, "9007199254740992"},
        {18446744073709551616.0, "18446744073709552000"},  // 2^64
        {1e20, "100000000000000000000"},
        {1.5e20, "150000000000000000000"},
        {123456789012345680000.0, "123456789012345680000"},  // n = 21: still plain
        {1e21, "1e+21"},
        {1.5e21, "1.5e+21"},
        {1e100, "1e+100"},
        {1.7976931348623157e308, "1.7976931348623157e+308"},
        {0.000001, "0.000001"},
        {0.0000015, "0.0000015"},
        {1e-7, "1e-7"},
        {1.5e-7, "1.5e-7"},
        {-1e-7, "-1e-7"},
        {5e-324, "5e-324"},
        {2.2250738585072014e-308, "2.2250738585072014e-308"},
        {std::nan(""), "NaN"},
        {inf, "Infinity"},
        {-inf, "-Infinity"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NumberText(c.value), c.text) << c.text;
    }
}

TEST(NumberTextTest, RoundTripsThroughParsing) {
    const double values[] = {0.1,
                             1.0 / 3,
                             2.0 / 3,
                             1e21,
                             1e-7,
                             5e-324,
                             123.456e-300,
                             4.35,
                             0.07,
                             1234567.0001,
                             9.999999999999999e22};
    for (double value : values) {
        EXPECT_EQ(JsonNumberToDouble(NumberText(value)), value) << NumberText(value);
    }
}

TEST(JsonNumberTest, ReadsBeyondTheDoubleRangeAsScriptDoes) {
    EXPECT_EQ(JsonNumberToDouble("1e400"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(JsonNumberToDouble("-1e400"), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(JsonNumberToDouble("1e-400"), 0.0);
    EXPECT_EQ(JsonNumberToDouble("0.000001e-330"), 0.0);
    EXPECT_EQ(JsonNumberToDouble("100000e304"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(JsonNumberToDouble("9007199254740993"), 9007199254740992.0);
}

struct TextNumberCase {
    const char* text;
    double value;  // NaN: not a number
};

TEST(TextToNumberTest, ConvertsAsNumberDoes) {
    const double nan = std::nan("");
    const TextNumberCase cases[] = {
        {"", 0},
        {"  ", 0},
        {"0", 0},
        {"12", 12},
        {" 12 ", 12},
        {"\t\n12\r", 12},
        {"-3.5", -3.5},
        {"+4", 4},
        {".5", 0.5},
        {"5.", 5},
        {"1e3", 1000},
        {"1E-2", 0.01},
        {"0x1A", 26},
        {"0XfF", 255},
        {"Infinity", INFINITY},
        {"-Infinity", -INFINITY},
        {"\xE3\x80\x80"
         "7\xC2\xA0",
         7},
        {"abc", nan},
        {"12px", nan},
        {"1,2", nan},
        {"0x", nan},
        {"-0x10", nan},
        {"e5", nan},
        {".", nan},
        {"1e", nan},
        {"infinity", nan},
        {"NaN", nan},
    };
    for (const auto& c : cases) {
        double value = TextToNumber(c.text);
        if (std::isnan(c.value)) {
            EXPECT_TRUE(std::isnan(value)) << '"' << c.text << '"';
        } else {
            EXPECT_EQ(value, c.value) << '"' << c.text << '"';
        }
    }
}

TEST(QuotedTextTest, EscapesOnlyWhatJsonStringifyEscapes) {
    struct Case {
        std::string_view in;
        std::string_view out;
    };
    const Case cases[] = {
        {"plain", "\"plain\""},
        {"a\"b", "\"a\\\"b\""},
        {"a\\b", "\"a\\\\b\""},
        {"\b\f\n\r\t", "\"\\b\\f\\n\\r\\t\""},
        {std::string_view("\0\x01\x1f", 3), "\"\\u0000\\u0001\\u001f\""},
        {"\x7f/<>'", "\"\x7f/<>'\""},
        {"\xE4\xB8\xAD\xE2\x80\xA8", "\"\xE4\xB8\xAD\xE2\x80\xA8\""},  // kept as UTF-8
    };
    for (const auto& c : cases) {
        std::string out;
        AppendQuotedText(out, c.in);
        EXPECT_EQ(out, c.out);
    }
}

TEST(BackslashMarkTest, RoundTripsAndUnmarksInPlace) {
    const std::string_view texts[] = {"", "\\", "C:\\dir\\file", "\\\\n", "no slash"};
    for (auto text : texts) {
        std::string marked = MarkBackslashes(text);
        EXPECT_EQ(marked.find('\\'), std::string::npos);
        EXPECT_EQ(UnmarkedCopy(marked), text);
        UnmarkBackslashes(marked);
        EXPECT_EQ(marked, text);
    }
    EXPECT_EQ(MarkBackslashes("a\\b"),
              "a\xE2\x90\x80"
              "b");
    std::string partial = "\xE2\x90\xE2\x90\x80";  // a broken mark before a whole one
    UnmarkBackslashes(partial);
    EXPECT_EQ(partial, "\xE2\x90\\");
}

TEST(Utf16Test, CountsAndIndexesUnitsAsScriptStrings) {
    const std::string text = "a\xE4\xB8\xAD\xF0\x9F\x98\x80z";  // a, 中, U+1F600, z
    EXPECT_EQ(Utf16Length(text), 5u);
    std::string unit;
    ASSERT_TRUE(Utf16UnitAt(text, 1, unit));
    EXPECT_EQ(unit, "\xE4\xB8\xAD");
    ASSERT_TRUE(Utf16UnitAt(text, 2, unit));
    EXPECT_EQ(unit, "\xED\xA0\xBD");  // high surrogate D83D
    ASSERT_TRUE(Utf16UnitAt(text, 4, unit));
    EXPECT_EQ(unit, "z");
    EXPECT_FALSE(Utf16UnitAt(text, 5, unit));
    EXPECT_EQ(Utf16Length("\xFF\xE4\xB8"), 3u);  // malformed bytes count one each
}

TEST(PathTest, SplitsMemberExpressions) {
    struct Case {
        std::string_view expression;
        std::vector<std::string> keys;
    };
    const Case cases[] = {
        {"da", {}},
        {"da.fun", {"fun"}},
        {"da[0]", {"0"}},
        {"da.a.b[2]", {"a", "b", "2"}},
        {"da['x y']", {"x y"}},
        {"da[\"q\\\"uote\"]", {"q\"uote"}},
        {"da['\\u540d\\x41\\n']",
         {"\xE5\x90\x8D"
          "A\n"}},
        {"da['\\uD83D\\uDE00']", {"\xF0\x9F\x98\x80"}},
        {"da . a [ 1 ] ", {"a", "1"}},
        {"da[1.0][1.5][-0][1e21][0x10][-1]", {"1", "1.5", "0", "1e+21", "16", "-1"}},
        {"da.\xE5\x90\x8D\xE5\xAD\x97", {"\xE5\x90\x8D\xE5\xAD\x97"}},
        {"da.$_x1", {"$_x1"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> keys;
        EXPECT_TRUE(SplitMemberExpression(c.expression, "da", keys)) << c.expression;
        EXPECT_EQ(keys, c.keys) << c.expression;
    }
    const std::string_view bad[] = {
        "",      "data",   "da.",    "da..a",    "da.1",      "da[",  "da[]",   "da['a]",
        "da[a]", "da.a()", "da + 1", "da[1abc]", "da['\\1']", "x.da", "da[1]]", "da['a\nb']"};
    for (auto expression : bad) {
        std::vector<std::string> keys;
        EXPECT_FALSE(SplitMemberExpression(expression, "da", keys)) << expression;
    }
}

TEST(PathTest, QualifiesAndRecognisesIndices) {
    EXPECT_EQ(QualifyPath("", "da"), "da");
    EXPECT_EQ(QualifyPath("fun", "da"), "da.fun");
    EXPECT_EQ(QualifyPath("[1]", "da"), "da[1]");
    EXPECT_EQ(QualifyPath("a.b[2]", "da"), "da.a.b[2]");
    std::uint32_t index = 0;
    EXPECT_TRUE(ArrayIndexOf("0", index));
    EXPECT_TRUE(ArrayIndexOf("4294967294", index));
    EXPECT_EQ(index, 4294967294u);
    for (auto key : {"", "01", "-1", "1.5", "4294967295", "a", "1e3"}) {
        EXPECT_FALSE(ArrayIndexOf(key, index)) << key;
    }
}

}  // namespace
}  // namespace pixmate::json
