// Heap allocation that reports exhaustion as std::bad_alloc. RapidJSON's own allocator returns
// null from a failed malloc and then writes through it; with this one the failure unwinds to the
// export, which turns it into its failure value.
#pragma once

#include <cstddef>
#include <new>
#include <string>

namespace verdel {

// malloc that throws std::bad_alloc instead of returning null; Allocate(0) gives null.
void* Allocate(std::size_t size);
// realloc with the same rule; a new size of 0 frees and gives null.
void* Reallocate(void* block, std::size_t newSize);
void Release(void* block) noexcept;

// Makes allocations through Allocate and Reallocate fail after `count` more have succeeded; a
// negative count lifts the limit. Lets tests reach every out-of-memory path; it applies to the
// whole process, so a test starves one thread while no other allocates through these.
void SetAllocationBudgetForTesting(long count);

// The base allocator of RapidJSON's memory pool, parse stacks and writers.
class HeapAllocator {
  public:
    static const bool kNeedFree = true;
    void* Malloc(std::size_t size) { return Allocate(size); }
    void* Realloc(void* block, std::size_t, std::size_t newSize) {
        return Reallocate(block, newSize);
    }
    static void Free(void* block) { Release(block); }
};

// The same for standard containers.
template <typename T>
class StdAllocator {
  public:
    using value_type = T;
    StdAllocator() = default;
    template <typename U>
    StdAllocator(const StdAllocator<U>&) noexcept {}
    T* allocate(std::size_t n) {
        if (n > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_alloc();
        return static_cast<T*>(Allocate(n == 0 ? 1 : n * sizeof(T)));
    }
    void deallocate(T* p, std::size_t) noexcept { Release(p); }
    template <typename U>
    bool operator==(const StdAllocator<U>&) const noexcept {
        return true;
    }
};

// Text that the exports hand out.
using ResultText = std::basic_string<char, std::char_traits<char>, StdAllocator<char>>;

}  // namespace verdel
