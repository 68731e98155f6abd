#include "pixmate/json/json_object.h"

#include <algorithm>
#include <cmath>

#include "pixmate/json/json_library.h"
#include "pixmate/json/json_path.h"
#include "pixmate/json/json_ref.h"
#include "pixmate/json/json_text.h"
#include "pixmate/json/json_value.h"

namespace pixmate {

using json::Ref;
using json::RefKind;
using json::Value;

namespace {

constexpr std::string_view kVariableName = "da";

// Out of memory on a huge message must not escape into a server thread: it fails like any bad
// input.
template <typename Result, typename Body>
Result Guarded(Result failure, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return failure;
    }
}

void Walk(Value& root, const std::vector<std::string>& keys, Ref& ref) {
    ref.Start(root);
    for (const auto& key : keys) ref.Step(key);
}

// A value as Append and SetElement take it: a JSON text when raw, else the text as a string.
bool BuildValue(std::string_view text, bool raw, json::Document& doc, int& nesting) {
    nesting = 0;
    if (raw) return json::ParseJsonValue(doc, text, false, nesting);
    doc.SetString(text.data(), static_cast<rapidjson::SizeType>(text.size()), doc.GetAllocator());
    return true;
}

std::string PlainText(const Ref& ref) {
    if (ref.Kind() == RefKind::kFunction) {
        return "function " + ref.Key() + "() { [native code] }";
    }
    const Value* value = ref.Get();
    if (value == nullptr || value->IsNull()) return {};
    if (value->IsString()) return json::UnmarkedCopy(json::TextOf(*value));
    std::string text;
    json::AppendPlainText(text, *value);
    json::UnmarkBackslashes(text);
    return text;
}

std::string JsonText(const Ref& ref) {
    const Value* value = ref.Get();
    if (value == nullptr) return {};  // JSON.stringify(undefined) gives no text
    std::string text;
    json::AppendJsonText(text, *value);
    json::UnmarkBackslashes(text);
    return text;
}

}  // namespace

JsonObject::JsonObject() : variableName_(kVariableName) {
    Initialize();
}

JsonObject::~JsonObject() = default;
JsonObject::JsonObject(const JsonObject& other) = default;
JsonObject& JsonObject::operator=(const JsonObject& other) = default;

JsonObject::JsonObject(JsonObject&& other) noexcept
    : variableName_(kVariableName), engine_(std::move(other.engine_)) {}

JsonObject& JsonObject::operator=(JsonObject&& other) noexcept {
    engine_ = std::move(other.engine_);
    return *this;
}

void JsonObject::Initialize() {
    // Without memory the object stays without a value and every call fails.
    engine_ = Guarded(Engine(), [] { return std::make_shared<JsonValueHolder>(); });
}

bool JsonObject::Parse(std::string_view text, bool asLiteral) {
    return Guarded(false, [&] { return Parse(std::string(text), asLiteral); });
}

bool JsonObject::Parse(std::string&& text, bool asLiteral) {
    return Guarded(false, [&] {
        engine_.reset();
        engine_ = std::make_shared<JsonValueHolder>();
        return engine_->ParseSource(std::move(text), !asLiteral);
    });
}

bool JsonObject::Clear() {
    if (!engine_) return false;
    engine_->Reset();
    return true;
}

std::string JsonObject::ToText() const {
    return Guarded(std::string(), [&] {
        if (!engine_) return std::string();
        std::string text;
        json::AppendJsonText(text, engine_->Root());
        json::UnmarkBackslashes(text);
        return text;
    });
}

void JsonObject::Locate(std::string_view path, Ref& ref, std::string* resolved) const {
    std::vector<std::string> keys;
    bool named = path.substr(0, variableName_.size()) == variableName_;
    if (engine_ && named && json::SplitMemberExpression(path, variableName_, keys)) {
        Walk(engine_->Root(), keys, ref);
        if (ref.NonNull()) {
            if (resolved) resolved->assign(path);
            return;
        }
    }
    std::string qualified = json::QualifyPath(path, variableName_);
    if (engine_ && json::SplitMemberExpression(qualified, variableName_, keys)) {
        Walk(engine_->Root(), keys, ref);
    } else {
        ref.Fail();
    }
    if (resolved) *resolved = std::move(qualified);
}

void JsonObject::LocateElement(std::int32_t index, std::string_view path, Ref& ref) const {
    Locate(path, ref);
    ref.Step(std::to_string(index));
}

bool JsonObject::StoreAt(Ref& ref, std::string_view value, bool raw) {
    if (!engine_) return false;
    json::Document item(&engine_->GetAllocator());
    int nesting = 0;
    if (!BuildValue(value, raw, item, nesting)) return false;
    if (ref.Depth() + nesting > json::kMaxNesting) return false;
    if (!ref.Assign(item, engine_->GetAllocator())) return false;
    engine_->AfterEdit();
    return true;
}

bool JsonObject::SetText(std::string_view path, std::string_view value, bool asJson) {
    return Guarded(false, [&] {
        Ref ref;
        Locate(path, ref);
        if (!engine_) return false;
        if (!asJson) return StoreAt(ref, json::MarkBackslashes(value), false);
        auto& allocator = engine_->GetAllocator();
        Value* target = ref.NonNull() ? ref.Stored() : nullptr;
        bool merge = target != nullptr && target->IsObject();
        json::Document parsed(&allocator);
        int nesting = 0;
        // The merge hands the text to the library as an expression; the assignment evals it.
        if (!json::ParseJsonValue(parsed, value.empty() ? "{}" : value, !merge, nesting)) {
            return false;
        }
        if (ref.Depth() + nesting > json::kMaxNesting) return false;
        if (merge) {
            json::Extend(*target, parsed, allocator);
        } else if (!ref.Assign(parsed, allocator)) {
            return false;
        }
        engine_->AfterEdit();
        return true;
    });
}

bool JsonObject::SetExpression(std::string_view path, std::string_view expression) {
    return Guarded(false, [&] {
        Ref ref;
        Locate(path, ref);
        if (!engine_) return false;
        json::Document parsed(&engine_->GetAllocator());
        int nesting = 0;
        if (!json::ParseJsonValue(parsed, expression, true, nesting)) return false;
        if (ref.Depth() + nesting > json::kMaxNesting) return false;
        if (!ref.Assign(parsed, engine_->GetAllocator())) return false;
        engine_->AfterEdit();
        return true;
    });
}

bool JsonObject::ResolvePath(std::string& path) const {
    return Guarded(false, [&] {
        Ref ref;
        std::string resolved;
        Locate(path, ref, &resolved);
        path = std::move(resolved);
        return ref.NonNull();
    });
}

bool JsonObject::Exists(std::string_view path) const {
    return Guarded(false, [&] {
        Ref ref;
        Locate(path, ref);
        return ref.NonNull();
    });
}

std::int32_t JsonObject::TypeOf(std::string_view path) const {
    return Guarded(kTypeAbsent, [&] {
        Ref ref;
        Locate(path, ref);
        if (ref.Kind() == RefKind::kFunction) return kTypeOther;
        const Value* value = ref.Get();
        if (value == nullptr) return kTypeAbsent;
        switch (value->GetType()) {
            case rapidjson::kFalseType:
            case rapidjson::kTrueType:
                return kTypeBoolean;
            case rapidjson::kNumberType:
                return kTypeNumber;
            case rapidjson::kObjectType:
                return kTypeObject;
            case rapidjson::kArrayType:
                return kTypeArray;
            case rapidjson::kStringType:
                return kTypeString;
            default:
                return kTypeAbsent;
        }
    });
}

std::string JsonObject::GetText(std::string_view path, bool asJson) const {
    return Guarded(std::string(), [&] {
        Ref ref;
        Locate(path, ref);
        return asJson ? JsonText(ref) : PlainText(ref);
    });
}

std::string JsonObject::TakeText(std::string_view path) {
    return Guarded(std::string(), [&] {
        Ref ref;
        Locate(path, ref);
        Value* stored = ref.Stored();
        if (stored == nullptr || !stored->IsString()) return PlainText(ref);
        std::string text;
        if (!engine_->TakeSourceString(*stored, text)) {
            text.assign(json::TextOf(*stored));
            stored->SetString(rapidjson::StringRef(""));
        }
        json::UnmarkBackslashes(text);
        return text;
    });
}

std::int32_t JsonObject::MemberNames(std::vector<std::string>& names, std::string_view path) const {
    names.clear();
    return Guarded(0, [&] {
        Ref ref;
        Locate(path, ref);
        if (const Value* value = ref.Get()) json::CollectMemberNames(*value, names);
        return static_cast<std::int32_t>(names.size());
    });
}

std::int32_t JsonObject::Count(std::string_view path) const {
    return Guarded(0, [&] {
        Ref ref;
        Locate(path, ref);
        const Value* value = ref.Get();
        return value != nullptr && value->IsArray() ? static_cast<std::int32_t>(value->Size()) : 0;
    });
}

JsonObject JsonObject::CopyOf(const Ref& ref) {
    JsonObject copy;
    Guarded(false, [&] {
        if (!copy.engine_) return false;
        Value& root = copy.engine_->Root();
        if (const Value* value = ref.Get()) {
            root = json::DeepCopy(*value, copy.engine_->GetAllocator());
        } else {
            root.SetNull();
        }
        return true;
    });
    return copy;
}

JsonObject JsonObject::GetObject(std::string_view path) const {
    Ref ref;
    Guarded(false, [&] {
        Locate(path, ref);
        return true;
    });
    return CopyOf(ref);
}

bool JsonObject::Append(std::string_view value, std::string_view path, bool raw, bool atFront) {
    return Guarded(false, [&] {
        Ref ref;
        Locate(path, ref);
        if (!engine_) return false;
        auto& allocator = engine_->GetAllocator();
        json::Document item(&allocator);
        int nesting = 0;
        if (!BuildValue(value, raw, item, nesting)) return false;
        if (ref.Depth() + 1 + nesting > json::kMaxNesting) return false;
        Value* array = ref.Stored();
        if (array == nullptr || !array->IsArray()) {
            Value empty(rapidjson::kArrayType);
            if (!ref.Assign(empty, allocator)) return false;
            Locate(path, ref);
            array = ref.Stored();
            if (array == nullptr || !array->IsArray()) return false;
        }
        array->PushBack(item, allocator);
        if (atFront) {
            for (auto i = array->Size() - 1; i > 0; --i) (*array)[i].Swap((*array)[i - 1]);
        }
        engine_->AfterEdit();
        return true;
    });
}

JsonObject JsonObject::GetElementObject(std::int32_t index, std::string_view path) const {
    Ref ref;
    Guarded(false, [&] {
        LocateElement(index, path, ref);
        return true;
    });
    return CopyOf(ref);
}

std::string JsonObject::GetElementText(std::int32_t index, std::string_view path,
                                       bool asJson) const {
    return Guarded(std::string(), [&] {
        Ref ref;
        LocateElement(index, path, ref);
        return asJson ? JsonText(ref) : PlainText(ref);
    });
}

bool JsonObject::SetElement(std::int32_t index, std::string_view path, std::string_view value,
                            bool raw) {
    return Guarded(false, [&] {
        Ref ref;
        LocateElement(index, path, ref);
        return StoreAt(ref, value, raw);
    });
}

bool JsonObject::RemoveElement(std::int32_t index, std::string_view path) {
    return Guarded(false, [&] {
        Ref ref;
        Locate(path, ref);
        Value* array = ref.Stored();
        if (array == nullptr || !array->IsArray()) return false;
        // splice(index, 1): a negative index counts from the end.
        std::int64_t size = array->Size();
        std::int64_t at = index < 0 ? std::max<std::int64_t>(size + index, 0) : index;
        if (at >= size) return false;
        array->Erase(array->Begin() + at);
        return true;
    });
}

bool JsonObject::Remove(std::string_view path) {
    return Guarded(false, [&] {
        Ref ref;
        Locate(path, ref);
        return ref.Delete();
    });
}

bool JsonObject::SetNumber(std::string_view path, double value) {
    return Guarded(false, [&] {
        Ref ref;
        Locate(path, ref);
        if (!engine_) return false;
        Value number;
        number.SetDouble(value);
        if (!ref.Assign(number, engine_->GetAllocator())) return false;
        engine_->AfterEdit();
        return true;
    });
}

double JsonObject::GetNumber(std::string_view path) const {
    return Guarded(0.0, [&] {
        Ref ref;
        Locate(path, ref);
        const Value* value = ref.Get();
        if (value == nullptr) return 0.0;
        double number = 0;
        if (value->IsNumber()) {
            number = value->GetDouble();
        } else if (value->IsBool()) {
            number = value->GetBool() ? 1 : 0;
        } else if (value->IsString()) {
            number = json::TextToNumber(json::TextOf(*value));
        } else if (value->IsArray()) {
            std::string text;
            json::AppendPlainText(text, *value);
            number = json::TextToNumber(text);
        }
        return std::isnan(number) ? 0.0 : number;
    });
}

std::string JsonObject::GetJson(std::string_view path) const {
    return GetText(path, true);
}

JsonObject::Engine JsonObject::GetEngine() const {
    return engine_;
}

std::int32_t JsonObject::NodeValues(std::vector<std::string>& values, std::string_view path,
                                    bool recursive) const {
    values.clear();
    return Guarded(0, [&] {
        Ref ref;
        Locate(path, ref);
        if (const Value* value = ref.Get()) json::CollectLeafTexts(*value, recursive, values);
        return static_cast<std::int32_t>(values.size());
    });
}

}  // namespace pixmate
