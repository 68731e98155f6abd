#include "pixmate/image/base64.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <random>

#include "pixmate/image/cpu_features.h"

namespace pixmate {
namespace {

using namespace std::string_view_literals;
using Bytes = std::vector<std::uint8_t>;

Bytes ToBytes(std::string_view s) {
    return Bytes(s.begin(), s.end());
}

Bytes RandomBytes(std::size_t size, std::uint32_t seed) {
    std::mt19937 random(seed);
    Bytes bytes(size);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
    return bytes;
}

// Plain bit-by-bit codecs that define the expected results, independent of the tables and
// vector code under test.
constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string ReferenceEncode(const Bytes& bytes) {
    std::string text;
    std::uint32_t bits = 0;
    int count = 0;
    for (std::uint8_t b : bytes) {
        bits = (bits << 8) | b;
        count += 8;
        while (count >= 6) text += kAlphabet[(bits >> (count -= 6)) & 63];
    }
    if (count > 0) text += kAlphabet[(bits << (6 - count)) & 63];
    while (text.size() % 4 != 0) text += '=';
    return text;
}

Bytes ReferenceDecode(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    if (text.size() < 4 || text.size() % 4 != 0) return {};
    std::size_t end = text.size();
    if (text[end - 1] == '=') --end;
    if (text[end - 1] == '=') --end;
    Bytes bytes;
    std::uint32_t bits = 0;
    int count = 0;
    for (char c : text.substr(0, end)) {
        const std::size_t value = kAlphabet.find(c);
        if (c == '\0' || value == std::string_view::npos) return {};
        bits = (bits << 6) | static_cast<std::uint32_t>(value);
        count += 6;
        if (count >= 8) bytes.push_back(static_cast<std::uint8_t>(bits >> (count -= 8)));
    }
    return bytes;
}

// Runs the codecs into buffers of exactly the documented size, followed by a guard area that
// must stay untouched (AddressSanitizer also sees the exact heap block in the native build).
constexpr std::size_t kGuard = 64;

Bytes DecodeGuarded(std::string_view text, CodecPath path) {
    const std::size_t capacity = Base64DecodeCapacity(text.size());
    Bytes out(capacity + kGuard, 0xA5);
    const std::size_t size = Base64DecodeTo(text, out.data(), path);
    EXPECT_LE(size, capacity);
    EXPECT_TRUE(std::all_of(out.begin() + capacity, out.end(), [](auto b) { return b == 0xA5; }))
        << "wrote past the decode capacity";
    // The allocating form must agree.
    Bytes result(out.begin(), out.begin() + size);
    EXPECT_EQ(Base64Decode(text, path), result);
    return result;
}

std::string EncodeGuarded(const Bytes& bytes, CodecPath path) {
    const std::size_t length = Base64EncodedLength(bytes.size());
    std::string out(length + kGuard, '#');
    EXPECT_EQ(Base64EncodeTo(bytes, out.data(), path), length);
    EXPECT_EQ(out.substr(length), std::string(kGuard, '#')) << "wrote past the text";
    out.resize(length);
    EXPECT_EQ(Base64Encode(bytes, path), out);
    return out;
}

class Base64PathTest : public testing::TestWithParam<CodecPath> {
  protected:
    void SetUp() override {
        ProbeProcessorFeatures();
        if (GetParam() == CodecPath::Avx2 && !Avx2Usable) GTEST_SKIP() << "no usable AVX2 here";
    }
    CodecPath Path() const { return GetParam(); }
};

struct DecodeCase {
    const char* name;
    std::string_view text;
    std::optional<std::string_view> bytes;  // nullopt: the decode fails (empty result)
};

const DecodeCase kDecodeCases[] = {
    {"four characters", "QUJD", "ABC"},
    {"one pad", "QUI=", "AB"},
    {"two pads", "QQ==", "A"},
    {"unchecked padding bits", "QR==", "A"},
    {"RFC 4648 f", "Zg==", "f"},
    {"RFC 4648 fo", "Zm8=", "fo"},
    {"RFC 4648 foo", "Zm9v", "foo"},
    {"RFC 4648 foob", "Zm9vYg==", "foob"},
    {"RFC 4648 fooba", "Zm9vYmE=", "fooba"},
    {"RFC 4648 foobar", "Zm9vYmFy", "foobar"},
    {"all values", "+/+/AAAA", "\xfb\xff\xbf\x00\x00\x00"sv},
    {"empty", "", std::nullopt},
    {"length not a multiple of 4", "QUJDQ", std::nullopt},
    {"three characters", "QUJ", std::nullopt},
    {"missing padding", "QUJDQQ", std::nullopt},
    {"pad before the last two places", "QU=DQUJD", std::nullopt},
    {"pad inside a group", "QU=D", std::nullopt},
    {"three pads", "Q===", std::nullopt},
    {"only pads", "====", std::nullopt},
    {"followed by CR LF", "QUJD\r\n", std::nullopt},
    {"timeout answer", "-1", std::nullopt},
    {"blank between groups", "QUJD QUJD", std::nullopt},
    {"URL alphabet", "QU-_", std::nullopt},
    {"high byte", "QUJ\xC4", std::nullopt},
    {"ends at NUL", "QUJD\0garbage"sv, "ABC"},
    {"NUL first", "\0QUJD"sv, std::nullopt},
    {"NUL leaves a short text", "QUJDQ\0JD"sv, std::nullopt},
};

TEST_P(Base64PathTest, DecodeEdgeCases) {
    for (const DecodeCase& c : kDecodeCases) {
        SCOPED_TRACE(c.name);
        const Bytes expected = c.bytes ? ToBytes(*c.bytes) : Bytes{};
        EXPECT_EQ(DecodeGuarded(c.text, Path()), expected);
        EXPECT_EQ(ReferenceDecode(c.text), expected);  // the reference agrees with the table
    }
}

TEST_P(Base64PathTest, EncodeEdgeCases) {
    EXPECT_EQ(EncodeGuarded({}, Path()), "");
    EXPECT_EQ(EncodeGuarded(ToBytes("ABC"), Path()), "QUJD");
    EXPECT_EQ(EncodeGuarded(ToBytes("A"), Path()), "QQ==");
    EXPECT_EQ(EncodeGuarded(ToBytes("AB"), Path()), "QUI=");
    EXPECT_EQ(EncodeGuarded(ToBytes("foobar"), Path()), "Zm9vYmFy");
    EXPECT_EQ(EncodeGuarded(ToBytes("\xfb\xff\xbf\x00\x00\x00"sv), Path()), "+/+/AAAA");
    const Bytes big = RandomBytes(100000, 1);
    const std::string text = EncodeGuarded(big, Path());
    EXPECT_EQ(text.size(), 133336u);
    EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos);
    EXPECT_EQ(text, ReferenceEncode(big));
    EXPECT_EQ(DecodeGuarded(text, Path()), big);
}

// Every length from 0 to a few hundred bytes, so the vector blocks meet every possible tail.
TEST_P(Base64PathTest, RoundTripsEveryLength) {
    for (std::size_t size = 0; size <= 400; ++size) {
        SCOPED_TRACE(size);
        const Bytes bytes = RandomBytes(size, static_cast<std::uint32_t>(size));
        const std::string text = EncodeGuarded(bytes, Path());
        ASSERT_EQ(text, ReferenceEncode(bytes));
        ASSERT_EQ(DecodeGuarded(text, Path()), bytes);
    }
}

// Texts of every length (most of them malformed), and texts with one bad character at every
// position, decode exactly like the reference. The bad characters include the ones the vector
// classification must tell apart from their neighbours in the byte order.
TEST_P(Base64PathTest, DecodesMalformedTextsLikeTheReference) {
    const std::string valid = ReferenceEncode(RandomBytes(240, 7));  // 320 characters
    for (std::size_t size = 0; size <= valid.size(); ++size) {
        const std::string_view text(valid.data(), size);
        ASSERT_EQ(DecodeGuarded(text, Path()), ReferenceDecode(text)) << "length " << size;
    }
    const std::string_view bad = "=\0-_ \r\n.,:;@[`{*)\x7f\x80\xaa\xff"sv;
    for (std::size_t size : {8u, 44u, 48u, 64u, 96u, 140u, 144u, 200u, 300u}) {
        for (std::size_t at = 0; at < size; ++at) {
            for (char c : bad) {
                std::string text = valid.substr(0, size);
                text[at] = c;
                ASSERT_EQ(DecodeGuarded(text, Path()), ReferenceDecode(text))
                    << "length " << size << ", byte " << int(static_cast<unsigned char>(c))
                    << " at " << at;
            }
        }
    }
}

TEST_P(Base64PathTest, LongTextsWithAnErrorAnywhereFail) {
    const Bytes bytes = RandomBytes(750, 3);
    const std::string valid = ReferenceEncode(bytes);  // 1000 characters
    EXPECT_EQ(DecodeGuarded(valid, Path()), bytes);
    std::string broken = valid;
    broken[10] = '*';
    EXPECT_TRUE(DecodeGuarded(broken, Path()).empty());
    broken = valid;
    broken[valid.size() - 20] = '=';
    EXPECT_TRUE(DecodeGuarded(broken, Path()).empty());
    // Cut short by a NUL inside a vector block: the text before the NUL decodes on its own.
    for (std::size_t at : {64u, 128u, 132u, 160u, 996u}) {
        std::string cut = valid;
        cut[at] = '\0';
        const Bytes prefix(bytes.begin(), bytes.begin() + at / 4 * 3);
        EXPECT_EQ(DecodeGuarded(cut, Path()), prefix) << "NUL at " << at;
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, Base64PathTest,
                         testing::Values(CodecPath::Scalar, CodecPath::Avx2, CodecPath::Auto),
                         [](const testing::TestParamInfo<CodecPath>& info) {
                             switch (info.param) {
                                 case CodecPath::Scalar:
                                     return "Scalar";
                                 case CodecPath::Avx2:
                                     return "Avx2";
                                 default:
                                     return "Auto";
                             }
                         });

}  // namespace
}  // namespace pixmate
