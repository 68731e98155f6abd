#pragma once
// The window layer: what the program's features need of the controls, as portable interfaces.
// The Win32 implementation (*_win.cpp) wraps real controls; the in-memory one (memory_window.h)
// holds the same state for unit tests. Texts are UTF-8.
//
// Threads: every operation may be called from any thread. The Win32 implementation carries it
// out on the UI thread while the caller waits (as SendMessage does), so a caller on another
// thread waits while the UI thread is busy. Events are raised on the UI thread.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace pixmate::ui {

struct Rect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

struct Point {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

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

class RadioButton : public Control {
public:
    virtual bool Checked() const = 0;
    virtual void SetChecked(bool checked) = 0;
    std::function<void()> onClicked;
};

class GroupBox : public Control {};

class TabControl : public Control {
public:
    virtual std::int32_t CurrentPage() const = 0;
    virtual void SetCurrentPage(std::int32_t page) = 0;
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

class ScrollBar : public Control {
public:
    virtual std::int32_t Position() const = 0;
    virtual void SetPosition(std::int32_t position) = 0;
    virtual std::int32_t Maximum() const = 0;
    virtual void SetMaximum(std::int32_t maximum) = 0;
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
    virtual bool SetText(std::string_view text) = 0;
};

}  // namespace pixmate::ui
