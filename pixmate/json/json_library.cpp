#include "pixmate/json/json_library.h"

#include "pixmate/json/json_ref.h"
#include "pixmate/json/json_text.h"

namespace pixmate::json {

void Extend(Value& target, Value& source, Allocator& allocator) {
    if (target.IsArray()) {
        if (!source.IsArray()) return;
        for (auto& element : source.GetArray()) target.PushBack(element, allocator);
        return;
    }
    auto mergeMember = [&](std::string_view name, Value& from) {
        Value* into = target.IsObject() ? FindMember(target, name) : nullptr;
        if (into != nullptr && (into->IsObject() || into->IsArray())) {
            Extend(*into, from, allocator);
        } else if (into != nullptr) {
            *into = from;
        } else {
            Value key(name.data(), static_cast<rapidjson::SizeType>(name.size()), allocator);
            target.AddMember(key, from, allocator);
        }
    };
    if (source.IsObject()) {
        for (auto& member : source.GetObject()) mergeMember(TextOf(member.name), member.value);
    } else if (source.IsArray()) {
        std::size_t index = 0;
        for (auto& element : source.GetArray()) mergeMember(NumberText(index++), element);
    }
}

void CollectLeafTexts(const Value& value, bool recursive, std::vector<std::string>& texts) {
    auto visit = [&](const Value& member) {
        if (member.IsObject() || member.IsArray()) {
            if (recursive) CollectLeafTexts(member, recursive, texts);
        } else if (member.IsString() || member.IsNumber() || member.IsBool()) {
            std::string text;
            AppendPlainText(text, member);
            UnmarkBackslashes(text);
            texts.push_back(std::move(text));
        }
    };
    if (value.IsObject()) {
        for (const auto& member : value.GetObject()) visit(member.value);
    } else if (value.IsArray()) {
        for (const auto& element : value.GetArray()) visit(element);
    }
}

void CollectMemberNames(const Value& value, std::vector<std::string>& names) {
    if (!value.IsObject()) return;
    for (const auto& member : value.GetObject()) names.emplace_back(TextOf(member.name));
}

}  // namespace pixmate::json
