// Decoding and encoding configurations, beside a plain nlohmann parse and
// dump of the same bytes as the yardstick: the stock configuration, a large
// one (see large_config.h) and one of six profiles of 1,674 slots. Each
// round runs both on the same bytes; "ratio" is ours over nlohmann's
// (the aim: under 2). The stock one and the profile are first checked to
// be ones the loader accepts as they are.
#include <benchmark/benchmark.h>

#include <chrono>

#include "config/config_manager.h"
#include "config/config_merge.h"
#include "large_config.h"
#include "model/json_writer.h"

using namespace orbel;

namespace {

using Clock = std::chrono::steady_clock;

std::string document(int which) {
    switch (which) {
        case 0: return AppConfig::defaultConfig().encodeDocument();
        case 1: return bench::largeConfig().encodeDocument();
        default: return bench::profileConfig(5).encodeDocument();
    }
}

// The configuration as the loader takes it: decoded, valid, no level cut.
bool accepted(const std::string& text, std::string* why) {
    try {
        const AppConfig config = AppConfig::fromJson(json::Node(json::parse(text)));
        const auto errors = ConfigManager::validateSlots(config.rootGroup.slots);
        if (!errors.empty()) *why = errors.front().payload();
        else if (!ConfigManager::overfullLevels(config).empty()) *why = ConfigManager::overfullLevels(config).front();
        return errors.empty() && ConfigManager::overfullLevels(config).empty();
    } catch (const std::exception& e) {
        *why = e.what();
        return false;
    }
}

void BM_ConfigRoundTrip(benchmark::State& state) {
    const std::string text = document(int(state.range(0)));
    std::string why;
    if (state.range(0) != 1 && !accepted(text, &why)) return state.SkipWithError(("the loader refuses it: " + why).c_str());
    double ours = 0, plain = 0;
    for (auto _ : state) {
        const auto a = Clock::now();
        const AppConfig config = AppConfig::fromJson(json::Node(json::parse(text)));
        std::string out = config.encodeDocument();
        benchmark::DoNotOptimize(out);
        const auto b = Clock::now();
        std::string yardstick = nlohmann::ordered_json::parse(text).dump(2);
        benchmark::DoNotOptimize(yardstick);
        const auto c = Clock::now();
        ours += std::chrono::duration<double>(b - a).count();
        plain += std::chrono::duration<double>(c - b).count();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    state.counters["bytes"] = static_cast<double>(text.size());
    state.counters["ours_ms"] = ours * 1000 / double(state.iterations());
    state.counters["nlohmann_ms"] = plain * 1000 / double(state.iterations());
    state.counters["ratio"] = plain > 0 ? ours / plain : 0;
}
// 0: the stock configuration, 1: the large one, 2: a six-profile user's profile.
BENCHMARK(BM_ConfigRoundTrip)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace

// A change carried onto another program's save, as a click does when it
// finds config.json saved meanwhile: the six-profile user's configuration,
// a wedge trashed on one side and a setting changed on the other.
void BM_CarryOntoAnotherSave(benchmark::State& state) {
    const AppConfig base = bench::profileConfig(5);
    AppConfig mine = base;
    mine.rootGroup.slots.erase(mine.rootGroup.slots.begin());
    AppConfig other = base;
    other.menuRadius = base.menuRadius + 10;
    const AppConfig theirs = AppConfig::fromJson(json::Node(json::parse(other.encodeDocument())));
    for (auto _ : state) {
        auto carried = carryOnto(base, mine, theirs);
        benchmark::DoNotOptimize(carried);
    }
}
BENCHMARK(BM_CarryOntoAnotherSave)->Unit(benchmark::kMillisecond);
