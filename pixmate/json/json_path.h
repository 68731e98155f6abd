#pragma once
// Member paths: JavaScript member expressions on the object's variable, such as da.fun, da[0],
// da.a.b[2], da['x y'] or da["\u540d"].

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pixmate::json {

// The expression a path stands for when it does not already name the variable: the empty path is
// the variable itself, "[0]" becomes "da[0]", anything else "da." + path.
std::string QualifyPath(std::string_view path, std::string_view variable);

// Splits a member expression on variable into the property keys JavaScript would compute: names
// after ".", quoted names with their escapes decoded, numbers written as JavaScript writes them
// ([1.0] is the key "1"). White space between the parts is allowed, as in script. False for
// anything else (calls, operators, another variable).
bool SplitMemberExpression(std::string_view expression, std::string_view variable,
                           std::vector<std::string>& keys);

// A key that addresses an array element: canonical decimal ("0", "17"; not "01", "-1", "1.5")
// below 2^32 - 1.
bool ArrayIndexOf(std::string_view key, std::uint32_t& index);

}  // namespace pixmate::json
