// Per-thread buffers in fiber local storage. A C++ thread_local with a destructor is not safe in
// this runtime: its storage (emulated TLS) can be released before the destructor runs at thread
// exit, which crashed threads under load. An FLS callback runs as each thread ends, also for
// threads the host creates and with thread notifications of the library turned off.
#include <windows.h>

#include <memory>

#include "verdel/result_buffers.h"

namespace verdel {
namespace {

void WINAPI FreeBuffers(void* buffers) {
    delete static_cast<ThreadBuffers*>(buffers);
}

class BufferSlot {
  public:
    BufferSlot() : index_(FlsAlloc(&FreeBuffers)) {}
    // Runs when the library is unloaded: frees the buffers of every thread that still has them,
    // so no callback into unloaded code is left behind.
    ~BufferSlot() {
        if (index_ != FLS_OUT_OF_INDEXES) FlsFree(index_);
    }
    BufferSlot(const BufferSlot&) = delete;
    BufferSlot& operator=(const BufferSlot&) = delete;

    DWORD index() const { return index_; }

  private:
    DWORD index_;
};

}  // namespace

ThreadBuffers& CurrentThreadBuffers() {
    static BufferSlot slot;
    if (slot.index() == FLS_OUT_OF_INDEXES) throw std::bad_alloc();
    if (auto* buffers = static_cast<ThreadBuffers*>(FlsGetValue(slot.index()))) return *buffers;
    auto buffers = std::make_unique<ThreadBuffers>();
    if (!FlsSetValue(slot.index(), buffers.get())) throw std::bad_alloc();
    return *buffers.release();
}

}  // namespace verdel
