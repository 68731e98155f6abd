#pragma once
// What the object's script library did (get__extend, get__nodeValue, get__name_All), done on the
// stored value.

#include <string>
#include <vector>

#include "pixmate/json/json_value.h"

namespace pixmate::json {

// get__extend(target, source), taking source's values over. An array target gets the elements
// of an array source appended. Otherwise each member of source (an object's members, an array's
// elements under the keys "0", "1", ...) goes to target: where target's member is absent, null,
// a string, a boolean or a number it takes the source's member; where it is an object or array
// the two are merged the same way. Sources of other kinds bring nothing.
void Extend(Value& target, Value& source, Allocator& allocator);

// get__nodeValue(value, recursive): the text of every string, number and boolean member of
// value in stored order, entering object and array members only when recursive.
void CollectLeafTexts(const Value& value, bool recursive, std::vector<std::string>& texts);

// get__name_All: the member names of an object in stored order; nothing for other values.
void CollectMemberNames(const Value& value, std::vector<std::string>& names);

}  // namespace pixmate::json
