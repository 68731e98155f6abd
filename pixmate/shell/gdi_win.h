#pragma once
// RAII owners for the Win32 handles the window layer makes. Copy is deleted, move allowed.
// Child windows are owned by their parent window (destroyed with it), so only top-level windows
// get a UniqueWindow.

#include <windows.h>

#include <utility>

namespace pixmate::win {

template <typename Handle, typename Traits>
class UniqueHandle {
  public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, Handle{})) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset();
            handle_ = std::exchange(other.handle_, Handle{});
        }
        return *this;
    }

    Handle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != Handle{}; }
    Handle Release() { return std::exchange(handle_, Handle{}); }
    void Reset(Handle handle = Handle{}) {
        if (handle_ != Handle{}) Traits::Close(handle_);
        handle_ = handle;
    }

  private:
    Handle handle_{};
};

struct WindowTraits {
    static void Close(HWND h) { DestroyWindow(h); }
};
struct GdiTraits {
    static void Close(HGDIOBJ h) { DeleteObject(h); }
};
struct MenuTraits {
    static void Close(HMENU h) { DestroyMenu(h); }
};
struct MemoryDcTraits {
    static void Close(HDC h) { DeleteDC(h); }
};
struct GlobalTraits {
    static void Close(HGLOBAL h) { GlobalFree(h); }
};

using UniqueWindow = UniqueHandle<HWND, WindowTraits>;
using UniqueMenu = UniqueHandle<HMENU, MenuTraits>;
using UniqueMemoryDc = UniqueHandle<HDC, MemoryDcTraits>;
using UniqueGlobal = UniqueHandle<HGLOBAL, GlobalTraits>;
template <typename GdiHandle>
using UniqueGdi = UniqueHandle<GdiHandle, GdiTraits>;
using UniqueFont = UniqueGdi<HFONT>;
using UniqueBitmap = UniqueGdi<HBITMAP>;
using UniqueBrush = UniqueGdi<HBRUSH>;

// GetDC / ReleaseDC.
class WindowDc {
  public:
    explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    ~WindowDc() {
        if (dc_) ReleaseDC(hwnd_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC Get() const { return dc_; }

  private:
    HWND hwnd_;
    HDC dc_;
};

// BeginPaint / EndPaint.
class PaintScope {
  public:
    explicit PaintScope(HWND hwnd) : hwnd_(hwnd) { dc_ = BeginPaint(hwnd, &ps_); }
    ~PaintScope() { EndPaint(hwnd_, &ps_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC Dc() const { return dc_; }
    const RECT& Area() const { return ps_.rcPaint; }

  private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

// SelectObject, undone when the scope ends.
class SelectScope {
  public:
    SelectScope(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~SelectScope() { SelectObject(dc_, previous_); }
    SelectScope(const SelectScope&) = delete;
    SelectScope& operator=(const SelectScope&) = delete;

  private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace pixmate::win
