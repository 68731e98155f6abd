#pragma once
// The range rule both scroll bar implementations keep: positions run from 0 to the maximum, a
// maximum of 0 or less leaves nothing to scroll (position 0, bar disabled).

#include <algorithm>
#include <cstdint>

namespace pixmate::ui {

struct ScrollRange {
    std::int32_t maximum = 0;
    std::int32_t pageSize = 0;
    std::int32_t position = 0;

    bool Usable() const { return maximum > 0; }
    std::int32_t Clamp(std::int32_t p) const { return std::clamp(p, 0, std::max(maximum, 0)); }
    void SetMaximum(std::int32_t m) {
        maximum = m;
        position = Clamp(position);
    }
};

}  // namespace pixmate::ui
