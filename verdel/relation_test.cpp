#include "verdel/relation.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>

#include "verdel/result_buffers.h"
#include "verdel/test_support.h"

namespace verdel {
namespace {

using testing::DebugCapture;
using testing::Load;

std::string Relation(std::string_view to, std::string_view from) {
    ResultText out = "stale";
    RelationOf(to, from, out);
    return std::string(out.data(), out.size());
}

struct RelationCase {
    const char* to;    // PA, the node to reach
    const char* from;  // PB, the node to start from
    const char* expected;
};

class RelationOfTest : public ::testing::TestWithParam<RelationCase> {};

TEST_P(RelationOfTest, GivesTheStepsFromTheSecondNodeToTheFirst) {
    const RelationCase& row = GetParam();
    EXPECT_EQ(Relation(row.to, row.from), row.expected) << row.to << " from " << row.from;
}

INSTANTIATE_TEST_SUITE_P(
    PublishedRows, RelationOfTest,
    ::testing::Values(
        RelationCase{"root", "root.items[0].items[1]", "parent.parent"},
        RelationCase{"root.items[0].items[1]", "root", "items[0].items[1]"},
        RelationCase{"root.items[0].items[1]", "root.items[0]", "items[1]"},
        RelationCase{"root.items[0].items[1]", "root.items[0].items[2]", "parent.items[1]"},
        RelationCase{"root.items[1]", "root.items[0].items[3]", "parent.parent.items[1]"},
        RelationCase{"root.items[1]", "root.items[10]", "parent.items[1]"},
        RelationCase{"root.items[2]", "root.items[2]", ""}));

// A node lies above another only when the other's path goes on from it with "."; a path that
// merely starts with the same characters is a sibling's. Comparing characters would name the root
// an ancestor of root.ab.c in the first row, and give ".c" in the second.
INSTANTIATE_TEST_SUITE_P(
    WholeSteps, RelationOfTest,
    ::testing::Values(RelationCase{"root.a", "root.ab.c", "parent.parent.a"},
                      RelationCase{"root.ab.c", "root.a", "parent.ab.c"},
                      RelationCase{"root.items[10]", "root.items[1]", "parent.items[10]"},
                      RelationCase{"root.items[1].x", "root.items[10]", "parent.items[1].x"},
                      RelationCase{"root.items[10]", "root.items[1].x", "parent.parent.items[10]"},
                      RelationCase{"root.items[1]", "root.items[1][0]", "parent.items[1]"},
                      RelationCase{"root.a.b", "root.a.bc", "parent.b"},
                      RelationCase{"root.a.bc.d", "root.a.b", "parent.bc.d"}));

INSTANTIATE_TEST_SUITE_P(
    MoreShapes, RelationOfTest,
    ::testing::Values(RelationCase{"root", "root.x", "parent"}, RelationCase{"root.x", "root", "x"},
                      RelationCase{"root.a", "root.b", "parent.a"},
                      RelationCase{"root.a.b.c", "root.x.y", "parent.parent.a.b.c"},
                      RelationCase{"root.grid[1][0]", "root.grid[0][2]", "parent.grid[1][0]"},
                      // Nothing in common, or not even one whole step.
                      RelationCase{"a", "b", ""}, RelationCase{"root", "rootx", ""},
                      RelationCase{"rootx.a", "root.a", ""}, RelationCase{"", "root", ""},
                      RelationCase{"", "", ""}));

// Paths in this document: root.items[0], root.items[0].items[0..3], root.items[1..10].
constexpr char kItems[] = R"({"items":[{"items":[{},{},{},{}]},{},{},{},{},{},{},{},{},{},{}]})";

TEST(JsonNodeGetRelation, RelatesNodesOfALoadedDocument) {
    auto doc = Load(kItems);
    ASSERT_TRUE(doc);
    auto node = [&](const char* path) {
        VerdelNode handle = JsonGetNodeHandle(doc.get(), path);
        EXPECT_NE(handle, nullptr) << path;
        return handle;
    };
    struct Row {
        const char* a;
        const char* b;
        const char* expected;
    };
    const Row rows[] = {
        {"", "items[0].items[1]", "parent.parent"},
        {"items[0].items[1]", "", "items[0].items[1]"},
        {"items[0].items[1]", "items[0]", "items[1]"},
        {"items[0].items[1]", "items[0].items[2]", "parent.items[1]"},
        {"items[1]", "items[0].items[3]", "parent.parent.items[1]"},
        {"items[1]", "items[10]", "parent.items[1]"},
        {"items[10]", "items[1]", "parent.items[10]"},
        {"items[2]", "items[2]", ""},
    };
    for (const Row& row : rows) {
        EXPECT_STREQ(JsonNodeGetRelation(node(row.a), node(row.b)), row.expected)
            << row.a << " from " << row.b;
    }
}

TEST(JsonNodeGetRelation, NodesOfTwoCopiesRelateAsInOneDocument) {
    auto first = Load(kItems);
    auto second = Load(kItems);
    ASSERT_TRUE(first && second);
    EXPECT_STREQ(JsonNodeGetRelation(JsonGetNodeHandle(first.get(), "items[1]"),
                                     JsonGetNodeHandle(second.get(), "items[0].items[3]")),
                 "parent.parent.items[1]");
}

TEST(JsonNodeGetRelation, NodesWithoutRelationPathsGiveEmptyText) {
    auto arrayRoot = Load(R"([{"a":{}},{}])");
    auto doc = Load(R"({"n":1,"list":[{}],"own":{"ExtandAppend_RelationStr":5}})");
    ASSERT_TRUE(arrayRoot && doc);
    VerdelNode inArray = JsonGetNodeHandle(arrayRoot.get(), "[0]");
    VerdelNode number = JsonGetNodeHandle(doc.get(), "n");
    VerdelNode list = JsonGetNodeHandle(doc.get(), "list");
    VerdelNode own = JsonGetNodeHandle(doc.get(), "own");
    VerdelNode root = doc.get();

    EXPECT_EQ(JsonNodeGetRelation(nullptr, root), kEmptyText);
    EXPECT_EQ(JsonNodeGetRelation(root, nullptr), kEmptyText);
    EXPECT_STREQ(JsonNodeGetRelation(inArray, JsonGetNodeHandle(arrayRoot.get(), "[1]")), "");
    EXPECT_STREQ(JsonNodeGetRelation(arrayRoot.get(), root), "");
    EXPECT_STREQ(JsonNodeGetRelation(number, root), "");
    EXPECT_STREQ(JsonNodeGetRelation(list, root), "");
    // The text's own member of that name comes first, and it is not a string.
    EXPECT_STREQ(JsonNodeGetRelation(own, root), "");
    EXPECT_STREQ(JsonNodeGetRelation(root, root), "");
}

TEST(JsonNodeGetRelation, TheTextsOwnRelationMemberIsTheOneRead) {
    auto doc = Load(R"({"a":{"ExtandAppend_RelationStr":"root.z.y"},"b":{}})");
    ASSERT_TRUE(doc);
    EXPECT_STREQ(
        JsonNodeGetRelation(JsonGetNodeHandle(doc.get(), "a"), JsonGetNodeHandle(doc.get(), "b")),
        "parent.z.y");
}

TEST(JsonNodeGetRelation, WritesTheDebugLineWhenBothHandlesAreSet) {
    auto doc = Load(kItems);
    ASSERT_TRUE(doc);
    VerdelNode a = JsonGetNodeHandle(doc.get(), "items[1]");
    VerdelNode b = doc.get();
    DebugCapture capture;
    JsonNodeGetRelation(a, b);
    JsonNodeGetRelation(nullptr, b);
    JsonNodeGetRelation(a, nullptr);
    char expected[64];
    std::snprintf(expected, sizeof expected, "GetNodeRelation[%x]->[%x]", HandleBits(a),
                  HandleBits(b));
    ASSERT_EQ(capture.lines().size(), 1u);
    EXPECT_EQ(capture.lines()[0], expected);
}

TEST(JsonNodeGetRelation, OutOfMemoryGivesTheConstantEmptyText) {
    std::string deep = "{}";
    for (int i = 0; i < 40; ++i) deep = "{\"child_with_a_long_name\":" + deep + "}";
    auto doc = Load(deep);
    ASSERT_TRUE(doc);
    VerdelNode leaf = doc.get();
    while (VerdelNode next = JsonGetNodeHandle(leaf, "child_with_a_long_name")) leaf = next;
    // A thread of its own, so its buffer starts empty and must grow.
    std::thread([&] {
        SetAllocationBudgetForTesting(0);
        const char* starved = JsonNodeGetRelation(leaf, doc.get());
        SetAllocationBudgetForTesting(-1);
        EXPECT_EQ(starved, kEmptyText);
        EXPECT_EQ(std::string(JsonNodeGetRelation(doc.get(), leaf)).size(),
                  40 * std::string("parent.").size() - 1);
    }).join();
}

}  // namespace
}  // namespace verdel
