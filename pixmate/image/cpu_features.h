#pragma once

#include <atomic>
#include <cstdint>

namespace pixmate {

// Set by ProbeProcessorFeatures, false until it first runs. Atomic because the probe may run on
// one thread while another thread's codec reads them; the values never change once probed.
//
// Avx2Usable: the processor has AVX2 and the operating system saves the 256-bit register state.
extern std::atomic<bool> Avx2Usable;
// Sse2Present: the processor has SSE2.
extern std::atomic<bool> Sse2Present;

// Reads the processor's features (CPUID, XGETBV) into Avx2Usable and Sse2Present. Cheap enough to
// run before every decode or encode.
void ProbeProcessorFeatures();

// What the probe asks of the processor, behind function pointers so the decision can be tested
// with invented processors.
struct CpuidResult {
    std::uint32_t eax = 0;
    std::uint32_t ebx = 0;
    std::uint32_t ecx = 0;
    std::uint32_t edx = 0;
};

struct ProcessorQueries {
    CpuidResult (*cpuid)(std::uint32_t leaf, std::uint32_t subleaf);
    std::uint64_t (*xgetbv0)();  // extended control register 0; only legal once OSXSAVE is seen
};

struct ProcessorFeatures {
    bool avx2Usable = false;
    bool sse2Present = false;
};

// The decision behind ProbeProcessorFeatures. AVX2 counts as usable only when, in this order,
// CPUID leaf 1 shows OSXSAVE and AVX, leaf 7 shows AVX2, and XGETBV shows the SSE and AVX state
// enabled; it stops at the first test that fails (XGETBV faults where OSXSAVE is absent).
ProcessorFeatures DetectProcessorFeatures(const ProcessorQueries& queries);

// The real processor's queries.
ProcessorQueries HostProcessorQueries();

}  // namespace pixmate
