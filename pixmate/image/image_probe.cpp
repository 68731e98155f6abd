#include "pixmate/image/image_probe.h"

#include <cstddef>

namespace pixmate {

namespace {

std::uint32_t BigEndian16(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 8) | p[1];
}

std::uint32_t BigEndian32(const std::uint8_t* p) {
    return (BigEndian16(p) << 16) | BigEndian16(p + 2);
}

std::uint32_t LittleEndian16(const std::uint8_t* p) {
    return (std::uint32_t{p[1]} << 8) | p[0];
}

bool StartsWith(std::span<const std::uint8_t> data, std::uint8_t b0, std::uint8_t b1,
                std::uint8_t b2, std::uint8_t b3) {
    return data.size() >= 4 && data[0] == b0 && data[1] == b1 && data[2] == b2 && data[3] == b3;
}

void ProbePng(std::span<const std::uint8_t> data, std::int32_t& width, std::int32_t& height) {
    // IHDR's width and height, big-endian, at bytes 16 and 20. Both are read whole: sizes of
    // 65536 and more are real PNG sizes. Values with the top bit set are invalid in PNG.
    if (data.size() < 24) return;
    const std::uint32_t w = BigEndian32(&data[16]);
    const std::uint32_t h = BigEndian32(&data[20]);
    if (w > 0x7FFFFFFFu || h > 0x7FFFFFFFu) return;
    width = static_cast<std::int32_t>(w);
    height = static_cast<std::int32_t>(h);
}

void ProbeGif(std::span<const std::uint8_t> data, std::int32_t& width, std::int32_t& height) {
    // The logical screen size, little-endian, after the 6-byte signature.
    if (data.size() < 10) return;
    width = static_cast<std::int32_t>(LittleEndian16(&data[6]));
    height = static_cast<std::int32_t>(LittleEndian16(&data[8]));
}

// Walks the JPEG's marker segments to the first baseline, extended, progressive or lossless
// frame header (SOF0..SOF3).
void ProbeJpeg(std::span<const std::uint8_t> data, std::int32_t& width, std::int32_t& height) {
    const std::size_t size = data.size();
    std::size_t p = 1;
    while (p + 1 < size) {
        // Marker search: p ends on the code of the next 0xFF-prefixed marker.
        const bool marker = data[p] == 0xFF && data[p + 1] != 0xFF;
        ++p;
        if (!marker) continue;
        // Code, segment length and, for a frame header, precision, height and width.
        if (size - p < 8) return;
        const std::uint8_t code = data[p];
        if (code >= 0xC0 && code <= 0xC3) {
            height = static_cast<std::int32_t>(BigEndian16(&data[p + 4]));
            width = static_cast<std::int32_t>(BigEndian16(&data[p + 6]));
            return;
        }
        // The length counts its own two bytes, so this lands on the next marker's 0xFF.
        p += BigEndian16(&data[p + 1]) + 1;
    }
}

}  // namespace

void ProbeImageSize(std::span<const std::uint8_t> data, std::int32_t& width, std::int32_t& height) {
    if (StartsWith(data, 0x89, 0x50, 0x4E, 0x47)) {
        ProbePng(data, width, height);
    } else if (StartsWith(data, 0x47, 0x49, 0x46, 0x38)) {
        ProbeGif(data, width, height);
    } else if (StartsWith(data, 0xFF, 0xD8, 0xFF, 0xE0)) {
        ProbeJpeg(data, width, height);
    }
}

}  // namespace pixmate
