// Compiled with SSE2 enabled; called only when the processor has it.
#include <emmintrin.h>

#include "pixmate/image/simd_kernels.h"

namespace pixmate::detail {

// Reads whole aligned 16-byte blocks, from the one holding the text's first byte to the one
// holding its terminator: bytes outside the text but inside those blocks (and so inside the same
// page) are read and ignored. The sanitizers would report them, hence the exemption.
PIXMATE_ALIGNED_OVERREAD std::size_t TextLengthSse2(const char* text) {
    const std::uintptr_t address = reinterpret_cast<std::uintptr_t>(text);
    const std::uintptr_t skip = address & 15u;
    const __m128i* block = reinterpret_cast<const __m128i*>(address - skip);
    const __m128i zero = _mm_setzero_si128();
    // Flags of the bytes before the text are shifted out.
    unsigned zeros = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(*block, zero))) >> skip;
    if (zeros != 0) return static_cast<std::size_t>(__builtin_ctz(zeros));
    for (;;) {
        ++block;
        zeros = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(*block, zero)));
        if (zeros != 0) {
            return static_cast<std::size_t>(reinterpret_cast<const char*>(block) - text) +
                   static_cast<std::size_t>(__builtin_ctz(zeros));
        }
    }
}

}  // namespace pixmate::detail
