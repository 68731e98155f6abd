#pragma once
// Canvas layout and scrolling. The screenshot canvas 画板_原图 is always exactly as large as the
// picture and is only ever moved inside its frame 分组框_画板 (the viewport) by the two scroll
// bars, so a point on the canvas is the picture pixel with the same coordinates. The viewport
// follows the window: it grows with it, never below 300 x 583 and never beyond the picture.

#include <cstdint>

#include "pixmate/shell/window_layer.h"

namespace pixmate {

// The viewport minimum and the size of the current screenshot; all 0 at start-up.
struct CanvasGeometry {
    std::int32_t viewWidth = 0;
    std::int32_t viewHeight = 0;
    std::int32_t imageWidth = 0;
    std::int32_t imageHeight = 0;
};

class CanvasLayout {
  public:
    static constexpr std::int32_t kViewWidth = 300;
    static constexpr std::int32_t kViewHeight = 583;

    // Handles the window's size-changed and position-changed events and both scroll bars'
    // position-changed events.
    CanvasLayout(ui::MainWindow& window, CanvasGeometry& geometry);
    CanvasLayout(const CanvasLayout&) = delete;
    CanvasLayout& operator=(const CanvasLayout&) = delete;

    // Sizes the viewport, the scroll bars, 分组框_图 and the canvas from the window's outer size
    // and the picture size, and keeps 分组框_功能 against the window's right edge. Called on
    // size and state changes and after each usable screenshot.
    void LayoutCanvas();

    void OnVerticalScroll();
    void OnHorizontalScroll();
    void OnSizeChanged();
    // Lays out again once the window is maximised or back to normal; nothing while minimised.
    void OnPositionChanged();

  private:
    ui::MainWindow& window_;
    CanvasGeometry& geometry_;
};

}  // namespace pixmate
