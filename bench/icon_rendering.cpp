// Drawing pack icons at 30 px: 1,000 distinct icons that miss the image
// cache, then the same 1,000 served from it; and reading the largest
// shipped catalogue.
#include <benchmark/benchmark.h>

#include "fakes/fake_icon_platform.h"
#include "icons/icon_catalog.h"

using namespace orbel;

namespace {

constexpr std::size_t kIcons = 1000;
const IconPack kPack{"tabler"};

IconCatalog& catalog() {
    static fakes::FakeFonts fonts;
    static fakes::FakeSymbols symbols;
    static auto* c = new IconCatalog(platform::Bundle::shared(), fonts, symbols);
    return *c;
}

void BM_DrawDistinctPackIcons(benchmark::State& state) {
    const auto& entries = catalog().entries(kPack);
    if (entries.size() < kIcons) return state.SkipWithError("the shipped packs are missing");
    int round = 0;
    for (auto _ : state) {
        // A new label colour each round: every drawing misses the cache.
        const IconStyle style{QColor::fromRgb(0xFF000000u | static_cast<unsigned>(++round)), 1.0};
        for (std::size_t i = 0; i < kIcons; ++i) benchmark::DoNotOptimize(catalog().svgImage(entries[i], kPack, 30, style));
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kIcons));
}
BENCHMARK(BM_DrawDistinctPackIcons)->Unit(benchmark::kMillisecond);

void BM_DrawCachedPackIcons(benchmark::State& state) {
    const auto& entries = catalog().entries(kPack);
    if (entries.size() < kIcons) return state.SkipWithError("the shipped packs are missing");
    const IconStyle style{Qt::black, 1.0};
    for (std::size_t i = 0; i < kIcons; ++i) catalog().svgImage(entries[i], kPack, 30, style);
    for (auto _ : state) {
        for (std::size_t i = 0; i < kIcons; ++i) benchmark::DoNotOptimize(catalog().svgImage(entries[i], kPack, 30, style));
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kIcons));
}
BENCHMARK(BM_DrawCachedPackIcons)->Unit(benchmark::kMillisecond);

void BM_ReadLargestCatalogue(benchmark::State& state) {
    fakes::FakeFonts fonts;
    fakes::FakeSymbols symbols;
    for (auto _ : state) {
        IconCatalog fresh(platform::Bundle::shared(), fonts, symbols);
        benchmark::DoNotOptimize(fresh.entries(IconPack{"mdi"}).size());
    }
}
BENCHMARK(BM_ReadLargestCatalogue)->Unit(benchmark::kMillisecond);

}  // namespace
