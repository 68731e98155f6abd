#include "verdel/diagnostics.h"

#include <gtest/gtest.h>
#include <rapidjson/error/error.h>

#include <cstdio>
#include <string>

#include "verdel/document.h"
#include "verdel/test_support.h"

#if !defined(_WIN32)
#include <iconv.h>
#endif

namespace verdel {
namespace {

using testing::DebugCapture;
using testing::FakeClock;
using testing::Load;

template <typename... Args>
std::string Format(const char* format, Args... args) {
    char line[256];
    std::snprintf(line, sizeof line, format, args...);
    return line;
}

TEST(DebugPrint, FormatsWithPrintfRulesAndAddsNoLineEnd) {
    DebugCapture capture;
    DebugPrint("a=%d b=%x c=%s", -5, 255u, "text");
    DebugPrint("%s", "");
    ASSERT_EQ(capture.lines().size(), 2u);
    EXPECT_EQ(capture.lines()[0], "a=-5 b=ff c=text");
    EXPECT_EQ(capture.lines()[1], "");
}

TEST(DebugPrint, KeepsAtMost4094Characters) {
    DebugCapture capture;
    for (std::size_t length : {4093u, 4094u, 4095u, 10000u}) {
        DebugPrint("%s", std::string(length, 'x').c_str());
    }
    ASSERT_EQ(capture.lines().size(), 4u);
    EXPECT_EQ(capture.lines()[0].size(), 4093u);
    EXPECT_EQ(capture.lines()[1].size(), 4094u);
    EXPECT_EQ(capture.lines()[2].size(), 4094u);
    EXPECT_EQ(capture.lines()[3].size(), 4094u);
}

#if !defined(_WIN32)
std::string ToCodePage936(const std::string& utf8) {
    iconv_t converter = iconv_open("CP936", "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1)) return "<no converter>";
    std::string out(utf8.size() * 2, '\0');
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char* outAt = out.data();
    std::size_t outLeft = out.size();
    std::size_t result = iconv(converter, &in, &inLeft, &outAt, &outLeft);
    iconv_close(converter);
    if (result == static_cast<std::size_t>(-1)) return "<conversion failed>";
    out.resize(out.size() - outLeft);
    return out;
}
#endif

// The host reads debug lines as ANSI text in code page 936; the escapes in the formats must be
// exactly the GBK bytes of the Chinese texts.
TEST(DebugMessages, ChineseFormatsAreStoredInCodePage936) {
#if defined(_WIN32)
    GTEST_SKIP() << "checked with iconv in the native build";
#else
    struct Row {
        const char* stored;
        const char* utf8;
    };
    const Row rows[] = {
        {kMsgLoadTime, "加载json用时毫秒--%d"},
        {kMsgLoadFailed, "加载json失败，GetParseError=%d"},
        {kMsgLeftClick, "左键单击项[%x]-%s"},
        {kMsgRightClick, "右键单击项[%x]-%s"},
        {kMsgTreeShowTime, "显示json用时毫秒--%d"},
    };
    for (const Row& row : rows) EXPECT_EQ(row.stored, ToCodePage936(row.utf8)) << row.utf8;
#endif
}

TEST(LoadDocument, ReportsTheMillisecondsSpentParsing) {
    struct Row {
        std::uint32_t start;
        std::uint32_t end;
        int elapsed;
    };
    // The counter wraps after 49.7 days; the difference still holds.
    const Row rows[] = {{1000, 1042, 42}, {5, 5, 0}, {0xFFFFFFF0u, 0x10, 32}};
    for (const Row& row : rows) {
        FakeClock clock({row.start, row.end});
        DebugCapture capture;
        ASSERT_TRUE(LoadDocument("{\"a\":1}"));
        ASSERT_EQ(capture.lines().size(), 1u);
        EXPECT_EQ(capture.lines()[0], Format(kMsgLoadTime, row.elapsed));
        EXPECT_EQ(capture.lines()[0], "\xBC\xD3\xD4\xD8json\xD3\xC3\xCA\xB1\xBA\xC1\xC3\xEB--" +
                                          std::to_string(row.elapsed));
    }
}

TEST(LoadDocument, ReportsTheParseErrorCodeAfterTheTiming) {
    std::string tooDeep =
        std::string(kMaxNestingDepth + 1, '[') + std::string(kMaxNestingDepth + 1, ']');
    struct Row {
        std::string text;
        rapidjson::ParseErrorCode code;
    };
    const Row rows[] = {
        {"", rapidjson::kParseErrorDocumentEmpty},
        {"{} x", rapidjson::kParseErrorDocumentRootNotSingular},
        {"{\"a\" 1}", rapidjson::kParseErrorObjectMissColon},
        {"[1,]", rapidjson::kParseErrorValueInvalid},
        {"\"abc", rapidjson::kParseErrorStringMissQuotationMark},
        {tooDeep, rapidjson::kParseErrorTermination},
        {"[1e309]", rapidjson::kParseErrorNumberTooBig},
        {"[51e308]", rapidjson::kParseErrorNumberTooBig},
    };
    for (const Row& row : rows) {
        FakeClock clock({10, 17});
        DebugCapture capture;
        EXPECT_FALSE(LoadDocument(row.text.c_str()));
        ASSERT_EQ(capture.lines().size(), 2u) << row.text;
        EXPECT_EQ(capture.lines()[0], Format(kMsgLoadTime, 7));
        EXPECT_EQ(capture.lines()[1], Format(kMsgLoadFailed, static_cast<int>(row.code)));
        EXPECT_EQ(capture.lines()[1],
                  "\xBC\xD3\xD4\xD8json\xCA\xA7\xB0\xDC\xA3\xAC"
                  "GetParseError=" +
                      std::to_string(static_cast<int>(row.code)));
    }
}

TEST(LoadDocument, ANullTextIsRefusedSilently) {
    DebugCapture capture;
    EXPECT_FALSE(LoadDocument(nullptr));
    EXPECT_EQ(JsonLoad(nullptr), nullptr);
    EXPECT_TRUE(capture.lines().empty());
}

TEST(JsonGetValue, ReportsTheReturnedText) {
    auto doc = Load(R"({"s":"say \"hi\"","n":5,"big":")" + std::string(5000, 'z') + "\"}");
    ASSERT_TRUE(doc);
    DebugCapture capture;
    JsonGetValue(doc.get(), "s");
    JsonGetValue(doc.get(), "n");
    JsonGetValue(doc.get(), "big");
    JsonGetValue(doc.get(), "missing");
    JsonGetValue(nullptr, "s");
    ASSERT_EQ(capture.lines().size(), 3u);
    EXPECT_EQ(capture.lines()[0], R"(JsonValue=say \"hi\")");
    EXPECT_EQ(capture.lines()[1], "JsonValue=5");
    EXPECT_EQ(capture.lines()[2], "JsonValue=" + std::string(4094 - 10, 'z'));
}

TEST(HandleBits, PrintsTheLow32BitsOfTheAddress) {
    EXPECT_EQ(HandleBits(nullptr), 0u);
    EXPECT_EQ(HandleBits(reinterpret_cast<const void*>(std::uintptr_t{0x12345678})), 0x12345678u);
}

}  // namespace
}  // namespace verdel
