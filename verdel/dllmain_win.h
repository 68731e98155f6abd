// The library's own module, for window creation and resources.
#pragma once

#include <windows.h>

namespace verdel {

// Set when the library is attached to a process.
HINSTANCE ModuleInstance();

}  // namespace verdel
