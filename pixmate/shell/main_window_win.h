#pragma once
// The Win32 main window: the window itself, every control of the control table at its place,
// the two pop-up menus, message boxes and the clipboard. Its procedure is a thin dispatcher:
// each message goes to one On* member, each notification to the control (or menu item) whose id
// it carries.

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "pixmate/shell/controls_win.h"
#include "pixmate/shell/gdi_win.h"
#include "pixmate/shell/ui_thread_win.h"
#include "pixmate/shell/window_layer.h"

namespace pixmate::win {

// Task-modal boxes titled "信息：" with an OK button, shown on the calling thread.
class Win32MessageBoxes : public ui::MessageBoxes {
  public:
    void ShowMessage(std::string_view text) override;
};

class Win32Clipboard : public ui::Clipboard {
  public:
    Win32Clipboard(UiThread& ui, HWND& owner) : ui_(ui), owner_(owner) {}
    bool SetText(std::string_view text) override;

  private:
    UiThread& ui_;
    HWND& owner_;
};

class Win32MenuItem : public ui::MenuItem {};

class Win32PopupMenu : public ui::PopupMenu {
  public:
    Win32PopupMenu(UiThread& ui, HWND& owner, UniqueMenu menu)
        : ui_(ui), owner_(owner), menu_(std::move(menu)) {}
    void PopUpAt(ui::Point screen) override;
    void PopUpAtCursor() override;

  private:
    UiThread& ui_;
    HWND& owner_;
    UniqueMenu menu_;
};

class Win32MainWindow : public ui::MainWindow {
  public:
    static constexpr const wchar_t* kClassName = L"PixmateMainWindow";
    static constexpr const wchar_t* kFrameClassName = L"PixmateFrame";

    explicit Win32MainWindow(HINSTANCE instance);
    ~Win32MainWindow() override;
    Win32MainWindow(const Win32MainWindow&) = delete;
    Win32MainWindow& operator=(const Win32MainWindow&) = delete;

    // Makes the window and all its controls, not yet shown and raising no event, so that the
    // program's parts can take up the controls' events. False when the window could not be made.
    bool Create();
    // Raises the created event, then the size and position events that lay the window out, and
    // shows the window.
    void Open(int showCommand);
    HWND Hwnd() const { return hwnd_; }
    // Runs the message loop until the window has closed.
    int RunMessageLoop();

    ui::Size OuterSize() const override;
    ui::WindowState State() const override;
    void SetState(ui::WindowState state) override;
    std::string Title() const override;
    ui::Point CursorPosition() const override;
    ui::MessageBoxes& Messages() override { return messages_; }
    ui::Clipboard& SystemClipboard() override { return clipboard_; }

  protected:
    ui::Control& ControlById(ui::ControlId id) override;
    ui::PopupMenu& MenuById(ui::MenuId id) override;
    ui::MenuItem& MenuItemById(ui::MenuId id) override;

  private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK TabProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                    DWORD_PTR);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    LRESULT OnCreate();
    LRESULT OnCommand(WORD id, WORD code);
    LRESULT OnNotify(NMHDR* header);
    LRESULT OnScroll(HWND bar, WORD code);
    LRESULT OnMouseWheel(WPARAM wParam);
    LRESULT OnSize();
    LRESULT OnMove();
    LRESULT OnClose();
    LRESULT OnDestroy();

    bool RegisterClasses();
    void CreateControls();
    void CreateMenus();
    Win32Child* ChildById(int id);

    HINSTANCE instance_;
    HWND hwnd_ = nullptr;  // owned through window_ once created
    bool opened_ = false;  // events are raised from Open on
    UniqueWindow window_;
    mutable UiThread ui_;
    UniqueFont font_;
    std::vector<std::unique_ptr<Win32Child>> controls_;  // index: id - kFirstControlId
    std::map<ui::MenuId, std::unique_ptr<Win32PopupMenu>> menus_;
    std::map<ui::MenuId, std::unique_ptr<Win32MenuItem>> items_;
    Win32MessageBoxes messages_;
    Win32Clipboard clipboard_{ui_, hwnd_};
};

}  // namespace pixmate::win
