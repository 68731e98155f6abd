// Pixmate.exe: start-up, message loop, end-of-program release.
#include <windows.h>

#include <cwchar>
#include <utility>

#include "pixmate/shell/app.h"
#include "pixmate/shell/main_window_win.h"

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

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    using namespace pixmate;

    win::Win32MainWindow window(instance);
    if (!window.Create()) return 1;
    App::Options options;
    options.port = ServerPort();
    App app(window, std::move(options));
    window.Open(show);
    const int exitCode = window.RunMessageLoop();
    // The window is gone: calls from the link's threads into it return at once from here on.
    app.Release();
    return exitCode;
}
