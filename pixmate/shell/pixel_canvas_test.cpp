#include "pixmate/shell/pixel_canvas.h"

#include <gtest/gtest.h>

#include <string>

namespace pixmate {
namespace {

constexpr std::uint32_t kRed = 0x0000FF;
constexpr std::uint32_t kBlue = 0xFF0000;

Picture Gradient(std::int32_t w, std::int32_t h) {
    Picture p = Picture::Filled(w, h, 0);
    for (std::int32_t y = 0; y < h; ++y)
        for (std::int32_t x = 0; x < w; ++x) p.Set(x, y, static_cast<std::uint32_t>(x | (y << 8)));
    return p;
}

// The canvas's pixels in a rows-of-characters form: '#' pen colour, '.' anything else.
std::string Plot(const PixelCanvas& c, std::uint32_t pen) {
    std::string s;
    for (std::int32_t y = 0; y < c.Height(); ++y) {
        for (std::int32_t x = 0; x < c.Width(); ++x) s += c.PixelAt(x, y) == pen ? '#' : '.';
        s += '\n';
    }
    return s;
}

TEST(PixelCanvas, ReadsThePictureAndNoColourOutsideTheCanvas) {
    PixelCanvas c;
    c.Resize(6, 4);
    c.SetPicture(Gradient(4, 3));
    EXPECT_EQ(c.PixelAt(3, 2), 0x0203u);
    EXPECT_EQ(c.PixelAt(0, 0), 0u);
    // Beyond the picture but on the canvas: the canvas's own white.
    EXPECT_EQ(c.PixelAt(5, 3), kWhite);
    EXPECT_EQ(c.PixelAt(4, 0), kWhite);
    for (auto [x, y] : {std::pair{6, 0}, {0, 4}, {-1, 0}, {0, -1}})
        EXPECT_EQ(c.PixelAt(x, y), kNoColour);
    // A canvas smaller than its picture shows (and reads) only what fits.
    c.Resize(2, 2);
    EXPECT_EQ(c.PixelAt(1, 1), 0x0101u);
    EXPECT_EQ(c.PixelAt(2, 1), kNoColour);
}

TEST(PixelCanvas, ClearTakesAwayTheDrawingButKeepsThePicture) {
    PixelCanvas c;
    c.Resize(8, 8);
    c.SetPicture(Gradient(8, 8));
    c.SetPenColour(kRed);
    c.DrawRectangle(1, 1, 7, 7);
    EXPECT_EQ(c.PixelAt(1, 1), kRed);
    c.Clear();
    EXPECT_EQ(c.Pixels(), Gradient(8, 8));
    // A new picture also starts clean, and unreadable bytes leave no picture at all.
    c.DrawRectangle(0, 0, 8, 8);
    const std::uint8_t junk[] = {'B', 'M', 1, 2, 3};
    c.SetPicture(std::span<const std::uint8_t>(junk));
    EXPECT_TRUE(c.BackgroundPicture().Empty());
    EXPECT_EQ(c.Pixels(), Picture::Filled(8, 8, kWhite));
}

TEST(PixelCanvas, RectanglesFollowGdiEdgesAndNormaliseTheirCorners) {
    PixelCanvas c;
    c.Resize(6, 5);
    c.SetPicture(Picture::Filled(6, 5, kWhite));
    c.SetPenColour(kBlue);
    c.DrawRectangle(4, 3, 1, 0);  // corners given from bottom-right to top-left
    EXPECT_EQ(Plot(c, kBlue),
              ".###..\n"
              ".#.#..\n"
              ".###..\n"
              "......\n"
              "......\n");
    c.Clear();
    c.DrawRectangle(2, 2, 2, 4);  // zero width: nothing
    c.DrawRectangle(0, 4, 3, 5);  // one row high
    EXPECT_EQ(Plot(c, kBlue), "......\n......\n......\n......\n###...\n");
}

TEST(PixelCanvas, DottedPenLeavesGapsTransparentAndCarriesItsPhaseRoundCorners) {
    PixelCanvas c;
    c.Resize(9, 4);
    c.SetPicture(Picture::Filled(9, 4, 0x123456));
    c.SetPenType(PenType::kDot);
    c.SetPenColour(kRed);
    c.SetBrushType(BrushType::kHollow);
    c.DrawRectangle(0, 0, 9, 4);
    // Clockwise from the top-left: 3 on, 3 off, ... along 9 + 3 + 8 + 2 outline pixels.
    EXPECT_EQ(Plot(c, kRed),
              "###...###\n"
              ".........\n"
              "#........\n"
              "##...###.\n");
    EXPECT_EQ(c.PixelAt(3, 0), 0x123456u);  // gaps show the picture
    EXPECT_EQ(c.PixelAt(4, 1), 0x123456u);  // hollow: the inside too
}

TEST(PixelCanvas, SolidBrushFillsInsideTheOutline) {
    PixelCanvas c;
    c.Resize(5, 5);
    c.SetPenColour(kRed);
    c.SetBrushType(BrushType::kSolid);
    c.SetBrushColour(kBlue);
    c.DrawRectangle(0, 0, 5, 4);
    EXPECT_EQ(Plot(c, kBlue), ".....\n.###.\n.###.\n.....\n.....\n");
    EXPECT_EQ(c.PixelAt(0, 3), kRed);
    c.SetPenType(PenType::kNone);
    c.Clear();
    c.DrawRectangle(0, 0, 5, 5);
    EXPECT_EQ(c.PixelAt(0, 0), kWhite);
}

TEST(PixelCanvas, FarAwayCornersAreClippedNotWalked) {
    PixelCanvas c;
    c.Resize(4, 4);
    c.SetPenType(PenType::kDot);
    c.SetPenColour(kRed);
    c.DrawRectangle(-2000000000, 1, 2000000000, 2000000000);
    // Only the top edge crosses the canvas, in phase with the walk from x = -2e9.
    int drawn = 0;
    for (std::int32_t x = 0; x < 4; ++x) drawn += c.PixelAt(x, 1) == kRed;
    EXPECT_GT(drawn, 0);
    EXPECT_LT(drawn, 4);
    EXPECT_EQ(c.PixelAt(0, 0), kWhite);
}

TEST(PixelCanvas, PicturesDrawnAtAPointAreClipped) {
    PixelCanvas c;
    c.Resize(4, 3);
    c.DrawPicture(Gradient(3, 3), 2, -1);
    EXPECT_EQ(c.PixelAt(2, 0), 0x0100u);  // picture row 1, column 0
    EXPECT_EQ(c.PixelAt(3, 1), 0x0201u);
    EXPECT_EQ(c.PixelAt(1, 0), kWhite);
    // From file bytes, as the template picture arrives.
    c.Clear();
    c.DrawImage(EncodeBmp(Gradient(2, 2)), 0, 0);
    EXPECT_EQ(c.PixelAt(1, 1), 0x0101u);
}

TEST(PixelCanvas, ResizingKeepsWhatIsDrawnWhereItStillFits) {
    PixelCanvas c;
    c.Resize(4, 4);
    c.SetPicture(Gradient(6, 6));
    c.SetPenColour(kRed);
    c.DrawRectangle(0, 0, 4, 4);
    c.Resize(6, 5);
    EXPECT_EQ(c.PixelAt(3, 3), kRed);
    EXPECT_EQ(c.PixelAt(5, 4), 0x0405u);  // new area shows the picture
    c.Resize(0, 0);
    EXPECT_EQ(c.PixelAt(0, 0), kNoColour);
}

TEST(PixelCanvas, BmpBytesAreThePixelsShown) {
    PixelCanvas c;
    c.Resize(3, 2);
    c.SetPicture(Gradient(3, 2));
    c.SetPenColour(kBlue);
    c.DrawRectangle(0, 0, 1, 1);
    const std::vector<std::uint8_t> bmp = c.AsBmp();
    EXPECT_EQ(bmp[10], 54);  // pixel data offset
    EXPECT_EQ(bmp[28], 24);
    EXPECT_EQ(DecodePicture(bmp), c.Pixels());
    EXPECT_EQ(DecodePicture(bmp).At(0, 0), kBlue);
}

}  // namespace
}  // namespace pixmate
