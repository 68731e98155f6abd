// Base64 throughput on screenshot-sized and template-sized texts, beside memcpy of the text's
// bytes and OpenSSL's block codec, all in the same run. After the usual table, a summary gives
// each codec's time per call as GB/s of Base64 text and as ratios to memcpy and to OpenSSL.
// Suggested run (docs/performance.md has the figures):
//   pixmate_image_base64_benchmark --benchmark_repetitions=9
//       --benchmark_enable_random_interleaving=true
#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "pixmate/image/base64.h"
#include "pixmate/image/cpu_features.h"

namespace {

using pixmate::CodecPath;

struct Workload {
    std::string label;
    std::vector<std::uint8_t> bytes;
    std::string text;
};

// PNG-like bytes: a signature, then the incompressible noise that deflated pixel data looks like.
Workload MakeWorkload(std::string label, std::size_t textSize) {
    Workload w{std::move(label), std::vector<std::uint8_t>(textSize / 4 * 3), {}};
    std::mt19937_64 random(42);
    for (auto& b : w.bytes) b = static_cast<std::uint8_t>(random() >> 56);
    const std::uint8_t signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::copy(std::begin(signature), std::end(signature), w.bytes.begin());
    w.text = pixmate::Base64Encode(w.bytes, CodecPath::Scalar);
    return w;
}

std::vector<Workload>& Workloads() {
    static std::vector<Workload> workloads = [] {
        std::vector<Workload> w;
        w.push_back(MakeWorkload("8MiB", 8u << 20));
        w.push_back(MakeWorkload("100KiB", 100u << 10));
        return w;
    }();
    return workloads;
}

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "benchmark self-check failed: %s\n", what);
        std::exit(1);
    }
}

void RegisterAll() {
    for (const Workload& w : Workloads()) {
        const std::size_t textSize = w.text.size();
        auto add = [&](const std::string& name, auto body) {
            benchmark::RegisterBenchmark(
                (name + "/" + w.label).c_str(),
                [body, textSize](benchmark::State& state) {
                    for (auto _ : state) body();
                    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                                            static_cast<std::int64_t>(textSize));
                })
                ->Unit(benchmark::kMicrosecond)
                ->UseRealTime();
        };
        const Workload* wp = &w;
        // Buffers are allocated and touched once, outside the timing, for every contestant.
        auto textOut = std::make_shared<std::vector<char>>(textSize + 64, 1);
        auto bytesOut = std::make_shared<std::vector<std::uint8_t>>(
            pixmate::Base64DecodeCapacity(textSize) + 64, 1);

        add("Memcpy", [wp, textOut] {
            std::memcpy(textOut->data(), wp->text.data(), wp->text.size());
            benchmark::DoNotOptimize(textOut->data());
            benchmark::ClobberMemory();
        });
        for (CodecPath path : {CodecPath::Scalar, CodecPath::Avx2}) {
            if (path == CodecPath::Avx2 && !pixmate::Avx2Usable) continue;
            const std::string p = path == CodecPath::Avx2 ? "Avx2" : "Scalar";
            Check(pixmate::Base64DecodeTo(w.text, bytesOut->data(), path) == w.bytes.size() &&
                      std::equal(w.bytes.begin(), w.bytes.end(), bytesOut->begin()),
                  "decode");
            add("Decode/" + p, [wp, bytesOut, path] {
                benchmark::DoNotOptimize(pixmate::Base64DecodeTo(wp->text, bytesOut->data(), path));
                benchmark::ClobberMemory();
            });
            add("DecodeNewBuffer/" + p,
                [wp, path] { benchmark::DoNotOptimize(pixmate::Base64Decode(wp->text, path)); });
            Check(pixmate::Base64EncodeTo(w.bytes, textOut->data(), path) == textSize &&
                      std::equal(w.text.begin(), w.text.end(), textOut->begin()),
                  "encode");
            add("Encode/" + p, [wp, textOut, path] {
                benchmark::DoNotOptimize(pixmate::Base64EncodeTo(wp->bytes, textOut->data(), path));
                benchmark::ClobberMemory();
            });
        }
        add("Decode/OpenSSL", [wp, bytesOut] {
            benchmark::DoNotOptimize(EVP_DecodeBlock(
                bytesOut->data(), reinterpret_cast<const unsigned char*>(wp->text.data()),
                static_cast<int>(wp->text.size())));
            benchmark::ClobberMemory();
        });
        add("Encode/OpenSSL", [wp, textOut] {
            benchmark::DoNotOptimize(
                EVP_EncodeBlock(reinterpret_cast<unsigned char*>(textOut->data()), wp->bytes.data(),
                                static_cast<int>(wp->bytes.size())));
            benchmark::ClobberMemory();
        });
    }
}

// Keeps every repetition's time per call, to print the ratios after the usual table.
class SummaryReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0) {
                continue;
            }
            seconds_[run.run_name.function_name].push_back(run.real_accumulated_time /
                                                           static_cast<double>(run.iterations));
        }
    }

    void PrintSummary() const {
        std::printf(
            "\nTime per call: median and best of the repetitions. GB/s counts Base64 text bytes "
            "(1e9 bytes/s), from the median.\n");
        std::printf("%-28s %9s %8s %9s %9s %9s\n", "benchmark", "median us", "GB/s", "x memcpy",
                    "x OpenSSL", "best x mc");
        for (const Workload& w : Workloads()) {
            const std::string suffix = "/" + w.label;
            const double memcpyMedian = Statistic("Memcpy" + suffix, false);
            const double memcpyBest = Statistic("Memcpy" + suffix, true);
            for (const auto& [name, times] : seconds_) {
                if (name.size() < suffix.size() ||
                    name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
                    continue;
                }
                const double median = Statistic(name, false);
                const std::string direction = name.substr(0, name.find('/'));
                const double peer = Statistic(
                    (direction == "Encode" ? "Encode/OpenSSL" : "Decode/OpenSSL") + suffix, false);
                std::printf("%-28s %9.1f %8.2f %9.2f %9.2f %9.2f\n", name.c_str(), median * 1e6,
                            static_cast<double>(w.text.size()) / median / 1e9,
                            median / memcpyMedian, direction == "Memcpy" ? 0.0 : median / peer,
                            Statistic(name, true) / memcpyBest);
            }
        }
    }

  private:
    double Statistic(const std::string& name, bool best) const {
        auto it = seconds_.find(name);
        if (it == seconds_.end() || it->second.empty()) return 0.0;
        std::vector<double> v = it->second;
        if (best) return *std::min_element(v.begin(), v.end());
        std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
        return v[v.size() / 2];
    }

    std::map<std::string, std::vector<double>> seconds_;
};

}  // namespace

int main(int argc, char** argv) {
    pixmate::ProbeProcessorFeatures();
    std::printf("Avx2Usable=%d\n", pixmate::Avx2Usable ? 1 : 0);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RegisterAll();
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintSummary();
    benchmark::Shutdown();
    return 0;
}
