#include "pixmate/link/remote_evaluator.h"

#include <cmath>
#include <limits>
#include <new>
#include <utility>

#include "pixmate/json/json_object.h"
#include "pixmate/link/message_text.h"

namespace pixmate {

namespace {

// A JSON number as the reply's int32 fields are read: truncated toward zero, saturated; NaN is 0.
std::int32_t TruncateToInt32(double value) {
    if (std::isnan(value)) return 0;
    value = std::trunc(value);
    if (value >= static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (value <= static_cast<double>(std::numeric_limits<std::int32_t>::min())) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(value);
}

constexpr std::string_view kFailurePrefix = "错误";

}  // namespace

void RemoteEvaluator::SetClient(std::int32_t clientHandle) {
    const std::int32_t old = clientHandle_.exchange(clientHandle, std::memory_order_acq_rel);
    if (old != clientHandle) {
        std::lock_guard lock(mutex_);
        callbacks_.clear();
        callbackOrder_.clear();
    }
}

std::string RemoteEvaluator::Evaluate(std::string_view code, std::int32_t timeoutSeconds,
                                      Callback callback) {
    const std::int32_t client = GetClient();
    // Nothing goes out once the link is shutting down: the phone is as good as gone.
    if (client < 1 || context_.shuttingDown.load(std::memory_order_acquire)) return {};
    const bool waits = !callback;
    std::int32_t token = 0;
    if (waits) {
        // Before the request goes out, so that the fastest reply cannot be missed.
        busy_.store(true, std::memory_order_release);
    } else {
        token = RegisterCallback(std::move(callback));
    }

    std::string request;
    try {
        request = BuildEvalRequest(code, token);
    } catch (const std::bad_alloc&) {
        request = BuildEvalRequest({}, token);
    }
    if (context_.sendText) context_.sendText(client, request);
    request = std::string();

    if (!waits) return {};
    const double timeoutMs = 1000.0 * (timeoutSeconds == 0 ? kDefaultTimeoutSeconds
                                                           : static_cast<double>(timeoutSeconds));
    LinkClock& clock = *context_.clock;
    const std::int64_t start = clock.NowMs();
    std::unique_lock lock(mutex_);
    while (busy_.load(std::memory_order_acquire)) {
        if (static_cast<double>(clock.NowMs() - start) - timeoutMs > 0.0000001) return "-1";
        if (context_.shuttingDown.load(std::memory_order_acquire)) return "-1";
        clock.WaitFor(replied_, lock, 10);
    }
    return reply_;
}

void RemoteEvaluator::OnReply(std::string_view message) {
    JsonObject parsed;
    if (!parsed.Parse(message)) return;
    OnReply(parsed, message);
}

void RemoteEvaluator::OnReply(JsonObject& parsed, std::string_view message) {
    const std::int32_t code = TruncateToInt32(parsed.GetNumber("code"));
    const std::int32_t back = TruncateToInt32(parsed.GetNumber("back"));
    if (code != 0) {
        std::string failure;
        failure.reserve(kFailurePrefix.size() + message.size());
        failure.append(kFailurePrefix).append(message);
        Accept(std::move(failure));
        return;
    }
    if (back > 0) {
        // A reply for a token nobody holds (forgotten, or never issued) goes nowhere.
        if (Callback callback = TakeCallback(back)) callback(GetClient(), std::string(message));
        return;
    }
    Accept(parsed.TakeText("returns"));
}

void RemoteEvaluator::Accept(std::string reply) {
    {
        std::lock_guard lock(mutex_);
        reply_ = std::move(reply);
        busy_.store(false, std::memory_order_release);
    }
    replied_.notify_all();
}

std::string RemoteEvaluator::Reply() const {
    std::lock_guard lock(mutex_);
    return reply_;
}

std::size_t RemoteEvaluator::PendingCallbacks() const {
    std::lock_guard lock(mutex_);
    return callbacks_.size();
}

void RemoteEvaluator::WakeWaiters() {
    { std::lock_guard lock(mutex_); }
    replied_.notify_all();
}

std::int32_t RemoteEvaluator::RegisterCallback(Callback callback) {
    std::lock_guard lock(mutex_);
    // Tokens are small counters, never addresses: a reply can name only a callback given here.
    std::int32_t token;
    do {
        token = nextToken_;
        nextToken_ = nextToken_ == std::numeric_limits<std::int32_t>::max() ? 1 : nextToken_ + 1;
    } while (callbacks_.contains(token));
    callbacks_.emplace(token, std::move(callback));
    callbackOrder_.push_back(token);
    while (callbacks_.size() > kMaxPendingCallbacks) {
        callbacks_.erase(callbackOrder_.front());
        callbackOrder_.pop_front();
    }
    return token;
}

RemoteEvaluator::Callback RemoteEvaluator::TakeCallback(std::int32_t token) {
    std::lock_guard lock(mutex_);
    auto it = callbacks_.find(token);
    if (it == callbacks_.end()) return nullptr;
    Callback callback = std::move(it->second);
    callbacks_.erase(it);
    std::erase(callbackOrder_, token);
    return callback;
}

}  // namespace pixmate
