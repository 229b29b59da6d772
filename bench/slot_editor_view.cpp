// One edit on the root dial's slot editor page, from the sheet's Save to
// the dial showing it: the page validates and publishes the configuration
// and queues its save, and the dial opens on the new slots. And the page
// itself opening (built, shown, first paint) while the scan of 300
// installed applications is still running; the counter "fill_ms" is how
// long the list took to fill once the scan ended.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>

#include "dial_rig.h"
#include "bench_rig.h"
#include "editor/slot_library_column.h"
#include "sheets/slot_editor_model.h"
#include "sheets/slot_editor_view.h"
#include "sheets/slot_sheet_factory.h"
#include "slots/system_app_provider.h"

using namespace orbel;

namespace {

void BM_EditSaveToDial(benchmark::State& state) {
    bench::DialRig dial;
    SlotEditorModel page(dial.manager);
    int n = 0;
    for (auto _ : state) {
        page.beginEdit(2);
        SlotConfig edited = page.editing()->slot;
        edited.title = "Edited " + std::to_string(++n);
        if (!page.commitEdit(edited)) {
            state.SkipWithError("the edit was not stored");
            break;
        }
        dial.controller.show();
        dial.controller.hide();
        state.PauseTiming();
        dial.manager.flushSaves();  // the writes are the save queue's, not the edit's
        state.ResumeTiming();
    }
    if (dial.controller.currentSlots().size() != 6) state.SkipWithError("the dial lost slots");
}
BENCHMARK(BM_EditSaveToDial)->Unit(benchmark::kMicrosecond);

void BM_PageOpensWhileScanning(benchmark::State& state) {
    bench::offscreenApp();
    bench::DialRig dial;
    double fillMs = 0;
    for (auto _ : state) {
        bench::GatedDirectory directory(300);  // 300 installed applications
        fakes::ReplaceShared<platform::AppDirectory> useDirectory{directory};
        SystemAppProvider provider;
        fakes::ReplaceShared<SystemAppProvider> useProvider{provider};
        QElapsedTimer timer;
        timer.start();
        SlotEditorView page(dial.manager, makeSlotSheetFactory());
        page.resize(920, 580);
        page.show();
        benchmark::DoNotOptimize(page.grab());  // the first paint, scan still running
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        if (!page.library()->model().isLoadingApps) state.SkipWithError("the scan ended before the page opened");
        QElapsedTimer fill;
        fill.start();
        directory.release();
        bench::waitFor([&] { return !page.library()->model().isLoadingApps; });
        fillMs += double(fill.nsecsElapsed()) / 1e6;
    }
    state.counters["fill_ms"] = benchmark::Counter(fillMs, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_PageOpensWhileScanning)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
