// JSON documents: loading, relation paths, and the handles the exports give out.
#pragma once

#include <rapidjson/document.h>

#include <memory>
#include <string_view>

#include "verdel.h"
#include "verdel/memory.h"

namespace verdel {

// RapidJSON's defaults (UTF-8, memory pool in 64 KiB chunks, 1 KiB parse stack) over a base
// allocator that throws std::bad_alloc instead of handing out null.
using Document =
    rapidjson::GenericDocument<rapidjson::UTF8<>, rapidjson::MemoryPoolAllocator<HeapAllocator>,
                               HeapAllocator>;
using Value = Document::ValueType;

// The member that AnnotateRelationPaths appends to every object it reaches.
inline constexpr char kRelationMember[] = "ExtandAppend_RelationStr";
inline constexpr std::string_view kRelationMemberName{kRelationMember};

// Objects and arrays nested deeper than this are refused at parse time: every walk over a
// document recurses once per level, and the host's thread stack is all it has.
inline constexpr int kMaxNestingDepth = 512;

// Parses text with RapidJSON's default flags (strict JSON, strings copied). Writes the timing
// line and, on failure, the parse error line. Null for a null text (without lines), for text
// that does not parse, for nesting deeper than kMaxNestingDepth (reported as RapidJSON's
// kParseErrorTermination) and for a number too big for a double (kParseErrorNumberTooBig, as
// RapidJSON reports it for some such numbers itself). Throws std::bad_alloc when memory runs out.
std::unique_ptr<Document> LoadDocument(const char* text);

// When the root is an object, appends to every object reachable through objects and arrays the
// member kRelationMember holding its relation path: "root", ".name" for a member, "[i]" for an
// element. Throws std::bad_alloc when memory runs out (the document may then be partly tagged).
void AnnotateRelationPaths(Document& document);

// The relation path stored in an object (its first kRelationMember member), or null when the
// value is not an object or has no such string member.
const Value* RelationPathOf(const Value& value);

inline Value* AsValue(VerdelNode handle) {
    return reinterpret_cast<Value*>(handle);
}
inline VerdelNode AsHandle(const Value* value) {
    return reinterpret_cast<VerdelNode>(const_cast<Value*>(value));
}

}  // namespace verdel
