// The editor's widgets under the offscreen platform: constructed drag
// events on the real ring, trash and empty target; the library column, the
// pickers and the popover driven through their widgets. Each saves a PNG
// under test-artifacts/editor for a person to look at.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QToolButton>
#include <cmath>
#include <numbers>

#include "editor/dial_editor_view.h"
#include "editor/editor_widgets.h"
#include "ui/parameterized_action_editor.h"
#include "editor/picker_views.h"
#include "editor/slot_library_column.h"
#include "fakes/fake_system_platform.h"
#include "fakes/replace_shared.h"
#include "slots/system_app_provider.h"
#include "support/widget_pictures.h"

using namespace orbel;
using namespace orbel::editor;

namespace {

// Light, dark and at twice the pixels.
void save(QWidget* w, const QString& name) {
    QCoreApplication::processEvents();  // lets lists lay out their rows
    QCoreApplication::processEvents();
    orbel::testing::savePictures(*w, "editor", name);
}

// The point at clockwise fraction f of a turn, on the ring's middle circle.
QPoint ringPoint(double f) {
    const double a = 2 * std::numbers::pi * f, r = 114.375, c = kRingWidgetSide / 2;
    return QPointF(c + r * std::sin(a), c - r * std::cos(a)).toPoint();
}

// A host that applies the editor's callbacks to its own list, as the slot
// editor pages do.
struct Host {
    std::vector<SlotConfig> slots;
    std::vector<std::string> calls;
    std::unique_ptr<RadialDialEditor> editor;

    explicit Host(std::vector<SlotConfig> initial) : slots(std::move(initial)) {
        DialEditorCallbacks cb;
        cb.onInsert = [this](const SlotConfig& s, int i) { apply("insert " + s.title, [&] { slots.insert(slots.begin() + i, s); }); };
        cb.onSwap = [this](int a, int b) { apply("swap", [&] { std::swap(slots[size_t(a)], slots[size_t(b)]); }); };
        cb.onRemove = [this](int i) { apply("remove", [&] { slots.erase(slots.begin() + i); }); };
        cb.onReplace = [this](int i, const SlotConfig& s) { apply("replace " + s.title, [&] { slots[size_t(i)] = s; }); };
        cb.onEdit = [this](int i) { calls.push_back("edit " + std::to_string(i)); };
        editor = std::make_unique<RadialDialEditor>(slots, 6, cb);
        editor->resize(editor->sizeHint());
        editor->show();
    }
    template <class F>
    void apply(const std::string& call, F change) {
        calls.push_back(call);
        change();
        editor->setSlots(slots);
    }
    std::string titles() const {
        std::string out;
        for (const auto& s : slots) out += s.title + ";";
        return out;
    }
};

std::vector<SlotConfig> named(std::vector<std::string> titles) {
    std::vector<SlotConfig> out;
    const auto& actions = SystemAction::parameterlessCases();
    for (auto& t : titles) out.push_back(SlotConfig::make(SlotType::action(actions[out.size() * 4]), t));
    return out;
}

// Sends a drag of `payload` into `target` at `from`, moves it to `to` and,
// unless `drop` is false, drops it there. Returns whether the entry was accepted.
bool dragInto(QWidget* target, const SlotDragPayload& payload, QPoint from, QPoint to, bool drop = true,
              const std::function<void()>& whileOver = {}) {
    QMimeData mime;
    mime.setText(QString::fromStdString(payload.exportString()));
    QDragEnterEvent enter(from, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) return false;
    QDragMoveEvent move(to, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    if (whileOver) whileOver();
    if (drop) {
        QDropEvent dropped(to, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &dropped);
    } else {
        QDragLeaveEvent leave;
        QApplication::sendEvent(target, &leave);
    }
    return true;
}

const SlotDragPayload kFiles = SlotDragPayload::libraryApp("org.gnome.Nautilus", "Files");

class EditorWidgets : public ::testing::Test {
protected:
    fakes::Installed<fakes::FakeWorkspace, platform::Workspace> workspace;
    fakes::Installed<fakes::FakeAppDirectory, platform::AppDirectory> directory;
    SystemAppProvider provider;
    fakes::ReplaceShared<SystemAppProvider> useProvider{provider};
};

}  // namespace

TEST_F(EditorWidgets, LibraryDropInsertsAtTheGapAndShowsTheGhost) {
    Host host(named({"A", "B", "C"}));
    save(host.editor.get(), "ring-three-slots");
    // f = 0.375 lies in gap 1 of four sectors.
    dragInto(host.editor->ring(), kFiles, ringPoint(0.1), ringPoint(0.375), true, [&] {
        EXPECT_EQ(host.editor->ring()->items().size(), 4u);
        EXPECT_EQ(host.editor->ring()->items()[1].id, kGhostId);
        save(host.editor.get(), "ring-ghost-preview");
    });
    EXPECT_EQ(host.titles(), "A;Files;B;C;");
    EXPECT_TRUE(host.editor->model().coordinator().dragState().isIdle());
    save(host.editor.get(), "ring-four-slots");
}

TEST_F(EditorWidgets, WedgeOnWedgeSwapsAndOnTrashRemoves) {
    Host host(named({"A", "B", "C", "D"}));
    const auto wedge1 = SlotDragPayload::existingSlot(host.slots[1].id);
    dragInto(host.editor->ring(), wedge1, ringPoint(0.25), ringPoint(0.75), true, [&] {
        const auto& items = host.editor->ring()->items();
        EXPECT_DOUBLE_EQ(items[1].opacity, 0.3);
        EXPECT_TRUE(items[3].isHighlighted);
        save(host.editor.get(), "ring-swap-preview");
    });
    EXPECT_EQ(host.titles(), "A;D;C;B;");

    // The trash takes a wedge (lit while over it) and refuses a library item.
    TrashDropZone* trash = host.editor->trash();
    EXPECT_FALSE(dragInto(trash, kFiles, {20, 20}, {20, 20}));
    EXPECT_FALSE(trash->isHighlighted());
    dragInto(trash, SlotDragPayload::existingSlot(host.slots[0].id), {20, 20}, {30, 20}, true, [&] {
        EXPECT_TRUE(trash->isHighlighted());
        EXPECT_EQ(trash->text(), "Release to remove");
        // A wedge's plate held at the trash's middle rides above that text.
        const QPoint middle = trash->rect().center();
        const QRect plate(middle - EditorRing::kDragHotSpot, QSize(52, 52));
        EXPECT_LT(plate.bottom(), middle.y() - trash->fontMetrics().height() / 2);
        save(trash, "trash-targeted");
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return host.slots.size() == 3; }, 5000));
    EXPECT_EQ(host.titles(), "D;C;B;");
    EXPECT_FALSE(trash->isHighlighted());

    // Double click edits; nothing ever shares.
    QTest::mouseDClick(host.editor->ring(), Qt::LeftButton, {}, host.editor->ring()->hitTargetCentre(2).toPoint());
    EXPECT_EQ(host.calls.back(), "edit 2");
}

TEST_F(EditorWidgets, FullDialPromptsNearACentreAndToastsBetween) {
    Host host(named({"A", "B", "C", "D", "E", "F"}));
    dragInto(host.editor->ring(), kFiles, ringPoint(0.1), ringPoint(2.5 / 6));  // between wedges 2 and 3
    EXPECT_EQ(host.editor->toastText(), "Maximum 6 slots reached");
    EXPECT_EQ(host.titles(), "A;B;C;D;E;F;");
    save(host.editor.get(), "ring-full-toast");

    dragInto(host.editor->ring(), kFiles, ringPoint(0.1), ringPoint(2.0 / 6), true, [&] {
        EXPECT_TRUE(host.editor->ring()->items()[2].isHighlighted);
    });
    QMessageBox* box = host.editor->fullDialPromptBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text(), "Slot Limit Reached");
    auto* group = box->findChild<QPushButton*>("group");
    ASSERT_TRUE(group);
    EXPECT_EQ(group->text(), "Group C with Files");
    save(box, "full-dial-prompt");
    group->click();
    EXPECT_EQ(host.titles(), "A;B;Group;D;E;F;");
    const auto* g = host.slots[2].type.get<SlotType::Group>();
    ASSERT_TRUE(g);
    EXPECT_EQ(g->group->slots.size(), 2u);
    EXPECT_EQ(g->group->slots[1].title, "Files");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !host.editor->fullDialPromptBox(); }, 5000));
}

TEST_F(EditorWidgets, EmptyDialTakesLibraryItemsOnly) {
    Host host({});
    EXPECT_TRUE(host.editor->emptyTarget()->isVisible());
    save(host.editor.get(), "ring-empty-target");
    EXPECT_FALSE(dragInto(host.editor->emptyTarget(), SlotDragPayload::existingSlot(Uuid::random()), {166, 166}, {166, 166}));
    dragInto(host.editor->emptyTarget(), kFiles, {166, 166}, {166, 166});
    EXPECT_TRUE(QTest::qWaitFor([&] { return host.slots.size() == 1; }, 5000));
    EXPECT_TRUE(host.editor->ring()->isVisible());
    EXPECT_FALSE(host.editor->emptyTarget()->isVisible());
}

TEST_F(EditorWidgets, LibraryColumnListsAddsAndFilters) {
    for (int i = 0; i < 300; ++i)
        directory.apps.push_back({"app" + std::to_string(i), "Application " + std::to_string(i), "utilities-terminal",
                                  "/usr/share/applications/app" + std::to_string(i) + ".desktop"});
    std::vector<SlotConfig> added;
    SlotLibraryColumn column({LibrarySegment::apps, LibrarySegment::actions},
                             [&](const SlotConfig& s) {
                                 return std::any_of(added.begin(), added.end(),
                                                    [&](const SlotConfig& a) { return a.type.matches(s.type); });
                             },
                             [&](const SlotConfig& s) { added.push_back(s); });
    column.resize(300, 560);
    column.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !column.model().isLoadingApps; }, 10000));
    EXPECT_EQ(column.list()->model()->rowCount(), 300);
    save(&column, "library-apps");

    // A click on a row's plus adds it once; the row then shows as added.
    const int row = column.rowOf("Application 1");
    const QRect rect = column.rowRect(row);
    QTest::mouseClick(column.list()->viewport(), Qt::LeftButton, {}, QPoint(rect.right() - 14, rect.center().y()));
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(added[0].title, "Application 1");
    column.refresh();
    QTest::mouseDClick(column.list()->viewport(), Qt::LeftButton, {}, rect.center());
    EXPECT_EQ(added.size(), 1u);

    column.searchField()->setText("application 29");
    EXPECT_EQ(column.list()->model()->rowCount(), 11);  // 29, 290...299
    column.setSegment(LibrarySegment::actions);
    EXPECT_EQ(column.searchField()->text(), "application 29");  // the search is shared
    column.searchField()->clear();
    save(&column, "library-actions");

    // A valued action goes through its popover: Add with 0.4.
    ParameterPopover* popover = column.openParameterPopover(column.rowOf("Set Volume\u2026"));
    ASSERT_TRUE(popover);
    popover->editor()->setLevel(0.4);
    save(popover, "library-set-volume-popover");
    popover->add();
    EXPECT_EQ(added.back().type, SlotType::action(SystemAction::setVolume(0.4)));
}

TEST_F(EditorWidgets, AppPickerLoadsThenChooses) {
    directory.apps = {{"firefox-esr", "Firefox ESR", "firefox-esr", "/usr/share/applications/firefox-esr.desktop"},
                      {"org.gnome.Nautilus", "Files", "org.gnome.Nautilus", "/usr/share/applications/n.desktop"}};
    std::vector<std::string> chosen;
    auto* picker = new AppPickerView(AppMenuPreset::all(), [&](const AppInfo& a) { chosen.push_back(a.name); }, {});
    picker->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<AppPickerView> alive(picker);
    picker->open();
    EXPECT_EQ(picker->listPage(), 0);
    save(picker, "app-picker-loading");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !picker->model().isLoading; }, 10000));
    save(picker, "app-picker-loaded");
    picker->searchField()->setText("zzz");
    EXPECT_EQ(picker->listPage(), 2);
    EXPECT_EQ(picker->emptyText(), "No matches for \u201Czzz\u201D");
    picker->searchField()->setText("FIRE");
    picker->choose(0);
    EXPECT_EQ(chosen, std::vector<std::string>{"Firefox ESR"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return !alive; }, 5000));
}

// The first button under `in` that says `text`.
QAbstractButton* buttonSaying(QWidget* in, const std::string& text) {
    for (auto* b : in->findChildren<QAbstractButton*>())
        if (b->text() == QString::fromStdString(text) && b->isVisible()) return b;
    ADD_FAILURE() << "no button " << text;
    return nullptr;
}

TEST_F(EditorWidgets, LibraryFilterButtonsAndCategoryMenuFilterTheRows) {
    directory.apps = {{"firefox-esr", "Firefox ESR", "firefox-esr", "/usr/share/applications/firefox-esr.desktop"}};
    std::vector<SlotConfig> added;
    SlotLibraryColumn column({LibrarySegment::apps, LibrarySegment::actions}, [](const SlotConfig&) { return false; },
                             [&](const SlotConfig& s) { added.push_back(s); });
    column.resize(300, 560);
    column.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !column.model().isLoadingApps; }, 10000));
    for (AppFilter filter : {AppFilter::system, AppFilter::installed, AppFilter::running, AppFilter::all}) {
        QTest::mouseClick(buttonSaying(&column, appFilterTitle(filter)), Qt::LeftButton);
        EXPECT_EQ(column.model().appFilter, filter);
    }
    EXPECT_GE(column.rowOf("Firefox ESR"), 0);
    QTest::mouseClick(buttonSaying(&column, "Actions"), Qt::LeftButton);
    EXPECT_EQ(column.model().segment, LibrarySegment::actions);
    EXPECT_GE(column.rowOf("Set Volume\u2026"), 0);
    // The category button's menu: each entry narrows the rows to its category.
    QToolButton* categories = nullptr;
    for (auto* b : column.findChildren<QToolButton*>())
        if (b->menu() && b->isVisible()) categories = b;
    ASSERT_TRUE(categories);
    const int everything = column.list()->model()->rowCount();
    QList<QPointer<QAction>> entries;
    for (QAction* a : categories->menu()->actions()) entries.append(a);
    for (const QPointer<QAction>& entry : entries) {
        ASSERT_TRUE(entry) << "an entry went while another was chosen";
        if (entry->isSeparator() || entry->text() == "All Categories") continue;
        entry->trigger();  // what choosing it in the open menu does
        ASSERT_TRUE(entry) << "an entry went while it was being chosen";
        EXPECT_EQ(column.model().actionFilterLabel(), entry->text().toStdString());
        EXPECT_LT(column.list()->model()->rowCount(), everything) << entry->text().toStdString();
        EXPECT_EQ(categories->text(), entry->text());
        EXPECT_FALSE(entry->icon().isNull()) << "the chosen entry is checked";
    }
    categories->menu()->adjustSize();
    save(categories->menu(), "library-category-menu");  // the check mark on the last category chosen
    // The desktop turning dark redraws the check mark in the dark scheme's ink.
    const QPalette light = QApplication::palette();
    QApplication::setPalette(orbel::testing::darkPalette());
    QCoreApplication::processEvents();
    EXPECT_TRUE(categories->menu()->grab().save(
        QStringLiteral(ORBEL_BINARY_DIR "/test-artifacts/editor/library-category-menu-scheme-dark.png")));
    QApplication::setPalette(light);
    categories->menu()->actions().front()->trigger();
    EXPECT_FALSE(column.model().actionFilter);
    EXPECT_EQ(column.list()->model()->rowCount(), everything);

    // A valued row's popover: its slider by keyboard, then Add; Cancel adds nothing.
    const auto openPopover = [&] {
        const QRect rect = column.rowRect(column.rowOf("Set Volume\u2026"));
        QTest::mouseClick(column.list()->viewport(), Qt::LeftButton, {}, QPoint(rect.right() - 14, rect.center().y()));
        return column.parameterPopover();
    };
    ParameterPopover* popover = openPopover();
    ASSERT_TRUE(popover);
    popover->editor()->slider()->setFocus();
    QTest::keyClick(popover->editor()->slider(), Qt::Key_End);
    QTest::mouseClick(buttonSaying(popover, "Add"), Qt::LeftButton);
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(added[0].type, SlotType::action(SystemAction::setVolume(1.0)));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // the closed popover goes
    popover = openPopover();
    ASSERT_TRUE(popover);
    QTest::mouseClick(buttonSaying(popover, "Cancel"), Qt::LeftButton);
    EXPECT_EQ(added.size(), 1u);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(column.parameterPopover());

    QTest::mouseClick(buttonSaying(&column, "Apps"), Qt::LeftButton);
    EXPECT_EQ(column.model().segment, LibrarySegment::apps);
}

TEST_F(EditorWidgets, AppPickerCategoryButtonsClearSearchAddAndCancel) {
    directory.apps = {{"firefox-esr", "Firefox ESR", "firefox-esr", "/usr/share/applications/firefox-esr.desktop"}};
    std::vector<std::string> chosen;
    auto* picker = new AppPickerView(AppMenuPreset::all(), [&](const AppInfo& a) { chosen.push_back(a.name); }, {});
    picker->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<AppPickerView> alive(picker);
    picker->open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !picker->model().isLoading; }, 10000));
    for (AppCategory category : picker->model().visibleCategories()) {
        QTest::mouseClick(buttonSaying(picker, appCategoryTitle(category)), Qt::LeftButton);
        EXPECT_EQ(picker->model().selectedCategory, category);
    }
    QTest::mouseClick(buttonSaying(picker, "All Apps"), Qt::LeftButton);
    QTest::keyClicks(picker->searchField(), "zzz");
    EXPECT_EQ(picker->listPage(), 2);
    QTest::mouseClick(buttonSaying(picker, "Clear search"), Qt::LeftButton);
    EXPECT_TRUE(picker->searchField()->text().isEmpty());
    EXPECT_EQ(picker->listPage(), 1);
    const QRect first = picker->list()->visualItemRect(picker->list()->item(0));
    QTest::mouseClick(picker->list()->viewport(), Qt::LeftButton, {}, first.center());
    QTest::mouseClick(picker->addButton(), Qt::LeftButton);
    EXPECT_EQ(chosen, std::vector<std::string>{"Firefox ESR"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return !alive; }, 5000));

    // Cancel closes the picker and chooses nothing.
    picker = new AppPickerView(AppMenuPreset::all(), [&](const AppInfo& a) { chosen.push_back(a.name); }, {});
    picker->setAttribute(Qt::WA_DeleteOnClose);
    alive = picker;
    picker->open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !picker->model().isLoading; }, 10000));
    QTest::mouseClick(buttonSaying(picker, "Cancel"), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !alive; }, 5000));
    EXPECT_EQ(chosen.size(), 1u);
}

TEST_F(EditorWidgets, ActionPickerAndAddSlotPopover) {
    std::optional<std::pair<SystemAction, std::string>> result;
    ActionPickerView picker(SystemAction::setVolume(0.3), {},
                            [&](const SystemAction& a, const std::string& t) { result = {a, t}; });
    picker.open();
    EXPECT_TRUE(picker.card(SystemAction::Kind::setVolume)->isSelected());
    EXPECT_TRUE(picker.levelEditor()->isVisible());
    EXPECT_FALSE(picker.titleField()->isEnabled());
    picker.levelEditor()->slider()->setValue(70);
    save(&picker, "action-picker-set-volume");
    picker.addButton()->click();
    ASSERT_TRUE(result);
    EXPECT_EQ(result->first, SystemAction::setVolume(0.7));
    EXPECT_EQ(result->second, SystemAction::setVolume(0.7).title());

    std::vector<AddSlotKind> picks;
    AddSlotPopover popover([&](AddSlotKind k) { picks.push_back(k); });
    popover.show();
    EXPECT_EQ(popover.findChildren<QWidget*>("divider").size(), 5);
    QWidget* cycling = popover.row(AddSlotKind::cycling);
    QTest::mouseClick(cycling, Qt::LeftButton, {}, QPoint(cycling->width() - 5, cycling->height() / 2));
    EXPECT_EQ(picks, std::vector<AddSlotKind>{AddSlotKind::cycling});
    save(&popover, "add-slot-popover");
}
