#include "verdel/lookup.h"

#include <gtest/gtest.h>

#include <string>

#include "verdel/test_support.h"

namespace verdel {
namespace {

using testing::Load;
using testing::ValueOrNull;

// Member names that look like path syntax, duplicates, nesting through arrays.
constexpr char kFixture[] = R"({
  "a": {"b": [{"c": 1}]},
  "arr": [10, 20, 30],
  "grid": [[1, 2], [3, [4]]],
  "a[": 5,
  "a]b[1": 6,
  "": {"x": 7},
  "dup": 1, "dup": 2,
  "Case": 8,
  "s": "text",
  "num": 12
})";

struct PathCase {
    const char* path;
    const char* expected;  // "<null>" when the path names nothing
};

class LookupPathTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(LookupPathTest, ResolvesAsTheSegmentRulesSay) {
    auto doc = Load(kFixture);
    ASSERT_TRUE(doc);
    const PathCase& row = GetParam();
    EXPECT_EQ(ValueOrNull(doc.get(), row.path), row.expected) << "path " << row.path;
}

INSTANTIATE_TEST_SUITE_P(
    Segments, LookupPathTest,
    ::testing::Values(
        // Names and nesting.
        PathCase{"a.b[0].c", "1"}, PathCase{"a.b[0].ExtandAppend_RelationStr", "root.a.b[0]"},
        PathCase{"a.ExtandAppend_RelationStr", "root.a"}, PathCase{"missing", "<null>"},
        PathCase{"a.missing", "<null>"}, PathCase{"dup", "1"}, PathCase{"Case", "8"},
        PathCase{"case", "<null>"},
        // Dots: a trailing one ends the path, an empty segment is the member with no name.
        PathCase{"a.b[0].c.", "1"}, PathCase{".x", "7"}, PathCase{"a..b", "<null>"},
        // Name with index.
        PathCase{"arr[0]", "10"}, PathCase{"arr[2]", "30"}, PathCase{"arr[3]", "<null>"},
        PathCase{"arr[-1]", "<null>"}, PathCase{"arr[-0]", "10"},
        // The index reads like %d: white space, sign, digits up to the first other character,
        // no number at all reads as 0.
        PathCase{"arr[ 2]", "30"}, PathCase{"arr[\t1]", "20"}, PathCase{"arr[+2]", "30"},
        PathCase{"arr[02]", "30"}, PathCase{"arr[1x]", "20"}, PathCase{"arr[abc]", "10"},
        PathCase{"arr[]", "10"}, PathCase{"arr[ ]", "10"}, PathCase{"arr[-]", "10"},
        PathCase{"arr[- 1]", "10"}, PathCase{"arr[2147483647]", "<null>"},
        PathCase{"arr[2147483648]", "<null>"}, PathCase{"arr[4294967296]", "<null>"},
        PathCase{"arr[99999999999999999999]", "<null>"},
        // What follows the index is not read: two indices select by the first.
        PathCase{"arr[1]junk", "20"}, PathCase{"arr[2][0]", "30"},
        PathCase{"grid[1][1]", "[3,[4]]"},
        // Leading index on the value itself.
        PathCase{"grid.[1].[1].[0]", "4"}, PathCase{"arr.[abc]", "10"}, PathCase{"arr.[ 2]", "30"},
        PathCase{"arr.[-1]", "<null>"}, PathCase{"arr.[3]", "<null>"}, PathCase{"[0]", "<null>"},
        // Only a "[" with a later "]" makes the index form; otherwise it is all a name.
        PathCase{"a[", "5"}, PathCase{"a]b[1", "6"}, PathCase{"a]b[1]", "<null>"},
        // Names apply to objects only, indices to arrays only.
        PathCase{"a[0]", "<null>"}, PathCase{"s[0]", "<null>"}, PathCase{"num.x", "<null>"},
        PathCase{"a.b.c", "<null>"}, PathCase{"arr.0", "<null>"}));

TEST(ReadIndex, ReadsLikeScanfPercentD) {
    struct Row {
        const char* text;
        std::optional<std::uint32_t> expected;
    };
    const Row rows[] = {
        {"0]", 0u},
        {"7]", 7u},
        {" \t\n\v\f\r9]", 9u},
        {"+3]", 3u},
        {"-0]", 0u},
        {"-1]", {}},
        {"-2147483648]", {}},
        {"2147483647]", 2147483647u},
        {"2147483648]", {}},
        {"abc]", 0u},
        {"]", 0u},
        {"", 0u},
        {"+]", 0u},
        {"- 5]", 0u},
        {"12ab]", 12u},
        {"0x10]", 0u},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ReadIndex(row.text), row.expected) << "text " << row.text;
    }
}

// Segments past 259 bytes name nothing, in every position and form, and never overrun anything.
TEST(LookupPathLongSegments, SegmentsAbove259BytesNameNothing) {
    const std::string name259(259, 'n');
    const std::string name260(260, 'n');
    const std::string name1000(1000, 'n');
    const std::string name256(256, 'i');
    const std::string name257(257, 'i');
    std::string text = "{\"" + name259 + "\":{\"x\":1},\"" + name260 + "\":{\"x\":2},\"" +
                       name1000 + "\":3,\"" + name256 + "\":[4],\"" + name257 + "\":[5]}";
    auto doc = Load(text);
    ASSERT_TRUE(doc);

    EXPECT_EQ(ValueOrNull(doc.get(), (name259 + ".x").c_str()), "1");
    EXPECT_EQ(ValueOrNull(doc.get(), (name260 + ".x").c_str()), "<null>");
    EXPECT_EQ(ValueOrNull(doc.get(), name260.c_str()), "<null>");
    EXPECT_EQ(ValueOrNull(doc.get(), name1000.c_str()), "<null>");
    EXPECT_EQ(ValueOrNull(doc.get(), (name1000 + ".x").c_str()), "<null>");
    // Name and index together count against the limit.
    EXPECT_EQ(ValueOrNull(doc.get(), (name256 + "[0]").c_str()), "4");
    EXPECT_EQ(ValueOrNull(doc.get(), (name257 + "[0]").c_str()), "<null>");
    EXPECT_EQ(ValueOrNull(doc.get(), (name1000 + "[0]").c_str()), "<null>");
    EXPECT_EQ(ValueOrNull(doc.get(), (std::string(300, '[') + "0]").c_str()), "<null>");
}

TEST(LookupPath, NullOrEmptyPathIsTheValueItself) {
    auto doc = Load("[1,2]");
    ASSERT_TRUE(doc);
    Value& root = *AsValue(doc.get());
    EXPECT_EQ(LookupPath(root, nullptr), &root);
    EXPECT_EQ(LookupPath(root, ""), &root);
    EXPECT_EQ(LookupSegment(root, "[1]"), &root[1]);
}

}  // namespace
}  // namespace verdel
