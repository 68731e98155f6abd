// The two services the portable core takes from the operating system. platform.cpp serves
// builds other than Windows; platform_win.cpp serves Windows.
#pragma once

#include <cstdint>

namespace verdel {

// Milliseconds since some fixed point, wrapping at 2^32 (GetTickCount on Windows).
std::uint32_t PlatformTickCount();

// Hands one debug line to the platform's debugger output (OutputDebugStringA on Windows, which
// reads it as ANSI text; elsewhere the line is dropped).
void PlatformDebugOutput(const char* text);

}  // namespace verdel
