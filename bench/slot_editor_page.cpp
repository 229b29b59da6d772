// One edit on the root dial's slot editor page, from the sheet's Save to
// the dial showing it: the page validates and publishes the configuration
// and queues its save, and the dial opens on the new slots. And the page
// itself opening (built, shown, first paint) while the scan of 300
// installed applications is still running; the counter "fill_ms" is how
// long the list took to fill once the scan ended.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <condition_variable>
#include <mutex>

#include "dial_rig.h"
#include "editor/slot_library_column.h"
#include "sheets/slot_editor_page_model.h"
#include "sheets/slot_editor_page_view.h"
#include "sheets/slot_sheet_factory.h"
#include "slots/system_app_provider.h"

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

QApplication& app() {
    static int argc = 1;
    static char name[] = "bench_slot_editor_page";
    static char* argv[] = {name, nullptr};
    static QApplication* instance = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *instance;
}

// 300 installed applications behind a scan that waits until released.
class GatedDirectory : public platform::AppDirectory {
public:
    GatedDirectory() {
        for (int i = 0; i < 300; ++i)
            apps_.push_back({"org.example.App" + std::to_string(i), "Application " + std::to_string(i), "",
                             "/usr/share/applications/org.example.App" + std::to_string(i) + ".desktop"});
    }
    std::vector<platform::InstalledApp> allApps() override {
        std::unique_lock lock(mutex_);
        released_.wait(lock, [this] { return open_; });
        return apps_;
    }
    void release() {
        std::lock_guard lock(mutex_);
        open_ = true;
        released_.notify_all();
    }

private:
    std::vector<platform::InstalledApp> apps_;
    std::mutex mutex_;
    std::condition_variable released_;
    bool open_ = false;
};

void BM_PageOpensWhileScanning(benchmark::State& state) {
    app();
    bench::DialRig dial;
    double fillMs = 0;
    for (auto _ : state) {
        GatedDirectory directory;
        fakes::ReplaceShared<platform::AppDirectory> useDirectory{directory};
        SystemAppProvider provider;
        fakes::ReplaceShared<SystemAppProvider> useProvider{provider};
        QElapsedTimer timer;
        timer.start();
        SlotEditorPageView page(dial.manager, makeSlotSheetFactory());
        page.resize(920, 580);
        page.show();
        benchmark::DoNotOptimize(page.grab());  // the first paint, scan still running
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        if (!page.library()->model().isLoadingApps) state.SkipWithError("the scan ended before the page opened");
        QElapsedTimer fill;
        fill.start();
        directory.release();
        while (page.library()->model().isLoadingApps && fill.elapsed() < 30000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            QThread::msleep(1);
        }
        fillMs += double(fill.nsecsElapsed()) / 1e6;
    }
    state.counters["fill_ms"] = benchmark::Counter(fillMs, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_PageOpensWhileScanning)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
