#pragma once
// In-memory window layer: holds the state the Win32 controls would hold, so the program's logic
// runs and is tested without a window system. Thread-safe like the real controls.

#include <condition_variable>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

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

}  // namespace pixmate::ui
