#include "pixmate/shell/pixel_canvas.h"

#include <algorithm>
#include <array>
#include <utility>

namespace pixmate {

namespace {

// GDI's cosmetic pen patterns: lengths of alternating on and off runs.
std::span<const int> PenPattern(PenType type) {
    static constexpr std::array kDash = {18, 6};
    static constexpr std::array kDot = {3, 3};
    static constexpr std::array kDashDot = {9, 6, 3, 6};
    static constexpr std::array kDashDotDot = {9, 3, 3, 3, 3, 3};
    switch (type) {
        case PenType::kDash:
            return kDash;
        case PenType::kDot:
            return kDot;
        case PenType::kDashDot:
            return kDashDot;
        case PenType::kDashDotDot:
            return kDashDotDot;
        default:
            return {};
    }
}

// Walks the pen pattern one pixel at a time, carrying its phase from edge to edge.
class PatternPen {
  public:
    explicit PatternPen(PenType type) : pattern_(PenPattern(type)) {}
    bool NextIsOn() {
        if (pattern_.empty()) return true;
        const bool on = run_ % 2 == 0;
        if (++done_ == pattern_[run_]) {
            done_ = 0;
            run_ = (run_ + 1) % pattern_.size();
        }
        return on;
    }
    void Skip(std::int64_t pixels) {
        if (pattern_.empty() || pixels <= 0) return;
        int period = 0;
        for (int n : pattern_) period += n;
        for (std::int64_t i = pixels % period; i > 0; --i) NextIsOn();
    }

  private:
    std::span<const int> pattern_;
    std::size_t run_ = 0;
    int done_ = 0;
};

}  // namespace

void PixelCanvas::Compose(Picture& target) const {
    std::fill(target.pixels.begin(), target.pixels.end(), kBackgroundColour);
    const std::int32_t w = std::min(target.width, background_.width);
    const std::int32_t h = std::min(target.height, background_.height);
    for (std::int32_t y = 0; y < h; ++y) {
        const std::uint32_t* src =
            background_.pixels.data() + static_cast<std::size_t>(y) * background_.width;
        std::copy(src, src + w, target.pixels.begin() + static_cast<std::size_t>(y) * target.width);
    }
}

void PixelCanvas::Resize(std::int32_t width, std::int32_t height) {
    if (width == surface_.width && height == surface_.height) return;
    Picture resized = Picture::Filled(width, height, kBackgroundColour);
    if (resized.Empty()) {
        surface_ = Picture{};
        return;
    }
    Compose(resized);
    const std::int32_t w = std::min(width, surface_.width);
    const std::int32_t h = std::min(height, surface_.height);
    for (std::int32_t y = 0; y < h; ++y) {
        const std::uint32_t* src =
            surface_.pixels.data() + static_cast<std::size_t>(y) * surface_.width;
        std::copy(src, src + w, resized.pixels.begin() + static_cast<std::size_t>(y) * width);
    }
    surface_ = std::move(resized);
}

void PixelCanvas::SetPicture(Picture picture) {
    background_ = std::move(picture);
    Clear();
}

void PixelCanvas::SetPicture(std::span<const std::uint8_t> fileBytes) {
    SetPicture(DecodePicture(fileBytes));
}

void PixelCanvas::Clear() {
    Compose(surface_);
}

void PixelCanvas::DrawRectangle(std::int32_t x1, std::int32_t y1, std::int32_t x2,
                                std::int32_t y2) {
    if (x2 < x1) std::swap(x1, x2);
    if (y2 < y1) std::swap(y1, y2);
    if (x1 == x2 || y1 == y2) return;
    const std::int64_t left = x1, top = y1, right = std::int64_t{x2} - 1,
                       bottom = std::int64_t{y2} - 1;

    if (brushType_ == BrushType::kSolid) {
        const std::int64_t l = std::max<std::int64_t>(left + 1, 0);
        const std::int64_t t = std::max<std::int64_t>(top + 1, 0);
        const std::int64_t r = std::min<std::int64_t>(right - 1, surface_.width - 1);
        const std::int64_t b = std::min<std::int64_t>(bottom - 1, surface_.height - 1);
        for (std::int64_t y = t; y <= b; ++y)
            for (std::int64_t x = l; x <= r; ++x)
                surface_.Set(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y),
                             brushColour_);
    }
    if (penType_ == PenType::kNone) return;

    // Clockwise from the top-left corner, every outline pixel once. Parts outside the canvas are
    // stepped over in one go (keeping the pattern's phase), so far-away corners cost nothing.
    PatternPen pen(penType_);
    auto run = [&](std::int64_t x, std::int64_t y, int dx, int dy, std::int64_t count) {
        if (count <= 0) return;
        std::int64_t lo = 0, hi = count;
        auto clip = [&](std::int64_t from, int step, std::int64_t size) {
            if (step == 0) {
                if (from < 0 || from >= size) lo = hi;
            } else if (step > 0) {
                lo = std::max(lo, -from);
                hi = std::min(hi, size - from);
            } else {
                lo = std::max(lo, from - size + 1);
                hi = std::min(hi, from + 1);
            }
        };
        clip(x, dx, surface_.width);
        clip(y, dy, surface_.height);
        if (lo >= hi) {
            pen.Skip(count);
            return;
        }
        pen.Skip(lo);
        for (std::int64_t i = lo; i < hi; ++i) {
            if (pen.NextIsOn()) {
                surface_.Set(static_cast<std::int32_t>(x + i * dx),
                             static_cast<std::int32_t>(y + i * dy), penColour_);
            }
        }
        pen.Skip(count - hi);
    };
    run(left, top, 1, 0, right - left + 1);
    run(right, top + 1, 0, 1, bottom - top);
    if (bottom > top) run(right - 1, bottom, -1, 0, right - left);
    if (right > left) run(left, bottom - 1, 0, -1, bottom - top - 1);
}

void PixelCanvas::DrawPicture(const Picture& picture, std::int32_t x, std::int32_t y) {
    if (picture.Empty()) return;
    const std::int32_t left = std::max(x, 0), top = std::max(y, 0);
    const std::int64_t right =
        std::min<std::int64_t>(std::int64_t{x} + picture.width, surface_.width);
    const std::int64_t bottom =
        std::min<std::int64_t>(std::int64_t{y} + picture.height, surface_.height);
    for (std::int32_t row = top; row < bottom; ++row) {
        for (std::int32_t col = left; col < right; ++col) {
            surface_.Set(col, row, picture.At(col - x, row - y));
        }
    }
}

void PixelCanvas::DrawImage(std::span<const std::uint8_t> fileBytes, std::int32_t x,
                            std::int32_t y) {
    DrawPicture(DecodePicture(fileBytes), x, y);
}

}  // namespace pixmate
