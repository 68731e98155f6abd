// The path language: segments separated by ".", each a member name, an index "[i]" or a name with
// an index "name[i]", applied from a given value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "verdel/document.h"

namespace verdel {

// Longest segment a path may hold (260 bytes with the NUL, as hosts have always been told);
// a longer one names nothing.
inline constexpr std::size_t kMaxSegmentLength = 259;

// The value at path: null or empty path gives value itself; a path ending in "." ends where the
// text before the dot ends; an empty segment asks for the member with the empty name. Null when
// any segment does not resolve.
Value* LookupPath(Value& value, const char* path);

// One segment. Index form when the segment holds a "[" and a later "]": "[i]" indexes value
// itself, "name[i]" indexes the first member called name; text after the index is ignored.
// Otherwise the whole segment is a member name. Names apply only to objects, indices only to
// arrays; the first member with the name (bytes, case counts) is taken.
Value* LookupSegment(Value& value, std::string_view segment);

// The number after "[" as sscanf's %d reads it: leading white space, an optional sign, decimal
// digits up to the first other character; no number reads as 0, as a %d that does not match
// leaves its variable at 0. Empty for an index no array can hold: a negative one (taken as
// unsigned it is huge) or one beyond the range of int.
std::optional<std::uint32_t> ReadIndex(std::string_view text);

}  // namespace verdel
