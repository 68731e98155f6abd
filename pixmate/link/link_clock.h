#pragma once
// Time as remote evaluation sees it: the millisecond uptime counter and the short waits between
// looks at a pending reply. Injected so that timeouts are tested without waiting for them.

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace pixmate {

class LinkClock {
  public:
    virtual ~LinkClock() = default;
    // Milliseconds of a steady counter (only differences matter).
    virtual std::int64_t NowMs() = 0;
    // Waits up to ms milliseconds for a notification of wake, with lock held on entry and exit.
    // May return early; callers test their condition again.
    virtual void WaitFor(std::condition_variable& wake, std::unique_lock<std::mutex>& lock,
                         std::int32_t ms) = 0;

    // The real one: steady_clock, and a wait that a notification ends early.
    static LinkClock& System();
};

}  // namespace pixmate
