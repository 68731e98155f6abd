#include "pixmate/shell/program.h"

#include <utility>

namespace pixmate {

using namespace ui;

std::string AddressCaption(std::span<const std::string> addresses) {
    std::string caption = "ip:";
    if (!addresses.empty()) caption += addresses.front();
    return caption;
}

bool AllowClose(MainWindow& window) {
    if (window.State() != WindowState::kMaximised) return true;
    window.SetState(WindowState::kNormal);
    return false;
}

Program::Program(MainWindow& window, Parts parts) : window_(window), parts_(std::move(parts)) {
    window_.onCreated = [this] { OnCreated(); };
    window_.onCloseRequested = [this] { return OnCloseRequested(); };
}

void Program::OnCreated() {
    parts_.link.CreateRegistryLock();
    serverStarted_ = parts_.link.StartServer(parts_.port);
    // Shown once: later address changes are not followed.
    const std::vector<std::string> addresses =
        parts_.hostAddresses ? parts_.hostAddresses() : std::vector<std::string>{};
    window_.Get(ids::标签14).SetCaption(AddressCaption(addresses));
    if (parts_.prepareMagnifier) parts_.prepareMagnifier();
}

void ReleaseAtEnd(PhoneLink& link, ProcessState& state) {
    link.StopServer();
    state.Release();
}

}  // namespace pixmate
