// The group editor sheet driven through its widgets: the footer and Save
// Group following the working copy, drops on its ring, and the sheets it
// opens through a counting factory (edits, new slots, nested groups).
#include <gtest/gtest.h>

#include <QApplication>
#include <QDragEnterEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QWindow>
#include <QPushButton>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <cmath>
#include <numbers>

#include "editor/dial_editor_view.h"
#include "editor/picker_views.h"
#include "editor/slot_library_column.h"
#include "fakes/fake_system_platform.h"
#include "fakes/replace_shared.h"
#include "icons/icon_picker_view.h"
#include "sheets/group_editor_view.h"
#include "sheets/slot_lists.h"
#include "slots/system_app_provider.h"
#include "support/widget_pictures.h"

namespace orbel::testing {
namespace {

// Sends a drag of `payload` into `target` and drops it at `at`.
void dropOn(QWidget* target, const SlotDragPayload& payload, QPoint at) {
    QMimeData mime;
    mime.setText(QString::fromStdString(payload.exportString()));
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDragMoveEvent move(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
}

// The point at clockwise fraction f of a turn on the ring's middle circle.
QPoint ringPoint(double f) {
    const double a = 2 * std::numbers::pi * f, r = 114.375, c = editor::kRingWidgetSide / 2;
    return QPointF(c + r * std::sin(a), c - r * std::cos(a)).toPoint();
}

// Counts what the editor opens: plain dialogs for slot sheets (their save
// handed to the test), real group editors over this same factory.
struct CountingFactory {
    std::vector<std::pair<SlotEditorKind, std::optional<SlotConfig>>> opened;
    std::function<void(const SlotConfig&)> saveSlot;
    QPointer<QDialog> lastSheet;
    QPointer<GroupEditorView> lastGroupEditor;

    SlotSheetFactory factory() {
        SlotSheetFactory f;
        f.slotSheet = [this](SlotEditorKind kind, const std::optional<SlotConfig>& existing, auto onSave, QWidget* p) {
            opened.emplace_back(kind, existing);
            saveSlot = std::move(onSave);
            return lastSheet = new QDialog(p);
        };
        f.groupEditor = [this](const GroupEditorRequest& request, auto onSave, QWidget* p) -> QDialog* {
            opened.emplace_back(SlotEditorKind::group, std::nullopt);
            lastGroupEditor = new GroupEditorView(request, std::move(onSave), factory(), p);
            return lastGroupEditor;
        };
        return f;
    }
};

// The button of `box` that says `text`.
QPushButton* buttonOf(QMessageBox* box, const QString& text) {
    for (auto* b : box->findChildren<QPushButton*>())
        if (b->text() == text) return b;
    ADD_FAILURE() << "no button " << text.toStdString();
    return nullptr;
}

// What the window manager's close button sends: a close event that reaches
// the dialog as a spontaneous one.
void pressCloseButton(QWidget* window) {
    QCloseEvent event;
    QCoreApplication::sendEvent(window->windowHandle(), &event);
}

class GroupEditorViewTest : public ::testing::Test {
protected:
    GroupEditorView* open(GroupEditorRequest request) {
        editor = new GroupEditorView(request, [this](const MenuGroup& g) { saved.push_back(g); }, counting.factory());
        editor->setAttribute(Qt::WA_DeleteOnClose);
        editor->open();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(editor));
        return editor;
    }
    void settle() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
    void picture(QWidget* w, const QString& name) {
        QCoreApplication::processEvents();
        savePictures(*w, "sheets", name);
    }

    fakes::Installed<fakes::FakeWorkspace, platform::Workspace> workspace;
    fakes::Installed<fakes::FakeAppDirectory, platform::AppDirectory> directory;
    SystemAppProvider provider;
    fakes::ReplaceShared<SystemAppProvider> useProvider{provider};
    CountingFactory counting;
    QPointer<GroupEditorView> editor;
    std::vector<MenuGroup> saved;
};

TEST_F(GroupEditorViewTest, FooterAndSaveGroupFollowTheWorkingCopy) {
    MenuGroup group = groupOf(5);
    group.title = "Tools";
    open({group, {"Files"}, false, 6, "These slots only show while Files is the active app."});
    EXPECT_EQ(editor->width(), 480);
    EXPECT_EQ(editor->library(), nullptr);
    EXPECT_EQ(editor->breadcrumbText(), "Files \u203a Tools");
    EXPECT_EQ(editor->helpBanner()->text(), "These slots only show while Files is the active app.");
    EXPECT_EQ(editor->countLabel()->text(), "5 items");
    EXPECT_TRUE(editor->addSlotButton()->isEnabled());
    EXPECT_TRUE(editor->addGroupButton()->isEnabled());
    EXPECT_EQ(editor->addSlotButton()->toolTip(), "Add a new slot to this group");
    // Two additions of one weight.
    EXPECT_EQ(editor->addSlotButton()->font(), editor->addGroupButton()->font());
    EXPECT_EQ(editor->addSlotButton()->palette().color(QPalette::Button),
              editor->addGroupButton()->palette().color(QPalette::Button));

    // A library item dropped on the ring fills the sixth place.
    dropOn(editor->dialEditor()->ring(), SlotDragPayload::libraryApp("org.gnome.Nautilus", "Files"), ringPoint(0.99));
    ASSERT_EQ(editor->model().slots.size(), 6u);
    EXPECT_EQ(editor->countLabel()->text(), "6 items");
    EXPECT_FALSE(editor->addSlotButton()->isEnabled());
    EXPECT_FALSE(editor->addGroupButton()->isEnabled());
    const QString full = "Group holds 6 slots \u2014 remove one to add another";
    EXPECT_EQ(editor->addSlotButton()->toolTip(), full);
    EXPECT_EQ(editor->addGroupButton()->toolTip(), full);
    picture(editor, "group-editor-without-library");

    // A blank name keeps Save Group off and says why; Return does nothing.
    editor->nameField()->setText(" \t ");
    EXPECT_FALSE(editor->saveButton()->isEnabled());
    EXPECT_FALSE(editor->saveProblemText().isEmpty());
    EXPECT_EQ(editor->breadcrumbText(), "Files \u203a Untitled");
    QTest::keyClick(editor->nameField(), Qt::Key_Return);
    EXPECT_TRUE(saved.empty());
    editor->nameField()->setText("  Tools 2 ");
    EXPECT_TRUE(editor->saveProblemText().isEmpty());
    QTest::keyClick(editor->nameField(), Qt::Key_Return);
    settle();
    EXPECT_TRUE(editor.isNull());
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].id, group.id);  // a group saved again keeps its id
    EXPECT_EQ(saved[0].title, "Tools 2");
    EXPECT_EQ(saved[0].slots.size(), 6u);

    // Cancel after changes reports nothing.
    open({group, {}, false, 6, std::nullopt});
    EXPECT_EQ(editor->helpBanner(), nullptr);
    editor->nameField()->setText("Other");
    QTest::mouseClick(editor->cancelButton(), Qt::LeftButton);
    settle();
    EXPECT_TRUE(editor.isNull());
    EXPECT_EQ(saved.size(), 1u);
}

TEST_F(GroupEditorViewTest, TheGroupIconButtonChoosesTheIconSaved) {
    MenuGroup group = groupOf(2);
    group.title = "Tools";
    open({group, {}, false, 6, std::nullopt});
    QTest::mouseClick(editor->iconButton(), Qt::LeftButton);
    auto* picker = editor->findChild<IconPickerView*>();
    ASSERT_TRUE(picker);
    QTest::keyClicks(picker->monogramField(), "T");
    for (auto* b : picker->findChildren<QPushButton*>())
        if (b->text() == "Apply") QTest::mouseClick(b, Qt::LeftButton);
    settle();
    EXPECT_EQ(editor->model().icon, SlotIcon::monogram("T"));
    QTest::mouseClick(editor->saveButton(), Qt::LeftButton);
    settle();
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].icon, SlotIcon::monogram("T"));
}

TEST_F(GroupEditorViewTest, EditsNewSlotsAndNestedGroupsGoThroughTheFactory) {
    directory.apps = {{"org.gnome.Nautilus", "Files", "org.gnome.Nautilus", "/usr/share/applications/n.desktop"},
                      {"firefox-esr", "Firefox ESR", "firefox-esr", "/usr/share/applications/firefox-esr.desktop"}};
    MenuGroup group = groupOf(2);
    group.title = "Tools";
    group.slots.push_back(SlotConfig::make(SlotType::app("firefox-esr"), "Firefox ESR"));
    open({group, {"Default Menu"}, true, 6, std::nullopt});
    // As wide as the sheet with its library (880 x 700) where the screen has
    // room; the offscreen screen (800 x 800) has not: 800 less 4 + 4 for the
    // borders a window manager adds makes it 792 wide, at its full height.
    // Never taller than the screen, with Save on it.
    ASSERT_EQ(QGuiApplication::primaryScreen()->availableGeometry(), QRect(0, 0, 800, 800));
    EXPECT_EQ(editor->size(), QSize(792, 700));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(editor->height(), screen.height());
    EXPECT_TRUE(editor->rect().contains(editor->saveButton()->geometry()));
    ASSERT_NE(editor->library(), nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !editor->library()->model().isLoadingApps; }, 10000));
    picture(editor, "group-editor-with-library");

    // A double click on the third wedge edits that slot in place.
    auto* ring = editor->dialEditor()->ring();
    QTest::mouseDClick(ring, Qt::LeftButton, {}, ring->hitTargetCentre(2).toPoint());
    ASSERT_EQ(counting.opened.size(), 1u);
    EXPECT_EQ(counting.opened[0].first, SlotEditorKind::rename);
    EXPECT_EQ(counting.opened[0].second, group.slots[2]);
    SlotConfig renamed = group.slots[2];
    renamed.title = "Browser";
    counting.saveSlot(renamed);
    counting.lastSheet->accept();
    EXPECT_EQ(titles(editor->model().slots), (std::vector<std::string>{"a", "b", "Browser"}));
    EXPECT_EQ(editor->model().slots[2].id, group.slots[2].id);

    // Add Slot's popover: Snippet closes it and opens a new snippet sheet,
    // whose slot goes to the end.
    QTest::mouseClick(editor->addSlotButton(), Qt::LeftButton);
    QPointer<editor::AddSlotPopover> popover = editor->addSlotPopover();
    ASSERT_TRUE(popover && popover->isVisible());
    QTest::mouseClick(popover->row(editor::AddSlotKind::snippet), Qt::LeftButton);
    settle();
    EXPECT_TRUE(popover.isNull() || !popover->isVisible());
    ASSERT_EQ(counting.opened.size(), 2u);
    EXPECT_EQ(counting.opened[1].first, SlotEditorKind::snippet);
    EXPECT_FALSE(counting.opened[1].second.has_value());
    counting.saveSlot(snippet("sig"));
    counting.lastSheet->accept();
    EXPECT_EQ(editor->model().slots.back().title, "sig");
    EXPECT_EQ(editor->countLabel()->text(), "4 items");

    // Add Group opens a nested editor under our crumb; its Save Group adds
    // a group slot here. An empty parent name leaves an empty crumb.
    editor->nameField()->setText("");
    QTest::mouseClick(editor->addGroupButton(), Qt::LeftButton);
    QPointer<GroupEditorView> nested = counting.lastGroupEditor;
    ASSERT_TRUE(nested);
    EXPECT_TRUE(QTest::qWaitForWindowExposed(nested));
    EXPECT_EQ(nested->breadcrumbText(), "Default Menu \u203a  \u203a New Group");
    EXPECT_EQ(nested->width(), editor->width());
    nested->close();
    settle();
    editor->nameField()->setText("Tools");
    QTest::mouseClick(editor->addGroupButton(), Qt::LeftButton);
    nested = counting.lastGroupEditor;
    ASSERT_TRUE(nested);
    EXPECT_TRUE(QTest::qWaitForWindowExposed(nested));
    EXPECT_EQ(nested->breadcrumbText(), "Default Menu \u203a Tools \u203a New Group");
    picture(nested, "group-editor-nested-breadcrumb");
    EXPECT_EQ(editor->model().slots.size(), 4u);  // Cancel above added nothing
    QTest::mouseClick(nested->saveButton(), Qt::LeftButton);
    settle();
    EXPECT_TRUE(nested.isNull());
    ASSERT_EQ(editor->model().slots.size(), 5u);
    const SlotConfig& added = editor->model().slots.back();
    EXPECT_EQ(added.title, "New Group");
    ASSERT_NE(added.type.get<SlotType::Group>(), nullptr);
    EXPECT_TRUE(added.type.get<SlotType::Group>()->group->slots.empty());
    editor->reject();
}

TEST_F(GroupEditorViewTest, EscapeAndTheCloseButtonAskBeforeDroppingChanges) {
    MenuGroup group = groupOf(2);
    group.title = "Tools";
    // Nothing changed: Escape closes at once.
    open({group, {}, false, 6, std::nullopt});
    QTest::keyClick(editor->nameField(), Qt::Key_Escape);
    settle();
    EXPECT_TRUE(editor.isNull());

    // Slots added, renamed and swapped: Escape asks, Keep Editing being the
    // default and the escape button; it keeps every change.
    open({group, {}, false, 6, std::nullopt});
    dropOn(editor->dialEditor()->ring(), SlotDragPayload::libraryApp("org.gnome.Nautilus", "Files"), ringPoint(0.99));
    editor->nameField()->setText("Tools 2");
    dropOn(editor->dialEditor()->ring(), SlotDragPayload::existingSlot(editor->model().slots[0].id), ringPoint(1.0 / 3));
    const auto edited = editor->model().slots;
    ASSERT_EQ(titles(edited), (std::vector<std::string>{"b", "a", "Files"}));
    QTest::keyClick(editor->nameField(), Qt::Key_Escape);
    QPointer<QMessageBox> box = editor->discardConfirmation();
    ASSERT_TRUE(box);
    EXPECT_TRUE(QTest::qWaitForWindowExposed(box));
    EXPECT_EQ(box->defaultButton()->text(), "Keep Editing");
    EXPECT_EQ(box->windowTitle(), "Orbel");
    EXPECT_EQ(box->escapeButton(), box->defaultButton());
    picture(box, "discard-changes-alert");
    QTest::keyClick(box, Qt::Key_Return);
    settle();
    EXPECT_TRUE(box.isNull() || !box->isVisible());
    ASSERT_FALSE(editor.isNull());
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->model().slots, edited);
    EXPECT_EQ(editor->nameField()->text(), "Tools 2");

    // The window's close button asks the same; Discard Changes closes it
    // without a save.
    pressCloseButton(editor);
    box = editor->discardConfirmation();
    ASSERT_TRUE(box);
    EXPECT_TRUE(editor->isVisible());
    QTest::mouseClick(buttonOf(box, "Discard Changes"), Qt::LeftButton);
    settle();
    EXPECT_TRUE(editor.isNull());
    EXPECT_TRUE(saved.empty());

    // Cancel still closes at once, and so does a close by the program.
    open({group, {}, false, 6, std::nullopt});
    editor->nameField()->setText("Other");
    QTest::mouseClick(editor->cancelButton(), Qt::LeftButton);
    settle();
    EXPECT_TRUE(editor.isNull());
    open({group, {}, false, 6, std::nullopt});
    editor->nameField()->setText("Other");
    editor->close();
    settle();
    EXPECT_TRUE(editor.isNull());
    EXPECT_TRUE(saved.empty());
}

// The title's icon button shows the keyboard focus with the accent ring,
// not only a slightly darker tile.
TEST_F(GroupEditorViewTest, TheGroupIconButtonIsRingedWhileFocused) {
    open({groupOf(2), {}, false, 6, std::nullopt});
    QApplication::setActiveWindow(editor);
    ASSERT_TRUE(QTest::qWaitForWindowActive(editor));
    // About the 28-point button a ring runs some 100 pixels.
    EXPECT_GT(accentMarkPixels(editor->iconButton(), editor->saveButton(), "sheets", "group-icon"), 60);
    editor->reject();
    settle();
    EXPECT_TRUE(editor.isNull());
}

}  // namespace
}  // namespace orbel::testing
