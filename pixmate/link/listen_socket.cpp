#include "pixmate/link/listen_socket.h"

#include <sys/socket.h>

namespace pixmate::detail {

// Here SO_REUSEADDR only lets a restarted program bind past its own TIME_WAIT connections; a
// port another program listens on still fails.
bool PrepareListeningSocket(std::uintptr_t nativeSocket) {
    const int on = 1;
    return setsockopt(static_cast<int>(nativeSocket), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) ==
           0;
}

}  // namespace pixmate::detail
