// The Win32 window layer in this process, checked through its interfaces and through the
// windows themselves: fonts, scroll bars, canvas painting, custom-drawn cells, threads.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <optional>
#include <thread>

#include "pixmate/shell/canvas_layout.h"
#include "pixmate/shell/gdi_win.h"
#include "pixmate/shell/main_window_win.h"
#include "pixmate/shell/test_desktop_win.h"
#include "pixmate/shell/text_win.h"
#include "pixmate/shell/ui_font_win.h"
#include "pixmate/shell/window_search_win.h"

namespace pixmate::win {
namespace {

using namespace ui;

const TestDesktop* const kDesktop = TestDesktop::Install();

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Pumps messages until done() or the timeout.
template <typename Done>
bool PumpUntil(Done done, int timeoutMs = 10000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        Pump();
        Sleep(5);
    }
    return true;
}

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(window_.Create());
        layout_.emplace(window_, geometry_);
        window_.Open(SW_SHOWNOACTIVATE);
        Pump();
    }
    void TearDown() override {
        if (IsWindow(window_.Hwnd())) DestroyWindow(window_.Hwnd());
        Pump();
    }

    HWND FindControlWindow(ControlId id) { return FindDescendant(window_.Hwnd(), id); }
    // The colour the screen shows at a point of a control.
    COLORREF ScreenPixel(HWND control, int x, int y) {
        RedrawWindow(window_.Hwnd(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        Pump();
        const WindowDc dc(control);
        return GetPixel(dc.Get(), x, y);
    }
    void ShowPicture(std::int32_t width, std::int32_t height, std::uint32_t colour) {
        window_.Get(ids::画板_原图).SetPicture(Picture::Filled(width, height, colour));
        geometry_.imageWidth = width;
        geometry_.imageHeight = height;
        layout_->LayoutCanvas();
        Pump();
    }

    Win32MainWindow window_{GetModuleHandleW(nullptr)};
    CanvasGeometry geometry_;
    std::optional<CanvasLayout> layout_;
};

TEST(UiFont, PrefersTheWindowsChineseUiFaceThenAnyFaceCoveringGb2312) {
    EXPECT_EQ(ChooseUiFontFace({L"SimSun", L"Microsoft YaHei UI", L"Microsoft YaHei"}),
              L"Microsoft YaHei UI");
    EXPECT_EQ(
        ChooseUiFontFace({L"Some CJK Face", L"WenQuanYi Micro Hei Mono", L"WenQuanYi Micro Hei"}),
        L"WenQuanYi Micro Hei");
    EXPECT_EQ(ChooseUiFontFace({L"Some CJK Face"}), L"Some CJK Face");
    EXPECT_EQ(ChooseUiFontFace(std::vector<std::wstring>{}), L"");
}

TEST_F(WindowTest, CaptionsAreDrawnWithAFontThatHasTheirGlyphs) {
    HWND label = FindControlWindow(ids::标签13.id);
    auto font = reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    wchar_t face[LF_FACESIZE] = {};
    const std::wstring text = L"设备范围间隔获取截图权限选择夹生成代码发送复制返回结果信息：";
    std::vector<WORD> glyphs(text.size());
    {
        const WindowDc dc(label);
        const SelectScope selected(dc.Get(), font);
        GetTextFaceW(dc.Get(), LF_FACESIZE, face);
        GetGlyphIndicesW(dc.Get(), text.c_str(), static_cast<int>(text.size()), glyphs.data(),
                         GGI_MARK_NONEXISTING_GLYPHS);
    }
    std::printf("UI font face: %s\n", Narrow(face).c_str());
    for (std::size_t i = 0; i < text.size(); ++i)
        EXPECT_NE(glyphs[i], 0xFFFF) << "no glyph at " << i;
}

TEST_F(WindowTest, ScrollBarsScrollExactlyWhatThePictureExceeds) {
    ShowPicture(1080, 2340, 0x00336699);
    HWND vertical = FindControlWindow(ids::纵向滚动条1.id);
    HWND horizontal = FindControlWindow(ids::横向滚动条1.id);
    EXPECT_TRUE(IsWindowEnabled(vertical));
    EXPECT_TRUE(IsWindowEnabled(horizontal));
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(vertical, SB_CTL, &info);
    // The last position Windows lets the thumb reach is the maximum of the layout.
    EXPECT_EQ(info.nMax - static_cast<int>(info.nPage) + 1, 1689);
    EXPECT_EQ(info.nPage, 651u);

    // The user pages down, then jumps to the end: the canvas follows.
    HWND frame = GetParent(vertical);
    SendMessageW(frame, WM_VSCROLL, SB_PAGEDOWN, reinterpret_cast<LPARAM>(vertical));
    EXPECT_EQ(window_.Get(ids::画板_原图).Top(), -651);
    SendMessageW(frame, WM_VSCROLL, SB_BOTTOM, reinterpret_cast<LPARAM>(vertical));
    EXPECT_EQ(window_.Get(ids::画板_原图).Top(), -1689);
    GetScrollInfo(vertical, SB_CTL, &info);
    EXPECT_EQ(info.nPos, 1689);
    SendMessageW(frame, WM_HSCROLL, SB_LINEDOWN, reinterpret_cast<LPARAM>(horizontal));
    EXPECT_EQ(window_.Get(ids::画板_原图).Left(), -Win32ScrollBar::kLineStep);

    // A small picture leaves nothing to scroll: bars disabled, canvas in view.
    ShowPicture(200, 400, 0x00336699);
    EXPECT_FALSE(IsWindowEnabled(vertical));
    EXPECT_FALSE(IsWindowEnabled(horizontal));
    EXPECT_EQ(window_.Get(ids::画板_原图).Bounds(), (Rect{0, 0, 200, 400}));
    SendMessageW(frame, WM_VSCROLL, SB_LINEDOWN, reinterpret_cast<LPARAM>(vertical));
    EXPECT_EQ(window_.Get(ids::画板_原图).Top(), 0);
}

TEST_F(WindowTest, TheCanvasShowsItsPixelsWhereverItIsScrolled) {
    Picture picture = Picture::Filled(1080, 2340, 0x000000FF);                 // red
    for (std::int32_t x = 0; x < 1080; ++x) picture.Set(x, 1000, 0x00FF0000);  // one blue row
    window_.Get(ids::画板_原图).SetPicture(std::move(picture));
    geometry_.imageWidth = 1080;
    geometry_.imageHeight = 2340;
    layout_->LayoutCanvas();
    HWND canvas = FindControlWindow(ids::画板_原图.id);
    HWND viewport = GetParent(canvas);
    EXPECT_EQ(ScreenPixel(viewport, 10, 10), RGB(255, 0, 0));
    window_.Get(ids::纵向滚动条1).SetPosition(1000);
    window_.Get(ids::画板_原图).SetTop(-1000);
    EXPECT_EQ(ScreenPixel(viewport, 10, 0), RGB(0, 0, 255));
    EXPECT_EQ(ScreenPixel(viewport, 10, 1), RGB(255, 0, 0));
    // Reading works for the part scrolled out of view.
    EXPECT_EQ(window_.Get(ids::画板_原图).PixelAt(5, 1000), 0x00FF0000u);
    EXPECT_EQ(window_.Get(ids::画板_原图).PixelAt(1080, 0), kNoColour);
}

TEST_F(WindowTest, MouseEventsArriveInCanvasCoordinates) {
    ShowPicture(1080, 2340, 0);
    window_.Get(ids::画板_原图).SetTop(-500);
    std::vector<Point> downs, moves;
    Canvas& canvas = window_.Get(ids::画板_原图);
    canvas.onLeftDown = [&](Point p) { downs.push_back(p); };
    canvas.onMouseMove = [&](Point p) { moves.push_back(p); };
    HWND hwnd = FindControlWindow(ids::画板_原图.id);
    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(12, 600));
    SendMessageW(hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-5 & 0xFFFF, 650));
    SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(20, 660));
    EXPECT_EQ(downs, (std::vector<Point>{{12, 600}}));
    EXPECT_EQ(moves, (std::vector<Point>{{-5, 650}}));
}

TEST_F(WindowTest, ListCellsAreDrawnInTheColoursTheProgramGives) {
    ListView& list = window_.Get(ids::超级列表框1);
    EXPECT_EQ(list.ColumnCount(), 4);
    EXPECT_EQ(list.DefaultColours(), (CellColours{0x000000, 0xFFFFFF}));
    list.cellColours = [](std::int32_t row, std::int32_t column) -> std::optional<CellColours> {
        if (column == 1) return CellColours{0x000080FF, 0x000080FF};  // orange swatch
        return std::nullopt;
    };
    const std::int32_t row = list.AppendRow("1");
    list.SetCellText(row, 2, "FF8000");
    list.SetCellText(row, 3, "37,512");
    list.SetRowChecked(row, true);
    EXPECT_TRUE(list.RowChecked(row));
    EXPECT_EQ(list.CellText(row, 3), "37,512");
    list.Repaint();
    HWND hwnd = FindControlWindow(ids::超级列表框1.id);
    RECT cell{};
    cell.top = 1;  // sub-item 1
    cell.left = LVIR_BOUNDS;
    SendMessageW(hwnd, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&cell));
    EXPECT_EQ(ScreenPixel(hwnd, cell.left + 4, (cell.top + cell.bottom) / 2), RGB(255, 128, 0));
    list.SetRowChecked(row, false);
    EXPECT_FALSE(list.RowChecked(row));
}

TEST_F(WindowTest, RadioClicksTickOnePerGroupAndTabsShowTheirPages) {
    int clicks = 0;
    window_.Get(ids::单选框_二值化).onClicked = [&] { ++clicks; };
    SendMessageW(FindControlWindow(ids::单选框_二值化.id), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(window_.Get(ids::单选框_二值化).Checked());
    EXPECT_FALSE(window_.Get(ids::单选框_原图).Checked());
    EXPECT_TRUE(window_.Get(ids::单选框_找图).Checked()) << "another group";

    window_.Get(ids::选择夹1).SetCurrentPage(1);
    EXPECT_TRUE(IsWindowVisible(FindControlWindow(ids::编辑框_相似度1.id)));
    EXPECT_FALSE(IsWindowVisible(FindControlWindow(ids::编辑框_相似度.id)));
    EXPECT_EQ(SendMessageW(FindControlWindow(ids::选择夹1.id), TCM_GETCURSEL, 0, 0), 1);
}

TEST_F(WindowTest, MenuCommandsReachTheirItems) {
    int chosen = 0;
    window_.Get(menus::复制当前坐标).onSelected = [&] { ++chosen; };
    SendMessageW(window_.Hwnd(), WM_COMMAND, MAKEWPARAM(menus::复制当前坐标.id, 0), 0);
    EXPECT_EQ(chosen, 1);
    // A pop-up the user dismisses chooses nothing and returns.
    SetTimer(window_.Hwnd(), 1, 200, [](HWND hwnd, UINT, UINT_PTR id, DWORD) -> void CALLBACK {
        KillTimer(hwnd, id);
        EndMenu();
    });
    window_.Get(menus::原图).PopUpAt({300, 300});
    Pump();
    EXPECT_EQ(chosen, 1);
}

TEST_F(WindowTest, OtherThreadsWaitWhileTheUiThreadCarriesTheirCallsOut) {
    ComboBox& box = window_.Get(ids::组合框_手机列表);
    std::atomic<bool> done{false};
    std::thread link([&] {
        box.RemoveAllItems();
        box.AddItem("Xiaomi Mi 10", 1);
        box.AddItem("HUAWEI P40", 3);
        box.SetSelectedRow(1);
        done = true;
    });
    ASSERT_TRUE(PumpUntil([&] { return done.load(); }));
    link.join();
    EXPECT_EQ(box.ItemCount(), 2);
    EXPECT_EQ(box.ItemText(1), "HUAWEI P40");
    EXPECT_EQ(box.ItemValue(1), 3);
    EXPECT_EQ(box.ItemValue(2), -1);
    EXPECT_EQ(box.SelectedRow(), 1);
    box.SetSelectedRow(5);
    EXPECT_EQ(box.SelectedRow(), ComboBox::kNoRow);

    // Once the window is gone, calls from other threads return at once and change nothing.
    DestroyWindow(window_.Hwnd());
    Pump();
    std::thread late([&] {
        box.AddItem("late", 9);
        EXPECT_EQ(box.ItemCount(), 0);
    });
    late.join();
}

TEST_F(WindowTest, MessageBoxesFromAnyThreadAreTitledInfoWithOneOkButton) {
    std::atomic<bool> returned{false};
    std::thread server([&] {
        TestDesktop::Join();
        window_.Messages().ShowMessage("解析失败");
        returned = true;
    });
    HWND box = nullptr;
    ASSERT_TRUE(PumpUntil([&] {
        box = FindWindowW(L"#32770", L"信息：");
        return box && IsWindowVisible(box);
    }));
    int buttons = 0;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[16] = {};
        GetClassNameW(child, name, 16);
        if (IsWindowVisible(child) && std::wstring(name) == L"Button") ++buttons;
    }
    EXPECT_EQ(buttons, 1);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(box, IDOK)));
    EXPECT_FALSE(returned.load()) << "the caller waits for the user";
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(PumpUntil([&] { return returned.load(); }));
    server.join();
}

TEST_F(WindowTest, ClipboardTextIsUnicodeAndReadableAsAnsi) {
    ASSERT_TRUE(window_.SystemClipboard().SetText("//该代码由Pixmate生成\r\n37,512"));
    ASSERT_TRUE(OpenClipboard(nullptr));
    auto* wide = static_cast<const wchar_t*>(GlobalLock(GetClipboardData(CF_UNICODETEXT)));
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(Narrow(wide), "//该代码由Pixmate生成\r\n37,512");
    GlobalUnlock(GetClipboardData(CF_UNICODETEXT));
    auto* ansi = static_cast<const char*>(GlobalLock(GetClipboardData(CF_TEXT)));
    ASSERT_NE(ansi, nullptr);
    EXPECT_TRUE(std::string(ansi).ends_with("\r\n37,512"));
    GlobalUnlock(GetClipboardData(CF_TEXT));
    CloseClipboard();
}

TEST_F(WindowTest, MaximisingAndRestoringLayTheWindowOut) {
    window_.SetState(WindowState::kMaximised);
    Pump();
    EXPECT_EQ(window_.State(), WindowState::kMaximised);
    const Size maximised = window_.OuterSize();
    EXPECT_EQ(window_.Get(ids::分组框_功能).Left(), maximised.width - 564);
    window_.SetState(WindowState::kNormal);
    Pump();
    EXPECT_EQ(window_.OuterSize(), (Size{1064, 768}));
    EXPECT_EQ(window_.Get(ids::分组框_功能).Left(), 500);
}

}  // namespace
}  // namespace pixmate::win
