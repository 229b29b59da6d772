// The dial editor's interface work: the library column's first paint while
// a scan of 1,000 desktop entries is still running (the list fills when it
// ends), one keystroke of filtering over those 1,000 entries, and drag moves
// over the editor ring (counting the ring's repaints per move).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDragMoveEvent>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QThread>
#include <cmath>
#include <numbers>

#include "editor/dial_editor_view.h"
#include "bench_rig.h"
#include "editor/slot_library_column.h"
#include "fakes/fake_system_platform.h"
#include "fakes/replace_shared.h"
#include "slots/system_app_provider.h"

using namespace orbel;
using namespace orbel::editor;

namespace {

constexpr int kEntries = 1000;

struct Platform {
    fakes::Installed<fakes::FakeWorkspace, platform::Workspace> workspace;
};

void BM_LibraryFirstPaintWhileScanning(benchmark::State& state) {
    bench::offscreenApp();
    Platform platform;
    double fillMs = 0;
    for (auto _ : state) {
        bench::GatedDirectory directory(kEntries);
        fakes::ReplaceShared<platform::AppDirectory> useDirectory{directory};
        SystemAppProvider provider;
        fakes::ReplaceShared<SystemAppProvider> useProvider{provider};
        QElapsedTimer timer;
        timer.start();
        SlotLibraryColumn column({LibrarySegment::apps, LibrarySegment::actions}, {}, {});
        column.resize(300, 560);
        column.show();
        benchmark::DoNotOptimize(column.grab());  // the first paint, scan still running
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        QElapsedTimer fill;
        fill.start();
        directory.release();
        bench::waitFor([&] { return !column.model().isLoadingApps; });
        fillMs += double(fill.nsecsElapsed()) / 1e6;
    }
    state.counters["fill_ms"] = benchmark::Counter(fillMs, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_LibraryFirstPaintWhileScanning)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_LibraryFilterKeystroke(benchmark::State& state) {
    bench::offscreenApp();
    Platform platform;
    bench::GatedDirectory directory(kEntries);
    directory.release();
    fakes::ReplaceShared<platform::AppDirectory> useDirectory{directory};
    SystemAppProvider provider;
    fakes::ReplaceShared<SystemAppProvider> useProvider{provider};
    SlotLibraryColumn column({LibrarySegment::apps, LibrarySegment::actions}, [](const SlotConfig&) { return false; },
                             {});
    column.resize(300, 560);
    column.show();
    bench::waitFor([&] { return !column.model().isLoadingApps; });
    const QString texts[] = {"a", "ap", "app", "appl", "application 9", "application 99", ""};
    std::size_t i = 0;
    for (auto _ : state) {
        column.searchField()->setText(texts[i++ % std::size(texts)]);
        benchmark::DoNotOptimize(column.list()->model()->rowCount());
    }
}
BENCHMARK(BM_LibraryFilterKeystroke)->Unit(benchmark::kMicrosecond);

// Moves of a library drag over a five-slot ring, 64 per turn around it: the
// ring repaints only when the gap under the pointer changes.
void BM_RingDragMove(benchmark::State& state) {
    bench::offscreenApp();
    Platform platform;
    std::vector<SlotConfig> slots;
    for (int i = 0; i < 5; ++i) slots.push_back(SlotConfig::make(SlotType::app("a" + std::to_string(i)), "A"));
    RadialDialEditor editor(slots, 6, {});
    editor.show();
    QApplication::processEvents();
    QMimeData mime;
    mime.setText(QString::fromStdString(SlotDragPayload::libraryApp("x", "X").exportString()));
    EditorRing* ring = editor.ring();
    QDragEnterEvent enter(QPoint(184, 68), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(ring, &enter);
    const int before = ring->paintCount();
    long moves = 0;
    for (auto _ : state) {
        const double a = 2 * std::numbers::pi * double(moves % 64) / 64;
        QDragMoveEvent move(QPointF(184 + 114 * std::sin(a), 184 - 114 * std::cos(a)).toPoint(), Qt::CopyAction, &mime,
                            Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(ring, &move);
        QApplication::processEvents();  // paints what was invalidated
        ++moves;
    }
    state.counters["paints_per_move"] = double(ring->paintCount() - before) / double(moves);
}
BENCHMARK(BM_RingDragMove)->Unit(benchmark::kMicrosecond);

}  // namespace
