// The settings window: opening it (the first time in the process, and
// again), switching tabs, and whether closing it gives its memory back
// (resident memory after ten open/close cycles against after the first, in
// the counter "rss_growth_kb"). Runs offscreen without a display.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

#include "config/config_manager.h"
#include "config/import_coordinator.h"
#include "fakes/fake_global_hotkeys.h"
#include "fakes/fake_input_monitor.h"
#include "fakes/fake_platform_basics.h"
#include "fakes/replace_shared.h"
#include "input/hotkey_manager.h"
#include "platform/log.h"
#include "settings/login_item_manager.h"
#include "settings/preferences_view.h"
#include "bench_rig.h"

using namespace orbel;

namespace {

QApplication& app() { return bench::benchApp(bench::haveDisplay() ? nullptr : "offscreen"); }

class NoLoginItem : public platform::LoginItem {
public:
    bool isEnabled() const override { return false; }
    std::optional<std::string> enable() override { return std::nullopt; }
    std::optional<std::string> disable() override { return std::nullopt; }
};

struct Services {
    Services() {
        app();
        platform::Log::setSink([](platform::LogCategory, const std::string&) {});
    }
    fakes::TempAppPaths paths;
    fakes::ReplaceShared<platform::AppPaths> usePaths{paths};
    fakes::FakeKeyValueStore defaults;
    fakes::ReplaceShared<platform::KeyValueStore> useDefaults{defaults};
    ConfigManager config{paths.configDir() + "/config.json", ProfileStore(paths.configDir() + "/profiles")};
    fakes::FakeGlobalHotkeys hotkeys;
    fakes::FakeInputMonitor monitor;
    HotkeyManager hotkeyManager{hotkeys, monitor};
    NoLoginItem loginBackend;
    LoginItemManager loginItem{loginBackend};
    ImportCoordinator import;
};

Services& services() {
    static Services* s = new Services;
    return *s;
}

// Builds, shows and paints the window once; closes it when `close`.
std::unique_ptr<PreferencesView> openWindow() {
    auto& s = services();
    auto view = std::make_unique<PreferencesView>(s.config, s.hotkeyManager, s.loginItem, s.import);
    view->resize(PreferencesView::kWidth, PreferencesView::kHeight);
    view->show();
    view->repaint();
    return view;
}

long residentKb() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

void BM_OpenSettingsWindowFirstTime(benchmark::State& state) {
    services();
    static double firstMs = -1;
    for (auto _ : state) {
        if (firstMs < 0) {
            QElapsedTimer timer;
            timer.start();
            auto view = openWindow();
            firstMs = timer.nsecsElapsed() / 1e6;
        }
    }
    state.counters["first_open_ms"] = firstMs;
}
BENCHMARK(BM_OpenSettingsWindowFirstTime)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_OpenSettingsWindowAgain(benchmark::State& state) {
    services();
    for (auto _ : state) {
        auto view = openWindow();
        state.PauseTiming();
        view.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenSettingsWindowAgain)->Unit(benchmark::kMillisecond);

void BM_SwitchTab(benchmark::State& state) {
    auto view = openWindow();
    std::size_t i = 0;
    for (SettingsTab tab : kAllSettingsTabs) view->model().selectTab(tab);  // every page made once
    for (auto _ : state) {
        view->model().selectTab(kAllSettingsTabs[i++ % kAllSettingsTabs.size()]);
        view->repaint();
    }
}
BENCHMARK(BM_SwitchTab)->Unit(benchmark::kMicrosecond);

void BM_MemoryAfterTenOpenCloseCycles(benchmark::State& state) {
    services();
    auto cycle = [] {
        auto view = openWindow();
        for (SettingsTab tab : kAllSettingsTabs) view->model().selectTab(tab);
        view->repaint();
        view.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    };
    long first = 0, last = 0;
    for (auto _ : state) {
        cycle();
        first = residentKb();
        for (int n = 1; n < 10; ++n) cycle();
        last = residentKb();
    }
    state.counters["rss_growth_kb"] = double(last - first);
}
BENCHMARK(BM_MemoryAfterTenOpenCloseCycles)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
