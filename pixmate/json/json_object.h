#pragma once
// JsonObject: the program's JSON value. Paths are JavaScript member expressions relative to the
// variable "da" ("fun", "[0]", "a.b[2]", "a['x y']"); texts read out follow JavaScript's text
// forms. Text from the network is only ever parsed as JSON, never run as script.
//
// Copies share one value: a change made through one is seen by all. Failures are values (false,
// the empty text, 0, an empty list), never exceptions.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pixmate {

class JsonValueHolder;  // the shared value; defined in json_object.cpp

class JsonObject {
public:
    // Type codes of TypeOf.
    static constexpr std::int32_t kTypeAbsent = 0;
    static constexpr std::int32_t kTypeBoolean = 1;
    static constexpr std::int32_t kTypeNumber = 2;
    static constexpr std::int32_t kTypeObject = 4;
    static constexpr std::int32_t kTypeArray = 5;
    static constexpr std::int32_t kTypeString = 6;
    static constexpr std::int32_t kTypeOther = -1;

    // The handle GetEngine hands out: another reference to the shared value.
    using Engine = std::shared_ptr<JsonValueHolder>;

    // Construction as the program does it: variable name "da", then Initialize.
    JsonObject();
    ~JsonObject();
    JsonObject(const JsonObject& other);
    JsonObject& operator=(const JsonObject& other);
    JsonObject(JsonObject&& other) noexcept;
    JsonObject& operator=(JsonObject&& other) noexcept;

    void Initialize();
    // Parses a JSON text (asLiteral or not: both forms accept JSON only). A JSON string whose
    // content is itself a JSON text is parsed once more. False for anything else and for null.
    bool Parse(std::string_view text, bool asLiteral = false);
    // Same, taking over the buffer so that a multi-megabyte message is not copied again.
    bool Parse(std::string&& text, bool asLiteral = false);
    bool Clear();
    std::string ToText() const;
    bool SetText(std::string_view path, std::string_view value, bool asJson = false);
    bool SetExpression(std::string_view path, std::string_view expression);
    // Rewrites path into its resolved form ("da.fun", "da[0]") and tells whether a value is there.
    bool ResolvePath(std::string& path) const;
    bool Exists(std::string_view path) const;
    std::int32_t TypeOf(std::string_view path = {}) const;
    std::string GetText(std::string_view path = {}, bool asJson = false) const;
    std::int32_t MemberNames(std::vector<std::string>& names, std::string_view path = {}) const;
    std::int32_t Count(std::string_view path = {}) const;
    JsonObject GetObject(std::string_view path = {}) const;
    bool Append(std::string_view value, std::string_view path = {}, bool raw = false,
                bool atFront = false);
    JsonObject GetElementObject(std::int32_t index, std::string_view path = {}) const;
    std::string GetElementText(std::int32_t index, std::string_view path = {},
                               bool asJson = false) const;
    bool SetElement(std::int32_t index, std::string_view path, std::string_view value,
                    bool raw = false);
    bool RemoveElement(std::int32_t index, std::string_view path = {});
    bool Remove(std::string_view path);
    bool SetNumber(std::string_view path, double value);
    double GetNumber(std::string_view path) const;
    std::string GetJson(std::string_view path = {}) const;
    Engine GetEngine() const;
    std::int32_t NodeValues(std::vector<std::string>& values, std::string_view path = {},
                            bool recursive = false) const;

    const std::string& VariableName() const { return variableName_; }

private:
    std::string variableName_;
    Engine engine_;
};

}  // namespace pixmate
