#pragma once
// ThreadSet: short-lived threads that nobody waits for one by one, but that must all have ended
// before their owner goes away (connection event threads, device-information threads).
// Finished threads are joined when the next one is started, so they do not pile up.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace pixmate {

class ThreadSet {
  public:
    ThreadSet() = default;
    ~ThreadSet() { JoinAll(); }
    ThreadSet(const ThreadSet&) = delete;
    ThreadSet& operator=(const ThreadSet&) = delete;

    // Runs body on a new thread. False when the thread could not be created.
    bool Spawn(std::function<void()> body);
    // Waits until every thread, including any started meanwhile, has ended.
    void JoinAll();
    std::size_t Running() const;

  private:
    std::vector<std::thread> TakeFinished();

    mutable std::mutex mutex_;
    std::condition_variable ended_;
    std::uint64_t nextId_ = 0;
    std::map<std::uint64_t, std::thread> running_;
    std::vector<std::thread> finished_;
};

}  // namespace pixmate
