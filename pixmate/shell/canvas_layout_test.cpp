#include "pixmate/shell/canvas_layout.h"

#include <gtest/gtest.h>

#include "pixmate/shell/memory_window.h"

namespace pixmate {
namespace {

using namespace ui;

class CanvasLayoutTest : public ::testing::Test {
  protected:
    CanvasLayoutTest() : layout_(window_, geometry_) {}

    void Show(std::int32_t imageWidth, std::int32_t imageHeight) {
        geometry_.imageWidth = imageWidth;
        geometry_.imageHeight = imageHeight;
        layout_.LayoutCanvas();
    }
    MemoryScrollBar& Vertical() { return window_.Memory(ids::纵向滚动条1); }
    MemoryScrollBar& Horizontal() { return window_.Memory(ids::横向滚动条1); }
    Canvas& Screenshot() { return window_.Get(ids::画板_原图); }

    MemoryMainWindow window_;
    CanvasGeometry geometry_;
    CanvasLayout layout_;
};

struct LayoutCase {
    const char* what;
    Size window;
    Size image;
    Size viewport;
    std::int32_t horizontalMaximum, verticalMaximum;
    std::int32_t panelLeft;
};

TEST_F(CanvasLayoutTest, SizesFollowTheWindowAndThePicture) {
    const LayoutCase cases[] = {
        {"designed window, phone picture", {1064, 768}, {1080, 2340}, {300, 651}, 780, 1689, 500},
        {"large window", {1920, 1040}, {1080, 2340}, {1080, 923}, 0, 1417, 1356},
        {"small picture, any window", {1064, 768}, {200, 400}, {300, 583}, -100, -183, 500},
        {"small picture, large window", {1920, 1040}, {200, 400}, {300, 583}, -100, -183, 1356},
        {"before the first screenshot", {1064, 768}, {0, 0}, {300, 583}, -300, -583, 500},
        {"window below its designed size", {800, 600}, {1080, 2340}, {300, 583}, 780, 1757, 236},
        {"window exactly as large as needed", {1850, 2457}, {1080, 2340}, {1080, 2340}, 0, 0, 1286},
        {"one pixel more than the minimum", {1851, 700}, {1081, 584}, {1081, 583}, 0, 1, 1287},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.what);
        window_.UserResizes(c.window);
        Show(c.image.width, c.image.height);
        EXPECT_EQ(geometry_.viewWidth, 300);
        EXPECT_EQ(geometry_.viewHeight, 583);
        EXPECT_EQ(window_.Get(ids::分组框_画板).Bounds(),
                  (Rect{32, 32, c.viewport.width, c.viewport.height}));
        EXPECT_EQ(window_.Get(ids::分组框_图).Bounds(),
                  (Rect{156, 1, c.viewport.width + 50, c.viewport.height + 50}));
        // The bars keep their places; only their lengths follow the viewport.
        EXPECT_EQ(Horizontal().Bounds(), (Rect{31, 9, c.viewport.width, 16}));
        EXPECT_EQ(Vertical().Bounds(), (Rect{8, 9, 16, c.viewport.height}));
        EXPECT_EQ(Horizontal().Maximum(), c.horizontalMaximum);
        EXPECT_EQ(Vertical().Maximum(), c.verticalMaximum);
        // Usable exactly when there is something to scroll.
        EXPECT_EQ(Horizontal().Enabled(), c.horizontalMaximum > 0);
        EXPECT_EQ(Vertical().Enabled(), c.verticalMaximum > 0);
        EXPECT_EQ(Horizontal().PageSize(), c.viewport.width);
        EXPECT_EQ(Screenshot().Bounds(), (Rect{0, 0, c.image.width, c.image.height}));
        EXPECT_EQ(window_.Get(ids::分组框_功能).Bounds(), (Rect{c.panelLeft, 0, 544, 640}));
    }
}

TEST_F(CanvasLayoutTest, BarPositionsMoveTheCanvasSoViewportEdgesShowThatPixel) {
    Show(1080, 2340);
    Vertical().UserScrolls(100);
    EXPECT_EQ(Screenshot().Top(), -100);
    Horizontal().UserScrolls(780);
    EXPECT_EQ(Screenshot().Left(), -780);
    // Beyond the end: the bar stops at its maximum and so does the canvas.
    Vertical().UserScrolls(5000);
    EXPECT_EQ(Vertical().Position(), 1689);
    EXPECT_EQ(Screenshot().Top(), -1689);
    // Pixels keep their picture coordinates wherever the canvas sits.
    Picture p = Picture::Filled(1080, 2340, 0);
    p.Set(1000, 2000, 0x00ABCDEF);
    Screenshot().SetPicture(std::move(p));
    EXPECT_EQ(Screenshot().PixelAt(1000, 2000), 0x00ABCDEFu);
}

TEST_F(CanvasLayoutTest, ANewScreenshotKeepsTheOffsetTheBarsGave) {
    Show(1080, 2340);
    Vertical().UserScrolls(100);
    Horizontal().UserScrolls(40);
    Show(1080, 2340);
    EXPECT_EQ(Screenshot().Bounds(), (Rect{-40, -100, 1080, 2340}));
    EXPECT_EQ(Vertical().Position(), 100);
}

TEST_F(CanvasLayoutTest, ACanvasScrolledFurtherThanTheNewRangeAllowsIsBroughtBack) {
    Show(1080, 2340);
    Vertical().UserScrolls(1689);
    Horizontal().UserScrolls(780);
    // A larger window leaves less to scroll: the canvas follows the pulled-back bar.
    window_.UserResizes({1920, 1040});
    EXPECT_EQ(Vertical().Position(), 1417);
    EXPECT_EQ(Screenshot().Top(), -1417);
    EXPECT_EQ(Screenshot().Left(), 0);
    // A small picture leaves nothing: the bars are at 0 and disabled, the canvas in view.
    Show(200, 400);
    EXPECT_EQ(Vertical().Position(), 0);
    EXPECT_FALSE(Vertical().Enabled());
    EXPECT_EQ(Screenshot().Bounds(), (Rect{0, 0, 200, 400}));
    // A disabled bar does not move.
    Vertical().UserScrolls(50);
    EXPECT_EQ(Screenshot().Top(), 0);
}

TEST_F(CanvasLayoutTest, WindowEventsLayOutExceptPositionChangesWhileMinimised) {
    geometry_.imageWidth = 1080;
    geometry_.imageHeight = 2340;
    window_.UserMaximises();  // size and position events
    EXPECT_EQ(window_.Get(ids::分组框_画板).Width(), 1080);
    EXPECT_EQ(window_.Get(ids::分组框_功能).Left(), 1920 - 564);

    window_.UserMinimises();
    const std::int32_t minimisedMaximum = Vertical().Maximum();
    geometry_.imageHeight = 4000;
    layout_.OnPositionChanged();
    EXPECT_EQ(Vertical().Maximum(), minimisedMaximum) << "no layout while minimised";

    window_.UserRestores();
    EXPECT_EQ(Vertical().Maximum(), 4000 - 651);
    window_.UserMaximises();
    EXPECT_EQ(Vertical().Maximum(), 4000 - 923);
}

}  // namespace
}  // namespace pixmate
