#include "verdel/platform.h"

#include <chrono>

namespace verdel {

std::uint32_t PlatformTickCount() {
    auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

// No debugger channel here; tests read the lines through SetDebugSink.
void PlatformDebugOutput(const char*) {}

}  // namespace verdel
