// Reading a screenshot reply: an 8 MB message whose "returns" member is the Base64 text of the
// picture. Figures are compared with memcpy of the same message in the same run.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "pixmate/json/json_object.h"

namespace {

constexpr std::size_t kPayloadSize = 8 << 20;

const std::string& Message() {
    static const std::string message = [] {
        static const char kAlphabet[] =
            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        std::string payload(kPayloadSize, 'A');
        for (std::size_t i = 0; i < payload.size(); ++i) payload[i] = kAlphabet[(i * 7919) % 64];
        return R"({"fun":"eval","code":0,"back":"0","returns":")" + payload + "\"}";
    }();
    return message;
}

void SetBytes(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Message().size()));
}

// The yardstick: one copy of the message into a buffer that is already there.
void BM_Memcpy(benchmark::State& state) {
    const std::string& message = Message();
    std::string target(message.size(), '\0');
    for (auto _ : state) {
        std::memcpy(target.data(), message.data(), message.size());
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    SetBytes(state);
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);

// The least any call that returns a new std::string of the message's size pays: the allocation
// and the first touch of its pages, then the copy.
void BM_CopyToNewString(benchmark::State& state) {
    const std::string& message = Message();
    for (auto _ : state) {
        std::string copy(message);
        benchmark::DoNotOptimize(copy.data());
    }
    SetBytes(state);
}
BENCHMARK(BM_CopyToNewString)->Unit(benchmark::kMillisecond);

// What the phone link does: the received message handed over, then "returns" read out.
void BM_ParseTakenThenGetText(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        std::string received = Message();
        state.ResumeTiming();
        pixmate::JsonObject reply;
        bool ok = reply.Parse(std::move(received));
        std::string returns = reply.GetText("returns");
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(returns.data());
    }
    SetBytes(state);
}
BENCHMARK(BM_ParseTakenThenGetText)->Unit(benchmark::kMillisecond);

void BM_ParseTakenThenTakeText(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        std::string received = Message();
        state.ResumeTiming();
        pixmate::JsonObject reply;
        bool ok = reply.Parse(std::move(received));
        std::string returns = reply.TakeText("returns");
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(returns.data());
    }
    SetBytes(state);
}
BENCHMARK(BM_ParseTakenThenTakeText)->Unit(benchmark::kMillisecond);

// A caller that keeps its own buffer: Parse copies the message once.
void BM_ParseViewThenGetText(benchmark::State& state) {
    const std::string& message = Message();
    for (auto _ : state) {
        pixmate::JsonObject reply;
        bool ok = reply.Parse(std::string_view(message));
        std::string returns = reply.GetText("returns");
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(returns.data());
    }
    SetBytes(state);
}
BENCHMARK(BM_ParseViewThenGetText)->Unit(benchmark::kMillisecond);

// The parse alone.
void BM_ParseTaken(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        std::string received = Message();
        state.ResumeTiming();
        pixmate::JsonObject reply;
        benchmark::DoNotOptimize(reply.Parse(std::move(received)));
    }
    SetBytes(state);
}
BENCHMARK(BM_ParseTaken)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
