#pragma once
// The value a JsonObject holds, and reading JSON texts into it.

#include <cstddef>
#include <string>
#include <string_view>

#include "pixmate/json/rapidjson_config.h"

namespace pixmate {

namespace json {

using Value = rapidjson::Value;
using Document = rapidjson::Document;
using Allocator = Document::AllocatorType;

// Containers nest at most this deep: every walk over a value recurses, and a phone (or a fuzzer)
// must not be able to exhaust a server thread's stack with "[[[[...".
inline constexpr int kMaxNesting = 512;

// Reads a JSON text into doc (which may borrow another document's allocator). Numbers become
// doubles exactly as JavaScript reads them, a member name given twice keeps its first place and
// its last value (as JavaScript objects do), and text that is not one complete JSON value fails.
// On success nesting is the depth of the deepest container (0 for a scalar).
//
// In situ: text must be NUL-terminated at text[length] and must outlive doc, whose strings point
// into it. The copying form copies every string into doc's allocator.
bool ParseJsonInSitu(Document& doc, char* text, std::size_t length, int& nesting);
bool ParseJsonCopy(Document& doc, std::string_view text, int& nesting);

// A script expression as the object's script engine would have evaluated it, restricted to JSON:
// literal form takes the JSON value as it is; eval form (what eval(text) gives) parses a JSON
// string's content once more and fails when that content is not JSON itself.
bool ParseJsonValue(Document& doc, std::string_view text, bool evalForm, int& nesting);

// Copies every string too, so the copy never refers into another value's parsed text.
Value DeepCopy(const Value& from, Allocator& allocator);

int Nesting(const Value& value);

// The stored text of a string value.
inline std::string_view TextOf(const Value& value) {
    return {value.GetString(), value.GetStringLength()};
}

}  // namespace json

// The value shared by a JsonObject and its copies, with the parsed text its strings point into.
class JsonValueHolder {
  public:
    JsonValueHolder();  // holds {}
    JsonValueHolder(const JsonValueHolder&) = delete;
    JsonValueHolder& operator=(const JsonValueHolder&) = delete;

    json::Value& Root() { return document_; }
    json::Allocator& GetAllocator() { return document_.GetAllocator(); }

    // Replaces the value by {}, giving back all memory.
    void Reset();

    // Parses text (taken over) as the whole value; in the eval form a JSON string whose content
    // is JSON is parsed once more, in the same buffer. On failure the value is null.
    bool ParseSource(std::string&& text, bool evalForm);

    bool InSource(const char* text) const;
    // Hands over the text of a string value that lives in the parsed source without copying it
    // again: the source buffer itself is returned, its other strings copied out first. Leaves
    // the value the empty text. False when the string is not in the source.
    bool TakeSourceString(json::Value& value, std::string& out);

    // The pool allocator never frees: values replaced by edits stay allocated. After many
    // edits the live value is copied into a fresh document so a long-lived object stays small.
    void AfterEdit();

    // Bytes the value's pool has handed out, live or not.
    std::size_t PoolSize() { return document_.GetAllocator().Size(); }

  private:
    void CopyOutSourceStrings(json::Value& value, const json::Value* except);

    json::Document document_;
    std::string source_;
    std::size_t compactedSize_ = 0;
};

}  // namespace pixmate
