#include "verdel/lookup.h"

namespace verdel {

namespace {

// The white space that %d skips (isspace in the C locale).
bool IsScanSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

Value* FindMemberValue(Value& value, std::string_view name) {
    if (!value.IsObject()) return nullptr;
    Value key(rapidjson::StringRef(name.data(), static_cast<rapidjson::SizeType>(name.size())));
    // Searched through the const view: RapidJSON's mutable member iterators compare ambiguously
    // under C++20's rewritten operators.
    const Value& object = value;
    auto member = object.FindMember(key);
    if (member == object.MemberEnd()) return nullptr;
    return const_cast<Value*>(&member->value);
}

}  // namespace

std::optional<std::uint32_t> ReadIndex(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && IsScanSpace(text[at])) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    if (at == text.size() || text[at] < '0' || text[at] > '9') return 0u;
    std::uint64_t number = 0;
    constexpr std::uint64_t kIntMax = 0x7FFFFFFF;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        number = number * 10 + static_cast<std::uint64_t>(text[at] - '0');
        if (number > kIntMax + 1) return std::nullopt;
    }
    if (negative) {
        if (number == 0) return 0u;
        return std::nullopt;
    }
    if (number > kIntMax) return std::nullopt;
    return static_cast<std::uint32_t>(number);
}

Value* LookupSegment(Value& value, std::string_view segment) {
    if (segment.size() > kMaxSegmentLength) return nullptr;
    std::size_t open = segment.find('[');
    std::size_t close = segment.find(']');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open) {
        return FindMemberValue(value, segment);
    }
    Value* array = open == 0 ? &value : FindMemberValue(value, segment.substr(0, open));
    if (array == nullptr || !array->IsArray()) return nullptr;
    std::optional<std::uint32_t> index = ReadIndex(segment.substr(open + 1));
    if (!index || *index >= array->Size()) return nullptr;
    return &(*array)[*index];
}

Value* LookupPath(Value& value, const char* path) {
    if (path == nullptr) return &value;
    std::string_view rest(path);
    Value* current = &value;
    while (!rest.empty()) {
        std::size_t dot = rest.find('.');
        current = LookupSegment(*current, rest.substr(0, dot));
        if (current == nullptr || dot == std::string_view::npos) return current;
        rest.remove_prefix(dot + 1);
    }
    return current;
}

}  // namespace verdel
