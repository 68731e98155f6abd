#include "pixmate/shell/canvas_layout.h"

namespace pixmate {

namespace {

// The window's outer size minus the fixed parts around the viewport (the tree on the left, the
// function panel on the right, the frame, margins and the bars).
constexpr std::int32_t kWidthOutside = 770;
constexpr std::int32_t kHeightOutside = 117;
// 分组框_图 holds the viewport plus the bars and margins.
constexpr std::int32_t kFrameMargin = 50;
constexpr std::int32_t kPanelRightMargin = 20;

}  // namespace

using namespace ui;

CanvasLayout::CanvasLayout(MainWindow& window, CanvasGeometry& geometry)
    : window_(window), geometry_(geometry) {
    window_.onSizeChanged = [this] { OnSizeChanged(); };
    window_.onPositionChanged = [this] { OnPositionChanged(); };
    window_.Get(ids::纵向滚动条1).onPositionChanged = [this] { OnVerticalScroll(); };
    window_.Get(ids::横向滚动条1).onPositionChanged = [this] { OnHorizontalScroll(); };
}

void CanvasLayout::LayoutCanvas() {
    geometry_.viewWidth = kViewWidth;
    geometry_.viewHeight = kViewHeight;
    const Size outer = window_.OuterSize();

    // The picture caps the viewport first; the minimum wins over it, so a small picture still
    // gets the full minimum frame (with the canvas smaller than the frame).
    std::int32_t w = outer.width - kWidthOutside;
    if (w > geometry_.imageWidth) w = geometry_.imageWidth;
    if (w < geometry_.viewWidth) w = geometry_.viewWidth;
    std::int32_t h = outer.height - kHeightOutside;
    if (h > geometry_.imageHeight) h = geometry_.imageHeight;
    if (h < geometry_.viewHeight) h = geometry_.viewHeight;

    ScrollBar& horizontal = window_.Get(ids::横向滚动条1);
    ScrollBar& vertical = window_.Get(ids::纵向滚动条1);
    horizontal.SetWidth(w);
    vertical.SetHeight(h);
    horizontal.SetMaximum(geometry_.imageWidth - w);
    vertical.SetMaximum(geometry_.imageHeight - h);
    horizontal.SetPageSize(w);
    vertical.SetPageSize(h);

    GroupBox& viewport = window_.Get(ids::分组框_画板);
    viewport.SetBounds({viewport.Left(), viewport.Top(), w, h});
    GroupBox& frame = window_.Get(ids::分组框_图);
    frame.SetBounds({frame.Left(), frame.Top(), viewport.Width() + kFrameMargin,
                     viewport.Height() + kFrameMargin});

    // A smaller range may have pulled a bar's position back (to 0 when nothing is left to
    // scroll); the canvas follows, so that it always sits at minus the bars' positions and a
    // picture never hides beyond a bar that can no longer reach it.
    window_.Get(ids::画板_原图)
        .SetBounds({-horizontal.Position(), -vertical.Position(), geometry_.imageWidth,
                    geometry_.imageHeight});

    GroupBox& panel = window_.Get(ids::分组框_功能);
    panel.SetLeft(outer.width - panel.Width() - kPanelRightMargin);
}

void CanvasLayout::OnVerticalScroll() {
    window_.Get(ids::画板_原图).SetTop(-window_.Get(ids::纵向滚动条1).Position());
}

void CanvasLayout::OnHorizontalScroll() {
    window_.Get(ids::画板_原图).SetLeft(-window_.Get(ids::横向滚动条1).Position());
}

void CanvasLayout::OnSizeChanged() {
    LayoutCanvas();
}

void CanvasLayout::OnPositionChanged() {
    if (window_.State() == WindowState::kMinimised) return;
    LayoutCanvas();
}

}  // namespace pixmate
