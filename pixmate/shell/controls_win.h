#pragma once
// Win32 controls behind the window layer's interfaces. Every operation runs on the UI thread
// (UiThread::Run); notifications reach a control through the main window's procedure, which
// hands each one to the control it came from as a typed call (OnCommand, OnNotify, OnScroll).

#include <windows.h>

#include <commctrl.h>

#include <optional>
#include <utility>
#include <vector>

#include "pixmate/shell/scroll_range.h"
#include "pixmate/shell/ui_thread_win.h"
#include "pixmate/shell/window_layer.h"

namespace pixmate::win {

class Win32Child {
  public:
    virtual ~Win32Child() = default;
    virtual ui::Control& AsControl() = 0;
    virtual HWND Hwnd() const = 0;
    virtual void OnCommand(WORD code) {}
    virtual std::optional<LRESULT> OnNotify(NMHDR* header) { return std::nullopt; }
    virtual void OnScroll(WORD code) {}
};

// Place, enabled and visible state of a child window.
template <typename Base>
class Win32Control : public Base, public Win32Child {
  public:
    Win32Control(HWND hwnd, UiThread& ui) : hwnd_(hwnd), ui_(ui) {}

    ui::Rect Bounds() const override {
        return ui_.Run([this] {
            RECT r{};
            GetWindowRect(hwnd_, &r);
            MapWindowPoints(HWND_DESKTOP, GetParent(hwnd_), reinterpret_cast<POINT*>(&r), 2);
            return ui::Rect{r.left, r.top, r.right - r.left, r.bottom - r.top};
        });
    }
    void SetBounds(const ui::Rect& b) override {
        ui_.Run([&] { MoveTo(b); });
    }
    bool Enabled() const override {
        return ui_.Run([this] { return IsWindowEnabled(hwnd_) != FALSE; });
    }
    void SetEnabled(bool enabled) override {
        ui_.Run([&] { EnableWindow(hwnd_, enabled); });
    }
    // The control's own flag, whatever its containers show.
    bool Visible() const override {
        return ui_.Run([this] { return (GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0; });
    }
    void SetVisible(bool visible) override {
        ui_.Run([&] { ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE); });
    }

    ui::Control& AsControl() override { return *this; }
    HWND Hwnd() const override { return hwnd_; }

  protected:
    void MoveTo(const ui::Rect& b) {
        SetWindowPos(hwnd_, nullptr, b.left, b.top, b.width, b.height,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    }

    HWND hwnd_;
    UiThread& ui_;
};

// The text of a window, any length.
std::string ReadWindowText(HWND hwnd);
void WriteWindowText(HWND hwnd, std::string_view text);

class Win32Label : public Win32Control<ui::Label> {
  public:
    using Win32Control::Win32Control;
    std::string Caption() const override;
    void SetCaption(std::string_view caption) override;
};

class Win32EditBox : public Win32Control<ui::EditBox> {
  public:
    using Win32Control::Win32Control;
    std::string Text() const override;
    void SetText(std::string_view text) override;
};

class Win32Button : public Win32Control<ui::Button> {
  public:
    using Win32Control::Win32Control;
    void OnCommand(WORD code) override;
};

class Win32RadioButton : public Win32Control<ui::RadioButton> {
  public:
    using Win32Control::Win32Control;
    bool Checked() const override;
    void SetChecked(bool checked) override;
    void OnCommand(WORD code) override;
    void SetGroup(std::vector<Win32RadioButton*> others) { others_ = std::move(others); }

  private:
    void Tick();
    std::vector<Win32RadioButton*> others_;
};

class Win32GroupBox : public Win32Control<ui::GroupBox> {
  public:
    using Win32Control::Win32Control;
};

class Win32TreeView : public Win32Control<ui::TreeView> {
  public:
    using Win32Control::Win32Control;
};

class Win32TabControl : public Win32Control<ui::TabControl> {
  public:
    using Win32Control::Win32Control;
    std::int32_t CurrentPage() const override;
    void SetCurrentPage(std::int32_t page) override;
    std::int32_t PageCount() const override;
    std::optional<LRESULT> OnNotify(NMHDR* header) override;
    void SetPageControls(std::vector<std::pair<std::int32_t, HWND>> controls);

  private:
    void ShowPage(std::int32_t page);
    std::vector<std::pair<std::int32_t, HWND>> pageControls_;
};

class Win32ComboBox : public Win32Control<ui::ComboBox> {
  public:
    using Win32Control::Win32Control;
    std::int32_t SelectedRow() const override;
    void SetSelectedRow(std::int32_t row) override;
    void RemoveAllItems() override;
    void AddItem(std::string_view text, std::int32_t value) override;
    std::int32_t ItemCount() const override;
    std::string ItemText(std::int32_t row) const override;
    std::int32_t ItemValue(std::int32_t row) const override;
    void OnCommand(WORD code) override;
};

class Win32ListView : public Win32Control<ui::ListView> {
  public:
    using Win32Control::Win32Control;
    std::int32_t RowCount() const override;
    std::int32_t ColumnCount() const override;
    std::int32_t InsertRow(std::int32_t row, std::string_view firstCell) override;
    bool DeleteRow(std::int32_t row) override;
    void DeleteAllRows() override;
    std::string CellText(std::int32_t row, std::int32_t column) const override;
    bool SetCellText(std::int32_t row, std::int32_t column, std::string_view text) override;
    bool RowChecked(std::int32_t row) const override;
    bool SetRowChecked(std::int32_t row, bool checked) override;
    std::int32_t SelectedRow() const override;
    void SetSelectedRow(std::int32_t row) override;
    ui::CellColours DefaultColours() const override;
    void Repaint() override;
    std::optional<LRESULT> OnNotify(NMHDR* header) override;

  private:
    bool ValidCell(std::int32_t row, std::int32_t column) const;
    LRESULT OnCustomDraw(NMLVCUSTOMDRAW* draw);
};

class Win32ScrollBar : public Win32Control<ui::ScrollBar> {
  public:
    static constexpr std::int32_t kLineStep = 20;

    Win32ScrollBar(HWND hwnd, UiThread& ui);
    std::int32_t Position() const override;
    void SetPosition(std::int32_t position) override;
    std::int32_t Maximum() const override;
    void SetMaximum(std::int32_t maximum) override;
    void SetPageSize(std::int32_t pageSize) override;
    void OnScroll(WORD code) override;
    // Scrolls by a number of lines (negative: towards 0), as the user does with the wheel.
    void ScrollLines(std::int32_t lines);

  private:
    void Apply();
    void MoveByUser(std::int32_t position);
    ui::ScrollRange range_;
};

// The canvas window only shows the PixelCanvas and reports the mouse.
class Win32Canvas : public Win32Control<ui::Canvas> {
  public:
    static constexpr const wchar_t* kClassName = L"PixmateCanvas";
    static bool RegisterWindowClass(HINSTANCE instance);

    Win32Canvas(HWND hwnd, UiThread& ui);
    void SetBounds(const ui::Rect& bounds) override;

  protected:
    void Redraw() override;

  private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnPaint();
    LRESULT OnMouse(UINT msg, LPARAM lParam);
};

}  // namespace pixmate::win
