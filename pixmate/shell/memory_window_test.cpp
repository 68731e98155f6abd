#include "pixmate/shell/memory_window.h"

#include <gtest/gtest.h>

#include <thread>

namespace pixmate::ui {
namespace {

TEST(MemoryWindow, StartsAsTheTableSays) {
    MemoryMainWindow window;
    EXPECT_EQ(window.Title(), kWindowTitle);
    EXPECT_EQ(window.OuterSize(), (Size{1064, 768}));
    for (const ControlSpec& spec : ControlTable()) {
        SCOPED_TRACE(spec.name);
        EXPECT_EQ(window.Get(ControlRef<Control>{spec.id}).Bounds(), spec.place);
    }
    EXPECT_EQ(window.Get(ids::标签14).Caption(), "设备");
    EXPECT_EQ(window.Get(ids::标签13).Caption(), "范围间隔");
    EXPECT_EQ(window.Get(ids::编辑框_相似度).Text(), "0.9");
    EXPECT_EQ(window.Get(ids::编辑框_相似度1).Text(), "4");
    EXPECT_EQ(window.Get(ids::编辑框_图色代码).Text(), "");
    // The edge cases of the start-up state.
    EXPECT_TRUE(window.Get(ids::单选框_原图).Checked());
    EXPECT_FALSE(window.Get(ids::单选框_二值化).Checked());
    EXPECT_TRUE(window.Get(ids::单选框_找图).Checked());
    EXPECT_TRUE(window.Get(ids::单选框_查看坐标).Checked());
    EXPECT_FALSE(window.Get(ids::单选框_模拟点击).Checked());
    EXPECT_FALSE(window.Get(ids::编辑框_相似度2).Enabled());
    EXPECT_EQ(window.Get(ids::编辑框_相似度2).Text(), "4");
    EXPECT_EQ(window.Get(ids::选择夹1).CurrentPage(), 0);
    EXPECT_EQ(window.Get(ids::选择夹1).PageCount(), 2);
    EXPECT_TRUE(window.Get(ids::编辑框_相似度).Visible());
    EXPECT_FALSE(window.Get(ids::编辑框_相似度1).Visible());
    EXPECT_FALSE(window.Get(ids::画板_放大1).Visible());
    EXPECT_TRUE(window.Get(ids::树型框1).Visible());
    EXPECT_EQ(window.Get(ids::超级列表框1).RowCount(), 0);
    EXPECT_EQ(window.Get(ids::超级列表框1).ColumnCount(), 4);
    EXPECT_EQ(window.Get(ids::组合框_手机列表).SelectedRow(), ComboBox::kNoRow);
    EXPECT_FALSE(window.Get(ids::纵向滚动条1).Enabled());
    // Canvases have a surface as large as the control.
    EXPECT_EQ(window.Get(ids::画板_放大).Surface().Width(), 190);
    EXPECT_EQ(window.Get(ids::画板_放大).PixelAt(189, 189), kWhite);
    EXPECT_EQ(window.Get(ids::画板_放大).PixelAt(190, 0), kNoColour);
}

TEST(MemoryWindow, RadioButtonsTickOnePerContainingControl) {
    MemoryMainWindow window;
    window.Memory(ids::单选框_二值化).UserClicks();
    EXPECT_TRUE(window.Get(ids::单选框_二值化).Checked());
    EXPECT_FALSE(window.Get(ids::单选框_原图).Checked());
    // Ticking by program follows the same rule; other groups are untouched.
    window.Get(ids::单选框_找色).SetChecked(true);
    EXPECT_FALSE(window.Get(ids::单选框_找图).Checked());
    EXPECT_TRUE(window.Get(ids::单选框_二值化).Checked());
    EXPECT_TRUE(window.Get(ids::单选框_查看坐标).Checked());
    int clicks = 0;
    window.Get(ids::单选框_原图).onClicked = [&] { ++clicks; };
    window.Get(ids::单选框_原图).SetChecked(true);
    EXPECT_EQ(clicks, 0) << "only the user raises a click";
    window.Memory(ids::单选框_原图).UserClicks();
    EXPECT_EQ(clicks, 1);
}

TEST(MemoryWindow, TabPagesShowTheirOwnControls) {
    MemoryMainWindow window;
    TabControl& tab = window.Get(ids::选择夹1);
    tab.SetCurrentPage(1);
    EXPECT_EQ(tab.CurrentPage(), 1);
    EXPECT_TRUE(window.Get(ids::编辑框_相似度1).Visible());
    EXPECT_TRUE(window.Get(ids::标签17).Visible());
    EXPECT_FALSE(window.Get(ids::按钮_目标范围).Visible());
    int clicks = 0;
    window.Get(ids::按钮_目标范围).onClicked = [&] { ++clicks; };
    window.Memory(ids::按钮_目标范围).UserClicks();
    EXPECT_EQ(clicks, 0) << "a hidden button cannot be clicked";
    tab.SetCurrentPage(2);
    EXPECT_EQ(tab.CurrentPage(), 1);
    tab.SetCurrentPage(0);
    EXPECT_TRUE(window.Get(ids::按钮_目标范围).Visible());
    EXPECT_FALSE(window.Get(ids::编辑框_相似度1).Visible());
}

TEST(MemoryWindow, ScrollBarsAreUsableExactlyWhenThereIsSomethingToScroll) {
    MemoryMainWindow window;
    ScrollBar& bar = window.Get(ids::纵向滚动条1);
    struct Case {
        std::int32_t maximum, asked, position;
        bool enabled;
    };
    for (const Case& c :
         {Case{-583, 10, 0, false}, Case{0, 10, 0, false}, Case{1, 10, 1, true},
          Case{1689, 100, 100, true}, Case{1689, -5, 0, true}, Case{1689, 2000, 1689, true}}) {
        bar.SetMaximum(c.maximum);
        bar.SetPosition(c.asked);
        EXPECT_EQ(bar.Position(), c.position) << c.maximum << " " << c.asked;
        EXPECT_EQ(bar.Enabled(), c.enabled) << c.maximum;
    }
    bar.SetPosition(1500);
    bar.SetMaximum(1000);
    EXPECT_EQ(bar.Position(), 1000);
}

TEST(MemoryWindow, ListRowsCellsChecksAndSelection) {
    MemoryMainWindow window;
    MemoryListView& list = window.Memory(ids::超级列表框1);
    EXPECT_EQ(list.AppendRow("1"), 0);
    EXPECT_EQ(list.AppendRow("2"), 1);
    EXPECT_EQ(list.InsertRow(0, "0"), 0);
    EXPECT_TRUE(list.SetCellText(2, 3, "12,34"));
    EXPECT_FALSE(list.SetCellText(3, 0, "x"));
    EXPECT_FALSE(list.SetCellText(0, 4, "x"));
    EXPECT_EQ(list.CellText(2, 3), "12,34");
    EXPECT_EQ(list.CellText(1, 0), "1");
    EXPECT_FALSE(list.RowChecked(1));
    list.SetRowChecked(1, true);
    EXPECT_TRUE(list.RowChecked(1));
    list.SetSelectedRow(2);
    EXPECT_TRUE(list.DeleteRow(0));
    EXPECT_EQ(list.SelectedRow(), 1) << "the selection moves up with its row";
    EXPECT_TRUE(list.RowChecked(0));
    EXPECT_FALSE(list.DeleteRow(5));
    list.DeleteAllRows();
    EXPECT_EQ(list.RowCount(), 0);
    EXPECT_EQ(list.SelectedRow(), ListView::kNoRow);
    // Cells without colours of their own: black on the list's text background.
    EXPECT_EQ(list.DrawnColours(0, 1), (CellColours{0, 0xFFFFFF}));
    list.cellColours = [](std::int32_t row, std::int32_t column) -> std::optional<CellColours> {
        if (column == 1) return CellColours{0x0080FF, 0x0080FF};
        return std::nullopt;
    };
    EXPECT_EQ(list.DrawnColours(0, 1), (CellColours{0x0080FF, 0x0080FF}));
    EXPECT_EQ(list.DrawnColours(0, 2), (CellColours{0, 0xFFFFFF}));
}

TEST(MemoryWindow, PopUpsAtTheCursorAndChosenItems) {
    MemoryMainWindow window;
    window.SetCursorPosition({300, 400});
    window.Get(menus::原图).PopUpAtCursor();
    window.Get(menus::颜色).PopUpAt({5, 6});
    EXPECT_EQ(window.Memory(menus::原图).PopUps(), (std::vector<Point>{{300, 400}}));
    EXPECT_EQ(window.Memory(menus::颜色).PopUps(), (std::vector<Point>{{5, 6}}));
    int chosen = 0;
    window.Get(menus::清空).onSelected = [&] { ++chosen; };
    window.UserChooses(menus::清空);
    window.UserChooses(menus::删除);  // no handler: nothing
    EXPECT_EQ(chosen, 1);
}

TEST(MemoryWindow, MessageBoxesHoldTheirCallerUntilClosed) {
    MemoryMainWindow window;
    window.Messages().HoldBoxes();
    std::thread server([&] { window.Messages().ShowMessage("解析失败"); });
    EXPECT_TRUE(window.Messages().WaitForCount(1, 5000));
    window.Messages().ReleaseBoxes();
    server.join();
    EXPECT_EQ(window.Messages().Shown(), (std::vector<std::string>{"解析失败"}));
}

TEST(MemoryWindow, ClipboardKeepsItsTextWhenBusy) {
    MemoryMainWindow window;
    EXPECT_TRUE(window.SystemClipboard().SetText("37,512"));
    window.SystemClipboard().SetBusy(true);
    EXPECT_FALSE(window.SystemClipboard().SetText("x"));
    EXPECT_EQ(window.SystemClipboard().Text(), "37,512");
}

}  // namespace
}  // namespace pixmate::ui
