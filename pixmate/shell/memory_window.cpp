#include "pixmate/shell/memory_window.h"

#include <chrono>

namespace pixmate::ui {

std::int32_t MemoryComboBox::SelectedRow() const {
    std::lock_guard lock(mutex_);
    return selected_;
}

void MemoryComboBox::SetSelectedRow(std::int32_t row) {
    std::lock_guard lock(mutex_);
    selected_ = (row >= 0 && row < static_cast<std::int32_t>(items_.size())) ? row : kNoRow;
}

void MemoryComboBox::RemoveAllItems() {
    std::lock_guard lock(mutex_);
    items_.clear();
    selected_ = kNoRow;
}

void MemoryComboBox::AddItem(std::string_view text, std::int32_t value) {
    std::lock_guard lock(mutex_);
    items_.emplace_back(std::string(text), value);
}

std::int32_t MemoryComboBox::ItemCount() const {
    std::lock_guard lock(mutex_);
    return static_cast<std::int32_t>(items_.size());
}

std::string MemoryComboBox::ItemText(std::int32_t row) const {
    std::lock_guard lock(mutex_);
    if (row < 0 || row >= static_cast<std::int32_t>(items_.size())) return {};
    return items_[row].first;
}

std::int32_t MemoryComboBox::ItemValue(std::int32_t row) const {
    std::lock_guard lock(mutex_);
    if (row < 0 || row >= static_cast<std::int32_t>(items_.size())) return -1;
    return items_[row].second;
}

void MemoryComboBox::UserSelects(std::int32_t row) {
    SetSelectedRow(row);
    if (onSelected) onSelected();
}

void MemoryMessageBoxes::ShowMessage(std::string_view text) {
    std::unique_lock lock(mutex_);
    shown_.emplace_back(text);
    changed_.notify_all();
    changed_.wait(lock, [this] { return !hold_; });
}

std::vector<std::string> MemoryMessageBoxes::Shown() const {
    std::lock_guard lock(mutex_);
    return shown_;
}

void MemoryMessageBoxes::HoldBoxes() {
    std::lock_guard lock(mutex_);
    hold_ = true;
}

void MemoryMessageBoxes::ReleaseBoxes() {
    std::lock_guard lock(mutex_);
    hold_ = false;
    changed_.notify_all();
}

bool MemoryMessageBoxes::WaitForCount(std::size_t count, int timeoutMs) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return shown_.size() >= count; });
}

}  // namespace pixmate::ui
