#include "pixmate/shell/main_window_win.h"

#include <windows.h>

#include <commctrl.h>
#include <windowsx.h>

#include <cstdlib>
#include <cstring>

#include "pixmate/shell/text_win.h"
#include "pixmate/shell/ui_font_win.h"

namespace pixmate::win {

using namespace ui;

namespace {

constexpr int kClipboardAttempts = 10;

// What a frame or the tab control passes up to the main window: its children's notifications.
bool ForwardedToMainWindow(UINT msg) {
    return msg == WM_COMMAND || msg == WM_NOTIFY || msg == WM_HSCROLL || msg == WM_VSCROLL;
}

}  // namespace

// ---- Message boxes, clipboard, menus

void Win32MessageBoxes::ShowMessage(std::string_view text) {
    MessageBoxW(nullptr, Widen(text).c_str(), L"信息：", MB_OK | MB_TASKMODAL | MB_SETFOREGROUND);
}

bool Win32Clipboard::SetText(std::string_view text) {
    return ui_.Run([&] {
        // Another program may hold the clipboard for a moment.
        bool open = false;
        for (int attempt = 0; attempt < kClipboardAttempts && !(open = OpenClipboard(owner_));
             ++attempt)
            Sleep(10);
        if (!open) return false;
        EmptyClipboard();
        const std::wstring wide = Widen(text);
        UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE, (wide.size() + 1) * sizeof(wchar_t)));
        bool done = false;
        if (block) {
            if (void* data = GlobalLock(block.Get())) {
                std::memcpy(data, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
                GlobalUnlock(block.Get());
                // Windows makes the ANSI (CF_TEXT) form from this on request, in the reader's
                // code page. Once handed over, the block belongs to the system.
                done = SetClipboardData(CF_UNICODETEXT, block.Get()) != nullptr;
                if (done) block.Release();
            }
        }
        CloseClipboard();
        return done;
    });
}

void Win32PopupMenu::PopUpAt(Point screen) {
    ui_.Run([&] {
        // The owner must be in front, or the menu does not close when the user clicks elsewhere.
        SetForegroundWindow(owner_);
        TrackPopupMenu(menu_.Get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, screen.x,
                       screen.y, 0, owner_, nullptr);
        PostMessageW(owner_, WM_NULL, 0, 0);
    });
}

void Win32PopupMenu::PopUpAtCursor() {
    POINT p{};
    GetCursorPos(&p);
    PopUpAt({p.x, p.y});
}

// ---- The window

Win32MainWindow::Win32MainWindow(HINSTANCE instance) : instance_(instance) {}

Win32MainWindow::~Win32MainWindow() {
    // A window still there goes first, while the controls' objects behind its children and the
    // font they draw with still exist.
    window_.Reset();
    ui_.Detach();
}

bool Win32MainWindow::RegisterClasses() {
    auto registered = [](ATOM atom) {
        return atom != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    };
    WNDCLASSW main{};
    main.lpfnWndProc = Proc;
    main.hInstance = instance_;
    main.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    main.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    main.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    main.lpszClassName = kClassName;
    WNDCLASSW frame{};
    frame.lpfnWndProc = FrameProc;
    frame.hInstance = instance_;
    frame.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    frame.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    frame.lpszClassName = kFrameClassName;
    return registered(RegisterClassW(&main)) && registered(RegisterClassW(&frame)) &&
           Win32Canvas::RegisterWindowClass(instance_);
}

bool Win32MainWindow::Create() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES |
                                             ICC_TAB_CLASSES | ICC_TREEVIEW_CLASSES |
                                             ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    if (!RegisterClasses()) return false;
    font_ = CreateUiFont();
    const std::wstring title = Widen(kWindowTitle);
    HWND hwnd = CreateWindowExW(0, kClassName, title.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                kWindowPlace.left, kWindowPlace.top, kWindowPlace.width,
                                kWindowPlace.height, nullptr, nullptr, instance_, this);
    if (!hwnd) return false;
    window_.Reset(hwnd);
    return true;
}

void Win32MainWindow::Open(int showCommand) {
    opened_ = true;
    if (onCreated) onCreated();
    OnSize();
    OnMove();
    ShowWindow(hwnd_, showCommand);
    UpdateWindow(hwnd_);
}

int Win32MainWindow::RunMessageLoop() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

LRESULT CALLBACK Win32MainWindow::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* self =
            static_cast<Win32MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
        self->ui_.Attach(hwnd);
    }
    auto* self = reinterpret_cast<Win32MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return self ? self->HandleMessage(msg, wParam, lParam)
                : DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT Win32MainWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_CREATE:
            return OnCreate();
        case WM_COMMAND:
            return OnCommand(LOWORD(wParam), HIWORD(wParam));
        case WM_NOTIFY:
            return OnNotify(reinterpret_cast<NMHDR*>(lParam));
        case WM_HSCROLL:
        case WM_VSCROLL:
            return OnScroll(reinterpret_cast<HWND>(lParam), LOWORD(wParam));
        case WM_MOUSEWHEEL:
            return OnMouseWheel(wParam);
        case WM_SIZE:
            return OnSize();
        case WM_MOVE:
            return OnMove();
        case WM_CLOSE:
            return OnClose();
        case WM_DESTROY:
            return OnDestroy();
        case UiThread::kInvokeMessage:
            return UiThread::Execute(lParam);
        default:
            return DefWindowProcW(hwnd_, msg, wParam, lParam);
    }
}

LRESULT Win32MainWindow::OnCreate() {
    CreateControls();
    CreateMenus();
    return 0;
}

Win32Child* Win32MainWindow::ChildById(int id) {
    const std::int64_t index = std::int64_t{id} - kFirstControlId;
    if (index < 0 || index >= static_cast<std::int64_t>(controls_.size())) return nullptr;
    return controls_[static_cast<std::size_t>(index)].get();
}

LRESULT Win32MainWindow::OnCommand(WORD id, WORD code) {
    if (Win32Child* child = ChildById(id)) {
        child->OnCommand(code);
    } else if (auto item = items_.find(id); item != items_.end() && item->second->onSelected) {
        item->second->onSelected();
    }
    return 0;
}

LRESULT Win32MainWindow::OnNotify(NMHDR* header) {
    if (Win32Child* child = ChildById(static_cast<int>(header->idFrom));
        child && child->Hwnd() == header->hwndFrom) {
        if (std::optional<LRESULT> answer = child->OnNotify(header)) return *answer;
    }
    return DefWindowProcW(hwnd_, WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(header));
}

LRESULT Win32MainWindow::OnScroll(HWND bar, WORD code) {
    if (Win32Child* child = ChildById(GetDlgCtrlID(bar))) child->OnScroll(code);
    return 0;
}

LRESULT Win32MainWindow::OnMouseWheel(WPARAM wParam) {
    // Over the screenshot the wheel scrolls it: down and up, or sideways with Shift.
    POINT cursor{};
    GetCursorPos(&cursor);
    RECT view{};
    GetWindowRect(ChildById(ids::分组框_图.id)->Hwnd(), &view);
    if (!PtInRect(&view, cursor)) return DefWindowProcW(hwnd_, WM_MOUSEWHEEL, wParam, 0);
    const int lines = -GET_WHEEL_DELTA_WPARAM(wParam) * 3 / WHEEL_DELTA;
    const bool sideways = (GET_KEYSTATE_WPARAM(wParam) & MK_SHIFT) != 0;
    auto& bar = static_cast<Win32ScrollBar&>(
        *ChildById(sideways ? ids::横向滚动条1.id : ids::纵向滚动条1.id));
    bar.ScrollLines(lines);
    return 0;
}

LRESULT Win32MainWindow::OnSize() {
    if (opened_ && onSizeChanged) onSizeChanged();
    return 0;
}

LRESULT Win32MainWindow::OnMove() {
    if (opened_ && onPositionChanged) onPositionChanged();
    return 0;
}

LRESULT Win32MainWindow::OnClose() {
    if (onCloseRequested && !onCloseRequested()) return 0;
    DestroyWindow(hwnd_);
    return 0;
}

LRESULT Win32MainWindow::OnDestroy() {
    // Calls from other threads find no window from here on and do nothing.
    ui_.Detach();
    window_.Release();
    PostQuitMessage(0);
    return 0;
}

Size Win32MainWindow::OuterSize() const {
    return ui_.Run([this] {
        RECT r{};
        GetWindowRect(hwnd_, &r);
        return Size{r.right - r.left, r.bottom - r.top};
    });
}

WindowState Win32MainWindow::State() const {
    return ui_.Run([this] {
        if (IsIconic(hwnd_)) return WindowState::kMinimised;
        if (IsZoomed(hwnd_)) return WindowState::kMaximised;
        return WindowState::kNormal;
    });
}

void Win32MainWindow::SetState(WindowState state) {
    ui_.Run([&] {
        ShowWindow(hwnd_, state == WindowState::kMaximised   ? SW_MAXIMIZE
                          : state == WindowState::kMinimised ? SW_MINIMIZE
                                                             : SW_RESTORE);
    });
}

std::string Win32MainWindow::Title() const {
    return ui_.Run([this] { return ReadWindowText(hwnd_); });
}

Point Win32MainWindow::CursorPosition() const {
    POINT p{};
    GetCursorPos(&p);
    return {p.x, p.y};
}

Control& Win32MainWindow::ControlById(ControlId id) {
    Win32Child* child = ChildById(id);
    if (!child) std::abort();
    return child->AsControl();
}

PopupMenu& Win32MainWindow::MenuById(MenuId id) {
    auto it = menus_.find(id);
    if (it == menus_.end()) std::abort();
    return *it->second;
}

MenuItem& Win32MainWindow::MenuItemById(MenuId id) {
    auto it = items_.find(id);
    if (it == items_.end()) std::abort();
    return *it->second;
}

// ---- Containers

LRESULT CALLBACK Win32MainWindow::FrameProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (ForwardedToMainWindow(msg))
        return SendMessageW(GetAncestor(hwnd, GA_ROOT), msg, wParam, lParam);
    if (msg == WM_PAINT) {
        // A group frame without a title: an etched rectangle, its top line where a title's
        // middle would be.
        PaintScope paint(hwnd);
        RECT r{};
        GetClientRect(hwnd, &r);
        r.top += 6;
        DrawEdge(paint.Dc(), &r, EDGE_ETCHED, BF_RECT);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK Win32MainWindow::TabProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR, DWORD_PTR) {
    if (ForwardedToMainWindow(msg))
        return SendMessageW(GetAncestor(hwnd, GA_ROOT), msg, wParam, lParam);
    if (msg == WM_CTLCOLORSTATIC) {
        // Labels on a page show the page's own background, themed or not.
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetStockObject(HOLLOW_BRUSH));
    }
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

}  // namespace pixmate::win
