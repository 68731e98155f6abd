#include "pixmate/shell/control_table.h"

#include <array>

namespace pixmate::ui {

namespace {

// One row: name, containing control, tab page, left, top, width, height, caption, flags. The
// kind comes from the typed id, so a row cannot claim another kind than Get() hands out.
#define ROW(name, parent, page, l, t, w, h, caption, flags)                                \
    ControlSpec {                                                                          \
        ids::name.id, #name, KindOf(ids::name), parent, page, {l, t, w, h}, caption, flags \
    }
#define IN(name) ids::name.id

constexpr auto kWindow = kMainWindow;
constexpr auto kNone = 0u;

// clang-format off
constexpr std::array kControls = {
    ROW(标签14,          kWindow,        kNoPage,   8,   8, 136,  16, "设备", kNone),
    ROW(标签16,          kWindow,        kNoPage,   8,  34,  32,  16, "设备", kNone),
    ROW(组合框_手机列表, kWindow,        kNoPage,  35,  32, 109,  20, "", kNone),
    ROW(树型框1,         kWindow,        kNoPage,   2,  56, 152, 592, "", kNone),
    ROW(分组框_图,       kWindow,        kNoPage, 156,   1, 356, 639, "", kNone),
    ROW(分组框_画板,     IN(分组框_图),  kNoPage,  32,  32, 300, 583, "", kNone),
    ROW(画板_原图,       IN(分组框_画板), kNoPage,  0,   0, 300, 583, "", kNone),
    ROW(纵向滚动条1,     IN(分组框_图),  kNoPage,   8,   9,  16, 624, "", kVertical),
    ROW(横向滚动条1,     IN(分组框_图),  kNoPage,  31,   9, 296,  16, "", kNone),
    ROW(分组框_功能,     kWindow,        kNoPage, 512,   0, 544, 640, "", kNone),
    ROW(分组框2,         IN(分组框_功能), kNoPage,  8,   8, 254, 256, "", kNone),
    ROW(画板_放大,       IN(分组框2),    kNoPage,  32,   8, 190, 190, "", kNone),
    ROW(标签1,           IN(分组框2),    kNoPage,  38, 201, 178,  47, "<", kNone),
    ROW(分组框3,         IN(分组框_功能), kNoPage,  8, 264, 256, 368, "", kNone),
    ROW(单选框_原图,     IN(分组框3),    kNoPage,   8,   8,  56,  24, "原图", kTicked),
    ROW(单选框_二值化,   IN(分组框3),    kNoPage,  64,   8,  56,  24, "二值化", kNone),
    ROW(标签13,          IN(分组框3),    kNoPage, 129,  10,  58,  20, "范围间隔", kNone),
    ROW(编辑框_相似度2,  IN(分组框3),    kNoPage, 190,  10,  46,  20, "4", kDisabled),
    ROW(按钮_截图1,      IN(分组框3),    kNoPage,   6,  64, 106,  24, "获取截图权限", kNone),
    ROW(按钮_截图,       IN(分组框3),    kNoPage, 135,  64, 106,  24, "截图", kNone),
    ROW(超级列表框1,     IN(分组框3),    kNoPage,   4,  88, 248, 272, "", kNone),
    ROW(画板_放大1,      IN(分组框3),    kNoPage,  24, 224, 216, 110, "", kHidden),
    ROW(分组框4,         IN(分组框_功能), kNoPage, 280,  8, 256, 624, "", kNone),
    ROW(标签12,          IN(分组框4),    kNoPage,   8,   8,  64,  20, "选择范围", kNone),
    ROW(分组框5,         IN(分组框4),    kNoPage,   8,  20, 240,  72, "", kNone),
    ROW(标签3,           IN(分组框5),    kNoPage,  11,  18,  32,  20, "范围X", kNone),
    ROW(编辑框_范围X,    IN(分组框5),    kNoPage,  67,  18,  32,  20, "", kNone),
    ROW(标签2,           IN(分组框5),    kNoPage, 115,  18,  40,  20, "范围Y", kNone),
    ROW(编辑框_范围Y,    IN(分组框5),    kNoPage, 155,  18,  32,  20, "", kNone),
    ROW(标签5,           IN(分组框5),    kNoPage,  11,  45,  40,  20, "范围X2", kNone),
    ROW(编辑框_范围x2,   IN(分组框5),    kNoPage,  67,  45,  32,  20, "", kNone),
    ROW(标签4,           IN(分组框5),    kNoPage, 115,  45,  40,  20, "范围Y2", kNone),
    ROW(编辑框_范围Y2,   IN(分组框5),    kNoPage, 155,  45,  32,  20, "", kNone),
    ROW(按钮_寻找范围,   IN(分组框5),    kNoPage, 194,  15,  24,  48, "选择", kNone),
    ROW(分组框6,         IN(分组框4),    kNoPage,   8,  91, 240,  45, "", kNone),
    ROW(标签6,           IN(分组框6),    kNoPage,  12,  15,  27,  20, "方式", kNone),
    ROW(单选框_找图,     IN(分组框6),    kNoPage,  48,  13,  48,  24, "找图", kTicked),
    ROW(单选框_找色,     IN(分组框6),    kNoPage,  96,  13,  48,  24, "找色", kNone),
    ROW(选择夹1,         IN(分组框4),    kNoPage,   8, 139, 240, 149, "找图|找色", kNone),
    ROW(标签11,          IN(选择夹1),    0,         8,  36,  40,  20, "相似度", kNone),
    ROW(编辑框_相似度,   IN(选择夹1),    0,        56,  36,  46,  20, "0.9", kNone),
    ROW(标签9,           IN(选择夹1),    0,         8,  64,  32,  20, "范围X", kNone),
    ROW(编辑框_图片x,    IN(选择夹1),    0,        56,  64,  46,  20, "", kNone),
    ROW(标签10,          IN(选择夹1),    0,       104,  64,  32,  20, "范围Y", kNone),
    ROW(编辑框_图片Y,    IN(选择夹1),    0,       152,  64,  46,  20, "", kNone),
    ROW(标签8,           IN(选择夹1),    0,         8,  94,  40,  20, "范围X2", kNone),
    ROW(编辑框_图片x2,   IN(选择夹1),    0,        56,  94,  46,  20, "", kNone),
    ROW(标签7,           IN(选择夹1),    0,       104,  94,  40,  20, "范围Y2", kNone),
    ROW(编辑框_图片Y2,   IN(选择夹1),    0,       152,  94,  46,  20, "", kNone),
    ROW(按钮_目标范围,   IN(选择夹1),    0,        24, 120, 189,  24, "选择", kNone),
    ROW(标签17,          IN(选择夹1),    1,        16,  35,  40,  20, "相似度", kNone),
    ROW(编辑框_相似度1,  IN(选择夹1),    1,        58,  35,  46,  20, "4", kNone),
    ROW(单选框_查看坐标, IN(分组框4),    kNoPage,   8, 296,  72,  24, "查看坐标", kTicked),
    ROW(单选框_模拟点击, IN(分组框4),    kNoPage,  88, 296,  72,  24, "模拟点击", kNone),
    ROW(按钮_生成代码,   IN(分组框4),    kNoPage,   8, 321,  75,  23, "生成代码", kNone),
    ROW(按钮_发送代码,   IN(分组框4),    kNoPage, 169, 321,  72,  24, "发送代码", kNone),
    ROW(编辑框_图色代码, IN(分组框4),    kNoPage,   8, 360, 240, 154, "", kMultiLine),
    ROW(标签15,          IN(分组框4),    kNoPage,   8, 521,  64,  20, "返回结果", kNone),
    ROW(按钮_复制代码,   IN(分组框4),    kNoPage, 160, 518,  75,  23, "复制代码", kNone),
    ROW(编辑框_图色结果, IN(分组框4),    kNoPage,   8, 544, 240,  65, "", kMultiLine),
};

constexpr std::array kColourListColumns = {
    ListColumnSpec{"ID", 50},
    ListColumnSpec{"颜色", 36},
    ListColumnSpec{"RGB", 75},
    ListColumnSpec{"坐标", 65},
};

constexpr std::array kMenus = {
    MenuSpec{menus::原图.id, "原图"},
    MenuSpec{menus::颜色.id, "颜色"},
};

constexpr std::array kMenuItems = {
    MenuItemSpec{menus::取点.id,         menus::原图.id, "取点"},
    MenuItemSpec{menus::选择寻找范围.id, menus::原图.id, "选择寻找范围"},
    MenuItemSpec{menus::选择寻找图片.id, menus::原图.id, "选择寻找图片"},
    MenuItemSpec{menus::复制当前坐标.id, menus::原图.id, "复制当前坐标"},
    MenuItemSpec{menus::删除.id,         menus::颜色.id, "删除"},
    MenuItemSpec{menus::清空.id,         menus::颜色.id, "清空"},
};
// clang-format on

#undef ROW
#undef IN

}  // namespace

std::span<const ControlSpec> ControlTable() {
    return kControls;
}

const ControlSpec* FindControl(ControlId id) {
    const std::int64_t index = std::int64_t{id} - kFirstControlId;
    if (index < 0 || index >= static_cast<std::int64_t>(kControls.size())) return nullptr;
    return &kControls[static_cast<std::size_t>(index)];
}

std::vector<std::string_view> TabPages(const ControlSpec& tab) {
    std::vector<std::string_view> pages;
    std::string_view rest = tab.caption;
    while (!rest.empty()) {
        const auto bar = rest.find('|');
        pages.push_back(rest.substr(0, bar));
        if (bar == std::string_view::npos) break;
        rest.remove_prefix(bar + 1);
    }
    return pages;
}

std::span<const ListColumnSpec> ColourListColumns() {
    return kColourListColumns;
}
std::span<const MenuSpec> MenuTable() {
    return kMenus;
}
std::span<const MenuItemSpec> MenuItemTable() {
    return kMenuItems;
}

}  // namespace pixmate::ui
