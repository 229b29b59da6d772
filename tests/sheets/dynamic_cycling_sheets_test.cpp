// The dynamic and cycling slot sheets driven with QTest: real producers
// through the live runner, real pickers over a fake application list; and
// their pictures.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <csignal>

#include "editor/picker_views.h"
#include "fakes/fake_system_platform.h"
#include "fakes/replace_shared.h"
#include "icons/icon_catalog.h"
#include "sheets/cycling_slot_editor_sheet.h"
#include "sheets/dynamic_slot_editor_sheet.h"
#include "slots/system_app_provider.h"
#include "sheets/sheet_test_support.h"
#include "ui/controls.h"

namespace orbel {
namespace {

using testing::Saves;
using testing::settle;
using testing::shown;

DynamicSlotEditorSheet* dynamicSheet(const std::optional<SlotConfig>& existing, Saves* saves = nullptr) {
    auto* dialog = new DynamicSlotEditorSheet(existing, saves ? saves->callback() : nullptr, nullptr);
    return shown(qobject_cast<DynamicSlotEditorSheet*>(dialog));
}

// A radio button takes clicks on its circle and its text only.
void choose(QAbstractButton* radio) { QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(8, radio->height() / 2)); }

bool waitForRun(DynamicSlotEditorSheet* sheet) {
    return QTest::qWaitFor([&] { return !sheet->model().isRunning(); }, 20000);
}

// Real zsh through the live producer runner.
TEST(DynamicSheetWidget, TestRunsShowTheDialsLabelWithoutHoldingTheInterface) {
    QPointer<DynamicSlotEditorSheet> sheet = dynamicSheet(std::nullopt);
    EXPECT_FALSE(sheet->testButton()->isEnabled());
    sheet->producerEditor()->setPlainText("sleep 1; printf '\\n  \\nmain\\nother\\n'");
    QTest::mouseClick(sheet->testButton(), Qt::LeftButton);
    // The click came back while the producer sleeps.
    EXPECT_TRUE(sheet->model().isRunning());
    EXPECT_FALSE(sheet->testButton()->isEnabled());
    EXPECT_TRUE(sheet->testStatusText().isEmpty());
    ASSERT_TRUE(waitForRun(sheet));
    EXPECT_EQ(sheet->testStatusText(), "Label: \"main\"");
    EXPECT_TRUE(sheet->testButton()->isEnabled());

    sheet->producerEditor()->setPlainText("echo boom >&2; exit 3");
    QTest::mouseClick(sheet->testButton(), Qt::LeftButton);
    ASSERT_TRUE(waitForRun(sheet));
    EXPECT_EQ(sheet->testStatusText(), "exit 3: boom");

    // A producer still running when the sheet closes is ended with it.
    QTemporaryDir dir;
    const QString pidFile = dir.filePath("pid");
    sheet->producerEditor()->setPlainText(QString("echo $$ > '%1'; while :; do sleep 0.1; done").arg(pidFile));
    QTest::mouseClick(sheet->testButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo(pidFile).size() > 0; }, 20000));
    QFile file(pidFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const pid_t pid = file.readAll().trimmed().toInt();
    ASSERT_GT(pid, 0);
    sheet->reject();
    settle();
    EXPECT_TRUE(sheet.isNull());
    EXPECT_TRUE(QTest::qWaitFor([&] { return ::kill(pid, 0) != 0; }, 20000)) << "the producer still runs";
}

TEST(DynamicSheetWidget, RefreshControlsFollowTheModelAndAnEditKeepsItsClickAction) {
    QPointer<DynamicSlotEditorSheet> fresh = dynamicSheet(std::nullopt);
    EXPECT_EQ(fresh->title(), "New Dynamic Slot");
    EXPECT_EQ(fresh->languagePicker()->selected(), 1);  // Shell (zsh)
    EXPECT_TRUE(fresh->menuOpenButton()->isChecked());
    EXPECT_TRUE(fresh->intervalRow()->isHidden());
    // Choosing a policy moves nothing under the pointer.
    const QPoint intervalAt = fresh->intervalButton()->mapTo(fresh, QPoint());
    const QPoint intervalRowAt = fresh->intervalRow()->mapTo(fresh, QPoint());
    choose(fresh->intervalButton());
    EXPECT_FALSE(fresh->intervalRow()->isHidden());
    EXPECT_EQ(fresh->intervalButton()->mapTo(fresh, QPoint()), intervalAt);
    EXPECT_EQ(fresh->intervalRow()->mapTo(fresh, QPoint()), intervalRowAt);
    EXPECT_EQ(fresh->intervalText(), "30 seconds");
    for (int i = 0; i < 5; ++i) QTest::mouseClick(fresh->stepDownButton(), Qt::LeftButton);
    EXPECT_EQ(fresh->intervalText(), "5 seconds");
    EXPECT_FALSE(fresh->stepDownButton()->isEnabled());
    EXPECT_EQ(fresh->model().refreshPolicy(), RefreshPolicy::interval(5));
    fresh->reject();

    Saves saves;
    const DynamicClickAction click = DynamicClickAction::runScript(ScriptInvocation{ScriptLanguage::shell, "xdg-open ."});
    SlotConfig existing = SlotConfig::make(
        SlotType::dynamic(DynamicSlotConfig{ScriptInvocation{ScriptLanguage::shell, "git branch --show-current\n"},
                                            click, RefreshPolicy::interval(120)}),
        "Branch");
    existing.scope = SlotScope::app("org.gnome.gedit");
    QPointer<DynamicSlotEditorSheet> sheet = dynamicSheet(existing, &saves);
    EXPECT_EQ(sheet->title(), "Edit Dynamic Slot");
    EXPECT_TRUE(sheet->intervalButton()->isChecked());
    EXPECT_EQ(sheet->intervalText(), "120 seconds");
    QTest::mouseClick(sheet->stepUpButton(), Qt::LeftButton);
    choose(sheet->menuOpenButton());
    EXPECT_TRUE(sheet->intervalRow()->isHidden());
    choose(sheet->intervalButton());  // the last number again
    EXPECT_EQ(sheet->intervalText(), "125 seconds");
    sheet->nameField()->setText(" Branch\t");
    QTest::keyClick(sheet->nameField(), Qt::Key_Return);
    settle();
    EXPECT_TRUE(sheet.isNull());
    ASSERT_EQ(saves.slots.size(), 1u);
    const SlotConfig& saved = saves.slots[0];
    EXPECT_EQ(saved.title, "Branch");
    EXPECT_NE(saved.id, existing.id);
    EXPECT_EQ(saved.scope, SlotScope::global());
    const auto& config = saved.type.get<SlotType::Dynamic>()->config;
    EXPECT_EQ(config.clickAction, click);
    EXPECT_EQ(config.refresh, RefreshPolicy::interval(125));
    EXPECT_EQ(config.producer.source, "git branch --show-current\n");
}

TEST(DynamicSheetWidget, SaveStaysOffAndSaysWhyUntilTheSlotCanBeStored) {
    Saves saves;
    QPointer<DynamicSlotEditorSheet> sheet = dynamicSheet(std::nullopt, &saves);
    QTest::keyClicks(sheet->nameField(), "Branch");
    sheet->producerEditor()->setPlainText(" \n\t\n");
    EXPECT_FALSE(sheet->saveButton()->isEnabled());
    EXPECT_FALSE(sheet->testButton()->isEnabled());
    EXPECT_EQ(sheet->saveButton()->toolTip(), "Write a producer script to save.");
    QTest::keyClick(sheet->nameField(), Qt::Key_Return);
    sheet->nameField()->setText("  ");
    sheet->producerEditor()->setPlainText("date");
    EXPECT_EQ(sheet->saveButton()->toolTip(), "Name the slot to save it.");
    QTest::mouseClick(sheet->saveButton(), Qt::LeftButton);
    EXPECT_TRUE(saves.slots.empty());
    EXPECT_FALSE(sheet->producerRow()->problem());
    sheet->nameField()->setText("Clock");
    EXPECT_TRUE(sheet->saveButton()->isEnabled());
    EXPECT_TRUE(sheet->saveButton()->toolTip().isEmpty());
    QTest::mouseClick(sheet->cancelButton(), Qt::LeftButton);
    settle();
    EXPECT_TRUE(sheet.isNull());
    EXPECT_TRUE(saves.slots.empty());
}

// ---- Cycling.

class CyclingSheetWidget : public ::testing::Test {
protected:
    fakes::Installed<fakes::FakeWorkspace, platform::Workspace> workspace;
    fakes::Installed<fakes::FakeAppDirectory, platform::AppDirectory> directory;
    SystemAppProvider provider;
    fakes::ReplaceShared<SystemAppProvider> useProvider{provider};
    Saves saves;

    CyclingSlotEditorSheet* sheet(const std::optional<SlotConfig>& existing) {
        return shown(qobject_cast<CyclingSlotEditorSheet*>(
            new CyclingSlotEditorSheet(existing, saves.callback(), nullptr)));
    }
};

TEST_F(CyclingSheetWidget, ChildrenComeFromThePickersAndGoOneByOne) {
    directory.apps = {{"firefox-esr", "Firefox ESR", "firefox-esr", "/usr/share/applications/firefox-esr.desktop"}};
    QPointer<CyclingSlotEditorSheet> s = sheet(std::nullopt);
    EXPECT_EQ(s->title(), "New Cycling Slot");
    EXPECT_EQ(s->emptyText(), "No children yet \u2014 add one below.");
    int emptyLabels = 0;
    for (auto* label : s->findChildren<QLabel*>()) {
        if (label->text() != s->emptyText()) continue;
        ++emptyLabels;
        EXPECT_TRUE(label->isVisible());
        // Inside the box's edge: the box is the Children row's field.
        const QPoint inBox = label->mapTo(s->childrenRow()->content(), QPoint(0, 0));
        EXPECT_GE(inBox.x(), 12);
        EXPECT_GE(inBox.y(), 12);
    }
    EXPECT_EQ(emptyLabels, 1);
    QTest::keyClicks(s->nameField(), " Rotate ");
    EXPECT_EQ(s->saveButton()->toolTip(), "Add at least one child to save.");
    for (int i = 0; i < 2; ++i) {
        QTest::mouseClick(s->addAppButton(), Qt::LeftButton);
        auto* picker = qobject_cast<editor::AppPickerView*>(s->openPicker());
        ASSERT_TRUE(picker);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !picker->model().isLoading; }, 10000));
        picker->choose(0);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !s->openPicker(); }, 5000));
    }
    QTest::mouseClick(s->addActionButton(), Qt::LeftButton);
    auto* actions = qobject_cast<editor::ActionPickerView*>(s->openPicker());
    ASSERT_TRUE(actions);
    EXPECT_TRUE(actions->card(SystemAction::Kind::lockScreen)->isSelected());
    actions->addButton()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !s->openPicker(); }, 5000));
    const QString lock = QString::fromStdString(SystemAction(SystemAction::Kind::lockScreen).title());
    EXPECT_EQ(s->childTexts(), (QStringList{"1. Firefox ESR", "2. Firefox ESR", "3. " + lock}));
    EXPECT_TRUE(s->emptyText().isEmpty());
    // With the empty text gone, so is its room: the first child starts at
    // the box's top.
    settle();
    EXPECT_LE(s->childRow(0)->mapTo(s->childrenRow()->content(), QPoint(0, 0)).y(), 2);
    testing::savePictures(*s, "sheets", "cycling-three-children");
    EXPECT_NE(s->model().children[0].id, s->model().children[1].id);

    QTest::mouseClick(s->removeButton(1), Qt::LeftButton);
    settle();
    EXPECT_EQ(s->childTexts(), (QStringList{"1. Firefox ESR", "2. " + lock}));
    ASSERT_TRUE(s->saveButton()->isEnabled());
    QTest::mouseClick(s->saveButton(), Qt::LeftButton);
    settle();
    EXPECT_TRUE(s.isNull());
    ASSERT_EQ(saves.slots.size(), 1u);
    EXPECT_EQ(saves.slots[0].title, "Rotate");
    const auto& children = saves.slots[0].type.get<SlotType::Cycling>()->children;
    ASSERT_EQ(children.size(), 2u);
    EXPECT_EQ(children[0].type, SlotType::app("firefox-esr"));
    EXPECT_EQ(children[1].type, SlotType::action(SystemAction(SystemAction::Kind::lockScreen)));
}

TEST_F(CyclingSheetWidget, ARefusedChildKeepsSaveOffAndSaysWhy) {
    const SlotConfig files = SlotConfig::make(SlotType::app("org.gnome.Nautilus"), "Files");
    const SlotConfig existing = SlotConfig::make(
        SlotType::cycling({SlotConfig::makeGroup("Tools", {}), files, SlotConfig::make(SlotType::app("x"), "")}),
        "  Rotate  ");
    QPointer<CyclingSlotEditorSheet> s = sheet(existing);
    EXPECT_EQ(s->title(), "Edit Cycling Slot");
    EXPECT_EQ(s->nameField()->text(), "  Rotate  ");
    EXPECT_EQ(s->childTexts(), (QStringList{"1. Tools", "2. Files", "3. (untitled)"}));
    EXPECT_FALSE(s->saveButton()->isEnabled());
    ASSERT_TRUE(s->childrenRow()->problem());
    EXPECT_EQ(*s->childrenRow()->problem(), "Invalid slot configuration: Cycling slot children cannot be groups");
    EXPECT_EQ(s->saveButton()->toolTip(), *s->childrenRow()->problem());
    QTest::keyClick(s->nameField(), Qt::Key_Return);
    EXPECT_TRUE(saves.slots.empty());

    for (int index : {0, 1}) {  // the group, then the untitled child: the file would not load with either
        EXPECT_FALSE(s->saveButton()->isEnabled());
        QTest::mouseClick(s->removeButton(index), Qt::LeftButton);
        settle();
    }
    EXPECT_TRUE(s->saveButton()->isEnabled());
    EXPECT_FALSE(s->childrenRow()->problem());
    QTest::mouseClick(s->removeButton(0), Qt::LeftButton);
    settle();
    EXPECT_EQ(s->emptyText(), "No children yet \u2014 add one below.");
    EXPECT_FALSE(s->saveButton()->isEnabled());
    EXPECT_FALSE(s->childrenRow()->problem());  // nothing refused, just nothing yet
    s->reject();
    settle();
    EXPECT_TRUE(saves.slots.empty());
}

// ---- Pictures.

TEST(DynamicCyclingPicturesTest, DynamicAfterATestRunAndCyclingWithChildren) {
    IconCatalog::shared().bootstrap();
    const SlotConfig dynamic = SlotConfig::make(
        SlotType::dynamic(DynamicSlotConfig{
            ScriptInvocation{ScriptLanguage::shell, "git -C ~/src/orbel branch --show-current 2>/dev/null ||\n"
                                                    "  echo feature/radial-menu-editor-sheets"},
            DynamicClickAction::rerunProducer(), RefreshPolicy::interval(60)}),
        "Branch", SlotIcon::symbolPack(IconPack{"lucide"}, "rocket"));
    testing::saveSheetPictures("dynamic_after_test_run", [&] {
        auto* sheet = new DynamicSlotEditorSheet(dynamic, {});
        sheet->producerEditor()->setPlainText("echo; echo feature/radial-menu-editor-sheets");
        sheet->testButton()->click();
        EXPECT_TRUE(waitForRun(sheet));
        return sheet;
    });
    const SlotConfig cycling = SlotConfig::make(
        SlotType::cycling({SlotConfig::make(SlotType::app("org.gnome.Terminal"), "Terminal"),
                           SlotConfig::make(SlotType::app("firefox-esr"), "Firefox ESR"),
                           SlotConfig::make(SlotType::action(SystemAction(SystemAction::Kind::lockScreen)),
                                            "Lock the screen and walk away for a long coffee break"),
                           SlotConfig::make(SlotType::snippet("Best,\nAda"), "Signature")}),
        "Apps", SlotIcon::monogram("AP"));
    testing::saveSheetPictures("cycling_with_children", [&] { return new CyclingSlotEditorSheet(cycling, {}); });
    testing::saveSheetPictures("cycling_new", [&] { return new CyclingSlotEditorSheet(std::nullopt, {}); });
}

}  // namespace
}  // namespace orbel
