// Reading: parsing, paths, the text forms, numbers, copies, and big messages.
#include "pixmate/json/json_object.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pixmate {
namespace {

const std::string kMark = "\xE2\x90\x80";  // U+2400

TEST(JsonObjectTest, ReadsAReplyMessage) {
    JsonObject reply;
    ASSERT_TRUE(reply.Parse(R"({"fun":"eval","code":0,"back":"0","returns":"1,2"})"));
    EXPECT_EQ(reply.GetText("fun"), "eval");
    EXPECT_EQ(reply.GetNumber("code"), 0);
    EXPECT_EQ(reply.GetNumber("back"), 0);
    EXPECT_EQ(reply.GetText("returns"), "1,2");
    EXPECT_EQ(reply.GetText("missing"), "");
    EXPECT_EQ(reply.GetNumber("missing"), 0);
}

TEST(JsonObjectTest, StartsAsAnEmptyObject) {
    JsonObject object;
    EXPECT_EQ(object.VariableName(), "da");
    EXPECT_EQ(object.ToText(), "{}");
    EXPECT_EQ(object.TypeOf(), JsonObject::kTypeObject);
}

struct ParseCase {
    std::string text;
    bool asLiteral;
    bool result;
    std::string json;  // ToText afterwards
};

// Only JSON is read; text from a phone is never run as script.
TEST(JsonObjectTest, ParsesJsonAndNothingElse) {
    const ParseCase cases[] = {
        {"123", false, true, "123"},
        {"0", false, true, "0"},
        {"false", false, true, "false"},
        {"null", false, false, "null"},
        {"null", true, false, "null"},
        {R"({"a":1})", false, true, R"({"a":1})"},
        {" \t\r\n{ \"a\" : [ 1 , 2 ] }\n", false, true, R"({"a":[1,2]})"},
        {"[1,\"x\",null,true]", false, true, "[1,\"x\",null,true]"},
        // A string is evaluated once more in the default form, as eval did.
        {R"("{\"fun\":\"eval\"}")", false, true, R"({"fun":"eval"})"},
        {R"("{\"fun\":\"eval\"}")", true, true, R"("{\"fun\":\"eval\"}")"},
        {R"("\"abc\"")", false, true, R"("abc")"},
        {R"("123")", false, true, "123"},
        {R"("null")", false, false, "null"},
        {R"("abc")", false, false, "null"},
        {R"("abc")", true, true, R"("abc")"},
        {R"("")", false, false, "null"},
        {R"x("alert(1)")x", false, false, "null"},
        // Script that is not JSON.
        {"alert(1)", false, false, "null"},
        {"alert(1)", true, false, "null"},
        {"1+1", false, false, "null"},
        {"{a:1}", false, false, "null"},
        {"'abc'", false, false, "null"},
        {"undefined", false, false, "null"},
        {"NaN", false, false, "null"},
        {"function(){}", false, false, "null"},
        {"(function(){return 1})()", false, false, "null"},
        // Broken or trailing text.
        {"", false, false, "null"},
        {"   ", false, false, "null"},
        {"[1,]", false, false, "null"},
        {"{\"a\":1} x", false, false, "null"},
        {"{\"a\":1}{}", false, false, "null"},
        {std::string("{\"a\":1}\0{}", 10), false, false, "null"},
        {"\"unterminated", false, false, "null"},
        {"[\"\x01\"]", false, false, "null"},
        // Values as JavaScript keeps them.
        {R"({"a":1,"b":2,"a":3})", false, true, R"({"a":3,"b":2})"},
        {"-0", false, true, "0"},
        {"12345678901234567890", false, true, "12345678901234567000"},
        {"9007199254740993", false, true, "9007199254740992"},
        {"[1.0,1e2,1E-7,0.1e1]", false, true, "[1,100,1e-7,1]"},
        {"\"\\u0041\\n\\ud83d\\ude00\"", true, true, "\"A\\n\xF0\x9F\x98\x80\""},
    };
    for (const auto& c : cases) {
        JsonObject object;
        EXPECT_EQ(object.Parse(c.text, c.asLiteral), c.result) << c.text;
        EXPECT_EQ(object.ToText(), c.json) << c.text;
    }
}

TEST(JsonObjectTest, BothParseFormsAgree) {
    const std::string text = R"({"fun":"eval","list":[1,2]})";
    JsonObject fromView;
    JsonObject fromBuffer;
    ASSERT_TRUE(fromView.Parse(std::string_view(text)));
    ASSERT_TRUE(fromBuffer.Parse(std::string(text)));
    EXPECT_EQ(fromView.ToText(), fromBuffer.ToText());
}

TEST(JsonObjectTest, RefusesNestingBeyondTheLimit) {
    auto nested = [](int depth) { return std::string(depth, '[') + std::string(depth, ']'); };
    JsonObject object;
    EXPECT_TRUE(object.Parse(nested(512)));
    EXPECT_EQ(object.GetText(), "");
    EXPECT_FALSE(object.Parse(nested(513)));
    EXPECT_FALSE(object.Parse(std::string(200000, '[')));
    EXPECT_FALSE(object.Parse(std::string(100000, '{')));
}

class JsonFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(object_.Parse(R"({"s":"text","n":12.5,"zero":0,"t":true,"f":false,
            "nul":null,"arr":[1,2],"one":[5],"empty":[],
            "nested":[1,[2,3],null,{"x":1},"a",true],"obj":{"x":1,"y":{"z":"deep"}},
            "big":1e21,"small":1e-7,"cn":"中文","mark":"a)" +
                                  kMark + R"(b","esc":"q\"\\\n\u0001","num":" 42 ","hex":"0x10",
            "da":{"x":"inner"},"key with space":7})"));
    }
    JsonObject object_;
};

struct TextCase {
    std::string path;
    std::string plain;
    std::string json;
};

TEST_F(JsonFixture, GivesPlainAndJsonTextForms) {
    const TextCase cases[] = {
        {"s", "text", "\"text\""},
        {"n", "12.5", "12.5"},
        {"zero", "0", "0"},
        {"t", "true", "true"},
        {"f", "false", "false"},
        {"nul", "", "null"},
        {"missing", "", ""},
        {"arr", "1,2", "[1,2]"},
        {"nested", "1,2,3,,[object Object],a,true", R"([1,[2,3],null,{"x":1},"a",true])"},
        {"obj", "[object Object]", R"({"x":1,"y":{"z":"deep"}})"},
        {"empty", "", "[]"},
        {"big", "1e+21", "1e+21"},
        {"small", "1e-7", "1e-7"},
        {"cn", "中文", "\"中文\""},
        {"mark", "a\\b", "\"a\\b\""},  // the mark reads out as a bare backslash
        {"esc", "q\"\\\n\x01", R"("q\"\\\n\u0001")"},
        {"arr[1]", "2", "2"},
        {"arr[2]", "", ""},
        {"arr.length", "2", "2"},
        {"s.length", "4", "4"},
        {"s[0]", "t", "\"t\""},
        {"cn[1]", "文", "\"文\""},
        {"obj.x", "1", "1"},
        {"obj.y.z", "deep", "\"deep\""},
        {"['obj'][\"y\"]['z']", "deep", "\"deep\""},
        {"obj['y'].z", "deep", "\"deep\""},
        {"['key with space']", "7", "7"},
        {"toString", "function toString() { [native code] }", ""},
        {"nul.x", "", ""},
        {"missing.x", "", ""},
        {"s.x", "", ""},
        {"obj.", "", ""},
        {"obj x", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(object_.GetText(c.path), c.plain) << c.path;
        EXPECT_EQ(object_.GetText(c.path, true), c.json) << c.path;
        EXPECT_EQ(object_.GetJson(c.path), c.json) << c.path;
    }
    EXPECT_EQ(object_.GetText(""), "[object Object]");
    EXPECT_EQ(object_.GetJson().substr(0, 20), R"({"s":"text","n":12.5)");
}

TEST_F(JsonFixture, ConvertsToNumbersAsNumberDoes) {
    const std::pair<std::string, double> cases[] = {
        {"n", 12.5}, {"zero", 0},   {"t", 1},        {"f", 0},      {"nul", 0},      {"missing", 0},
        {"s", 0},    {"num", 42},   {"hex", 16},     {"arr", 0},    {"one", 5},      {"empty", 0},
        {"obj", 0},  {"big", 1e21}, {"s.length", 4}, {"arr[0]", 1}, {"toString", 0}, {"nul.x", 0},
    };
    for (const auto& [path, number] : cases) {
        EXPECT_EQ(object_.GetNumber(path), number) << path;
    }
}

struct ResolveCase {
    std::string path;
    std::string resolved;
    bool exists;
};

TEST_F(JsonFixture, ResolvesPathsOnTheVariable) {
    const ResolveCase cases[] = {
        {"s", "da.s", true},
        {"", "da", true},
        {"[\"s\"]", "da[\"s\"]", true},
        {"arr[1]", "da.arr[1]", true},
        {"obj.y.z", "da.obj.y.z", true},
        {"da.s", "da.s", true},  // names the variable and leads to a value: kept
        {"da", "da", true},
        {"da.x", "da.da.x", true},  // no member x at the top, so it is a member path
        {"da.missing", "da.da.missing", false},
        {"data", "da.data", false},
        {"missing", "da.missing", false},
        {"nul", "da.nul", false},  // null counts as absent
        {"nul.x", "da.nul.x", false},
        {"obj x", "da.obj x", false},
        {"toString", "da.toString", true},
    };
    for (const auto& c : cases) {
        std::string path = c.path;
        EXPECT_EQ(object_.ResolvePath(path), c.exists) << c.path;
        EXPECT_EQ(path, c.resolved) << c.path;
        EXPECT_EQ(object_.Exists(c.path), c.exists) << c.path;
    }
}

TEST(JsonObjectTest, ResolvesIndexPathsOnArrays) {
    JsonObject list;
    ASSERT_TRUE(list.Parse("[5,6,[7,8]]"));
    std::string path = "[1]";
    EXPECT_TRUE(list.ResolvePath(path));
    EXPECT_EQ(path, "da[1]");
    EXPECT_EQ(list.GetText("[1]"), "6");
    EXPECT_EQ(list.GetText("[2][0]"), "7");
    EXPECT_EQ(list.GetText("[3]"), "");
    EXPECT_EQ(list.GetNumber("length"), 3);
}

TEST(JsonObjectTest, TurnsTheMarkIntoABackslash) {
    JsonObject object;
    ASSERT_TRUE(object.Parse(R"({"raw":"C:)" + kMark + R"(dir","escaped":"\u2400\u2400"})"));
    EXPECT_EQ(object.GetText("raw"), "C:\\dir");
    EXPECT_EQ(object.GetText("escaped"), "\\\\");
    EXPECT_EQ(object.ToText(), R"({"raw":"C:\dir","escaped":"\\"})");
}

TEST(JsonObjectTest, CopiesShareOneValue) {
    JsonObject first;
    ASSERT_TRUE(first.Parse(R"({"a":1})"));
    JsonObject second = first;
    EXPECT_EQ(first.GetEngine(), second.GetEngine());
    EXPECT_TRUE(second.SetText("b", "two"));
    EXPECT_EQ(first.GetText("b"), "two");
    {
        JsonObject third = second;
        EXPECT_TRUE(third.Clear());
    }
    EXPECT_EQ(first.ToText(), "{}");
    EXPECT_TRUE(first.SetNumber("c", 3));
    // A parse gives the object a value of its own; the copy keeps the old one.
    ASSERT_TRUE(first.Parse("[1]"));
    EXPECT_EQ(second.ToText(), R"({"c":3})");
    EXPECT_NE(first.GetEngine(), second.GetEngine());
    second = first;
    EXPECT_EQ(second.ToText(), "[1]");
}

TEST(JsonObjectTest, AMovedFromObjectFailsQuietly) {
    JsonObject from;
    ASSERT_TRUE(from.Parse(R"({"a":"x"})"));
    JsonObject to = std::move(from);
    EXPECT_EQ(to.GetText("a"), "x");
    std::vector<std::string> list{"stale"};
    EXPECT_EQ(from.GetText("a"), "");      // NOLINT(bugprone-use-after-move)
    EXPECT_EQ(from.ToText(), "");          // NOLINT(bugprone-use-after-move)
    EXPECT_FALSE(from.SetText("a", "y"));  // NOLINT(bugprone-use-after-move)
    EXPECT_FALSE(from.Clear());            // NOLINT(bugprone-use-after-move)
    EXPECT_EQ(from.NodeValues(list), 0);   // NOLINT(bugprone-use-after-move)
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(from.GetObject("a").ToText(), "null");
    EXPECT_TRUE(from.Parse("{}"));  // usable again
    EXPECT_EQ(from.VariableName(), "da");
}

std::string ReplyWith(const std::string& returns) {
    return R"({"fun":"eval","code":0,"back":"0","returns":")" + returns + "\"}";
}

std::string Base64Like(std::size_t size) {
    static const char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text(size, 'A');
    for (std::size_t i = 0; i < size; ++i) text[i] = kAlphabet[(i * 7919) % 64];
    return text;
}

TEST(JsonObjectTest, HandsOverTheTextOfABigMessage) {
    const std::string payload = Base64Like(3 << 20);
    JsonObject reply;
    ASSERT_TRUE(reply.Parse(ReplyWith(payload)));
    EXPECT_EQ(reply.GetText("returns"), payload);
    EXPECT_EQ(reply.TakeText("returns"), payload);
    // The other strings were copied out of the buffer that went with the text.
    EXPECT_EQ(reply.GetText("returns"), "");
    EXPECT_EQ(reply.GetText("fun"), "eval");
    EXPECT_EQ(reply.GetText("back"), "0");
    EXPECT_EQ(reply.ToText(), R"({"fun":"eval","code":0,"back":"0","returns":""})");
}

TEST(JsonObjectTest, TakesTextsThatAreNotInTheMessageBuffer) {
    JsonObject object;
    ASSERT_TRUE(object.Parse(R"({"n":5,"a":[1,2],"s":"m)" + kMark + R"("})"));
    EXPECT_TRUE(object.SetText("set", "x\\y"));
    EXPECT_EQ(object.TakeText("set"), "x\\y");
    EXPECT_EQ(object.GetText("set"), "");
    EXPECT_EQ(object.TakeText("s"), "m\\");
    EXPECT_EQ(object.TakeText("n"), "5");
    EXPECT_EQ(object.TakeText("a"), "1,2");
    EXPECT_EQ(object.TakeText("missing"), "");
    EXPECT_EQ(object.ToText(), R"({"n":5,"a":[1,2],"s":"","set":""})");
    // A copy sees what was taken, and still reads the rest.
    JsonObject reply;
    ASSERT_TRUE(reply.Parse(ReplyWith("payload")));
    JsonObject copy = reply;
    EXPECT_EQ(reply.TakeText("returns"), "payload");
    EXPECT_EQ(copy.GetText("returns"), "");
    EXPECT_EQ(copy.GetText("fun"), "eval");
}

TEST(JsonObjectTest, ReadsADoubleEncodedReply) {
    JsonObject reply;
    ASSERT_TRUE(
        reply.Parse(R"("{\"fun\":\"eval\",\"code\":0,\"back\":\"0\",\"returns\":\"ok\"}")"));
    EXPECT_EQ(reply.GetText("fun"), "eval");
    EXPECT_EQ(reply.GetText("returns"), "ok");
    EXPECT_EQ(reply.TakeText("returns"), "ok");
    EXPECT_EQ(reply.GetText("fun"), "eval");
}

}  // namespace
}  // namespace pixmate
