#include "pixmate/link/thread_set.h"

#include <system_error>
#include <utility>

namespace pixmate {

bool ThreadSet::Spawn(std::function<void()> body) {
    for (std::thread& done : TakeFinished()) done.join();
    std::lock_guard lock(mutex_);
    const std::uint64_t id = nextId_++;
    try {
        // The new thread files itself under finished_ only after taking mutex_, which is held
        // until it is filed under running_.
        running_.emplace(id, std::thread([this, id, body = std::move(body)]() mutable {
                             body();
                             // The captures may hold the last references to objects whose owners
                             // wait in JoinAll: release them before announcing the end.
                             body = nullptr;
                             std::lock_guard endLock(mutex_);
                             auto node = running_.extract(id);
                             finished_.push_back(std::move(node.mapped()));
                             ended_.notify_all();
                         }));
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void ThreadSet::JoinAll() {
    for (;;) {
        std::vector<std::thread> done;
        {
            std::unique_lock lock(mutex_);
            ended_.wait(lock, [this] { return !finished_.empty() || running_.empty(); });
            done.swap(finished_);
            if (done.empty() && running_.empty()) return;
        }
        for (std::thread& thread : done) thread.join();
    }
}

std::size_t ThreadSet::Running() const {
    std::lock_guard lock(mutex_);
    return running_.size();
}

std::vector<std::thread> ThreadSet::TakeFinished() {
    std::lock_guard lock(mutex_);
    std::vector<std::thread> done;
    done.swap(finished_);
    return done;
}

}  // namespace pixmate
