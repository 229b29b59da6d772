// Every interactive control of the settings window, its tabs and the sheets
// and popovers they open, collected from the live widget tree and checked
// against the controls the widget and system tests use. A control that
// appears without being listed here fails the test: give it a test that
// clicks, types or toggles it as a user would, then list it. A listed one
// that is gone fails too: take it off the list.
//
// What the walk finds, by where it lives (215 controls):
//   window tab bar 6, General 18, Advanced 6, About 1 (+ acknowledgements 1),
//   Customization page 19 (+ parameter popover 3), group editor 23, slot
//   sheets 71 (keystroke 25 with the macro recorder 2, script 9, snippet 7,
//   dynamic 13, cycling 8, profile switch 3, rename 3), icon picker 11,
//   colour popover 15, Apps 3, per-app override sheet 17, app picker 9,
//   Profiles 7, create popover 3, duplicate sheet 3.
// Not walked, and driven elsewhere: the add-slot popover's rows (plain
// widgets; slot_editor_view_test, group_editor_view_test), the restore
// sheet (needs a pending backup; profiles_widget_test, restore_backup
// system test), the update window (update_window_test), the alerts and
// confirmations (QMessageBox; preferences_view_test, profiles_widget_test,
// per_app_widget_test).
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>
#include <gtest/gtest.h>
#include <set>

#include "editor/dial_editor_view.h"
#include "editor/editor_widgets.h"
#include "editor/picker_models.h"
#include "editor/picker_views.h"
#include "editor/slot_library_column.h"
#include "fakes/fake_system_platform.h"
#include "fakes/replace_shared.h"
#include "icons/icon_picker_view.h"
#include "input/recorder_button.h"
#include "profiles/per_app_views.h"
#include "profiles/profile_icon_picker.h"
#include "profiles/profiles_tab_view.h"
#include "settings/about_tab.h"
#include "settings/preferences_view.h"
#include "settings_fixture.h"
#include "sheets/icon_picker_row.h"
#include "sheets/slot_editor_view.h"
#include "sheets/step_list_editor.h"
#include "slots/system_app_provider.h"
#include "ui/accent_swatch_picker.h"
#include "ui/controls.h"
#include "ui/settings_tab_bar.h"

namespace orbel::testing {
namespace {

bool interactive(QWidget* w) {
    if (qobject_cast<QScrollBar*>(w) || w->objectName().startsWith(QLatin1String("qt_"))) return false;
    // The clear button inside a line edit, a table's headers and corner.
    if (w->inherits("QLineEditIconButton") || w->inherits("QHeaderView") || w->inherits("QTableCornerButton"))
        return false;
    return qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w) || qobject_cast<QLineEdit*>(w) ||
           qobject_cast<QAbstractSpinBox*>(w) || qobject_cast<QAbstractSlider*>(w) ||
           qobject_cast<QAbstractItemView*>(w) || qobject_cast<QTextEdit*>(w) || qobject_cast<QPlainTextEdit*>(w) ||
           qobject_cast<ui::SegmentedControl*>(w) || qobject_cast<editor::EditorRing*>(w);
}

QString namedAncestor(QWidget* w) {
    for (QWidget* p = w->parentWidget(); p; p = p->parentWidget())
        if (!p->objectName().isEmpty() && !p->objectName().startsWith(QLatin1String("qt_")))
            return QStringLiteral("in #") + p->objectName();
    return QStringLiteral("?");
}

// What a control is called: its object name, else what it says (a
// recorder's text is the binding it shows: its named ancestor instead).
QString nameOf(QWidget* w) {
    if (!w->objectName().isEmpty()) return QLatin1Char('#') + w->objectName();
    if (dynamic_cast<RecorderButton*>(w)) return namedAncestor(w);
    QString label;
    if (auto* b = qobject_cast<QAbstractButton*>(w)) label = b->text();
    if (label.isEmpty()) label = w->accessibleName();
    if (label.isEmpty()) label = w->toolTip();
    if (auto* e = qobject_cast<QLineEdit*>(w); e && label.isEmpty()) label = e->placeholderText();
    return label.isEmpty() ? namedAncestor(w) : QLatin1Char('"') + label + QLatin1Char('"');
}

class ControlInventoryTest : public SettingsFixture {
protected:
    // Adds the controls under `root` (itself included) and the actions of
    // their menus, each as "<where> <class> <name>".
    void collect(QWidget* root, const QString& where) {
        QList<QWidget*> all = root->findChildren<QWidget*>();
        all.prepend(root);
        for (QWidget* w : all) {
            if (!interactive(w)) continue;
            found.insert(QStringLiteral("%1 %2 %3").arg(where, w->metaObject()->className(), nameOf(w)).toStdString());
            QMenu* menu = nullptr;
            if (auto* push = qobject_cast<QPushButton*>(w)) menu = push->menu();
            if (auto* tool = qobject_cast<QToolButton*>(w)) menu = tool->menu();
            if (!menu) continue;
            for (QAction* a : menu->actions())
                if (!a->isSeparator()) found.insert(QStringLiteral("%1 QAction \"%2\"").arg(where, a->text()).toStdString());
        }
    }
    static QString kindOf(QWidget* w) { return QString::fromLatin1(w->metaObject()->className()).remove("orbel::"); }

    void walkCustomization(PreferencesView& view) {
        auto* page = static_cast<SlotEditorView*>(view.page(SettingsTab::customization));
        page->openAddSlotPopover();
        ASSERT_TRUE(page->addSlotPopover());
        collect(page->addSlotPopover(), "AddSlotPopover");
        page->addSlotPopover()->hide();
        bool pickedIcon = false;
        for (const auto& option : editor::addSlotOptions()) {
            page->pick(option.id);
            ASSERT_EQ(page->openSheets().size(), 1);
            QDialog* sheet = page->openSheets().front();
            if (auto* steps = sheet->findChild<StepListEditor*>()) {
                for (const char* add : {"Add Wait", "Add Text"}) steps->addButton(add)->click();
                for (auto* more : steps->findChildren<QToolButton*>())
                    if (more->menu())
                        for (QAction* a : more->menu()->actions()) a->trigger();
                steps->openRecorder();
                for (QDialog* r : sheet->findChildren<QDialog*>()) collect(r, kindOf(r));
            }
            collect(sheet, kindOf(sheet));
            if (auto* row = sheet->findChild<IconPickerRow*>(); row && !pickedIcon) {
                row->chooseButton()->click();
                auto* picker = sheet->findChild<IconPickerView*>();
                ASSERT_TRUE(picker);
                collect(picker, "IconPickerView");
                if (auto* tint = picker->tintPicker()) {
                    tint->togglePopover();
                    if (tint->popover()) collect(tint->popover(), "AccentSwatchPopover");
                }
                picker->reject();
                pickedIcon = true;
            }
            sheet->reject();
            QCoreApplication::processEvents();
        }
        auto* library = page->library();
        library->setSegment(editor::LibrarySegment::actions);
        ASSERT_TRUE(library->openParameterPopover(library->rowOf(QStringLiteral("Set Volume\u2026"))));
        collect(library->parameterPopover(), "ParameterPopover");
        library->parameterPopover()->close();
        library->setSegment(editor::LibrarySegment::apps);
        page->addGroup();
        ASSERT_EQ(page->openSheets().size(), 1);
        collect(page->openSheets().front(), "GroupEditorView");
        page->openSheets().front()->reject();
        QCoreApplication::processEvents();
        page->editSlot(0);
        ASSERT_EQ(page->openSheets().size(), 1);
        collect(page->openSheets().front(), kindOf(page->openSheets().front()));
        page->openSheets().front()->reject();
        QCoreApplication::processEvents();
    }

    void walkApps(PreferencesView& view) {
        auto* apps = static_cast<PerAppMenusEditorView*>(view.page(SettingsTab::appMenus));
        apps->openChooser();
        ASSERT_TRUE(apps->chooser());
        collect(apps->chooser(), "AppPickerView");
        apps->chooser()->reject();
        apps->model().addApp("firefox-esr", "Firefox ESR");
        apps->openSheet();
        ASSERT_TRUE(apps->overrideSheet());
        collect(apps, "appMenus");
        collect(apps->overrideSheet(), "PerAppOverrideSheet");
        apps->overrideSheet()->reject();
    }

    void walkProfiles(PreferencesView& view) {
        auto* profiles = static_cast<ProfilesTabView*>(view.page(SettingsTab::profiles));
        profiles->openCreatePopover();
        collect(profiles->createPopover(), "createPopover");
        profiles->createPopover()->hide();
        const std::string active = profiles->model().displayedProfiles().front();
        profiles->openDuplicateSheet(active);
        ASSERT_TRUE(profiles->duplicateSheet());
        collect(profiles->duplicateSheet(), "DuplicateProfileSheet");
        profiles->duplicateSheet()->reject();
        auto* icon = profiles->row(active)->findChild<ProfileIconPicker*>();
        icon->click();
        ASSERT_TRUE(icon->picker());
        collect(icon->picker(), "IconPickerView");
        icon->picker()->reject();
    }

    std::set<std::string> found;
};

// Each is used by a widget test under tests/ (or a system test) as a user
// would use it. Where: the tab (its raw name) or the sheet or popover's class.
const std::set<std::string> kUsedByTests = {
    // window: preferences_view_test.
    "window QAbstractButton \"About\"",
    "window QAbstractButton \"Advanced\"",
    "window QAbstractButton \"Apps\"",
    "window QAbstractButton \"Customization\"",
    "window QAbstractButton \"General\"",
    "window QAbstractButton \"Profiles\"",
    // general: preferences_view_test (EveryGeneralControlWritesItsSetting and others).
    "general QAbstractButton #openAtLogin",
    "general QAbstractButton #showInTray",
    "general QAbstractButton in #holdBinding",
    "general QAbstractButton in #tapBinding",
    "general QPushButton #clearMusicHotkey",
    "general QPushButton #resetHotkey",
    "general QPushButton #setMusicHotkey",
    "general QSlider #backdropOpacity",
    "general QSlider #dialSize",
    "general QSlider #slotBorders",
    "general QSlider #slotIntensity",
    "general orbel::AccentSwatchPicker #backdropColor",
    "general orbel::AccentSwatchPicker #slotColor",
    "general orbel::HotkeyRecorderView #musicHotkey",
    "general orbel::ui::SegmentedControl #activation",
    "general orbel::ui::SegmentedControl #backdrop",
    "general orbel::ui::SegmentedControl #colorScheme",
    "general orbel::ui::SegmentedControl #slotStyle",
    // advanced: preferences_view_test, update_window_test.
    "advanced QAbstractButton #closeKey",
    "advanced QAbstractButton #goBackKey",
    "advanced QPushButton #checkForUpdates",
    "advanced QPushButton #reloadConfig",
    "advanced QPushButton #resetAll",
    "advanced QPushButton #revealConfig",
    // about: preferences_view_test.
    "about QPushButton #acknowledgementsButton",
    // AcknowledgementsDialog: preferences_view_test (Return presses Done).
    "AcknowledgementsDialog QPushButton \"Done\"",
    // customization: editor_widgets_test, slot_editor_view_test, dial_editor system test.
    "customization QAction \"All Categories\"",
    "customization QAction \"Audio\"",
    "customization QAction \"Connectivity\"",
    "customization QAction \"Display\"",
    "customization QAction \"Media\"",
    "customization QAction \"System\"",
    "customization QAction \"Utilities\"",
    "customization QLineEdit \"Search\"",
    "customization QListView in #slotEditorPage",
    "customization QPushButton #addGroup",
    "customization QPushButton #addSlot",
    "customization QToolButton \"Actions\"",
    "customization QToolButton \"All Categories\"",
    "customization QToolButton \"All\"",
    "customization QToolButton \"Apps\"",
    "customization QToolButton \"Installed\"",
    "customization QToolButton \"Running\"",
    "customization QToolButton \"System\"",
    "customization orbel::editor::EditorRing \"Dial editor\"",
    // ParameterPopover: editor_widgets_test.
    "ParameterPopover QPushButton \"Add\"",
    "ParameterPopover QPushButton \"Cancel\"",
    "ParameterPopover QSlider in #slotEditorPage",
    // GroupEditorView: group_editor_view_test; its library column as above.
    "GroupEditorView QAbstractButton \"Choose group icon\"",
    "GroupEditorView QAction \"All Categories\"",
    "GroupEditorView QAction \"Audio\"",
    "GroupEditorView QAction \"Connectivity\"",
    "GroupEditorView QAction \"Display\"",
    "GroupEditorView QAction \"Media\"",
    "GroupEditorView QAction \"System\"",
    "GroupEditorView QAction \"Utilities\"",
    "GroupEditorView QLineEdit \"Search\"",
    "GroupEditorView QLineEdit #groupName",
    "GroupEditorView QListView in #groupEditor",
    "GroupEditorView QPushButton \"Cancel\"",
    "GroupEditorView QPushButton #addGroup",
    "GroupEditorView QPushButton #addSlot",
    "GroupEditorView QPushButton #saveGroup",
    "GroupEditorView QToolButton \"Actions\"",
    "GroupEditorView QToolButton \"All Categories\"",
    "GroupEditorView QToolButton \"All\"",
    "GroupEditorView QToolButton \"Apps\"",
    "GroupEditorView QToolButton \"Installed\"",
    "GroupEditorView QToolButton \"Running\"",
    "GroupEditorView QToolButton \"System\"",
    "GroupEditorView orbel::editor::EditorRing \"Dial editor\"",
    // KeystrokeSlotEditorSheet: sheets_widget_test (StepBarButtonsMenuAndTheRowsTheyAdd and others).
    "KeystrokeSlotEditorSheet QAbstractButton \"100\"",
    "KeystrokeSlotEditorSheet QAbstractButton \"1s\"",
    "KeystrokeSlotEditorSheet QAbstractButton \"250\"",
    "KeystrokeSlotEditorSheet QAbstractButton \"50\"",
    "KeystrokeSlotEditorSheet QAbstractButton \"500\"",
    "KeystrokeSlotEditorSheet QAbstractButton \"Choose an icon\"",
    "KeystrokeSlotEditorSheet QAction \"Clipboard Pop\"",
    "KeystrokeSlotEditorSheet QAction \"Clipboard Push\"",
    "KeystrokeSlotEditorSheet QAction \"Wait for Window\"",
    "KeystrokeSlotEditorSheet QLineEdit \"Bundle ID\"",
    "KeystrokeSlotEditorSheet QLineEdit \"Text to type\"",
    "KeystrokeSlotEditorSheet QLineEdit \"Title contains (optional)\"",
    "KeystrokeSlotEditorSheet QLineEdit \"e.g. Tab then Minimize\"",
    "KeystrokeSlotEditorSheet QPushButton \"Add Chord\"",
    "KeystrokeSlotEditorSheet QPushButton \"Add Text\"",
    "KeystrokeSlotEditorSheet QPushButton \"Add Wait\"",
    "KeystrokeSlotEditorSheet QPushButton \"Cancel\"",
    "KeystrokeSlotEditorSheet QPushButton \"Choose…\"",
    "KeystrokeSlotEditorSheet QPushButton \"Done\"",
    "KeystrokeSlotEditorSheet QPushButton \"Record\"",
    "KeystrokeSlotEditorSheet QPushButton \"Save\"",
    "KeystrokeSlotEditorSheet QSpinBox ?",
    "KeystrokeSlotEditorSheet QToolButton \"Delete step\"",
    "KeystrokeSlotEditorSheet QToolButton \"More\"",
    "KeystrokeSlotEditorSheet QToolButton \"Reset to default\"",
    // MacroRecorderOverlay: sheets_widget_test.
    "MacroRecorderOverlay QPushButton \"Cancel\"",
    "MacroRecorderOverlay QPushButton \"Done\"",
    // ScriptSlotEditorSheet: sheets_widget_test, slot_editor_view_test.
    "ScriptSlotEditorSheet QAbstractButton \"Choose an icon\"",
    "ScriptSlotEditorSheet QLineEdit \"e.g. Quick Note\"",
    "ScriptSlotEditorSheet QPlainTextEdit ?",
    "ScriptSlotEditorSheet QPushButton \"Cancel\"",
    "ScriptSlotEditorSheet QPushButton \"Choose…\"",
    "ScriptSlotEditorSheet QPushButton \"Save\"",
    "ScriptSlotEditorSheet QPushButton \"Test Run\"",
    "ScriptSlotEditorSheet QToolButton \"Reset to default\"",
    "ScriptSlotEditorSheet orbel::ui::SegmentedControl ?",
    // SnippetSlotEditorSheet: sheets_widget_test, slot_editor_view_test.
    "SnippetSlotEditorSheet QAbstractButton \"Choose an icon\"",
    "SnippetSlotEditorSheet QLineEdit \"e.g. Email Signature\"",
    "SnippetSlotEditorSheet QPlainTextEdit ?",
    "SnippetSlotEditorSheet QPushButton \"Cancel\"",
    "SnippetSlotEditorSheet QPushButton \"Choose…\"",
    "SnippetSlotEditorSheet QPushButton \"Save\"",
    "SnippetSlotEditorSheet QToolButton \"Reset to default\"",
    // DynamicSlotEditorSheet: dynamic_cycling_sheets_test, sheets_widget_test.
    "DynamicSlotEditorSheet QAbstractButton \"Choose an icon\"",
    "DynamicSlotEditorSheet QLineEdit \"e.g. Current Branch\"",
    "DynamicSlotEditorSheet QPlainTextEdit ?",
    "DynamicSlotEditorSheet QPushButton \"Cancel\"",
    "DynamicSlotEditorSheet QPushButton \"Choose…\"",
    "DynamicSlotEditorSheet QPushButton \"Save\"",
    "DynamicSlotEditorSheet QPushButton \"Test Run\"",
    "DynamicSlotEditorSheet QRadioButton \"Every N seconds\"",
    "DynamicSlotEditorSheet QRadioButton \"When dial opens\"",
    "DynamicSlotEditorSheet QToolButton \"Decrease\"",
    "DynamicSlotEditorSheet QToolButton \"Increase\"",
    "DynamicSlotEditorSheet QToolButton \"Reset to default\"",
    "DynamicSlotEditorSheet orbel::ui::SegmentedControl ?",
    // CyclingSlotEditorSheet: dynamic_cycling_sheets_test, slot_editor_view_test.
    "CyclingSlotEditorSheet QAbstractButton \"Choose an icon\"",
    "CyclingSlotEditorSheet QLineEdit \"e.g. Apps\"",
    "CyclingSlotEditorSheet QPushButton \"Add Action\"",
    "CyclingSlotEditorSheet QPushButton \"Add App\"",
    "CyclingSlotEditorSheet QPushButton \"Cancel\"",
    "CyclingSlotEditorSheet QPushButton \"Choose…\"",
    "CyclingSlotEditorSheet QPushButton \"Save\"",
    "CyclingSlotEditorSheet QToolButton \"Reset to default\"",
    // ProfileSwitchEditSheet: sheets_widget_test, slot_editor_view_test.
    "ProfileSwitchEditSheet QLineEdit \"Profiles\"",
    "ProfileSwitchEditSheet QPushButton \"Cancel\"",
    "ProfileSwitchEditSheet QPushButton \"Save\"",
    // SlotRenameSheet: slot_editor_view_test.
    "SlotRenameSheet QLineEdit \"Slot label\"",
    "SlotRenameSheet QPushButton \"Cancel\"",
    "SlotRenameSheet QPushButton \"Save\"",
    // IconPickerView: icon_picker_test, sheets_widget_test (IconRowTileResetAndEveryIconPickerControl).
    "IconPickerView QLineEdit \"Monogram\"",
    "IconPickerView QLineEdit \"Search\"",
    "IconPickerView QPushButton \"Apply\"",
    "IconPickerView QPushButton \"Cancel\"",
    "IconPickerView QPushButton \"Choose image…\"",
    "IconPickerView QPushButton \"Reset to default\"",
    "IconPickerView QTableView \"Icons\"",
    "IconPickerView QToolButton \"All\"",
    "IconPickerView orbel::AccentSwatchPicker \"Colour\"",
    "IconPickerView orbel::ui::SegmentedControl #iconPacks",
    "IconPickerView orbel::ui::SegmentedControl #iconPickerModes",
    // AccentSwatchPopover: accent_swatch_test, sheets_widget_test.
    "AccentSwatchPopover QAbstractButton \"#27AE60\"",
    "AccentSwatchPopover QAbstractButton \"#2D9CDB\"",
    "AccentSwatchPopover QAbstractButton \"#374151\"",
    "AccentSwatchPopover QAbstractButton \"#5B8DEF\"",
    "AccentSwatchPopover QAbstractButton \"#7B61FF\"",
    "AccentSwatchPopover QAbstractButton \"#9CA3AF\"",
    "AccentSwatchPopover QAbstractButton \"#C156D8\"",
    "AccentSwatchPopover QAbstractButton \"#EB5757\"",
    "AccentSwatchPopover QAbstractButton \"#F2C94C\"",
    "AccentSwatchPopover QAbstractButton \"#FF7A59\"",
    "AccentSwatchPopover QAbstractButton \"#FF8A00\"",
    "AccentSwatchPopover QAbstractButton \"#FFFFFF\"",
    "AccentSwatchPopover QAbstractButton \"Use System Accent\"",
    "AccentSwatchPopover QLineEdit \"Hex colour\"",
    "AccentSwatchPopover QPushButton \"Set\"",
    // appMenus: per_app_widget_test.
    "appMenus QPushButton \"Add App…\"",
    "appMenus QPushButton #edit",
    "appMenus QPushButton #remove",
    // PerAppOverrideSheet: per_app_widget_test (EveryOverrideControlEndsUpInTheSavedOverride), per_app_slots_test.
    "PerAppOverrideSheet QAbstractButton #appearanceOverride",
    "PerAppOverrideSheet QAbstractButton #closeKey",
    "PerAppOverrideSheet QAbstractButton #controlsOverride",
    "PerAppOverrideSheet QAbstractButton #goBackKey",
    "PerAppOverrideSheet QAbstractButton #sizeOverride",
    "PerAppOverrideSheet QPushButton \"Cancel\"",
    "PerAppOverrideSheet QPushButton \"Save\"",
    "PerAppOverrideSheet QPushButton #editSlots",
    "PerAppOverrideSheet QSlider #backdropOpacity",
    "PerAppOverrideSheet QSlider #dialSize",
    "PerAppOverrideSheet QSlider #slotBorders",
    "PerAppOverrideSheet QSlider #slotIntensity",
    "PerAppOverrideSheet orbel::AccentSwatchPicker #backdropColor",
    "PerAppOverrideSheet orbel::AccentSwatchPicker #slotColor",
    "PerAppOverrideSheet orbel::ui::SegmentedControl #backdrop",
    "PerAppOverrideSheet orbel::ui::SegmentedControl #colorScheme",
    "PerAppOverrideSheet orbel::ui::SegmentedControl #slotStyle",
    // AppPickerView: editor_widgets_test, per_app_widget_test.
    "AppPickerView QLineEdit \"Search\"",
    "AppPickerView QListWidget ?",
    "AppPickerView QPushButton \"Add\"",
    "AppPickerView QPushButton \"Cancel\"",
    "AppPickerView QPushButton \"Clear search\"",
    "AppPickerView QToolButton \"All Apps\"",
    "AppPickerView QToolButton \"System\"",
    "AppPickerView QToolButton \"Templates\"",
    "AppPickerView QToolButton \"Third Party\"",
    // profiles: profiles_widget_test.
    "profiles QAction \"Duplicate\"",
    "profiles QPushButton \"Back Up…\"",
    "profiles QPushButton \"New\"",
    "profiles QPushButton \"Restore…\"",
    "profiles QPushButton #more",
    "profiles QPushButton #switch",
    "profiles orbel::ProfileIconPicker \"Change profile icon\"",
    // createPopover: profiles_widget_test.
    "createPopover QLineEdit \"Profile name\"",
    "createPopover QPushButton \"Cancel\"",
    "createPopover QPushButton \"Save\"",
    // DuplicateProfileSheet: profiles_widget_test.
    "DuplicateProfileSheet QLineEdit \"New profile name\"",
    "DuplicateProfileSheet QPushButton \"Cancel\"",
    "DuplicateProfileSheet QPushButton \"Duplicate\"",
};

TEST_F(ControlInventoryTest, EveryControlOfTheWindowAndItsSheetsIsUsedByATest) {
    fakes::Installed<fakes::FakeWorkspace, platform::Workspace> workspace;
    fakes::Installed<fakes::FakeAppDirectory, platform::AppDirectory> directory;
    directory.apps = {{"firefox-esr", "Firefox ESR", "firefox-esr", "/usr/share/applications/firefox-esr.desktop"}};
    SystemAppProvider provider;
    fakes::ReplaceShared<SystemAppProvider> useProvider{provider};
    AppConfig config = AppConfig::defaultConfig();
    config.rootGroup.slots.resize(1);  // room to add slots and groups
    config.appearance.backdrop = Backdrop::filled;
    config.appearance.slotStyle = SlotStyle::filled;
    open(config);
    model.reset();
    PreferencesView view(live(), hotkeyManager, loginItem, import);
    view.resize(PreferencesView::kWidth, PreferencesView::kHeight);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    collect(view.tabBar(), "window");
    for (SettingsTab tab : kAllSettingsTabs) {
        QTest::mouseClick(view.tabBar()->button(static_cast<int>(tab)), Qt::LeftButton);
        collect(view.page(tab), QString::fromLatin1(rawValue(tab).data()));
    }
    auto* swatch = view.findChild<AccentSwatchPicker*>("backdropColor");
    swatch->togglePopover();
    collect(swatch->popover(), "AccentSwatchPopover");
    swatch->popover()->hide();
    walkCustomization(view);
    walkApps(view);
    walkProfiles(view);
    auto* about = static_cast<AboutTab*>(view.page(SettingsTab::about));
    about->showAcknowledgements();
    collect(about->acknowledgements(), "AcknowledgementsDialog");

    std::string gone;
    for (const auto& control : kUsedByTests)
        if (!found.count(control)) gone += "    \"" + control + "\"\n";
    EXPECT_TRUE(gone.empty()) << "listed but no longer there:\n" << gone;
    std::string unused;
    for (const auto& control : found) {
        if (kUsedByTests.count(control)) continue;
        QString quoted = QString::fromStdString(control);
        unused += "    \"" + quoted.replace('"', QLatin1String("\\\"")).toStdString() + "\",\n";
    }
    EXPECT_TRUE(unused.empty()) << found.size() << " controls; no test uses these yet:\n" << unused;
}

}  // namespace
}  // namespace orbel::testing
