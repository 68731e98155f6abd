#include "pixmate/link/remote_evaluator.h"

#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <set>
#include <thread>

#include "pixmate/json/json_object.h"
#include "pixmate/link/link_test_support.h"
#include "pixmate/link/message_text.h"

namespace pixmate {
namespace {

using testing::FakeClock;
using testing::SentTexts;

constexpr std::int32_t kClient = 7;

std::string Reply(std::string_view returnsJson, std::string_view code = "0",
                  std::string_view back = "\"0\"") {
    std::string text =
        R"({"fun":"eval","code":)" + std::string(code) + R"(,"back":)" + std::string(back);
    if (!returnsJson.empty()) text += R"(,"returns":)" + std::string(returnsJson);
    return text + "}";
}

class EvaluatorTest : public ::testing::Test {
  protected:
    EvaluatorTest() {
        context_.sendText = sent_.Sender();
        context_.clock = &clock_;
        evaluator_.SetClient(kClient);
    }

    // The phone answers every request with reply, from inside SendText: the fastest reply
    // there can be, before Evaluate has even started waiting.
    void AnswerWith(std::string reply) {
        sent_.OnSend(
            [this, reply](std::int32_t, const std::string&) { evaluator_.OnReply(reply); });
    }

    FakeClock clock_;
    SentTexts sent_;
    EvaluatorContext context_;
    RemoteEvaluator evaluator_{context_};
};

TEST_F(EvaluatorTest, NotConnectedGivesEmptyTextAndSendsNothing) {
    for (std::int32_t handle : {0, -3}) {
        evaluator_.SetClient(handle);
        const std::int64_t before = clock_.NowMs();
        EXPECT_EQ(evaluator_.Evaluate("returns=1"), "");
        EXPECT_EQ(clock_.NowMs(), before);
    }
    EXPECT_EQ(sent_.Count(), 0u);
    EXPECT_FALSE(evaluator_.Busy());
}

TEST_F(EvaluatorTest, SendsOneRequestToItsClient) {
    AnswerWith(Reply(R"("ok")"));
    EXPECT_EQ(evaluator_.Evaluate("returns=\"中文\"\t/"), "ok");
    const auto sent = sent_.All();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].first, kClient);
    EXPECT_EQ(sent[0].second, R"({"fun":"eval","data":"returns=\"中文\"\t/","back":"0"})");
}

TEST_F(EvaluatorTest, AnswersInTheirTextForm) {
    struct Case {
        std::string reply;
        std::string answer;
    };
    const std::string withFailure = Reply(R"("x")", "1");
    const Case cases[] = {
        {Reply(R"("HUAWEI")"), "HUAWEI"},
        {Reply("1080"), "1080"},
        {Reply("false"), "false"},
        {Reply("true"), "true"},
        {Reply("[1,2]"), "1,2"},
        {Reply("{}"), "[object Object]"},
        {Reply("null"), ""},
        {Reply(""), ""},  // no "returns"
        {Reply(R"("中文")"), "中文"},
        {Reply(R"("a\u2400b")"), "a\\b"},  // U+2400 comes out as a backslash
        {Reply(R"("x")", "0.9"), "x"},     // code truncated toward zero
        {Reply(R"("x")", "-0.5"), "x"},
        {withFailure, "错误" + withFailure},  // failure: the whole reply
        {Reply(R"("x")", "-2"), "错误" + Reply(R"("x")", "-2")},
        {Reply(R"("x")", "0", "-4"), "x"},  // back 0 or less ends the wait
        {Reply(R"("x")", "0", "0"), "x"},
    };
    for (const Case& c : cases) {
        AnswerWith(c.reply);
        EXPECT_EQ(evaluator_.Evaluate("returns=x"), c.answer) << c.reply;
        EXPECT_FALSE(evaluator_.Busy());
        EXPECT_EQ(evaluator_.Reply(), c.answer);
    }
}

TEST_F(EvaluatorTest, TimeoutGivesMinusOneAfterItsLength) {
    struct Case {
        std::int32_t seconds;
        std::int64_t waitedMs;
    };
    for (const Case c : {Case{0, 10'000}, Case{3, 3'000}, Case{1, 1'000}, Case{-1, 0}}) {
        const std::int64_t before = clock_.NowMs();
        EXPECT_EQ(evaluator_.Evaluate("returns=1", c.seconds), "-1");
        const std::int64_t waited = clock_.NowMs() - before;
        EXPECT_GE(waited, c.waitedMs) << c.seconds;
        EXPECT_LE(waited, c.waitedMs + 10) << c.seconds;
        EXPECT_TRUE(evaluator_.Busy());  // a timeout leaves the evaluator waiting
    }
}

TEST_F(EvaluatorTest, LateAnswerIsKeptForTheNextWait) {
    EXPECT_EQ(evaluator_.Evaluate("returns=1"), "-1");
    evaluator_.OnReply(Reply(R"("late")"));
    EXPECT_FALSE(evaluator_.Busy());
    EXPECT_EQ(evaluator_.Reply(), "late");

    // The next evaluation sets Busy again; the reply that comes is its answer.
    AnswerWith(Reply(R"("second")"));
    EXPECT_EQ(evaluator_.Evaluate("returns=2"), "second");
}

TEST_F(EvaluatorTest, UnparseableReplyChangesNothing) {
    EXPECT_EQ(evaluator_.Evaluate("returns=1"), "-1");
    for (const char* junk : {"", "{", "returns=1", "null", "({fun:'eval'})"}) {
        evaluator_.OnReply(junk);
        EXPECT_TRUE(evaluator_.Busy()) << junk;
        EXPECT_EQ(evaluator_.Reply(), "");
    }
}

TEST_F(EvaluatorTest, LeavingPhoneDoesNotWakeAWait) {
    sent_.OnSend([this](std::int32_t, const std::string&) { evaluator_.SetClient(0); });
    const std::int64_t before = clock_.NowMs();
    EXPECT_EQ(evaluator_.Evaluate("returns=1", 2), "-1");
    EXPECT_GE(clock_.NowMs() - before, 2000);
    EXPECT_EQ(evaluator_.Evaluate("returns=1"), "");  // and nothing more is sent
    EXPECT_EQ(sent_.Count(), 1u);
}

TEST_F(EvaluatorTest, CallbackGetsItsReplyOnce) {
    std::vector<std::pair<std::int32_t, std::string>> calls;
    const std::int64_t before = clock_.NowMs();
    EXPECT_EQ(evaluator_.Evaluate("returns=1", 0,
                                  [&](std::int32_t client, const std::string& message) {
                                      calls.emplace_back(client, message);
                                  }),
              "");
    EXPECT_EQ(clock_.NowMs(), before);  // returns at once
    EXPECT_FALSE(evaluator_.Busy());

    JsonObject request;
    ASSERT_TRUE(request.Parse(sent_.All().at(0).second));
    const std::string token = request.GetText("back");
    ASSERT_GT(LeadingInteger(token), 0);

    // Replies naming no callback go nowhere (a token is never taken as an address).
    for (const char* back : {"\"999\"", "12345678", "2147483647"}) {
        evaluator_.OnReply(Reply(R"("stray")", "0", back));
    }
    EXPECT_TRUE(calls.empty());

    const std::string reply = Reply(R"("async")", "0", "\"" + token + "\"");
    evaluator_.OnReply(reply);
    evaluator_.OnReply(reply);  // a second reply with the same token: the callback is used up
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].first, kClient);
    EXPECT_EQ(calls[0].second, reply);
    EXPECT_EQ(evaluator_.Reply(), "");  // Reply and Busy stay as they were
    EXPECT_FALSE(evaluator_.Busy());
    EXPECT_EQ(evaluator_.PendingCallbacks(), 0u);
}

TEST_F(EvaluatorTest, FailedAsyncReplyEndsTheSyncWaitInstead) {
    bool called = false;
    evaluator_.Evaluate("returns=1", 0, [&](std::int32_t, const std::string&) { called = true; });
    const std::string failure = Reply(R"("boom")", "1", "\"1\"");
    AnswerWith(failure);
    EXPECT_EQ(evaluator_.Evaluate("returns=2"), "错误" + failure);
    EXPECT_FALSE(called);
}

TEST_F(EvaluatorTest, UnansweredCallbacksAreBoundedAndForgottenWithTheClient) {
    for (std::size_t i = 0; i < RemoteEvaluator::kMaxPendingCallbacks + 10; ++i) {
        evaluator_.Evaluate("returns=1", 0, [](std::int32_t, const std::string&) {});
    }
    EXPECT_EQ(evaluator_.PendingCallbacks(), RemoteEvaluator::kMaxPendingCallbacks);
    evaluator_.SetClient(0);
    EXPECT_EQ(evaluator_.PendingCallbacks(), 0u);
}

TEST_F(EvaluatorTest, ShutdownEndsAWaitAtOnce) {
    context_.clock = &LinkClock::System();
    std::thread stopper([this] {
        ASSERT_TRUE(sent_.WaitForCount(1, std::chrono::seconds(10)));
        context_.shuttingDown = true;
        evaluator_.WakeWaiters();
    });
    // An hour-long timeout: only the shut-down can end this wait.
    EXPECT_EQ(evaluator_.Evaluate("returns=1", 3600), "-1");
    stopper.join();
}

// Replies come on server threads while several threads wait; with the real clock, so that the
// waits really block. Run under ThreadSanitizer too.
TEST(EvaluatorConcurrency, OneReplyEndsEveryWaitUnderWay) {
    SentTexts sent;
    EvaluatorContext context;
    context.sendText = sent.Sender();
    RemoteEvaluator evaluator(context);
    evaluator.SetClient(1);

    std::string answers[2];
    std::thread first([&] { answers[0] = evaluator.Evaluate("returns=1", 30); });
    std::thread second([&] { answers[1] = evaluator.Evaluate("returns=2", 30); });
    ASSERT_TRUE(sent.WaitForCount(2, std::chrono::seconds(10)));
    evaluator.OnReply(Reply(R"("shared")"));
    first.join();
    second.join();
    EXPECT_EQ(answers[0], "shared");
    EXPECT_EQ(answers[1], "shared");
}

TEST(EvaluatorConcurrency, ManyEvaluationsAgainstAResponderThread) {
    EvaluatorContext context;
    RemoteEvaluator evaluator(context);
    evaluator.SetClient(1);

    // A phone on its own thread: answers each request with its code, after it was sent.
    std::mutex mutex;
    std::condition_variable arrived;
    std::deque<std::string> requests;
    bool done = false;
    context.sendText = [&](std::int32_t, std::string_view text) {
        std::lock_guard lock(mutex);
        requests.emplace_back(text);
        arrived.notify_one();
        return true;
    };
    std::thread phone([&] {
        for (;;) {
            std::string request;
            {
                std::unique_lock lock(mutex);
                arrived.wait(lock, [&] { return done || !requests.empty(); });
                if (requests.empty()) return;
                request = std::move(requests.front());
                requests.pop_front();
            }
            JsonObject parsed;
            parsed.Parse(request);
            const std::string code = parsed.GetText("data");
            const std::string value = code.substr(code.find('=') + 1);
            evaluator.OnReply(Reply(std::string("\"") + value + "\""));
        }
    });

    constexpr int kThreads = 4, kRounds = 200;
    std::atomic<int> wrong{0};
    std::vector<std::thread> callers;
    for (int t = 0; t < kThreads; ++t) {
        callers.emplace_back([&, t] {
            for (int i = 0; i < kRounds; ++i) {
                const std::string answer = evaluator.Evaluate(
                    std::string("returns=") + std::to_string(t * kRounds + i), 30);
                // Replies are not matched to requests, so any caller's number may come back,
                // but always whole and never a timeout.
                const std::int32_t value = LeadingInteger(answer);
                if (answer.empty() || answer == "-1" || std::to_string(value) != answer ||
                    value < 0 || value >= kThreads * kRounds) {
                    ++wrong;
                }
            }
        });
    }
    for (auto& caller : callers) caller.join();
    {
        std::lock_guard lock(mutex);
        done = true;
        arrived.notify_one();
    }
    phone.join();
    EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
}  // namespace pixmate
