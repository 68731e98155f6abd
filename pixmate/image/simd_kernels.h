#pragma once

// Instruction-set specific kernels. Each lives in a file compiled with its own flags, and is
// called only after the processor flags allow it. Those files include nothing but intrinsics and
// fixed-width types: a library template instantiated there would be compiled with the wider
// instructions and could be the copy the linker keeps for the whole program.

#include <cstddef>
#include <cstdint>

// For the length scans that read whole aligned blocks: the bytes around the text inside the
// block holding its first byte and the block holding its terminator lie in the same page but may
// lie outside the allocation (even in freed memory). The sanitizers would report them.
#define PIXMATE_ALIGNED_OVERREAD __attribute__((no_sanitize("address", "thread")))

namespace pixmate::detail {

std::size_t TextLengthSse2(const char* text);
std::size_t TextLengthAvx2(const char* text);

// Decodes 32-character blocks while at least 45 characters remain (so the scalar tail always has
// at least 13, which keeps each 32-byte store, 8 bytes wider than the 24 it produces, inside an
// output of size / 4 * 3 + 2 bytes). Stops before the first block holding any character outside
// the alphabet ('=' and NUL included). Returns the characters consumed; the bytes produced are
// three quarters of that.
std::size_t Base64DecodeBlocksAvx2(const char* text, std::size_t size, std::uint8_t* out);

// Encodes 24-byte blocks into 32 characters while the block's loads stay inside the data (at
// least 28 bytes are needed). Returns the bytes consumed; the characters produced are four
// thirds of that.
std::size_t Base64EncodeBlocksAvx2(const std::uint8_t* data, std::size_t size, char* out);

}  // namespace pixmate::detail
