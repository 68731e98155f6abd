#pragma once
// ProcessState: the program's process-wide state, made at start-up and released at the end of
// the program, first made first released (the release order the program relies on: the device
// registry first, the server object last).

#include <memory>
#include <utility>
#include <vector>

namespace pixmate {

class ProcessState {
  public:
    ProcessState() = default;
    ~ProcessState() { Release(); }
    ProcessState(const ProcessState&) = delete;
    ProcessState& operator=(const ProcessState&) = delete;

    // Makes one part; it lives until Release.
    template <typename T, typename... Args>
    T& Create(Args&&... args) {
        auto part = std::make_unique<Part<T>>(std::forward<Args>(args)...);
        T& value = part->value;
        parts_.push_back(std::move(part));
        return value;
    }

    // Releases every part in the order the parts were made. A second call does nothing.
    void Release() {
        for (auto& part : parts_) part.reset();
        parts_.clear();
    }

    bool Empty() const { return parts_.empty(); }

  private:
    struct PartBase {
        virtual ~PartBase() = default;
    };
    template <typename T>
    struct Part : PartBase {
        template <typename... Args>
        explicit Part(Args&&... args) : value(std::forward<Args>(args)...) {}
        T value;
    };

    std::vector<std::unique_ptr<PartBase>> parts_;
};

}  // namespace pixmate
