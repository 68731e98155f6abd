// Drives the exports with arbitrary documents and paths. Input: the JSON text, then NUL-separated
// paths. Each path is looked up on the document and on the node the previous path reached;
// nodes found are related to each other, and the paths are related as relation texts too.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "verdel.h"
#include "verdel/document.h"
#include "verdel/relation.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

std::vector<std::string> SplitAtNul(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> parts(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            parts.emplace_back();
        } else {
            parts.back() += static_cast<char>(data[i]);
        }
    }
    return parts;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> parts = SplitAtNul(data, size);
    VerdelNode doc = JsonLoad(parts[0].c_str());
    if (doc == nullptr) return 0;

    // An object or array serialises to text that loads again.
    std::string whole = JsonGetValue(doc, nullptr);
    const verdel::Value& root = *verdel::AsValue(doc);
    if (root.IsObject() || root.IsArray()) {
        VerdelNode again = JsonLoad(whole.c_str());
        Check(again != nullptr);
        JsonFree(again);
    }

    VerdelNode previous = doc;
    verdel::ResultText relation;
    for (std::size_t i = 1; i < parts.size(); ++i) {
        const char* path = parts[i].c_str();
        VerdelNode node = JsonGetNodeHandle(doc, path);
        std::string value = JsonGetValue(doc, path);
        Check(node != nullptr || value.empty());
        JsonGetArrayNumber(doc, path);
        JsonGetPropNames(node);
        JsonGetValue(previous, path);
        VerdelNode deeper = JsonGetNodeHandle(previous, path);
        if (node != nullptr) {
            JsonNodeGetRelation(node, previous);
            Check(std::string_view(JsonNodeGetRelation(node, node)).empty());
            previous = node;
        } else if (deeper != nullptr) {
            previous = deeper;
        }
        verdel::RelationOf(parts[i], parts[i - 1], relation);
        verdel::RelationOf(parts[i], parts[i], relation);
        Check(relation.empty());
    }
    Check(JsonFree(doc) == 1);
    return 0;
}
