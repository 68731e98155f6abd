#pragma once
// JsonObject: the program's JSON value. Paths are JavaScript member expressions relative to the
// variable "da" ("fun", "[0]", "a.b[2]", "a['x y']"); texts read out follow JavaScript's text
// forms. Text from the network is only ever parsed as JSON, never run as script.
//
// Copies share one value: a change made through one is seen by all (Parse and Initialize give
// the object a value of its own again). Failures are values (false, the empty text, 0, an empty
// list), never exceptions. An object and its copies belong to one thread at a time.
//
// Backslash mark: SetText in plain form stores each backslash as U+2400, and every text read out
// (GetText, GetJson, ToText, GetElementText, NodeValues) turns each U+2400 back into a backslash,
// so a text survives SetText and GetText unchanged.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pixmate {

class JsonValueHolder;  // the shared value; defined in json_value.h

namespace json {
class Ref;
}

class JsonObject {
  public:
    // Type codes of TypeOf.
    static constexpr std::int32_t kTypeAbsent = 0;  // also null
    static constexpr std::int32_t kTypeBoolean = 1;
    static constexpr std::int32_t kTypeNumber = 2;
    static constexpr std::int32_t kTypeObject = 4;
    static constexpr std::int32_t kTypeArray = 5;
    static constexpr std::int32_t kTypeString = 6;
    static constexpr std::int32_t kTypeOther = -1;  // an inherited method such as toString

    // The handle GetEngine hands out: another reference to the shared value.
    using Engine = std::shared_ptr<JsonValueHolder>;

    // Construction as the program does it: variable name "da", then Initialize.
    JsonObject();
    ~JsonObject();
    JsonObject(const JsonObject& other);
    JsonObject& operator=(const JsonObject& other);
    JsonObject(JsonObject&& other) noexcept;  // leaves other without a value: every call fails
    JsonObject& operator=(JsonObject&& other) noexcept;

    // A value of its own, {}; copies made before keep the old one.
    void Initialize();
    // Parses a JSON text into a value of this object's own (copies made before keep the old
    // one). In the default form a JSON string whose content is itself a JSON text is parsed once
    // more (a double-encoded message); asLiteral takes the string as it is. False for anything
    // that is not JSON, and for null; the value is then null.
    bool Parse(std::string_view text, bool asLiteral = false);
    // Same, parsing in the taken buffer, so a multi-megabyte message is never copied.
    bool Parse(std::string&& text, bool asLiteral = false);
    bool Parse(const char* text, bool asLiteral = false) {
        return Parse(text ? std::string_view(text) : std::string_view(), asLiteral);
    }
    // The value becomes {}.
    bool Clear();
    // JSON.stringify of the whole value.
    std::string ToText() const;
    // Plain form stores value as a string. JSON form: when path holds an object, the JSON value
    // is merged into it (see json_library.h); otherwise the value at path is replaced, a JSON
    // string whose content is JSON being parsed once more. An empty JSON value means {}.
    // True when stored; false when the text is not JSON or path cannot hold a value.
    bool SetText(std::string_view path, std::string_view value, bool asJson = false);
    // Stores the JSON value of expression (a JSON string whose content is JSON: that content).
    bool SetExpression(std::string_view path, std::string_view expression);
    // Rewrites path into its resolved form ("da.fun", "da[0]") and tells whether a value (not
    // null) is there. A path that already begins with "da" is kept when it leads to a value.
    bool ResolvePath(std::string& path) const;
    bool Exists(std::string_view path) const;
    std::int32_t TypeOf(std::string_view path = {}) const;
    // Plain form: String(value) as JavaScript gives it; null or absent give the empty text.
    // JSON form: JSON.stringify(value); absent gives the empty text.
    std::string GetText(std::string_view path = {}, bool asJson = false) const;
    // The plain text like GetText, handing over the stored text of a string value instead of
    // copying it where it can (the text of a parsed message is moved out of the message
    // buffer). The string at path is left as the empty text; other values are not changed.
    std::string TakeText(std::string_view path);
    std::int32_t MemberNames(std::vector<std::string>& names, std::string_view path = {}) const;
    // The length of an array, else 0.
    std::int32_t Count(std::string_view path = {}) const;
    // A new object holding a copy of the value at path (null when there is none).
    JsonObject GetObject(std::string_view path = {}) const;
    // Makes path an empty array unless it holds one, then adds value at the end (or the front).
    // A raw value is a JSON text; otherwise value is stored as a string, exactly as given.
    bool Append(std::string_view value, std::string_view path = {}, bool raw = false,
                bool atFront = false);
    JsonObject GetElementObject(std::int32_t index, std::string_view path = {}) const;
    // Like GetText of path[index]: numbers, booleans and arrays in their plain text forms too.
    std::string GetElementText(std::int32_t index, std::string_view path = {},
                               bool asJson = false) const;
    // Stores value (a JSON text when raw, else the string as given) at path[index]; an array
    // grows as needed, padded with nulls.
    bool SetElement(std::int32_t index, std::string_view path, std::string_view value,
                    bool raw = false);
    // Removes one element of the array at path, counting from the end when index is negative.
    // True when an element was removed.
    bool RemoveElement(std::int32_t index, std::string_view path = {});
    // Removes a member (an array element becomes null). True when there was one to remove.
    bool Remove(std::string_view path);
    bool SetNumber(std::string_view path, double value);
    // The value as a number the way JavaScript's Number() converts it ("12" gives 12, true 1);
    // absent, null and anything that is not a number give 0.
    double GetNumber(std::string_view path) const;
    std::string GetJson(std::string_view path = {}) const;
    Engine GetEngine() const;
    // The texts of the string, number and boolean members of the value at path in order,
    // entering objects and arrays when recursive.
    std::int32_t NodeValues(std::vector<std::string>& values, std::string_view path = {},
                            bool recursive = false) const;

    const std::string& VariableName() const { return variableName_; }

  private:
    // Resolves path as ResolvePath does; resolved (when given) receives the expression used.
    void Locate(std::string_view path, json::Ref& ref, std::string* resolved = nullptr) const;
    void LocateElement(std::int32_t index, std::string_view path, json::Ref& ref) const;
    // Stores value at ref, which must have been located on this object.
    bool StoreAt(json::Ref& ref, std::string_view value, bool raw);
    static JsonObject CopyOf(const json::Ref& ref);

    std::string variableName_;
    Engine engine_;
};

}  // namespace pixmate
