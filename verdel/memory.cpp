#include "verdel/memory.h"

#include <atomic>
#include <cstdlib>

namespace verdel {

namespace {

// Process-wide and plain (not thread_local, which costs a lookup per allocation on Windows):
// tests starve one thread at a time while the others wait.
std::atomic<long> allocationBudget{-1};

void TakeFromBudget() {
    long budget = allocationBudget.load(std::memory_order_relaxed);
    if (budget < 0) return;
    if (budget == 0) throw std::bad_alloc();
    allocationBudget.store(budget - 1, std::memory_order_relaxed);
}

}  // namespace

void* Allocate(std::size_t size) {
    if (size == 0) return nullptr;
    TakeFromBudget();
    void* block = std::malloc(size);
    if (block == nullptr) throw std::bad_alloc();
    return block;
}

void* Reallocate(void* block, std::size_t newSize) {
    if (newSize == 0) {
        std::free(block);
        return nullptr;
    }
    TakeFromBudget();
    // On failure realloc leaves the old block alone, and so does the caller's state.
    void* grown = std::realloc(block, newSize);
    if (grown == nullptr) throw std::bad_alloc();
    return grown;
}

void Release(void* block) noexcept {
    std::free(block);
}

void SetAllocationBudgetForTesting(long count) {
    allocationBudget.store(count);
}

}  // namespace verdel
