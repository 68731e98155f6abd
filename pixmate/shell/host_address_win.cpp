#include "pixmate/shell/host_address.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>

#include "pixmate/shell/winsock_win.h"

namespace pixmate {

std::vector<std::string> HostIPv4Addresses(std::size_t limit) {
    std::vector<std::string> addresses;
    win::WinsockScope winsock;
    if (!winsock.Ok()) return addresses;
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) return addresses;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (getaddrinfo(name, nullptr, &hints, &list) != 0) return addresses;
    for (addrinfo* a = list; a && addresses.size() < limit; a = a->ai_next) {
        char text[INET_ADDRSTRLEN] = {};
        auto* in = reinterpret_cast<sockaddr_in*>(a->ai_addr);
        if (!inet_ntop(AF_INET, &in->sin_addr, text, sizeof text)) continue;
        if (std::find(addresses.begin(), addresses.end(), text) == addresses.end())
            addresses.emplace_back(text);
    }
    freeaddrinfo(list);
    return addresses;
}

}  // namespace pixmate
