#pragma once
// Winsock start-up and clean-up as a scope. Winsock counts its users: each scope's start-up
// pairs with its own clean-up, whoever else uses it in the process.

#include <winsock2.h>

namespace pixmate::win {

class WinsockScope {
  public:
    WinsockScope() {
        WSADATA data;
        ok_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~WinsockScope() {
        if (ok_) WSACleanup();
    }
    WinsockScope(const WinsockScope&) = delete;
    WinsockScope& operator=(const WinsockScope&) = delete;
    bool Ok() const { return ok_; }

  private:
    bool ok_ = false;
};

}  // namespace pixmate::win
