#pragma once
// RemoteEvaluator: runs a piece of Auto.js code on one phone and hands back the value the code
// left in `returns`. One per DeviceRecord.
//
// Evaluate blocks its caller until the reply, the timeout or the end of the link; replies come
// in through OnReply on a server thread. Replies are not matched to requests: the first reply
// accepted ends every wait under way on this evaluator. Reply is stored before Busy clears, and
// a waiter that sees Busy clear sees that Reply.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

#include "pixmate/link/link_clock.h"

namespace pixmate {

class JsonObject;

// Sends a text message to a client; false when the client is not connected.
using SendTextFunction = std::function<bool(std::int32_t clientHandle, std::string_view text)>;

// What all evaluators of one registry share.
struct EvaluatorContext {
    SendTextFunction sendText;
    LinkClock* clock = &LinkClock::System();
    // Set when the link shuts down: waits end at once with "-1".
    std::atomic<bool> shuttingDown{false};
};

class RemoteEvaluator {
  public:
    static constexpr std::int32_t kDefaultTimeoutSeconds = 10;
    // Asynchronous evaluations whose reply has not come are forgotten beyond this many.
    static constexpr std::size_t kMaxPendingCallbacks = 1024;

    // Gets (client handle, whole reply message) of an asynchronous evaluation, on a server thread.
    using Callback = std::function<void(std::int32_t clientHandle, const std::string& message)>;

    explicit RemoteEvaluator(EvaluatorContext& context) : context_(context) {}
    RemoteEvaluator(const RemoteEvaluator&) = delete;
    RemoteEvaluator& operator=(const RemoteEvaluator&) = delete;

    // A new handle (0 when the phone has left) also forgets callbacks the old one never answered.
    void SetClient(std::int32_t clientHandle);
    std::int32_t GetClient() const { return clientHandle_.load(std::memory_order_acquire); }

    // The phone's answer: the text form of "returns"; "" at once when the phone is not connected
    // or when a callback was given; "-1" when timeoutSeconds (0: 10 s; negative: no wait) passed;
    // "错误" followed by the whole reply when the phone reported a failure.
    std::string Evaluate(std::string_view code, std::int32_t timeoutSeconds = 0,
                         Callback callback = nullptr);

    // A reply message, parsed here.
    void OnReply(std::string_view message);
    // A reply message already parsed by the caller (the registry parses each message once).
    // The answer text is taken out of parsed rather than copied: a screenshot answer is megabytes.
    void OnReply(JsonObject& parsed, std::string_view message);

    bool Busy() const { return busy_.load(std::memory_order_acquire); }
    std::string Reply() const;
    std::size_t PendingCallbacks() const;

    // Wakes waits so that they notice the context shutting down.
    void WakeWaiters();

  private:
    std::int32_t RegisterCallback(Callback callback);
    Callback TakeCallback(std::int32_t token);
    void Accept(std::string reply);

    EvaluatorContext& context_;
    std::atomic<std::int32_t> clientHandle_{0};
    std::atomic<bool> busy_{false};

    // Guards reply_ and the callback table; replied_ tells waiters that Busy has cleared.
    mutable std::mutex mutex_;
    std::condition_variable replied_;
    std::string reply_;
    std::map<std::int32_t, Callback> callbacks_;
    std::deque<std::int32_t> callbackOrder_;
    std::int32_t nextToken_ = 1;
};

}  // namespace pixmate
