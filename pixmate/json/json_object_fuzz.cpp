// Fuzzes JsonObject with a JSON text and a path: the input is split at its last line feed, the
// text before it parsed and the path after it used with every operation. Nothing may crash or
// leak, and a parsed value must read back through its own JSON text unchanged.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "pixmate/json/json_object.h"

namespace {

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

void ReadEverything(const pixmate::JsonObject& object, std::string_view path) {
    std::string resolved(path);
    object.ResolvePath(resolved);
    object.Exists(path);
    object.TypeOf(path);
    object.GetText(path);
    object.GetText(path, true);
    object.GetNumber(path);
    object.Count(path);
    std::vector<std::string> list;
    Check(object.MemberNames(list, path) == static_cast<std::int32_t>(list.size()));
    object.NodeValues(list, path, false);
    Check(object.NodeValues(list, path, true) == static_cast<std::int32_t>(list.size()));
    object.GetElementText(0, path);
    object.GetElementText(-1, path, true);
    object.GetObject(path).ToText();
    object.GetElementObject(1, path).ToText();
}

void EditEverything(pixmate::JsonObject& object, std::string_view path, std::string_view text) {
    object.SetText(path, text);
    object.SetText(path, text, true);
    object.SetExpression(path, text);
    object.Append(text, path, true);
    object.Append(text, path, false, true);
    object.SetElement(2, path, text, true);
    object.SetNumber(path, 1.5);
    object.RemoveElement(-1, path);
    object.TakeText(path);
    object.Remove(path);
    object.ToText();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::size_t split = input.rfind('\n');
    std::string_view text = split == std::string_view::npos ? input : input.substr(0, split);
    std::string_view path = split == std::string_view::npos ? "" : input.substr(split + 1);

    pixmate::JsonObject object;
    object.Parse(std::string(text));
    ReadEverything(object, path);

    pixmate::JsonObject literal;
    bool marked = text.find("\xE2\x90\x80") != std::string_view::npos ||
                  text.find("2400") != std::string_view::npos;
    if (literal.Parse(text, true) && !marked) {
        // JSON.stringify output parses back to the same value (a U+2400, raw or escaped, reads
        // out as a bare backslash, so such texts are left out).
        std::string once = literal.ToText();
        pixmate::JsonObject again;
        Check(again.Parse(once, true) || once == "null");
        Check(again.ToText() == once);
    }

    pixmate::JsonObject copy = object;
    EditEverything(object, path, text);
    ReadEverything(copy, path);
    return 0;
}
