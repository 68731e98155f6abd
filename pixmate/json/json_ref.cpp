#include "pixmate/json/json_ref.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>

#include "pixmate/json/json_path.h"
#include "pixmate/json/json_text.h"

namespace pixmate::json {

namespace {

// Methods every value inherits in the script engine, including the two the script library adds
// to every object. A path naming one finds a function (TypeOf -1), unless a stored member of
// that name hides it.
constexpr std::string_view kObjectMethods[] = {
    "constructor",    "hasOwnProperty", "isPrototypeOf", "propertyIsEnumerable",
    "toLocaleString", "toString",       "valueOf",       "toJSONString",
    "parseJSON"};
constexpr std::string_view kArrayMethods[] = {"concat", "join",  "pop",  "push",   "reverse",
                                              "shift",  "slice", "sort", "splice", "unshift"};
constexpr std::string_view kStringMethods[] = {"charAt",
                                               "charCodeAt",
                                               "concat",
                                               "indexOf",
                                               "lastIndexOf",
                                               "localeCompare",
                                               "match",
                                               "replace",
                                               "search",
                                               "slice",
                                               "split",
                                               "substr",
                                               "substring",
                                               "toLowerCase",
                                               "toUpperCase",
                                               "toLocaleLowerCase",
                                               "toLocaleUpperCase",
                                               "toJSON"};
constexpr std::string_view kNumberMethods[] = {"toExponential", "toFixed", "toPrecision", "toJSON"};
constexpr std::string_view kBooleanMethods[] = {"toJSON"};

template <std::size_t N>
bool Contains(const std::string_view (&names)[N], std::string_view key) {
    return std::find(std::begin(names), std::end(names), key) != std::end(names);
}

bool IsInheritedMethod(const Value& value, std::string_view key) {
    if (Contains(kObjectMethods, key)) return true;
    switch (value.GetType()) {
        case rapidjson::kArrayType:
            return Contains(kArrayMethods, key);
        case rapidjson::kStringType:
            return Contains(kStringMethods, key);
        case rapidjson::kNumberType:
            return Contains(kNumberMethods, key);
        case rapidjson::kFalseType:
        case rapidjson::kTrueType:
            return Contains(kBooleanMethods, key);
        default:
            return false;
    }
}

}  // namespace

Value* FindMember(Value& object, std::string_view name) {
    for (auto& member : object.GetObject()) {
        if (member.name.GetStringLength() == name.size() &&
            std::memcmp(member.name.GetString(), name.data(), name.size()) == 0) {
            return &member.value;
        }
    }
    return nullptr;
}

void Ref::Start(Value& root) {
    kind_ = RefKind::kValue;
    value_ = &root;
    container_ = nullptr;
    computed_ = false;
    isRoot_ = true;
    key_.clear();
    depth_ = 0;
}

void Ref::SetComputedNumber(double number) {
    computedValue_.SetDouble(number);
    value_ = &computedValue_;
    computed_ = true;
    kind_ = RefKind::kValue;
}

void Ref::SetComputedText(std::string text) {
    computedText_ = std::move(text);
    computedValue_.SetString(rapidjson::StringRef(
        computedText_.data(), static_cast<rapidjson::SizeType>(computedText_.size())));
    value_ = &computedValue_;
    computed_ = true;
    kind_ = RefKind::kValue;
}

void Ref::Step(std::string_view key) {
    if (kind_ == RefKind::kError) return;
    if (kind_ == RefKind::kAbsent || (kind_ == RefKind::kValue && value_->IsNull())) {
        kind_ = RefKind::kError;  // reading a member of undefined or null throws in script
        return;
    }
    Value* current = kind_ == RefKind::kValue ? value_ : nullptr;
    bool currentComputed = computed_;
    key_.assign(key);
    isRoot_ = false;
    ++depth_;
    container_ = nullptr;
    computed_ = false;
    if (current == nullptr) {  // a property of a function: nothing we keep
        kind_ = RefKind::kAbsent;
        return;
    }
    std::uint32_t index = 0;
    bool isIndex = ArrayIndexOf(key, index);
    switch (current->GetType()) {
        case rapidjson::kObjectType:
            container_ = current;
            if (Value* member = FindMember(*current, key)) {
                kind_ = RefKind::kValue;
                value_ = member;
                return;
            }
            break;
        case rapidjson::kArrayType:
            container_ = current;
            if (isIndex && index < current->Size()) {
                kind_ = RefKind::kValue;
                value_ = &(*current)[index];
                return;
            }
            if (key == "length") {
                SetComputedNumber(current->Size());
                return;
            }
            break;
        case rapidjson::kStringType: {
            std::string_view text = TextOf(*current);
            if (key == "length") {
                SetComputedNumber(static_cast<double>(Utf16Length(text)));
                return;
            }
            std::string unit;
            if (isIndex && Utf16UnitAt(text, index, unit)) {
                SetComputedText(std::move(unit));
                return;
            }
            break;
        }
        default:
            break;
    }
    if (currentComputed) container_ = nullptr;
    kind_ = IsInheritedMethod(*current, key) ? RefKind::kFunction : RefKind::kAbsent;
}

bool Ref::Assign(Value& value, Allocator& allocator) {
    if (kind_ == RefKind::kError) return false;
    if (isRoot_) {
        *value_ = value;
        return true;
    }
    if (container_ == nullptr) return false;
    if (container_->IsObject()) {
        if (Value* member = FindMember(*container_, key_)) {
            *member = value;
        } else {
            Value name(key_.data(), static_cast<rapidjson::SizeType>(key_.size()), allocator);
            container_->AddMember(name, value, allocator);
        }
        return true;
    }
    Value& array = *container_;
    std::uint32_t index = 0;
    if (ArrayIndexOf(key_, index)) {
        if (index < array.Size()) {
            array[index] = value;
            return true;
        }
        if (index - array.Size() > kMaxHoles) return false;
        while (array.Size() < index) array.PushBack(Value(), allocator);
        array.PushBack(value, allocator);
        return true;
    }
    if (key_ == "length") {
        // A new length truncates or pads with holes, as in script; anything but a valid
        // length throws there.
        double length = value.IsNumber() ? value.GetDouble() : -1;
        if (!(length >= 0 && length < 4294967295.0 && std::floor(length) == length)) return false;
        auto size = static_cast<std::uint32_t>(length);
        if (size < array.Size()) {
            array.Erase(array.Begin() + size, array.End());
        } else {
            if (size - array.Size() > kMaxHoles) return false;
            while (array.Size() < size) array.PushBack(Value(), allocator);
        }
        return true;
    }
    return false;  // a named property of an array: not part of its JSON, so not kept
}

bool Ref::Delete() {
    Value* stored = Stored();
    if (stored == nullptr || isRoot_ || container_ == nullptr) return false;
    if (container_->IsObject()) {
        for (auto it = container_->MemberBegin(); it != container_->MemberEnd(); ++it) {
            if (&it->value == stored) {
                container_->EraseMember(it);
                return true;
            }
        }
        return false;
    }
    stored->SetNull();
    return true;
}

}  // namespace pixmate::json
