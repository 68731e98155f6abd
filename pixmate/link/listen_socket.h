#pragma once
// The option a listening socket takes before it binds, which differs by platform: a port another
// program listens on must fail to bind, and (where the system asks for an option to allow it) a
// restarted program may bind although its old connections linger in TIME_WAIT.

#include <cstdint>

namespace pixmate::detail {

// nativeSocket: the open, not yet bound socket (a SOCKET on Windows, a descriptor elsewhere).
// False when the option could not be set; the socket stays usable.
bool PrepareListeningSocket(std::uintptr_t nativeSocket);

}  // namespace pixmate::detail
