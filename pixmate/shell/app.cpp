#include "pixmate/shell/app.h"

#include <utility>

#include "pixmate/shell/host_address.h"

namespace pixmate {

using namespace ui;

namespace {

// The server object from BaseCreate, released with BaseRelease.
struct ServerObject {
    ServerObject() : server(WebSocketServer::BaseCreate()) {}
    ~ServerObject() {
        if (server) server->BaseRelease();
    }
    std::unique_ptr<WebSocketServer> server;
};

}  // namespace

// The phone link as start-up and shut-down see it: the registry and the server object.
class App::Link : public PhoneLink {
  public:
    Link(DeviceRegistry& registry, WebSocketServer& server, WebSocketServer::Options options)
        : registry_(registry), server_(server), options_(std::move(options)) {}

    // The registry's lock (RegistryLock) is part of the registry, made with it at start-up, so
    // it exists before any event can arrive.
    void CreateRegistryLock() override {}

    bool StartServer(std::uint16_t port) override {
        registry_.Attach(server_, port, options_);
        return server_.Start();
    }

    // No event runs once Stop returns; then the information threads are ended and waited for.
    void StopServer() override {
        server_.Stop();
        registry_.Shutdown();
    }

  private:
    DeviceRegistry& registry_;
    WebSocketServer& server_;
    WebSocketServer::Options options_;
};

App::App(MainWindow& window, Options options) : window_(window) {
    // Process-wide state, in the order it is made and released. The parts of the picking tools
    // and the screenshot take their places between the registry and the server as they come.
    registry_ = &state_.Create<DeviceRegistry>(DeviceRegistry::Dependencies{
        .deviceBox = window.Get(ids::组合框_手机列表), .messageBoxes = window.Messages()});
    geometry_ = &state_.Create<CanvasGeometry>();
    server_ = state_.Create<ServerObject>().server.get();

    link_ = std::make_unique<Link>(*registry_, *server_, std::move(options.server));
    layout_.emplace(window, *geometry_);
    window.Get(ids::组合框_手机列表).onSelected = [this] { registry_->OnSelectDevice(); };
    auto addresses =
        options.hostAddresses
            ? std::move(options.hostAddresses)
            : std::function<std::vector<std::string>()>([] { return HostIPv4Addresses(); });
    program_.emplace(window, Program::Parts{*link_, std::move(addresses), {}, options.port});
}

App::~App() {
    Release();
}

void App::Release() {
    if (state_.Empty()) return;
    LetGoOfWindowEvents();
    ReleaseAtEnd(*link_, state_);
    registry_ = nullptr;
    geometry_ = nullptr;
    server_ = nullptr;
}

void App::LetGoOfWindowEvents() {
    window_.onCreated = nullptr;
    window_.onCloseRequested = nullptr;
    window_.onSizeChanged = nullptr;
    window_.onPositionChanged = nullptr;
    window_.Get(ids::纵向滚动条1).onPositionChanged = nullptr;
    window_.Get(ids::横向滚动条1).onPositionChanged = nullptr;
    window_.Get(ids::组合框_手机列表).onSelected = nullptr;
}

}  // namespace pixmate
