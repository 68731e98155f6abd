#pragma once
// PixelCanvas: the drawing surface behind a canvas control, in portable code. It holds the
// background picture and the pixels shown (the picture with whatever was drawn over it), so the
// program reads and cuts exactly what the user sees, also where the canvas is scrolled out of
// view. The Win32 control only copies these pixels to the screen.
//
// The surface is as large as the control. Where the background picture does not reach, the
// canvas is white. Drawing follows GDI's rules: a rectangle from (x1, y1) to (x2, y2) is
// normalised and covers x1 .. x2 - 1 and y1 .. y2 - 1; a dotted pen is three pixels on, three
// off, with the gaps left untouched (transparent).

#include <cstdint>
#include <span>
#include <vector>

#include "pixmate/image/picture.h"

namespace pixmate {

enum class PenType { kSolid, kDash, kDot, kDashDot, kDashDotDot, kNone };
enum class BrushType { kSolid, kHollow };

class PixelCanvas {
  public:
    static constexpr std::uint32_t kBackgroundColour = kWhite;

    std::int32_t Width() const { return surface_.width; }
    std::int32_t Height() const { return surface_.height; }
    // Keeps what is drawn where it still fits; new area shows the background picture.
    void Resize(std::int32_t width, std::int32_t height);

    // Replaces the background picture and clears the surface back to it.
    void SetPicture(Picture picture);
    // File bytes (PNG or BMP); bytes that are no readable picture leave an empty background.
    void SetPicture(std::span<const std::uint8_t> fileBytes);
    const Picture& BackgroundPicture() const { return background_; }

    // Everything drawn goes; the background picture stays.
    void Clear();

    // kNoColour for a point outside the canvas.
    std::uint32_t PixelAt(std::int32_t x, std::int32_t y) const { return surface_.At(x, y); }
    // The pixels shown, row after row.
    const Picture& Pixels() const { return surface_; }

    void SetPenType(PenType type) { penType_ = type; }
    void SetPenColour(std::uint32_t colour) { penColour_ = colour & 0xFFFFFF; }
    void SetBrushType(BrushType type) { brushType_ = type; }
    void SetBrushColour(std::uint32_t colour) { brushColour_ = colour & 0xFFFFFF; }
    PenType GetPenType() const { return penType_; }
    std::uint32_t PenColour() const { return penColour_; }
    BrushType GetBrushType() const { return brushType_; }

    // Fills with the brush (unless hollow) and outlines with the pen (unless kNone).
    void DrawRectangle(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2);
    // Draws a picture with its top-left corner at (x, y), unscaled, clipped to the canvas.
    void DrawPicture(const Picture& picture, std::int32_t x, std::int32_t y);
    void DrawImage(std::span<const std::uint8_t> fileBytes, std::int32_t x, std::int32_t y);

    // The pixels shown as a 24-bit BMP file (pixel data at byte 54).
    std::vector<std::uint8_t> AsBmp() const { return EncodeBmp(surface_, 24); }

  private:
    void Compose(Picture& target) const;

    Picture background_;
    Picture surface_;
    PenType penType_ = PenType::kSolid;
    std::uint32_t penColour_ = 0;
    BrushType brushType_ = BrushType::kHollow;
    std::uint32_t brushColour_ = kWhite;
};

}  // namespace pixmate
