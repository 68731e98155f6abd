#pragma once
// The main window as designed: every control with its id, kind, containing control, place,
// caption and start-up state, and the two pop-up menus. One table that the Win32 window and the
// in-memory window both build themselves from, and that the GUI tests read to find controls by
// id. The ids are Win32 control ids too.
//
// Controls are named as the window defines them; a typed reference (ids::标签14) tells the kind,
// so MainWindow::Get(ids::标签14) hands out a Label.

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

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

struct Size {
    std::int32_t width = 0;
    std::int32_t height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

class Label;
class EditBox;
class Button;
class RadioButton;
class GroupBox;
class TabControl;
class ComboBox;
class ListView;
class Canvas;
class ScrollBar;
class TreeView;

enum class ControlKind : std::uint8_t {
    kLabel,
    kEditBox,
    kButton,
    kRadioButton,
    kGroupBox,
    kTabControl,
    kComboBox,
    kListView,
    kCanvas,
    kScrollBar,
    kTreeView,
};

using ControlId = std::int32_t;
// The containing "control" of the window's own controls.
inline constexpr ControlId kMainWindow = 0;
inline constexpr ControlId kFirstControlId = 1001;

template <typename T>
struct ControlRef {
    ControlId id;
};

constexpr ControlKind KindOf(ControlRef<Label>) {
    return ControlKind::kLabel;
}
constexpr ControlKind KindOf(ControlRef<EditBox>) {
    return ControlKind::kEditBox;
}
constexpr ControlKind KindOf(ControlRef<Button>) {
    return ControlKind::kButton;
}
constexpr ControlKind KindOf(ControlRef<RadioButton>) {
    return ControlKind::kRadioButton;
}
constexpr ControlKind KindOf(ControlRef<GroupBox>) {
    return ControlKind::kGroupBox;
}
constexpr ControlKind KindOf(ControlRef<TabControl>) {
    return ControlKind::kTabControl;
}
constexpr ControlKind KindOf(ControlRef<ComboBox>) {
    return ControlKind::kComboBox;
}
constexpr ControlKind KindOf(ControlRef<ListView>) {
    return ControlKind::kListView;
}
constexpr ControlKind KindOf(ControlRef<Canvas>) {
    return ControlKind::kCanvas;
}
constexpr ControlKind KindOf(ControlRef<ScrollBar>) {
    return ControlKind::kScrollBar;
}
constexpr ControlKind KindOf(ControlRef<TreeView>) {
    return ControlKind::kTreeView;
}

// Start-up state and style beyond kind and place.
enum ControlFlag : std::uint32_t {
    kTicked = 1u << 0,  // radio button selected in its group
    kDisabled = 1u << 1,
    kHidden = 1u << 2,
    kVertical = 1u << 3,   // scroll bar
    kMultiLine = 1u << 4,  // edit box
};

inline constexpr std::int32_t kNoPage = -1;

struct ControlSpec {
    ControlId id;
    std::string_view name;
    ControlKind kind;
    ControlId parent;   // kMainWindow or the id of the containing control
    std::int32_t page;  // page of the containing tab control, or kNoPage
    Rect place;         // relative to the containing control (or tab control)
    // Caption or initial text; for a tab control its page titles separated by '|'.
    std::string_view caption;
    std::uint32_t flags;
};

namespace ids {
// clang-format off
inline constexpr ControlRef<Label>       标签14{1001};
inline constexpr ControlRef<Label>       标签16{1002};
inline constexpr ControlRef<ComboBox>    组合框_手机列表{1003};
inline constexpr ControlRef<TreeView>    树型框1{1004};
inline constexpr ControlRef<GroupBox>    分组框_图{1005};
inline constexpr ControlRef<GroupBox>    分组框_画板{1006};
inline constexpr ControlRef<Canvas>      画板_原图{1007};
inline constexpr ControlRef<ScrollBar>   纵向滚动条1{1008};
inline constexpr ControlRef<ScrollBar>   横向滚动条1{1009};
inline constexpr ControlRef<GroupBox>    分组框_功能{1010};
inline constexpr ControlRef<GroupBox>    分组框2{1011};
inline constexpr ControlRef<Canvas>      画板_放大{1012};
inline constexpr ControlRef<Label>       标签1{1013};
inline constexpr ControlRef<GroupBox>    分组框3{1014};
inline constexpr ControlRef<RadioButton> 单选框_原图{1015};
inline constexpr ControlRef<RadioButton> 单选框_二值化{1016};
inline constexpr ControlRef<Label>       标签13{1017};
inline constexpr ControlRef<EditBox>     编辑框_相似度2{1018};
inline constexpr ControlRef<Button>      按钮_截图1{1019};
inline constexpr ControlRef<Button>      按钮_截图{1020};
inline constexpr ControlRef<ListView>    超级列表框1{1021};
inline constexpr ControlRef<Canvas>      画板_放大1{1022};
inline constexpr ControlRef<GroupBox>    分组框4{1023};
inline constexpr ControlRef<Label>       标签12{1024};
inline constexpr ControlRef<GroupBox>    分组框5{1025};
inline constexpr ControlRef<Label>       标签3{1026};
inline constexpr ControlRef<EditBox>     编辑框_范围X{1027};
inline constexpr ControlRef<Label>       标签2{1028};
inline constexpr ControlRef<EditBox>     编辑框_范围Y{1029};
inline constexpr ControlRef<Label>       标签5{1030};
inline constexpr ControlRef<EditBox>     编辑框_范围x2{1031};
inline constexpr ControlRef<Label>       标签4{1032};
inline constexpr ControlRef<EditBox>     编辑框_范围Y2{1033};
inline constexpr ControlRef<Button>      按钮_寻找范围{1034};
inline constexpr ControlRef<GroupBox>    分组框6{1035};
inline constexpr ControlRef<Label>       标签6{1036};
inline constexpr ControlRef<RadioButton> 单选框_找图{1037};
inline constexpr ControlRef<RadioButton> 单选框_找色{1038};
inline constexpr ControlRef<TabControl>  选择夹1{1039};
inline constexpr ControlRef<Label>       标签11{1040};
inline constexpr ControlRef<EditBox>     编辑框_相似度{1041};
inline constexpr ControlRef<Label>       标签9{1042};
inline constexpr ControlRef<EditBox>     编辑框_图片x{1043};
inline constexpr ControlRef<Label>       标签10{1044};
inline constexpr ControlRef<EditBox>     编辑框_图片Y{1045};
inline constexpr ControlRef<Label>       标签8{1046};
inline constexpr ControlRef<EditBox>     编辑框_图片x2{1047};
inline constexpr ControlRef<Label>       标签7{1048};
inline constexpr ControlRef<EditBox>     编辑框_图片Y2{1049};
inline constexpr ControlRef<Button>      按钮_目标范围{1050};
inline constexpr ControlRef<Label>       标签17{1051};
inline constexpr ControlRef<EditBox>     编辑框_相似度1{1052};
inline constexpr ControlRef<RadioButton> 单选框_查看坐标{1053};
inline constexpr ControlRef<RadioButton> 单选框_模拟点击{1054};
inline constexpr ControlRef<Button>      按钮_生成代码{1055};
inline constexpr ControlRef<Button>      按钮_发送代码{1056};
inline constexpr ControlRef<EditBox>     编辑框_图色代码{1057};
inline constexpr ControlRef<Label>       标签15{1058};
inline constexpr ControlRef<Button>      按钮_复制代码{1059};
inline constexpr ControlRef<EditBox>     编辑框_图色结果{1060};
// clang-format on
}  // namespace ids

// Every control, parents before their children, in creation (and tab) order; the ids run
// from kFirstControlId without gaps.
std::span<const ControlSpec> ControlTable();
// Null for an id that is not in the table.
const ControlSpec* FindControl(ControlId id);
// The page titles of a tab control.
std::vector<std::string_view> TabPages(const ControlSpec& tab);

// ---- The main window itself

// Title: the program's name and purpose, then the support contact.
inline constexpr std::string_view kWindowTitle =
    "PixmateV1.0.9 - 快捷找图找色找节点 - 技术支持: pixmate@example.com";
// Place on the screen and outer size.
inline constexpr Rect kWindowPlace{50, 50, 1064, 768};

// ---- Columns of the colour point list 超级列表框1

struct ListColumnSpec {
    std::string_view title;
    std::int32_t width;
};
std::span<const ListColumnSpec> ColourListColumns();

// ---- Menus: two hidden top-level menus, used only as pop-ups

using MenuId = std::int32_t;
struct MenuRef {
    MenuId id;
};
struct MenuItemRef {
    MenuId id;
};

struct MenuSpec {
    MenuId id;
    std::string_view caption;
};
struct MenuItemSpec {
    MenuId id;
    MenuId menu;
    std::string_view caption;
};

namespace menus {
inline constexpr MenuRef 原图{2001};
inline constexpr MenuItemRef 取点{2101};
inline constexpr MenuItemRef 选择寻找范围{2102};
inline constexpr MenuItemRef 选择寻找图片{2103};
inline constexpr MenuItemRef 复制当前坐标{2104};
inline constexpr MenuRef 颜色{2002};
inline constexpr MenuItemRef 删除{2201};
inline constexpr MenuItemRef 清空{2202};
}  // namespace menus

std::span<const MenuSpec> MenuTable();
// Items in menu order.
std::span<const MenuItemSpec> MenuItemTable();

}  // namespace pixmate::ui
