// The dial's controller on an in-memory surface: one show and hide of a
// six-slot root, and one pointer move that keeps the same wedge highlighted.
// Signpost lines are built but dropped by a sink, so the figures are the
// controller's own work.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include "config/config_manager.h"
#include "dial/radial_menu_controller.h"
#include "fakes/replace_shared.h"
#include "fakes/fake_dial_surface.h"
#include "fakes/fake_platform_basics.h"
#include "fakes/replace_shared.h"
#include "fakes/fake_system_platform.h"
#include "platform/log.h"

using namespace orbel;

namespace {

struct Dial {
    Dial() {
        platform::Workspace::setShared(&workspace);
        platform::Log::setSink([](platform::LogCategory, const std::string&) {});
        AppConfig config;
        for (int i = 0; i < 6; ++i) config.rootGroup.slots.push_back(SlotConfig::make(SlotType::app("app" + std::to_string(i)), "App"));
        manager.setConfig(config);
        controller.loadSlots(config.rootGroup.slots);
    }
    ~Dial() {
        controller.hide();
        platform::Log::setSink({});
        platform::Workspace::setShared(nullptr);
    }
    QTemporaryDir dir;
    fakes::FakeKeyValueStore defaults;
    fakes::ReplaceShared<platform::KeyValueStore> useDefaults{defaults};
    fakes::FakeWorkspace workspace;
    fakes::FakeDialSurface surface;
    ConfigManager manager{dir.path().toStdString() + "/config.json",
                          ProfileStore(dir.path().toStdString() + "/profiles")};
    RadialMenuController controller{&manager, surface};
};

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
