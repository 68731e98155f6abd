// Loads verdel.dll the way a host program does and drives it through its plain exported names.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "verdel.h"
#include "verdel/c_smoke.h"

namespace {

const char* DllPath() {
    const char* overridden = std::getenv("VERDEL_DLL");
    return overridden != nullptr && *overridden != '\0' ? overridden : VERDEL_DLL_PATH;
}

struct Exports {
    JsonLoadProc load = nullptr;
    JsonFreeProc free = nullptr;
    JsonGetValueProc getValue = nullptr;
    JsonGetPropNamesProc getPropNames = nullptr;
    JsonGetNodeHandleProc getNodeHandle = nullptr;
    JsonGetArrayNumberProc getArrayNumber = nullptr;
    JsonNodeGetRelationProc getRelation = nullptr;
};

template <typename Proc>
void Resolve(HMODULE module, const char* name, Proc& proc) {
    proc = reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    EXPECT_NE(proc, nullptr) << name;
}

class VerdelDll : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        module_ = LoadLibraryA(DllPath());
        ASSERT_NE(module_, nullptr) << "cannot load " << DllPath() << ", error " << GetLastError();
        Resolve(module_, "JsonLoad", api_.load);
        Resolve(module_, "JsonFree", api_.free);
        Resolve(module_, "JsonGetValue", api_.getValue);
        Resolve(module_, "JsonGetPropNames", api_.getPropNames);
        Resolve(module_, "JsonGetNodeHandle", api_.getNodeHandle);
        Resolve(module_, "JsonGetArrayNumber", api_.getArrayNumber);
        Resolve(module_, "JsonNodeGetRelation", api_.getRelation);
    }

    static void TearDownTestSuite() {
        // The main thread has used every export: its buffers are torn down with the library.
        if (module_ != nullptr) {
            EXPECT_TRUE(FreeLibrary(module_));
        }
        module_ = nullptr;
    }

    void SetUp() override {
        if (module_ == nullptr) GTEST_SKIP() << "library not loaded";
    }

    static HMODULE module_;
    static Exports api_;
};

HMODULE VerdelDll::module_ = nullptr;
Exports VerdelDll::api_;

TEST_F(VerdelDll, ExportsOnlyUndecoratedNames) {
    for (const char* decorated : {"_JsonLoad", "JsonLoad@4", "_JsonLoad@4", "JsonGetValue@8"}) {
        EXPECT_EQ(GetProcAddress(module_, decorated), nullptr) << decorated;
    }
}

TEST_F(VerdelDll, PublicHeaderWorksFromC) {
    CSmokeExports exports{api_.load,         api_.free,          api_.getValue,
                          api_.getPropNames, api_.getNodeHandle, api_.getArrayNumber,
                          api_.getRelation};
    EXPECT_EQ(RunCSmoke(&exports), 0);
}

TEST_F(VerdelDll, AnswersQueriesOnALoadedDocument) {
    VerdelNode doc = api_.load(R"({"a":{"b":[{"c":1}]},"s":"say \"hi\"","gbk":")"
                               "\xC4\xE3\xBA\xC3"
                               R"(","items":[{"items":[{},{}]},{}]})");
    ASSERT_NE(doc, nullptr);
    EXPECT_STREQ(api_.getValue(doc, "a.b[0].c"), "1");
    EXPECT_STREQ(api_.getValue(doc, "a.b[0].ExtandAppend_RelationStr"), "root.a.b[0]");
    EXPECT_STREQ(api_.getValue(doc, "s"), R"(say \"hi\")");
    EXPECT_STREQ(api_.getValue(doc, "gbk"), "\xC4\xE3\xBA\xC3");
    EXPECT_STREQ(api_.getValue(doc, "a.b"),
                 R"([{"c":1,"ExtandAppend_RelationStr":"root.a.b[0]"}])");
    EXPECT_STREQ(api_.getPropNames(doc), "s\"gbk");
    EXPECT_EQ(api_.getArrayNumber(doc, "a.b"), 1u);
    EXPECT_EQ(api_.getArrayNumber(doc, "a"), 0u);
    VerdelNode deep = api_.getNodeHandle(doc, "items[0].items[1]");
    VerdelNode top = api_.getNodeHandle(doc, "items[1]");
    ASSERT_NE(deep, nullptr);
    ASSERT_NE(top, nullptr);
    EXPECT_STREQ(api_.getRelation(top, deep), "parent.parent.items[1]");
    EXPECT_STREQ(api_.getRelation(deep, doc), "items[0].items[1]");
    EXPECT_EQ(api_.free(doc), 1);
}

TEST_F(VerdelDll, NullArgumentsGiveFailureValues) {
    EXPECT_EQ(api_.load(nullptr), nullptr);
    EXPECT_EQ(api_.load("{"), nullptr);
    EXPECT_EQ(api_.free(nullptr), 0);
    EXPECT_STREQ(api_.getValue(nullptr, nullptr), "");
    EXPECT_STREQ(api_.getPropNames(nullptr), "");
    EXPECT_EQ(api_.getNodeHandle(nullptr, nullptr), nullptr);
    EXPECT_EQ(api_.getArrayNumber(nullptr, nullptr), 0u);
    EXPECT_STREQ(api_.getRelation(nullptr, nullptr), "");
    VerdelNode doc = api_.load("[1,2,3]");
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(api_.getNodeHandle(doc, nullptr), doc);
    EXPECT_EQ(api_.getArrayNumber(doc, nullptr), 3u);
    EXPECT_STREQ(api_.getValue(doc, nullptr), "[1,2,3]");
    api_.free(doc);
}

TEST_F(VerdelDll, DeepNestingIsRefusedNotACrash) {
    std::string deep = std::string(100000, '[') + std::string(100000, ']');
    EXPECT_EQ(api_.load(deep.c_str()), nullptr);
}

struct ThreadWork {
    const Exports* api;
    VerdelNode shared;
    int id;
    bool ok;
};

// Each host thread loads its own document, queries it and the shared one, and leaves a large
// result in each of its buffers for the runtime to free when the thread ends.
DWORD WINAPI HostThread(void* parameter) {
    auto* work = static_cast<ThreadWork*>(parameter);
    const Exports& api = *work->api;
    std::string text = "{\"id\":" + std::to_string(work->id) +
                       ",\"kids\":[{},{\"k\":1}],\"pad\":\"" + std::string(200000, 'p') + "\",\"" +
                       std::string(100000, 'n') + "\":1}";
    VerdelNode doc = api.load(text.c_str());
    bool ok = doc != nullptr;
    if (ok) {
        ok = api.getValue(doc, "id") == std::to_string(work->id) &&
             std::string(api.getValue(work->shared, "items[2].name")) == "c" &&
             std::string(api.getRelation(api.getNodeHandle(doc, "kids[1]"),
                                         api.getNodeHandle(doc, "kids[0]"))) == "parent.kids[1]" &&
             api.getArrayNumber(doc, "kids") == 2 &&
             std::string(api.getPropNames(doc)) == "id\"pad\"" + std::string(100000, 'n') &&
             std::string(api.getValue(doc, "pad")).size() == 200000;
        ok = api.free(doc) == 1 && ok;
    }
    work->ok = ok;
    return 0;
}

// Committed private memory of the process, from a walk over its address space.
SIZE_T CommittedPrivateBytes() {
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION region;
    for (const char* at = nullptr;
         VirtualQuery(at, &region, sizeof region) == sizeof region &&
         reinterpret_cast<const char*>(region.BaseAddress) + region.RegionSize > at;
         at = reinterpret_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
    }
    return total;
}

TEST_F(VerdelDll, TwoHundredShortLivedHostThreads) {
    VerdelNode shared = api_.load(R"({"items":[{"name":"a"},{"name":"b"},{"name":"c"}]})");
    ASSERT_NE(shared, nullptr);
    SIZE_T before = CommittedPrivateBytes();
    constexpr int kThreads = 200;
    constexpr int kAtOnce = 8;
    std::vector<ThreadWork> work(kThreads);
    for (int first = 0; first < kThreads; first += kAtOnce) {
        HANDLE threads[kAtOnce];
        for (int i = 0; i < kAtOnce; ++i) {
            work[first + i] = ThreadWork{&api_, shared, first + i, false};
            threads[i] = CreateThread(nullptr, 0, &HostThread, &work[first + i], 0, nullptr);
            ASSERT_NE(threads[i], nullptr);
        }
        WaitForMultipleObjects(kAtOnce, threads, TRUE, INFINITE);
        for (HANDLE thread : threads) CloseHandle(thread);
    }
    SIZE_T after = CommittedPrivateBytes();
    int failed = 0;
    for (const ThreadWork& w : work) failed += w.ok ? 0 : 1;
    EXPECT_EQ(failed, 0);
    // Every thread left about 300 KB in its buffers (60 MB in all); kept after the threads ended,
    // they would show here.
    std::printf("committed private memory before %lu KB, after %lu KB\n",
                static_cast<unsigned long>(before / 1024),
                static_cast<unsigned long>(after / 1024));
    EXPECT_LT(after, before + 30u * 1024 * 1024);
    api_.free(shared);
}

struct Lingering {
    JsonGetValueProc getValue;
    JsonLoadProc load;
    JsonFreeProc free;
    HANDLE resultsMade;
    HANDLE mayEnd;
    bool ok;
};

DWORD WINAPI LingeringThread(void* parameter) {
    auto* lingering = static_cast<Lingering*>(parameter);
    VerdelNode doc = lingering->load(R"({"a":"value"})");
    lingering->ok = doc != nullptr && std::string(lingering->getValue(doc, "a")) == "value";
    lingering->free(doc);
    SetEvent(lingering->resultsMade);
    WaitForSingleObject(lingering->mayEnd, INFINITE);
    return 0;
}

// A host may unload the library while threads that used it live on; their buffers go with the
// library, and nothing of it is called when they end afterwards. (Runs after the suite above
// has released its own reference.)
TEST(VerdelDllUnload, ThreadsMayOutliveTheLibrary) {
    HMODULE module = LoadLibraryA(DllPath());
    ASSERT_NE(module, nullptr);
    Lingering lingering{};
    Resolve(module, "JsonGetValue", lingering.getValue);
    Resolve(module, "JsonLoad", lingering.load);
    Resolve(module, "JsonFree", lingering.free);
    lingering.resultsMade = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    lingering.mayEnd = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = CreateThread(nullptr, 0, &LingeringThread, &lingering, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    WaitForSingleObject(lingering.resultsMade, INFINITE);

    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_EQ(GetModuleHandleA("verdel.dll"), nullptr) << "the library stayed loaded";

    SetEvent(lingering.mayEnd);
    EXPECT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
    DWORD exitCode = 1;
    GetExitCodeThread(thread, &exitCode);
    EXPECT_EQ(exitCode, 0u);
    EXPECT_TRUE(lingering.ok);
    CloseHandle(thread);
    CloseHandle(lingering.resultsMade);
    CloseHandle(lingering.mayEnd);
}

}  // namespace
