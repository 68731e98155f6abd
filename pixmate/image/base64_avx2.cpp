// The 256-bit Base64 kernels. Compiled with AVX2 enabled; called only when Avx2Usable.
//
// Decoding classifies and translates 32 characters at once with nibble-indexed byte shuffles
// (vpshufb), the approach of Muła and Lemire: one lookup on the low nibble and one on the high
// nibble give bit sets whose AND is zero exactly for the 64 alphabet characters, and a third
// lookup gives the offset from the character to its 6-bit value. Multiply-add instructions then
// pack four 6-bit values into three bytes. Encoding spreads each 3-byte group over four bytes
// with a shuffle, isolates the four 6-bit fields with two multiplies, and maps fields to
// characters with one more shuffle.
#include <immintrin.h>

#include "pixmate/image/simd_kernels.h"

namespace pixmate::detail {

namespace {

// Decoding: classification and offset tables, indexed by nibble, repeated in both lanes.
//
// lutLo[low nibble] & lutHi[high nibble] is non-zero exactly for bytes outside the alphabet:
// bit 0x10 rejects the high nibbles 0, 1 and 8..F; bits 0x01, 0x02, 0x04, 0x08 reject, in the
// rows 0x2_, 0x3_, 0x4_/0x6_, 0x5_/0x7_, the low nibbles that are not letters, digits, '+', '/'.
struct DecodeTables {
    __m256i lutLo;
    __m256i lutHi;
    __m256i lutRoll;
    __m256i mask2F;
};

inline DecodeTables MakeDecodeTables() {
    DecodeTables t;
    t.lutLo = _mm256_setr_epi8(0x15, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x13,
                               0x1A, 0x1B, 0x1B, 0x1B, 0x1A, 0x15, 0x11, 0x11, 0x11, 0x11, 0x11,
                               0x11, 0x11, 0x11, 0x11, 0x13, 0x1A, 0x1B, 0x1B, 0x1B, 0x1A);
    t.lutHi = _mm256_setr_epi8(0x10, 0x10, 0x01, 0x02, 0x04, 0x08, 0x04, 0x08, 0x10, 0x10, 0x10,
                               0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x01, 0x02, 0x04, 0x08,
                               0x04, 0x08, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10);
    // Offset from character to value by high nibble ('/' looks up one row lower than '+').
    t.lutRoll = _mm256_setr_epi8(0, 16, 19, 4, -65, -65, -71, -71, 0, 0, 0, 0, 0, 0, 0, 0, 0, 16,
                                 19, 4, -65, -65, -71, -71, 0, 0, 0, 0, 0, 0, 0, 0);
    // 0x2F is '/' and, as a mask, keeps the low nibble and clears bit 7, which is all that
    // vpshufb looks at: one constant serves both.
    t.mask2F = _mm256_set1_epi8(0x2F);
    return t;
}

// 32 characters to their 6-bit values; false if any of them is outside the alphabet.
inline bool DecodeValues(__m256i chars, const DecodeTables& t, __m256i& values) {
    const __m256i hiNibbles = _mm256_and_si256(_mm256_srli_epi32(chars, 4), t.mask2F);
    const __m256i loNibbles = _mm256_and_si256(chars, t.mask2F);
    const __m256i hi = _mm256_shuffle_epi8(t.lutHi, hiNibbles);
    const __m256i lo = _mm256_shuffle_epi8(t.lutLo, loNibbles);
    const __m256i isSlash = _mm256_cmpeq_epi8(chars, t.mask2F);
    const __m256i roll = _mm256_shuffle_epi8(t.lutRoll, _mm256_add_epi8(isSlash, hiNibbles));
    values = _mm256_add_epi8(chars, roll);
    return _mm256_testz_si256(lo, hi) != 0;
}

// 32 6-bit values to 24 bytes in the low 24 bytes of the result.
inline __m256i PackValues(__m256i values) {
    // Pairs into 12 bits (a << 6 | b), then pairs of pairs into 24 bits per 32-bit lane.
    const __m256i pairs = _mm256_maddubs_epi16(values, _mm256_set1_epi32(0x01400140));
    const __m256i groups = _mm256_madd_epi16(pairs, _mm256_set1_epi32(0x00011000));
    // Each group's three bytes in output order, packed at the start of its 128-bit lane...
    const __m256i packed = _mm256_shuffle_epi8(
        groups, _mm256_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1, 2, 1, 0, 6,
                                 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1));
    // ...and the two lanes' 12 bytes joined.
    return _mm256_permutevar8x32_epi32(packed, _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 7, 7));
}

inline __m256i Load(const char* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

inline void Store(std::uint8_t* p, __m256i v) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}

// Encoding: 24 bytes, laid out as 12 in each lane at the given offset, to 32 6-bit values.
// Each group b0 b1 b2 is spread to the bytes b1 b0 b2 b1, so that the 16-bit halves hold b0:b1 and
// b1:b2; the multiplies shift the four fields to the bottom of their bytes.
inline __m256i SplitFields(__m256i spread) {
    const __m256i t0 = _mm256_and_si256(spread, _mm256_set1_epi32(0x0FC0FC00));
    const __m256i t1 = _mm256_mulhi_epu16(t0, _mm256_set1_epi32(0x04000040));
    const __m256i t2 = _mm256_and_si256(spread, _mm256_set1_epi32(0x003F03F0));
    const __m256i t3 = _mm256_mullo_epi16(t2, _mm256_set1_epi32(0x01000010));
    return _mm256_or_si256(t1, t3);
}

// 6-bit values to characters: the offset from value to character is looked up by a small index:
// 13 for 'A'..'Z', 0 for 'a'..'z', 1..10 for digits, 11 for '+', 12 for '/'.
inline __m256i FieldsToChars(__m256i fields) {
    const __m256i shiftLut =
        _mm256_setr_epi8('a' - 26, '0' - 52, '0' - 52, '0' - 52, '0' - 52, '0' - 52, '0' - 52,
                         '0' - 52, '0' - 52, '0' - 52, '0' - 52, '+' - 62, '/' - 63, 'A', 0, 0,
                         'a' - 26, '0' - 52, '0' - 52, '0' - 52, '0' - 52, '0' - 52, '0' - 52,
                         '0' - 52, '0' - 52, '0' - 52, '0' - 52, '+' - 62, '/' - 63, 'A', 0, 0);
    __m256i index = _mm256_subs_epu8(fields, _mm256_set1_epi8(51));
    const __m256i upper = _mm256_cmpgt_epi8(_mm256_set1_epi8(26), fields);
    index = _mm256_or_si256(index, _mm256_and_si256(upper, _mm256_set1_epi8(13)));
    return _mm256_add_epi8(fields, _mm256_shuffle_epi8(shiftLut, index));
}

// Byte spreads for 12 data bytes at lane offset 0 and at lane offset 4.
inline __m256i SpreadMaskOffsets0And0() {
    return _mm256_setr_epi8(1, 0, 2, 1, 4, 3, 5, 4, 7, 6, 8, 7, 10, 9, 11, 10, 1, 0, 2, 1, 4, 3, 5,
                            4, 7, 6, 8, 7, 10, 9, 11, 10);
}
inline __m256i SpreadMaskOffsets4And0() {
    return _mm256_setr_epi8(5, 4, 6, 5, 8, 7, 9, 8, 11, 10, 12, 11, 14, 13, 15, 14, 1, 0, 2, 1, 4,
                            3, 5, 4, 7, 6, 8, 7, 10, 9, 11, 10);
}

// A block loaded from 4 bytes before its data: lane 0 holds its first 12 bytes at offset 4, lane 1
// its last 12 at offset 0.
inline __m256i EncodeShiftedBlock(const std::uint8_t* data, __m256i spreadMask) {
    const __m256i raw = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data - 4));
    return FieldsToChars(SplitFields(_mm256_shuffle_epi8(raw, spreadMask)));
}

inline void StoreChars(char* p, __m256i v) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}

}  // namespace

std::size_t Base64DecodeBlocksAvx2(const char* text, std::size_t size, std::uint8_t* out) {
    const DecodeTables t = MakeDecodeTables();
    const char* p = text;
    const char* const end = text + size;
    // Four blocks per round, stored only once all four are known good. (A test per block measured
    // faster than OR-ing the four classifications into one test.)
    while (end - p >= 4 * 32 + 13) {
        __m256i v0, v1, v2, v3;
        if (!DecodeValues(Load(p), t, v0)) break;
        if (!DecodeValues(Load(p + 32), t, v1)) break;
        if (!DecodeValues(Load(p + 64), t, v2)) break;
        if (!DecodeValues(Load(p + 96), t, v3)) break;
        Store(out, PackValues(v0));
        Store(out + 24, PackValues(v1));
        Store(out + 48, PackValues(v2));
        Store(out + 72, PackValues(v3));
        p += 4 * 32;
        out += 4 * 24;
    }
    // The blocks before a bad one, and the last few.
    while (end - p >= 32 + 13) {
        __m256i v;
        if (!DecodeValues(Load(p), t, v)) break;
        Store(out, PackValues(v));
        p += 32;
        out += 24;
    }
    return static_cast<std::size_t>(p - text);
}

std::size_t Base64EncodeBlocksAvx2(const std::uint8_t* data, std::size_t size, char* out) {
    if (size < 28) return 0;
    // The first block must not read before the data: its halves are loaded separately, each lane
    // holding its 12 bytes at offset 0.
    const __m256i first = _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data))),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 12)), 1);
    StoreChars(out,
               FieldsToChars(SplitFields(_mm256_shuffle_epi8(first, SpreadMaskOffsets0And0()))));
    std::size_t done = 24;
    out += 32;
    // Later blocks are loaded from 4 bytes before their data, which lie in the previous block; a
    // block's load reaches 28 bytes past its start.
    const __m256i spread = SpreadMaskOffsets4And0();
    while (size - done >= 3 * 24 + 28) {
        const std::uint8_t* d = data + done;
        const __m256i c0 = EncodeShiftedBlock(d, spread);
        const __m256i c1 = EncodeShiftedBlock(d + 24, spread);
        const __m256i c2 = EncodeShiftedBlock(d + 48, spread);
        const __m256i c3 = EncodeShiftedBlock(d + 72, spread);
        StoreChars(out, c0);
        StoreChars(out + 32, c1);
        StoreChars(out + 64, c2);
        StoreChars(out + 96, c3);
        done += 4 * 24;
        out += 4 * 32;
    }
    while (size - done >= 28) {
        StoreChars(out, EncodeShiftedBlock(data + done, spread));
        done += 24;
        out += 32;
    }
    return done;
}

}  // namespace pixmate::detail
