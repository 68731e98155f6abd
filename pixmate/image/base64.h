#pragma once

// Base64 (RFC 4648, standard alphabet, '=' padding, no line breaks) for the screenshots phones
// send and the template pictures generated code carries.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pixmate {

// Which implementation runs. Auto takes the 256-bit path when Avx2Usable (callers run
// ProbeProcessorFeatures first); Avx2 forces it, falling back to Scalar where Avx2Usable is
// false, so forcing is always safe. Every path gives the same result for every input.
enum class CodecPath { Auto, Scalar, Avx2 };

// The decoded bytes of a text, or an empty result for an empty or malformed text. The text ends
// at its first NUL, if it holds one. It must be one unbroken run of alphabet characters whose
// length is a multiple of 4, with at most two '=' at its very end: blanks, line breaks, the URL
// alphabet's '-' and '_' and missing padding all fail. The bits padding leaves over are not
// checked.
std::vector<std::uint8_t> Base64Decode(std::string_view text, CodecPath path = CodecPath::Auto);

// The Base64 text of the bytes; empty for no bytes.
std::string Base64Encode(std::span<const std::uint8_t> data, CodecPath path = CodecPath::Auto);

// For callers that keep their own buffers.
//
// Bytes of room Base64DecodeTo needs for a text of textSize characters.
constexpr std::size_t Base64DecodeCapacity(std::size_t textSize) {
    return textSize / 4 * 3 + 2;
}
// Decodes into out, which has Base64DecodeCapacity(text.size()) bytes, and returns the number of
// bytes decoded; 0 for an empty or malformed text (out's contents are then unspecified).
std::size_t Base64DecodeTo(std::string_view text, std::uint8_t* out,
                           CodecPath path = CodecPath::Auto);

// Characters of the Base64 text of size bytes.
constexpr std::size_t Base64EncodedLength(std::size_t size) {
    return (size + 2) / 3 * 4;
}
// Writes Base64EncodedLength(data.size()) characters (no NUL) to out and returns their number.
std::size_t Base64EncodeTo(std::span<const std::uint8_t> data, char* out,
                           CodecPath path = CodecPath::Auto);

}  // namespace pixmate
