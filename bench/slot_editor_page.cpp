// One edit on the root dial's slot editor page, from the sheet's Save to
// the dial showing it: the page validates and publishes the configuration
// and queues its save, and the dial opens on the new slots.
#include <benchmark/benchmark.h>

#include "dial_rig.h"
#include "sheets/slot_editor_page_model.h"

using namespace orbel;

namespace {

void BM_EditSaveToDial(benchmark::State& state) {
    bench::DialRig dial;
    SlotEditorPageModel page(dial.manager);
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

}  // namespace
