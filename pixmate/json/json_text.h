#pragma once
// The text forms of JSON values as JavaScript writes them: Number.prototype.toString,
// String(value) (arrays joined by ","), JSON.stringify, and JavaScript's string-to-number
// conversion. Plus the backslash mark: a backslash stored by SetText is kept as U+2400 and turned
// back into a backslash whenever text is read out.

#include <string>
#include <string_view>

#include "pixmate/json/rapidjson_config.h"

namespace pixmate::json {

// U+2400 in UTF-8.
inline constexpr std::string_view kBackslashMark = "\xE2\x90\x80";

// Number::toString: the shortest digits that read back to the same double, laid out as plain
// decimal for exponents -7 < n <= 21 and as "1e+21" / "1.5e-7" otherwise; NaN, Infinity, -0 as
// JavaScript writes them.
void AppendNumberText(std::string& out, double value);
std::string NumberText(double value);

// A JSON number token (already checked by the parser) as the nearest double; values beyond the
// double range become +-Infinity or +-0 as in JavaScript.
double JsonNumberToDouble(std::string_view token);

// JavaScript's Number(text): surrounding white space ignored, "" gives 0, decimal and 0x forms,
// [+-]Infinity; anything else gives NaN.
double TextToNumber(std::string_view text);

// The value of a hexadecimal digit of either case, or -1 for any other character.
int HexDigitValue(char c);

// String(value) as JavaScript gives it: strings unchanged, numbers per AppendNumberText,
// true/false, arrays joined by "," with null elements empty, objects "[object Object]", null
// empty (only reached inside arrays; callers treat a null value itself as no text).
void AppendPlainText(std::string& out, const rapidjson::Value& value);

// JSON.stringify(value): no white space, members in stored order, strings escaped as JavaScript
// does (", \ and controls below 0x20 only), non-finite numbers as null.
void AppendJsonText(std::string& out, const rapidjson::Value& value);
void AppendQuotedText(std::string& out, std::string_view text);

// Plain-form storage of SetText: every backslash becomes the mark.
std::string MarkBackslashes(std::string_view text);
// Read-out: every mark becomes a backslash, in place.
void UnmarkBackslashes(std::string& text);
// Copies text into a new string with every mark turned into a backslash, in one pass.
std::string UnmarkedCopy(std::string_view text);

// JavaScript string length and indexing count UTF-16 units; texts here are UTF-8.
std::size_t Utf16Length(std::string_view text);
// The UTF-16 unit at index as UTF-8 (a lone surrogate half is written as its own 3-byte
// sequence); false when index is past the end.
bool Utf16UnitAt(std::string_view text, std::size_t index, std::string& unit);

// Appends the code point as UTF-8 (surrogate halves included, as JavaScript strings allow).
void AppendCodePoint(std::string& out, unsigned codePoint);

}  // namespace pixmate::json
