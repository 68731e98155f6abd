// The phone link over loopback: our server and registry against the simulated phones (the
// client script under Node) and plain clients of the `ws` package, all staged through the phone
// farm. Runs natively and, as a Windows program, under Wine.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <thread>

#include "pixmate/link/device_registry.h"
#include "pixmate/link/link_test_support.h"
#include "pixmate/link/phone_farm.h"
#include "pixmate/link/websocket_server.h"
#include "pixmate/shell/memory_window.h"

namespace pixmate {
namespace {

using namespace std::chrono_literals;
using testing::FarmCommand;
using testing::PhoneFarm;
using testing::WaitUntil;

constexpr std::size_t kMiB = 1024 * 1024;

#define SKIP_WITHOUT_FARM() \
    if (!PhoneFarm::Available()) GTEST_SKIP() << "needs the phone farm (phone-farm.js)"

JsonObject Farm(const FarmCommand& command) {
    JsonObject answer = PhoneFarm::Instance().Call(command);
    EXPECT_EQ(answer.GetText("ok"), "true") << answer.GetText("error");
    return answer;
}

WebSocketServer::Options TestOptions() {
    WebSocketServer::Options options;
    options.address = "127.0.0.1";
    options.handshakeTimeout = 2s;
    options.idleTimeout = 4s;
    return options;
}

// The program's link: server and registry, as start-up wires them, on an ephemeral port.
class LinkLoopback : public ::testing::Test {
  protected:
    void SetUp() override { SKIP_WITHOUT_FARM(); }

    void StartLink(std::int32_t infoTimeoutSeconds = 1) {
        registry_ = std::make_unique<DeviceRegistry>(DeviceRegistry::Dependencies{
            .deviceBox = box_, .messageBoxes = boxes_, .infoTimeoutSeconds = infoTimeoutSeconds});
        registry_->Attach(server_, 0, TestOptions());
        ASSERT_TRUE(server_.Start());
        port_ = server_.Port();
        ASSERT_GT(port_, 0);
    }

    void TearDown() override {
        if (!PhoneFarm::Available()) return;
        boxes_.ReleaseBoxes();
        PhoneFarm::Instance().Call(FarmCommand("stopAll"));
        server_.Stop();  // first: no event touches the registry afterwards
        if (registry_) registry_->Shutdown();
    }

    FarmCommand PhoneCommand(std::string_view name, std::string_view brand,
                             std::string_view model) {
        return FarmCommand("phone")
            .Set("name", name)
            .Set("port", std::int64_t{port_})
            .Set("brand", brand)
            .Set("model", model)
            .Set("heartbeatMs", 200)
            .Set("reconnectMs", 100);
    }

    std::vector<std::string> Rows() const {
        std::vector<std::string> rows;
        for (std::int32_t row = 0; row < box_.ItemCount(); ++row)
            rows.push_back(box_.ItemText(row));
        return rows;
    }

    bool WaitForRows(const std::vector<std::string>& rows,
                     std::chrono::milliseconds timeout = 20s) {
        return WaitUntil([&] { return Rows() == rows; }, timeout);
    }

    std::int32_t IndexOfRow(std::int32_t row) const { return box_.ItemValue(row); }

    ui::MemoryComboBox box_;
    ui::MemoryMessageBoxes boxes_;
    WebSocketServer server_;
    std::unique_ptr<DeviceRegistry> registry_;
    std::int64_t port_ = 0;
};

TEST_F(LinkLoopback, PhoneIsListedAfterItsFourEvaluations) {
    StartLink();
    Farm(PhoneCommand("A", "HUAWEI", "Mate 40 Pro").Set("width", 1344).Set("height", 2772));
    ASSERT_TRUE(WaitForRows({"HUAWEI Mate 40 Pro"}));
    const DeviceInfo info = registry_->Info(IndexOfRow(0));
    EXPECT_EQ(info.width, 1344);
    EXPECT_EQ(info.height, 2772);
    const JsonObject stats = Farm(FarmCommand("phoneStats").Set("name", "A"));
    EXPECT_EQ(stats.GetNumber("requests"), 4);
}

TEST_F(LinkLoopback, HeartbeatsDoNothing) {
    StartLink();
    Farm(PhoneCommand("A", "OPPO", "Find X5").Set("heartbeatMs", 50));
    ASSERT_TRUE(WaitForRows({"OPPO Find X5"}));
    ASSERT_TRUE(WaitUntil([] {
        return PhoneFarm::Instance()
                   .Call(FarmCommand("phoneStats").Set("name", "A"))
                   .GetNumber("heartbeats") >= 10;
    }));
    EXPECT_TRUE(boxes_.Shown().empty());
    EXPECT_EQ(Rows(), std::vector<std::string>{"OPPO Find X5"});
    EXPECT_EQ(registry_->Record(1)->evaluator.Reply(), "2400");  // the height answer, untouched
}

TEST_F(LinkLoopback, SilentPhoneIsListedWithMinusOnesAfterItsTimeouts) {
    StartLink(/*infoTimeoutSeconds=*/1);
    Farm(PhoneCommand("A", "vivo", "X60").Set("silent", true));
    ASSERT_TRUE(WaitForRows({"-1 -1"}, 30s));
    EXPECT_EQ(registry_->Info(1).width, -1);
    EXPECT_EQ(registry_->Info(1).height, -1);
}

// With the program's own ten-second timeout: about forty seconds (label "slow").
TEST_F(LinkLoopback, SlowSilentPhoneWithTheDefaultTimeout) {
    StartLink(/*infoTimeoutSeconds=*/0);
    const auto started = std::chrono::steady_clock::now();
    Farm(PhoneCommand("A", "vivo", "X60").Set("silent", true));
    ASSERT_TRUE(WaitForRows({"-1 -1"}, 90s));
    EXPECT_GE(std::chrono::steady_clock::now() - started, 39s);
}

TEST_F(LinkLoopback, DisconnectAndReconnectGiveTwoRecordsAndOneRow) {
    StartLink();
    Farm(PhoneCommand("A", "Xiaomi", "13"));
    ASSERT_TRUE(WaitForRows({"Xiaomi 13"}));
    for (const char* mode : {"close", "reset"}) {
        const std::int32_t before = registry_->DeviceCount();
        Farm(FarmCommand("disconnect").Set("name", "A").Set("mode", mode).Set("hold", true));
        ASSERT_TRUE(WaitForRows({})) << mode;
        EXPECT_EQ(registry_->Record(before)->evaluator.GetClient(), 0);
        Farm(FarmCommand("reconnect").Set("name", "A"));
        ASSERT_TRUE(WaitForRows({"Xiaomi 13"})) << mode;
        EXPECT_EQ(registry_->DeviceCount(), before + 1);
        EXPECT_EQ(IndexOfRow(0), before + 1);
    }
}

TEST_F(LinkLoopback, RowIsRestoredNotThePhone) {
    StartLink();
    Farm(PhoneCommand("A", "A", "a"));
    ASSERT_TRUE(WaitForRows({"A a"}));
    Farm(PhoneCommand("B", "B", "b"));
    ASSERT_TRUE(WaitForRows({"A a", "B b"}));
    Farm(PhoneCommand("C", "C", "c"));
    ASSERT_TRUE(WaitForRows({"A a", "B b", "C c"}));
    box_.UserSelects(1);
    registry_->OnSelectDevice();
    const std::int32_t indexOfC = IndexOfRow(2);

    Farm(FarmCommand("disconnect").Set("name", "A").Set("hold", true));
    ASSERT_TRUE(WaitForRows({"B b", "C c"}));
    EXPECT_EQ(box_.SelectedRow(), 1);
    EXPECT_EQ(registry_->SelectedDevice(), indexOfC);
    EXPECT_EQ(registry_->EvaluateOnSelected("returns=device.brand").answer, "C");
}

TEST_F(LinkLoopback, BlockedConnectionDoesNotStallAnother) {
    StartLink();
    Farm(PhoneCommand("B", "Meizu", "18"));
    ASSERT_TRUE(WaitForRows({"Meizu 18"}));
    box_.UserSelects(0);
    registry_->OnSelectDevice();

    // Phone A's unparseable message opens a modal box on A's event thread and keeps it open.
    boxes_.HoldBoxes();
    Farm(FarmCommand("client").Set("name", "A").Set("port", port_));
    Farm(FarmCommand("send").Set("name", "A").Set("text", "this is no JSON"));
    ASSERT_TRUE(boxes_.WaitForCount(1, 10'000));
    Farm(FarmCommand("send").Set("name", "A").Set("text", "{still not JSON"));

    // B's replies still reach a waiting evaluation.
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(registry_->EvaluateOnSelected("returns='ok ' + " + std::to_string(i), 10).answer,
                  "ok " + std::to_string(i));
    }
    EXPECT_EQ(boxes_.Shown().size(), 1u);  // A's second message waits behind its box
    boxes_.ReleaseBoxes();
    EXPECT_TRUE(boxes_.WaitForCount(2, 10'000));
}

TEST_F(LinkLoopback, ChineseCodeAndAnswersCrossTheWireIntact) {
    StartLink();
    Farm(PhoneCommand("A", "荣耀", "X40"));
    ASSERT_TRUE(WaitForRows({"荣耀 X40"}));
    box_.UserSelects(0);
    registry_->OnSelectDevice();
    EXPECT_EQ(registry_->EvaluateOnSelected("var s = \"找图\\t找色\"; returns = s + '/' + s.length")
                  .answer,
              "找图\t找色/5");
    const std::string failure = registry_->EvaluateOnSelected("throw new Error('坏了')").answer;
    EXPECT_EQ(failure.rfind("错误", 0), 0u) << failure;
    EXPECT_NE(failure.find("坏了"), std::string::npos);
}

TEST_F(LinkLoopback, FortyMegabyteReplyArrivesWhole) {
    StartLink();
    Farm(PhoneCommand("A", "Samsung", "S23"));
    ASSERT_TRUE(WaitForRows({"Samsung S23"}));
    box_.UserSelects(0);
    registry_->OnSelectDevice();
    const std::string answer =
        registry_->EvaluateOnSelected("returns = 'x'.repeat(40 * 1024 * 1024 - 1) + 'y'", 60)
            .answer;
    ASSERT_EQ(answer.size(), 40 * kMiB);
    EXPECT_EQ(std::count(answer.begin(), answer.end(), 'x'), static_cast<long>(40 * kMiB - 1));
    EXPECT_EQ(answer.back(), 'y');
}

TEST_F(LinkLoopback, OversizedMessageClosesOnlyItsConnection) {
    StartLink();
    Farm(PhoneCommand("B", "Google", "Pixel 8"));
    ASSERT_TRUE(WaitForRows({"Google Pixel 8"}));

    // Exactly the limit is accepted...
    Farm(FarmCommand("client").Set("name", "fits").Set("port", port_));
    const std::string head = R"({"fun":"self","pad":")";
    Farm(FarmCommand("send")
             .Set("name", "fits")
             .Set("prefix", head)
             .Set("size", static_cast<std::int64_t>(64 * kMiB - head.size() - 2))
             .Set("suffix", "\"}"));
    // ...one byte more is not.
    Farm(FarmCommand("client").Set("name", "big").Set("port", port_));
    Farm(FarmCommand("send")
             .Set("name", "big")
             .Set("size", static_cast<std::int64_t>(64 * kMiB + 1)));
    const JsonObject closed =
        Farm(FarmCommand("waitClose").Set("name", "big").Set("timeoutMs", 30'000));
    EXPECT_EQ(closed.GetText("closed"), "true");
    EXPECT_EQ(closed.GetNumber("code"), 1009);

    const JsonObject fits =
        Farm(FarmCommand("waitClose").Set("name", "fits").Set("timeoutMs", 500));
    EXPECT_EQ(fits.GetText("closed"), "false");
    box_.UserSelects(0);
    registry_->OnSelectDevice();
    EXPECT_EQ(registry_->EvaluateOnSelected("returns=device.model").answer, "Pixel 8");
}

// Base64 of raw bytes a client puts on the wire after its handshake.
struct BadFrame {
    const char* what;
    const char* base64;
    std::int32_t closeCode;
};

TEST_F(LinkLoopback, MalformedFramesCloseOnlyTheirConnection) {
    StartLink();
    Farm(PhoneCommand("B", "Sony", "Xperia 1"));
    ASSERT_TRUE(WaitForRows({"Sony Xperia 1"}));
    box_.UserSelects(0);
    registry_->OnSelectDevice();

    const BadFrame frames[] = {
        {"reserved bit set", "wYAAAAAA", 1002},        // C1 80 + mask
        {"unknown opcode", "g4AAAAAA", 1002},          // 83 80 + mask
        {"unmasked frame", "gQFh", 1002},              // 81 01 'a'
        {"fragmented ping", "CYAAAAAA", 1002},         // 09 80 + mask
        {"continuation first", "gIAAAAAA", 1002},      // 80 80 + mask
        {"invalid UTF-8 text", "gYIAAAAA//4=", 1007},  // 81 82 mask FF FE
    };
    int n = 0;
    for (const BadFrame& frame : frames) {
        const std::string name = "raw" + std::to_string(n++);
        Farm(FarmCommand("raw").Set("name", name).Set("port", port_).Set("handshake", true));
        Farm(FarmCommand("sendRaw").Set("name", name).Set("base64", frame.base64));
        const JsonObject closed =
            Farm(FarmCommand("waitClose").Set("name", name).Set("timeoutMs", 10'000));
        EXPECT_EQ(closed.GetText("closed"), "true") << frame.what;
        EXPECT_EQ(closed.GetNumber("code"), frame.closeCode) << frame.what;
    }
    EXPECT_EQ(registry_->EvaluateOnSelected("returns=device.brand").answer, "Sony");
    EXPECT_TRUE(boxes_.Shown().empty());
}

TEST_F(LinkLoopback, HandshakeThatNeverCompletesIsDropped) {
    StartLink();  // handshake timeout 2 s
    Farm(FarmCommand("raw").Set("name", "mute").Set("port", port_));
    Farm(FarmCommand("raw").Set("name", "half").Set("port", port_));
    Farm(FarmCommand("sendRaw").Set("name", "half").Set("base64", "R0VUIC8gSFRUUC8xLjENCg=="));
    for (const char* name : {"mute", "half"}) {
        const JsonObject closed =
            Farm(FarmCommand("waitClose").Set("name", name).Set("timeoutMs", 15'000));
        EXPECT_EQ(closed.GetText("closed"), "true") << name;
    }
    EXPECT_EQ(registry_->DeviceCount(), 0);  // never a phone
}

// The server alone, with recording handlers.
class ServerLoopback : public ::testing::Test {
  protected:
    void SetUp() override { SKIP_WITHOUT_FARM(); }

    void Start(WebSocketServer::Options options = TestOptions()) {
        server_.Init(
            0, [this](std::int32_t client) { Record(client, "enter"); },
            [this](std::int32_t client) { Record(client, "exit"); },
            [this](std::int32_t client, std::int32_t type, std::int32_t message) {
                const std::string data(server_.GetMessageData(message));
                Record(client, std::to_string(type) + ":" + data);
                if (data == "echo") server_.SendText(client, "echo back");
            },
            options);
        ASSERT_TRUE(server_.Start());
        port_ = server_.Port();
    }

    void TearDown() override {
        if (!PhoneFarm::Available()) return;
        PhoneFarm::Instance().Call(FarmCommand("stopAll"));
        server_.Stop();
    }

    void Record(std::int32_t client, std::string event) {
        std::lock_guard lock(mutex_);
        events_[client].push_back(std::move(event));
    }

    std::map<std::int32_t, std::vector<std::string>> Events() {
        std::lock_guard lock(mutex_);
        return events_;
    }

    std::size_t Count(std::string_view event) {
        std::size_t count = 0;
        for (const auto& [client, events] : Events())
            count += std::count(events.begin(), events.end(), event);
        return count;
    }

    std::mutex mutex_;
    std::map<std::int32_t, std::vector<std::string>> events_;
    WebSocketServer server_;
    std::int64_t port_ = 0;
};

TEST_F(ServerLoopback, EventsOfAConnectionComeInOrder) {
    Start();
    Farm(FarmCommand("client").Set("name", "c").Set("port", port_));
    for (int i = 0; i < 50; ++i) {
        Farm(FarmCommand("send").Set("name", "c").Set("text", std::to_string(i)));
    }
    Farm(FarmCommand("send").Set("name", "c").Set("base64", "AAEC").Set("binary", true));
    Farm(FarmCommand("closeClient").Set("name", "c"));
    ASSERT_TRUE(WaitUntil([&] { return Count("exit") == 1; }));
    const auto events = Events();
    ASSERT_EQ(events.size(), 1u);
    std::vector<std::string> expected{"enter"};
    for (int i = 0; i < 50; ++i) expected.push_back("1:" + std::to_string(i));
    expected.push_back(std::string("2:\0\1\2", 5));
    expected.push_back("exit");
    EXPECT_EQ(events.begin()->second, expected);
    EXPECT_GT(events.begin()->first, 0);
}

TEST_F(ServerLoopback, EveryKindOfDisconnectRaisesExitOnce) {
    auto options = TestOptions();
    options.idleTimeout = 1s;  // a half-open peer is found within about a second
    Start(options);
    Farm(FarmCommand("client").Set("name", "closer").Set("port", port_));
    Farm(FarmCommand("client").Set("name", "resetter").Set("port", port_));
    Farm(FarmCommand("raw").Set("name", "halfopen").Set("port", port_).Set("handshake", true));
    ASSERT_TRUE(WaitUntil([&] { return Count("enter") == 3; }));
    Farm(FarmCommand("closeClient").Set("name", "closer"));
    Farm(FarmCommand("closeClient").Set("name", "resetter").Set("mode", "reset"));
    // halfopen says nothing more and answers no ping.
    ASSERT_TRUE(WaitUntil([&] { return Count("exit") == 3; }, 15s));
    std::this_thread::sleep_for(1500ms);
    for (const auto& [client, events] : Events()) {
        EXPECT_EQ(std::count(events.begin(), events.end(), "exit"), 1) << client;
        EXPECT_EQ(events.back(), "exit");
    }
}

TEST_F(ServerLoopback, HandlesArePositiveAndUniqueAmongOpenConnections) {
    Start();
    constexpr int kClients = 20;
    for (int i = 0; i < kClients; ++i) {
        Farm(FarmCommand("client")
                 .Set("name", std::string("c") + std::to_string(i))
                 .Set("port", port_));
    }
    ASSERT_TRUE(WaitUntil([&] { return Count("enter") == kClients; }));
    const auto events = Events();
    EXPECT_EQ(events.size(), static_cast<std::size_t>(kClients));
    for (const auto& [client, list] : events) EXPECT_GT(client, 0);
}

TEST_F(ServerLoopback, SendTextReachesTheClientFromInsideAnEvent) {
    Start();
    Farm(FarmCommand("client").Set("name", "c").Set("port", port_));
    Farm(FarmCommand("send").Set("name", "c").Set("text", "echo"));
    ASSERT_TRUE(WaitUntil([] {
        return PhoneFarm::Instance()
                   .Call(FarmCommand("received").Set("name", "c"))
                   .GetNumber("messages") == 1;
    }));
    const JsonObject received = Farm(FarmCommand("received").Set("name", "c"));
    EXPECT_EQ(received.GetText("texts[0]"), "echo back");
    EXPECT_FALSE(server_.SendText(987654, "nobody"));
}

TEST_F(ServerLoopback, PortInUseFailsAndTheFirstServerGoesOn) {
    Start();
    WebSocketServer second;
    second.Init(static_cast<std::int32_t>(port_), nullptr, nullptr, nullptr, TestOptions());
    EXPECT_FALSE(second.Start());
    EXPECT_EQ(second.Port(), 0);
    Farm(FarmCommand("client").Set("name", "c").Set("port", port_));
    EXPECT_TRUE(WaitUntil([&] { return Count("enter") == 1; }));
}

TEST_F(ServerLoopback, StopSaysGoingAwayAndRaisesNoMoreEvents) {
    Start();
    Farm(FarmCommand("client").Set("name", "c").Set("port", port_));
    ASSERT_TRUE(WaitUntil([&] { return Count("enter") == 1; }));
    server_.Stop();
    const JsonObject closed =
        Farm(FarmCommand("waitClose").Set("name", "c").Set("timeoutMs", 10'000));
    EXPECT_EQ(closed.GetText("closed"), "true");
    EXPECT_EQ(closed.GetNumber("code"), 1001);
    EXPECT_EQ(Count("exit"), 0u);  // the owner of the handlers may already be gone
    EXPECT_EQ(server_.Port(), 0);
    EXPECT_FALSE(server_.SendText(1, "x"));
}

}  // namespace
}  // namespace pixmate
