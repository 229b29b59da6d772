// The road of one extra-mouse-button event to the activation callbacks, on
// in-memory input: a click of another button that only passes by, and a
// press and release of the armed hold button up to its two callbacks.
#include <benchmark/benchmark.h>

#include "fakes/fake_global_hotkeys.h"
#include "fakes/fake_input_monitor.h"
#include "fakes/fake_permissions.h"
#include "fakes/fake_platform_basics.h"
#include "input/hotkey_manager.h"

using namespace orbel;

namespace {

struct Activation {
    Activation() {
        platform::MainQueue::setShared(&queue);
        platform::Permissions::setShared(&permissions);
        manager.onHoldOpen = [this] { ++opened; };
        manager.onHoldRelease = [this] { ++released; };
        manager.apply(ActivationMode::hold(HoldBinding::mouseButton(3)));
    }
    ~Activation() {
        platform::MainQueue::setShared(nullptr);
        platform::Permissions::setShared(nullptr);
    }
    fakes::FakeMainQueue queue;
    fakes::FakePermissions permissions;
    fakes::FakeGlobalHotkeys hotkeys;
    fakes::FakeInputMonitor monitor;
    HotkeyManager manager{hotkeys, monitor};
    long opened = 0, released = 0;
};

void BM_OtherButtonPassesBy(benchmark::State& state) {
    Activation a;
    for (auto _ : state) a.monitor.click(4);
    if (a.queue.pending() != 0) state.SkipWithError("another button reached the dial");
}
BENCHMARK(BM_OtherButtonPassesBy);

void BM_HoldButtonPressAndRelease(benchmark::State& state) {
    Activation a;
    for (auto _ : state) {
        a.monitor.click(3);
        a.queue.runAll();
    }
    if (a.opened != a.released || a.opened != static_cast<long>(state.iterations()))
        state.SkipWithError("a press or release went missing");
}
BENCHMARK(BM_HoldButtonPressAndRelease);

}  // namespace
