#include "pixmate/image/text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <vector>

#include "pixmate/image/cpu_features.h"

#if defined(__unix__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace pixmate {
namespace {

using namespace std::string_view_literals;

class TextLengthTest : public testing::TestWithParam<ScanPath> {
  protected:
    void SetUp() override {
        ProbeProcessorFeatures();
        if (GetParam() == ScanPath::Avx2 && !Avx2Usable) GTEST_SKIP() << "no usable AVX2 here";
        if (GetParam() == ScanPath::Sse2 && !Sse2Present) GTEST_SKIP() << "no SSE2 here";
    }
};

TEST_P(TextLengthTest, CountsBytesBeforeTheNulAtEveryAlignment) {
    // Zeros before the text (they must not end it) and non-zero bytes after its NUL (they must
    // not extend it), at every offset within a 64-byte alignment.
    alignas(64) char buffer[64 * 5];
    for (std::size_t offset = 0; offset < 64; ++offset) {
        for (std::size_t length = 0; length <= 150; ++length) {
            std::memset(buffer, 0, sizeof buffer);
            std::memset(buffer + offset, 'x', length);
            std::memset(buffer + offset + length + 1, 'y', sizeof buffer - offset - length - 1);
            ASSERT_EQ(TextLength(buffer + offset, GetParam()), length)
                << "offset " << offset << " length " << length;
        }
    }
}

TEST_P(TextLengthTest, MissingTextIsEmpty) {
    EXPECT_EQ(TextLength(nullptr, GetParam()), 0u);
}

TEST_P(TextLengthTest, HighBytesAreNotTerminators) {
    // 0x80 is where a careless zero-byte test reports false hits; multi-byte UTF-8 is full of it.
    const char* text = "\x80\x80\x80\x81\xFF\x01\x80\xE4\xBD\xA0\xE5\xA5\xBD\x80";
    EXPECT_EQ(TextLength(text, GetParam()), std::strlen(text));
}

#if defined(__unix__)
// The scans stay inside the pages that hold the text: a text filling a page between two
// inaccessible pages, and every shorter text ending at that page's last byte.
TEST_P(TextLengthTest, StaysInsideThePagesOfTheText) {
    const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    void* mapping = mmap(nullptr, 3 * page, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(mapping, MAP_FAILED);
    char* data = static_cast<char*>(mapping) + page;
    ASSERT_EQ(mprotect(data, page, PROT_READ | PROT_WRITE), 0);
    std::memset(data, 'x', page - 1);
    data[page - 1] = '\0';
    for (std::size_t start = 0; start < page; ++start) {
        ASSERT_EQ(TextLength(data + start, GetParam()), page - 1 - start);
    }
    munmap(mapping, 3 * page);
}
#endif

INSTANTIATE_TEST_SUITE_P(Scans, TextLengthTest,
                         testing::Values(ScanPath::Word, ScanPath::Sse2, ScanPath::Avx2,
                                         ScanPath::Auto),
                         [](const testing::TestParamInfo<ScanPath>& info) {
                             switch (info.param) {
                                 case ScanPath::Word:
                                     return "Word";
                                 case ScanPath::Sse2:
                                     return "Sse2";
                                 case ScanPath::Avx2:
                                     return "Avx2";
                                 default:
                                     return "Auto";
                             }
                         });

struct SplitCase {
    std::string_view text;
    std::string_view separator;
    std::string_view before;
    std::string_view after;
};

TEST(TextSplit, BeforeFirstAndAfterLast) {
    const SplitCase cases[] = {
        {"12,34", ",", "12", "34"},
        {"5,6,7", ",", "5", "7"},
        {"a::b::c", "::", "a", "c"},
        {",x,", ",", "", ""},
        {"no separator", ",", "", ""},
        {"", ",", "", ""},
        {"text", "", "", ""},
        {"AbcABC", "B", "AbcA", "C"},  // case-sensitive
        {"宽度：1080，高度：2340", "，", "宽度：1080", "高度：2340"},
        // A NUL ends the text: what follows it is not searched.
        {"ab\0,c"sv, ",", "", ""},
        {"a,b\0,c"sv, ",", "a", "b"},
    };
    for (const SplitCase& c : cases) {
        SCOPED_TRACE(std::string(c.text));
        EXPECT_EQ(TextBeforeFirst(c.text, c.separator), c.before);
        EXPECT_EQ(TextAfterLast(c.text, c.separator), c.after);
    }
}

struct CommaCase {
    std::string_view text;
    std::int32_t before;
    std::int32_t after;
};

TEST(CommaIntegers, ValuesOfTheOuterFields) {
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    const CommaCase cases[] = {
        {"12,34", 12, 34},
        {"5,6,7", 5, 7},
        {"abc", 0, 0},
        {"42", 0, 0},  // no comma: neither field exists
        {",", 0, 0},
        {" -12,+34", -12, 34},
        {"\t\r\n 7, \t8", 7, 8},
        {"12px,34px", 12, 34},
        {"1.9,2e5", 1, 2},
        {"+-5,- 5", 0, 0},  // one sign, directly before the digits
        {"x1,y2", 0, 0},
        // Full-width digits, signs and the ideographic space U+3000 count as their ASCII forms.
        {"１２,３４", 12, 34},
        {"－５,＋６", -5, 6},
        {"\u3000\u3000７,\u3000 -８", 7, -8},
        {"1２3,４5６", 123, 456},
        {"１，２", 0, 0},  // the full-width comma is not a comma
        // Beyond 32 bits the value saturates.
        {"2147483647,2147483648", kMax, kMax},
        {"-2147483648,-2147483649", kMin, kMin},
        {"99999999999999999999,-99999999999999999999", kMax, kMin},
        // A NUL ends the text.
        {"1,2\0,3"sv, 1, 2},
    };
    for (const CommaCase& c : cases) {
        SCOPED_TRACE(std::string(c.text));
        EXPECT_EQ(IntBeforeFirstComma(c.text), c.before);
        EXPECT_EQ(IntAfterLastComma(c.text), c.after);
    }
}

}  // namespace
}  // namespace pixmate
