#pragma once
// Runs window-layer operations on the UI thread. A call from another thread is carried out by
// the UI thread while the caller waits (SendMessage), so control state is only ever touched by
// one thread; a call on the UI thread runs at once. Once the window is gone, calls from other
// threads do nothing and return the default value.

#include <windows.h>

#include <atomic>
#include <functional>
#include <type_traits>

namespace pixmate::win {

class UiThread {
  public:
    static constexpr UINT kInvokeMessage = WM_APP + 1;

    // The window whose procedure runs the calls (it must answer kInvokeMessage with Execute),
    // on the thread calling Attach.
    void Attach(HWND target) {
        threadId_ = GetCurrentThreadId();
        target_.store(target);
    }
    void Detach() { target_.store(nullptr); }
    bool OnUiThread() const { return GetCurrentThreadId() == threadId_; }

    template <typename F>
    auto Run(F&& f) -> std::invoke_result_t<F&> {
        using Result = std::invoke_result_t<F&>;
        if (OnUiThread()) return f();
        HWND target = target_.load();
        if constexpr (std::is_void_v<Result>) {
            if (!target) return;
            std::function<void()> job = [&] { f(); };
            SendMessageW(target, kInvokeMessage, 0, reinterpret_cast<LPARAM>(&job));
        } else {
            Result result{};
            if (!target) return result;
            std::function<void()> job = [&] { result = f(); };
            SendMessageW(target, kInvokeMessage, 0, reinterpret_cast<LPARAM>(&job));
            return result;
        }
    }

    static LRESULT Execute(LPARAM job) {
        (*reinterpret_cast<std::function<void()>*>(job))();
        return 0;
    }

  private:
    DWORD threadId_ = 0;
    std::atomic<HWND> target_{nullptr};
};

}  // namespace pixmate::win
