// The result buffers: one per export and per thread.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "verdel.h"
#include "verdel/test_support.h"

namespace verdel {
namespace {

using testing::Load;

// A one-shot signal between two threads. (std::latch hangs now and then in the MinGW build,
// whose library has no futex to wait on.)
class Signal {
  public:
    void Raise() {
        std::lock_guard lock(mutex_);
        raised_ = true;
        condition_.notify_all();
    }
    void Wait() {
        std::unique_lock lock(mutex_);
        condition_.wait(lock, [this] { return raised_; });
    }

  private:
    std::mutex mutex_;
    std::condition_variable condition_;
    bool raised_ = false;
};

TEST(ResultBuffers, ASecondCallOnTheSameThreadReusesTheBuffer) {
    auto doc = Load(R"({"a":"first","b":"second","o":{"x":1,"y":2},"p":{"z":3}})");
    ASSERT_TRUE(doc);
    // Fresh thread: the texts below fit a buffer that has grown once, so the calls share it.
    std::thread([&] {
        const char* first = JsonGetValue(doc.get(), "o");
        std::string firstText = first;
        const char* second = JsonGetValue(doc.get(), "a");
        EXPECT_EQ(first, second);
        EXPECT_STREQ(second, "first");
        EXPECT_NE(firstText, second);

        const char* names = JsonGetPropNames(JsonGetNodeHandle(doc.get(), "o"));
        EXPECT_STREQ(names, "x\"y");
        EXPECT_EQ(JsonGetPropNames(JsonGetNodeHandle(doc.get(), "p")), names);
        EXPECT_STREQ(names, "z");
    }).join();
}

TEST(ResultBuffers, TheRelationSurvivesOtherExportsOnTheSameThread) {
    auto doc = Load(R"({"items":[{"items":[{},{}]},{}],"big":")" + std::string(5000, 'b') +
                    R"(","o":{")" + std::string(5000, 'n') + R"(":1}})");
    ASSERT_TRUE(doc);
    const char* relation = JsonNodeGetRelation(JsonGetNodeHandle(doc.get(), "items[1]"),
                                               JsonGetNodeHandle(doc.get(), "items[0].items[1]"));
    ASSERT_STREQ(relation, "parent.parent.items[1]");
    // Long results: a shared buffer would have to move, and the sanitizer would see the stale
    // pointer read below.
    EXPECT_EQ(std::string(JsonGetValue(doc.get(), "big")).size(), 5000u);
    EXPECT_EQ(std::string(JsonGetPropNames(JsonGetNodeHandle(doc.get(), "o"))).size(), 5000u);
    EXPECT_STREQ(relation, "parent.parent.items[1]");
}

TEST(ResultBuffers, ThreadsDoNotDisturbEachOthersResults) {
    auto doc = Load(R"({"short":"s","long":")" + std::string(10000, 'L') +
                    R"(","items":[{"items":[{},{}]},{}]})");
    ASSERT_TRUE(doc);
    Signal firstHasResult;
    Signal secondIsDone;
    std::thread first([&] {
        const char* value = JsonGetValue(doc.get(), "short");
        const char* relation =
            JsonNodeGetRelation(JsonGetNodeHandle(doc.get(), "items[1]"), doc.get());
        firstHasResult.Raise();
        secondIsDone.Wait();
        EXPECT_STREQ(value, "s");
        EXPECT_STREQ(relation, "items[1]");
    });
    std::thread second([&] {
        firstHasResult.Wait();
        const char* value = JsonGetValue(doc.get(), "long");
        const char* relation =
            JsonNodeGetRelation(doc.get(), JsonGetNodeHandle(doc.get(), "items[0].items[1]"));
        EXPECT_EQ(std::string(value), std::string(10000, 'L'));
        EXPECT_STREQ(relation, "parent.parent");
        secondIsDone.Raise();
    });
    first.join();
    second.join();
}

// Many threads querying one document and loading their own: queries never write to a document.
TEST(ResultBuffers, ManyThreadsQueryOneDocument) {
    auto shared = Load(R"({"items":[{"name":"a"},{"name":"b"},{"name":"c"}]})");
    ASSERT_TRUE(shared);
    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    for (int t = 0; t < 16; ++t) {
        threads.emplace_back([&, t] {
            std::string mine = "{\"id\":" + std::to_string(t) + ",\"kids\":[{}]}";
            for (int round = 0; round < 200; ++round) {
                VerdelNode doc = JsonLoad(mine.c_str());
                bool ok = doc != nullptr && JsonGetValue(doc, "id") == std::to_string(t) &&
                          std::string(JsonGetValue(shared.get(), "items[2].name")) == "c" &&
                          std::string(JsonNodeGetRelation(JsonGetNodeHandle(doc, "kids[0]"),
                                                          doc)) == "kids[0]" &&
                          std::string(JsonGetPropNames(doc)) == "id";
                if (!ok) ++failures;
                JsonFree(doc);
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(failures.load(), 0);
}

}  // namespace
}  // namespace verdel
