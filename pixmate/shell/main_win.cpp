// Pixmate.exe: start-up, message loop, end-of-program release.
#include <windows.h>

#include <cwchar>
#include <cwctype>

#include "pixmate/shell/canvas_layout.h"
#include "pixmate/shell/host_address.h"
#include "pixmate/shell/main_window_win.h"
#include "pixmate/shell/process_state.h"
#include "pixmate/shell/program.h"

namespace {

// The program has no command line or settings for users. Tests that run several copies at once
// give each its own port through this variable; nothing else reads it.
constexpr const wchar_t* kTestPortVariable = L"PIXMATE_TEST_PORT";

std::uint16_t ServerPort() {
    wchar_t text[16] = {};
    const DWORD n = GetEnvironmentVariableW(kTestPortVariable, text, 16);
    if (n == 0 || n >= 16) return pixmate::kServerPort;
    wchar_t* end = nullptr;
    const long port = std::wcstol(text, &end, 10);
    if (*end != L'\0' || port < 1 || port > 65535) return pixmate::kServerPort;
    return static_cast<std::uint16_t>(port);
}

// Stands in for the phone link until it is wired in.
class NoPhoneLink : public pixmate::PhoneLink {
  public:
    void CreateRegistryLock() override {}
    bool StartServer(std::uint16_t) override { return false; }
    void StopServer() override {}
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    using namespace pixmate;

    // Process-wide state, in the order it is made (and released).
    ProcessState state;
    CanvasGeometry& geometry = state.Create<CanvasGeometry>();
    NoPhoneLink link;

    win::Win32MainWindow window(instance);
    if (!window.Create()) return 1;
    CanvasLayout layout(window, geometry);
    Program program(window, {link, [] { return HostIPv4Addresses(); }, {}, ServerPort()});
    window.Open(show);
    const int exitCode = window.RunMessageLoop();

    ReleaseAtEnd(link, state);
    return exitCode;
}
