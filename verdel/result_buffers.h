// Text the exports return: one growable buffer per export and per thread, empty until the
// thread's first call of that export and freed when the thread ends. A call overwrites what the
// previous call of the same export on the same thread returned. Failures return kEmptyText.
#pragma once

#include "verdel/memory.h"

namespace verdel {

// The one constant empty string that failures return; it never changes.
inline constexpr char kEmptyText[] = "";

struct ThreadBuffers {
    ResultText value;      // JsonGetValue
    ResultText propNames;  // JsonGetPropNames
    ResultText relation;   // JsonNodeGetRelation
};

// The calling thread's buffers, made on its first call. Throws std::bad_alloc when they cannot
// be made. result_buffers.cpp keeps them in a C++ thread_local; result_buffers_win.cpp in fiber
// local storage, whose clean-up runs reliably for threads that the host creates.
ThreadBuffers& CurrentThreadBuffers();

inline ResultText& ValueBuffer() {
    return CurrentThreadBuffers().value;
}
inline ResultText& PropNamesBuffer() {
    return CurrentThreadBuffers().propNames;
}
inline ResultText& RelationBuffer() {
    return CurrentThreadBuffers().relation;
}

}  // namespace verdel
