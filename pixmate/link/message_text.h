#pragma once
// The texts of the phone link: what a received message becomes inside the program, and how code
// is written into an evaluation request. Text is UTF-8 on both sides of the wire.

#include <cstdint>
#include <string>
#include <string_view>

namespace pixmate {

// Message bytes to program text: valid UTF-8 comes through unchanged; each invalid sequence
// (its maximal ill-formed part) becomes U+FFFD. The text ends at the first NUL. Taking the bytes
// by value lets a valid multi-megabyte message through without a copy.
std::string DecodeMessageText(std::string bytes);

// Code text as the content of a JSON string: backspace, tab, line feed, form feed, carriage
// return, the double quote and the backslash as their two-character escapes; every other byte
// below 0x20 as \u00xx; all other bytes, the slash and UTF-8 sequences included, as they are.
std::string EscapeJsonText(std::string_view code);

// {"fun":"eval","data":"<code>","back":"<token>"}: the code escaped (after invalid UTF-8 has
// become U+FFFD, so the request is always a valid text message), the token in decimal, "0" for
// none.
std::string BuildEvalRequest(std::string_view code, std::int32_t callbackToken);

// The integer a text starts with: optional sign, then decimal digits ("-1" gives -1, "1080px"
// gives 1080); 0 when it does not start with a number; saturated to the int32 range.
std::int32_t LeadingInteger(std::string_view text);

}  // namespace pixmate
