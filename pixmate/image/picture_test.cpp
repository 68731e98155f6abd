#include "pixmate/image/picture.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <ostream>
#include <string>

namespace pixmate {

void PrintTo(const Picture& p, std::ostream* os) {
    *os << p.width << "x" << p.height << " {";
    for (std::size_t i = 0; i < p.pixels.size() && i < 16; ++i)
        *os << std::hex << " " << p.pixels[i];
    *os << std::dec << (p.pixels.size() > 16 ? " ...}" : " }");
}

namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t ReadU32(const Bytes& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) |
           (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

void PutU32(Bytes& out, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A PNG file made by hand (no colour-space chunks, as phones write them): rows of raw samples,
// each prefixed with filter type 0.
Bytes MakePng(std::uint32_t width, std::uint32_t height, int bitDepth, int colourType,
              const Bytes& samples, const Bytes& palette = {}, const Bytes& transparency = {}) {
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    auto chunk = [&](const char* type, const Bytes& data) {
        const std::uint32_t n = static_cast<std::uint32_t>(data.size());
        for (int i = 3; i >= 0; --i) png.push_back(static_cast<std::uint8_t>(n >> (8 * i)));
        Bytes body(type, type + 4);
        body.insert(body.end(), data.begin(), data.end());
        png.insert(png.end(), body.begin(), body.end());
        const std::uint32_t crc = static_cast<std::uint32_t>(crc32(0, body.data(), body.size()));
        for (int i = 3; i >= 0; --i) png.push_back(static_cast<std::uint8_t>(crc >> (8 * i)));
    };
    Bytes ihdr;
    for (std::uint32_t v : {width, height})
        for (int i = 3; i >= 0; --i) ihdr.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    ihdr.insert(ihdr.end(), {static_cast<std::uint8_t>(bitDepth),
                             static_cast<std::uint8_t>(colourType), 0, 0, 0});
    chunk("IHDR", ihdr);
    if (!palette.empty()) chunk("PLTE", palette);
    if (!transparency.empty()) chunk("tRNS", transparency);
    const std::size_t rowBytes = height ? samples.size() / height : 0;
    Bytes raw;
    for (std::uint32_t y = 0; y < height; ++y) {
        raw.push_back(0);
        raw.insert(raw.end(), samples.begin() + y * rowBytes, samples.begin() + (y + 1) * rowBytes);
    }
    uLongf packedSize = compressBound(raw.size());
    Bytes packed(packedSize);
    compress(packed.data(), &packedSize, raw.data(), raw.size());
    packed.resize(packedSize);
    chunk("IDAT", packed);
    chunk("IEND", {});
    return png;
}

Picture Make(std::int32_t w, std::int32_t h, std::initializer_list<std::uint32_t> colours) {
    Picture p = Picture::Filled(w, h, 0);
    std::copy(colours.begin(), colours.end(), p.pixels.begin());
    return p;
}

TEST(Picture, PixelsOutsideReadAsNoColourAndIgnoreWrites) {
    Picture p = Picture::Filled(3, 2, kWhite);
    p.Set(2, 1, 0x123456);
    p.Set(3, 0, 0x000001);
    p.Set(-1, 0, 0x000001);
    EXPECT_EQ(p.At(2, 1), 0x123456u);
    EXPECT_EQ(p.At(0, 0), kWhite);
    for (auto [x, y] : {std::pair{3, 0}, {0, 2}, {-1, 0}, {0, -1}})
        EXPECT_EQ(p.At(x, y), kNoColour);
    p.Set(0, 0, 0xFF00FF00);  // the fourth byte is not part of a colour
    EXPECT_EQ(p.At(0, 0), 0x0000FF00u);
}

TEST(Picture, FilledRejectsSizesItCannotHold) {
    EXPECT_TRUE(Picture::Filled(0, 5, 0).Empty());
    EXPECT_TRUE(Picture::Filled(-3, 5, 0).Empty());
    EXPECT_TRUE(Picture::Filled(kMaxPictureSide + 1, 1, 0).Empty());
    EXPECT_TRUE(Picture::Filled(20000, 20000, 0).Empty());
    EXPECT_EQ(Picture::Filled(4, 5, 7).pixels.size(), 20u);
}

TEST(Bmp, EncodesTheWindowsLayoutWithPaddedBottomUpRows) {
    // Red, green, blue on the top row; white, black, 0x00332211 below.
    const Picture p = Make(3, 2, {0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF, 0x000000, 0x332211});
    const Bytes bmp = EncodeBmp(p);
    ASSERT_EQ(bmp.size(), 54u + 2 * 12);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(ReadU32(bmp, 2), 78u);   // file size
    EXPECT_EQ(ReadU32(bmp, 10), 54u);  // pixel data offset
    EXPECT_EQ(ReadU32(bmp, 14), 40u);  // info header size
    EXPECT_EQ(ReadU32(bmp, 18), 3u);
    EXPECT_EQ(ReadU32(bmp, 22), 2u);  // positive: bottom-up
    EXPECT_EQ(bmp[28], 24);
    EXPECT_EQ(ReadU32(bmp, 34), 24u);  // image size
    // First stored row is the bottom one: white, black, then 11 22 33 as blue, green, red.
    const Bytes bottom(bmp.begin() + 54, bmp.begin() + 66);
    EXPECT_EQ(bottom, (Bytes{255, 255, 255, 0, 0, 0, 0x33, 0x22, 0x11, 0, 0, 0}));
    const Bytes top(bmp.begin() + 66, bmp.begin() + 78);
    EXPECT_EQ(top, (Bytes{0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0}));
}

TEST(Bmp, RoundTripsAt24And32Bits) {
    Picture p = Picture::Filled(5, 3, 0);
    for (std::size_t i = 0; i < p.pixels.size(); ++i)
        p.pixels[i] = static_cast<std::uint32_t>(i * 0x0A0B0C);
    for (std::uint32_t& c : p.pixels) c &= 0xFFFFFF;
    EXPECT_EQ(DecodePicture(EncodeBmp(p, 24)), p);
    EXPECT_EQ(DecodePicture(EncodeBmp(p, 32)), p);
    const Bytes empty = EncodeBmp(Picture{});
    EXPECT_EQ(empty.size(), 54u);
    EXPECT_TRUE(DecodePicture(empty).Empty());
}

TEST(Bmp, HonoursThePixelOffsetTopDownRowsAndPalettes) {
    const Picture p = Make(2, 2, {0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF});

    // The template picture layout: four zero bytes after the info header, pixels at 58.
    Bytes shifted = EncodeBmp(p);
    shifted.insert(shifted.begin() + 54, 4, 0);
    PutU32(shifted, 10, 58);
    PutU32(shifted, 2, static_cast<std::uint32_t>(shifted.size()));
    EXPECT_EQ(DecodeBmp(shifted), p);

    // Top-down: negative height, first stored row is the top one.
    Bytes topDown = EncodeBmp(p);
    PutU32(topDown, 22, static_cast<std::uint32_t>(-2));
    std::swap_ranges(topDown.begin() + 54, topDown.begin() + 62, topDown.begin() + 62);
    EXPECT_EQ(DecodeBmp(topDown), p);

    // 8 bits with a palette of two colours, 1 bit per pixel with the same palette.
    auto paletted = [&](int bits, Bytes rows) {
        Bytes b = EncodeBmp(Picture{});
        b[28] = static_cast<std::uint8_t>(bits);
        PutU32(b, 18, 2);
        PutU32(b, 22, 2);
        PutU32(b, 46, 2);  // colours used
        b.insert(b.end(), {0x11, 0x22, 0x33, 0, 0xCC, 0xBB, 0xAA, 0});
        PutU32(b, 10, static_cast<std::uint32_t>(b.size()));
        b.insert(b.end(), rows.begin(), rows.end());
        return DecodeBmp(b);
    };
    // Palette entries are blue, green, red, unused.
    const Picture expected = Make(2, 2, {0xCCBBAA, 0x112233, 0x112233, 0xCCBBAA});
    EXPECT_EQ(paletted(8, {0, 1, 0, 0, 1, 0, 0, 0}), expected);
    EXPECT_EQ(paletted(1, {0b0100'0000, 0, 0, 0, 0b1000'0000, 0, 0, 0}), expected);
}

TEST(Bmp, SixteenBitFieldsScaleToEightBits) {
    Bytes b = EncodeBmp(Picture{});
    b[28] = 16;
    PutU32(b, 18, 1);
    PutU32(b, 22, 1);
    PutU32(b, 30, 3);  // bit fields: 5-6-5
    b.insert(b.end(), {0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0});
    PutU32(b, 10, static_cast<std::uint32_t>(b.size()));
    b.insert(b.end(), {0x1F, 0xF8, 0, 0});  // full red and full blue
    EXPECT_EQ(DecodeBmp(b), Make(1, 1, {0xFF00FF}));
}

TEST(Bmp, BadHeadersGiveAnEmptyPicture) {
    const Bytes good = EncodeBmp(Picture::Filled(4, 4, 0x123456));
    struct Case {
        const char* what;
        std::size_t at;
        std::uint32_t value;
    };
    for (const Case& c : {Case{"offset beyond the file", 10, 1000}, Case{"header size 0", 14, 0},
                          Case{"width 0", 18, 0}, Case{"huge width", 18, 0x7FFFFFFF},
                          Case{"huge height", 22, 0x40000000}, Case{"bits 7", 28, 7},
                          Case{"run-length compressed", 30, 1}}) {
        Bytes bad = good;
        if (c.at == 28) {
            bad[28] = static_cast<std::uint8_t>(c.value);
        } else {
            PutU32(bad, c.at, c.value);
        }
        EXPECT_TRUE(DecodeBmp(bad).Empty()) << c.what;
    }
    // Every prefix short of the whole file lacks pixel rows.
    for (std::size_t n = 0; n < good.size(); ++n) {
        EXPECT_TRUE(DecodePicture(std::span(good.data(), n)).Empty()) << n << " bytes";
    }
}

TEST(Png, EightBitRgbReadsExactly) {
    const Bytes png = MakePng(3, 1, 8, 2, {255, 0, 0, 0x11, 0x22, 0x33, 0, 128, 255});
    EXPECT_EQ(DecodePicture(png), Make(3, 1, {0x0000FF, 0x332211, 0xFF8000}));
}

TEST(Png, OtherColourTypesAndDepths) {
    struct Case {
        const char* what;
        Bytes png;
        Picture expected;
    };
    const Case cases[] = {
        {"grey 8", MakePng(2, 1, 8, 0, {0, 200}), Make(2, 1, {0, 0xC8C8C8})},
        {"palette 8", MakePng(2, 1, 8, 3, {1, 0}, {1, 2, 3, 4, 5, 6}),
         Make(2, 1, {0x060504, 0x030201})},
        {"16 bits", MakePng(1, 1, 16, 2, {0xFF, 0xFF, 0x80, 0x80, 0, 0}), Make(1, 1, {0x0080FF})},
        // Transparency is shown over white, as the canvas draws it.
        {"rgba", MakePng(2, 1, 8, 6, {10, 20, 30, 255, 10, 20, 30, 0}),
         Make(2, 1, {0x1E140A, kWhite})},
    };
    for (const Case& c : cases) EXPECT_EQ(DecodePicture(c.png), c.expected) << c.what;
}

TEST(Png, DamagedFilesGiveAnEmptyPicture) {
    Bytes rows(40 * 30 * 3);
    for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<std::uint8_t>(i * 7);
    const Bytes good = MakePng(40, 30, 8, 2, rows);
    ASSERT_FALSE(DecodePicture(good).Empty());
    for (std::size_t n = 0; n + 12 < good.size(); ++n) {  // short of the IEND chunk
        EXPECT_TRUE(DecodePicture(std::span(good.data(), n)).Empty()) << n << " bytes";
    }
    Bytes badCrc = good;
    badCrc[45] ^= 0x55;  // inside the IDAT data
    EXPECT_TRUE(DecodePicture(badCrc).Empty());
    // A header claiming 30000 x 30000 pixels is refused before anything is allocated.
    EXPECT_TRUE(DecodePicture(MakePng(30000, 30000, 8, 2, {})).Empty());
    EXPECT_TRUE(DecodePicture(Bytes{'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c'}).Empty());
    EXPECT_TRUE(DecodePicture(Bytes{}).Empty());
}

}  // namespace
}  // namespace pixmate
