#include "pixmate/link/message_text.h"

#include <gtest/gtest.h>

#include <string>

#include "pixmate/json/json_object.h"

namespace pixmate {
namespace {

using namespace std::string_literals;

const std::string kFffd = "\xEF\xBF\xBD";

TEST(DecodeMessageText, Table) {
    struct Case {
        std::string bytes;
        std::string text;
    };
    const Case cases[] = {
        {"", ""},
        {"心跳", "心跳"},
        {"{\"returns\":\"中文\"}", "{\"returns\":\"中文\"}"},
        {"\xF0\x9F\x98\x80 ok", "\xF0\x9F\x98\x80 ok"},  // outside the BMP
        {"abc\0def"s, "abc"},                            // ends at the first NUL
        {"\0abc"s, ""},
        {"a\xFF"
         "b",
         "a" + kFffd + "b"},  // never-valid byte
        {"a\x80\x80"
         "b",
         "a" + kFffd + kFffd + "b"},  // lone continuation bytes, one each
        {"a\xE4\xB8"
         "b",
         "a" + kFffd + "b"},                      // truncated 3-byte sequence: one U+FFFD
        {"\xE4\xB8", kFffd},                      // truncated at the very end
        {"\xC0\xAF", kFffd + kFffd},              // overlong form
        {"\xED\xA0\x80", kFffd + kFffd + kFffd},  // surrogate
        {"\xF4\x90\x80\x80", kFffd + kFffd + kFffd + kFffd},  // beyond U+10FFFF
        {"\xF0\x9F\x98"
         "x",
         kFffd + "x"},
        {"12345678\xFF"
         "12345678",
         "12345678" + kFffd + "12345678"},  // after an ASCII run
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecodeMessageText(c.bytes), c.text) << testing::PrintToString(c.bytes);
    }
}

TEST(DecodeMessageText, LongAsciiComesThroughUnchanged) {
    std::string bytes(1 << 20, 'A');
    bytes[777777] = 'z';
    EXPECT_EQ(DecodeMessageText(bytes), bytes);
}

TEST(EscapeJsonText, Table) {
    struct Case {
        std::string code;
        std::string escaped;
    };
    const Case cases[] = {
        {"returns=device.brand", "returns=device.brand"},
        {"a\"b", "a\\\"b"},
        {"a\\b", "a\\\\b"},
        {"a\tb\nc\rd\be\ff", "a\\tb\\nc\\rd\\be\\ff"},
        {"a/b", "a/b"},                  // the slash stays
        {"找色", "找色"},                // UTF-8 bytes as they are
        {"\x01\x1f", "\\u0001\\u001f"},  // other control bytes: \u00xx
        {"\x7f", "\x7f"},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(EscapeJsonText(c.code), c.escaped) << c.code;
}

TEST(BuildEvalRequest, ExactFormat) {
    EXPECT_EQ(BuildEvalRequest("returns=device.brand", 0),
              R"({"fun":"eval","data":"returns=device.brand","back":"0"})");
    EXPECT_EQ(BuildEvalRequest("x", 42), R"({"fun":"eval","data":"x","back":"42"})");
    EXPECT_EQ(BuildEvalRequest("x", -5), R"({"fun":"eval","data":"x","back":"0"})");
}

// Every code text, however odd, makes a request that parses back to the same code.
TEST(BuildEvalRequest, AlwaysValidJsonCarryingTheCode) {
    const std::string codes[] = {
        "var img = captureScreen();\r\nreturns = images.toBase64(img, \"png\", 100)",
        "returns='\\\\'",
        "returns=\"中文\\t\"",
        "a\x01\x02\x03\x1e\x1f",
        "if(!requestScreenCapture()){returns=false}else{returns=true}",
        "</script>",
    };
    for (const std::string& code : codes) {
        JsonObject request;
        ASSERT_TRUE(request.Parse(BuildEvalRequest(code, 0))) << code;
        EXPECT_EQ(request.GetText("fun"), "eval");
        EXPECT_EQ(request.GetText("data"), code);
        EXPECT_EQ(request.GetText("back"), "0");
    }
}

TEST(BuildEvalRequest, InvalidUtf8BecomesReplacementCharacter) {
    EXPECT_EQ(BuildEvalRequest("a\xFF", 0),
              R"({"fun":"eval","data":"a)" + kFffd + R"(","back":"0"})");
}

TEST(LeadingInteger, Table) {
    struct Case {
        std::string text;
        std::int32_t value;
    };
    const Case cases[] = {
        {"1080", 1080},
        {"-1", -1},
        {"+5", 5},
        {"2400px", 2400},
        {"12.9", 12},
        {"", 0},
        {"abc", 0},
        {"-", 0},
        {" 7", 0},
        {"99999999999", 2147483647},
        {"-99999999999", -2147483647 - 1},
        {"0", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(LeadingInteger(c.text), c.value) << c.text;
}

}  // namespace
}  // namespace pixmate
