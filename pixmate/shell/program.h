#pragma once
// Start-up and shut-down of the program around its main window: the window's created event
// (phone link started, address shown, magnifier prepared), the rule that decides whether the
// window may close, and the end-of-program release.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "pixmate/shell/process_state.h"
#include "pixmate/shell/window_layer.h"

namespace pixmate {

// The port phones connect to.
inline constexpr std::uint16_t kServerPort = 12345;

// What the created event and the end of the program need of the phone link.
class PhoneLink {
  public:
    virtual ~PhoneLink() = default;
    // The registry's lock; made before the server may raise any event.
    virtual void CreateRegistryLock() = 0;
    // Initialises the server on the port with the client-enter, client-exit and message events,
    // then starts it. False when it could not start (the port taken, for example); the window
    // works all the same, only no phone can connect.
    virtual bool StartServer(std::uint16_t port) = 0;
    // Stops the server: once this returns no event runs and none will.
    virtual void StopServer() = 0;
};

// "ip:" followed directly by the first address. With no address at all the label shows "ip:"
// alone: any address put there instead (127.0.0.1, say) would be one the phone cannot reach.
std::string AddressCaption(std::span<const std::string> addresses);

// The close rule: a maximised window is set back to normal and stays open; in any other state
// it may close. A maximised window therefore takes two close requests.
bool AllowClose(ui::MainWindow& window);

class Program {
  public:
    struct Parts {
        PhoneLink& link;
        // The host's IPv4 addresses in the order of its address list.
        std::function<std::vector<std::string>()> hostAddresses;
        // The magnifier's preparation, the created event's last step; may be empty.
        std::function<void()> prepareMagnifier;
        std::uint16_t port = kServerPort;
    };

    // Handles the window's created and can-be-closed events.
    Program(ui::MainWindow& window, Parts parts);
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Runs once, on the UI thread, before the window takes input.
    void OnCreated();
    bool OnCloseRequested() { return AllowClose(window_); }
    // Whether the server started (false also before the created event).
    bool ServerStarted() const { return serverStarted_; }

  private:
    ui::MainWindow& window_;
    Parts parts_;
    bool serverStarted_ = false;
};

// The end-of-program release: the server is stopped first, so no phone event can reach the
// device registry while it is released; then the process-wide state goes, first made first
// released (the registry first, the server object last).
void ReleaseAtEnd(PhoneLink& link, ProcessState& state);

}  // namespace pixmate
