// The exports of the JSON half. Each body catches everything: no exception may reach the host,
// and running out of memory gives the export's failure value.
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cstddef>
#include <string_view>

#include "verdel.h"
#include "verdel/diagnostics.h"
#include "verdel/document.h"
#include "verdel/lookup.h"
#include "verdel/relation.h"
#include "verdel/result_buffers.h"

namespace verdel {
namespace {

bool IsRelationMemberName(const Value& name) {
    if (name.GetStringLength() != kRelationMemberName.size()) return false;
    const char* text = name.GetString();
    for (std::size_t i = 0; i < kRelationMemberName.size(); ++i) {
        char a = text[i];
        char b = kRelationMemberName[i];
        if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
        if (a != b) return false;
    }
    return true;
}

std::string_view View(const Value& string) {
    return {string.GetString(), string.GetStringLength()};
}

}  // namespace
}  // namespace verdel

using namespace verdel;

VerdelNode VERDEL_CALL JsonLoad(const char* text) {
    try {
        std::unique_ptr<Document> document = LoadDocument(text);
        if (!document) return nullptr;
        AnnotateRelationPaths(*document);
        return AsHandle(document.release());
    } catch (...) {
        return nullptr;
    }
}

int VERDEL_CALL JsonFree(VerdelNode document) {
    if (document == nullptr) return 0;
    delete static_cast<Document*>(AsValue(document));
    return 1;
}

VerdelNode VERDEL_CALL JsonGetNodeHandle(VerdelNode node, const char* path) {
    try {
        if (node == nullptr) return nullptr;
        return AsHandle(LookupPath(*AsValue(node), path));
    } catch (...) {
        return nullptr;
    }
}

uint32_t VERDEL_CALL JsonGetArrayNumber(VerdelNode node, const char* path) {
    try {
        if (node == nullptr) return 0;
        const Value* value = LookupPath(*AsValue(node), path);
        return value != nullptr && value->IsArray() ? value->Size() : 0;
    } catch (...) {
        return 0;
    }
}

const char* VERDEL_CALL JsonGetValue(VerdelNode node, const char* path) {
    try {
        if (node == nullptr) return kEmptyText;
        const Value* value = LookupPath(*AsValue(node), path);
        if (value == nullptr) return kEmptyText;
        // Written into RapidJSON's own buffer first: its writer fills that one in bulk, which
        // is several times faster than character by character into the result.
        rapidjson::GenericStringBuffer<rapidjson::UTF8<>, HeapAllocator> json;
        rapidjson::Writer<decltype(json), rapidjson::UTF8<>, rapidjson::UTF8<>, HeapAllocator>
            writer(json);
        if (!value->Accept(writer)) return kEmptyText;
        ResultText& text = ValueBuffer();
        text.assign(json.GetString(), json.GetSize());
        // A string comes back without its quotation marks, its escapes kept.
        if (!text.empty() && text.front() == '"') text.erase(0, 1);
        if (!text.empty() && text.back() == '"') text.pop_back();
        DebugPrint(kMsgJsonValue, text.c_str());
        return text.c_str();
    } catch (...) {
        return kEmptyText;
    }
}

const char* VERDEL_CALL JsonGetPropNames(VerdelNode node) {
    try {
        if (node == nullptr) return kEmptyText;
        ResultText& names = PropNamesBuffer();
        names.clear();
        const Value& value = *AsValue(node);
        if (!value.IsObject()) return kEmptyText;
        bool any = false;
        for (auto member = value.MemberBegin(); member != value.MemberEnd(); ++member) {
            if (member->value.IsObject() || member->value.IsArray()) continue;
            if (IsRelationMemberName(member->name)) continue;
            std::size_t before = names.size();
            try {
                names.append(member->name.GetString(), member->name.GetStringLength());
                names.push_back('"');
                any = true;
            } catch (const std::bad_alloc&) {
                // The member is left out; the names before it stand.
                names.resize(before);
            }
        }
        if (any) names.pop_back();
        return names.c_str();
    } catch (...) {
        return kEmptyText;
    }
}

const char* VERDEL_CALL JsonNodeGetRelation(VerdelNode a, VerdelNode b) {
    try {
        if (a == nullptr || b == nullptr) return kEmptyText;
        DebugPrint(kMsgRelation, HandleBits(a), HandleBits(b));
        const Value* pathA = RelationPathOf(*AsValue(a));
        const Value* pathB = RelationPathOf(*AsValue(b));
        if (pathA == nullptr || pathB == nullptr) return kEmptyText;
        ResultText& relation = RelationBuffer();
        RelationOf(View(*pathA), View(*pathB), relation);
        return relation.c_str();
    } catch (...) {
        return kEmptyText;
    }
}
