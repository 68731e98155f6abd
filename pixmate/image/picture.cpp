#include "pixmate/image/picture.h"

#include <algorithm>
#include <bit>
#include <iterator>
#include <new>

namespace pixmate {

namespace {

std::uint32_t ReadU16(std::span<const std::uint8_t> b, std::size_t at) {
    return b[at] | (b[at + 1] << 8);
}

std::uint32_t ReadU32(std::span<const std::uint8_t> b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) |
           (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

void PutU16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    PutU16(out, v & 0xFFFF);
    PutU16(out, v >> 16);
}

std::uint32_t Rgb(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
    return red | (green << 8) | (blue << 16);
}

// One colour channel described by a bit-field mask, scaled to 8 bits.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t top = 0;  // largest value of the field

    explicit Channel(std::uint32_t m) : mask(m) {
        if (m == 0) return;
        shift = std::countr_zero(m);
        top = m >> shift;
    }
    std::uint32_t Value(std::uint32_t pixel) const {
        if (mask == 0) return 0;
        // Masks with holes are treated as their full span; the scaling stays within 0..255.
        std::uint64_t v = (pixel & mask) >> shift;
        return static_cast<std::uint32_t>(v * 255 / top);
    }
};

}  // namespace

Picture Picture::Filled(std::int32_t width, std::int32_t height, std::uint32_t colour) {
    Picture p;
    if (!PictureSizeAcceptable(width, height)) return p;
    p.width = width;
    p.height = height;
    p.pixels.assign(static_cast<std::size_t>(width) * height, colour & 0xFFFFFF);
    return p;
}

Picture DecodePicture(std::span<const std::uint8_t> bytes) {
    static constexpr std::uint8_t kPngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (bytes.size() >= sizeof kPngSignature &&
        std::equal(std::begin(kPngSignature), std::end(kPngSignature), bytes.begin())) {
        return DecodePng(bytes);
    }
    if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') return DecodeBmp(bytes);
    return {};
}

static Picture DecodeBmpUnguarded(std::span<const std::uint8_t> b) {
    constexpr std::size_t kFileHeader = 14;
    if (b.size() < kFileHeader + 12 || b[0] != 'B' || b[1] != 'M') return {};
    const std::uint64_t dataOffset = ReadU32(b, 10);
    const std::uint32_t headerSize = ReadU32(b, 14);
    const bool core = headerSize == 12;
    if (!core && (headerSize < 40 || headerSize > 1024)) return {};
    if (b.size() < kFileHeader + headerSize) return {};

    std::int64_t width, height;
    std::uint32_t bits, compression = 0, coloursUsed = 0;
    if (core) {
        width = ReadU16(b, 18);
        height = static_cast<std::int16_t>(ReadU16(b, 20));
        bits = ReadU16(b, 24);
    } else {
        width = static_cast<std::int32_t>(ReadU32(b, 18));
        height = static_cast<std::int32_t>(ReadU32(b, 22));
        bits = ReadU16(b, 28);
        compression = ReadU32(b, 30);
        coloursUsed = ReadU32(b, 46);
    }
    const bool topDown = height < 0;
    if (topDown) height = -height;
    if (!PictureSizeAcceptable(width, height)) return {};

    constexpr std::uint32_t kRgb = 0, kBitFields = 3, kAlphaBitFields = 6;
    std::uint32_t masks[3] = {0, 0, 0};
    std::size_t paletteAt = kFileHeader + headerSize;
    if (compression == kBitFields || compression == kAlphaBitFields) {
        if (bits != 16 && bits != 32) return {};
        if (headerSize >= 52) {
            for (int i = 0; i < 3; ++i) masks[i] = ReadU32(b, 54 + 4 * i);
        } else {
            const std::size_t count = compression == kAlphaBitFields ? 4 : 3;
            if (b.size() < paletteAt + 4 * count) return {};
            for (int i = 0; i < 3; ++i) masks[i] = ReadU32(b, paletteAt + 4 * i);
            paletteAt += 4 * count;
        }
    } else if (compression != kRgb) {
        return {};
    } else if (bits == 16) {
        masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
    } else if (bits == 32) {
        masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
    }
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return {};

    std::vector<std::uint32_t> palette;
    if (bits <= 8) {
        const std::size_t entry = core ? 3 : 4;
        std::size_t count = coloursUsed != 0 ? coloursUsed : (1u << bits);
        if (count > (1u << bits)) count = 1u << bits;
        if (b.size() < paletteAt + entry * count) return {};
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t at = paletteAt + entry * i;
            palette.push_back(Rgb(b[at + 2], b[at + 1], b[at]));
        }
        // Indices beyond a short palette show black, as Windows draws them.
        palette.resize(std::size_t{1} << bits, 0);
    }

    const std::uint64_t stride = ((static_cast<std::uint64_t>(width) * bits + 31) / 32) * 4;
    if (dataOffset > b.size() ||
        (b.size() - dataOffset) / stride < static_cast<std::uint64_t>(height)) {
        return {};
    }

    Picture p =
        Picture::Filled(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height), 0);
    const Channel red(masks[0]), green(masks[1]), blue(masks[2]);
    for (std::int64_t row = 0; row < height; ++row) {
        const std::uint8_t* src = b.data() + dataOffset + row * stride;
        const std::int64_t y = topDown ? row : height - 1 - row;
        std::uint32_t* dst = p.pixels.data() + y * width;
        for (std::int64_t x = 0; x < width; ++x) {
            std::uint32_t colour;
            switch (bits) {
                case 1:
                    colour = palette[(src[x / 8] >> (7 - x % 8)) & 1];
                    break;
                case 4:
                    colour = palette[(src[x / 2] >> (x % 2 ? 0 : 4)) & 15];
                    break;
                case 8:
                    colour = palette[src[x]];
                    break;
                case 16: {
                    const std::uint32_t v = src[2 * x] | (src[2 * x + 1] << 8);
                    colour = Rgb(red.Value(v), green.Value(v), blue.Value(v));
                    break;
                }
                case 24:
                    colour = Rgb(src[3 * x + 2], src[3 * x + 1], src[3 * x]);
                    break;
                default: {
                    const std::uint8_t* q = src + 4 * x;
                    const std::uint32_t v = q[0] | (q[1] << 8) | (q[2] << 16) |
                                            (static_cast<std::uint32_t>(q[3]) << 24);
                    colour = Rgb(red.Value(v), green.Value(v), blue.Value(v));
                    break;
                }
            }
            dst[x] = colour;
        }
    }
    return p;
}

Picture DecodeBmp(std::span<const std::uint8_t> bytes) {
    try {
        return DecodeBmpUnguarded(bytes);
    } catch (const std::bad_alloc&) {
        return {};
    }
}

std::vector<std::uint8_t> EncodeBmp(const Picture& picture, int bitsPerPixel) {
    const int bytesPerPixel = bitsPerPixel == 32 ? 4 : 3;
    const std::int32_t width = picture.Empty() ? 0 : picture.width;
    const std::int32_t height = picture.Empty() ? 0 : picture.height;
    const std::uint32_t stride = (static_cast<std::uint32_t>(width) * bytesPerPixel + 3) / 4 * 4;
    const std::uint32_t imageSize = stride * static_cast<std::uint32_t>(height);

    std::vector<std::uint8_t> out;
    out.reserve(54 + imageSize);
    out.push_back('B');
    out.push_back('M');
    PutU32(out, 54 + imageSize);
    PutU32(out, 0);
    PutU32(out, 54);
    PutU32(out, 40);
    PutU32(out, static_cast<std::uint32_t>(width));
    PutU32(out, static_cast<std::uint32_t>(height));
    PutU16(out, 1);
    PutU16(out, bytesPerPixel * 8);
    PutU32(out, 0);  // uncompressed
    PutU32(out, imageSize);
    for (int i = 0; i < 4; ++i) PutU32(out, 0);  // resolutions, colours used, important colours

    out.resize(54 + imageSize, 0);
    std::uint8_t* dst = out.data() + 54;
    for (std::int32_t row = height - 1; row >= 0; --row, dst += stride) {
        const std::uint32_t* src = picture.pixels.data() + static_cast<std::size_t>(row) * width;
        std::uint8_t* q = dst;
        for (std::int32_t x = 0; x < width; ++x, q += bytesPerPixel) {
            const std::uint32_t c = src[x];
            q[0] = static_cast<std::uint8_t>(c >> 16);  // blue
            q[1] = static_cast<std::uint8_t>(c >> 8);   // green
            q[2] = static_cast<std::uint8_t>(c);        // red
        }
    }
    return out;
}

}  // namespace pixmate
