// Compiled with AVX2 enabled; called only when Avx2Usable.
#include <immintrin.h>

#include "pixmate/image/simd_kernels.h"

namespace pixmate::detail {

// Reads whole aligned 32-byte blocks, from the one holding the text's first byte to the one
// holding its terminator: bytes outside the text but inside those blocks (and so inside the same
// page) are read and ignored. The sanitizers would report them, hence the exemption.
PIXMATE_ALIGNED_OVERREAD std::size_t TextLengthAvx2(const char* text) {
    const std::uintptr_t address = reinterpret_cast<std::uintptr_t>(text);
    const std::uintptr_t skip = address & 31u;
    const __m256i* block = reinterpret_cast<const __m256i*>(address - skip);
    const __m256i zero = _mm256_setzero_si256();
    // Flags of the bytes before the text are shifted out.
    unsigned zeros =
        static_cast<unsigned>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(*block, zero))) >> skip;
    if (zeros != 0) return static_cast<std::size_t>(__builtin_ctz(zeros));
    for (;;) {
        ++block;
        zeros = static_cast<unsigned>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(*block, zero)));
        if (zeros != 0) {
            return static_cast<std::size_t>(reinterpret_cast<const char*>(block) - text) +
                   static_cast<std::size_t>(__builtin_ctz(zeros));
        }
    }
}

}  // namespace pixmate::detail
