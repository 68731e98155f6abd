#include "pixmate/shell/controls_win.h"

#include <windows.h>

#include <windowsx.h>

#include <algorithm>
#include <string>

#include "pixmate/shell/gdi_win.h"
#include "pixmate/shell/text_win.h"

namespace pixmate::win {

std::string ReadWindowText(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    const int n = GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(std::max(n, 0)));
    return Narrow(text);
}

void WriteWindowText(HWND hwnd, std::string_view text) {
    SetWindowTextW(hwnd, Widen(text).c_str());
}

// ---- Label, edit box, buttons

std::string Win32Label::Caption() const {
    return ui_.Run([this] { return ReadWindowText(hwnd_); });
}

void Win32Label::SetCaption(std::string_view caption) {
    ui_.Run([&] { WriteWindowText(hwnd_, caption); });
}

std::string Win32EditBox::Text() const {
    return ui_.Run([this] { return ReadWindowText(hwnd_); });
}

void Win32EditBox::SetText(std::string_view text) {
    ui_.Run([&] { WriteWindowText(hwnd_, text); });
}

void Win32Button::OnCommand(WORD code) {
    if (code == BN_CLICKED && onClicked) onClicked();
}

bool Win32RadioButton::Checked() const {
    return ui_.Run([this] { return SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED; });
}

void Win32RadioButton::Tick() {
    SendMessageW(hwnd_, BM_SETCHECK, BST_CHECKED, 0);
    for (Win32RadioButton* other : others_)
        SendMessageW(other->hwnd_, BM_SETCHECK, BST_UNCHECKED, 0);
}

void Win32RadioButton::SetChecked(bool checked) {
    ui_.Run([&] {
        if (checked) {
            Tick();
        } else {
            SendMessageW(hwnd_, BM_SETCHECK, BST_UNCHECKED, 0);
        }
    });
}

void Win32RadioButton::OnCommand(WORD code) {
    if (code != BN_CLICKED) return;
    // The automatic radio button has ticked itself; the group rule is kept here as well, so it
    // holds however the containers group their children.
    Tick();
    if (onClicked) onClicked();
}

// ---- Tab control

std::int32_t Win32TabControl::CurrentPage() const {
    return ui_.Run(
        [this] { return static_cast<std::int32_t>(SendMessageW(hwnd_, TCM_GETCURSEL, 0, 0)); });
}

std::int32_t Win32TabControl::PageCount() const {
    return ui_.Run(
        [this] { return static_cast<std::int32_t>(SendMessageW(hwnd_, TCM_GETITEMCOUNT, 0, 0)); });
}

void Win32TabControl::SetCurrentPage(std::int32_t page) {
    ui_.Run([&] {
        if (page < 0 || page >= SendMessageW(hwnd_, TCM_GETITEMCOUNT, 0, 0)) return;
        SendMessageW(hwnd_, TCM_SETCURSEL, page, 0);
        ShowPage(page);
    });
}

void Win32TabControl::SetPageControls(std::vector<std::pair<std::int32_t, HWND>> controls) {
    pageControls_ = std::move(controls);
    ShowPage(static_cast<std::int32_t>(SendMessageW(hwnd_, TCM_GETCURSEL, 0, 0)));
}

void Win32TabControl::ShowPage(std::int32_t page) {
    for (auto [controlPage, hwnd] : pageControls_)
        ShowWindow(hwnd, controlPage == page ? SW_SHOWNA : SW_HIDE);
}

std::optional<LRESULT> Win32TabControl::OnNotify(NMHDR* header) {
    if (header->code != TCN_SELCHANGE) return std::nullopt;
    ShowPage(static_cast<std::int32_t>(SendMessageW(hwnd_, TCM_GETCURSEL, 0, 0)));
    return 0;
}

// ---- Combo box

std::int32_t Win32ComboBox::SelectedRow() const {
    return ui_.Run([this] {
        const LRESULT row = SendMessageW(hwnd_, CB_GETCURSEL, 0, 0);
        return row == CB_ERR ? kNoRow : static_cast<std::int32_t>(row);
    });
}

void Win32ComboBox::SetSelectedRow(std::int32_t row) {
    ui_.Run([&] {
        const bool exists = row >= 0 && row < SendMessageW(hwnd_, CB_GETCOUNT, 0, 0);
        SendMessageW(hwnd_, CB_SETCURSEL,
                     exists ? static_cast<WPARAM>(row) : static_cast<WPARAM>(-1), 0);
    });
}

void Win32ComboBox::RemoveAllItems() {
    ui_.Run([&] { SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0); });
}

void Win32ComboBox::AddItem(std::string_view text, std::int32_t value) {
    ui_.Run([&] {
        const std::wstring wide = Widen(text);
        const LRESULT row =
            SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
        if (row >= 0) SendMessageW(hwnd_, CB_SETITEMDATA, row, static_cast<LPARAM>(value));
    });
}

std::int32_t Win32ComboBox::ItemCount() const {
    return ui_.Run(
        [this] { return static_cast<std::int32_t>(SendMessageW(hwnd_, CB_GETCOUNT, 0, 0)); });
}

std::string Win32ComboBox::ItemText(std::int32_t row) const {
    return ui_.Run([&]() -> std::string {
        const LRESULT length = SendMessageW(hwnd_, CB_GETLBTEXTLEN, row, 0);
        if (row < 0 || length == CB_ERR) return {};
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        const LRESULT n =
            SendMessageW(hwnd_, CB_GETLBTEXT, row, reinterpret_cast<LPARAM>(text.data()));
        text.resize(n == CB_ERR ? 0 : static_cast<std::size_t>(n));
        return Narrow(text);
    });
}

std::int32_t Win32ComboBox::ItemValue(std::int32_t row) const {
    return ui_.Run([&]() -> std::int32_t {
        if (row < 0 || row >= SendMessageW(hwnd_, CB_GETCOUNT, 0, 0)) return -1;
        return static_cast<std::int32_t>(SendMessageW(hwnd_, CB_GETITEMDATA, row, 0));
    });
}

void Win32ComboBox::OnCommand(WORD code) {
    if (code == CBN_SELCHANGE && onSelected) onSelected();
}

// ---- List view

std::int32_t Win32ListView::RowCount() const {
    return ui_.Run(
        [this] { return static_cast<std::int32_t>(SendMessageW(hwnd_, LVM_GETITEMCOUNT, 0, 0)); });
}

std::int32_t Win32ListView::ColumnCount() const {
    return ui_.Run([this] {
        HWND header = reinterpret_cast<HWND>(SendMessageW(hwnd_, LVM_GETHEADER, 0, 0));
        return static_cast<std::int32_t>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    });
}

bool Win32ListView::ValidCell(std::int32_t row, std::int32_t column) const {
    HWND header = reinterpret_cast<HWND>(SendMessageW(hwnd_, LVM_GETHEADER, 0, 0));
    return row >= 0 && row < SendMessageW(hwnd_, LVM_GETITEMCOUNT, 0, 0) && column >= 0 &&
           column < SendMessageW(header, HDM_GETITEMCOUNT, 0, 0);
}

std::int32_t Win32ListView::InsertRow(std::int32_t row, std::string_view firstCell) {
    return ui_.Run([&] {
        const auto count = static_cast<std::int32_t>(SendMessageW(hwnd_, LVM_GETITEMCOUNT, 0, 0));
        std::wstring text = Widen(firstCell);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = (row < 0 || row > count) ? count : row;
        item.pszText = text.data();
        return static_cast<std::int32_t>(
            SendMessageW(hwnd_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    });
}

bool Win32ListView::DeleteRow(std::int32_t row) {
    return ui_.Run(
        [&] { return row >= 0 && SendMessageW(hwnd_, LVM_DELETEITEM, row, 0) != FALSE; });
}

void Win32ListView::DeleteAllRows() {
    ui_.Run([&] { SendMessageW(hwnd_, LVM_DELETEALLITEMS, 0, 0); });
}

std::string Win32ListView::CellText(std::int32_t row, std::int32_t column) const {
    return ui_.Run([&]() -> std::string {
        if (!ValidCell(row, column)) return {};
        // The list answers with at most the buffer it is given: grow until the text fits.
        for (std::size_t size = 256;; size *= 4) {
            std::wstring text(size, L'\0');
            LVITEMW item{};
            item.iSubItem = column;
            item.pszText = text.data();
            item.cchTextMax = static_cast<int>(size);
            const auto n = static_cast<std::size_t>(
                SendMessageW(hwnd_, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item)));
            if (n + 1 < size || size > (1u << 24)) {
                text.resize(std::min(n, size));
                return Narrow(text);
            }
        }
    });
}

bool Win32ListView::SetCellText(std::int32_t row, std::int32_t column, std::string_view text) {
    return ui_.Run([&] {
        if (!ValidCell(row, column)) return false;
        std::wstring wide = Widen(text);
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = wide.data();
        return SendMessageW(hwnd_, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item)) != FALSE;
    });
}

bool Win32ListView::RowChecked(std::int32_t row) const {
    return ui_.Run([&] {
        if (!ValidCell(row, 0)) return false;
        const auto state =
            static_cast<UINT>(SendMessageW(hwnd_, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK));
        return (state >> 12) == 2;  // state image 2 is the ticked box
    });
}

bool Win32ListView::SetRowChecked(std::int32_t row, bool checked) {
    return ui_.Run([&] {
        if (!ValidCell(row, 0)) return false;
        LVITEMW item{};
        item.stateMask = LVIS_STATEIMAGEMASK;
        item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
        return SendMessageW(hwnd_, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item)) != FALSE;
    });
}

std::int32_t Win32ListView::SelectedRow() const {
    return ui_.Run([this] {
        return static_cast<std::int32_t>(
            SendMessageW(hwnd_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    });
}

void Win32ListView::SetSelectedRow(std::int32_t row) {
    ui_.Run([&] {
        LVITEMW item{};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = 0;
        SendMessageW(hwnd_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(&item));
        if (!ValidCell(row, 0)) return;
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(hwnd_, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    });
}

ui::CellColours Win32ListView::DefaultColours() const {
    return ui_.Run([this] {
        return ui::CellColours{
            static_cast<std::uint32_t>(SendMessageW(hwnd_, LVM_GETTEXTCOLOR, 0, 0)),
            static_cast<std::uint32_t>(SendMessageW(hwnd_, LVM_GETTEXTBKCOLOR, 0, 0))};
    });
}

void Win32ListView::Repaint() {
    ui_.Run([&] { InvalidateRect(hwnd_, nullptr, TRUE); });
}

std::optional<LRESULT> Win32ListView::OnNotify(NMHDR* header) {
    if (header->code == NM_RCLICK) {
        if (onRightClick) onRightClick();
        return 0;
    }
    if (header->code == NM_CUSTOMDRAW && cellColours)
        return OnCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(header));
    return std::nullopt;
}

LRESULT Win32ListView::OnCustomDraw(NMLVCUSTOMDRAW* draw) {
    switch (draw->nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT:
            return CDRF_NOTIFYSUBITEMDRAW;
        case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
            const auto row = static_cast<std::int32_t>(draw->nmcd.dwItemSpec);
            const std::optional<ui::CellColours> colours = cellColours(row, draw->iSubItem);
            draw->clrText = colours ? colours->text : 0;
            draw->clrTextBk =
                colours ? colours->background
                        : static_cast<COLORREF>(SendMessageW(hwnd_, LVM_GETTEXTBKCOLOR, 0, 0));
            return CDRF_NEWFONT;
        }
        default:
            return CDRF_DODEFAULT;
    }
}

// ---- Scroll bar

Win32ScrollBar::Win32ScrollBar(HWND hwnd, UiThread& ui) : Win32Control(hwnd, ui) {
    Apply();
}

std::int32_t Win32ScrollBar::Position() const {
    return ui_.Run([this] { return range_.position; });
}

void Win32ScrollBar::SetPosition(std::int32_t position) {
    ui_.Run([&] {
        range_.position = range_.Clamp(position);
        Apply();
    });
}

std::int32_t Win32ScrollBar::Maximum() const {
    return ui_.Run([this] { return range_.maximum; });
}

void Win32ScrollBar::SetMaximum(std::int32_t maximum) {
    ui_.Run([&] {
        range_.SetMaximum(maximum);
        Apply();
    });
}

void Win32ScrollBar::SetPageSize(std::int32_t pageSize) {
    ui_.Run([&] {
        range_.pageSize = std::max(pageSize, 0);
        Apply();
    });
}

void Win32ScrollBar::Apply() {
    // Windows counts the page inside the range: the last position is nMax - nPage + 1.
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    if (range_.Usable()) {
        info.nPage = static_cast<UINT>(range_.pageSize);
        info.nMax = range_.maximum + std::max(range_.pageSize - 1, 0);
        info.nPos = range_.position;
    }
    SetScrollInfo(hwnd_, SB_CTL, &info, TRUE);
    EnableWindow(hwnd_, range_.Usable());
}

void Win32ScrollBar::MoveByUser(std::int32_t position) {
    position = range_.Clamp(position);
    if (!range_.Usable() || position == range_.position) return;
    range_.position = position;
    Apply();
    if (onPositionChanged) onPositionChanged();
}

void Win32ScrollBar::ScrollLines(std::int32_t lines) {
    MoveByUser(range_.position + lines * kLineStep);
}

void Win32ScrollBar::OnScroll(WORD code) {
    const std::int32_t page = range_.pageSize > 0 ? range_.pageSize : 10 * kLineStep;
    switch (code) {
        case SB_LINEUP:
            MoveByUser(range_.position - kLineStep);
            break;
        case SB_LINEDOWN:
            MoveByUser(range_.position + kLineStep);
            break;
        case SB_PAGEUP:
            MoveByUser(range_.position - page);
            break;
        case SB_PAGEDOWN:
            MoveByUser(range_.position + page);
            break;
        case SB_TOP:
            MoveByUser(0);
            break;
        case SB_BOTTOM:
            MoveByUser(range_.maximum);
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
            // The 32-bit track position; the message itself carries only 16 bits.
            SCROLLINFO info{};
            info.cbSize = sizeof info;
            info.fMask = SIF_TRACKPOS;
            GetScrollInfo(hwnd_, SB_CTL, &info);
            MoveByUser(info.nTrackPos);
            break;
        }
        default:
            break;
    }
}

// ---- Canvas

bool Win32Canvas::RegisterWindowClass(HINSTANCE instance) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_CROSS);
    wc.lpszClassName = kClassName;
    return RegisterClassW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

Win32Canvas::Win32Canvas(HWND hwnd, UiThread& ui) : Win32Control(hwnd, ui) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    RECT r{};
    GetClientRect(hwnd, &r);
    ResizeSurface(r.right, r.bottom);
}

void Win32Canvas::SetBounds(const ui::Rect& bounds) {
    MoveTo(bounds);
    ResizeSurface(bounds.width, bounds.height);
    Redraw();
}

void Win32Canvas::Redraw() {
    InvalidateRect(hwnd_, nullptr, FALSE);
}

LRESULT CALLBACK Win32Canvas::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* canvas = reinterpret_cast<Win32Canvas*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (canvas) {
        switch (msg) {
            case WM_PAINT:
                return canvas->OnPaint();
            case WM_ERASEBKGND:
                return 1;  // painting covers every pixel
            case WM_LBUTTONDOWN:
            case WM_LBUTTONUP:
            case WM_RBUTTONDOWN:
            case WM_MOUSEMOVE:
                return canvas->OnMouse(msg, lParam);
            default:
                break;
        }
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT Win32Canvas::OnPaint() {
    PaintScope paint(hwnd_);
    const Picture& pixels = Surface().Pixels();
    const RECT area = paint.Area();
    const LONG right = std::min<LONG>(area.right, pixels.width);
    const LONG bottom = std::min<LONG>(area.bottom, pixels.height);
    if (right > area.left && bottom > area.top) {
        // The surface holds 0x00BBGGRR; a 32-bit DIB wants blue in the low byte.
        const LONG width = right - area.left, height = bottom - area.top;
        std::vector<std::uint32_t> rows(static_cast<std::size_t>(width) * height);
        for (LONG y = 0; y < height; ++y) {
            const std::uint32_t* src = pixels.pixels.data() +
                                       static_cast<std::size_t>(area.top + y) * pixels.width +
                                       area.left;
            std::uint32_t* dst = rows.data() + static_cast<std::size_t>(y) * width;
            for (LONG x = 0; x < width; ++x) {
                const std::uint32_t c = src[x];
                dst[x] = ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
            }
        }
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        SetDIBitsToDevice(paint.Dc(), area.left, area.top, width, height, 0, 0, 0, height,
                          rows.data(), &info, DIB_RGB_COLORS);
    }
    return 0;
}

LRESULT Win32Canvas::OnMouse(UINT msg, LPARAM lParam) {
    const ui::Point p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (msg) {
        case WM_LBUTTONDOWN:
            // A drag that leaves the canvas still ends on it.
            SetCapture(hwnd_);
            if (onLeftDown) onLeftDown(p);
            break;
        case WM_LBUTTONUP:
            if (GetCapture() == hwnd_) ReleaseCapture();
            if (onLeftUp) onLeftUp(p);
            break;
        case WM_RBUTTONDOWN:
            if (onRightDown) onRightDown(p);
            break;
        default:
            if (onMouseMove) onMouseMove(p);
            break;
    }
    return 0;
}

}  // namespace pixmate::win
