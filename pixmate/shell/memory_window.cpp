#include "pixmate/shell/memory_window.h"

#include <chrono>
#include <cstdlib>

namespace pixmate::ui {

// ---- Label, edit box, button, radio button

std::string MemoryLabel::Caption() const {
    std::lock_guard lock(mutex_);
    return caption_;
}

void MemoryLabel::SetCaption(std::string_view caption) {
    std::lock_guard lock(mutex_);
    caption_ = caption;
}

std::string MemoryEditBox::Text() const {
    std::lock_guard lock(mutex_);
    return text_;
}

void MemoryEditBox::SetText(std::string_view text) {
    std::lock_guard lock(mutex_);
    text_ = text;
}

void MemoryButton::UserClicks() {
    if (Enabled() && Visible() && onClicked) onClicked();
}

bool MemoryRadioButton::Checked() const {
    std::lock_guard lock(mutex_);
    return checked_;
}

void MemoryRadioButton::SetCheckedAlone(bool checked) {
    std::lock_guard lock(mutex_);
    checked_ = checked;
}

void MemoryRadioButton::SetChecked(bool checked) {
    SetCheckedAlone(checked);
    if (!checked) return;
    for (MemoryRadioButton* other : others_) other->SetCheckedAlone(false);
}

void MemoryRadioButton::UserClicks() {
    if (!Enabled() || !Visible()) return;
    SetChecked(true);
    if (onClicked) onClicked();
}

// ---- Tab control

std::int32_t MemoryTabControl::CurrentPage() const {
    std::lock_guard lock(mutex_);
    return current_;
}

void MemoryTabControl::SetCurrentPage(std::int32_t page) {
    std::vector<std::pair<std::int32_t, Control*>> controls;
    {
        std::lock_guard lock(mutex_);
        if (page < 0 || page >= count_) return;
        current_ = page;
        controls = pageControls_;
    }
    for (auto [controlPage, control] : controls) control->SetVisible(controlPage == page);
}

std::int32_t MemoryTabControl::PageCount() const {
    std::lock_guard lock(mutex_);
    return count_;
}

void MemoryTabControl::SetPages(std::int32_t count,
                                std::vector<std::pair<std::int32_t, Control*>> pageControls) {
    {
        std::lock_guard lock(mutex_);
        count_ = count;
        pageControls_ = std::move(pageControls);
    }
    SetCurrentPage(0);
}

// ---- Combo box

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

// ---- List view

std::int32_t MemoryListView::RowCount() const {
    std::lock_guard lock(mutex_);
    return static_cast<std::int32_t>(rows_.size());
}

std::int32_t MemoryListView::ColumnCount() const {
    return columns_;
}

std::int32_t MemoryListView::InsertRow(std::int32_t row, std::string_view firstCell) {
    std::lock_guard lock(mutex_);
    if (row < 0 || row > static_cast<std::int32_t>(rows_.size()))
        row = static_cast<std::int32_t>(rows_.size());
    Row r;
    r.cells.resize(columns_);
    r.cells[0] = firstCell;
    rows_.insert(rows_.begin() + row, std::move(r));
    if (selected_ >= row) ++selected_;
    return row;
}

bool MemoryListView::DeleteRow(std::int32_t row) {
    std::lock_guard lock(mutex_);
    if (!ValidRow(row)) return false;
    rows_.erase(rows_.begin() + row);
    if (selected_ == row) {
        selected_ = kNoRow;
    } else if (selected_ > row) {
        --selected_;
    }
    return true;
}

void MemoryListView::DeleteAllRows() {
    std::lock_guard lock(mutex_);
    rows_.clear();
    selected_ = kNoRow;
}

std::string MemoryListView::CellText(std::int32_t row, std::int32_t column) const {
    std::lock_guard lock(mutex_);
    if (!ValidRow(row) || column < 0 || column >= columns_) return {};
    return rows_[row].cells[column];
}

bool MemoryListView::SetCellText(std::int32_t row, std::int32_t column, std::string_view text) {
    std::lock_guard lock(mutex_);
    if (!ValidRow(row) || column < 0 || column >= columns_) return false;
    rows_[row].cells[column] = text;
    return true;
}

bool MemoryListView::RowChecked(std::int32_t row) const {
    std::lock_guard lock(mutex_);
    return ValidRow(row) && rows_[row].checked;
}

bool MemoryListView::SetRowChecked(std::int32_t row, bool checked) {
    std::lock_guard lock(mutex_);
    if (!ValidRow(row)) return false;
    rows_[row].checked = checked;
    return true;
}

std::int32_t MemoryListView::SelectedRow() const {
    std::lock_guard lock(mutex_);
    return selected_;
}

void MemoryListView::SetSelectedRow(std::int32_t row) {
    std::lock_guard lock(mutex_);
    selected_ = ValidRow(row) ? row : kNoRow;
}

void MemoryListView::Repaint() {
    std::lock_guard lock(mutex_);
    ++repaints_;
}

int MemoryListView::RepaintCount() const {
    std::lock_guard lock(mutex_);
    return repaints_;
}

CellColours MemoryListView::DrawnColours(std::int32_t row, std::int32_t column) const {
    if (cellColours) {
        if (auto colours = cellColours(row, column)) return *colours;
    }
    return {0x000000, DefaultColours().background};
}

void MemoryListView::UserRightClicks() {
    if (onRightClick) onRightClick();
}

// ---- Canvas, scroll bar

void MemoryCanvas::SetBounds(const Rect& bounds) {
    MemoryControl<Canvas>::SetBounds(bounds);
    ResizeSurface(bounds.width, bounds.height);
    Redraw();
}

MemoryScrollBar::MemoryScrollBar() {
    SetEnabled(false);
}

std::int32_t MemoryScrollBar::Position() const {
    std::lock_guard lock(mutex_);
    return range_.position;
}

void MemoryScrollBar::SetPosition(std::int32_t position) {
    std::lock_guard lock(mutex_);
    range_.position = range_.Clamp(position);
}

std::int32_t MemoryScrollBar::Maximum() const {
    std::lock_guard lock(mutex_);
    return range_.maximum;
}

void MemoryScrollBar::SetMaximum(std::int32_t maximum) {
    bool usable;
    {
        std::lock_guard lock(mutex_);
        range_.SetMaximum(maximum);
        usable = range_.Usable();
    }
    SetEnabled(usable);
}

void MemoryScrollBar::SetPageSize(std::int32_t pageSize) {
    std::lock_guard lock(mutex_);
    range_.pageSize = pageSize;
}

std::int32_t MemoryScrollBar::PageSize() const {
    std::lock_guard lock(mutex_);
    return range_.pageSize;
}

void MemoryScrollBar::UserScrolls(std::int32_t position) {
    if (!Enabled()) return;
    SetPosition(position);
    if (onPositionChanged) onPositionChanged();
}

// ---- Message boxes, clipboard, menus

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

bool MemoryClipboard::SetText(std::string_view text) {
    std::lock_guard lock(mutex_);
    if (busy_) return false;
    text_ = text;
    return true;
}

std::string MemoryClipboard::Text() const {
    std::lock_guard lock(mutex_);
    return text_;
}

void MemoryClipboard::SetBusy(bool busy) {
    std::lock_guard lock(mutex_);
    busy_ = busy;
}

void MemoryPopupMenu::PopUpAt(Point screen) {
    std::lock_guard lock(mutex_);
    popUps_.push_back(screen);
}

void MemoryPopupMenu::PopUpAtCursor() {
    PopUpAt(window_.CursorPosition());
}

std::vector<Point> MemoryPopupMenu::PopUps() const {
    std::lock_guard lock(mutex_);
    return popUps_;
}

// ---- Main window

namespace {

std::unique_ptr<Control> MakeControl(const ControlSpec& spec) {
    switch (spec.kind) {
        case ControlKind::kLabel:
            return std::make_unique<MemoryLabel>();
        case ControlKind::kEditBox:
            return std::make_unique<MemoryEditBox>();
        case ControlKind::kButton:
            return std::make_unique<MemoryButton>();
        case ControlKind::kRadioButton:
            return std::make_unique<MemoryRadioButton>();
        case ControlKind::kGroupBox:
            return std::make_unique<MemoryGroupBox>();
        case ControlKind::kTabControl:
            return std::make_unique<MemoryTabControl>();
        case ControlKind::kComboBox:
            return std::make_unique<MemoryComboBox>();
        case ControlKind::kListView:
            return std::make_unique<MemoryListView>(
                static_cast<std::int32_t>(ColourListColumns().size()));
        case ControlKind::kCanvas:
            return std::make_unique<MemoryCanvas>();
        case ControlKind::kScrollBar:
            return std::make_unique<MemoryScrollBar>();
        case ControlKind::kTreeView:
            return std::make_unique<MemoryTreeView>();
    }
    std::abort();
}

}  // namespace

MemoryMainWindow::MemoryMainWindow() {
    for (const ControlSpec& spec : ControlTable()) {
        std::unique_ptr<Control> control = MakeControl(spec);
        control->SetBounds(spec.place);
        control->SetEnabled((spec.flags & kDisabled) == 0);
        control->SetVisible((spec.flags & kHidden) == 0);
        switch (spec.kind) {
            case ControlKind::kLabel:
                static_cast<MemoryLabel&>(*control).SetCaption(spec.caption);
                break;
            case ControlKind::kEditBox:
                static_cast<MemoryEditBox&>(*control).SetText(spec.caption);
                break;
            case ControlKind::kRadioButton:
                static_cast<MemoryRadioButton&>(*control).SetChecked((spec.flags & kTicked) != 0);
                break;
            case ControlKind::kScrollBar:
                control->SetEnabled(false);
                break;
            default:
                break;
        }
        controls_.push_back(std::move(control));
    }
    // Radio groups (same containing control) and tab pages need every control in place.
    for (const ControlSpec& spec : ControlTable()) {
        if (spec.kind == ControlKind::kRadioButton) {
            std::vector<MemoryRadioButton*> others;
            for (const ControlSpec& other : ControlTable()) {
                if (other.kind == ControlKind::kRadioButton && other.parent == spec.parent &&
                    other.id != spec.id) {
                    others.push_back(&static_cast<MemoryRadioButton&>(ControlById(other.id)));
                }
            }
            static_cast<MemoryRadioButton&>(ControlById(spec.id)).SetGroup(std::move(others));
        } else if (spec.kind == ControlKind::kTabControl) {
            std::vector<std::pair<std::int32_t, Control*>> pageControls;
            for (const ControlSpec& child : ControlTable()) {
                if (child.parent == spec.id && child.page != kNoPage) {
                    pageControls.emplace_back(child.page, &ControlById(child.id));
                }
            }
            static_cast<MemoryTabControl&>(ControlById(spec.id))
                .SetPages(static_cast<std::int32_t>(TabPages(spec).size()),
                          std::move(pageControls));
        }
    }
    for (const MenuSpec& menu : MenuTable())
        menus_[menu.id] = std::make_unique<MemoryPopupMenu>(*this);
    for (const MenuItemSpec& item : MenuItemTable())
        items_[item.id] = std::make_unique<MemoryMenuItem>();
}

MemoryMainWindow::~MemoryMainWindow() = default;

Control& MemoryMainWindow::ControlById(ControlId id) {
    const std::int64_t index = std::int64_t{id} - kFirstControlId;
    if (index < 0 || index >= static_cast<std::int64_t>(controls_.size())) std::abort();
    return *controls_[static_cast<std::size_t>(index)];
}

PopupMenu& MemoryMainWindow::MenuById(MenuId id) {
    auto it = menus_.find(id);
    if (it == menus_.end()) std::abort();
    return *it->second;
}

MenuItem& MemoryMainWindow::MenuItemById(MenuId id) {
    auto it = items_.find(id);
    if (it == items_.end()) std::abort();
    return *it->second;
}

Size MemoryMainWindow::OuterSize() const {
    std::lock_guard lock(mutex_);
    switch (state_) {
        case WindowState::kMaximised:
            return workArea_;
        case WindowState::kMinimised:
            return kMinimisedSize;
        default:
            return normalSize_;
    }
}

WindowState MemoryMainWindow::State() const {
    std::lock_guard lock(mutex_);
    return state_;
}

void MemoryMainWindow::SetState(WindowState state) {
    {
        std::lock_guard lock(mutex_);
        if (state_ == state) return;
        state_ = state;
    }
    RaiseSizeAndPosition();
}

Point MemoryMainWindow::CursorPosition() const {
    std::lock_guard lock(mutex_);
    return cursor_;
}

void MemoryMainWindow::SetCursorPosition(Point screen) {
    std::lock_guard lock(mutex_);
    cursor_ = screen;
}

void MemoryMainWindow::RaiseSizeAndPosition() {
    if (onSizeChanged) onSizeChanged();
    if (onPositionChanged) onPositionChanged();
}

void MemoryMainWindow::Open() {
    if (onCreated) onCreated();
    RaiseSizeAndPosition();
}

void MemoryMainWindow::UserResizes(Size outer) {
    {
        std::lock_guard lock(mutex_);
        normalSize_ = outer;
        state_ = WindowState::kNormal;
    }
    if (onSizeChanged) onSizeChanged();
}

bool MemoryMainWindow::UserRequestsClose() {
    if (onCloseRequested && !onCloseRequested()) return false;
    closed_ = true;
    return true;
}

void MemoryMainWindow::UserChooses(MenuItemRef item) {
    MenuItem& menuItem = MenuItemById(item.id);
    if (menuItem.onSelected) menuItem.onSelected();
}

}  // namespace pixmate::ui
