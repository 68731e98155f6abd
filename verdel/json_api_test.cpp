#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "verdel.h"
#include "verdel/c_smoke.h"
#include "verdel/document.h"
#include "verdel/result_buffers.h"
#include "verdel/test_support.h"

namespace verdel {
namespace {

using testing::Load;
using testing::ValueOrNull;

TEST(JsonLoad, RefusesTextThatIsNotOneStrictJsonValue) {
    const char* refused[] = {
        "",
        "   ",
        "{} x",
        "{}{}",
        "{\"a\":1,}",
        "[1,]",
        "/*c*/{}",
        "{} // c",
        "NaN",
        "[Infinity]",
        "{'a':1}",
        "{\"a\" 1}",
        "[1 2]",
        "\"unterminated",
        "{\"a\":}",
        "tru",
        // Numbers beyond a double; RapidJSON itself catches only the first.
        "[1e309]",
        "[51e308]",
        "[-2e308]",
    };
    for (const char* text : refused) {
        VerdelNode doc = JsonLoad(text);
        EXPECT_EQ(doc, nullptr) << text;
        JsonFree(doc);
    }
    EXPECT_EQ(JsonLoad(nullptr), nullptr);
}

TEST(JsonLoad, AcceptsAnyRootFollowedByWhiteSpaceOnly) {
    struct Row {
        const char* text;
        const char* compact;
    };
    const Row rows[] = {
        {" {} \t\r\n", R"({"ExtandAppend_RelationStr":"root"})"},
        // Roots other than objects carry no relation members, not even in nested objects.
        {"[1, {\"a\": {}}]", R"([1,{"a":{}}])"},
        {"\"s\"", "s"},
        {"42", "42"},
        {"null", "null"},
        {"[1e308,-1.7976931348623157e308,1e-400]", "[1e308,-1.7976931348623157e308,0.0]"},
    };
    for (const Row& row : rows) {
        auto doc = Load(row.text);
        ASSERT_TRUE(doc) << row.text;
        EXPECT_STREQ(JsonGetValue(doc.get(), ""), row.compact) << row.text;
    }
}

TEST(JsonLoad, TagsEveryObjectWithItsRelationPath) {
    auto doc = Load(R"({"items":[{"items":[{},{"k":1}]}],"grid":[[{}],[7,{"x":{}}]],
                        "mixed":[1,"s",null,{}]})");
    ASSERT_TRUE(doc);
    struct Row {
        const char* path;
        const char* relation;
    };
    const Row rows[] = {
        {"", "root"},
        {"items[0]", "root.items[0]"},
        {"items[0].items[1]", "root.items[0].items[1]"},
        {"grid.[0].[0]", "root.grid[0][0]"},
        {"grid.[1].[1].x", "root.grid[1][1].x"},
        // Scalars count in the index.
        {"mixed[3]", "root.mixed[3]"},
    };
    for (const Row& row : rows) {
        std::string path = row.path;
        path += path.empty() ? "" : ".";
        path += "ExtandAppend_RelationStr";
        EXPECT_EQ(ValueOrNull(doc.get(), path.c_str()), row.relation) << row.path;
    }
    // Appended after the object's own members.
    EXPECT_STREQ(JsonGetValue(doc.get(), "items[0].items[1]"),
                 R"({"k":1,"ExtandAppend_RelationStr":"root.items[0].items[1]"})");
}

TEST(JsonLoad, KeepsAMemberOfTheRelationNameThatTheTextHad) {
    auto doc = Load(R"({"ExtandAppend_RelationStr":"mine","a":1})");
    ASSERT_TRUE(doc);
    EXPECT_STREQ(JsonGetValue(doc.get(), "ExtandAppend_RelationStr"), "mine");
    EXPECT_STREQ(JsonGetValue(doc.get(), ""),
                 R"({"ExtandAppend_RelationStr":"mine","a":1,"ExtandAppend_RelationStr":"root"})");
}

TEST(JsonLoad, RefusesNestingBeyondTheLimitWithoutExhaustingTheStack) {
    auto nested = [](int depth, char open, char close) {
        std::string prefix = open == '{' ? "{\"k\":" : "[";
        std::string text;
        for (int i = 1; i < depth; ++i) text += prefix;
        text += open;
        text += close;
        for (int i = 1; i < depth; ++i) text += close;
        return text;
    };
    for (char open : {'[', '{'}) {
        char close = open == '[' ? ']' : '}';
        EXPECT_TRUE(Load(nested(kMaxNestingDepth, open, close))) << open;
        EXPECT_FALSE(Load(nested(kMaxNestingDepth + 1, open, close))) << open;
        EXPECT_FALSE(Load(nested(200000, open, close))) << open;
    }
}

// The document of the published examples.
constexpr char kExample[] = R"({"a":{"b":[{"c":1}]}})";

TEST(JsonGetValue, GivesCompactTextOfTheValueAtThePath) {
    auto doc = Load(kExample);
    ASSERT_TRUE(doc);
    EXPECT_STREQ(JsonGetValue(doc.get(), "a.b[0].c"), "1");
    EXPECT_STREQ(JsonGetValue(doc.get(), "a.b[0].ExtandAppend_RelationStr"), "root.a.b[0]");
    EXPECT_STREQ(JsonGetValue(doc.get(), "a.ExtandAppend_RelationStr"), "root.a");
    const char* whole =
        R"({"a":{"b":[{"c":1,"ExtandAppend_RelationStr":"root.a.b[0]"}],)"
        R"("ExtandAppend_RelationStr":"root.a"},"ExtandAppend_RelationStr":"root"})";
    EXPECT_STREQ(JsonGetValue(doc.get(), ""), whole);
    EXPECT_STREQ(JsonGetValue(doc.get(), nullptr), whole);
}

TEST(JsonGetValue, StringsLoseTheirQuotationMarksButKeepTheirEscapes) {
    auto doc = Load(
        "{\"quote\":\"say \\\"hi\\\"\",\"empty\":\"\",\"num\":12,\"yes\":true,\"no\":false,"
        "\"nil\":null,\"real\":1.5,\"neg\":-3,\"mark\":\"\\\"\",\"tail\":\"x\\\"\","
        "\"ctl\":\"a\\nb\\u0001\",\"slash\":\"a\\\\b\",\"gbk\":\"\xC4\xE3\xBA\xC3\","
        "\"list\":[1,\"two\",{}],\"obj\":{}}");
    ASSERT_TRUE(doc);
    struct Row {
        const char* path;
        const char* text;
    };
    const Row rows[] = {
        {"quote", R"(say \"hi\")"},
        {"empty", ""},
        {"num", "12"},
        {"yes", "true"},
        {"no", "false"},
        {"nil", "null"},
        {"real", "1.5"},
        {"neg", "-3"},
        {"mark", R"(\")"},
        {"tail", R"(x\")"},
        {"ctl", R"(a\nb\u0001)"},
        {"slash", R"(a\\b)"},
        // Bytes from 0x80 up pass through unchanged, whatever the code page.
        {"gbk", "\xC4\xE3\xBA\xC3"},
        {"list", R"([1,"two",{"ExtandAppend_RelationStr":"root.list[2]"}])"},
        {"obj", R"({"ExtandAppend_RelationStr":"root.obj"})"},
    };
    for (const Row& row : rows)
        EXPECT_STREQ(JsonGetValue(doc.get(), row.path), row.text) << row.path;
}

TEST(JsonGetValue, FailuresGiveTheConstantEmptyText) {
    auto doc = Load(kExample);
    ASSERT_TRUE(doc);
    EXPECT_EQ(JsonGetValue(nullptr, "a"), kEmptyText);
    EXPECT_EQ(JsonGetValue(nullptr, nullptr), kEmptyText);
    EXPECT_EQ(JsonGetValue(doc.get(), "missing"), kEmptyText);
    EXPECT_EQ(JsonGetValue(doc.get(), "a.b[1]"), kEmptyText);
}

TEST(JsonGetValue, OutOfMemoryGivesTheConstantEmptyText) {
    auto doc = Load(R"({"long":")" + std::string(1000, 'x') + R"("})");
    ASSERT_TRUE(doc);
    // On a thread of its own, so the buffer starts empty and must grow.
    std::thread([&] {
        for (long budget = 0; budget < 64; ++budget) {
            SetAllocationBudgetForTesting(budget);
            const char* text = JsonGetValue(doc.get(), "long");
            SetAllocationBudgetForTesting(-1);
            if (text != kEmptyText) {
                EXPECT_GT(budget, 0);
                EXPECT_EQ(std::string(text), std::string(1000, 'x'));
                return;
            }
        }
        ADD_FAILURE() << "never got the value";
    }).join();
}

TEST(JsonGetPropNames, ListsScalarMembersSeparatedByQuotationMarks) {
    struct Row {
        const char* text;
        const char* path;
        const char* names;
    };
    const Row rows[] = {
        {R"({"a":1,"b":[2],"c":"x"})", "", "a\"c"},
        {R"({"b":[2]})", "", ""},
        {R"({"n":null,"t":true,"o":{},"s":""})", "", "n\"t\"s"},
        // The relation member is left out whatever its case; the name matches whole only.
        {R"({"extandappend_RELATIONSTR":1,"ExtandAppend_RelationStrX":2})", "",
         "ExtandAppend_RelationStrX"},
        {R"({"":1,"b":2})", "", "\"b"},
        {R"({"inner":{"k":"v","deep":{}}})", "inner", "k"},
        {R"({"dup":1,"dup":2})", "", "dup\"dup"},
        {"{\"\xC4\xE3\":1}", "", "\xC4\xE3"},
    };
    for (const Row& row : rows) {
        auto doc = Load(row.text);
        ASSERT_TRUE(doc) << row.text;
        EXPECT_STREQ(JsonGetPropNames(JsonGetNodeHandle(doc.get(), row.path)), row.names)
            << row.text;
    }
}

TEST(JsonGetPropNames, NonObjectsGiveTheConstantEmptyText) {
    auto doc = Load(R"({"list":[1],"n":3})");
    ASSERT_TRUE(doc);
    EXPECT_EQ(JsonGetPropNames(nullptr), kEmptyText);
    EXPECT_EQ(JsonGetPropNames(JsonGetNodeHandle(doc.get(), "list")), kEmptyText);
    EXPECT_EQ(JsonGetPropNames(JsonGetNodeHandle(doc.get(), "n")), kEmptyText);
}

TEST(JsonGetPropNames, AMemberThatCannotBeAppendedIsLeftOut) {
    const std::string longName(100, 'L');
    auto doc = Load(R"({")" + longName + R"(":1,"b":2,"c":3})");
    ASSERT_TRUE(doc);
    // A fresh thread's buffer holds short texts without allocating, so only the long name needs
    // memory, and there is none.
    std::thread([&] {
        SetAllocationBudgetForTesting(0);
        std::string names = JsonGetPropNames(doc.get());
        SetAllocationBudgetForTesting(-1);
        EXPECT_EQ(names, "b\"c");
        EXPECT_EQ(std::string(JsonGetPropNames(doc.get())), longName + "\"b\"c");
    }).join();
}

TEST(JsonGetArrayNumber, CountsTheArrayAtThePath) {
    auto doc = Load(R"({"a":{"b":[{"c":1}]},"n":5,"empty":[],"many":[1,2,3,[4]]})");
    auto arrayRoot = Load("[1,2,3]");
    ASSERT_TRUE(doc && arrayRoot);
    EXPECT_EQ(JsonGetArrayNumber(doc.get(), "a.b"), 1u);
    EXPECT_EQ(JsonGetArrayNumber(doc.get(), "many"), 4u);
    EXPECT_EQ(JsonGetArrayNumber(doc.get(), "many[3]"), 1u);
    EXPECT_EQ(JsonGetArrayNumber(doc.get(), "empty"), 0u);
    EXPECT_EQ(JsonGetArrayNumber(doc.get(), "a"), 0u);
    EXPECT_EQ(JsonGetArrayNumber(doc.get(), "n"), 0u);
    EXPECT_EQ(JsonGetArrayNumber(doc.get(), "missing"), 0u);
    EXPECT_EQ(JsonGetArrayNumber(nullptr, "a.b"), 0u);
    EXPECT_EQ(JsonGetArrayNumber(arrayRoot.get(), nullptr), 3u);
    EXPECT_EQ(JsonGetArrayNumber(arrayRoot.get(), ""), 3u);
}

TEST(JsonGetNodeHandle, FindsNodesInsideTheDocument) {
    auto doc = Load(kExample);
    ASSERT_TRUE(doc);
    VerdelNode b = JsonGetNodeHandle(doc.get(), "a.b");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(JsonGetNodeHandle(b, "[0]"), JsonGetNodeHandle(doc.get(), "a.b[0]"));
    EXPECT_STREQ(JsonGetValue(b, "[0].c"), "1");
    EXPECT_EQ(JsonGetNodeHandle(doc.get(), nullptr), doc.get());
    EXPECT_EQ(JsonGetNodeHandle(doc.get(), ""), doc.get());
    EXPECT_EQ(JsonGetNodeHandle(doc.get(), "a.x"), nullptr);
    EXPECT_EQ(JsonGetNodeHandle(nullptr, "a"), nullptr);
}

TEST(PublicHeader, WorksFromC) {
    CSmokeExports exports{&JsonLoad,           &JsonFree,          &JsonGetValue,
                          &JsonGetPropNames,   &JsonGetNodeHandle, &JsonGetArrayNumber,
                          &JsonNodeGetRelation};
    EXPECT_EQ(RunCSmoke(&exports), 0);
}

TEST(JsonFree, FreesDocumentsAndRefusesNull) {
    EXPECT_EQ(JsonFree(nullptr), 0);
    EXPECT_EQ(JsonFree(JsonLoad("{\"a\":[{}]}")), 1);
}

// Every allocation that loading makes can fail; each failure gives null and leaks nothing (the
// leak checker of the sanitizer build watches), and once enough memory is allowed the document
// is complete.
TEST(JsonLoad, OutOfMemoryAtAnyStepGivesNull) {
    std::string text = "{\"list\":[";
    for (int i = 0; i < 300; ++i) text += (i ? "," : "") + std::string(R"({"name":"n","v":[1,2]})");
    text += "]}";
    std::thread([&] {
        long failures = 0;
        for (long budget = 0; budget < 1000; ++budget) {
            SetAllocationBudgetForTesting(budget);
            VerdelNode doc = JsonLoad(text.c_str());
            SetAllocationBudgetForTesting(-1);
            if (doc == nullptr) {
                ++failures;
                continue;
            }
            EXPECT_STREQ(JsonGetValue(doc, "list[299].ExtandAppend_RelationStr"), "root.list[299]");
            JsonFree(doc);
            EXPECT_GT(failures, 0);
            return;
        }
        ADD_FAILURE() << "never loaded";
    }).join();
}

}  // namespace
}  // namespace verdel
