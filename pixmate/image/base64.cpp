#include "pixmate/image/base64.h"

#include <array>
#include <bit>
#include <cstring>
#include <limits>

#include "pixmate/image/cpu_features.h"
#include "pixmate/image/simd_kernels.h"

namespace pixmate {

namespace {

static_assert(std::endian::native == std::endian::little,
              "the tables hold bytes in little-endian store order");

constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// A decode table entry for bytes outside the alphabet. Valid entries fit in 24 bits, so the OR of
// a group's four entries reaches kInvalid or more exactly when one of them is invalid.
constexpr std::uint32_t kInvalid = 0x01FFFFFF;

constexpr int AlphabetValue(unsigned char c) {
    for (std::size_t i = 0; i < kAlphabet.size(); ++i) {
        if (static_cast<unsigned char>(kAlphabet[i]) == c) return static_cast<int>(i);
    }
    return -1;
}

// One table per position in a group of four characters. An entry holds the character's 6 bits
// already in the place they take in the group's three output bytes, laid out so that storing the
// 32-bit OR of the four entries writes the three bytes in order (and a fourth, zero byte that the
// next group overwrites).
using DecodeTable = std::array<std::uint32_t, 256>;

constexpr std::array<DecodeTable, 4> MakeDecodeTables() {
    std::array<DecodeTable, 4> t{};
    for (unsigned c = 0; c < 256; ++c) {
        const int value = AlphabetValue(static_cast<unsigned char>(c));
        if (value < 0) {
            for (auto& table : t) table[c] = kInvalid;
            continue;
        }
        const std::uint32_t v = static_cast<std::uint32_t>(value);
        t[0][c] = v << 2;                                // byte 0, bits 7..2
        t[1][c] = (v >> 4) | ((v & 0x0F) << 12);         // byte 0 bits 1..0, byte 1 bits 7..4
        t[2][c] = ((v >> 2) << 8) | ((v & 0x03) << 22);  // byte 1 bits 3..0, byte 2 bits 7..6
        t[3][c] = v << 16;                               // byte 2, bits 5..0
    }
    return t;
}

alignas(64) constexpr std::array<DecodeTable, 4> kDecode = MakeDecodeTables();

// Two characters per 12 bits, the first in the low byte.
constexpr std::array<std::uint16_t, 4096> MakeEncodePairs() {
    std::array<std::uint16_t, 4096> t{};
    for (unsigned i = 0; i < 4096; ++i) {
        t[i] = static_cast<std::uint16_t>(static_cast<unsigned char>(kAlphabet[i >> 6]) |
                                          (static_cast<unsigned char>(kAlphabet[i & 63]) << 8));
    }
    return t;
}

alignas(64) constexpr std::array<std::uint16_t, 4096> kEncodePairs = MakeEncodePairs();

constexpr std::size_t kFailed = std::numeric_limits<std::size_t>::max();

bool UseAvx2(CodecPath path) {
    return path != CodecPath::Scalar && Avx2Usable.load(std::memory_order_relaxed);
}

std::uint32_t Load32(const unsigned char* p) {
    std::uint32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

void Store32(std::uint8_t* p, std::uint32_t v) {
    std::memcpy(p, &v, sizeof v);
}

std::uint32_t GroupBits(std::uint32_t chars) {
    return kDecode[0][chars & 0xFF] | kDecode[1][(chars >> 8) & 0xFF] |
           kDecode[2][(chars >> 16) & 0xFF] | kDecode[3][chars >> 24];
}

// Decodes whole groups of four alphabet characters from the first size characters, stopping
// before the first round of groups that holds anything else ('=', NUL or a bad byte) or at the
// end. Returns the characters consumed. Each group stores four bytes for its three; the fourth
// is overwritten by the next group, and out has room for it.
std::size_t DecodeGroupsScalar(const unsigned char* in, std::size_t size, std::uint8_t* out) {
    const unsigned char* const start = in;
    std::size_t groups = size / 4;
    // Four groups per round, with one validity test.
    for (; groups >= 4; groups -= 4, in += 16, out += 12) {
        const std::uint32_t a = GroupBits(Load32(in));
        const std::uint32_t b = GroupBits(Load32(in + 4));
        const std::uint32_t c = GroupBits(Load32(in + 8));
        const std::uint32_t d = GroupBits(Load32(in + 12));
        if ((a | b | c | d) >= kInvalid) return static_cast<std::size_t>(in - start);
        Store32(out, a);
        Store32(out + 3, b);
        Store32(out + 6, c);
        Store32(out + 9, d);
    }
    for (; groups > 0; --groups, in += 4, out += 3) {
        const std::uint32_t a = GroupBits(Load32(in));
        if (a >= kInvalid) break;
        Store32(out, a);
    }
    return static_cast<std::size_t>(in - start);
}

// Decodes the m characters (a multiple of 4, at least 4) that end the text, padding included.
// Returns the number of bytes written or kFailed.
std::size_t DecodeEndScalar(const unsigned char* in, std::size_t m, std::uint8_t* out) {
    if (in[m - 1] == '=') {
        --m;
        if (in[m - 1] == '=') --m;
    }
    const std::size_t rest = m % 4;  // 0, or 2 or 3 after padding
    const std::size_t whole = m - rest;
    if (DecodeGroupsScalar(in, whole, out) != whole) return kFailed;
    std::size_t written = whole / 4 * 3;
    if (rest >= 2) {
        in += whole;
        std::uint32_t bits = kDecode[0][in[0]] | kDecode[1][in[1]];
        if (rest == 3) bits |= kDecode[2][in[2]];
        if (bits >= kInvalid) return kFailed;
        out[written++] = static_cast<std::uint8_t>(bits);
        if (rest == 3) out[written++] = static_cast<std::uint8_t>(bits >> 8);
    }
    return written;
}

void Store4Chars(char* out, std::uint32_t triple) {
    const std::uint32_t chars = kEncodePairs[triple >> 12] |
                                (static_cast<std::uint32_t>(kEncodePairs[triple & 0xFFF]) << 16);
    std::memcpy(out, &chars, sizeof chars);
}

char* EncodeScalar(const std::uint8_t* in, std::size_t size, char* out) {
    // Whole groups, read four bytes at a time while a fourth byte exists to read.
    for (; size >= 4; size -= 3, in += 3, out += 4) {
        Store4Chars(out, __builtin_bswap32(Load32(in)) >> 8);
    }
    if (size == 3) {
        Store4Chars(out, (std::uint32_t{in[0]} << 16) | (std::uint32_t{in[1]} << 8) | in[2]);
        out += 4;
    } else if (size == 2) {
        const std::uint32_t bits = (std::uint32_t{in[0]} << 8) | in[1];
        *out++ = kAlphabet[bits >> 10];
        *out++ = kAlphabet[(bits >> 4) & 63];
        *out++ = kAlphabet[(bits << 2) & 63];
        *out++ = '=';
    } else if (size == 1) {
        *out++ = kAlphabet[in[0] >> 2];
        *out++ = kAlphabet[(in[0] << 4) & 63];
        *out++ = '=';
        *out++ = '=';
    }
    return out;
}

}  // namespace

std::size_t Base64DecodeTo(std::string_view text, std::uint8_t* out, CodecPath path) {
    if (text.empty()) return 0;
    const auto* in = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t size = text.size();
    // The bulk of the text, in whole groups of alphabet characters: vector blocks, then scalar
    // groups up to the first round that holds anything else. A NUL is outside the alphabet, so
    // neither can run past the text's end.
    std::size_t consumed = 0;
    if (UseAvx2(path)) consumed = detail::Base64DecodeBlocksAvx2(text.data(), size, out);
    consumed += DecodeGroupsScalar(in + consumed, size - consumed, out + consumed / 4 * 3);
    const std::size_t produced = consumed / 4 * 3;
    // The text ends at the first NUL of the rest, and its end decides the padding.
    std::size_t m = size - consumed;
    if (const void* nul = std::memchr(in + consumed, 0, m)) {
        m = static_cast<std::size_t>(static_cast<const unsigned char*>(nul) - (in + consumed));
    }
    if (m % 4 != 0) return 0;
    // Whole groups make a complete text; a text without them needs a group of four.
    if (m == 0) return produced;
    const std::size_t end = DecodeEndScalar(in + consumed, m, out + produced);
    return end == kFailed ? 0 : produced + end;
}

std::vector<std::uint8_t> Base64Decode(std::string_view text, CodecPath path) {
    if (text.empty()) return {};
    std::vector<std::uint8_t> bytes(Base64DecodeCapacity(text.size()));
    const std::size_t size = Base64DecodeTo(text, bytes.data(), path);
    if (size == 0) return {};
    bytes.resize(size);
    return bytes;
}

std::size_t Base64EncodeTo(std::span<const std::uint8_t> data, char* out, CodecPath path) {
    std::size_t done = 0;
    char* o = out;
    if (UseAvx2(path)) {
        done = detail::Base64EncodeBlocksAvx2(data.data(), data.size(), out);
        o += done / 3 * 4;
    }
    o = EncodeScalar(data.data() + done, data.size() - done, o);
    return static_cast<std::size_t>(o - out);
}

std::string Base64Encode(std::span<const std::uint8_t> data, CodecPath path) {
    // Beyond this the text's length would not fit a size_t (only reachable in 32-bit builds).
    constexpr std::size_t kMaxBytes = std::numeric_limits<std::size_t>::max() / 4 * 3 - 3;
    if (data.empty() || data.size() > kMaxBytes) return {};
    std::string text(Base64EncodedLength(data.size()), '\0');
    Base64EncodeTo(data, text.data(), path);
    return text;
}

}  // namespace pixmate
