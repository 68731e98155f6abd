#include "verdel/diagnostics.h"

#include <atomic>
#include <cstdarg>
#include <cstdint>
#include <cstdio>

#include "verdel/platform.h"

namespace verdel {

namespace {

std::atomic<DebugSink> debugSink{nullptr};
std::atomic<TickSource> tickSource{nullptr};

}  // namespace

void DebugPrint(const char* format, ...) {
    char line[kDebugLineMax + 2];
    va_list args;
    va_start(args, format);
    int written = std::vsnprintf(line, kDebugLineMax + 1, format, args);
    va_end(args);
    if (written < 0) return;
    DebugSink sink = debugSink.load(std::memory_order_acquire);
    if (sink != nullptr) {
        sink(line);
    } else {
        PlatformDebugOutput(line);
    }
}

DebugSink SetDebugSink(DebugSink sink) {
    return debugSink.exchange(sink);
}

unsigned HandleBits(const void* handle) {
    return static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(handle));
}

std::uint32_t TickCount() {
    TickSource source = tickSource.load(std::memory_order_acquire);
    return source != nullptr ? source() : PlatformTickCount();
}

TickSource SetTickSource(TickSource source) {
    return tickSource.exchange(source);
}

}  // namespace verdel
