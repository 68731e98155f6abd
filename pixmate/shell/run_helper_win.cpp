// pixmate-run-helper.exe: what scripts/run does to Pixmate's window from outside, for the
// screenshot a newcomer sees:
//
//   pixmate-run-helper [--desktop NAME] show-phones [SECONDS]
//       wait until the device box lists a phone, then drop its list down (exit 1 after
//       SECONDS, default 60)
//   pixmate-run-helper [--desktop NAME] hide-phones
//       fold the list up again
//
// --desktop: Pixmate runs on that (Wine virtual) desktop.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cwchar>
#include <string>

#include "pixmate/shell/control_table.h"
#include "pixmate/shell/window_search_win.h"

namespace {

HWND DeviceBox() {
    HWND window = FindWindowW(L"PixmateMainWindow", nullptr);
    return window ? pixmate::win::FindDescendant(window, pixmate::ui::ids::组合框_手机列表.id)
                  : nullptr;
}

int ShowPhones(int seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    for (;;) {
        HWND box = DeviceBox();
        if (box && SendMessageW(box, CB_GETCOUNT, 0, 0) > 0) {
            SendMessageW(box, CB_SHOWDROPDOWN, TRUE, 0);
            return 0;
        }
        if (std::chrono::steady_clock::now() > end) {
            std::fprintf(stderr, "pixmate-run-helper: no phone listed after %d s\n", seconds);
            return 1;
        }
        Sleep(100);
    }
}

int HidePhones() {
    if (HWND box = DeviceBox()) SendMessageW(box, CB_SHOWDROPDOWN, FALSE, 0);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    int next = 1;
    if (argc > 2 && std::wstring(argv[1]) == L"--desktop") {
        HDESK desktop = OpenDesktopW(argv[2], 0, FALSE, GENERIC_ALL);
        if (!desktop || !SetThreadDesktop(desktop)) {
            std::fprintf(stderr, "pixmate-run-helper: no desktop %ls\n", argv[2]);
            return 2;
        }
        next = 3;
    }
    const std::wstring command = argc > next ? argv[next] : L"";
    if (command == L"show-phones") {
        return ShowPhones(argc > next + 1 ? std::wcstol(argv[next + 1], nullptr, 10) : 60);
    }
    if (command == L"hide-phones") return HidePhones();
    std::fprintf(
        stderr, "usage: pixmate-run-helper [--desktop NAME] show-phones [SECONDS] | hide-phones\n");
    return 2;
}
