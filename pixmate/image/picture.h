#pragma once
// Pictures in memory: what the canvases show and what their pixels are read from. Colours are
// Windows colour values 0x00BBGGRR (red in the low byte), one per pixel, rows top to bottom.
//
// Pictures come from PNG (what the phones send) and BMP (what the program makes of its own
// pictures) file bytes. Bytes that are not a picture this code can read, or that are cut short,
// give an empty picture; they never crash and never allocate more than kMaxPicturePixels.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace pixmate {

// The value a pixel read gives for a point outside a picture or canvas.
inline constexpr std::uint32_t kNoColour = 0xFFFFFFFF;
inline constexpr std::uint32_t kWhite = 0xFFFFFF;

// Largest picture accepted from bytes: a phone screen is about 5 million pixels; this leaves
// room for tablets while keeping a hostile header from exhausting a 32-bit process.
inline constexpr std::int64_t kMaxPicturePixels = 32 * 1024 * 1024;
inline constexpr std::int32_t kMaxPictureSide = 32767;

// Whether a picture of this size may be made: both sides positive and within kMaxPictureSide,
// and no more than kMaxPicturePixels in all.
constexpr bool PictureSizeAcceptable(std::int64_t width, std::int64_t height) {
    return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
           width * height <= kMaxPicturePixels;
}

struct Picture {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint32_t> pixels;  // width * height colours, row after row

    // A width x height picture in one colour. A size that is not positive (or too large) gives
    // an empty picture.
    static Picture Filled(std::int32_t width, std::int32_t height, std::uint32_t colour);

    bool Empty() const { return width <= 0 || height <= 0; }
    bool Contains(std::int32_t x, std::int32_t y) const {
        return x >= 0 && y >= 0 && x < width && y < height;
    }
    // kNoColour outside the picture.
    std::uint32_t At(std::int32_t x, std::int32_t y) const {
        return Contains(x, y) ? pixels[static_cast<std::size_t>(y) * width + x] : kNoColour;
    }
    // A point outside the picture changes nothing. The fourth byte of the colour is dropped.
    void Set(std::int32_t x, std::int32_t y, std::uint32_t colour) {
        if (Contains(x, y)) pixels[static_cast<std::size_t>(y) * width + x] = colour & 0xFFFFFF;
    }

    friend bool operator==(const Picture&, const Picture&) = default;
};

// PNG or BMP file bytes (recognised by their signature) to a picture. PNG transparency is
// composed over white, as the canvas shows it. Anything else gives an empty picture.
Picture DecodePicture(std::span<const std::uint8_t> bytes);
Picture DecodePng(std::span<const std::uint8_t> bytes);
// Uncompressed BMP with 1, 4, 8, 24 or 32 bits per pixel (32 also with bit-field masks),
// bottom-up or top-down, pixel data wherever the file header's offset says.
Picture DecodeBmp(std::span<const std::uint8_t> bytes);

// The picture as a complete BMP file: "BM" file header, 40-byte info header, pixel data at byte
// 54, rows bottom-up, each pixel blue, green, red (and a zero byte at 32 bits), rows padded to
// a multiple of 4 bytes. bitsPerPixel is 24 or 32. An empty picture gives a header-only file of
// size 0 x 0.
std::vector<std::uint8_t> EncodeBmp(const Picture& picture, int bitsPerPixel = 24);

}  // namespace pixmate
