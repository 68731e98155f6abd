// Evaluation round trips over loopback: simulated phones (the client script under Node), our
// server and registry. Run it under the phone farm:
//
//   node tools/phone-sim/bin/phone-farm.js --
//   build/native/pixmate/link/pixmate_link_benchmark_roundtrip [SECONDS]
//
// For 1 and for 50 phones it evaluates "returns=1" on every phone at once, one caller thread
// per phone, for SECONDS (default 5) and prints round trips per second and latency percentiles.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "pixmate/link/device_registry.h"
#include "pixmate/link/link_test_support.h"
#include "pixmate/link/phone_farm.h"
#include "pixmate/shell/memory_window.h"

namespace {

using namespace std::chrono_literals;
using pixmate::testing::FarmCommand;
using pixmate::testing::PhoneFarm;
using Clock = std::chrono::steady_clock;

bool Run(int phones, double seconds) {
    pixmate::ui::MemoryComboBox box;
    pixmate::ui::MemoryMessageBoxes boxes;
    pixmate::WebSocketServer server;
    pixmate::DeviceRegistry registry({.deviceBox = box, .messageBoxes = boxes});
    pixmate::WebSocketServer::Options options;
    options.address = "127.0.0.1";
    registry.Attach(server, 0, options);
    if (!server.Start()) return false;
    const std::int64_t port = server.Port();
    for (int i = 0; i < phones; ++i) {
        // Appended: GCC 12 warns wrongly (-Wrestrict) about "literal" + std::string.
        const std::string name = std::string("p").append(std::to_string(i));
        const auto answer = PhoneFarm::Instance().Call(
            FarmCommand("phone").Set("name", name).Set("port", port).Set("heartbeatMs", 5000));
        if (answer.GetText("ok") != "true") {
            std::fprintf(stderr, "phone %d: %s\n", i, answer.GetText("error").c_str());
            return false;
        }
    }
    if (!pixmate::testing::WaitUntil([&] { return box.ItemCount() == phones; }, 60s)) {
        std::fprintf(stderr, "only %d of %d phones listed\n", box.ItemCount(), phones);
        return false;
    }

    std::atomic<bool> stop{false};
    std::vector<std::vector<double>> latencies(phones);
    std::atomic<int> failures{0};
    std::vector<std::thread> callers;
    const auto started = Clock::now();
    for (int i = 0; i < phones; ++i) {
        callers.emplace_back([&, i] {
            pixmate::RemoteEvaluator& evaluator = registry.Record(box.ItemValue(i))->evaluator;
            while (!stop.load()) {
                const auto before = Clock::now();
                const std::string answer = evaluator.Evaluate("returns=1");
                if (answer != "1" && ++failures <= 3) {
                    std::fprintf(stderr, "phone %d answered \"%.40s\"\n", i, answer.c_str());
                }
                latencies[i].push_back(
                    std::chrono::duration<double, std::milli>(Clock::now() - before).count());
            }
        });
    }
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    stop = true;
    for (auto& caller : callers) caller.join();
    const double elapsed = std::chrono::duration<double>(Clock::now() - started).count();

    std::vector<double> all;
    for (const auto& list : latencies) all.insert(all.end(), list.begin(), list.end());
    std::sort(all.begin(), all.end());
    const auto percentile = [&](double p) {
        return all.empty()
                   ? 0.0
                   : all[std::min(all.size() - 1, static_cast<std::size_t>(p * all.size()))];
    };
    std::printf(
        "%2d phone(s): %8.0f round trips/s  p50 %6.2f ms  p99 %6.2f ms  max %7.2f ms  (%zu in %.1f "
        "s, %d failed)\n",
        phones, all.size() / elapsed, percentile(0.50), percentile(0.99),
        all.empty() ? 0.0 : all.back(), all.size(), elapsed, failures.load());
    std::fflush(stdout);

    PhoneFarm::Instance().Call(FarmCommand("stopAll"));
    server.Stop();
    registry.Shutdown();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (!PhoneFarm::Available()) {
        std::fprintf(stderr, "run me under tools/phone-sim/bin/phone-farm.js\n");
        return 2;
    }
    const double seconds = argc > 1 ? std::atof(argv[1]) : 5.0;
    for (int phones : {1, 50}) {
        if (!Run(phones, seconds > 0 ? seconds : 5.0)) return 1;
    }
    return 0;
}
