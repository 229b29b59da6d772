// The icon picker with the largest shipped pack (Material Design Icons,
// 7,188 glyphs): one keystroke as the search sees it (the folded index), and
// one keystroke through the whole sheet (field, search, grid model, layout
// and the drawing of the visible cells). Each iteration types the next
// character of a few words, clearing between words.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <QTableView>

#include "fakes/fake_icon_platform.h"
#include "icons/icon_catalog.h"
#include "icons/icon_picker_model.h"
#include "icons/icon_picker_view.h"
#include "ui/search_field.h"
#include "bench_rig.h"

using namespace orbel;

namespace {

const IconPack kLargest{"mdi"};
const std::vector<std::string> kWords{"arrow-left", "home", "account-circle", "zzz", "fil"};

QApplication& app() { return bench::benchApp(bench::haveDisplay() ? nullptr : "offscreen"); }

IconCatalog& catalog() {
    app();  // fonts need the application
    static auto* c = [] {
        auto* made = new IconCatalog(platform::Bundle::shared(), platform::Fonts::shared(), platform::Symbols::shared());
        made->bootstrap();
        return made;
    }();
    return *c;
}

// Every prefix of every word, in typing order.
std::vector<std::string> keystrokes() {
    std::vector<std::string> out;
    for (const auto& word : kWords)
        for (std::size_t n = 1; n <= word.size(); ++n) out.push_back(word.substr(0, n));
    return out;
}

void BM_SearchLargestPackPerKeystroke(benchmark::State& state) {
    const auto& entries = catalog().entries(kLargest);
    if (entries.size() < 7000) return state.SkipWithError("the shipped packs are missing");
    const IconPackIndex index(kLargest, entries);
    const auto typed = keystrokes();
    std::size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(index.search(typed[i++ % typed.size()]).size());
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}
BENCHMARK(BM_SearchLargestPackPerKeystroke)->Unit(benchmark::kMillisecond);

void BM_PickerKeystrokeLargestPack(benchmark::State& state) {
    app();
    if (catalog().entries(kLargest).size() < 7000) return state.SkipWithError("the shipped packs are missing");
    IconPickerView view(IconPickerModel::withCatalog(SlotIcon::symbolPack(kLargest, "home"), catalog()), catalog());
    view.show();
    while (view.model().isLoading()) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QLineEdit* field = view.searchField()->lineEdit();
    const auto typed = keystrokes();
    std::size_t i = 0;
    for (auto _ : state) {
        // A keystroke: the field's text changes, the results follow, and the
        // grid lays out and draws what is visible.
        field->setText(QString::fromStdString(typed[i++ % typed.size()]));
        view.grid()->viewport()->repaint();
        QCoreApplication::processEvents();
    }
    state.counters["results"] = static_cast<double>(view.model().results().size());
}
BENCHMARK(BM_PickerKeystrokeLargestPack)->Unit(benchmark::kMillisecond);

}  // namespace
