#pragma once

#include <cstdint>
#include <span>

namespace pixmate {

// Reads the picture size from the header of PNG, GIF or JFIF-JPEG data without decoding it, and
// updates width and height. They stay as they were for data of another format, for a header cut
// short before the bytes that hold the size, and for a JPEG without a frame header. Never reads
// outside the data, whatever its header claims.
void ProbeImageSize(std::span<const std::uint8_t> data, std::int32_t& width, std::int32_t& height);

}  // namespace pixmate
