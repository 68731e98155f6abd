#include "pixmate/image/cpu_features.h"

#include <cpuid.h>

namespace pixmate {

std::atomic<bool> Avx2Usable{false};
std::atomic<bool> Sse2Present{false};

namespace {

constexpr std::uint32_t kLeaf1EcxOsxsave = 1u << 27;
constexpr std::uint32_t kLeaf1EcxAvx = 1u << 28;
constexpr std::uint32_t kLeaf1EdxSse2 = 1u << 26;
constexpr std::uint32_t kLeaf7EbxAvx2 = 1u << 5;
constexpr std::uint64_t kXcr0SseAndAvxState = (1u << 1) | (1u << 2);

CpuidResult HostCpuid(std::uint32_t leaf, std::uint32_t subleaf) {
    CpuidResult r;
    __cpuid_count(leaf, subleaf, r.eax, r.ebx, r.ecx, r.edx);
    return r;
}

// Inline assembly rather than _xgetbv: the intrinsic needs -mxsave on the whole file, and the
// instruction is the same in 32-bit and 64-bit code.
std::uint64_t HostXgetbv0() {
    std::uint32_t lo = 0;
    std::uint32_t hi = 0;
    __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
    return (static_cast<std::uint64_t>(hi) << 32) | lo;
}

}  // namespace

ProcessorQueries HostProcessorQueries() {
    return {&HostCpuid, &HostXgetbv0};
}

ProcessorFeatures DetectProcessorFeatures(const ProcessorQueries& queries) {
    ProcessorFeatures features;
    const CpuidResult leaf0 = queries.cpuid(0, 0);
    const std::uint32_t maxLeaf = leaf0.eax;
    if (maxLeaf < 1) return features;

    const CpuidResult leaf1 = queries.cpuid(1, 0);
    features.sse2Present = (leaf1.edx & kLeaf1EdxSse2) != 0;

    const std::uint32_t osxsaveAndAvx = kLeaf1EcxOsxsave | kLeaf1EcxAvx;
    if ((leaf1.ecx & osxsaveAndAvx) != osxsaveAndAvx) return features;
    // Leaf 7 answers with the highest leaf's data on processors that lack it, so it is only
    // asked where it exists.
    if (maxLeaf < 7) return features;
    if ((queries.cpuid(7, 0).ebx & kLeaf7EbxAvx2) == 0) return features;
    if ((queries.xgetbv0() & kXcr0SseAndAvxState) != kXcr0SseAndAvxState) return features;
    features.avx2Usable = true;
    return features;
}

void ProbeProcessorFeatures() {
    const ProcessorFeatures features = DetectProcessorFeatures(HostProcessorQueries());
    Avx2Usable.store(features.avx2Usable, std::memory_order_relaxed);
    Sse2Present.store(features.sse2Present, std::memory_order_relaxed);
}

}  // namespace pixmate
