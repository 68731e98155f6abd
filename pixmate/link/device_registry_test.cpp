#include "pixmate/link/device_registry.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <thread>

#include "pixmate/json/json_object.h"
#include "pixmate/link/link_test_support.h"
#include "pixmate/shell/memory_window.h"

namespace pixmate {
namespace {

using testing::FakeClock;
using testing::WaitUntil;

struct PhoneProfile {
    std::string brand = "Xiaomi";
    std::string model = "Mi 10";
    std::string width = "1080";
    std::string height = "2340";
    bool silent = false;
};

// The phones' side of the network: answers evaluation requests on its own thread, the way a
// server thread delivers replies. Requests wait while the phones are held.
class FakePhones {
  public:
    FakePhones() : worker_([this] { Run(); }) {}
    ~FakePhones() { Stop(); }

    void Stop() {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
            changed_.notify_all();
        }
        if (worker_.joinable()) worker_.join();
    }

    void SetRegistry(DeviceRegistry* registry) { registry_ = registry; }
    void Add(std::int32_t client, PhoneProfile profile) {
        std::lock_guard lock(mutex_);
        profiles_[client] = std::move(profile);
    }
    void Hold(bool hold) {
        std::lock_guard lock(mutex_);
        held_ = hold;
        changed_.notify_all();
    }
    std::vector<std::string> Codes(std::int32_t client) const {
        std::lock_guard lock(mutex_);
        auto it = codes_.find(client);
        return it == codes_.end() ? std::vector<std::string>{} : it->second;
    }

    SendTextFunction Sender() {
        return [this](std::int32_t client, std::string_view text) {
            std::lock_guard lock(mutex_);
            queue_.emplace_back(client, std::string(text));
            changed_.notify_all();
            return true;
        };
    }

  private:
    void Run() {
        for (;;) {
            std::pair<std::int32_t, std::string> request;
            PhoneProfile profile;
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [this] { return done_ || (!held_ && !queue_.empty()); });
                if (done_) return;
                request = std::move(queue_.front());
                queue_.pop_front();
                profile = profiles_[request.first];
            }
            JsonObject parsed;
            if (!parsed.Parse(request.second)) continue;
            const std::string code = parsed.GetText("data");
            {
                std::lock_guard lock(mutex_);
                codes_[request.first].push_back(code);
            }
            if (profile.silent) continue;
            std::string value = "\"?\"";
            if (code == "returns=device.brand") value = "\"" + profile.brand + "\"";
            if (code == "returns=device.model") value = "\"" + profile.model + "\"";
            if (code == "returns=device.width") value = profile.width;
            if (code == "returns=device.height") value = profile.height;
            registry_->OnMessage(request.first, WebSocketServer::kTextMessage,
                                 R"({"fun":"eval","code":0,"back":"0","returns":)" + value + "}");
        }
    }

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::pair<std::int32_t, std::string>> queue_;
    std::map<std::int32_t, PhoneProfile> profiles_;
    std::map<std::int32_t, std::vector<std::string>> codes_;
    DeviceRegistry* registry_ = nullptr;
    bool held_ = false;
    bool done_ = false;
    std::thread worker_;
};

class RegistryTest : public ::testing::Test {
  protected:
    explicit RegistryTest(LinkClock& clock = LinkClock::System())
        : registry_(DeviceRegistry::Dependencies{.deviceBox = box_,
                                                 .messageBoxes = boxes_,
                                                 .clock = clock,
                                                 .sendText = phones_.Sender()}) {
        phones_.SetRegistry(&registry_);
    }
    ~RegistryTest() override {
        boxes_.ReleaseBoxes();
        phones_.Stop();  // no more replies into the registry
        registry_.Shutdown();
    }

    // A phone connects and its information query runs to its end.
    void Connect(std::int32_t client, PhoneProfile profile = {}) {
        phones_.Add(client, std::move(profile));
        const std::size_t codes = phones_.Codes(client).size();
        registry_.OnClientEnter(client);
        ASSERT_TRUE(WaitUntil([&] { return phones_.Codes(client).size() >= codes + 4; }));
        ASSERT_TRUE(WaitUntil([&] { return Listed(registry_.FindDevice(client)); }));
    }

    bool Listed(std::int32_t index) const {
        for (std::int32_t row = 0; row < box_.ItemCount(); ++row) {
            if (box_.ItemValue(row) == index) return true;
        }
        return false;
    }

    std::vector<std::string> Rows() const {
        std::vector<std::string> rows;
        for (std::int32_t row = 0; row < box_.ItemCount(); ++row)
            rows.push_back(box_.ItemText(row));
        return rows;
    }

    ui::MemoryComboBox box_;
    ui::MemoryMessageBoxes boxes_;
    FakePhones phones_;
    DeviceRegistry registry_;
};

TEST_F(RegistryTest, PhoneIsListedOnlyAfterItsFourEvaluations) {
    phones_.Hold(true);
    phones_.Add(5, {.brand = "HUAWEI", .model = "P40 Pro"});
    registry_.OnClientEnter(5);
    EXPECT_EQ(registry_.DeviceCount(), 1);
    EXPECT_EQ(registry_.FindDevice(5), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(box_.ItemCount(), 0);  // pending: not in the box yet
    phones_.Hold(false);
    ASSERT_TRUE(WaitUntil([&] { return box_.ItemCount() == 1; }));
    EXPECT_EQ(Rows(), std::vector<std::string>{"HUAWEI P40 Pro"});
    EXPECT_EQ(box_.ItemValue(0), 1);
    EXPECT_EQ(phones_.Codes(5),
              (std::vector<std::string>{"returns=device.brand", "returns=device.model",
                                        "returns=device.width", "returns=device.height"}));
    const DeviceInfo info = registry_.Info(1);
    EXPECT_EQ(info.width, 1080);
    EXPECT_EQ(info.height, 2340);
    EXPECT_EQ(registry_.SelectedDevice(), -1);  // the refresh found no row selected
}

// Another phone's refresh rebuilds the box while the first phone's query still runs: the pending
// phone stays out of it (a command on it would take the query's replies).
TEST_F(RegistryTest, PendingPhoneStaysOutOfOtherPhonesRefreshes) {
    phones_.Add(1, {.brand = "Slow", .model = "One", .silent = true});
    registry_.OnClientEnter(1);
    ASSERT_TRUE(WaitUntil([&] { return !phones_.Codes(1).empty(); }));
    Connect(2, {.brand = "Quick", .model = "Two"});
    EXPECT_EQ(Rows(), std::vector<std::string>{"Quick Two"});
    box_.UserSelects(0);
    registry_.OnSelectDevice();
    EXPECT_EQ(registry_.SelectedDevice(), 2);
}

TEST_F(RegistryTest, SecondEnterWithTheSameHandleIsIgnored) {
    Connect(3);
    registry_.OnClientEnter(3);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(registry_.DeviceCount(), 1);
    EXPECT_EQ(phones_.Codes(3).size(), 4u);  // no second query
}

TEST_F(RegistryTest, HeartbeatsAndOtherMessagesChangeNothing) {
    Connect(1);
    const std::string messages[] = {
        "心跳",
        std::string("心跳\0trailing", 14),  // ends at the first NUL
        R"({"fun":"client","returns":"x"})",
        R"({"fun":"self"})",
        R"({"fun":"EVAL","code":0,"returns":"x"})",  // comparisons are case-sensitive
        "123",                                       // parses; its "fun" is empty
    };
    for (const std::string& message : messages) {
        registry_.OnMessage(1, WebSocketServer::kTextMessage, message);
    }
    EXPECT_TRUE(boxes_.Shown().empty());
    EXPECT_EQ(registry_.Record(1)->evaluator.Reply(), "2340");  // the last information answer
    EXPECT_EQ(Rows(), std::vector<std::string>{"Xiaomi Mi 10"});
}

TEST_F(RegistryTest, EveryUnparseableMessageShowsParseFailedOnce) {
    Connect(1);
    const std::string messages[] = {
        "{",
        "returns=1",
        "null",
        "undefined",
        "({fun:'eval',returns:'x'})",  // script, not JSON
        "{\"fun\":\"eval\",}",
    };
    for (const std::string& message : messages) {
        registry_.OnMessage(1, WebSocketServer::kTextMessage, message);
    }
    EXPECT_EQ(boxes_.Shown(), std::vector<std::string>(std::size(messages), "解析失败"));
    EXPECT_EQ(registry_.Record(1)->evaluator.Reply(), "2340");
}

TEST_F(RegistryTest, MessageFromAClientWithoutRecordIsDropped) {
    Connect(1);
    registry_.OnMessage(99, WebSocketServer::kTextMessage, "{not json");
    registry_.OnMessage(99, WebSocketServer::kTextMessage, R"({"fun":"eval","returns":"x"})");
    registry_.OnClientExit(99);
    EXPECT_TRUE(boxes_.Shown().empty());
    EXPECT_EQ(registry_.Record(1)->evaluator.Reply(), "2340");
    EXPECT_EQ(Rows().size(), 1u);
}

TEST_F(RegistryTest, RepliesArriveAsUtf8) {
    Connect(1);
    box_.UserSelects(0);
    registry_.OnSelectDevice();
    phones_.Hold(true);
    std::thread answer([this] {
        WaitUntil([&] { return registry_.Record(1)->evaluator.Busy(); });
        // Invalid bytes in the reply become U+FFFD; Chinese comes through as it is.
        registry_.OnMessage(
            1, WebSocketServer::kTextMessage,
            "{\"fun\":\"eval\",\"code\":0,\"back\":\"0\",\"returns\":\"找图\xFF\"}");
    });
    const SelectedEvaluation result = registry_.EvaluateOnSelected("returns='找图'", 5);
    answer.join();
    EXPECT_TRUE(result.deviceSelected);
    EXPECT_EQ(result.answer, "找图\xEF\xBF\xBD");
}

TEST_F(RegistryTest, EvaluateOnSelectedWithoutSelectionSendsNothing) {
    Connect(1);
    const auto codes = phones_.Codes(1).size();
    const SelectedEvaluation result = registry_.EvaluateOnSelected("returns=1");
    EXPECT_FALSE(result.deviceSelected);
    EXPECT_EQ(result.answer, "");
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(phones_.Codes(1).size(), codes);
}

TEST_F(RegistryTest, DisconnectAndReconnectGiveTwoRecordsAndOneRow) {
    Connect(1, {.brand = "OPPO", .model = "Reno"});
    registry_.OnClientExit(1);
    EXPECT_EQ(box_.ItemCount(), 0);
    EXPECT_EQ(registry_.Record(1)->evaluator.GetClient(), 0);
    Connect(2, {.brand = "OPPO", .model = "Reno"});
    EXPECT_EQ(registry_.DeviceCount(), 2);
    EXPECT_EQ(Rows(), std::vector<std::string>{"OPPO Reno"});
    EXPECT_EQ(box_.ItemValue(0), 2);
    EXPECT_EQ(registry_.Info(1).brand, "OPPO");  // the old record keeps its information
}

TEST_F(RegistryTest, RowNotPhoneIsRestoredAfterAPhoneLeaves) {
    Connect(11, {.brand = "A", .model = "a"});
    Connect(12, {.brand = "B", .model = "b"});
    Connect(13, {.brand = "C", .model = "c"});
    ASSERT_EQ(Rows(), (std::vector<std::string>{"A a", "B b", "C c"}));
    box_.UserSelects(1);
    registry_.OnSelectDevice();
    EXPECT_EQ(registry_.SelectedDevice(), 2);

    registry_.OnClientExit(11);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"B b", "C c"}));
    EXPECT_EQ(box_.SelectedRow(), 1);
    EXPECT_EQ(registry_.SelectedDevice(), 3);  // row 1 is C now

    // The phone in the last row leaves while selected: no row, SelectedDevice -1.
    registry_.OnClientExit(13);
    EXPECT_EQ(box_.SelectedRow(), -1);
    EXPECT_EQ(registry_.SelectedDevice(), -1);
    EXPECT_FALSE(registry_.EvaluateOnSelected("returns=1").deviceSelected);
}

TEST_F(RegistryTest, SelectingNothingKeepsTheSelection) {
    Connect(1);
    box_.UserSelects(0);
    registry_.OnSelectDevice();
    box_.SetSelectedRow(-1);
    registry_.OnSelectDevice();
    EXPECT_EQ(registry_.SelectedDevice(), 1);
}

TEST_F(RegistryTest, BlockedMessageBoxHoldsUpOnlyItsOwnCaller) {
    Connect(1);
    Connect(2, {.brand = "vivo", .model = "X60"});
    boxes_.HoldBoxes();
    std::thread blocked([this] { registry_.OnMessage(1, WebSocketServer::kTextMessage, "{bad"); });
    ASSERT_TRUE(boxes_.WaitForCount(1, 5000));
    // Nothing is locked while the box is open: phone 2 still evaluates and leaves.
    box_.UserSelects(1);
    registry_.OnSelectDevice();
    EXPECT_EQ(registry_.EvaluateOnSelected("returns=device.model", 5).answer, "X60");
    registry_.OnClientExit(2);
    EXPECT_EQ(Rows(), std::vector<std::string>{"Xiaomi Mi 10"});
    boxes_.ReleaseBoxes();
    blocked.join();
}

TEST_F(RegistryTest, ShutdownEndsQueriesAtOnceAndRefreshesNoMore) {
    phones_.Add(8, {.silent = true});
    registry_.OnClientEnter(8);
    ASSERT_TRUE(WaitUntil([&] { return !phones_.Codes(8).empty(); }));
    const auto started = std::chrono::steady_clock::now();
    registry_.Shutdown();  // the silent phone would otherwise take 40 s
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(30));
    EXPECT_EQ(phones_.Codes(8).size(), 1u);
    EXPECT_EQ(box_.ItemCount(), 0);
    registry_.OnClientEnter(9);  // events after the shut-down are ignored
    EXPECT_EQ(registry_.DeviceCount(), 1);
}

// With the fake clock, the silent phone's four ten-second timeouts pass at once.
class SilentPhoneTest : public RegistryTest {
  protected:
    SilentPhoneTest() : RegistryTest(clock_) {}
    static FakeClock clock_;
};
FakeClock SilentPhoneTest::clock_;

TEST_F(SilentPhoneTest, SilentPhoneIsListedWithMinusOnesAfterItsTimeouts) {
    phones_.Add(6, {.silent = true});
    const std::int64_t before = clock_.NowMs();
    registry_.OnClientEnter(6);
    ASSERT_TRUE(WaitUntil([&] { return box_.ItemCount() == 1; }));
    EXPECT_EQ(Rows(), std::vector<std::string>{"-1 -1"});
    const DeviceInfo info = registry_.Info(1);
    EXPECT_EQ(info.width, -1);
    EXPECT_EQ(info.height, -1);
    EXPECT_GE(clock_.NowMs() - before, 40'000);
    // The phone's side sees the four requests on its own thread, perhaps after the listing.
    EXPECT_TRUE(WaitUntil([&] { return phones_.Codes(6).size() == 4; }));
}

TEST_F(SilentPhoneTest, PhoneLeavingDuringItsQueryIsNeverListed) {
    phones_.Hold(true);
    phones_.Add(4, {});
    clock_.SetRunning(false);  // catch the query in its first wait
    registry_.OnClientEnter(4);
    ASSERT_TRUE(WaitUntil([&] { return registry_.Record(1)->evaluator.Busy(); }));
    registry_.OnClientExit(4);
    clock_.SetRunning(true);
    // The waiting brand evaluation is not woken: it ends at its timeout; the remaining steps
    // find the phone gone and give "" at once.
    ASSERT_TRUE(WaitUntil([&] { return registry_.Info(1).brand == "-1"; }));
    // The query's closing refresh is the last thing it does (SelectedDevice goes from 0 to -1).
    ASSERT_TRUE(WaitUntil([&] { return registry_.SelectedDevice() == -1; }));
    phones_.Stop();
    registry_.Shutdown();  // waits for the information thread
    EXPECT_EQ(box_.ItemCount(), 0);
    const DeviceInfo info = registry_.Info(1);
    EXPECT_EQ(info.model, "");
    EXPECT_TRUE(phones_.Codes(4).empty());  // held: the phone never saw a request
}

}  // namespace
}  // namespace pixmate
