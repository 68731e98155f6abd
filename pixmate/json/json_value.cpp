#include "pixmate/json/json_value.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <unordered_map>
#include <vector>

#include "pixmate/json/json_text.h"

namespace pixmate {

namespace json {

namespace {

// Numbers arrive as their text so that they are converted exactly (RapidJSON's own conversion
// keeps 64-bit integers that JavaScript would round, and its fast path can be off by one unit).
constexpr unsigned kParseFlags = rapidjson::kParseNumbersAsStringsFlag;

// Builds into a document, counting container depth and turning every number into a double.
class BuildHandler {
  public:
    explicit BuildHandler(Document& target) : target_(target) {}

    bool Null() { return target_.Null(); }
    bool Bool(bool b) { return target_.Bool(b); }
    bool Int(int i) { return target_.Double(i); }
    bool Uint(unsigned i) { return target_.Double(i); }
    bool Int64(std::int64_t i) { return target_.Double(static_cast<double>(i)); }
    bool Uint64(std::uint64_t i) { return target_.Double(static_cast<double>(i)); }
    bool Double(double d) { return target_.Double(d); }
    bool RawNumber(const char* text, rapidjson::SizeType length, bool) {
        return target_.Double(JsonNumberToDouble({text, length}));
    }
    bool String(const char* text, rapidjson::SizeType length, bool copy) {
        return target_.String(text, length, copy);
    }
    bool Key(const char* text, rapidjson::SizeType length, bool copy) {
        return target_.Key(text, length, copy);
    }
    bool StartObject() { return Enter() && target_.StartObject(); }
    bool EndObject(rapidjson::SizeType count) {
        --depth_;
        return target_.EndObject(count);
    }
    bool StartArray() { return Enter() && target_.StartArray(); }
    bool EndArray(rapidjson::SizeType count) {
        --depth_;
        return target_.EndArray(count);
    }

    int MaxDepth() const { return maxDepth_; }

  private:
    bool Enter() {
        if (++depth_ > kMaxNesting) return false;
        maxDepth_ = std::max(maxDepth_, depth_);
        return true;
    }

    Document& target_;
    int depth_ = 0;
    int maxDepth_ = 0;
};

bool SameName(const Value& a, const Value& b) {
    return a.GetStringLength() == b.GetStringLength() &&
           std::memcmp(a.GetString(), b.GetString(), a.GetStringLength()) == 0;
}

// JavaScript keeps one member per name: the first place, the last value.
void KeepLastOfEachName(Value& value) {
    if (value.IsArray()) {
        for (auto& element : value.GetArray()) KeepLastOfEachName(element);
        return;
    }
    if (!value.IsObject()) return;
    for (auto& member : value.GetObject()) KeepLastOfEachName(member.value);
    std::size_t count = value.MemberCount();
    if (count < 2) return;
    auto members = value.MemberBegin();
    std::vector<bool> dropped(count, false);
    bool anyDropped = false;
    auto drop = [&](std::size_t keep, std::size_t later) {
        members[keep].value = members[later].value;  // RapidJSON assignment moves
        dropped[later] = true;
        anyDropped = true;
    };
    if (count <= 32) {
        for (std::size_t j = 1; j < count; ++j) {
            for (std::size_t i = 0; i < j; ++i) {
                if (!dropped[i] && SameName(members[i].name, members[j].name)) {
                    drop(i, j);
                    break;
                }
            }
        }
    } else {
        std::unordered_map<std::string_view, std::size_t> first;
        first.reserve(count);
        for (std::size_t j = 0; j < count; ++j) {
            auto [it, inserted] = first.emplace(TextOf(members[j].name), j);
            if (!inserted) drop(it->second, j);
        }
    }
    if (!anyDropped) return;
    std::size_t write = 0;
    for (std::size_t read = 0; read < count; ++read) {
        if (dropped[read]) continue;
        if (write != read) {
            members[write].name.Swap(members[read].name);
            members[write].value.Swap(members[read].value);
        }
        ++write;
    }
    value.EraseMember(value.MemberBegin() + write, value.MemberEnd());
}

template <typename Stream>
bool ParseWith(Document& doc, Stream& stream, std::size_t length, int& nesting) {
    constexpr unsigned flags =
        kParseFlags | (std::is_same_v<Stream, rapidjson::InsituStringStream>
                           ? static_cast<unsigned>(rapidjson::kParseInsituFlag)
                           : 0u);
    bool complete = false;
    auto generator = [&](Document& target) {
        BuildHandler handler(target);
        rapidjson::Reader reader;
        complete = !reader.Parse<flags>(stream, handler).IsError();
        // The reader stops at a NUL; one inside the text would hide whatever follows it.
        complete = complete && stream.Tell() == length;
        nesting = handler.MaxDepth();
        return complete;
    };
    doc.SetNull();
    doc.Populate(generator);
    if (!complete) {
        doc.SetNull();
        return false;
    }
    KeepLastOfEachName(doc);
    return true;
}

}  // namespace

bool ParseJsonInSitu(Document& doc, char* text, std::size_t length, int& nesting) {
    rapidjson::InsituStringStream stream(text);
    return ParseWith(doc, stream, length, nesting);
}

bool ParseJsonCopy(Document& doc, std::string_view text, int& nesting) {
    std::string terminated(text);
    rapidjson::StringStream stream(terminated.c_str());
    return ParseWith(doc, stream, terminated.size(), nesting);
}

bool ParseJsonValue(Document& doc, std::string_view text, bool evalForm, int& nesting) {
    if (!ParseJsonCopy(doc, text, nesting)) return false;
    if (!evalForm || !doc.IsString()) return true;
    std::string content(TextOf(doc));
    return ParseJsonCopy(doc, content, nesting);
}

Value DeepCopy(const Value& from, Allocator& allocator) {
    Value to;
    switch (from.GetType()) {
        case rapidjson::kNullType:
            break;
        case rapidjson::kFalseType:
        case rapidjson::kTrueType:
            to.SetBool(from.GetBool());
            break;
        case rapidjson::kNumberType:
            to.SetDouble(from.GetDouble());
            break;
        case rapidjson::kStringType:
            to.SetString(from.GetString(), from.GetStringLength(), allocator);
            break;
        case rapidjson::kArrayType:
            to.SetArray();
            to.Reserve(from.Size(), allocator);
            for (const auto& element : from.GetArray()) {
                to.PushBack(DeepCopy(element, allocator), allocator);
            }
            break;
        case rapidjson::kObjectType:
            to.SetObject();
            for (const auto& member : from.GetObject()) {
                Value name(member.name.GetString(), member.name.GetStringLength(), allocator);
                to.AddMember(name, DeepCopy(member.value, allocator), allocator);
            }
            break;
    }
    return to;
}

int Nesting(const Value& value) {
    int deepest = 0;
    if (value.IsArray()) {
        for (const auto& element : value.GetArray()) deepest = std::max(deepest, Nesting(element));
        return deepest + 1;
    }
    if (value.IsObject()) {
        for (const auto& member : value.GetObject()) {
            deepest = std::max(deepest, Nesting(member.value));
        }
        return deepest + 1;
    }
    return 0;
}

}  // namespace json

namespace {
// A long-lived object is copied afresh once its pool holds this much more than the live value.
constexpr std::size_t kCompactSlack = 1 << 20;
}  // namespace

JsonValueHolder::JsonValueHolder() {
    document_.SetObject();
}

void JsonValueHolder::Reset() {
    json::Document fresh(rapidjson::kObjectType);
    document_.Swap(fresh);
    source_ = std::string();
    compactedSize_ = 0;
}

bool JsonValueHolder::ParseSource(std::string&& text, bool evalForm) {
    json::Document fresh;
    document_.Swap(fresh);
    source_ = std::move(text);
    int nesting = 0;
    bool ok = json::ParseJsonInSitu(document_, source_.data(), source_.size(), nesting);
    if (ok && evalForm && document_.IsString()) {
        // In situ strings are NUL-terminated in the buffer, so the content parses in place.
        char* content = const_cast<char*>(document_.GetString());
        ok = json::ParseJsonInSitu(document_, content, document_.GetStringLength(), nesting);
    }
    if (!ok) {
        json::Document empty;
        document_.Swap(empty);
        source_ = std::string();
    }
    compactedSize_ = document_.GetAllocator().Size();
    return ok && !document_.IsNull();
}

bool JsonValueHolder::InSource(const char* text) const {
    auto begin = reinterpret_cast<std::uintptr_t>(source_.data());
    auto at = reinterpret_cast<std::uintptr_t>(text);
    return !source_.empty() && at >= begin && at <= begin + source_.size();
}

bool JsonValueHolder::TakeSourceString(json::Value& value, std::string& out) {
    if (!value.IsString() || !InSource(value.GetString())) return false;
    const char* text = value.GetString();
    std::size_t length = value.GetStringLength();
    CopyOutSourceStrings(document_, &value);
    std::memmove(source_.data(), text, length);
    source_.resize(length);
    out = std::move(source_);
    source_ = std::string();
    value.SetString(rapidjson::StringRef(""));
    return true;
}

void JsonValueHolder::CopyOutSourceStrings(json::Value& value, const json::Value* except) {
    if (&value == except) return;
    if (value.IsString()) {
        if (InSource(value.GetString())) {
            value.SetString(value.GetString(), value.GetStringLength(), GetAllocator());
        }
    } else if (value.IsArray()) {
        for (auto& element : value.GetArray()) CopyOutSourceStrings(element, except);
    } else if (value.IsObject()) {
        for (auto& member : value.GetObject()) {
            CopyOutSourceStrings(member.name, except);
            CopyOutSourceStrings(member.value, except);
        }
    }
}

void JsonValueHolder::AfterEdit() {
    if (document_.GetAllocator().Size() <= 2 * compactedSize_ + kCompactSlack) return;
    json::Document fresh;
    json::Value copy = json::DeepCopy(document_, fresh.GetAllocator());
    static_cast<json::Value&>(fresh) = copy;
    document_.Swap(fresh);
    source_ = std::string();
    compactedSize_ = document_.GetAllocator().Size();
}

}  // namespace pixmate
