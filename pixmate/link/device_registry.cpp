#include "pixmate/link/device_registry.h"

#include <utility>

#include "pixmate/json/json_object.h"
#include "pixmate/link/message_text.h"

namespace pixmate {

namespace {

// Index of the first record with clientHandle; the caller holds the registry lock.
std::int32_t FindIn(const DeviceList& records, std::int32_t clientHandle) {
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (records[i]->evaluator.GetClient() == clientHandle)
            return static_cast<std::int32_t>(i + 1);
    }
    return 0;
}

}  // namespace

DeviceRegistry::DeviceRegistry(const Dependencies& dependencies)
    : deviceBox_(dependencies.deviceBox),
      messageBoxes_(dependencies.messageBoxes),
      infoTimeoutSeconds_(dependencies.infoTimeoutSeconds) {
    context_.sendText = dependencies.sendText;
    context_.clock = &dependencies.clock;
}

DeviceRegistry::~DeviceRegistry() {
    Shutdown();
}

void DeviceRegistry::Attach(WebSocketServer& server, std::int32_t port,
                            const WebSocketServer::Options& options) {
    context_.sendText = [&server](std::int32_t client, std::string_view text) {
        return server.SendText(client, text);
    };
    server.Init(
        port, [this](std::int32_t client) { OnClientEnter(client); },
        [this](std::int32_t client) { OnClientExit(client); },
        [this, &server](std::int32_t client, std::int32_t type, std::int32_t message) {
            OnMessage(client, type, server.TakeMessageData(message));
        },
        options);
}

void DeviceRegistry::OnClientEnter(std::int32_t clientHandle) {
    if (clientHandle < 1 || context_.shuttingDown.load()) return;
    std::int32_t index = 0;
    {
        std::lock_guard lock(registryLock_);
        if (FindIn(records_, clientHandle) != 0) return;  // a second enter for the same handle
        records_.push_back(std::make_unique<DeviceRecord>(context_));
        index = static_cast<std::int32_t>(records_.size());
        records_.back()->evaluator.SetClient(clientHandle);
    }
    // Nobody waits for this thread; Shutdown does, at the end of the run.
    infoThreads_.Spawn([this, index] { QueryDeviceInfo(index); });
}

void DeviceRegistry::OnClientExit(std::int32_t clientHandle) {
    if (clientHandle < 1) return;
    DeviceRecord* record = Record(FindDevice(clientHandle));
    if (!record) return;
    // The record stays; an evaluation waiting for this phone runs into its timeout.
    record->evaluator.SetClient(0);
    if (!context_.shuttingDown.load()) RefreshDeviceBox();
}

void DeviceRegistry::OnMessage(std::int32_t clientHandle, std::int32_t, std::string bytes) {
    if (clientHandle < 1 || context_.shuttingDown.load()) return;
    DeviceRecord* record = Record(FindDevice(clientHandle));
    if (!record) return;
    const std::string text = DecodeMessageText(std::move(bytes));
    if (text == kHeartbeat) return;
    // Parsed as JSON only: text from the network is never run.
    JsonObject message;
    if (!message.Parse(std::string_view(text))) {
        // Modal on this connection's event thread; the other phones carry on.
        messageBoxes_.ShowMessage(kParseFailed);
        return;
    }
    // "client", "self" and anything else: nothing to do.
    if (message.GetText("fun") == "eval") record->evaluator.OnReply(message, text);
}

void DeviceRegistry::OnSelectDevice() {
    const std::int32_t row = deviceBox_.SelectedRow();
    if (row < 0) return;
    selectedDevice_ = deviceBox_.ItemValue(row);
}

void DeviceRegistry::RefreshDeviceBox() {
    std::lock_guard refresh(refreshMutex_);
    // The row is restored, not the phone: after a phone has left, row p may hold another one.
    const std::int32_t row = deviceBox_.SelectedRow();
    std::vector<std::pair<std::string, std::int32_t>> items;
    {
        std::lock_guard lock(registryLock_);
        for (std::size_t i = 0; i < records_.size(); ++i) {
            const DeviceRecord& record = *records_[i];
            if (record.evaluator.GetClient() == 0 || !record.queryEnded) continue;
            items.emplace_back(record.info.brand + " " + record.info.model,
                               static_cast<std::int32_t>(i + 1));
        }
    }
    deviceBox_.RemoveAllItems();
    for (const auto& [text, value] : items) deviceBox_.AddItem(text, value);
    deviceBox_.SetSelectedRow(row);
    const std::int32_t selected = deviceBox_.SelectedRow();
    selectedDevice_ = selected < 0 ? -1 : deviceBox_.ItemValue(selected);
}

void DeviceRegistry::QueryDeviceInfo(std::int32_t index) {
    DeviceRecord* record = Record(index);
    if (!record) return;
    RemoteEvaluator& evaluator = record->evaluator;
    const std::int32_t timeout = infoTimeoutSeconds_;

    std::string brand = evaluator.Evaluate("returns=device.brand", timeout);
    {
        std::lock_guard lock(registryLock_);
        record->info.brand = std::move(brand);
    }
    std::string model = evaluator.Evaluate("returns=device.model", timeout);
    {
        std::lock_guard lock(registryLock_);
        record->info.model = std::move(model);
    }
    const std::int32_t width = LeadingInteger(evaluator.Evaluate("returns=device.width", timeout));
    {
        std::lock_guard lock(registryLock_);
        record->info.width = width;
    }
    const std::int32_t height =
        LeadingInteger(evaluator.Evaluate("returns=device.height", timeout));
    {
        std::lock_guard lock(registryLock_);
        record->info.height = height;
        record->queryEnded = true;
    }
    if (!context_.shuttingDown.load()) RefreshDeviceBox();
}

std::int32_t DeviceRegistry::FindDevice(std::int32_t clientHandle) const {
    std::lock_guard lock(registryLock_);
    return FindIn(records_, clientHandle);
}

std::int32_t DeviceRegistry::DeviceCount() const {
    std::lock_guard lock(registryLock_);
    return static_cast<std::int32_t>(records_.size());
}

DeviceRecord* DeviceRegistry::Record(std::int32_t index) const {
    std::lock_guard lock(registryLock_);
    if (index < 1 || index > static_cast<std::int32_t>(records_.size())) return nullptr;
    return records_[index - 1].get();
}

DeviceInfo DeviceRegistry::Info(std::int32_t index) const {
    std::lock_guard lock(registryLock_);
    if (index < 1 || index > static_cast<std::int32_t>(records_.size())) return {};
    return records_[index - 1]->info;
}

SelectedEvaluation DeviceRegistry::EvaluateOnSelected(std::string_view code,
                                                      std::int32_t timeoutSeconds) {
    DeviceRecord* record = SelectedRecord();
    if (!record) return {};
    return {true, record->evaluator.Evaluate(code, timeoutSeconds)};
}

void DeviceRegistry::Shutdown() {
    context_.shuttingDown = true;
    std::vector<DeviceRecord*> records;
    {
        std::lock_guard lock(registryLock_);
        for (const auto& record : records_) records.push_back(record.get());
    }
    for (DeviceRecord* record : records) record->evaluator.WakeWaiters();
    infoThreads_.JoinAll();
}

}  // namespace pixmate
