#include "pixmate/shell/control_table.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

namespace pixmate::ui {
namespace {

TEST(ControlTable, IdsRunWithoutGapsAndNameTheirRows) {
    const auto table = ControlTable();
    ASSERT_EQ(table.size(), 60u);
    std::set<std::string_view> names;
    for (std::size_t i = 0; i < table.size(); ++i) {
        EXPECT_EQ(table[i].id, kFirstControlId + static_cast<ControlId>(i)) << table[i].name;
        EXPECT_TRUE(names.insert(table[i].name).second) << table[i].name;
        EXPECT_EQ(FindControl(table[i].id), &table[i]);
    }
    EXPECT_EQ(FindControl(kFirstControlId - 1), nullptr);
    EXPECT_EQ(FindControl(kFirstControlId + 60), nullptr);
    EXPECT_EQ(FindControl(ids::组合框_手机列表.id)->name, "组合框_手机列表");
    EXPECT_EQ(FindControl(ids::编辑框_图色结果.id)->name, "编辑框_图色结果");
}

TEST(ControlTable, ContainersComeFirstAndPagesBelongToTabs) {
    std::set<ControlId> seen{kMainWindow};
    for (const ControlSpec& c : ControlTable()) {
        ASSERT_TRUE(seen.count(c.parent)) << c.name << " comes before its container";
        seen.insert(c.id);
        if (c.parent == kMainWindow) {
            EXPECT_EQ(c.page, kNoPage) << c.name;
            continue;
        }
        const ControlSpec& parent = *FindControl(c.parent);
        if (parent.kind == ControlKind::kTabControl) {
            EXPECT_GE(c.page, 0) << c.name;
            EXPECT_LT(c.page, static_cast<std::int32_t>(TabPages(parent).size())) << c.name;
        } else {
            EXPECT_EQ(parent.kind, ControlKind::kGroupBox) << c.name;
            EXPECT_EQ(c.page, kNoPage) << c.name;
        }
    }
    const auto pages = TabPages(*FindControl(ids::选择夹1.id));
    EXPECT_EQ(pages, (std::vector<std::string_view>{"找图", "找色"}));
}

TEST(ControlTable, EachRadioGroupHasExactlyOneTickedButton) {
    std::map<ControlId, int> ticked, members;
    for (const ControlSpec& c : ControlTable()) {
        if (c.kind != ControlKind::kRadioButton) continue;
        ++members[c.parent];
        if (c.flags & kTicked) ++ticked[c.parent];
    }
    ASSERT_EQ(members.size(), 3u);
    for (auto [group, count] : members) {
        EXPECT_EQ(count, 2);
        EXPECT_EQ(ticked[group], 1);
    }
    for (auto ref : {ids::单选框_原图, ids::单选框_找图, ids::单选框_查看坐标})
        EXPECT_TRUE(FindControl(ref.id)->flags & kTicked);
}

TEST(ControlTable, MenusHoldTheirItemsInOrder) {
    std::map<MenuId, std::vector<std::string_view>> items;
    for (const MenuItemSpec& item : MenuItemTable()) items[item.menu].push_back(item.caption);
    EXPECT_EQ(items[menus::原图.id], (std::vector<std::string_view>{
                                         "取点", "选择寻找范围", "选择寻找图片", "复制当前坐标"}));
    EXPECT_EQ(items[menus::颜色.id], (std::vector<std::string_view>{"删除", "清空"}));
    // Menu item ids share the window's command space with the controls.
    for (const MenuItemSpec& item : MenuItemTable()) EXPECT_EQ(FindControl(item.id), nullptr);
}

TEST(ControlTable, TitleStartsWithTheProgramsNameAndPurpose) {
    EXPECT_TRUE(kWindowTitle.starts_with("PixmateV1.0.9 - 快捷找图找色找节点"));
    EXPECT_EQ(kWindowPlace, (Rect{50, 50, 1064, 768}));
}

}  // namespace
}  // namespace pixmate::ui
