#pragma once
// Finding Pixmate's windows from outside (tests, the run helper): a descendant by control id, a
// program's top-level window by class.

#include <windows.h>

#include <string>

namespace pixmate::win {

inline HWND FindDescendant(HWND root, int id) {
    struct Search {
        int id;
        HWND found;
    } search{id, nullptr};
    EnumChildWindows(
        root,
        [](HWND hwnd, LPARAM p) -> BOOL CALLBACK {
            auto* s = reinterpret_cast<Search*>(p);
            if (GetDlgCtrlID(hwnd) != s->id) return TRUE;
            s->found = hwnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The visible top-level window of the given class that belongs to the process; null if none.
inline HWND FindProcessWindow(DWORD processId, const wchar_t* className) {
    struct Search {
        DWORD processId;
        const wchar_t* className;
        HWND found;
    } search{processId, className, nullptr};
    EnumWindows(
        [](HWND hwnd, LPARAM p) -> BOOL CALLBACK {
            auto* s = reinterpret_cast<Search*>(p);
            DWORD owner = 0;
            GetWindowThreadProcessId(hwnd, &owner);
            wchar_t name[64] = {};
            GetClassNameW(hwnd, name, 64);
            if (owner != s->processId || std::wstring(name) != s->className ||
                !IsWindowVisible(hwnd))
                return TRUE;
            s->found = hwnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace pixmate::win
