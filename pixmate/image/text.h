#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pixmate {

// Which scan TextLength uses. Auto takes the widest one the processor flags (Avx2Usable,
// Sse2Present) allow; a forced scan the flags do not allow falls back to the word scan, so
// forcing is always safe. Forcing exists for tests and benchmarks.
enum class ScanPath { Auto, Word, Sse2, Avx2 };

// Number of bytes before the terminating NUL; 0 for a missing text. The vector scans read whole
// aligned blocks, possibly past the terminator but never past the aligned block that holds it,
// so they never touch another memory page.
std::uint32_t TextLength(const char* text, ScanPath path = ScanPath::Auto);

// Texts handed over as string_view end at their first NUL, like the NUL-terminated texts they
// stand for.
//
// The bytes before the first occurrence of separator (case-sensitive), or "" when it does not
// occur.
std::string TextBeforeFirst(std::string_view text, std::string_view separator);
// The bytes after the last occurrence of separator, or "" when it does not occur.
std::string TextAfterLast(std::string_view text, std::string_view separator);

// The integer value of a text: blanks skipped (ASCII white space and the ideographic space
// U+3000), an optional sign, then decimal digits up to the first other character. Full-width
// digits U+FF10..U+FF19 and signs U+FF0B, U+FF0D count as their ASCII forms. No digits gives 0;
// values beyond 32 bits saturate at the nearest limit.
std::int32_t TextToInt(std::string_view text);

// TextToInt of the text before the first comma / after the last comma; 0 without a comma.
std::int32_t IntBeforeFirstComma(std::string_view text);
std::int32_t IntAfterLastComma(std::string_view text);

}  // namespace pixmate
