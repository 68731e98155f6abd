#include "pixmate/link/listen_socket.h"

#include <winsock2.h>

namespace pixmate::detail {

// Windows lets SO_REUSEADDR take over a port another program listens on; ask for the opposite so
// that a port in use fails to bind.
bool PrepareListeningSocket(std::uintptr_t nativeSocket) {
    const BOOL on = TRUE;
    return setsockopt(static_cast<SOCKET>(nativeSocket), SOL_SOCKET, SO_EXCLUSIVEADDRUSE,
                      reinterpret_cast<const char*>(&on), sizeof on) == 0;
}

}  // namespace pixmate::detail
