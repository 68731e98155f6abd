#pragma once
// The local host's IPv4 addresses, for the address label the user types into the phone: the
// host's own name resolved to its address list, in that list's order, dotted decimal.

#include <cstddef>
#include <string>
#include <vector>

namespace pixmate {

inline constexpr std::size_t kMaxHostAddresses = 10;

// Empty when the name does not resolve.
std::vector<std::string> HostIPv4Addresses(std::size_t limit = kMaxHostAddresses);

}  // namespace pixmate
