// The dial's controller on an in-memory surface: one show and hide of a
// six-slot root, and one pointer move that keeps the same wedge highlighted.
// Signpost lines are built but dropped by a sink, so the figures are the
// controller's own work.
#include <benchmark/benchmark.h>

#include "dial_rig.h"

using namespace orbel;

namespace {

using Dial = bench::DialRig;

void BM_ShowHideSixSlots(benchmark::State& state) {
    Dial dial;
    for (auto _ : state) {
        dial.controller.show();
        dial.controller.hide();
    }
    benchmark::DoNotOptimize(dial.controller.currentSlots().size());
}
BENCHMARK(BM_ShowHideSixSlots);

void BM_HoverWithoutHighlightChange(benchmark::State& state) {
    Dial dial;
    dial.surface.pointer = {960, 300};  // straight up: wedge 0
    dial.controller.show();
    double x = 959;
    for (auto _ : state) {
        // Alternates between two points in wedge 0.
        x = x == 959 ? 961 : 959;
        dial.surface.moveTo({x, 300});
    }
    if (dial.controller.highlightedIndex() != 0) state.SkipWithError("the highlight moved");
}
BENCHMARK(BM_HoverWithoutHighlightChange);

}  // namespace
