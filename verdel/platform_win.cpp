#include <windows.h>

#include "verdel/platform.h"

namespace verdel {

std::uint32_t PlatformTickCount() {
    return GetTickCount();
}

void PlatformDebugOutput(const char* text) {
    OutputDebugStringA(text);
}

}  // namespace verdel
