#pragma once
// DeviceRegistry: the phones known to this run of the program. One DeviceRecord per accepted
// connection, appended and never removed, addressed by a 1-based index; the device box lists the
// connected ones as "brand model"; SelectedDevice is the index the user chose there.
//
// Threads: OnClientEnter, OnClientExit and OnMessage run on the server's event threads (one per
// connection, so a message box or a slow evaluation holds up only its own phone); each new phone
// gets a short-lived information thread; OnSelectDevice and the user's commands run on the UI
// thread. RegistryLock guards the list and each record's Info; it is never held across an
// evaluation or a device-box operation.
//
// Shut-down: stop the server first (no event runs afterwards), then Shutdown here, which ends the
// information threads' evaluations at once and waits for the threads. Both should run once the
// window is gone, since a refresh of the box from another thread waits for the UI thread.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "pixmate/link/link_clock.h"
#include "pixmate/link/remote_evaluator.h"
#include "pixmate/link/thread_set.h"
#include "pixmate/link/websocket_server.h"
#include "pixmate/shell/window_layer.h"

namespace pixmate {

struct DeviceInfo {
    std::string brand;
    std::string model;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

struct ScreenState {
    bool captureGranted = false;  // the phone has granted screen capture (UI thread only)
};

struct DeviceRecord {
    explicit DeviceRecord(EvaluatorContext& context) : evaluator(context) {}

    DeviceInfo info;  // under the registry lock
    ScreenState screen;
    RemoteEvaluator evaluator;
    // The information query has ended (under the registry lock). Until then the phone stays out
    // of the box even when another phone's refresh rebuilds it: a user command on a pending
    // phone would race the query for its replies.
    bool queryEnded = false;
};

// Records never move once made, so a DeviceRecord* stays valid for the registry's life.
using DeviceList = std::vector<std::unique_ptr<DeviceRecord>>;

// Outcome of an evaluation on the selected phone.
struct SelectedEvaluation {
    bool deviceSelected = false;  // false: no phone is selected ("没有选中的设备"); answer is ""
    std::string answer;
};

class DeviceRegistry {
  public:
    static constexpr std::string_view kHeartbeat = "心跳";
    static constexpr std::string_view kParseFailed = "解析失败";
    static constexpr std::string_view kNoDeviceSelected = "没有选中的设备";

    struct Dependencies {
        ui::ComboBox& deviceBox;  // 组合框_手机列表
        ui::MessageBoxes& messageBoxes;
        LinkClock& clock = LinkClock::System();
        SendTextFunction sendText = nullptr;  // Attach sets the server's SendText
        // Timeout of each of the four information evaluations; 0 means the default 10 s.
        std::int32_t infoTimeoutSeconds = 0;
    };

    explicit DeviceRegistry(const Dependencies& dependencies);
    ~DeviceRegistry();
    DeviceRegistry(const DeviceRegistry&) = delete;
    DeviceRegistry& operator=(const DeviceRegistry&) = delete;

    // Initialises server with the three events on port and sends evaluations through it. Call
    // before server.Start; the server must be stopped before this registry is destroyed.
    void Attach(WebSocketServer& server, std::int32_t port,
                const WebSocketServer::Options& options = {});

    // The server's events.
    void OnClientEnter(std::int32_t clientHandle);
    void OnClientExit(std::int32_t clientHandle);
    void OnMessage(std::int32_t clientHandle, std::int32_t messageType, std::string bytes);

    // The device box's list-item-selected event (UI thread).
    void OnSelectDevice();
    // Rebuilds the device box and re-reads SelectedDevice.
    void RefreshDeviceBox();
    // Body of a device-information thread.
    void QueryDeviceInfo(std::int32_t index);

    // Index of the first record whose evaluator has clientHandle; 0 if none.
    std::int32_t FindDevice(std::int32_t clientHandle) const;
    std::int32_t DeviceCount() const;
    // The record at a 1-based index, or nullptr.
    DeviceRecord* Record(std::int32_t index) const;
    DeviceInfo Info(std::int32_t index) const;

    // 0 at start, -1 after a refresh left no row selected; 0 or less means none.
    std::int32_t SelectedDevice() const { return selectedDevice_.load(); }
    DeviceRecord* SelectedRecord() const { return Record(SelectedDevice()); }
    // Evaluate on the selected phone with no callback; tells when none is selected.
    SelectedEvaluation EvaluateOnSelected(std::string_view code, std::int32_t timeoutSeconds = 0);

    // Ends waiting evaluations with "-1", skips further refreshes and waits for the information
    // threads. Events arriving afterwards are ignored.
    void Shutdown();

  private:
    ui::ComboBox& deviceBox_;
    ui::MessageBoxes& messageBoxes_;
    const std::int32_t infoTimeoutSeconds_;
    EvaluatorContext context_;

    mutable std::mutex registryLock_;  // RegistryLock: records_ and every record's info
    DeviceList records_;
    std::atomic<std::int32_t> selectedDevice_{0};
    // One refresh at a time, so that two never interleave their box operations.
    std::mutex refreshMutex_;
    ThreadSet infoThreads_;
};

}  // namespace pixmate
