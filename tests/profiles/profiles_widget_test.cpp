#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>
#include <sys/stat.h>

#include "config/config_fixture.h"
#include "icons/icon_picker_view.h"
#include "profiles/backup_restore_sheet.h"
#include "profiles/profile_icon_picker.h"
#include "profiles/profiles_tab_view.h"
#include "support/offscreen_screens.h"
#include "support/widget_pictures.h"
#include "ui/controls.h"

using namespace orbel;
using namespace orbel::testing;

namespace {

// Answers the panels at once with the path the test set; nothing = cancel.
class FakePanels : public BackupFilePanels {
public:
    void chooseSaveLocation(QWidget*, const std::string& fileName, Done done) override {
        proposed = fileName;
        done(answer);
    }
    void chooseBackup(QWidget*, Done done) override { done(answer); }
    std::optional<std::string> answer;
    std::string proposed;
};

class ProfilesWidgetTest : public ConfigFixture {
protected:
    void SetUp() override {
        live().setConfig(withSnippets(2, "live"));
        view = std::make_unique<ProfilesTabView>(live(), imports, panels);
        view->resize(640, 520);
        view->show();
    }
    void TearDown() override { view.reset(); }
    std::vector<std::string> rowNames() {
        std::vector<std::string> names;
        for (const auto& n : view->model().displayedProfiles())
            if (view->row(n)) names.push_back(n);
        return names;
    }
    QAction* menuItem(const std::string& row, const QString& text) {
        for (auto* action : view->menuButton(row)->menu()->actions())
            if (action->text() == text) return action;
        return nullptr;
    }

    ImportCoordinator imports;
    FakePanels panels;
    std::unique_ptr<ProfilesTabView> view;
};

}  // namespace

TEST_F(ProfilesWidgetTest, CreateDuplicateSwitchAndDelete) {
    EXPECT_EQ(view->badge()->text(), "1 / 6");
    view->setPalette(darkPalette());  // the badge follows a change of palette
    EXPECT_TRUE(view->badge()->styleSheet().contains(darkPalette().color(QPalette::WindowText).name(QColor::HexArgb)));
    view->setPalette(QPalette());
    EXPECT_FALSE(view->switchButton("Default")->isEnabled());
    EXPECT_TRUE(view->row("Default")->isVisible()) << "rows show at once, not after a queued call";
    QCoreApplication::processEvents();
    savePictures(*view, "profiles", "profiles-implicit-default");

    QTest::mouseClick(view->newButton(), Qt::LeftButton);
    ASSERT_TRUE(view->createPopover()->isVisible());
    EXPECT_FALSE(view->createSaveButton()->isEnabled());
    QTest::keyClicks(view->createField(), "Work");
    QTest::keyClick(view->createField(), Qt::Key_Return);
    EXPECT_FALSE(view->createPopover()->isVisible());
    EXPECT_EQ(view->model().profiles(), (std::vector<std::string>{"Default", "Work"}));

    menuItem("Work", "Duplicate")->trigger();
    ASSERT_TRUE(view->duplicateSheet());
    EXPECT_EQ(view->duplicateSheet()->nameField()->text(), "Work Copy");
    QTest::mouseClick(view->duplicateSheet()->duplicateButton(), Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_TRUE(QFile::exists(QString::fromStdString(profilePath("Work Copy"))));

    QTest::mouseClick(view->switchButton("Work"), Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_EQ(live().activeProfile(), "Work");
    EXPECT_FALSE(menuItem("Work", "Delete")->isEnabled());

    menuItem("Default", "Delete")->trigger();
    ASSERT_TRUE(view->deleteConfirmation());
    EXPECT_EQ(view->deleteConfirmation()->windowTitle(), "Orbel");
    // Return answers Cancel, the default: nothing is deleted.
    EXPECT_EQ(view->deleteConfirmation()->defaultButton(), view->deleteConfirmation()->button(QMessageBox::Cancel));
    QTest::keyClick(view->deleteConfirmation(), Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_FALSE(view->deleteConfirmation());
    EXPECT_EQ(rowNames(), (std::vector<std::string>{"Default", "Work", "Work Copy"}));
    menuItem("Default", "Delete")->trigger();
    ASSERT_TRUE(view->deleteConfirmation());
    for (auto* button : view->deleteConfirmation()->buttons())
        if (button->text() == "Delete \"Default\"") button->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(rowNames(), (std::vector<std::string>{"Work", "Work Copy"}));

    QTest::mouseClick(view->newButton(), Qt::LeftButton);
    QTest::keyClicks(view->createField(), "Work");
    QTest::mouseClick(view->createSaveButton(), Qt::LeftButton);
    EXPECT_TRUE(view->createPopover()->isVisible());
    EXPECT_EQ(view->errorLine()->text(), "A profile named \"Work\" already exists.");
    view->createPopover()->hide();
    QCoreApplication::processEvents();
    savePictures(*view, "profiles", "profiles-error-line");
}

TEST_F(ProfilesWidgetTest, CancelButtonsLeaveTheProfilesAndTheIconButtonSetsTheIcon) {
    const auto button = [](QWidget* in, const QString& text) {
        for (auto* b : in->findChildren<QPushButton*>())
            if (b->text() == text) return b;
        ADD_FAILURE() << "no button " << text.toStdString();
        return static_cast<QPushButton*>(nullptr);
    };
    const std::vector<std::string> before = view->model().displayedProfiles();
    ASSERT_FALSE(before.empty());
    QTest::mouseClick(view->newButton(), Qt::LeftButton);
    QTest::keyClicks(view->createField(), "Work");
    QTest::mouseClick(button(view->createPopover(), "Cancel"), Qt::LeftButton);
    EXPECT_FALSE(view->createPopover()->isVisible());
    menuItem(before.front(), "Duplicate")->trigger();
    ASSERT_TRUE(view->duplicateSheet());
    QTest::mouseClick(button(view->duplicateSheet(), "Cancel"), Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_FALSE(view->duplicateSheet() && view->duplicateSheet()->isVisible());
    EXPECT_EQ(view->model().displayedProfiles(), before);

    // The row's icon button opens the icon picker; Apply stores the icon.
    auto* icon = view->row(before.front())->findChild<ProfileIconPicker*>();
    ASSERT_TRUE(icon);
    QTest::mouseClick(icon, Qt::LeftButton);
    ASSERT_TRUE(icon->picker());
    QTest::keyClicks(icon->picker()->monogramField(), "W");
    QTest::mouseClick(button(icon->picker(), "Apply"), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return view->model().iconFor(before.front()) == SlotIcon::monogram("W"); }));
}

TEST_F(ProfilesWidgetTest, BackUpThenRestoreByReplace) {
    for (const char* n : {"A", "B", "C", "D", "E", "Work"}) store().save(withSnippets(1, n), n);
    activate("Work");
    view->refresh();
    EXPECT_EQ(view->badge()->text(), "6 / 6");
    EXPECT_FALSE(view->newButton()->isEnabled());
    EXPECT_TRUE(view->row("Work")->isVisible());
    QCoreApplication::processEvents();
    savePictures(*view, "profiles", "profiles-six");

    panels.answer = std::nullopt;
    QTest::mouseClick(view->backUpButton(), Qt::LeftButton);
    EXPECT_TRUE(view->statusLine()->isHidden());
    EXPECT_EQ(panels.proposed.rfind("orbel-backup-", 0), 0u);
    panels.answer = paths.root() + "/all.orbelbackup";
    QTest::mouseClick(view->backUpButton(), Qt::LeftButton);
    EXPECT_EQ(view->statusLine()->text(), "Backed up to all.orbelbackup.");

    live().setConfig(withSnippets(1, "changed"));
    store().remove("A");
    QTest::mouseClick(view->restoreButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->restoreSheet() != nullptr; }, 10000));  // read off this thread
    BackupRestoreSheet* sheet = view->restoreSheet();
    ASSERT_TRUE(sheet);
    sheet->resize(480, 640);
    savePictures(*sheet, "profiles", "restore-merge");
    QTest::mouseClick(sheet->card(RestoreStrategy::replace), Qt::LeftButton);
    EXPECT_FALSE(sheet->restoreButton()->isEnabled());
    QTest::keyClicks(sheet->confirmField(), "replace");
    EXPECT_EQ(sheet->restoreButton()->text(), "Restore (Replace)");
    QCoreApplication::processEvents();
    savePictures(*sheet, "profiles", "restore-replace");
    QTest::mouseClick(sheet->restoreButton(), Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_FALSE(imports.pendingBackup());
    EXPECT_FALSE(view->restoreSheet() && view->restoreSheet()->isVisible());
    EXPECT_EQ(view->statusLine()->text(), "Replaced with 6 profiles from the backup.");
    EXPECT_EQ(firstSnippet(live().config()), "Work0");
    EXPECT_TRUE(view->row("A"));
}

TEST_F(ProfilesWidgetTest, DuplicateSheetPicture) {
    store().save(withSnippets(1, "Work"), "Work");
    view->refresh();
    view->openDuplicateSheet("Work");
    ASSERT_TRUE(view->duplicateSheet());
    view->duplicateSheet()->nameField()->setText(" \t");
    EXPECT_FALSE(view->duplicateSheet()->duplicateButton()->isEnabled());
    view->duplicateSheet()->nameField()->setText("Work Copy");
    view->duplicateSheet()->adjustSize();
    savePictures(*view->duplicateSheet(), "profiles", "duplicate-sheet");
    view->duplicateSheet()->reject();
}

TEST_F(ProfilesWidgetTest, PartialBackupAndAPipeChosenForRestoreShowOnTheErrorLine) {
    store().save(withSnippets(1, "Home"), "Home");
    writeFile(profilePath("Broken"), "{oops");
    view->refresh();
    panels.answer = paths.root() + "/part.orbelbackup";
    QTest::mouseClick(view->backUpButton(), Qt::LeftButton);
    EXPECT_TRUE(view->statusLine()->isHidden());
    EXPECT_TRUE(view->errorLine()->text().startsWith("Backed up to part.orbelbackup without 1 profile"));
    QCoreApplication::processEvents();
    savePictures(*view, "profiles", "profiles-backup-left-out");

    const std::string pipe = paths.root() + "/pipe.orbelbackup";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    panels.answer = pipe;
    QTest::mouseClick(view->restoreButton(), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return view->errorLine()->text() == "Couldn't read the backup: “pipe.orbelbackup” is a pipe, not a file."; },
        10000));
    EXPECT_FALSE(view->restoreSheet());
    savePictures(*view, "profiles", "profiles-restore-pipe");
}

TEST_F(ProfilesWidgetTest, ARefusedDuplicateNameKeepsTheSheetOpenWithItsMessage) {
    store().save(withSnippets(1, "Work"), "Work");
    store().save(withSnippets(1, "Home"), "Home");
    view->refresh();
    panels.answer = paths.root() + "/b.orbelbackup";
    QTest::mouseClick(view->backUpButton(), Qt::LeftButton);
    ASSERT_TRUE(view->statusLine()->isVisible());

    view->openDuplicateSheet("Work");
    QPointer<DuplicateProfileSheet> sheet = view->duplicateSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->nameField()->selectedText(), "Work Copy") << "typing replaces the proposal";
    QTest::keyClicks(sheet->nameField(), "Home");
    QTest::keyClick(sheet->nameField(), Qt::Key_Return);
    QCoreApplication::processEvents();
    ASSERT_TRUE(sheet && sheet->isVisible()) << "a refused name keeps the sheet open";
    EXPECT_EQ(sheet->nameField()->text(), "Home");
    EXPECT_EQ(sheet->errorLine()->text(), "A profile named \"Home\" already exists.");
    EXPECT_TRUE(view->errorLine()->isHidden()) << "told in the sheet, not behind it";
    EXPECT_TRUE(view->statusLine()->isHidden()) << "one current message";
    savePictures(*sheet, "profiles", "duplicate-sheet-refused");
    QTest::keyClicks(sheet->nameField(), "Home Two");  // the refused name is selected: typing replaces it
    EXPECT_TRUE(sheet->errorLine()->isHidden());
    QTest::keyClick(sheet->nameField(), Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_TRUE(!sheet || !sheet->isVisible());
    EXPECT_TRUE(view->row("Home Two"));

    // An error, then the tab goes out of sight and back.
    QTest::mouseClick(view->newButton(), Qt::LeftButton);
    QTest::keyClicks(view->createField(), "Work");
    QTest::keyClick(view->createField(), Qt::Key_Return);
    view->createPopover()->hide();
    ASSERT_TRUE(view->errorLine()->isVisible());
    view->hide();
    view->show();
    EXPECT_TRUE(view->errorLine()->isHidden());
}

TEST_F(ProfilesWidgetTest, TheRestoreSheetSaysWhatMergeSkipsAndWhichNamesAreRefused) {
    for (const char* n : {"A", "B", "C", "D", "E", "F"}) store().save(withSnippets(1, n), n);
    OrbelBackup backup;
    backup.profiles["Work"] = withSnippets(1, "w");
    backup.profiles["Play"] = withSnippets(1, "p");
    imports.setPendingBackup(BackupRestoreSheetItem{Uuid::random(), backup, "/tmp/full.orbelbackup"});
    QCoreApplication::processEvents();
    BackupRestoreSheet* sheet = view->restoreSheet();
    ASSERT_TRUE(sheet);
    sheet->resize(480, 640);
    EXPECT_TRUE(sheet->mergeWarningLine()->isVisible());
    EXPECT_TRUE(sheet->mergeWarningLine()->text().startsWith("You already have 6 profiles"));
    EXPECT_TRUE(sheet->restoreButton()->isEnabled());
    savePictures(*sheet, "profiles", "restore-merge-at-limit");
    QTest::mouseClick(sheet->card(RestoreStrategy::replace), Qt::LeftButton);
    EXPECT_TRUE(sheet->mergeWarningLine()->isHidden()) << "Replace skips nothing";
    // The Merge card's description stays whole beside the confirmation block.
    QLabel* description = sheet->card(RestoreStrategy::merge)->findChildren<QLabel*>().last();
    EXPECT_GE(description->height(), description->heightForWidth(description->width()));
    sheet->reject();
    QCoreApplication::processEvents();

    store().remove("F");
    backup.profiles["../../escape"] = withSnippets(1, "x");
    imports.setPendingBackup(BackupRestoreSheetItem{Uuid::random(), backup, "/tmp/hostile.orbelbackup"});
    QCoreApplication::processEvents();
    sheet = view->restoreSheet();
    ASSERT_TRUE(sheet);
    sheet->resize(480, 640);
    EXPECT_TRUE(sheet->refusalsLine()->isVisible());
    EXPECT_TRUE(sheet->refusalsLine()->text().contains("../../escape"));
    EXPECT_FALSE(sheet->restoreButton()->isEnabled());
    EXPECT_EQ(sheet->mergeWarningLine()->text().toStdString(),
              "At most 6 profiles are kept: Merge would add 1 and skip 2 of this backup's profiles.");
    savePictures(*sheet, "profiles", "restore-refused-names");
    sheet->reject();
}

// Whether every descendant text of `sheet` lies inside it and every wrapping
// label has the height its text needs.
void expectNothingCutOrRunningOff(QWidget* sheet) {
    for (QLabel* label : sheet->findChildren<QLabel*>()) {
        if (!label->isVisibleTo(sheet) || label->text().isEmpty()) continue;
        const QRect box(label->mapTo(sheet, QPoint(0, 0)), label->size());
        EXPECT_LE(box.right(), sheet->width()) << "runs off: " << label->text().toStdString();
        if (label->wordWrap()) {
            EXPECT_GE(label->height(), label->heightForWidth(label->width())) << "cut: " << label->text().toStdString();
        }
    }
}

// A backup of six profiles.
OrbelBackup sixProfiles() {
    OrbelBackup six;
    for (const char* n : {"Design", "Gaming", "Home", "Music", "Travel", "Work"}) six.profiles[n] = withSnippets(1, n);
    return six;
}

// A backup of five names of which the store refuses four, one of them long
// and one hiding a right-to-left override.
OrbelBackup mostlyRefusedNames() {
    OrbelBackup hostile;
    for (const std::string& n : {std::string("Fine"), std::string("../up"), std::string(".hidden"),
                                std::string("a/b/c/") + std::string(120, 'x'), std::string("Ok\u202Eevil/x")})
        hostile.profiles[n] = withSnippets(1, "h");
    return hostile;
}

TEST_F(ProfilesWidgetTest, TheRestoreSheetKeepsItsChoicesWholeAndItsCountsInAgreement) {
    const OrbelBackup six = sixProfiles();
    imports.setPendingBackup(BackupRestoreSheetItem{Uuid::random(), six, "/tmp/six.orbelbackup"});
    QCoreApplication::processEvents();
    BackupRestoreSheet* sheet = view->restoreSheet();
    ASSERT_TRUE(sheet);
    QTest::mouseClick(sheet->card(RestoreStrategy::replace), Qt::LeftButton);
    QCoreApplication::processEvents();
    expectNothingCutOrRunningOff(sheet);  // both descriptions, the Replace warning included
    savePictures(*sheet, "profiles", "restore-six-profiles");
    sheet->reject();
    QCoreApplication::processEvents();

    // Two stored; of five names four are refused, one of them long and one
    // hiding a right-to-left override.
    store().save(withSnippets(1, "a"), "A");
    store().save(withSnippets(1, "b"), "B");
    const OrbelBackup hostile = mostlyRefusedNames();
    imports.setPendingBackup(BackupRestoreSheetItem{Uuid::random(), hostile, "/tmp/hostile.orbelbackup"});
    QCoreApplication::processEvents();
    sheet = view->restoreSheet();
    ASSERT_TRUE(sheet);
    QCoreApplication::processEvents();
    EXPECT_EQ(sheet->model().refusals().size(), 4u);
    EXPECT_EQ(sheet->model().mergeWarning(), "") << "one restorable name fits: the limit leaves nothing out";
    EXPECT_TRUE(sheet->refusalsLine()->text().contains("Ok<U+202E>evil/x")) << "the override is shown, not obeyed";
    EXPECT_FALSE(sheet->refusalsLine()->text().contains(QChar(0x202E)));
    EXPECT_FALSE(sheet->restoreButton()->isEnabled());
    expectNothingCutOrRunningOff(sheet);
    EXPECT_GE(sheet->card(RestoreStrategy::merge)->height(),
              sheet->card(RestoreStrategy::merge)->heightForWidth(sheet->card(RestoreStrategy::merge)->width()))
        << "the choice is not a sliver";
    savePictures(*sheet, "profiles", "restore-rejected-names");
    sheet->reject();
}

// Run in a child whose offscreen platform has one small screen (see below).
TEST_F(ProfilesWidgetTest, ChildTheRestoreSheetFitsASmallScreen) {
    const QString mode = offscreenMode();
    if (mode.isEmpty()) GTEST_SKIP() << "runs in a child process";
    // The screen's height in points less the 36 kept for a title bar and a
    // border.
    const int tallest = mode == "small" ? 600 - 36 : 540 - 36;
    store().save(withSnippets(1, "a"), "A");
    const std::pair<const char*, OrbelBackup> backups[] = {{"six", sixProfiles()}, {"refused", mostlyRefusedNames()}};
    for (const auto& [name, backup] : backups) {
        imports.setPendingBackup(BackupRestoreSheetItem{Uuid::random(), backup, "/tmp/b.orbelbackup"});
        QCoreApplication::processEvents();
        BackupRestoreSheet* sheet = view->restoreSheet();
        ASSERT_TRUE(sheet);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(sheet));
        QTest::mouseClick(sheet->card(RestoreStrategy::replace), Qt::LeftButton);
        QCoreApplication::processEvents();
        EXPECT_LE(sheet->height(), tallest) << name;
        for (const QPushButton* button : {sheet->cancelButton(), sheet->restoreButton()})
            EXPECT_TRUE(sheet->rect().contains(QRect(button->mapTo(sheet, QPoint()), button->size())))
                << name << ": " << button->text().toStdString() << " is on the sheet";
        auto* list = sheet->findChild<QScrollArea*>(QStringLiteral("restoreScroll"));
        ASSERT_TRUE(list);
        EXPECT_GT(list->verticalScrollBar()->maximum(), 0) << name << ": what does not fit scrolls";
        savePictures(*sheet, "profiles", QStringLiteral("restore-%1-on-%2-screen").arg(name, mode));
        sheet->reject();
        QCoreApplication::processEvents();
    }
}

TEST(ProfilesOnSmallScreens, TheRestoreSheetScrollsAndKeepsItsButtonsOnTheScreen) {
    runOnSmallAndDenseScreens("ProfilesWidgetTest.ChildTheRestoreSheetFitsASmallScreen");
}

TEST_F(ProfilesWidgetTest, LongNamesElideWithTheWholeNameAsTooltip) {
    const std::string longName = "Video editing with the long project name that goes on and on 2";
    store().save(withSnippets(1, "a"), longName);
    store().save(withSnippets(1, "b"), "Video editing with the long project name that goes on and on 3");
    view->resize(420, 520);
    view->refresh();
    QCoreApplication::processEvents();
    auto* label = view->row(longName)->findChild<ui::ElidedLabel*>("name");
    ASSERT_TRUE(label);
    EXPECT_EQ(label->toolTip().toStdString(), longName);
    EXPECT_TRUE(label->text().contains(QChar(0x2026))) << "elided, not cut: " << label->text().toStdString();
    EXPECT_TRUE(label->text().endsWith(" 2")) << "the end that tells the two apart stays";
    EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width());
    savePictures(*view, "profiles", "profiles-long-names");

    QTest::mouseClick(view->newButton(), Qt::LeftButton);
    auto* subtitle = view->createPopover()->findChild<QLabel*>("createSubtitle");
    ASSERT_TRUE(subtitle);
    QCoreApplication::processEvents();
    EXPECT_GE(subtitle->height(), subtitle->heightForWidth(subtitle->width())) << "the subtitle is not cut";
    savePictures(*view->createPopover(), "profiles", "new-profile-popover");
    view->createPopover()->hide();
}

// A stored name with a right-to-left override reads as written, in its row
// and its confirmation, and a second Work file is named under the list.
TEST_F(ProfilesWidgetTest, NamesShowWrittenOutAndAFileNoNameReachesIsNamedUnderTheList) {
    const std::string evil = "Evil\u202Egnp.exe";
    store().save(withSnippets(1, "w"), "Work");
    writeFile(profilePath(evil), withSnippets(1, "e").encodeDocument());
    writeFile(profilePath("Work "), withSnippets(1, "second").encodeDocument());
    view->refresh();
    QCoreApplication::processEvents();
    EXPECT_EQ(rowNames(), (std::vector<std::string>{"Default", evil, "Work"}));
    auto* label = view->row(evil)->findChild<ui::ElidedLabel*>("name");
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text(), "Evil<U+202E>gnp.exe");
    auto* unlisted = view->findChild<QLabel*>("unlistedProfiles");
    ASSERT_TRUE(unlisted);
    EXPECT_TRUE(unlisted->isVisible());
    EXPECT_TRUE(unlisted->text().contains("\"Work .json\""));
    savePictures(*view, "profiles", "profiles-written-out-names");

    menuItem(evil, "Delete")->trigger();
    ASSERT_TRUE(view->deleteConfirmation());
    EXPECT_EQ(view->deleteConfirmation()->informativeText(),
              "\"Evil<U+202E>gnp.exe\" will be permanently removed. This can't be undone.");
    savePictures(*view->deleteConfirmation(), "profiles", "delete-written-out-name");
    view->deleteConfirmation()->reject();
    QCoreApplication::processEvents();
}

// The icon button and the "···" button of a row are Tab stops that show it.
TEST_F(ProfilesWidgetTest, TheRowsIconAndMenuButtonsShowTheKeyboardFocus) {
    QApplication::setActiveWindow(view.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    auto* icon = view->row("Default")->findChild<ProfileIconPicker*>();
    ASSERT_TRUE(icon);
    EXPECT_TRUE(showsFocus(icon, view->newButton(), "profiles", "profile-row-icon"));
    EXPECT_TRUE(showsFocus(view->menuButton("Default"), view->newButton(), "profiles", "profile-row-menu"));
}

// A name with a control character, a line or a paragraph separator is
// refused by the store when saved: the popover stays open and the tab's
// error line says why.
TEST_F(ProfilesWidgetTest, TheNewProfilePopoverRefusesANameWithAControlCharacter) {
    QTest::mouseClick(view->newButton(), Qt::LeftButton);
    for (const char* name : {"Two\u2028Lines", "Bell\a"}) {
        view->createField()->setText(QString::fromUtf8(name));
        EXPECT_TRUE(view->createSaveButton()->isEnabled()) << name;
        QTest::keyClick(view->createField(), Qt::Key_Return);
        EXPECT_EQ(view->errorLine()->text(), "Profile name must not contain control characters");
        EXPECT_TRUE(view->createPopover()->isVisible() && view->errorLine()->isVisible()) << name;
    }
    savePictures(*view->createPopover(), "profiles", "new-profile-refused-name", false);
    view->createField()->setText("Two Lines");
    EXPECT_TRUE(view->createSaveButton()->isEnabled());
}

// Save is off only while the name, spaces and tabs trimmed, is empty. Any
// other name is saved; one the store refuses keeps the popover open, stores
// nothing and puts the store's words on the tab's error line.
TEST_F(ProfilesWidgetTest, TheNewProfilePopoverLeavesRefusalsToTheStore) {
    QTest::mouseClick(view->newButton(), Qt::LeftButton);
    ASSERT_TRUE(view->createPopover()->isVisible());
    view->createField()->setText(" \t ");
    EXPECT_FALSE(view->createSaveButton()->isEnabled());
    const std::pair<std::string, std::string> refused[] = {
        {".hidden", "Profile name must not start with '.'"},
        {"Work/Home", "Profile name must not contain path separators"},
        {std::string(251, 'x'), "Profile name is too long"},
        {"Para\u2029graph", "Profile name must not contain control characters"},
    };
    for (const auto& [name, words] : refused) {
        view->createField()->setText(QString::fromStdString(name));
        ASSERT_TRUE(view->createSaveButton()->isEnabled()) << name;
        QTest::mouseClick(view->createSaveButton(), Qt::LeftButton);
        EXPECT_TRUE(view->createPopover()->isVisible()) << name;
        EXPECT_TRUE(view->errorLine()->isVisible()) << name;
        EXPECT_EQ(view->errorLine()->text().toStdString(), words);
        // Only the implicit "Default", made real before the name is saved.
        EXPECT_LE(live().profileStore().list().size(), 1u) << name;
    }
    savePictures(*view, "profiles", "new-profile-refused-on-the-tab");
    view->createField()->setText("  Home ");
    QTest::mouseClick(view->createSaveButton(), Qt::LeftButton);
    EXPECT_FALSE(view->createPopover()->isVisible());
    EXPECT_TRUE(view->errorLine()->isHidden());
    EXPECT_EQ(live().profileStore().list(), (std::vector<std::string>{"Default", "Home"}));
}

// The restore sheet's stops, walked by Tab from where the focus starts (the
// scroll area, then Merge, then Replace), each show the mark, so Space
// chooses Replace in sight; choosing it restores nothing.
TEST_F(ProfilesWidgetTest, TheRestoreSheetsStopsShowTheKeyboardFocus) {
    OrbelBackup backup;
    backup.profiles["Work"] = withSnippets(1, "w");
    imports.setPendingBackup(BackupRestoreSheetItem{Uuid::random(), backup, "/tmp/walk.orbelbackup"});
    QCoreApplication::processEvents();
    BackupRestoreSheet* sheet = view->restoreSheet();
    ASSERT_TRUE(sheet);
    sheet->resize(480, 640);
    QApplication::setActiveWindow(sheet);
    ASSERT_TRUE(QTest::qWaitForWindowActive(sheet));
    auto* scroll = sheet->findChild<QScrollArea*>("restoreScroll");
    ASSERT_TRUE(scroll);
    EXPECT_EQ(QApplication::focusWidget(), scroll) << "where the focus starts";
    QAbstractButton* merge = sheet->card(RestoreStrategy::merge);
    QAbstractButton* replace = sheet->card(RestoreStrategy::replace);
    for (QWidget* stop : {static_cast<QWidget*>(merge), static_cast<QWidget*>(replace)}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), stop);
    }
    const std::pair<const char*, QWidget*> stops[] = {
        {"restore-scroll", scroll}, {"restore-merge-card", merge}, {"restore-replace-card", replace}};
    for (const auto& [name, stop] : stops) EXPECT_TRUE(showsFocus(stop, sheet->cancelButton(), "profiles", name));
    bool confirmed = false;
    sheet->onConfirm = [&](RestoreStrategy) { confirmed = true; };
    replace->setFocus(Qt::TabFocusReason);
    QTest::keyClick(replace, Qt::Key_Space);
    EXPECT_EQ(sheet->model().strategy(), RestoreStrategy::replace);
    EXPECT_TRUE(sheet->confirmField()->hasFocus());
    EXPECT_FALSE(confirmed);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(profilePath("Work"))));
    sheet->reject();
    QCoreApplication::processEvents();
}

// Escape in a row's icon picker gives the focus back to the row's icon
// button, marked as it was when the picker opened, though the picker's
// write-back makes the rows again before the window is active again; and
// it stores nothing new.
TEST_F(ProfilesWidgetTest, TheIconPickerGivesTheFocusBackToTheIconItCameFrom) {
    QWidget window;  // as in the settings window, a control before the page
    auto* column = new QVBoxLayout(&window);
    auto* before = new QPushButton("General", &window);
    column->addWidget(before);
    column->addWidget(view.get());
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    const auto icon = [&] { return view->row("Default")->findChild<ProfileIconPicker*>(); };
    ASSERT_TRUE(icon());
    view->restoreButton()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(view->restoreButton(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), icon());
    QTest::keyClick(icon(), Qt::Key_Space);
    QPointer<IconPickerView> picker = icon()->picker();
    QPointer<ProfileIconPicker> opener = icon();
    ASSERT_TRUE(picker);
    picker->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(picker));
    QTest::keyClick(picker, Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !picker && !opener; })) << "the write-back makes the rows again";
    window.activateWindow();  // as the window manager does
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_EQ(QApplication::focusWidget(), icon());
    EXPECT_TRUE(ui::showsFocusMark(icon()));
    EXPECT_EQ(view->model().iconFor("Default"), std::nullopt);
    view->setParent(nullptr);  // the fixture deletes it
}

// The ring around "+ New", at the right end of the header, shows whole.
TEST_F(ProfilesWidgetTest, TheRingAroundNewShowsWhole) {
    QApplication::setActiveWindow(view.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    QPushButton* button = view->newButton();
    const QRect at(button->mapTo(view.get(), QPoint()), button->size());
    const QRect right(at.right() + 1, at.top(), ui::kButtonMarkOutset, at.height());
    view->backUpButton()->setFocus(Qt::TabFocusReason);
    const QImage without = view->grab(right).toImage();
    EXPECT_TRUE(showsFocus(button, view->backUpButton(), "profiles", "new-button"));
    button->setFocus(Qt::TabFocusReason);
    EXPECT_GT(accentPixelsAdded(without, view->grab(right).toImage(), view->palette().color(QPalette::Highlight)),
              at.height() / 2);
}
