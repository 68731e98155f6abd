#pragma once
// The window layer: what the program's features need of the main window and its controls, as
// portable interfaces. The Win32 implementation (*_win.cpp) wraps real controls; the in-memory
// one (memory_window.h) holds the same state for unit tests. Texts are UTF-8.
//
// Threads: every operation may be called from any thread. The Win32 implementation carries it
// out on the UI thread while the caller waits (as SendMessage does), so a caller on another
// thread waits while the UI thread is busy; a caller must therefore not hold a lock that the UI
// thread may be waiting for. Canvases are the exception: they are used on the UI thread only.
// Events are raised on the UI thread, and an operation called from inside an event handler
// never raises an event itself: events come from the user.
//
// Every event is one std::function, set by the one part of the program that handles it.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "pixmate/image/picture.h"
#include "pixmate/shell/control_table.h"
#include "pixmate/shell/pixel_canvas.h"

namespace pixmate::ui {

// Place and state every control has. Positions are relative to the containing control.
class Control {
  public:
    virtual ~Control() = default;
    virtual Rect Bounds() const = 0;
    virtual void SetBounds(const Rect& bounds) = 0;
    virtual bool Enabled() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual bool Visible() const = 0;
    virtual void SetVisible(bool visible) = 0;

    std::int32_t Left() const { return Bounds().left; }
    std::int32_t Top() const { return Bounds().top; }
    std::int32_t Width() const { return Bounds().width; }
    std::int32_t Height() const { return Bounds().height; }
    void SetLeft(std::int32_t left);
    void SetTop(std::int32_t top);
    void SetWidth(std::int32_t width);
    void SetHeight(std::int32_t height);
};

class Label : public Control {
  public:
    virtual std::string Caption() const = 0;
    virtual void SetCaption(std::string_view caption) = 0;
};

class EditBox : public Control {
  public:
    virtual std::string Text() const = 0;
    virtual void SetText(std::string_view text) = 0;
};

class Button : public Control {
  public:
    std::function<void()> onClicked;
};

// Radio buttons with the same containing control form one group: ticking one unticks the others,
// whether the user clicks it or the program ticks it.
class RadioButton : public Control {
  public:
    virtual bool Checked() const = 0;
    virtual void SetChecked(bool checked) = 0;
    std::function<void()> onClicked;
};

class GroupBox : public Control {};

// The controls of a page are shown while it is the current page and hidden otherwise.
class TabControl : public Control {
  public:
    virtual std::int32_t CurrentPage() const = 0;
    // A page that does not exist changes nothing.
    virtual void SetCurrentPage(std::int32_t page) = 0;
    virtual std::int32_t PageCount() const = 0;
};

// A drop-down list whose items carry an int32 value.
class ComboBox : public Control {
  public:
    static constexpr std::int32_t kNoRow = -1;

    // 0-based selected row, kNoRow when none.
    virtual std::int32_t SelectedRow() const = 0;
    // Selecting a row beyond the last (or kNoRow) leaves no row selected.
    virtual void SetSelectedRow(std::int32_t row) = 0;
    virtual void RemoveAllItems() = 0;
    virtual void AddItem(std::string_view text, std::int32_t value) = 0;
    virtual std::int32_t ItemCount() const = 0;
    virtual std::string ItemText(std::int32_t row) const = 0;
    // The value of a row; -1 for a row that does not exist.
    virtual std::int32_t ItemValue(std::int32_t row) const = 0;

    // The user picked a row.
    std::function<void()> onSelected;
};

struct CellColours {
    std::uint32_t text = 0;
    std::uint32_t background = 0;
    friend bool operator==(const CellColours&, const CellColours&) = default;
};

// A report-style list with a column header and a check box in front of each row. Rows and
// columns are 0-based; operations on a row or column that does not exist change nothing and
// read as empty or false.
class ListView : public Control {
  public:
    static constexpr std::int32_t kNoRow = -1;

    virtual std::int32_t RowCount() const = 0;
    virtual std::int32_t ColumnCount() const = 0;
    // Inserts a row before `row` (at the end when row is beyond the last or negative), with the
    // text of its first cell; unticked. Returns the new row's index.
    virtual std::int32_t InsertRow(std::int32_t row, std::string_view firstCell) = 0;
    std::int32_t AppendRow(std::string_view firstCell) { return InsertRow(kNoRow, firstCell); }
    virtual bool DeleteRow(std::int32_t row) = 0;
    virtual void DeleteAllRows() = 0;
    virtual std::string CellText(std::int32_t row, std::int32_t column) const = 0;
    virtual bool SetCellText(std::int32_t row, std::int32_t column, std::string_view text) = 0;
    virtual bool RowChecked(std::int32_t row) const = 0;
    virtual bool SetRowChecked(std::int32_t row, bool checked) = 0;
    // The selected row (the list selects one row at most), kNoRow when none.
    virtual std::int32_t SelectedRow() const = 0;
    virtual void SetSelectedRow(std::int32_t row) = 0;
    // The list's own text colour and text background colour.
    virtual CellColours DefaultColours() const = 0;
    // Draws every cell again, asking cellColours anew.
    virtual void Repaint() = 0;

    // Asked for each cell as it is drawn. No value: black text on the list's text background.
    std::function<std::optional<CellColours>(std::int32_t row, std::int32_t column)> cellColours;
    // A right click on the list, on a row or on empty space.
    std::function<void()> onRightClick;
};

// A drawing surface with a background picture (see PixelCanvas). Its surface is always as large
// as the control. Used on the UI thread only. Mouse events carry the point in canvas
// coordinates; once the left button went down on the canvas, moves and the release are reported
// wherever the mouse goes, so the points may lie outside the canvas.
class Canvas : public Control {
  public:
    // The background picture from file bytes (PNG or BMP); unreadable bytes give no picture.
    void SetPicture(std::span<const std::uint8_t> fileBytes);
    void SetPicture(Picture picture);
    // kNoColour outside the canvas; anywhere on it, visible or scrolled out of view.
    std::uint32_t PixelAt(std::int32_t x, std::int32_t y) const { return surface_.PixelAt(x, y); }
    void Clear();
    void SetPenType(PenType type) { surface_.SetPenType(type); }
    void SetPenColour(std::uint32_t colour) { surface_.SetPenColour(colour); }
    void SetBrushType(BrushType type) { surface_.SetBrushType(type); }
    void SetBrushColour(std::uint32_t colour) { surface_.SetBrushColour(colour); }
    void DrawRectangle(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2);
    void DrawImage(std::span<const std::uint8_t> fileBytes, std::int32_t x, std::int32_t y);
    void DrawPicture(const Picture& picture, std::int32_t x, std::int32_t y);
    // The pixels shown, as a 24-bit BMP file.
    std::vector<std::uint8_t> PictureAsBmp() const { return surface_.AsBmp(); }
    const PixelCanvas& Surface() const { return surface_; }

    std::function<void(Point)> onLeftDown;
    std::function<void(Point)> onLeftUp;
    std::function<void(Point)> onRightDown;
    std::function<void(Point)> onMouseMove;

  protected:
    // The implementations call this when the control's size changes.
    void ResizeSurface(std::int32_t width, std::int32_t height) { surface_.Resize(width, height); }
    // Shows the surface again after a change.
    virtual void Redraw() = 0;

  private:
    PixelCanvas surface_;
};

// Positions run from 0 to the maximum position. A bar is usable exactly when it has something to
// scroll (maximum above 0); with a maximum of 0 or less it is disabled and stays at position 0.
class ScrollBar : public Control {
  public:
    virtual std::int32_t Position() const = 0;
    // Clamped to 0 .. maximum (0 when the maximum is not positive).
    virtual void SetPosition(std::int32_t position) = 0;
    virtual std::int32_t Maximum() const = 0;
    // Clamps the position into the new range; enables the bar exactly when maximum > 0.
    virtual void SetMaximum(std::int32_t maximum) = 0;
    // How much one view shows: the thumb's share of the bar and the page step. Does not change
    // the range of positions.
    virtual void SetPageSize(std::int32_t pageSize) = 0;

    std::function<void()> onPositionChanged;
};

class TreeView : public Control {};

// Message boxes titled "信息：" with a single OK button, modal to the program's task. Callable
// from any thread; the call returns when the user has closed the box.
class MessageBoxes {
  public:
    virtual ~MessageBoxes() = default;
    virtual void ShowMessage(std::string_view text) = 0;
};

class Clipboard {
  public:
    virtual ~Clipboard() = default;
    // Replaces the clipboard's contents with the text. False when the clipboard could not be had.
    virtual bool SetText(std::string_view text) = 0;
};

class MenuItem {
  public:
    virtual ~MenuItem() = default;
    std::function<void()> onSelected;
};

// A hidden top-level menu, shown only as a pop-up. PopUp returns at once as far as the program
// is concerned: the item the user chooses is reported afterwards, through its onSelected, once
// the handler that popped the menu up has returned.
class PopupMenu {
  public:
    virtual ~PopupMenu() = default;
    virtual void PopUpAt(Point screen) = 0;
    virtual void PopUpAtCursor() = 0;
};

enum class WindowState { kNormal, kMinimised, kMaximised };

class MainWindow {
  public:
    virtual ~MainWindow() = default;

    // Outer size, frame included.
    virtual Size OuterSize() const = 0;
    virtual WindowState State() const = 0;
    virtual void SetState(WindowState state) = 0;
    virtual std::string Title() const = 0;
    // The mouse cursor's position on the screen.
    virtual Point CursorPosition() const = 0;
    virtual MessageBoxes& Messages() = 0;
    virtual Clipboard& SystemClipboard() = 0;

    template <typename T>
    T& Get(ControlRef<T> control) {
        return static_cast<T&>(ControlById(control.id));
    }
    PopupMenu& Get(MenuRef menu) { return MenuById(menu.id); }
    MenuItem& Get(MenuItemRef item) { return MenuItemById(item.id); }

    // Raised once, when the window and all its controls exist, before the window takes input.
    std::function<void()> onCreated;
    // The user asks to close the window; false keeps it open.
    std::function<bool()> onCloseRequested;
    std::function<void()> onSizeChanged;
    std::function<void()> onPositionChanged;

  protected:
    // Every id of the control table is there, of the kind the table gives it.
    virtual Control& ControlById(ControlId id) = 0;
    virtual PopupMenu& MenuById(MenuId id) = 0;
    virtual MenuItem& MenuItemById(MenuId id) = 0;
};

}  // namespace pixmate::ui
