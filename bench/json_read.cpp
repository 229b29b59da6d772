// Reading JSON under the nesting limit: arrays of 10,000, 100,000 and
// 1,000,000 empty objects (the time per object must stay flat), and decoding
// a backup of about 1 MB as a shared backup is opened.
#include <benchmark/benchmark.h>

#include "config/orbel_backup.h"
#include "large_config.h"
#include "model/json.h"

using namespace orbel;

namespace {

void BM_ReadEmptyObjects(benchmark::State& state) {
    const auto count = static_cast<std::size_t>(state.range(0));
    std::string text = "[{}";
    text.reserve(count * 3 + 2);
    for (std::size_t i = 1; i < count; ++i) text += ",{}";
    text += "]";
    for (auto _ : state) benchmark::DoNotOptimize(json::parse(text));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * count));
}
BENCHMARK(BM_ReadEmptyObjects)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

void BM_DecodeLargeBackup(benchmark::State& state) {
    OrbelBackup backup;
    backup.createdAt = 1796489256;
    backup.appVersion = "1.0";
    backup.liveConfig = bench::largeConfig();
    for (const char* name : {"Home", "Work", "Music", "Code", "Games", "Travel"}) backup.profiles[name] = backup.liveConfig;
    const std::string text = backup.encode();
    for (auto _ : state) benchmark::DoNotOptimize(OrbelBackup::decode(text));
    state.counters["bytes"] = static_cast<double>(text.size());
}
BENCHMARK(BM_DecodeLargeBackup)->Unit(benchmark::kMillisecond);

}  // namespace
