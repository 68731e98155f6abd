// Figures for a UI-node dump of the size a busy Android screen gives (a few thousand nodes):
// loading with relation paths, serialising it whole, a deep lookup, and a relation.
#include <benchmark/benchmark.h>

#include <string>

#include "verdel.h"
#include "verdel/diagnostics.h"

namespace {

// A tree with `fanout` children per node, `depth` levels below the root.
void AppendNode(std::string& out, int depth, int fanout, int& counter) {
    int id = counter++;
    out += R"({"text":"item )" + std::to_string(id) +
           R"(","className":"android.widget.TextView","contentDescription":null,)";
    out += R"x("boundsInScreen":"Rect(0, )x" + std::to_string(id) + " - 1080, " +
           std::to_string(id + 100) + R"x()","clickable":true,"depth":)x" + std::to_string(depth);
    if (depth > 0) {
        out += R"(,"children":[)";
        for (int i = 0; i < fanout; ++i) {
            if (i > 0) out += ',';
            AppendNode(out, depth - 1, fanout, counter);
        }
        out += ']';
    }
    out += '}';
}

std::string Dump(int depth, int fanout) {
    std::string out;
    int counter = 0;
    AppendNode(out, depth, fanout, counter);
    return out;
}

void Quiet() {
    verdel::SetDebugSink([](const char*) {});
}

// Depth 5, fanout 4: 1365 nodes; depth 4, fanout 8: 4681 nodes.
void BM_JsonLoad(benchmark::State& state) {
    Quiet();
    std::string text = Dump(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) {
        VerdelNode doc = JsonLoad(text.c_str());
        benchmark::DoNotOptimize(doc);
        JsonFree(doc);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
    state.counters["bytes"] = static_cast<double>(text.size());
}
BENCHMARK(BM_JsonLoad)->Args({5, 4})->Args({4, 8});

void BM_JsonGetValueWhole(benchmark::State& state) {
    Quiet();
    std::string text = Dump(5, 4);
    VerdelNode doc = JsonLoad(text.c_str());
    for (auto _ : state) benchmark::DoNotOptimize(JsonGetValue(doc, nullptr));
    JsonFree(doc);
}
BENCHMARK(BM_JsonGetValueWhole);

void BM_LookupDeepPath(benchmark::State& state) {
    Quiet();
    std::string text = Dump(5, 4);
    VerdelNode doc = JsonLoad(text.c_str());
    for (auto _ : state) {
        benchmark::DoNotOptimize(JsonGetNodeHandle(
            doc, "children[3].children[2].children[1].children[0].children[3].text"));
    }
    JsonFree(doc);
}
BENCHMARK(BM_LookupDeepPath);

void BM_Relation(benchmark::State& state) {
    Quiet();
    std::string text = Dump(5, 4);
    VerdelNode doc = JsonLoad(text.c_str());
    VerdelNode a = JsonGetNodeHandle(doc, "children[3].children[2].children[1].children[0]");
    VerdelNode b = JsonGetNodeHandle(doc, "children[3].children[1].children[1].children[0]");
    for (auto _ : state) benchmark::DoNotOptimize(JsonNodeGetRelation(a, b));
    JsonFree(doc);
}
BENCHMARK(BM_Relation);

}  // namespace

BENCHMARK_MAIN();
