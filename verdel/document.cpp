#include "verdel/document.h"

#include <rapidjson/reader.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "verdel/diagnostics.h"

namespace verdel {

namespace {

// Passes the parser's events to the document. Stops the parse where the nesting gets too deep,
// before the parser's own recursion can exhaust the stack, and at a number that overflows to
// infinity: RapidJSON 1.1 refuses 1e309 but lets 51e308 through as an infinity, which no JSON
// text can hold and its writer refuses to write.
class CheckingHandler {
  public:
    explicit CheckingHandler(Document& document) : document_(document) {}

    bool numberOverflowed() const { return numberOverflowed_; }

    bool Null() { return document_.Null(); }
    bool Bool(bool b) { return document_.Bool(b); }
    bool Int(int i) { return document_.Int(i); }
    bool Uint(unsigned i) { return document_.Uint(i); }
    bool Int64(int64_t i) { return document_.Int64(i); }
    bool Uint64(uint64_t i) { return document_.Uint64(i); }
    bool Double(double d) {
        if (!std::isfinite(d)) {
            numberOverflowed_ = true;
            return false;
        }
        return document_.Double(d);
    }
    bool RawNumber(const char* text, rapidjson::SizeType length, bool copy) {
        return document_.RawNumber(text, length, copy);
    }
    bool String(const char* text, rapidjson::SizeType length, bool copy) {
        return document_.String(text, length, copy);
    }
    bool Key(const char* text, rapidjson::SizeType length, bool copy) {
        return document_.Key(text, length, copy);
    }
    bool StartObject() { return Enter() && document_.StartObject(); }
    bool EndObject(rapidjson::SizeType count) {
        --depth_;
        return document_.EndObject(count);
    }
    bool StartArray() { return Enter() && document_.StartArray(); }
    bool EndArray(rapidjson::SizeType count) {
        --depth_;
        return document_.EndArray(count);
    }

  private:
    bool Enter() { return ++depth_ <= kMaxNestingDepth; }

    Document& document_;
    int depth_ = 0;
    bool numberOverflowed_ = false;
};

// Feeds the document through Populate, which is how a document takes SAX events from outside;
// the parse result stays here because the document only records results of its own parses.
struct TextParse {
    const char* text;
    rapidjson::ParseResult result;

    bool operator()(Document& document) {
        CheckingHandler handler(document);
        rapidjson::GenericReader<rapidjson::UTF8<>, rapidjson::UTF8<>, HeapAllocator> reader;
        rapidjson::StringStream stream(text);
        result = reader.Parse<rapidjson::kParseDefaultFlags>(stream, handler);
        if (handler.numberOverflowed())
            result.Set(rapidjson::kParseErrorNumberTooBig, result.Offset());
        return !result.IsError();
    }
};

void Annotate(Value& value, std::string& path, Document::AllocatorType& allocator) {
    if (value.IsObject()) {
        value.AddMember(
            rapidjson::StringRef(kRelationMember, kRelationMemberName.size()),
            Value(path.data(), static_cast<rapidjson::SizeType>(path.size()), allocator),
            allocator);
        // By index: the member array may move while children grow, and the appended relation
        // member is a string, so it is passed over.
        for (rapidjson::SizeType i = 0; i < value.MemberCount(); ++i) {
            auto member = value.MemberBegin() + i;
            if (!member->value.IsObject() && !member->value.IsArray()) continue;
            std::size_t parentLength = path.size();
            path += '.';
            path.append(member->name.GetString(), member->name.GetStringLength());
            Annotate(member->value, path, allocator);
            path.resize(parentLength);
        }
    } else if (value.IsArray()) {
        for (rapidjson::SizeType i = 0; i < value.Size(); ++i) {
            Value& element = value[i];
            if (!element.IsObject() && !element.IsArray()) continue;
            std::size_t parentLength = path.size();
            char index[16];
            std::snprintf(index, sizeof index, "[%d]", static_cast<int>(i));
            path += index;
            Annotate(element, path, allocator);
            path.resize(parentLength);
        }
    }
}

}  // namespace

std::unique_ptr<Document> LoadDocument(const char* text) {
    if (text == nullptr) return nullptr;
    std::uint32_t start = TickCount();
    auto document = std::make_unique<Document>();
    TextParse parse{text, {}};
    document->Populate(parse);
    DebugPrint(kMsgLoadTime, static_cast<int>(TickCount() - start));
    if (parse.result.IsError()) {
        DebugPrint(kMsgLoadFailed, static_cast<int>(parse.result.Code()));
        return nullptr;
    }
    return document;
}

void AnnotateRelationPaths(Document& document) {
    if (!document.IsObject()) return;
    std::string path = "root";
    Annotate(document, path, document.GetAllocator());
}

const Value* RelationPathOf(const Value& value) {
    if (!value.IsObject()) return nullptr;
    auto member =
        value.FindMember(Value(rapidjson::StringRef(kRelationMember, kRelationMemberName.size())));
    if (member == value.MemberEnd() || !member->value.IsString()) return nullptr;
    return &member->value;
}

}  // namespace verdel
