#include "verdel/result_buffers.h"

namespace verdel {

ThreadBuffers& CurrentThreadBuffers() {
    thread_local ThreadBuffers buffers;
    return buffers;
}

}  // namespace verdel
