// Helpers shared by the core tests: reading debug lines, a clock that tests set, owned documents.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "verdel.h"
#include "verdel/diagnostics.h"

namespace verdel::testing {

// Collects the debug lines written while it lives (from any thread).
class DebugCapture {
  public:
    DebugCapture() {
        std::lock_guard lock(Mutex());
        Lines().clear();
        previous_ = SetDebugSink(&Collect);
    }
    ~DebugCapture() { SetDebugSink(previous_); }
    DebugCapture(const DebugCapture&) = delete;
    DebugCapture& operator=(const DebugCapture&) = delete;

    std::vector<std::string> lines() const {
        std::lock_guard lock(Mutex());
        return Lines();
    }

  private:
    static std::mutex& Mutex() {
        static std::mutex mutex;
        return mutex;
    }
    static std::vector<std::string>& Lines() {
        static std::vector<std::string> lines;
        return lines;
    }
    static void Collect(const char* line) {
        std::lock_guard lock(Mutex());
        Lines().push_back(line);
    }

    DebugSink previous_;
};

// Replaces the clock with a list of readings, given out in turn.
class FakeClock {
  public:
    explicit FakeClock(std::vector<std::uint32_t> readings) {
        Readings() = std::move(readings);
        previous_ = SetTickSource(&Next);
    }
    ~FakeClock() { SetTickSource(previous_); }
    FakeClock(const FakeClock&) = delete;
    FakeClock& operator=(const FakeClock&) = delete;

  private:
    static std::vector<std::uint32_t>& Readings() {
        static std::vector<std::uint32_t> readings;
        return readings;
    }
    static std::uint32_t Next() {
        auto& readings = Readings();
        if (readings.empty()) return 0;
        std::uint32_t value = readings.front();
        readings.erase(readings.begin());
        return value;
    }

    TickSource previous_;
};

struct DocumentFree {
    void operator()(VerdelNode_* document) const { JsonFree(document); }
};
using OwnedDocument = std::unique_ptr<VerdelNode_, DocumentFree>;

inline OwnedDocument Load(const std::string& text) {
    return OwnedDocument(JsonLoad(text.c_str()));
}

// JsonGetValue, or "<null>" when the path names nothing (JsonGetValue would give "").
inline std::string ValueOrNull(VerdelNode node, const char* path) {
    if (JsonGetNodeHandle(node, path) == nullptr) return "<null>";
    return JsonGetValue(node, path);
}

}  // namespace verdel::testing
