// PNG file bytes to a picture, through libpng's simplified reading interface: it keeps libpng's
// setjmp error handling inside libpng, so a corrupt or cut-short file comes back as a failure
// value here and no longjmp ever crosses C++ frames.
#include <png.h>

#include <cstring>
#include <new>

#include "pixmate/image/picture.h"

namespace pixmate {

namespace {

// Frees libpng's reading state on every way out.
class PngImage {
  public:
    PngImage() {
        std::memset(&image_, 0, sizeof image_);
        image_.version = PNG_IMAGE_VERSION;
    }
    ~PngImage() { png_image_free(&image_); }
    PngImage(const PngImage&) = delete;
    PngImage& operator=(const PngImage&) = delete;
    png_image* operator->() { return &image_; }
    png_image* get() { return &image_; }

  private:
    png_image image_;
};

}  // namespace

Picture DecodePng(std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) return {};
    PngImage image;
    if (!png_image_begin_read_from_memory(image.get(), bytes.data(), bytes.size())) return {};
    // Phones write 8-bit sRGB; a 16-bit file without colour-space chunks is taken as sRGB too,
    // so that its colours read as they look rather than as linear light.
    image->flags |= PNG_IMAGE_FLAG_16BIT_sRGB;
    const std::int64_t width = image->width, height = image->height;
    if (!PictureSizeAcceptable(width, height)) return {};

    image->format = PNG_FORMAT_RGB;
    const png_color white = {255, 255, 255};
    try {
        std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
        if (!png_image_finish_read(image.get(), &white, rgb.data(), 0, nullptr)) return {};
        Picture p =
            Picture::Filled(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height), 0);
        const std::uint8_t* src = rgb.data();
        for (std::uint32_t& pixel : p.pixels) {
            pixel = src[0] | (src[1] << 8) | (src[2] << 16);
            src += 3;
        }
        return p;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

}  // namespace pixmate
