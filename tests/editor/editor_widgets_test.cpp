// The editor's widgets under the offscreen platform: constructed drag
// events on the real ring, trash and empty target; the library column, the
// pickers and the popover driven through their widgets. Each saves a PNG
// under test-artifacts/editor for a person to look at.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QHBoxLayout>
#include <QDir>
#include <QDragEnterEvent>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <cmath>
#include <functional>
#include <numbers>
#include <optional>

#include "editor/dial_editor_view.h"
#include "editor/editor_widgets.h"
#include "ui/parameterized_action_editor.h"
#include "editor/picker_views.h"
#include "editor/slot_library_column.h"
#include "fakes/fake_system_platform.h"
#include "fakes/replace_shared.h"
#include "slots/system_app_provider.h"
#include "support/shown_text.h"
#include "support/widget_pictures.h"
#include "ui/controls.h"

using namespace orbel;
using namespace orbel::editor;
using orbel::testing::kMarkup;
using orbel::testing::shownText;

namespace {

// Light, dark and at twice the pixels (named apart in the run at a scale of 2).
void save(QWidget* w, const QString& name) {
    QCoreApplication::processEvents();  // lets lists lay out their rows
    QCoreApplication::processEvents();
    orbel::testing::savePictures(*w, "editor", name + qEnvironmentVariable("ORBEL_RENDER_SUFFIX"));
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

// A group that holds slots goes only once the user says so, from the
// context menu or the trash alike; Cancel is the default.
TEST_F(EditorWidgets, RemovingAGroupThatHoldsSlotsAsksFirst) {
    MenuGroup tools;
    tools.title = "Tools";
    tools.slots = named({"1", "2", "3", "4", "5", "6"});
    std::vector<SlotConfig> slots = named({"A"});
    slots.push_back(SlotConfig::make(SlotType::group(tools), "Tools"));
    slots.push_back(SlotConfig::make(SlotType::group(MenuGroup{}), "Empty"));
    Host host(slots);
    EditorRing* ring = host.editor->ring();
    const auto removeFromMenu = [&](int item) {
        const QPoint at = ring->hitTargetCentre(item).toPoint();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, ring->mapToGlobal(at));
        QApplication::sendEvent(ring, &event);
        QMenu* menu = ring->findChild<QMenu*>();
        ASSERT_TRUE(menu);
        for (QAction* action : menu->actions())
            if (action->text() == "Remove") action->trigger();
        menu->close();
    };
    removeFromMenu(1);
    QPointer<QMessageBox> box = host.editor->removalConfirmation();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text(), "Remove group?");
    EXPECT_EQ(box->windowTitle(), "Orbel");
    EXPECT_EQ(box->informativeText(), "The group \"Tools\" and the 6 slots in it will be removed from this dial.");
    EXPECT_EQ(box->defaultButton()->text(), "Cancel");
    EXPECT_EQ(box->escapeButton(), box->defaultButton());
    save(box, "remove-group-alert");
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(host.titles(), "A;Tools;Empty;");

    // The trash asks the same; the group goes on the destructive button.
    dragInto(host.editor->trash(), SlotDragPayload::existingSlot(host.slots[1].id), {20, 20}, {30, 20});
    ASSERT_TRUE(QTest::qWaitFor([&] { return host.editor->removalConfirmation() != nullptr; }, 5000));
    EXPECT_EQ(host.titles(), "A;Tools;Empty;");
    for (auto* button : host.editor->removalConfirmation()->findChildren<QPushButton*>())
        if (button->text() == "Remove \"Tools\"") QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(host.titles(), "A;Empty;");

    // An empty group and any other slot go at once.
    removeFromMenu(1);
    EXPECT_EQ(host.titles(), "A;");
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

// What a drop target answered a drag held still at `at`: the entry, the
// move (the pointer's yes or no) and the drop (what the source is told).
struct DragAnswers {
    bool entered = false;
    bool moved = false;
    bool dropped = false;
};
DragAnswers answersTo(QWidget* target, const QMimeData& mime, QPoint at) {
    DragAnswers answers;
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    answers.entered = enter.isAccepted();
    if (!answers.entered) return answers;
    QDragMoveEvent move(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    answers.moved = move.isAccepted();
    QDropEvent dropped(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &dropped);
    answers.dropped = dropped.isAccepted() && dropped.dropAction() == Qt::CopyAction;
    return answers;
}

// What a file manager's drag of a file carries: its URL as a URI list and
// as text.
void dropFile(QWidget* target, const QString& path, QPoint at) {
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    mime.setText(QUrl::fromLocalFile(path).toString());
    answersTo(target, mime, at);
}

// A desktop entry dropped from a file manager becomes its application's
// slot, by the library's rules; an entry of nothing installed does nothing.
TEST_F(EditorWidgets, DesktopEntryFromAFileManagerBecomesAnAppSlot) {
    workspace.install("firefox-esr", "Firefox ESR");
    workspace.install("kde4-kate", "Kate");
    Host host({});
    dropFile(host.editor->emptyTarget(), "/usr/share/applications/firefox-esr.desktop", {166, 166});
    ASSERT_TRUE(QTest::qWaitFor([&] { return host.slots.size() == 1; }, 5000));
    EXPECT_EQ(host.slots[0].type, SlotType::app("firefox-esr"));
    EXPECT_EQ(host.titles(), "Firefox ESR;");
    dropFile(host.editor->ring(), "/home/u/Desktop/firefox-esr.desktop", ringPoint(0.75));  // already there
    dropFile(host.editor->ring(), "/home/u/Desktop/my-script.desktop", ringPoint(0.75));    // not installed
    dropFile(host.editor->ring(), "/usr/share/applications/kde4/kate.desktop", ringPoint(0.75));
    EXPECT_EQ(host.titles(), "Firefox ESR;Kate;");
    EXPECT_EQ(host.calls, (std::vector<std::string>{"insert Firefox ESR", "insert Kate"}));
    save(host.editor.get(), "ring-desktop-entries-dropped");
    // The trash takes wedges only.
    dropFile(host.editor->trash(), "/usr/share/applications/firefox-esr.desktop", {20, 20});
    QTest::qWait(50);
    EXPECT_EQ(host.slots.size(), 2u);
}

// Dropped before the installed applications are known, a desktop entry is
// judged once they are, by the same rules: not refused as "not installed" in
// the meantime. Its source is told of nothing done, since nothing was yet.
TEST_F(EditorWidgets, ADesktopEntryDroppedBeforeTheApplicationsAreKnownIsJudgedOnceTheyAre) {
    workspace.install("firefox-esr", "Firefox ESR");
    workspace.install("kde4-kate", "Kate");
    workspace.known = false;
    Host host({});
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile("/usr/share/applications/firefox-esr.desktop")});
    const DragAnswers answers = answersTo(host.editor->emptyTarget(), mime, {166, 166});
    EXPECT_TRUE(answers.entered);
    EXPECT_FALSE(answers.dropped);
    EXPECT_TRUE(host.slots.empty());
    workspace.becomeKnown();
    ASSERT_TRUE(QTest::qWaitFor([&] { return host.slots.size() == 1; }, 5000));
    EXPECT_EQ(host.titles(), "Firefox ESR;");
    // On the ring: one installed, one not, one already there.
    workspace.known = false;
    dropFile(host.editor->ring(), "/home/u/Desktop/my-script.desktop", ringPoint(0.75));
    dropFile(host.editor->ring(), "/usr/share/applications/kde4/kate.desktop", ringPoint(0.75));
    dropFile(host.editor->ring(), "/home/u/Desktop/firefox-esr.desktop", ringPoint(0.75));
    EXPECT_EQ(host.titles(), "Firefox ESR;");
    workspace.becomeKnown();
    EXPECT_TRUE(QTest::qWaitFor([&] { return host.slots.size() == 2; }, 5000));
    EXPECT_EQ(host.titles(), "Firefox ESR;Kate;");
    EXPECT_EQ(host.calls, (std::vector<std::string>{"insert Firefox ESR", "insert Kate"}));
    save(host.editor.get(), "ring-desktop-entries-judged-once-known");
}

// A Shift-drag proposes a move; a file manager told of one removes its file.
// Whether judged now or once the applications are known, a desktop entry is
// only ever taken as a copy, and a drag that offers nothing but a move is
// refused.
TEST_F(EditorWidgets, ADesktopEntryIsNeverTakenAsAMove) {
    workspace.install("firefox-esr", "Firefox ESR");
    Host host({});
    const auto actionsOf = [](QWidget* target, const QString& file, QPoint at, Qt::DropActions offered) {
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(file)});
        std::vector<Qt::DropAction> answers;
        QDragEnterEvent enter(at, offered, &mime, Qt::LeftButton, Qt::ShiftModifier);
        QApplication::sendEvent(target, &enter);
        answers.push_back(enter.isAccepted() ? enter.dropAction() : Qt::IgnoreAction);
        if (!enter.isAccepted()) return answers;
        QDragMoveEvent move(at, offered, &mime, Qt::LeftButton, Qt::ShiftModifier);
        move.setDropAction(enter.dropAction());  // as the toolkit carries the entry's answer on
        move.setAccepted(true);
        QApplication::sendEvent(target, &move);
        answers.push_back(move.isAccepted() ? move.dropAction() : Qt::IgnoreAction);
        QDropEvent dropped(at, offered, &mime, Qt::LeftButton, Qt::ShiftModifier);
        EXPECT_EQ(dropped.proposedAction(), Qt::MoveAction);  // what Shift asks for
        QApplication::sendEvent(target, &dropped);
        answers.push_back(dropped.isAccepted() ? dropped.dropAction() : Qt::IgnoreAction);
        return answers;
    };
    using A = std::vector<Qt::DropAction>;
    const A copied{Qt::CopyAction, Qt::CopyAction, Qt::CopyAction}, refused{Qt::IgnoreAction};
    // Not judged yet: shown as a copy while it moves, and at the drop the
    // source hears that nothing was done, whatever comes of it later.
    const A pending{Qt::CopyAction, Qt::CopyAction, Qt::IgnoreAction};
    const Qt::DropActions both = Qt::CopyAction | Qt::MoveAction;
    const QString absent = "/home/u/Desktop/my-script.desktop", firefox = "/usr/share/applications/firefox-esr.desktop";
    workspace.known = false;
    EXPECT_EQ(actionsOf(host.editor->emptyTarget(), absent, {166, 166}, both), pending);
    EXPECT_EQ(actionsOf(host.editor->emptyTarget(), firefox, {166, 166}, Qt::MoveAction), refused);
    EXPECT_EQ(actionsOf(host.editor->emptyTarget(), firefox, {166, 166}, both), pending);
    workspace.becomeKnown();
    ASSERT_TRUE(QTest::qWaitFor([&] { return host.slots.size() == 1; }, 5000));
    workspace.known = false;
    EXPECT_EQ(actionsOf(host.editor->ring(), absent, ringPoint(0.75), both), pending);
    EXPECT_EQ(actionsOf(host.editor->ring(), absent, ringPoint(0.75), Qt::MoveAction), refused);
    workspace.becomeKnown();
    // Judged at once: an installed entry offered only as a move is refused
    // before anything is added.
    workspace.install("kde4-kate", "Kate");
    const QString kate = "/usr/share/applications/kde4/kate.desktop";
    EXPECT_EQ(actionsOf(host.editor->ring(), kate, ringPoint(0.75), Qt::MoveAction), refused);
    EXPECT_EQ(host.titles(), "Firefox ESR;");
    EXPECT_EQ(actionsOf(host.editor->ring(), kate, ringPoint(0.75), both), copied);
    EXPECT_EQ(host.titles(), "Firefox ESR;Kate;");
}

// The ring refuses what it cannot use, so the pointer shows it and the
// source never hears of a copy that did not happen; what it can use (a
// library item, a desktop entry of an installed application) still goes in.
TEST_F(EditorWidgets, TheRingRefusesDropsItCannotUse) {
    workspace.install("firefox-esr", "Firefox ESR");
    Host host(named({"A", "B"}));
    const auto mimeOf = [](const QString& text, const QString& file = {}) {
        auto mime = std::make_unique<QMimeData>();
        if (!file.isEmpty()) mime->setUrls({QUrl::fromLocalFile(file)});
        mime->setText(text);
        return mime;
    };
    const QString entry = QStringLiteral("/usr/share/applications/firefox-esr.desktop");
    const QString notes = QStringLiteral("/home/u/notes.txt");
    const auto payload = [](const SlotDragPayload& p) { return QString::fromStdString(p.exportString()); };
    struct Row {
        std::unique_ptr<QMimeData> mime;
        QPoint at;
        bool entered, moved, dropped;
    };
    Row rows[] = {
        {mimeOf(QUrl::fromLocalFile(notes).toString(), notes), ringPoint(0.5), false, false, false},  // a file
        {mimeOf(QStringLiteral("hello")), ringPoint(0.5), false, false, false},
        {mimeOf(QUrl::fromLocalFile(entry).toString(), entry), ringPoint(0.5), true, true, true},
        {mimeOf(QUrl::fromLocalFile(entry).toString(), entry), ringPoint(0.5), true, false, false},  // now on the dial
        {mimeOf(payload(kFiles)), host.editor->ring()->rect().center(), true, false, false},  // inside the ring
        {mimeOf(payload(SlotDragPayload::libraryAction("no_such_action"))), ringPoint(0.5), true, false, false},
        {mimeOf(payload(SlotDragPayload::existingSlot(Uuid::random()))), ringPoint(0.5), true, false, false},
        {mimeOf(payload(kFiles)), ringPoint(0.5), true, true, true},
    };
    for (const Row& row : rows) {
        const DragAnswers answers = answersTo(host.editor->ring(), *row.mime, row.at);
        EXPECT_EQ(answers.entered, row.entered) << row.mime->text().toStdString();
        EXPECT_EQ(answers.moved, row.moved) << row.mime->text().toStdString();
        EXPECT_EQ(answers.dropped, row.dropped) << row.mime->text().toStdString();
    }
    EXPECT_EQ(host.calls, (std::vector<std::string>{"insert Firefox ESR", "insert Files"}));
    EXPECT_TRUE(host.editor->model().coordinator().dragState().isIdle());
}

// A custom image that is read after the ring first drew its wedge takes the
// placeholder's place, as on the dial.
TEST_F(EditorWidgets, TheRingShowsACustomImageOnceItIsRead) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("red.png"));
    QImage red(64, 64, QImage::Format_ARGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(path));
    Host host({SlotConfig::make(SlotType::group(MenuGroup{}), "Red", SlotIcon::customImage(path.toStdString()))});
    EditorRing* ring = host.editor->ring();
    // The wedge's picture sits at its middle, where its hit target is.
    const QPoint middle = (ring->hitTargetCentre(0) * ring->devicePixelRatioF()).toPoint();
    const auto middleIsRed = [&] {
        const QColor shown = ring->grab().toImage().pixelColor(middle);
        return shown.red() > 200 && shown.green() < 60 && shown.blue() < 60;
    };
    EXPECT_FALSE(middleIsRed()) << "the placeholder while the file is read";
    EXPECT_TRUE(QTest::qWaitFor(middleIsRed, 5000));
    save(host.editor.get(), "ring-custom-image-read");
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

TEST_F(EditorWidgets, DesktopEntryTextShowsAsItStandsInRowsAndToolTips) {
    const std::string markup = kMarkup.toStdString();
    directory.apps = {{markup, markup, "utilities-terminal", "/usr/share/applications/markup.desktop"}};
    SlotLibraryColumn column({LibrarySegment::apps}, [](const SlotConfig&) { return false; }, [](const SlotConfig&) {});
    column.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !column.model().isLoadingApps; }, 10000));
    const QModelIndex row = column.list()->model()->index(column.rowOf(kMarkup), 0);
    EXPECT_TRUE(shownText(row.data(Qt::ToolTipRole).toString()).contains(kMarkup));

    auto* picker = new AppPickerView(AppMenuPreset::all(), [](const AppInfo&) {}, {});
    picker->setAttribute(Qt::WA_DeleteOnClose);
    picker->open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !picker->model().isLoading; }, 10000));
    ASSERT_EQ(picker->list()->count(), 1);
    EXPECT_EQ(shownText(picker->list()->item(0)->toolTip()), kMarkup);
    picker->searchField()->setText(kMarkup + "zzz");  // the empty state repeats the search
    int empty = 0;
    for (const QLabel* label : picker->findChildren<QLabel*>()) {
        if (label->text() != picker->emptyText()) continue;
        ++empty;
        EXPECT_EQ(shownText(label), "No matches for \u201C" + kMarkup + "zzz\u201D");
    }
    EXPECT_EQ(empty, 1);
    picker->close();
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

// The card chosen when the picker opens is in sight, wherever it lies.
TEST_F(EditorWidgets, ActionPickerOpensWithTheChosenCardInView) {
    for (const SystemAction::Kind kind : {SystemAction::Kind::lockScreen, SystemAction::Kind::setVolume}) {
        ActionPickerView picker(SystemAction(kind, 0.5), {}, {});
        picker.open();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&picker));
        ActionCard* card = picker.card(kind);
        ASSERT_TRUE(card && card->isSelected());
        QWidget* viewport = picker.cardArea()->viewport();
        const QRect shown(card->mapTo(viewport, QPoint(0, 0)), card->size());
        EXPECT_TRUE(viewport->rect().contains(shown)) << SystemAction(kind).identifier();
        if (kind == SystemAction::Kind::lockScreen) save(&picker, "action-picker-lock-screen");
    }
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

// The key Qt would deliver: to the focused widget, else to `fallback`.
void press(QWidget* fallback, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    QWidget* focused = QApplication::focusWidget();
    QTest::keyClick(focused ? focused : fallback, key, modifiers);
}

TEST_F(EditorWidgets, AddSlotPopoverStaysOnTheScreenAndAnswersTheKeys) {
    // Add Slot near the screen's bottom edge, where a window manager may put it.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget window;
    window.setGeometry(screen.left() + 100, screen.bottom() - 60, 300, 50);
    auto* addSlot = new QPushButton("Add Slot", &window);
    addSlot->setGeometry(100, 10, 90, 28);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    std::vector<AddSlotKind> picks;
    QPointer<AddSlotPopover> popover =
        AddSlotPopover::showBelow(addSlot, [&](AddSlotKind k) { picks.push_back(k); }, &window);
    EXPECT_TRUE(screen.contains(popover->frameGeometry())) << "every row on the screen";
    EXPECT_LT(popover->geometry().bottom(), addSlot->mapToGlobal(QPoint(0, 0)).y()) << "above Add Slot";

    const auto& options = addSlotOptions();
    EXPECT_EQ(QApplication::focusWidget(), popover->row(options.front().id)) << "the first row is marked";
    press(popover, Qt::Key_Down);
    press(popover, Qt::Key_Down);
    EXPECT_EQ(QApplication::focusWidget(), popover->row(options[2].id));
    for (int i = 0; i < 3; ++i) press(popover, Qt::Key_Up);
    EXPECT_EQ(QApplication::focusWidget(), popover->row(options.back().id)) << "round, as in a menu";
    save(popover, "add-slot-popover-keyboard");
    press(popover, Qt::Key_Return);
    EXPECT_EQ(picks, std::vector<AddSlotKind>{options.back().id});
    press(popover, Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !popover; }, 2000)) << "Escape closes it";
}

TEST_F(EditorWidgets, TheKeyboardMarksAWedgeEditsItAndOpensItsMenu) {
    Host host(named({"One", "Two", "Three"}));
    EditorRing* ring = host.editor->ring();
    QApplication::setActiveWindow(host.editor.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(host.editor.get()));
    EXPECT_TRUE(ring->focusPolicy() & Qt::TabFocus) << "Tab reaches the ring";
    host.editor->setFocus();
    const QImage without = ring->grab().toImage();
    ring->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(ring->focusedItem(), 0);
    EXPECT_NE(ring->grab().toImage(), without) << "the marked wedge shows";
    QTest::keyClick(ring, Qt::Key_Right);
    EXPECT_EQ(ring->focusedItem(), 1);
    QTest::keyClick(ring, Qt::Key_Left);
    QTest::keyClick(ring, Qt::Key_Left);
    EXPECT_EQ(ring->focusedItem(), 2) << "round";
    save(host.editor.get(), "ring-keyboard-mark");
    QTest::keyClick(ring, Qt::Key_Return);
    EXPECT_EQ(host.calls, std::vector<std::string>{"edit 2"});

    // The menu key: the marked wedge's menu, on the screen; Remove from it.
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(0, 0), ring->mapToGlobal(QPoint(0, 0)));
    QApplication::sendEvent(ring, &menuKey);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_TRUE(menu);
    EXPECT_TRUE(QGuiApplication::primaryScreen()->availableGeometry().contains(menu->geometry()));
    menu->actions().last()->trigger();
    menu->close();
    EXPECT_EQ(host.titles(), "One;Two;");
}

TEST_F(EditorWidgets, DownFromTheAppPickersSearchGoesIntoTheResults) {
    directory.apps = {{"firefox-esr", "Firefox ESR", "firefox-esr", "/usr/share/applications/firefox-esr.desktop"},
                      {"org.gnome.Nautilus", "Files", "org.gnome.Nautilus", "/usr/share/applications/n.desktop"}};
    std::vector<std::string> chosen;
    AppPickerView picker(AppMenuPreset::all(), [&](const AppInfo& a) { chosen.push_back(a.name); }, {});
    picker.open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !picker.model().isLoading; }, 10000));
    QApplication::setActiveWindow(&picker);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&picker));
    picker.searchField()->setFocus();
    QTest::keyClicks(picker.searchField(), "i");
    QTest::keyClick(picker.searchField(), Qt::Key_Down);
    EXPECT_TRUE(picker.list()->hasFocus());
    EXPECT_EQ(picker.list()->currentRow(), 0);
    EXPECT_TRUE(picker.addButton()->isEnabled());
    QTest::keyClick(picker.list(), Qt::Key_Down);
    QTest::keyClick(picker.list(), Qt::Key_Return);
    EXPECT_EQ(chosen.size(), 1u) << "Return chooses the row the arrows reached";
}

// From the keyboard a library row goes on the dial by the rules of a drop:
// after the last slot, and a full dial refuses it with its toast. Return
// stays in the list and never reaches the sheet's default button.
TEST_F(EditorWidgets, TheKeyboardPutsALibraryRowOnTheDialAsADropWould) {
    directory.apps = {{"firefox-esr", "Firefox ESR", "firefox-esr", "/usr/share/applications/firefox-esr.desktop"},
                      {"org.gnome.Nautilus", "Files", "org.gnome.Nautilus", "/usr/share/applications/n.desktop"}};
    Host host(named({"A", "B", "C", "D", "E"}));
    QDialog sheet;
    auto* saveButton = new QPushButton("Save", &sheet);
    saveButton->setDefault(true);
    QObject::connect(saveButton, &QPushButton::clicked, [] { ADD_FAILURE() << "Return reached Save"; });
    auto* column = new SlotLibraryColumn(
        {LibrarySegment::apps, LibrarySegment::actions},
        [&](const SlotConfig& s) {
            return std::any_of(host.slots.begin(), host.slots.end(),
                               [&](const SlotConfig& a) { return a.type.matches(s.type); });
        },
        [](const SlotConfig& s) { ADD_FAILURE() << s.title << " added past the dial"; }, &sheet);
    column->setDial(host.editor.get());
    auto* row = new QHBoxLayout(&sheet);
    row->addWidget(column);
    row->addWidget(saveButton);
    sheet.resize(360, 420);
    sheet.show();
    QApplication::setActiveWindow(&sheet);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !column->model().isLoadingApps; }, 10000));
    QListView* list = column->list();
    saveButton->setFocus();
    const QImage unmarked = list->grab().toImage();
    list->setFocus(Qt::TabFocusReason);
    EXPECT_NE(list->grab().toImage(), unmarked) << "Tab marks the first row";
    QTest::keyClick(list, Qt::Key_Down);
    save(&sheet, "library-keyboard-row");
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(host.titles(), "A;B;C;D;E;Firefox ESR;");
    column->refresh();  // as the hosts do after a change
    ASSERT_GE(column->rowOf("Firefox ESR"), 0);
    EXPECT_EQ(list->currentIndex().row(), column->rowOf("Firefox ESR")) << "the mark stays on its row";
    QTest::keyClick(list, Qt::Key_Up);
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_EQ(host.titles(), "A;B;C;D;E;Firefox ESR;");
    EXPECT_EQ(host.editor->toastText(), "Maximum 6 slots reached") << "the full dial refuses Files";

    // The mark passes over the actions list's category headers.
    column->setSegment(LibrarySegment::actions);
    QTest::keyClick(list, Qt::Key_Home);
    for (int i = 0; i < 5; ++i) QTest::keyClick(list, Qt::Key_Down);  // Audio's four and Set Volume, then Display
    EXPECT_EQ(list->currentIndex().data().toString(),
              QString::fromStdString(SystemAction(SystemAction::Kind::brightnessUp).title()));
}

// The action cards are one Tab stop, as radio buttons are; the arrows move
// the mark and the choice with it left and right in a row, up and down
// between rows and sections; Space chooses the marked card, not Add.
TEST_F(EditorWidgets, TheArrowsChooseAmongActionCards) {
    using K = SystemAction::Kind;
    bool added = false;
    ActionPickerView picker(SystemAction(K::volumeUp), {},
                            [&](const SystemAction&, const std::string&) { added = true; });
    picker.open();
    QApplication::setActiveWindow(&picker);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&picker));
    const QList<ActionCard*> cards = picker.findChildren<ActionCard*>();
    const auto stops = [&] {
        return std::count_if(cards.begin(), cards.end(), [](ActionCard* c) { return c->focusPolicy() & Qt::TabFocus; });
    };
    EXPECT_EQ(stops(), 1);
    picker.addButton()->setFocus();
    const QImage unmarked = picker.card(K::volumeUp)->grab().toImage();
    picker.card(K::volumeUp)->setFocus(Qt::TabFocusReason);
    EXPECT_NE(picker.card(K::volumeUp)->grab().toImage(), unmarked) << "the focus shows";
    // Audio: Volume Up, Volume Down, Mute / Next Output, Set Volume; Display: Brightness Up, Brightness Down, ...
    const std::pair<Qt::Key, K> walk[] = {{Qt::Key_Right, K::volumeDown}, {Qt::Key_Right, K::volumeMute},
                                          {Qt::Key_Right, K::volumeMute}, {Qt::Key_Down, K::setVolume},
                                          {Qt::Key_Down, K::brightnessDown}, {Qt::Key_Up, K::setVolume},
                                          {Qt::Key_Left, K::nextOutputDevice}, {Qt::Key_Left, K::nextOutputDevice}};
    for (const auto& [key, expected] : walk) {
        press(&picker, key);
        ASSERT_EQ(QApplication::focusWidget(), picker.card(expected)) << QTest::toString(key);
        EXPECT_TRUE(picker.card(expected)->isSelected()) << "the choice moved with the mark";
        EXPECT_EQ(std::count_if(cards.begin(), cards.end(), [](ActionCard* c) { return c->isSelected(); }), 1);
    }
    EXPECT_TRUE(picker.card(K::nextOutputDevice)->focusPolicy() & Qt::TabFocus) << "the Tab stop moved with the mark";
    EXPECT_EQ(stops(), 1);
    save(&picker, "action-picker-keyboard-card");
    press(&picker, Qt::Key_Right);
    press(&picker, Qt::Key_Space);
    EXPECT_TRUE(picker.card(K::setVolume)->isSelected());
    EXPECT_TRUE(picker.levelEditor()->isVisible()) << "the arrows chose the valued card";
    EXPECT_FALSE(added) << "Space chose a card, not Add";
    // A click chooses a card and takes the focus the cards had, unmarked.
    QTest::mouseClick(picker.card(K::brightnessUp), Qt::LeftButton);
    EXPECT_EQ(QApplication::focusWidget(), picker.card(K::brightnessUp));
    EXPECT_TRUE(picker.card(K::brightnessUp)->isSelected());
    EXPECT_FALSE(ui::showsFocusMark(picker.card(K::brightnessUp)));
}

// Return and keypad Enter press Add (which adds the card the keyboard is on)
// wherever the focus is in the picker, but on Cancel, which they press.
TEST_F(EditorWidgets, ReturnAndEnterPressAddFromAnywhereInTheActionPicker) {
    using K = SystemAction::Kind;
    using Focus = std::function<QWidget*(ActionPickerView&)>;
    const struct {
        const char* where;
        Qt::Key key;
        Focus focus;  // none: the card the arrows reached
        bool adds;
    } cases[] = {
        {"card, Return", Qt::Key_Return, {}, true},
        {"card, Enter", Qt::Key_Enter, {}, true},
        {"card area", Qt::Key_Return, [](ActionPickerView& p) -> QWidget* { return p.cardArea(); }, true},
        {"custom title toggle", Qt::Key_Enter, [](ActionPickerView& p) -> QWidget* { return p.customTitleToggle(); }, true},
        {"title field", Qt::Key_Return, [](ActionPickerView& p) -> QWidget* {
             p.customTitleToggle()->setChecked(true);
             return p.titleField();
         }, true},
        {"Cancel", Qt::Key_Return, [](ActionPickerView& p) -> QWidget* { return buttonSaying(&p, "Cancel"); }, false},
    };
    for (const auto& c : cases) {
        std::optional<SystemAction> added;
        ActionPickerView picker(SystemAction(K::lockScreen), {},
                                [&](const SystemAction& a, const std::string&) { added = a; });
        picker.open();
        QApplication::setActiveWindow(&picker);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&picker));
        press(&picker, Qt::Key_Right);
        press(&picker, Qt::Key_Right);
        ASSERT_EQ(QApplication::focusWidget(), picker.card(K::sleepComputer));
        if (c.focus) {
            QWidget* target = c.focus(picker);
            ASSERT_TRUE(target) << c.where;
            target->setFocus(Qt::TabFocusReason);
            ASSERT_TRUE(target->hasFocus()) << c.where;
        }
        press(&picker, c.key, c.key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        EXPECT_FALSE(picker.isVisible()) << c.where;
        EXPECT_EQ(picker.result(), c.adds ? QDialog::Accepted : QDialog::Rejected) << c.where;
        EXPECT_EQ(added, c.adds ? std::optional(SystemAction(K::sleepComputer)) : std::nullopt) << c.where;
    }
}

// The picker opens with the keyboard on the cards: the arrows move among
// them at once. The card area and Add, Tab stops too, show the focus.
TEST_F(EditorWidgets, ActionPickerOpensWithTheCardsFocused) {
    using K = SystemAction::Kind;
    ActionPickerView picker(SystemAction(K::volumeUp), {}, {});
    picker.open();
    QApplication::setActiveWindow(&picker);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&picker));
    EXPECT_EQ(QApplication::focusWidget(), picker.card(K::volumeUp));
    press(&picker, Qt::Key_Right);
    EXPECT_EQ(QApplication::focusWidget(), picker.card(K::volumeDown));
    QWidget* card = picker.card(K::volumeDown);
    EXPECT_TRUE(orbel::testing::showsFocus(picker.cardArea(), picker.addButton(), "editor", "action-picker-cards"));
    EXPECT_TRUE(orbel::testing::showsFocus(picker.addButton(), card, "editor", "action-picker-add"));
}

// An application's icon is read off the interface thread: the ring draws its
// placeholder first and the icon once it is in.
TEST_F(EditorWidgets, TheRingDrawsAnApplicationsIconOnceItIsRead) {
    QTemporaryDir dir;
    QImage red(64, 64, QImage::Format_ARGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(dir.filePath("red.png")));
    workspace.install("red-app", "Red");
    workspace.installed["red-app"].icon = dir.filePath("red.png").toStdString();
    Host host({SlotConfig::make(SlotType::app("red-app"), "Red")});
    const auto redPixels = [&] {
        const QImage shot = host.editor->ring()->grab().toImage();
        int count = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x) count += shot.pixelColor(x, y) == QColor(Qt::red);
        return count;
    };
    EXPECT_EQ(redPixels(), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return redPixels() > 100; }, 10000));
    save(host.editor.get(), "ring-application-icon");
}

// Opened before the installed applications have been read, the ring draws
// no application as missing, and pictures them once they are read.
TEST_F(EditorWidgets, BeforeTheApplicationsAreReadTheRingShowsNoneMissing) {
    workspace.known = false;
    Host host({SlotConfig::make(SlotType::app("org.example.Gone"), "Gone")});
    EXPECT_EQ(host.editor->ring()->items()[0].icon.fallbackSymbol, "app");
    workspace.becomeKnown();
    EXPECT_EQ(host.editor->ring()->items()[0].icon.fallbackSymbol, "app.badge.questionmark");
}

// Tab into the app picker's list lands on the first application, shown as
// the current row with the focus mark; the first Down goes on to the second.
TEST_F(EditorWidgets, TabIntoTheAppPickersListStartsOnTheFirstRowMarked) {
    directory.apps = {{"firefox-esr", "Firefox ESR", "firefox-esr", "/usr/share/applications/firefox-esr.desktop"},
                      {"org.gnome.Nautilus", "Files", "org.gnome.Nautilus", "/usr/share/applications/n.desktop"},
                      {"org.gnome.gedit", "Text Editor", "org.gnome.gedit", "/usr/share/applications/g.desktop"}};
    AppPickerView picker(AppMenuPreset::all(), [](const AppInfo&) {}, {});
    picker.open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !picker.model().isLoading && picker.list()->count() == 3; }, 10000));
    QApplication::setActiveWindow(&picker);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&picker));
    EXPECT_EQ(picker.list()->currentRow(), 0) << "the first row is current once the list fills";
    picker.searchField()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(picker.searchField(), Qt::Key_Shift);
    const QImage unfocused = picker.list()->grab().toImage();
    for (int i = 0; i < 8 && !picker.list()->hasFocus(); ++i) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_TRUE(picker.list()->hasFocus());
    EXPECT_EQ(picker.list()->currentRow(), 0);
    EXPECT_TRUE(picker.list()->item(0)->isSelected()) << "shown as current";
    EXPECT_TRUE(picker.addButton()->isEnabled());
    // The mark: the accent's ring about the first row, more than its tint.
    EXPECT_GT(orbel::testing::accentPixelsAdded(unfocused, picker.list()->grab().toImage(),
                                                picker.palette().color(QPalette::Highlight)),
              60);
    orbel::testing::savePictures(picker, "editor", "app-picker-list-focused", false);
    QTest::keyClick(picker.list(), Qt::Key_Down);
    EXPECT_EQ(picker.list()->currentRow(), 1);
    EXPECT_TRUE(picker.list()->item(1)->isSelected());
}
