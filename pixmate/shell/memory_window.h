#pragma once
// In-memory window layer: holds the state the Win32 controls would hold, so the program's logic
// runs and is tested without a window system. Built from the same control table as the Win32
// window. Thread-safe like the real controls (canvases excepted, as there).
//
// The User* functions stand for what a user does: they change the state as the window system
// would and raise the event that the real window raises.

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "pixmate/shell/scroll_range.h"
#include "pixmate/shell/window_layer.h"

namespace pixmate::ui {

// Place, enabled and visible state shared by every in-memory control.
template <typename Base>
class MemoryControl : public Base {
  public:
    Rect Bounds() const override {
        std::lock_guard lock(mutex_);
        return bounds_;
    }
    void SetBounds(const Rect& bounds) override {
        std::lock_guard lock(mutex_);
        bounds_ = bounds;
    }
    bool Enabled() const override {
        std::lock_guard lock(mutex_);
        return enabled_;
    }
    void SetEnabled(bool enabled) override {
        std::lock_guard lock(mutex_);
        enabled_ = enabled;
    }
    bool Visible() const override {
        std::lock_guard lock(mutex_);
        return visible_;
    }
    void SetVisible(bool visible) override {
        std::lock_guard lock(mutex_);
        visible_ = visible;
    }

  protected:
    mutable std::mutex mutex_;

  private:
    Rect bounds_;
    bool enabled_ = true;
    bool visible_ = true;
};

class MemoryLabel : public MemoryControl<Label> {
  public:
    std::string Caption() const override;
    void SetCaption(std::string_view caption) override;

  private:
    std::string caption_;
};

class MemoryEditBox : public MemoryControl<EditBox> {
  public:
    std::string Text() const override;
    void SetText(std::string_view text) override;
    // Typing replaces the text; no event.
    void UserTypes(std::string_view text) { SetText(text); }

  private:
    std::string text_;
};

class MemoryButton : public MemoryControl<Button> {
  public:
    // A disabled button does not react.
    void UserClicks();
};

class MemoryRadioButton : public MemoryControl<RadioButton> {
  public:
    bool Checked() const override;
    void SetChecked(bool checked) override;
    // Ticks the button (unticking its group) and raises the click, as a real click does.
    void UserClicks();
    void SetGroup(std::vector<MemoryRadioButton*> others) { others_ = std::move(others); }

  private:
    void SetCheckedAlone(bool checked);
    bool checked_ = false;
    std::vector<MemoryRadioButton*> others_;
};

class MemoryGroupBox : public MemoryControl<GroupBox> {};
class MemoryTreeView : public MemoryControl<TreeView> {};

class MemoryTabControl : public MemoryControl<TabControl> {
  public:
    std::int32_t CurrentPage() const override;
    void SetCurrentPage(std::int32_t page) override;
    std::int32_t PageCount() const override;
    void SetPages(std::int32_t count, std::vector<std::pair<std::int32_t, Control*>> pageControls);

  private:
    std::int32_t current_ = 0;
    std::int32_t count_ = 0;
    std::vector<std::pair<std::int32_t, Control*>> pageControls_;
};

class MemoryComboBox : public MemoryControl<ComboBox> {
  public:
    std::int32_t SelectedRow() const override;
    void SetSelectedRow(std::int32_t row) override;
    void RemoveAllItems() override;
    void AddItem(std::string_view text, std::int32_t value) override;
    std::int32_t ItemCount() const override;
    std::string ItemText(std::int32_t row) const override;
    std::int32_t ItemValue(std::int32_t row) const override;

    // What a user's pick does: select the row, then raise the event.
    void UserSelects(std::int32_t row);

  private:
    std::vector<std::pair<std::string, std::int32_t>> items_;
    std::int32_t selected_ = kNoRow;
};

class MemoryListView : public MemoryControl<ListView> {
  public:
    explicit MemoryListView(std::int32_t columns = 1) : columns_(columns) {}

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
    CellColours DefaultColours() const override { return {0x000000, 0xFFFFFF}; }
    void Repaint() override;

    // The colours a cell is drawn in, as the real list asks for them.
    CellColours DrawnColours(std::int32_t row, std::int32_t column) const;
    int RepaintCount() const;
    void UserRightClicks();
    void UserTicks(std::int32_t row, bool checked) { SetRowChecked(row, checked); }

  private:
    struct Row {
        std::vector<std::string> cells;
        bool checked = false;
    };
    bool ValidRow(std::int32_t row) const {
        return row >= 0 && row < static_cast<std::int32_t>(rows_.size());
    }

    std::int32_t columns_;
    std::vector<Row> rows_;
    std::int32_t selected_ = kNoRow;
    int repaints_ = 0;
};

class MemoryCanvas : public MemoryControl<Canvas> {
  public:
    void SetBounds(const Rect& bounds) override;
    int RedrawCount() const { return redraws_; }

    void UserLeftDown(Point p) {
        if (onLeftDown) onLeftDown(p);
    }
    void UserLeftUp(Point p) {
        if (onLeftUp) onLeftUp(p);
    }
    void UserRightDown(Point p) {
        if (onRightDown) onRightDown(p);
    }
    void UserMovesMouse(Point p) {
        if (onMouseMove) onMouseMove(p);
    }

  protected:
    void Redraw() override { ++redraws_; }

  private:
    int redraws_ = 0;
};

class MemoryScrollBar : public MemoryControl<ScrollBar> {
  public:
    MemoryScrollBar();
    std::int32_t Position() const override;
    void SetPosition(std::int32_t position) override;
    std::int32_t Maximum() const override;
    void SetMaximum(std::int32_t maximum) override;
    void SetPageSize(std::int32_t pageSize) override;
    std::int32_t PageSize() const;

    // Drags the thumb to a position (clamped) and raises the event; a disabled bar does not move.
    void UserScrolls(std::int32_t position);

  private:
    ScrollRange range_;
};

// Records every message. Tests may hold boxes open (HoldBoxes) to see what a modal box blocks;
// ReleaseBoxes closes them all.
class MemoryMessageBoxes : public MessageBoxes {
  public:
    void ShowMessage(std::string_view text) override;

    std::vector<std::string> Shown() const;
    void HoldBoxes();
    void ReleaseBoxes();
    // Waits until at least count boxes have been shown; false after the timeout.
    bool WaitForCount(std::size_t count, int timeoutMs) const;

  private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<std::string> shown_;
    bool hold_ = false;
};

class MemoryClipboard : public Clipboard {
  public:
    bool SetText(std::string_view text) override;
    std::string Text() const;
    // Another program holds the clipboard: SetText fails and changes nothing.
    void SetBusy(bool busy);

  private:
    mutable std::mutex mutex_;
    std::string text_;
    bool busy_ = false;
};

class MemoryMenuItem : public MenuItem {};

class MemoryPopupMenu : public PopupMenu {
  public:
    explicit MemoryPopupMenu(const MainWindow& window) : window_(window) {}
    void PopUpAt(Point screen) override;
    void PopUpAtCursor() override;
    // Screen points where the menu was popped up, oldest first.
    std::vector<Point> PopUps() const;

  private:
    const MainWindow& window_;
    mutable std::mutex mutex_;
    std::vector<Point> popUps_;
};

template <typename T>
struct MemoryTypeOf;
template <>
struct MemoryTypeOf<Label> {
    using type = MemoryLabel;
};
template <>
struct MemoryTypeOf<EditBox> {
    using type = MemoryEditBox;
};
template <>
struct MemoryTypeOf<Button> {
    using type = MemoryButton;
};
template <>
struct MemoryTypeOf<RadioButton> {
    using type = MemoryRadioButton;
};
template <>
struct MemoryTypeOf<GroupBox> {
    using type = MemoryGroupBox;
};
template <>
struct MemoryTypeOf<TabControl> {
    using type = MemoryTabControl;
};
template <>
struct MemoryTypeOf<ComboBox> {
    using type = MemoryComboBox;
};
template <>
struct MemoryTypeOf<ListView> {
    using type = MemoryListView;
};
template <>
struct MemoryTypeOf<Canvas> {
    using type = MemoryCanvas;
};
template <>
struct MemoryTypeOf<ScrollBar> {
    using type = MemoryScrollBar;
};
template <>
struct MemoryTypeOf<TreeView> {
    using type = MemoryTreeView;
};

// The main window with every control of the table in its start-up state. Outer size 1064 x 768
// until resized; maximised it takes the screen's work area.
class MemoryMainWindow : public MainWindow {
  public:
    static constexpr Size kDefaultWorkArea{1920, 1040};
    static constexpr Size kMinimisedSize{160, 28};

    MemoryMainWindow();
    ~MemoryMainWindow() override;

    Size OuterSize() const override;
    WindowState State() const override;
    // Changing the state changes the size and raises the size and position events, as the
    // window system does.
    void SetState(WindowState state) override;
    std::string Title() const override { return std::string(kWindowTitle); }
    Point CursorPosition() const override;
    MemoryMessageBoxes& Messages() override { return messages_; }
    MemoryClipboard& SystemClipboard() override { return clipboard_; }

    // The in-memory control behind a typed id, with its User* helpers.
    template <typename T>
    typename MemoryTypeOf<T>::type& Memory(ControlRef<T> control) {
        return static_cast<typename MemoryTypeOf<T>::type&>(ControlById(control.id));
    }
    MemoryPopupMenu& Memory(MenuRef menu) {
        return static_cast<MemoryPopupMenu&>(MenuById(menu.id));
    }

    // As the real window opens: the created event, then the size and position events that lay it
    // out.
    void Open();
    void UserResizes(Size outer);
    void UserMaximises() { SetState(WindowState::kMaximised); }
    void UserMinimises() { SetState(WindowState::kMinimised); }
    void UserRestores() { SetState(WindowState::kNormal); }
    // True when the window closed.
    bool UserRequestsClose();
    bool Closed() const { return closed_; }
    void UserChooses(MenuItemRef item);
    void SetCursorPosition(Point screen);
    void SetWorkArea(Size area) { workArea_ = area; }

  protected:
    Control& ControlById(ControlId id) override;
    PopupMenu& MenuById(MenuId id) override;
    MenuItem& MenuItemById(MenuId id) override;

  private:
    void RaiseSizeAndPosition();

    std::vector<std::unique_ptr<Control>> controls_;  // index: id - kFirstControlId
    std::map<MenuId, std::unique_ptr<MemoryPopupMenu>> menus_;
    std::map<MenuId, std::unique_ptr<MemoryMenuItem>> items_;
    MemoryMessageBoxes messages_;
    MemoryClipboard clipboard_;

    mutable std::mutex mutex_;
    Size normalSize_{kWindowPlace.width, kWindowPlace.height};
    Size workArea_ = kDefaultWorkArea;
    WindowState state_ = WindowState::kNormal;
    Point cursor_;
    bool closed_ = false;
};

}  // namespace pixmate::ui
