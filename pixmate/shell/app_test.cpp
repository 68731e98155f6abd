// The program put together on the in-memory window with the real phone link on a loopback
// port. The test of a phone being listed runs under the phone farm (tools/phone-sim).
#include "pixmate/shell/app.h"

#include <gtest/gtest.h>

#include <chrono>

#include "pixmate/link/link_test_support.h"
#include "pixmate/link/phone_farm.h"
#include "pixmate/shell/memory_window.h"

namespace pixmate {
namespace {

using namespace std::chrono_literals;
using namespace ui;
using testing::FarmCommand;
using testing::PhoneFarm;
using testing::WaitUntil;

WebSocketServer::Options Loopback() {
    WebSocketServer::Options options;
    options.address = "127.0.0.1";
    return options;
}

App::Options TestOptions(std::uint16_t port = 0) {
    return {port, Loopback(), [] { return std::vector<std::string>{"192.168.7.7", "10.0.0.3"}; }};
}

TEST(App, OpeningTheWindowStartsTheLinkShowsTheAddressAndLaysOut) {
    MemoryMainWindow window;
    App app(window, TestOptions());
    EXPECT_FALSE(app.ServerStarted()) << "nothing starts before the window opens";
    window.Open();
    EXPECT_TRUE(app.ServerStarted());
    EXPECT_GT(app.ServerPort(), 0);
    EXPECT_EQ(window.Get(ids::标签14).Caption(), "ip:192.168.7.7");
    EXPECT_EQ(window.Get(ids::分组框_功能).Left(), 500);
    EXPECT_EQ(window.Get(ids::横向滚动条1).Maximum(), -300);
    window.UserMaximises();
    EXPECT_FALSE(window.UserRequestsClose());
    EXPECT_TRUE(window.UserRequestsClose());
}

TEST(App, ReleaseFreesThePortAndLetsGoOfTheWindow) {
    MemoryMainWindow window;
    std::uint16_t port = 0;
    {
        App app(window, TestOptions());
        window.Open();
        port = app.ServerPort();
        ASSERT_GT(port, 0);
        app.Release();
        EXPECT_EQ(app.ServerPort(), 0);
        app.Release();  // once is enough
    }
    // The window outlives the program's parts: its events reach nothing any more.
    window.UserResizes({1200, 900});
    window.Memory(ids::组合框_手机列表).UserSelects(0);
    EXPECT_TRUE(window.UserRequestsClose());
    // Nobody listens on the port any more.
    WebSocketServer other;
    other.Init(port, {}, {}, {}, Loopback());
    EXPECT_TRUE(other.Start());
    other.Stop();
}

TEST(App, APortInUseLeavesTheWindowWorking) {
    WebSocketServer holder;
    holder.Init(0, {}, {}, {}, Loopback());
    ASSERT_TRUE(holder.Start());
    MemoryMainWindow window;
    App app(window, TestOptions(holder.Port()));
    window.Open();
    EXPECT_FALSE(app.ServerStarted());
    EXPECT_EQ(window.Get(ids::标签14).Caption(), "ip:192.168.7.7");
    EXPECT_EQ(window.Get(ids::组合框_手机列表).ItemCount(), 0);
    EXPECT_EQ(app.Registry().SelectedDevice(), 0);
    holder.Stop();
}

TEST(App, APhoneThatConnectsIsListedAndCanBeChosen) {
    if (!PhoneFarm::Available()) GTEST_SKIP() << "needs the phone farm (phone-farm.js)";
    MemoryMainWindow window;
    App app(window, TestOptions());
    window.Open();
    ASSERT_TRUE(app.ServerStarted());
    const JsonObject answer =
        PhoneFarm::Instance().Call(FarmCommand("phone")
                                       .Set("name", "app-test")
                                       .Set("port", std::int64_t{app.ServerPort()})
                                       .Set("brand", "Xiaomi")
                                       .Set("model", "Mi 10"));
    ASSERT_EQ(answer.GetText("ok"), "true") << answer.GetText("error");
    ComboBox& box = window.Get(ids::组合框_手机列表);
    ASSERT_TRUE(WaitUntil([&] { return box.ItemCount() == 1; }, 60s));
    EXPECT_EQ(box.ItemText(0), "Xiaomi Mi 10");
    EXPECT_EQ(box.ItemValue(0), 1);
    window.Memory(ids::组合框_手机列表).UserSelects(0);
    EXPECT_EQ(app.Registry().SelectedDevice(), 1);
    PhoneFarm::Instance().Call(FarmCommand("stopPhone").Set("name", "app-test"));
    // Released with no phone event left to run.
    app.Release();
}

}  // namespace
}  // namespace pixmate
