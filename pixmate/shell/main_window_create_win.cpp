// Building the main window's controls and menus from the control table.
#include <windows.h>

#include <commctrl.h>

#include "pixmate/shell/main_window_win.h"
#include "pixmate/shell/text_win.h"

namespace pixmate::win {

using namespace ui;

namespace {

// The combo box's window height includes its drop-down list.
constexpr int kComboDropHeight = 200;
constexpr int kComboDropWidth = 240;

struct WindowKind {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};

WindowKind KindFor(const ControlSpec& spec) {
    switch (spec.kind) {
        case ControlKind::kLabel:
            return {WC_STATICW, SS_LEFT | SS_NOPREFIX, 0};
        case ControlKind::kEditBox:
            if (spec.flags & kMultiLine) {
                return {WC_EDITW,
                        ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL | WS_TABSTOP,
                        WS_EX_CLIENTEDGE};
            }
            return {WC_EDITW, ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
        case ControlKind::kButton:
            return {WC_BUTTONW, BS_PUSHBUTTON | WS_TABSTOP, 0};
        case ControlKind::kRadioButton:
            return {WC_BUTTONW, BS_AUTORADIOBUTTON | WS_TABSTOP, 0};
        case ControlKind::kGroupBox:
            return {Win32MainWindow::kFrameClassName, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
        // Not clipping its children: labels on a page draw over the page's own background.
        case ControlKind::kTabControl:
            return {WC_TABCONTROLW, WS_TABSTOP, WS_EX_CONTROLPARENT};
        case ControlKind::kComboBox:
            return {WC_COMBOBOXW, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0};
        case ControlKind::kListView:
            return {WC_LISTVIEWW, LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP,
                    WS_EX_CLIENTEDGE};
        case ControlKind::kCanvas:
            return {Win32Canvas::kClassName, 0, 0};
        case ControlKind::kScrollBar:
            return {WC_SCROLLBARW,
                    static_cast<DWORD>((spec.flags & kVertical) ? SBS_VERT : SBS_HORZ), 0};
        case ControlKind::kTreeView:
            return {WC_TREEVIEWW, TVS_HASLINES | TVS_LINESATROOT | TVS_HASBUTTONS | WS_TABSTOP,
                    WS_EX_CLIENTEDGE};
    }
    return {WC_STATICW, 0, 0};
}

// A radio button opens a group unless the control made just before it, in the same container,
// is a radio button too; every other control stands in a group of its own.
bool StartsGroup(const ControlSpec& spec) {
    if (spec.kind != ControlKind::kRadioButton) return true;
    const ControlSpec* previous = FindControl(spec.id - 1);
    return !previous || previous->kind != ControlKind::kRadioButton ||
           previous->parent != spec.parent;
}

void SetUpListView(HWND list) {
    const DWORD extended = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER;
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    SendMessageW(list, LVM_SETTEXTCOLOR, 0, RGB(0, 0, 0));
    SendMessageW(list, LVM_SETTEXTBKCOLOR, 0, RGB(255, 255, 255));
    SendMessageW(list, LVM_SETBKCOLOR, 0, RGB(255, 255, 255));
    int index = 0;
    for (const ListColumnSpec& column : ColourListColumns()) {
        std::wstring title = Widen(column.title);
        LVCOLUMNW c{};
        c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        c.pszText = title.data();
        c.cx = column.width;
        c.iSubItem = index;
        SendMessageW(list, LVM_INSERTCOLUMNW, index++, reinterpret_cast<LPARAM>(&c));
    }
}

void SetUpTabs(HWND tab, const ControlSpec& spec) {
    int index = 0;
    for (std::string_view page : TabPages(spec)) {
        std::wstring title = Widen(page);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = title.data();
        SendMessageW(tab, TCM_INSERTITEMW, index++, reinterpret_cast<LPARAM>(&item));
    }
    SendMessageW(tab, TCM_SETCURSEL, 0, 0);
}

std::unique_ptr<Win32Child> Wrap(const ControlSpec& spec, HWND hwnd, UiThread& ui) {
    switch (spec.kind) {
        case ControlKind::kLabel:
            return std::make_unique<Win32Label>(hwnd, ui);
        case ControlKind::kEditBox:
            return std::make_unique<Win32EditBox>(hwnd, ui);
        case ControlKind::kButton:
            return std::make_unique<Win32Button>(hwnd, ui);
        case ControlKind::kRadioButton:
            return std::make_unique<Win32RadioButton>(hwnd, ui);
        case ControlKind::kGroupBox:
            return std::make_unique<Win32GroupBox>(hwnd, ui);
        case ControlKind::kTabControl:
            return std::make_unique<Win32TabControl>(hwnd, ui);
        case ControlKind::kComboBox:
            return std::make_unique<Win32ComboBox>(hwnd, ui);
        case ControlKind::kListView:
            return std::make_unique<Win32ListView>(hwnd, ui);
        case ControlKind::kCanvas:
            return std::make_unique<Win32Canvas>(hwnd, ui);
        case ControlKind::kScrollBar:
            return std::make_unique<Win32ScrollBar>(hwnd, ui);
        case ControlKind::kTreeView:
            return std::make_unique<Win32TreeView>(hwnd, ui);
    }
    return nullptr;
}

}  // namespace

void Win32MainWindow::CreateControls() {
    for (const ControlSpec& spec : ControlTable()) {
        const WindowKind kind = KindFor(spec);
        HWND parent = spec.parent == kMainWindow ? hwnd_ : ChildById(spec.parent)->Hwnd();
        DWORD style = WS_CHILD | WS_CLIPSIBLINGS | kind.style;
        // Pages other than the first start hidden, like the controls the table hides.
        if (!(spec.flags & kHidden) && spec.page <= 0) style |= WS_VISIBLE;
        if (spec.flags & kDisabled) style |= WS_DISABLED;
        if (StartsGroup(spec)) style |= WS_GROUP;
        const int height = spec.kind == ControlKind::kComboBox
                               ? spec.place.height + kComboDropHeight
                               : spec.place.height;
        const std::wstring caption =
            (spec.kind == ControlKind::kTabControl || spec.kind == ControlKind::kComboBox)
                ? L""
                : Widen(spec.caption);
        HWND hwnd = CreateWindowExW(kind.exStyle, kind.className, caption.c_str(), style,
                                    spec.place.left, spec.place.top, spec.place.width, height,
                                    parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)),
                                    instance_, nullptr);
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
        switch (spec.kind) {
            case ControlKind::kEditBox:
                SendMessageW(hwnd, EM_SETLIMITTEXT, 0, 0);
                break;
            case ControlKind::kComboBox:
                // The box is narrow; its list is wide enough for a brand and model.
                SendMessageW(hwnd, CB_SETDROPPEDWIDTH, kComboDropWidth, 0);
                break;
            case ControlKind::kRadioButton:
                SendMessageW(hwnd, BM_SETCHECK,
                             (spec.flags & kTicked) ? BST_CHECKED : BST_UNCHECKED, 0);
                break;
            case ControlKind::kListView:
                SetUpListView(hwnd);
                break;
            case ControlKind::kTabControl:
                SetUpTabs(hwnd, spec);
                SetWindowSubclass(hwnd, TabProc, 0, 0);
                break;
            default:
                break;
        }
        controls_.push_back(Wrap(spec, hwnd, ui_));
    }

    // Radio groups and tab pages need every control in place.
    for (const ControlSpec& spec : ControlTable()) {
        if (spec.kind == ControlKind::kRadioButton) {
            std::vector<Win32RadioButton*> others;
            for (const ControlSpec& other : ControlTable()) {
                if (other.kind == ControlKind::kRadioButton && other.parent == spec.parent &&
                    other.id != spec.id) {
                    others.push_back(static_cast<Win32RadioButton*>(ChildById(other.id)));
                }
            }
            static_cast<Win32RadioButton*>(ChildById(spec.id))->SetGroup(std::move(others));
        } else if (spec.kind == ControlKind::kTabControl) {
            std::vector<std::pair<std::int32_t, HWND>> pageControls;
            for (const ControlSpec& child : ControlTable()) {
                if (child.parent == spec.id && child.page != kNoPage)
                    pageControls.emplace_back(child.page, ChildById(child.id)->Hwnd());
            }
            static_cast<Win32TabControl*>(ChildById(spec.id))
                ->SetPageControls(std::move(pageControls));
        }
    }
}

void Win32MainWindow::CreateMenus() {
    for (const MenuSpec& menu : MenuTable()) {
        UniqueMenu popup(CreatePopupMenu());
        for (const MenuItemSpec& item : MenuItemTable()) {
            if (item.menu != menu.id) continue;
            AppendMenuW(popup.Get(), MF_STRING, static_cast<UINT_PTR>(item.id),
                        Widen(item.caption).c_str());
            items_[item.id] = std::make_unique<Win32MenuItem>();
        }
        menus_[menu.id] = std::make_unique<Win32PopupMenu>(ui_, hwnd_, std::move(popup));
    }
}

}  // namespace pixmate::win
