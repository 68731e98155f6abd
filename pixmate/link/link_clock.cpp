#include "pixmate/link/link_clock.h"

#include <chrono>

namespace pixmate {

namespace {

class SystemClock final : public LinkClock {
  public:
    std::int64_t NowMs() override {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }

    void WaitFor(std::condition_variable& wake, std::unique_lock<std::mutex>& lock,
                 std::int32_t ms) override {
        wake.wait_for(lock, std::chrono::milliseconds(ms));
    }
};

}  // namespace

LinkClock& LinkClock::System() {
    static SystemClock clock;
    return clock;
}

}  // namespace pixmate
