// Editing: storing, merging, appending, removing, types, names, leaf values and copies.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "pixmate/json/json_object.h"
#include "pixmate/json/json_value.h"

namespace pixmate {
namespace {

JsonObject Parsed(const std::string& text) {
    JsonObject object;
    EXPECT_TRUE(object.Parse(text)) << text;
    return object;
}

TEST(JsonEditTest, PlainTextSurvivesStoringAndReading) {
    JsonObject object;
    const std::string texts[] = {"C:\\dir\\file", "\\",   "it's \"quoted\"\r\n",
                                 "\xE2\x80\xA8",  "中文", std::string("nul\0byte", 8)};
    for (const auto& text : texts) {
        ASSERT_TRUE(object.SetText("p", text));
        EXPECT_EQ(object.GetText("p"), text);
        EXPECT_EQ(object.TypeOf("p"), JsonObject::kTypeString);
    }
    ASSERT_TRUE(object.SetText("p", "C:\\dir"));
    // The backslash is shown bare inside the JSON text.
    EXPECT_EQ(object.ToText(), R"({"p":"C:\dir"})");
    EXPECT_EQ(object.GetJson("p"), R"("C:\dir")");
    // A copy keeps the text: it is copied as a value, not through that JSON text.
    EXPECT_EQ(object.GetObject().GetText("p"), "C:\\dir");
    EXPECT_EQ(object.GetObject("p").GetText(), "C:\\dir");
}

TEST(JsonEditTest, StoringReportsSuccessWhateverTheValue) {
    JsonObject object;
    EXPECT_TRUE(object.SetText("empty", ""));
    EXPECT_TRUE(object.SetNumber("zero", 0));
    EXPECT_TRUE(object.SetExpression("no", "false"));
    EXPECT_TRUE(object.SetExpression("nothing", "null"));
    ASSERT_TRUE(object.SetText("list", "[5]", true));
    EXPECT_TRUE(object.SetElement(0, "list", "0", true));
    EXPECT_FALSE(object.SetElement(0, "nolist", "0", true));  // a member of nothing
    EXPECT_EQ(object.ToText(), R"({"empty":"","zero":0,"no":false,"nothing":null,"list":[0]})");
}

struct StoreCase {
    std::string path;
    bool stored;
};

// Where script would throw, or would silently store nothing, nothing is stored and the call
// says so.
TEST(JsonEditTest, StoresOnlyWhereAValueCanLive) {
    const StoreCase cases[] = {
        {"new", true},       {"obj.new", true},     {"obj['a b']", true}, {"arr[1]", true},
        {"arr[3]", true},    {"[7]", true},         {"", true},           {"s.x", false},
        {"n.x", false},      {"missing.x", false},  {"nul.x", false},     {"arr.name", false},
        {"arr[-1]", false},  {"arr[1.5]", false},   {"s[0]", false},      {"toString", true},
        {"arr.push", false}, {"arr.length", false}, {"da.new", false},    {"arr[70000]", false},
        {"obj x", false},
    };
    for (const auto& c : cases) {
        JsonObject object = Parsed(R"({"s":"t","n":1,"nul":null,"arr":[1,2],"obj":{}})");
        EXPECT_EQ(object.SetText(c.path, "v"), c.stored) << c.path;
        if (c.stored && !c.path.empty()) {
            EXPECT_EQ(object.GetText(c.path), "v") << c.path;
        }
        if (!c.stored) {
            EXPECT_EQ(object.ToText(), R"({"s":"t","n":1,"nul":null,"arr":[1,2],"obj":{}})")
                << c.path;
        }
    }
    JsonObject object = Parsed(R"({"arr":[1]})");
    ASSERT_TRUE(object.SetText("arr[3]", "x"));
    EXPECT_EQ(object.GetJson("arr"), R"([1,null,null,"x"])");
    ASSERT_TRUE(object.SetText("[0]", "y"));
    EXPECT_EQ(object.GetText("['0']"), "y");
}

TEST(JsonEditTest, TellsTypes) {
    JsonObject number = Parsed("123");
    EXPECT_EQ(number.TypeOf(""), JsonObject::kTypeNumber);
    JsonObject object = Parsed(R"({"s":"x","n":1,"t":true,"nul":null,"a":[],"o":{}})");
    const std::pair<std::string, int> cases[] = {
        {"s", JsonObject::kTypeString},
        {"n", JsonObject::kTypeNumber},
        {"t", JsonObject::kTypeBoolean},
        {"nul", JsonObject::kTypeAbsent},
        {"missing", JsonObject::kTypeAbsent},
        {"missing.deeper", JsonObject::kTypeAbsent},
        {"a", JsonObject::kTypeArray},
        {"o", JsonObject::kTypeObject},
        {"", JsonObject::kTypeObject},
        {"toString", JsonObject::kTypeOther},
        {"o.hasOwnProperty", JsonObject::kTypeOther},
        {"a.push", JsonObject::kTypeOther},
        {"n.toFixed", JsonObject::kTypeOther},
        {"s.length", JsonObject::kTypeNumber},
        {"a.length", JsonObject::kTypeNumber},
        {"s[0]", JsonObject::kTypeString},
    };
    for (const auto& [path, type] : cases) EXPECT_EQ(object.TypeOf(path), type) << path;
}

TEST(JsonEditTest, ListsMemberNamesAndCounts) {
    JsonObject object = Parsed(R"({"b":1,"a":{"x":1,"y\r\nz":2,"fn":3},"list":[1,2,3],"e":{}})");
    std::vector<std::string> names{"stale"};
    EXPECT_EQ(object.MemberNames(names), 4);
    EXPECT_EQ(names, (std::vector<std::string>{"b", "a", "list", "e"}));
    EXPECT_EQ(object.MemberNames(names, "a"), 3);
    EXPECT_EQ(names, (std::vector<std::string>{"x", "y\r\nz", "fn"}));
    EXPECT_EQ(object.MemberNames(names, "list"), 0);
    EXPECT_EQ(object.MemberNames(names, "e"), 0);
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(object.MemberNames(names, "missing"), 0);
    EXPECT_EQ(object.Count("list"), 3);
    EXPECT_EQ(object.Count("a"), 0);
    EXPECT_EQ(object.Count("b"), 0);
    EXPECT_EQ(object.Count("missing"), 0);
    EXPECT_EQ(Parsed("[[1,2],3]").Count(), 2);
}

TEST(JsonEditTest, CollectsLeafValues) {
    JsonObject object = Parsed(R"({"a":1,"b":{"c":"x"}})");
    std::vector<std::string> values;
    EXPECT_EQ(object.NodeValues(values), 1);
    EXPECT_EQ(values, (std::vector<std::string>{"1"}));
    EXPECT_EQ(object.NodeValues(values, "", true), 2);
    EXPECT_EQ(values, (std::vector<std::string>{"1", "x"}));
    EXPECT_EQ(object.NodeValues(values, "a"), 0);

    JsonObject list = Parsed(R"([1.5,[2,"y"],{"k":false},null,"z"])");
    EXPECT_EQ(list.NodeValues(values, "", true), 5);
    EXPECT_EQ(values, (std::vector<std::string>{"1.5", "2", "y", "false", "z"}));

    // Values come back whole: an empty text counts, and a value holding the old join separator
    // is not split.
    JsonObject texts = Parsed(R"({"s":"a[2020年7月20日20时0分0秒]b","e":"","t":true,"n":null})");
    EXPECT_TRUE(texts.SetText("m", "back\\slash"));
    EXPECT_EQ(texts.NodeValues(values), 4);
    EXPECT_EQ(values,
              (std::vector<std::string>{"a[2020年7月20日20时0分0秒]b", "", "true", "back\\slash"}));
}

TEST(JsonEditTest, AppendsMakingAnArrayFirst) {
    JsonObject object = Parsed(R"({"a":"not a list"})");
    EXPECT_TRUE(object.Append("x", "a"));
    EXPECT_TRUE(object.Append("y", "a", false, true));
    EXPECT_TRUE(object.Append(R"({"k":[1]})", "a", true));
    EXPECT_TRUE(object.Append("it's \\ raw?", "a"));  // stored exactly as given
    EXPECT_EQ(object.GetJson("a"), R"(["y","x",{"k":[1]},"it's \\ raw?"])");
    EXPECT_EQ(object.Count("a"), 4);
    EXPECT_TRUE(object.Append("1", "fresh", true));
    EXPECT_EQ(object.GetJson("fresh"), "[1]");
    EXPECT_TRUE(object.Append("\"[2]\"", "fresh", true));  // raw means literal: stays a string
    EXPECT_EQ(object.GetJson("fresh"), R"([1,"[2]"])");
    // Nothing changes when the value is not JSON or the path cannot hold it.
    EXPECT_FALSE(object.Append("alert(1)", "b", true));
    EXPECT_FALSE(object.Append("x", "missing.deeper"));
    EXPECT_FALSE(object.Append("x", "a[0].length"));
    EXPECT_EQ(object.TypeOf("b"), JsonObject::kTypeAbsent);
    JsonObject root;
    EXPECT_TRUE(root.Append("v"));
    EXPECT_EQ(root.ToText(), R"(["v"])");
}

struct ElementCase {
    int index;
    bool asJson;
    std::string text;
};

TEST(JsonEditTest, ReadsElements) {
    JsonObject object = Parsed(R"({"list":["a",1,true,null,[1,2],{"x":1},"b)"
                               "\xE2\x90\x80"
                               R"("],"obj":{"0":"zero"},"s":"xy"})");
    const ElementCase cases[] = {
        {0, false, "a"},      {1, false, "1"},   {2, false, "true"},
        {3, false, ""},       {4, false, "1,2"}, {5, false, "[object Object]"},
        {6, false, "b\\"},    {7, false, ""},    {-1, false, ""},
        {0, true, "\"a\""},   {3, true, "null"}, {4, true, "[1,2]"},
        {6, true, "\"b\\\""}, {7, true, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(object.GetElementText(c.index, "list", c.asJson), c.text) << c.index;
    }
    EXPECT_EQ(object.GetElementText(0, "obj"), "zero");
    EXPECT_EQ(object.GetElementText(1, "s"), "y");
    EXPECT_EQ(object.GetElementText(0, "missing"), "");
    EXPECT_EQ(object.GetElementObject(5, "list").GetText("x"), "1");
    EXPECT_EQ(object.GetElementObject(4, "list").ToText(), "[1,2]");
    EXPECT_EQ(object.GetElementObject(9, "list").ToText(), "null");
}

TEST(JsonEditTest, SetsElements) {
    JsonObject object = Parsed(R"({"list":[1,2],"obj":{},"s":"text"})");
    EXPECT_TRUE(object.SetElement(1, "list", "x"));
    EXPECT_TRUE(object.SetElement(4, "list", R"({"k":1})", true));
    EXPECT_EQ(object.GetJson("list"), R"([1,"x",null,null,{"k":1}])");
    EXPECT_TRUE(object.SetElement(0, "obj", "v"));
    EXPECT_EQ(object.GetJson("obj"), R"({"0":"v"})");
    EXPECT_FALSE(object.SetElement(0, "s", "v"));
    EXPECT_FALSE(object.SetElement(-1, "list", "v"));
    EXPECT_FALSE(object.SetElement(2000000000, "list", "v"));
    EXPECT_FALSE(object.SetElement(0, "list", "{a:1}", true));
    EXPECT_EQ(object.GetJson("list"), R"([1,"x",null,null,{"k":1}])");
}

TEST(JsonEditTest, RemovesElementsAndMembers) {
    JsonObject object = Parsed(R"({"list":[1,2,3,4],"obj":{"a":1,"b":2,"c":3},"s":"x"})");
    EXPECT_TRUE(object.RemoveElement(1, "list"));
    EXPECT_TRUE(object.RemoveElement(-1, "list"));  // counts from the end, as splice does
    EXPECT_EQ(object.GetJson("list"), "[1,3]");
    EXPECT_FALSE(object.RemoveElement(2, "list"));
    EXPECT_TRUE(object.RemoveElement(-10, "list"));  // clamps to the first
    EXPECT_EQ(object.GetJson("list"), "[3]");
    EXPECT_FALSE(object.RemoveElement(0, "obj"));
    EXPECT_FALSE(object.RemoveElement(0, "missing"));

    EXPECT_TRUE(object.Remove("obj.b"));
    EXPECT_EQ(object.GetJson("obj"), R"({"a":1,"c":3})");  // order kept
    EXPECT_FALSE(object.Remove("obj.b"));
    EXPECT_TRUE(object.Remove("list[0]"));  // leaves a hole
    EXPECT_EQ(object.GetJson("list"), "[null]");
    EXPECT_FALSE(object.Remove("list.length"));
    EXPECT_FALSE(object.Remove("s[0]"));
    EXPECT_FALSE(object.Remove("missing.x"));
    EXPECT_FALSE(object.Remove(""));
    EXPECT_TRUE(object.Remove("s"));
    EXPECT_EQ(object.ToText(), R"({"list":[null],"obj":{"a":1,"c":3}})");
}

TEST(JsonEditTest, SetsNumbers) {
    JsonObject object = Parsed(R"({"list":[1,2,3]})");
    const std::pair<double, std::string> cases[] = {
        {0, "0"},        {-0.0, "0"},    {2.5, "2.5"},
        {1e21, "1e+21"}, {1e-7, "1e-7"}, {0.1 + 0.2, "0.30000000000000004"},
    };
    for (const auto& [number, text] : cases) {
        ASSERT_TRUE(object.SetNumber("n", number));
        EXPECT_EQ(object.GetText("n"), text);
        EXPECT_EQ(object.GetJson("n"), text);
        EXPECT_EQ(object.TypeOf("n"), JsonObject::kTypeNumber);
    }
    ASSERT_TRUE(object.SetNumber("n", std::nan("")));
    EXPECT_EQ(object.GetText("n"), "NaN");
    EXPECT_EQ(object.GetJson("n"), "null");
    EXPECT_EQ(object.GetNumber("n"), 0);
    ASSERT_TRUE(object.SetNumber("n", INFINITY));
    EXPECT_EQ(object.GetText("n"), "Infinity");
    // length truncates or pads, as in script.
    EXPECT_TRUE(object.SetNumber("list.length", 1));
    EXPECT_EQ(object.GetJson("list"), "[1]");
    EXPECT_TRUE(object.SetNumber("list.length", 3));
    EXPECT_EQ(object.GetJson("list"), "[1,null,null]");
    EXPECT_FALSE(object.SetNumber("list.length", 1.5));
    EXPECT_FALSE(object.SetNumber("list.length", -1));
}

TEST(JsonEditTest, SetsJsonExpressionsOnly) {
    struct Case {
        std::string expression;
        bool stored;
        std::string json;
    };
    const Case cases[] = {
        {"[1,2]", true, "[1,2]"},
        {R"({"a":{"b":null}})", true, R"({"a":{"b":null}})"},
        {R"("[3]")", true, "[3]"},  // eval of a string evaluates its content
        {R"("\"str\"")", true, R"("str")"},
        {R"("abc")", false, ""},
        {"1+1", false, ""},
        {"{a:1}", false, ""},
        {"alert(1)", false, ""},
        {"", false, ""},
    };
    for (const auto& c : cases) {
        JsonObject object;
        EXPECT_EQ(object.SetExpression("x", c.expression), c.stored) << c.expression;
        EXPECT_EQ(object.GetJson("x"), c.json) << c.expression;
    }
}

TEST(JsonEditTest, AssignsJsonTextWhereNoObjectIs) {
    JsonObject object = Parsed(R"({"s":"x","list":[1]})");
    EXPECT_TRUE(object.SetText("o", R"({"a":1})", true));
    EXPECT_TRUE(object.SetText("s", "[true]", true));
    EXPECT_TRUE(object.SetText("list", R"({"k":"v"})", true));  // an array is replaced
    EXPECT_TRUE(object.SetText("q", R"("[1,2]")", true));
    EXPECT_FALSE(object.SetText("r", R"("abc")", true));
    EXPECT_FALSE(object.SetText("r", "{a:1}", true));
    EXPECT_EQ(object.ToText(), R"({"s":[true],"list":{"k":"v"},"o":{"a":1},"q":[1,2]})");
    // An empty JSON value means {}: an assignment stores an empty object.
    EXPECT_TRUE(object.SetText("e", "", true));
    EXPECT_TRUE(object.SetText("s", "", true));
    EXPECT_EQ(object.GetJson("e"), "{}");
    EXPECT_EQ(object.GetJson("s"), "{}");
}

TEST(JsonEditTest, MergesIntoObjects) {
    JsonObject object = Parsed(
        R"({"s":"x","b":true,"n":1,"o":{"k":1,"l":[1]},"arr":[1],"nul":null,"keep":{"a":1}})");
    EXPECT_TRUE(object.SetText("", R"({"s":"y","b":false,"n":2,"o":{"k":2,"l":[2],"m":3},
        "arr":[2,3],"nul":{"z":1},"new":[9],"keep":"not an object"})",
                               true));
    EXPECT_EQ(object.ToText(),
              R"({"s":"y","b":false,"n":2,"o":{"k":2,"l":[1,2],"m":3},"arr":[1,2,3],)"
              R"("nul":{"z":1},"keep":{"a":1},"new":[9]})");
    // An array source gives its elements under the keys "0", "1", ...
    JsonObject keyed = Parsed(R"({"a":1})");
    EXPECT_TRUE(keyed.SetText("", "[5,6]", true));
    EXPECT_EQ(keyed.ToText(), R"({"a":1,"0":5,"1":6})");
    // Other sources bring nothing; the merge still succeeds.
    for (const char* source : {"", "null", "7", R"("text")", "{}"}) {
        JsonObject same = Parsed(R"({"a":{"b":1}})");
        EXPECT_TRUE(same.SetText("a", source, true)) << source;
        EXPECT_EQ(same.ToText(), R"({"a":{"b":1}})") << source;
    }
    JsonObject unchanged = Parsed(R"({"a":{"b":1}})");
    EXPECT_FALSE(unchanged.SetText("a", "{b:2}", true));
    EXPECT_EQ(unchanged.ToText(), R"({"a":{"b":1}})");
}

TEST(JsonEditTest, CopiesValuesIntoNewObjects) {
    JsonObject copy;
    {
        std::string message = R"({"o":{"k":"v","l":[1,{"m":"n"}]},"s":"text","n":3})";
        JsonObject original;
        ASSERT_TRUE(original.Parse(std::move(message)));
        copy = original.GetObject("o");
        EXPECT_TRUE(copy.SetText("k", "changed"));
        EXPECT_EQ(original.GetText("o.k"), "v");
        EXPECT_NE(copy.GetEngine(), original.GetEngine());
        EXPECT_EQ(original.GetObject("s").ToText(), R"("text")");
        EXPECT_EQ(original.GetObject("n").GetNumber(""), 3);
        EXPECT_EQ(original.GetObject("missing").ToText(), "null");
        EXPECT_EQ(original.GetObject("toString").ToText(), "null");
        EXPECT_EQ(original.GetObject("s.length").ToText(), "4");
    }
    // The copy outlives the message it came from.
    EXPECT_EQ(copy.ToText(), R"({"k":"changed","l":[1,{"m":"n"}]})");
}

TEST(JsonEditTest, ClearsTheValue) {
    JsonObject object = Parsed("[1,2]");
    JsonObject copy = object;
    EXPECT_TRUE(object.Clear());
    EXPECT_EQ(copy.ToText(), "{}");
    EXPECT_TRUE(copy.SetText("a", "b"));
    EXPECT_EQ(object.GetText("a"), "b");
}

TEST(JsonEditTest, KeepsNestingWithinTheLimit) {
    JsonObject object;
    std::string deep = std::string(500, '[') + std::string(500, ']');
    EXPECT_TRUE(object.SetText("a", deep, true));
    EXPECT_TRUE(object.SetText("b", R"({"c":{"d":1}})", true));
    EXPECT_TRUE(object.SetText("b.c.d", deep, true));
    std::string path = "a";
    for (int i = 0; i < 20; ++i) path += "[0]";
    EXPECT_FALSE(object.SetText(path, deep, true));
    EXPECT_FALSE(object.Append(deep, path, true));
    EXPECT_TRUE(object.SetText(path, "[]", true));
}

TEST(JsonEditTest, StaysSmallUnderRepeatedEdits) {
    JsonObject object;
    const std::string chunk(4096, 'x');
    for (int i = 0; i < 5000; ++i) ASSERT_TRUE(object.SetText("big", chunk + std::to_string(i)));
    EXPECT_EQ(object.GetText("big"), chunk + "4999");
    EXPECT_EQ(object.ToText().size(), chunk.size() + 14);
    // 20 MB were stored in turn; the value is copied afresh long before that piles up.
    EXPECT_LT(object.GetEngine()->PoolSize(), std::size_t{4} << 20);
}

}  // namespace
}  // namespace pixmate
