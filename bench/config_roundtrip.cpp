// Decoding and encoding a large configuration (see large_config.h), beside
// a plain nlohmann parse and dump of the same bytes as the yardstick.
#include <benchmark/benchmark.h>

#include "large_config.h"
#include "model/json_writer.h"

using namespace orbel;

namespace {

const std::string& documentText() {
    static const std::string text = bench::largeConfig().encodeDocument();
    return text;
}

void BM_ConfigRoundTrip(benchmark::State& state) {
    const std::string& text = documentText();
    for (auto _ : state) {
        const AppConfig config = AppConfig::fromJson(json::Node(json::parse(text)));
        std::string out = config.encodeDocument();
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    state.counters["bytes"] = static_cast<double>(text.size());
}
BENCHMARK(BM_ConfigRoundTrip)->Unit(benchmark::kMillisecond);

// The same bytes through nlohmann alone: parse and pretty dump.
void BM_NlohmannParseDump(benchmark::State& state) {
    const std::string& text = documentText();
    for (auto _ : state) {
        std::string out = nlohmann::ordered_json::parse(text).dump(2);
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_NlohmannParseDump)->Unit(benchmark::kMillisecond);

}  // namespace
