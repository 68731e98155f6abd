// From a complete 8 MB reply message (as the server hands it over) to Reply stored, against a
// memcpy of the same message in the same run.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <thread>

#include "pixmate/json/json_object.h"
#include "pixmate/link/device_registry.h"
#include "pixmate/link/message_text.h"
#include "pixmate/shell/memory_window.h"

namespace {

constexpr std::size_t kMessageBytes = 8u * 1024 * 1024;
constexpr std::string_view kHead = R"({"fun":"eval","code":0,"back":"0","returns":")";
constexpr std::string_view kTail = "\"}";

// A screenshot answer: Base64 text inside the reply object, 8 MB in all.
const std::string& ReplyMessage() {
    static const std::string message = [] {
        static constexpr char kAlphabet[] =
            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        std::string text(kHead);
        std::uint32_t state = 12345;
        while (text.size() < kMessageBytes - kTail.size()) {
            state = state * 1103515245u + 12345u;
            text += kAlphabet[(state >> 16) & 63];
        }
        return text.append(kTail);
    }();
    return message;
}

void BM_Memcpy(benchmark::State& state) {
    const std::string& message = ReplyMessage();
    std::string target(message.size(), '\0');
    for (auto _ : state) {
        std::memcpy(target.data(), message.data(), message.size());
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * message.size()));
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);

void BM_ReplyStored(benchmark::State& state) {
    pixmate::ui::MemoryComboBox box;
    pixmate::ui::MemoryMessageBoxes boxes;
    // Information evaluations end at once (negative timeout), leaving the evaluator to us.
    pixmate::DeviceRegistry registry(
        {.deviceBox = box,
         .messageBoxes = boxes,
         .sendText = [](std::int32_t, std::string_view) { return true; },
         .infoTimeoutSeconds = -1});
    registry.OnClientEnter(1);
    while (box.ItemCount() == 0) std::this_thread::yield();  // the information query is over
    pixmate::RemoteEvaluator& evaluator = registry.Record(1)->evaluator;
    const std::string& message = ReplyMessage();
    for (auto _ : state) {
        state.PauseTiming();
        std::string received = message;  // what the server hands over, not part of the measure
        state.ResumeTiming();
        registry.OnMessage(1, pixmate::WebSocketServer::kTextMessage, std::move(received));
    }
    if (evaluator.Reply().size() != message.size() - kHead.size() - kTail.size()) {
        state.SkipWithError("reply not stored");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * message.size()));
}
BENCHMARK(BM_ReplyStored)->Unit(benchmark::kMillisecond);

// The parts, to see where the time goes.
void BM_DecodeMessageText(benchmark::State& state) {
    const std::string& message = ReplyMessage();
    for (auto _ : state) {
        state.PauseTiming();
        std::string received = message;
        state.ResumeTiming();
        benchmark::DoNotOptimize(pixmate::DecodeMessageText(std::move(received)));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * message.size()));
}
BENCHMARK(BM_DecodeMessageText)->Unit(benchmark::kMillisecond);

void BM_ParseAndReadReturns(benchmark::State& state) {
    const std::string& message = ReplyMessage();
    for (auto _ : state) {
        pixmate::JsonObject parsed;
        parsed.Parse(std::string_view(message));
        benchmark::DoNotOptimize(parsed.TakeText("returns"));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * message.size()));
}
BENCHMARK(BM_ParseAndReadReturns)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
