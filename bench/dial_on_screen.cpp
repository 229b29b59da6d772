// The dial as users feel it, on a real X server (run under
// scripts/desktop-session; xcompmgr is started when it is installed, unless
// ORBEL_BENCH_COMPOSITOR=0):
// - from the call that shows the dial to its first pixels on screen, read
//   back through a second X connection (30 openings: median and spread);
// - the CPU cost of a pointer move that changes the highlight, and of one
//   that does not, including the repaint it causes.
// Without an X display every benchmark reports that it was skipped.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <csignal>
#include <sys/prctl.h>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QWidget>
#include <cstdlib>

#include "config/config_manager.h"
#include "dial/dial_panels.h"
#include "dial/radial_menu_controller.h"
#include "fakes/fake_platform_basics.h"
#include "fakes/replace_shared.h"
#include "platform/log.h"
#include "platform/screen_capture.h"
#include "bench_rig.h"

using namespace orbel;

namespace {

QApplication& app() { return bench::benchApp("xcb"); }

struct Desk {
    Desk() {
        app();
        platform::Log::setSink([](platform::LogCategory, const std::string&) {});
        // ORBEL_BENCH_COMPOSITOR=0 measures without one, for comparison.
        if (qgetenv("ORBEL_BENCH_COMPOSITOR") != "0" && !QStandardPaths::findExecutable("xcompmgr").isEmpty() &&
            !platform::ScreenCapture::shared().compositorRunning()) {
            // The desk lives until the process ends: the compositor ends with it.
            compositor.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
            compositor.start("xcompmgr", {});
            for (int i = 0; i < 200 && !platform::ScreenCapture::shared().compositorRunning(); ++i) settle(10);
        }
        behind.setStyleSheet("background: #204060");
        behind.setGeometry(QGuiApplication::primaryScreen()->geometry());
        behind.show();
        settle(300);
        AppConfig config;
        for (int i = 0; i < 6; ++i)
            config.rootGroup.slots.push_back(SlotConfig::make(SlotType::snippet("s"), "Slot " + std::to_string(i)));
        manager.setConfig(config);
        dial.loadSlots(config.rootGroup.slots);
        panels.setController(&dial);
        centre = QGuiApplication::primaryScreen()->geometry().center();
    }
    ~Desk() {
        dial.hide();
        compositor.kill();
        compositor.waitForFinished(2000);
        platform::Log::setSink({});
    }
    static void settle(int ms) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    QRgb pixelAtCentre() const {
        const QImage shot = platform::ScreenCapture::shared().capture(QRect(centre, QSize(1, 1)), 1);
        return shot.isNull() ? 0 : shot.pixel(0, 0);
    }

    QProcess compositor;
    QWidget behind;
    QTemporaryDir dir;
    fakes::FakeKeyValueStore defaults;
    fakes::ReplaceShared<platform::KeyValueStore> useDefaults{defaults};
    ConfigManager manager{dir.filePath("config.json").toStdString(), ProfileStore(dir.filePath("p").toStdString())};
    dial::DialPanels panels;
    RadialMenuController dial{&manager, panels};
    QPoint centre;
};

Desk& desk() {
    app();
    static Desk* d = new Desk;
    return *d;
}

void BM_ShowToFirstPixels(benchmark::State& state) {
    if (!bench::haveDisplay()) return state.SkipWithError("needs an X display");
    Desk& d = desk();
    d.dial.hide();
    Desk::settle(100);
    const QRgb background = d.pixelAtCentre();
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        d.dial.show();
        while (d.pixelAtCentre() == background && clock.elapsed() < 2000)
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        state.PauseTiming();
        d.dial.hide();
        while (d.pixelAtCentre() != background) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        Desk::settle(20);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ShowToFirstPixels)->UseManualTime()->Iterations(1)->Repetitions(30)->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

// One hover update and the repaint it asks for, alternating between two
// points: in two wedges (the highlight changes) or in one.
void hover(benchmark::State& state, QPointF a, QPointF b) {
    if (!bench::haveDisplay()) return state.SkipWithError("needs an X display");
    Desk& d = desk();
    if (!d.dial.isVisible()) d.dial.show();
    Desk::settle(100);
    const QPointF centre = d.dial.hoverState().centerPoint;
    bool flip = false;
    for (auto _ : state) {
        flip = !flip;
        d.dial.updateHover(centre + (flip ? a : b));
        QCoreApplication::sendPostedEvents();  // the repaint of the dirty wedges
        QCoreApplication::processEvents();
    }
}
void BM_PointerMoveChangingHighlight(benchmark::State& state) { hover(state, {0, -150}, {150, -60}); }
void BM_PointerMoveKeepingHighlight(benchmark::State& state) { hover(state, {-3, -150}, {3, -150}); }
BENCHMARK(BM_PointerMoveChangingHighlight)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PointerMoveKeepingHighlight)->Unit(benchmark::kMicrosecond);

}  // namespace
