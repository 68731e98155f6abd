#pragma once
// App: the program put together around its main window. Start-up makes the process-wide state,
// wires every control event to the part that handles it and lets the window's created event
// start the phone link; Release is the end-of-program release. The same code runs behind the
// Win32 window in Pixmate.exe and behind the in-memory window in tests.
//
// Order of use: the window exists with its controls (not yet opened), App is made, the window
// is opened (created event, first layout), the message loop runs, the window closes, Release.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "pixmate/link/device_registry.h"
#include "pixmate/link/websocket_server.h"
#include "pixmate/shell/canvas_layout.h"
#include "pixmate/shell/process_state.h"
#include "pixmate/shell/program.h"
#include "pixmate/shell/window_layer.h"

namespace pixmate {

class App {
  public:
    struct Options {
        // Port 0 lets the system choose (tests); see ServerPort.
        std::uint16_t port = kServerPort;
        WebSocketServer::Options server;
        std::function<std::vector<std::string>()> hostAddresses;  // empty: the host's own
    };

    App(ui::MainWindow& window, Options options);
    ~App();
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    // The end-of-program release: the server stops (no phone event runs from then on), the
    // window's events are let go, and the process-wide state is freed, first made first freed:
    // the device registry first, the server object last. A second call does nothing.
    void Release();

    DeviceRegistry& Registry() { return *registry_; }
    CanvasGeometry& Geometry() { return *geometry_; }
    CanvasLayout& Layout() { return *layout_; }
    bool ServerStarted() const { return program_ && program_->ServerStarted(); }
    // The port the server listens on once started, else 0.
    std::uint16_t ServerPort() const { return server_ ? server_->Port() : 0; }

  private:
    class Link;
    void LetGoOfWindowEvents();

    ui::MainWindow& window_;
    ProcessState state_;
    DeviceRegistry* registry_ = nullptr;
    CanvasGeometry* geometry_ = nullptr;
    WebSocketServer* server_ = nullptr;
    std::unique_ptr<Link> link_;
    std::optional<CanvasLayout> layout_;
    std::optional<Program> program_;
};

}  // namespace pixmate
