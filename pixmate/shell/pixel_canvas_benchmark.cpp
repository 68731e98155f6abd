// The canvas work behind one mouse move over a phone screenshot, and the picture conversions
// around it: what the UI thread does between two mouse events.
#include <benchmark/benchmark.h>
#include <png.h>

#include <cstring>
#include <random>

#include "pixmate/shell/pixel_canvas.h"

namespace pixmate {
namespace {

constexpr std::int32_t kWidth = 1080, kHeight = 2340;

Picture Screenshot() {
    // A phone screen: flat areas with some texture, as a deflated PNG of one compresses.
    Picture p = Picture::Filled(kWidth, kHeight, 0);
    std::mt19937 random(7);
    for (std::int32_t y = 0; y < kHeight; ++y)
        for (std::int32_t x = 0; x < kWidth; ++x)
            p.Set(x, y, ((x / 40 + y / 40) % 5) * 0x202020 + (random() % 4) * 0x010101);
    return p;
}

std::vector<std::uint8_t> Png(const Picture& picture) {
    std::vector<std::uint8_t> rgb;
    for (std::uint32_t c : picture.pixels) {
        rgb.push_back(static_cast<std::uint8_t>(c));
        rgb.push_back(static_cast<std::uint8_t>(c >> 8));
        rgb.push_back(static_cast<std::uint8_t>(c >> 16));
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = picture.width;
    image.height = picture.height;
    image.format = PNG_FORMAT_RGB;
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&image, nullptr, &size, 0, rgb.data(), 0, nullptr);
    std::vector<std::uint8_t> png(size);
    png_image_write_to_memory(&image, png.data(), &size, 0, rgb.data(), 0, nullptr);
    png.resize(size);
    return png;
}

void DecodeScreenshotPng(benchmark::State& state) {
    const std::vector<std::uint8_t> png = Png(Screenshot());
    for (auto _ : state) benchmark::DoNotOptimize(DecodePng(png));
    state.counters["png_bytes"] = static_cast<double>(png.size());
}
BENCHMARK(DecodeScreenshotPng)->Unit(benchmark::kMillisecond);

// Read the 19 x 19 pixels around the cursor, paint a 200 x 200 magnifier, hand it over as BMP
// bytes and set them as the magnifier canvas's picture.
void MagnifierUpdate(benchmark::State& state) {
    PixelCanvas screen;
    screen.Resize(kWidth, kHeight);
    screen.SetPicture(Screenshot());
    PixelCanvas magnifier;
    magnifier.Resize(190, 190);
    Picture cells = Picture::Filled(200, 200, kWhite);
    std::int32_t x = 500, y = 1000;
    for (auto _ : state) {
        for (std::int32_t i = 1; i <= 19; ++i)
            for (std::int32_t j = 1; j <= 19; ++j) {
                const std::uint32_t c = screen.PixelAt(x - 10 + i, y - 10 + j);
                for (std::int32_t py = 0; py < 9; ++py)
                    for (std::int32_t px = 0; px < 9; ++px)
                        cells.Set(10 * (i - 1) + 1 + px, 10 * (j - 1) + 1 + py, c);
            }
        magnifier.SetPicture(EncodeBmp(cells, 24));
        x = x == 500 ? 501 : 500;
    }
}
BENCHMARK(MagnifierUpdate)->Unit(benchmark::kMicrosecond);

// During a drag: clear the screenshot canvas and draw the two dotted rectangles again.
void RubberBandRedraw(benchmark::State& state) {
    PixelCanvas screen;
    screen.Resize(kWidth, kHeight);
    screen.SetPicture(Screenshot());
    screen.SetPenType(PenType::kDot);
    screen.SetBrushType(BrushType::kHollow);
    for (auto _ : state) {
        screen.Clear();
        screen.SetPenColour(0xFF0000);
        screen.DrawRectangle(100, 200, 700, 1500);
        screen.SetPenColour(0x0000FF);
        screen.DrawRectangle(50, 50, 1000, 2000);
        benchmark::DoNotOptimize(screen.PixelAt(100, 200));
    }
}
BENCHMARK(RubberBandRedraw)->Unit(benchmark::kMicrosecond);

// The whole canvas as BMP bytes, as the template cut asks for it.
void ScreenshotAsBmp(benchmark::State& state) {
    PixelCanvas screen;
    screen.Resize(kWidth, kHeight);
    screen.SetPicture(Screenshot());
    for (auto _ : state) benchmark::DoNotOptimize(screen.AsBmp());
}
BENCHMARK(ScreenshotAsBmp)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pixmate

BENCHMARK_MAIN();
