#pragma once
// Test doubles of the link: a clock whose waits pass no real time, and a recorder of sent texts.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "pixmate/link/link_clock.h"
#include "pixmate/link/remote_evaluator.h"

namespace pixmate::testing {

// While running, every wait advances the clock by its full length at once, so a ten-second
// timeout costs a thousand loop turns and no time (the waiter still yields so other threads get
// to run). While stopped, time stands still and waits take a real millisecond.
class FakeClock final : public LinkClock {
  public:
    std::int64_t NowMs() override { return now_.load(); }
    void WaitFor(std::condition_variable& wake, std::unique_lock<std::mutex>& lock,
                 std::int32_t ms) override {
        if (!running_.load()) {
            wake.wait_for(lock, std::chrono::milliseconds(1));
            return;
        }
        lock.unlock();
        now_ += ms;
        std::this_thread::yield();
        lock.lock();
    }
    void Advance(std::int64_t ms) { now_ += ms; }
    void SetRunning(bool running) { running_ = running; }

  private:
    std::atomic<std::int64_t> now_{1'000'000};
    std::atomic<bool> running_{true};
};

// Keeps every (client, text) sent; an optional hook answers.
class SentTexts {
  public:
    SendTextFunction Sender() {
        return [this](std::int32_t client, std::string_view text) {
            std::function<void(std::int32_t, const std::string&)> hook;
            {
                std::lock_guard lock(mutex_);
                sent_.emplace_back(client, std::string(text));
                hook = onSend_;
                changed_.notify_all();
            }
            if (hook) hook(client, std::string(text));
            return true;
        };
    }
    void OnSend(std::function<void(std::int32_t, const std::string&)> hook) {
        std::lock_guard lock(mutex_);
        onSend_ = std::move(hook);
    }
    std::vector<std::pair<std::int32_t, std::string>> All() const {
        std::lock_guard lock(mutex_);
        return sent_;
    }
    std::size_t Count() const {
        std::lock_guard lock(mutex_);
        return sent_.size();
    }
    bool WaitForCount(std::size_t count, std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] { return sent_.size() >= count; });
    }

  private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::pair<std::int32_t, std::string>> sent_;
    std::function<void(std::int32_t, const std::string&)> onSend_;
};

// Polls until done() or the timeout; for conditions reached by other threads.
inline bool WaitUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

}  // namespace pixmate::testing
