#include "pixmate/image/cpu_features.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace pixmate {
namespace {

// An invented processor. Queries are plain function pointers, so the one under test is global.
struct FakeProcessor {
    std::uint32_t maxLeaf;
    std::uint32_t leaf1Ecx;
    std::uint32_t leaf1Edx;
    std::uint32_t leaf7Ebx;
    std::uint64_t xcr0;
};

FakeProcessor gFake;
std::string gQueries;

CpuidResult FakeCpuid(std::uint32_t leaf, std::uint32_t subleaf) {
    gQueries += "cpuid" + std::to_string(leaf) + "." + std::to_string(subleaf) + " ";
    CpuidResult r;
    if (leaf == 0) r.eax = gFake.maxLeaf;
    if (leaf == 1) {
        r.ecx = gFake.leaf1Ecx;
        r.edx = gFake.leaf1Edx;
    }
    if (leaf == 7) r.ebx = gFake.leaf7Ebx;
    return r;
}

std::uint64_t FakeXgetbv0() {
    gQueries += "xgetbv ";
    return gFake.xcr0;
}

constexpr std::uint32_t kOsxsave = 1u << 27;
constexpr std::uint32_t kAvx = 1u << 28;
constexpr std::uint32_t kSse2 = 1u << 26;
constexpr std::uint32_t kAvx2 = 1u << 5;

struct DetectCase {
    const char* name;
    FakeProcessor processor;
    bool avx2Usable;
    bool sse2Present;
    // The queries in the order they must be asked; later tests are skipped once one fails
    // (XGETBV would fault without OSXSAVE).
    const char* queries;
};

const DetectCase kDetectCases[] = {
    {"everything",
     {7, kOsxsave | kAvx, kSse2, kAvx2, 0x7},
     true,
     true,
     "cpuid0.0 cpuid1.0 cpuid7.0 xgetbv "},
    {"no OSXSAVE", {7, kAvx, kSse2, kAvx2, 0x7}, false, true, "cpuid0.0 cpuid1.0 "},
    {"no AVX", {7, kOsxsave, kSse2, kAvx2, 0x7}, false, true, "cpuid0.0 cpuid1.0 "},
    {"no AVX2", {7, kOsxsave | kAvx, kSse2, 0, 0x7}, false, true, "cpuid0.0 cpuid1.0 cpuid7.0 "},
    {"OS saves no AVX state",
     {7, kOsxsave | kAvx, kSse2, kAvx2, 0x3},
     false,
     true,
     "cpuid0.0 cpuid1.0 cpuid7.0 xgetbv "},
    {"OS saves no SSE state",
     {7, kOsxsave | kAvx, kSse2, kAvx2, 0x5},
     false,
     true,
     "cpuid0.0 cpuid1.0 cpuid7.0 xgetbv "},
    {"no leaf 7", {6, kOsxsave | kAvx, kSse2, kAvx2, 0x7}, false, true, "cpuid0.0 cpuid1.0 "},
    {"no SSE2", {7, 0, 0, 0, 0}, false, false, "cpuid0.0 cpuid1.0 "},
    {"no leaf 1", {0, kOsxsave | kAvx, kSse2, kAvx2, 0x7}, false, false, "cpuid0.0 "},
};

TEST(DetectProcessorFeatures, AsksInOrderAndStopsAtFirstFailure) {
    for (const DetectCase& c : kDetectCases) {
        SCOPED_TRACE(c.name);
        gFake = c.processor;
        gQueries.clear();
        const ProcessorFeatures f = DetectProcessorFeatures({&FakeCpuid, &FakeXgetbv0});
        EXPECT_EQ(f.avx2Usable, c.avx2Usable);
        EXPECT_EQ(f.sse2Present, c.sse2Present);
        EXPECT_EQ(gQueries, c.queries);
    }
}

TEST(ProbeProcessorFeatures, SetsTheFlagsFromThisProcessor) {
    Avx2Usable = false;
    Sse2Present = false;
    ProbeProcessorFeatures();
    const ProcessorFeatures expected = DetectProcessorFeatures(HostProcessorQueries());
    EXPECT_EQ(Avx2Usable.load(), expected.avx2Usable);
    EXPECT_EQ(Sse2Present.load(), expected.sse2Present);
#if defined(__x86_64__)
    EXPECT_TRUE(Sse2Present.load());  // part of the 64-bit architecture
#endif
    std::printf("this processor: Avx2Usable=%d Sse2Present=%d\n", Avx2Usable.load() ? 1 : 0,
                Sse2Present.load() ? 1 : 0);
}

}  // namespace
}  // namespace pixmate
