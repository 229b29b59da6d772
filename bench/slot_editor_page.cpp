// One edit on the root dial's slot editor page, from the sheet's Save to
// the dial showing it: the page validates and publishes the configuration
// and queues its save, and the dial opens on the new slots.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include "config/config_manager.h"
#include "dial/radial_menu_controller.h"
#include "fakes/fake_dial_surface.h"
#include "fakes/fake_platform_basics.h"
#include "fakes/fake_system_platform.h"
#include "fakes/replace_shared.h"
#include "platform/log.h"
#include "sheets/slot_editor_page_model.h"

using namespace orbel;

namespace {

struct Page {
    Page() {
        platform::Workspace::setShared(&workspace);
        platform::Log::setSink([](platform::LogCategory, const std::string&) {});
        AppConfig config;
        for (int i = 0; i < 6; ++i) {
            config.rootGroup.slots.push_back(SlotConfig::make(SlotType::snippet("text " + std::to_string(i)), "Snippet"));
        }
        manager.setConfig(config);
    }
    ~Page() {
        controller.hide();
        manager.flushSaves();
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
    SlotEditorPageModel page{manager};
};

void BM_EditSaveToDial(benchmark::State& state) {
    Page p;
    int n = 0;
    for (auto _ : state) {
        p.page.beginEdit(2);
        SlotConfig edited = p.page.editing()->slot;
        edited.title = "Edited " + std::to_string(++n);
        if (!p.page.commitEdit(edited)) state.SkipWithError("the edit was not stored");
        p.controller.show();
        p.controller.hide();
        state.PauseTiming();
        p.manager.flushSaves();  // the writes are the save queue's, not the edit's
        state.ResumeTiming();
    }
    if (p.controller.currentSlots().size() != 6) state.SkipWithError("the dial lost slots");
}
BENCHMARK(BM_EditSaveToDial)->Unit(benchmark::kMicrosecond);

}  // namespace
