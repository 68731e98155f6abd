// Any bytes given as a canvas picture: decoding must end in a picture or an empty one, never a
// crash, a hang or an oversized allocation.
#include <cstddef>
#include <cstdint>

#include "pixmate/image/picture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const pixmate::Picture p = pixmate::DecodePicture({data, size});
    if (!p.Empty() && p.pixels.size() != static_cast<std::size_t>(p.width) * p.height)
        __builtin_trap();
    return 0;
}
