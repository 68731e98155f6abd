#include "verdel/dllmain_win.h"

namespace verdel {
namespace {

HINSTANCE moduleInstance = nullptr;

}  // namespace

HINSTANCE ModuleInstance() {
    return moduleInstance;
}

}  // namespace verdel

// Nothing here needs per-thread notifications: the result buffers live in fiber local storage,
// whose callback frees them as each thread ends.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        verdel::moduleInstance = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}
