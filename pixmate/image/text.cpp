#include "pixmate/image/text.h"

#include <bit>
#include <cstddef>
#include <limits>

#include "pixmate/image/cpu_features.h"
#include "pixmate/image/simd_kernels.h"

namespace pixmate {

namespace {

typedef std::uint32_t AliasedWord __attribute__((may_alias));

// Reads the aligned word holding the text's first byte and the words after it, so it may read up
// to three bytes before the text and three after the terminator, inside the words that hold
// them. The sanitizers would report those bytes (they can lie outside the allocation, never
// outside its page), hence the exemption.
PIXMATE_ALIGNED_OVERREAD std::size_t TextLengthWord(const char* text) {
    static_assert(std::endian::native == std::endian::little);
    const std::uintptr_t address = reinterpret_cast<std::uintptr_t>(text);
    const std::uintptr_t skip = address & 3u;
    const AliasedWord* word = reinterpret_cast<const AliasedWord*>(address - skip);
    // Bytes before the text are made non-zero so that they cannot end it.
    std::uint32_t w = *word | ((1u << (8 * skip)) - 1u);
    for (;;) {
        // Flags every zero byte; a borrow can add false flags only above a real zero byte, so the
        // lowest flag is the first NUL.
        const std::uint32_t zeros = (w - 0x01010101u) & ~w & 0x80808080u;
        if (zeros != 0) {
            const std::size_t at = reinterpret_cast<const char*>(word) - text;
            return at + std::countr_zero(zeros) / 8;
        }
        w = *++word;
    }
}

std::string_view UpToNul(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// U+3000, U+FF0B, U+FF0D and U+FF10..U+FF19 in UTF-8.
constexpr std::string_view kIdeographicSpace = "\xE3\x80\x80";
constexpr std::string_view kFullWidthPlus = "\xEF\xBC\x8B";
constexpr std::string_view kFullWidthMinus = "\xEF\xBC\x8D";

// The value of the decimal digit the text starts with, and its length in bytes; -1 if none.
int LeadingDigit(std::string_view text, std::size_t& length) {
    if (!text.empty() && text[0] >= '0' && text[0] <= '9') {
        length = 1;
        return text[0] - '0';
    }
    if (text.size() >= 3 && text[0] == '\xEF' && text[1] == '\xBC' && text[2] >= '\x90' &&
        text[2] <= '\x99') {
        length = 3;
        return text[2] - '\x90';
    }
    return -1;
}

bool IsAsciiBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

}  // namespace

std::uint32_t TextLength(const char* text, ScanPath path) {
    if (text == nullptr) return 0;
    if (path == ScanPath::Auto) {
        path = Avx2Usable ? ScanPath::Avx2 : Sse2Present ? ScanPath::Sse2 : ScanPath::Word;
    }
    std::size_t length;
    if (path == ScanPath::Avx2 && Avx2Usable) {
        length = detail::TextLengthAvx2(text);
    } else if (path == ScanPath::Sse2 && Sse2Present) {
        length = detail::TextLengthSse2(text);
    } else {
        length = TextLengthWord(text);
    }
    return static_cast<std::uint32_t>(length);
}

std::string TextBeforeFirst(std::string_view text, std::string_view separator) {
    text = UpToNul(text);
    separator = UpToNul(separator);
    const std::size_t at = text.find(separator);
    if (separator.empty() || at == std::string_view::npos) return {};
    return std::string(text.substr(0, at));
}

std::string TextAfterLast(std::string_view text, std::string_view separator) {
    text = UpToNul(text);
    separator = UpToNul(separator);
    const std::size_t at = text.rfind(separator);
    if (separator.empty() || at == std::string_view::npos) return {};
    return std::string(text.substr(at + separator.size()));
}

std::int32_t TextToInt(std::string_view text) {
    text = UpToNul(text);
    for (;;) {
        if (!text.empty() && IsAsciiBlank(text[0])) {
            text.remove_prefix(1);
        } else if (StartsWith(text, kIdeographicSpace)) {
            text.remove_prefix(kIdeographicSpace.size());
        } else {
            break;
        }
    }
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    } else if (StartsWith(text, kFullWidthPlus) || StartsWith(text, kFullWidthMinus)) {
        negative = StartsWith(text, kFullWidthMinus);
        text.remove_prefix(kFullWidthPlus.size());
    }
    // Accumulated as a magnitude with room for the one extra unit of the negative limit.
    const std::int64_t limit =
        std::int64_t{std::numeric_limits<std::int32_t>::max()} + (negative ? 1 : 0);
    std::int64_t magnitude = 0;
    std::size_t length = 0;
    for (int digit; (digit = LeadingDigit(text, length)) >= 0; text.remove_prefix(length)) {
        magnitude = magnitude * 10 + digit;
        if (magnitude > limit) magnitude = limit;
    }
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

std::int32_t IntBeforeFirstComma(std::string_view text) {
    return TextToInt(TextBeforeFirst(text, ","));
}

std::int32_t IntAfterLastComma(std::string_view text) {
    return TextToInt(TextAfterLast(text, ","));
}

}  // namespace pixmate
