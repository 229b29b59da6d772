// The settings window's widgets driven with QTest, and its pictures under
// test-artifacts/settings (light and dark; the run with QT_SCALE_FACTOR=2
// adds the "@2x" set).
#include <QApplication>
#include <QDir>
#include <QStyleOptionSlider>
#include <QVariantAnimation>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>
#include <QScrollArea>
#include <QScrollBar>
#include <QScreen>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include "app/settings_window_controller.h"
#include "fakes/fake_file_manager.h"
#include "fakes/fake_keyboard_focus.h"
#include "fakes/replace_shared.h"
#include "input/hold_binding_recorder.h"
#include "input/menu_key_recorder.h"
#include "input/recorder_button.h"
#include "editor/dial_editor_view.h"
#include "editor/slot_library_column.h"
#include "fakes/fake_system_platform.h"
#include "profiles/per_app_views.h"
#include "profiles/profiles_tab_view.h"
#include "settings/about_tab.h"
#include "sheets/keystroke_slot_editor_sheet.h"
#include "sheets/slot_editor_view.h"
#include "sheets/step_list_editor.h"
#include "sheets/step_rows.h"
#include "slots/system_app_provider.h"
#include "settings/general_tab.h"
#include "settings/preferences_view.h"
#include "settings_fixture.h"
#include "support/focus_walk.h"
#include "support/shown_text.h"
#include "support/widget_pictures.h"
#include "settings/hotkey_recorder_view.h"
#include "ui/accent_swatch_picker.h"
#include "ui/controls.h"
#include "ui/settings_tab_bar.h"

namespace orbel::testing {
namespace {

class PreferencesViewTest : public SettingsFixture {
protected:
    PreferencesView& show() {
        open();
        model.reset();  // the view makes its own
        view = std::make_unique<PreferencesView>(live(), hotkeyManager, loginItem, import);
        view->resize(PreferencesView::kWidth, PreferencesView::kHeight);
        view->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        return *view;
    }
    void click(SettingsTab tab) {
        QTest::mouseClick(view->tabBar()->button(static_cast<int>(tab)), Qt::LeftButton);
    }
    PreferencesModel* openModel() override { return view ? &view->model() : model.get(); }
    template <class T>
    T* find(const char* name) const {
        return view->findChild<T*>(QString::fromLatin1(name));
    }

    std::unique_ptr<PreferencesView> view;
};

TEST_F(PreferencesViewTest, TabBarSwitchesTabsAndControlsWriteTheConfiguration) {
    auto& v = show();
    for (SettingsTab tab : {SettingsTab::about, SettingsTab::advanced, SettingsTab::customization, SettingsTab::general}) {
        click(tab);
        EXPECT_EQ(v.model().selectedTab(), tab);
        EXPECT_TRUE(v.page(tab)->isVisible());
    }
    auto* general = static_cast<GeneralTab*>(v.page(SettingsTab::general));
    auto* activation = general->findChildren<ui::SegmentedControl*>().front();
    QTest::mouseClick(activation, Qt::LeftButton, {}, activation->segmentRect(1).center());
    EXPECT_TRUE(live().config().activation.isHold());
    EXPECT_TRUE(showsText(general, "Hold a mouse button to open the dial, move to highlight, release to fire."));
    QTest::mouseClick(find<ui::ToggleSwitch>("showInTray"), Qt::LeftButton);
    EXPECT_FALSE(live().config().showInTray);
    QTest::mouseClick(find<ui::ToggleSwitch>("openAtLogin"), Qt::LeftButton);
    EXPECT_TRUE(loginBackend.enabled);
    find<QSlider>("dialSize")->setValue(15);
    EXPECT_EQ(live().config().menuRadius, 250);
    EXPECT_FALSE(general->row(appearance_settings::Row::backdropColor)->isVisible());
    v.model().setAppearance([](AppearanceConfig& a) { a.backdrop = Backdrop::filled; });
    EXPECT_TRUE(general->row(appearance_settings::Row::backdropColor)->isVisible());
    EXPECT_EQ(general->row(appearance_settings::Row::backdropOpacity)->helpLabel()->text(),
              "How opaque the solid color is.");
    // The swatch stores what its hex field applies, normalised.
    auto* swatch = find<AccentSwatchPicker>("backdropColor");
    swatch->togglePopover();
    QTest::keyClicks(swatch->popover()->hexField(), "ff7a59");
    QTest::keyClick(swatch->popover()->hexField(), Qt::Key_Return);
    EXPECT_EQ(live().config().appearance.backdropColor, "#FF7A59");
    // The music recorder records through the model's rules.
    general->musicRecorder()->setRecording(true);
    EXPECT_TRUE(v.model().isRecordingMusicHotkey());
    QTest::keyClick(general->musicRecorder(), Qt::Key_K, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return live().config().musicHotkey == KeyCombination{40, 0x1800, std::nullopt}; }));
    EXPECT_FALSE(v.model().isRecordingMusicHotkey());

    // Reset asks first; its alert is window-modal and answered by a click.
    click(SettingsTab::advanced);
    QTest::mouseClick(find<QPushButton>("resetAll"), Qt::LeftButton);
    ASSERT_TRUE(v.alertBox());
    EXPECT_EQ(v.alertBox()->defaultButton()->text(), "Cancel");  // Return resets nothing
    EXPECT_EQ(v.alertBox()->escapeButton(), v.alertBox()->defaultButton());
    EXPECT_EQ(live().config().menuRadius, 250);
    QTest::mouseClick(v.alertBox()->findChildren<QPushButton*>().front(), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return live().config().menuRadius == 200; }));
    EXPECT_FALSE(v.alertBox());
}

TEST_F(PreferencesViewTest, AnImportErrorNamingAFileShowsTheNameAsItStands) {
    auto& v = show();
    const QString message = "Couldn't read the backup: \u201C" + kMarkup + ".orbelbackup\u201D is a pipe, not a file.";
    import.setErrorMessage(message.toStdString());
    ASSERT_TRUE(QTest::qWaitFor([&] { return v.alertBox() != nullptr; }, 5000));
    const auto* informative = v.alertBox()->findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"));
    ASSERT_TRUE(informative);
    EXPECT_EQ(shownText(informative), message);
}

// Reset removes the per-app dials too, and its confirmation names them.
TEST_F(PreferencesViewTest, ResetConfirmationNamesThePerAppDials) {
    // The test's own installed applications: none of the built-in lists,
    // whose names would win over the directory's.
    fakes::Installed<fakes::FakeWorkspace, platform::Workspace> workspace;
    fakes::Installed<fakes::FakeAppDirectory, platform::AppDirectory> directory;
    directory.apps = {{"firefox-esr", "Firefox ESR", "firefox-esr", "/usr/share/applications/firefox-esr.desktop"}};
    SystemAppProvider provider;
    fakes::ReplaceShared<SystemAppProvider> useProvider{provider};
    AppConfig config = AppConfig::defaultConfig();
    for (const char* id : {"firefox-esr", "org.example.Gone"}) config.appOverrides[id].slots.emplace();
    live().setConfig(config);
    auto& v = show();
    click(SettingsTab::advanced);
    // The names arrive from a worker thread; until then the ids stand in.
    ASSERT_TRUE(QTest::qWaitFor([&] { return v.model().resetMessage().find("Firefox ESR") != std::string::npos; }, 30000));
    QTest::mouseClick(find<QPushButton>("resetAll"), Qt::LeftButton);
    ASSERT_TRUE(v.alertBox());
    EXPECT_EQ(v.alertBox()->informativeText(),
              "This will remove your custom hotkey, dial slots, and appearance changes, and the per-app dials for "
              "Firefox ESR and org.example.Gone. This cannot be undone.");
    EXPECT_EQ(v.alertBox()->defaultButton()->text(), "Cancel");
    savePictures(*v.alertBox(), "settings", "reset-confirmation-per-app-dials");
    QTest::mouseClick(v.alertBox()->findChildren<QPushButton*>().front(), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return live().config().appOverrides.empty(); }));
}

TEST_F(PreferencesViewTest, ChooseCustomStartsTheTapRecorderAndReturnClosesTheAcknowledgements) {
    auto& v = show();
    v.model().showConflict(kOptSpace);
    ASSERT_TRUE(v.alertBox());
    QPushButton* custom = nullptr;
    for (auto* b : v.alertBox()->findChildren<QPushButton*>())
        if (b->text() == "Choose Custom") custom = b;
    ASSERT_TRUE(custom);
    QTest::mouseClick(custom, Qt::LeftButton);
    auto* general = static_cast<GeneralTab*>(v.page(SettingsTab::general));
    EXPECT_TRUE(general->tapRecorder().isRecording());
    EXPECT_FALSE(tapChord());  // suspended while it records
    general->tapRecorder().setRecording(false);
    EXPECT_FALSE(v.model().isRecordingHotkey());

    click(SettingsTab::about);
    auto* about = static_cast<AboutTab*>(v.page(SettingsTab::about));
    QTest::mouseClick(about->findChild<QPushButton*>("acknowledgementsButton"), Qt::LeftButton);
    ASSERT_TRUE(about->acknowledgements());
    EXPECT_TRUE(QTest::qWaitForWindowExposed(about->acknowledgements()));
    QTest::keyClick(about->acknowledgements(), Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !about->acknowledgements(); }));
}

// General scrolled away from the hotkey in a small window; Reset, whose
// default hotkey another client holds, then the conflict's Choose Custom:
// the recorder that records, holding the keyboard, is scrolled into sight.
TEST_F(PreferencesViewTest, ChooseCustomAfterAResetScrollsTheRecordingRecorderIntoSight) {
    AppConfig config = AppConfig::defaultConfig();
    config.activation = ActivationMode::tap(HoldBinding::keyCombination(kCtrlOptO));
    live().setConfig(config);
    hotkeys.takenByOthers.insert(chord(kOptSpace));
    auto& v = show();
    v.resize(PreferencesView::kWidth, 540);  // what 1024x600 leaves a window
    QCoreApplication::processEvents();
    auto* general = static_cast<GeneralTab*>(v.page(SettingsTab::general));
    general->verticalScrollBar()->setValue(general->verticalScrollBar()->maximum());
    ASSERT_GT(general->verticalScrollBar()->value(), 0);
    click(SettingsTab::advanced);
    QTest::mouseClick(find<QPushButton>("resetAll"), Qt::LeftButton);
    ASSERT_TRUE(v.alertBox());
    QTest::mouseClick(v.alertBox()->findChildren<QPushButton*>().front(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return v.alertBox() && v.model().alert() && v.model().alert()->kind == SettingsAlert::Kind::hotkeyConflict;
    }));
    for (auto* b : v.alertBox()->findChildren<QPushButton*>())
        if (b->text() == "Choose Custom") QTest::mouseClick(b, Qt::LeftButton);
    ASSERT_TRUE(general->tapRecorder().isRecording());
    auto* recorder = general->findChild<QWidget*>("tapBinding");
    const QRect shown(recorder->mapTo(general->viewport(), QPoint(0, 0)), recorder->size());
    EXPECT_TRUE(general->viewport()->rect().contains(shown))
        << "the recorder at " << shown.y() << " in a view " << general->viewport()->height() << " high";
    savePictures(v, "settings", "choose-custom-recorder-in-sight");
    general->tapRecorder().setRecording(false);
}

TEST_F(PreferencesViewTest, TabsAndTheWindowGoWhileRecordingAndWithPopupsOpen) {
    // The General tab alone, closed and destroyed while recording the music key.
    auto& m = open(AppConfig::defaultConfig());
    auto tab = std::make_unique<GeneralTab>(m);
    tab->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(tab.get()));
    tab->musicRecorder()->setRecording(true);
    ASSERT_TRUE(m.isRecordingMusicHotkey());
    EXPECT_FALSE(tapChord());
    tab->close();
    tab.reset();
    EXPECT_FALSE(m.isRecordingMusicHotkey());  // the recording ended with the tab
    EXPECT_EQ(tapChord(), chord(kOptSpace));    // and the activation is armed again

    // The whole window, with every tab made, the music key and the tap key
    // recording, a swatch's popover and the Apps tab's sheet open.
    auto& v = show();
    for (SettingsTab t : kAllSettingsTabs) click(t);
    click(SettingsTab::general);
    auto* general = static_cast<GeneralTab*>(v.page(SettingsTab::general));
    general->musicRecorder()->setRecording(true);
    general->tapRecorder().startRecording();
    v.model().setAppearance([](AppearanceConfig& a) { a.backdrop = Backdrop::filled; });
    find<AccentSwatchPicker>("backdropColor")->togglePopover();
    auto* apps = static_cast<PerAppMenusEditorView*>(v.page(SettingsTab::appMenus));
    apps->model().addApp("firefox", "Firefox");
    apps->openSheet();
    ASSERT_TRUE(apps->overrideSheet());
    // The Customization tab's keystroke sheet with a chord row listening
    // and the macro recorder open over it.
    auto* page = static_cast<SlotEditorView*>(v.page(SettingsTab::customization));
    page->pick(editor::AddSlotKind::keystroke);
    QPointer<KeystrokeSlotEditorSheet> keys = v.findChild<KeystrokeSlotEditorSheet*>();
    ASSERT_TRUE(keys);
    QTest::mouseClick(keys->stepList()->addButton("Add Chord"), Qt::LeftButton);
    qobject_cast<ChordRow*>(keys->stepList()->rowWidget(0))->toggleRecording();
    keys->stepList()->openRecorder();
    view->close();
    EXPECT_EQ(tapChord(), chord(kOptSpace));  // armed again as the window closed
    const int registrations = hotkeys.registrations;
    view.reset();
    EXPECT_FALSE(keys);
    EXPECT_EQ(hotkeys.registrations, registrations) << "nothing is armed as the window goes";
    EXPECT_FALSE(live().config().appOverrides.at("firefox").slots->size());
}

// A recorder left recording stops, without a result, when its control
// leaves the screen: the activation is armed again, and the next chord
// (Ctrl+Shift+Tab, back a tab) is no hot key.
// Another program's window made the active one counts as leaving: the
// keyboard is let go at once. A recording the rebind request started, as
// its window opens, holds the keyboard once that window is the active one,
// and stops alike.
struct LeavingCase {
    const char* name;
    bool hold;
    void (*leave)(PreferencesView&);
    bool rebind = false;
};
void PrintTo(const LeavingCase& c, std::ostream* os) { *os << c.name; }
class RecorderLeavingTheScreen : public PreferencesViewTest, public ::testing::WithParamInterface<LeavingCase> {
protected:
    fakes::Installed<fakes::FakeKeyboardFocus, platform::KeyboardFocus> focus;
};

TEST_P(RecorderLeavingTheScreen, StopsWithoutAResultAndTheActivationIsArmedAgain) {
    const auto& c = GetParam();
    AppConfig config = AppConfig::defaultConfig();
    const auto key = HoldBinding::keyCombination(kCtrlOptO);
    config.activation = c.hold ? ActivationMode::hold(key) : ActivationMode::tap(key);
    live().setConfig(config);
    auto& v = show();
    auto* general = static_cast<GeneralTab*>(v.page(SettingsTab::general));
    auto& recorder = c.hold ? general->holdRecorder() : general->tapRecorder();
    const auto armed = [&] { return hotkeys.chordOf(c.hold ? HotkeyManager::kHoldId : HotkeyManager::kTapId); };
    auto* button = static_cast<RecorderButton*>(
        find<QWidget>(c.hold ? "holdBinding" : "tapBinding")->findChild<QAbstractButton*>());
    QWidget other;  // the launch alert, gone as the window opens to rebind
    if (c.rebind) {
        other.show();
        other.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
        v.model().beginRebind();
        EXPECT_FALSE(button->isGrabbingKeyboard()) << "held before its window is the active one";
        other.hide();
    }
    v.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&v));
    if (!c.rebind) QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_TRUE(recorder.isRecording());
    ASSERT_FALSE(armed());
    EXPECT_TRUE(button->isGrabbingKeyboard());
    c.leave(v);
    EXPECT_FALSE(button->isGrabbingKeyboard());
    EXPECT_FALSE(recorder.isRecording());
    EXPECT_FALSE(v.model().isRecordingHotkey() || v.model().isRecordingHoldBinding());
    EXPECT_EQ(armed(), chord(kCtrlOptO));
    QTest::keyClick(&v, Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
    settle();
    EXPECT_EQ(live().config().activation, config.activation);
}

void toCustomization(PreferencesView& v) {
    QTest::mouseClick(v.tabBar()->button(static_cast<int>(SettingsTab::customization)), Qt::LeftButton);
}
void toAnotherProgram(PreferencesView&) {
    static_cast<fakes::FakeKeyboardFocus&>(platform::KeyboardFocus::shared()).leave();
}
INSTANTIATE_TEST_SUITE_P(
    Settings, RecorderLeavingTheScreen,
    ::testing::Values(LeavingCase{"tap_other_tab", false, toCustomization},
                      LeavingCase{"hold_other_tab", true, toCustomization},
                      LeavingCase{"tap_window_closed", false, [](PreferencesView& v) { v.close(); }},
                      LeavingCase{"hold_window_minimized", true, [](PreferencesView& v) { v.showMinimized(); }},
                      LeavingCase{"tap_another_program", false, toAnotherProgram},
                      LeavingCase{"hold_another_program", true, toAnotherProgram},
                      LeavingCase{"tap_rebind_another_program", false, toAnotherProgram, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PreferencesViewTest, EveryGeneralControlWritesItsSetting) {
    auto& v = show();
    const auto look = [this] { return live().config().appearance; };
    const auto segment = [this](const char* name, int index) {
        auto* control = find<ui::SegmentedControl>(name);
        ASSERT_TRUE(control) << name;
        QTest::mouseClick(control, Qt::LeftButton, {}, control->segmentRect(index).center());
    };
    segment("colorScheme", 1);
    EXPECT_EQ(look().mode, AppearanceMode::dark);
    segment("backdrop", 2);
    EXPECT_EQ(look().backdrop, Backdrop::filled);
    segment("slotStyle", 1);
    EXPECT_EQ(look().slotStyle, SlotStyle::filled);
    // The sliders, by keyboard: End goes to the top of each one's range.
    for (auto [name, field, top] : {std::tuple{"backdropOpacity", &AppearanceConfig::backdropOpacity, 1.0},
                                    std::tuple{"slotIntensity", &AppearanceConfig::wedgeFillStrength, 1.5},
                                    std::tuple{"slotBorders", &AppearanceConfig::wedgeStrokeStrength, 1.2}}) {
        auto* slider = find<QSlider>(name);
        ASSERT_TRUE(slider && slider->isVisible()) << name;
        slider->setFocus();
        QTest::keyClick(slider, Qt::Key_End);
        EXPECT_DOUBLE_EQ(look().*field, top) << name;
    }
    // Filled slots show their colour swatch.
    auto* slotColor = find<AccentSwatchPicker>("slotColor");
    ASSERT_TRUE(slotColor->isVisible());
    auto* general = static_cast<GeneralTab*>(v.page(SettingsTab::general));
    QCoreApplication::processEvents();  // the shown row's layout
    general->ensureWidgetVisible(slotColor);  // clicks land where the page shows it
    QTest::mouseClick(slotColor, Qt::LeftButton);
    ASSERT_TRUE(slotColor->popover());
    QTest::keyClicks(slotColor->popover()->hexField(), "12ab34");
    QTest::keyClick(slotColor->popover()->hexField(), Qt::Key_Return);
    EXPECT_EQ(look().slotColor, "#12AB34");

    // The tap recorder starts and stops on clicks; Reset brings the default back.
    general->ensureWidgetVisible(find<QWidget>("tapBinding"));
    auto* tap = find<QWidget>("tapBinding")->findChild<QAbstractButton*>();
    QTest::mouseClick(tap, Qt::LeftButton);
    EXPECT_TRUE(v.model().isRecordingHotkey());
    EXPECT_FALSE(find<QPushButton>("resetHotkey")->isEnabled());
    QTest::mouseClick(tap, Qt::LeftButton);
    EXPECT_FALSE(v.model().isRecordingHotkey());
    v.model().tapBindingCaptured(HoldBinding::keyCombination(kCtrlOptO));
    ASSERT_EQ(tapChord(), chord(kCtrlOptO));
    QTest::mouseClick(find<QPushButton>("resetHotkey"), Qt::LeftButton);
    EXPECT_EQ(tapChord(), chord(kOptSpace));
    EXPECT_EQ(live().config().activation, ActivationMode::tap(HoldBinding::keyCombination(kOptSpace)));
    // In Hold mode the hold recorder takes the row.
    segment("activation", 1);
    auto* hold = find<QWidget>("holdBinding")->findChild<QAbstractButton*>();
    ASSERT_TRUE(hold->isVisible());
    QTest::mouseClick(hold, Qt::LeftButton);
    EXPECT_TRUE(v.model().isRecordingHoldBinding());
    QTest::mouseClick(hold, Qt::LeftButton);
    EXPECT_FALSE(v.model().isRecordingHoldBinding());

    // The music hot key: set by its button and a chord, cleared by Clear.
    general->ensureWidgetVisible(find<QPushButton>("setMusicHotkey"));
    QTest::mouseClick(find<QPushButton>("setMusicHotkey"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return v.model().isRecordingMusicHotkey(); }));
    QTest::keyClick(find<HotkeyRecorderView>("musicHotkey"), Qt::Key_K, Qt::ControlModifier | Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return live().config().musicHotkey.has_value(); }));
    QTest::mouseClick(find<QPushButton>("clearMusicHotkey"), Qt::LeftButton);
    EXPECT_FALSE(live().config().musicHotkey);
    EXPECT_TRUE(find<QPushButton>("setMusicHotkey")->isVisible());
}

TEST_F(PreferencesViewTest, AdvancedRecordersStoreTheDialKeysAndReloadReadsTheFile) {
    show();
    click(SettingsTab::advanced);
    for (auto [name, key] : {std::pair{"closeKey", &ControlsConfig::closeMenuKey},
                             std::pair{"goBackKey", &ControlsConfig::goBackKey}}) {
        auto* recorder = find<MenuKeyRecorder>(name);
        QTest::mouseClick(recorder, Qt::LeftButton);
        ASSERT_TRUE(recorder->isRecording()) << name;
        QTest::keyClick(recorder, Qt::Key_K, Qt::ShiftModifier);
        EXPECT_EQ(live().config().controls.*key, (KeyCombination{40, modifier::kShift, std::nullopt})) << name;
        EXPECT_FALSE(recorder->isRecording());
    }

    // Reload takes up an edit made to the file outside the window.
    AppConfig edited = live().config();
    edited.menuRadius = 250;
    writeFile(live().configPath(), edited.encodeDocument());
    QTest::mouseClick(find<QPushButton>("reloadConfig"), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return live().config().menuRadius == 250; }));
    EXPECT_EQ(find<QSlider>("dialSize")->value(), 15);
}

// A wheel turn over `widget`'s centre, as the window system delivers it.
void turnWheel(QWidget* widget, int notches) {
    const QPointF at = QRectF(widget->rect()).center();
    QWheelEvent wheel(at, widget->mapToGlobal(at), QPoint(), QPoint(0, -120 * notches), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(widget, &wheel);
}

TEST_F(PreferencesViewTest, TheWheelScrollsThePageUnlessTheSliderHasFocus) {
    auto& m = open(AppConfig::defaultConfig());
    GeneralTab tab(m);
    tab.resize(640, 300);  // short: the page scrolls
    tab.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&tab));
    auto* size = tab.findChild<QSlider*>("dialSize");
    QCoreApplication::processEvents();
    ASSERT_GT(tab.verticalScrollBar()->maximum(), 0) << tab.height() << " " << tab.widget()->height();
    EXPECT_NE(size->focusPolicy(), Qt::WheelFocus);  // the wheel never gives it focus
    const std::string before = live().config().encodeDocument();
    turnWheel(size, 3);
    EXPECT_EQ(live().config().encodeDocument(), before);  // nothing changed or saved
    EXPECT_GT(tab.verticalScrollBar()->value(), 0);       // the page scrolled instead

    // Focused (by a click or Tab), the slider takes the wheel.
    tab.activateWindow();
    size->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return size->hasFocus(); }));
    const int value = size->value();
    turnWheel(size, 1);
    EXPECT_NE(size->value(), value);
    EXPECT_NE(live().config().menuRadius, AppConfig::kDefaultRadius);
}

QPalette darkPalette() {
    QPalette p;
    const QColor window(0x24, 0x24, 0x26), text(0xF2, 0xF2, 0xF7), base(0x1C, 0x1C, 0x1E), button(0x3A, 0x3A, 0x3C);
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::Window, window);
        p.setColor(group, QPalette::WindowText, text);
        p.setColor(group, QPalette::Base, base);
        p.setColor(group, QPalette::AlternateBase, window);
        p.setColor(group, QPalette::Text, text);
        p.setColor(group, QPalette::Button, button);
        p.setColor(group, QPalette::ButtonText, text);
        p.setColor(group, QPalette::Highlight, QColor(0x0A, 0x84, 0xFF));
        p.setColor(group, QPalette::HighlightedText, Qt::white);
        p.setColor(group, QPalette::Link, QColor(0x4D, 0xA3, 0xFF));
        p.setColor(group, QPalette::Light, button.lighter(140));
        p.setColor(group, QPalette::Mid, button.darker(120));
        p.setColor(group, QPalette::Dark, button.darker(160));
    }
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x8E, 0x8E, 0x93));
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x8E, 0x8E, 0x93));
    return p;
}

TEST_F(PreferencesViewTest, CustomizationTabEditsTheRootDialWithSixSlotsAndWithNone) {
    const auto picture = [this](const char* name) {
        const QString dir = QStringLiteral(ORBEL_BINARY_DIR "/test-artifacts/settings");
        QDir().mkpath(dir);
        const QString suffix = qEnvironmentVariable("ORBEL_RENDER_SUFFIX");
        const QPalette light = QApplication::palette();
        for (const char* scheme : {"light", "dark"}) {
            QApplication::setPalette(std::string_view(scheme) == "dark" ? darkPalette() : light);
            QCoreApplication::processEvents();
            EXPECT_TRUE(view->grab().save(QStringLiteral("%1/%2-%3%4.png").arg(dir, name, scheme, suffix)));
        }
        QApplication::setPalette(light);
    };
    fakes::Installed<fakes::FakeWorkspace, platform::Workspace> workspace;
    fakes::Installed<fakes::FakeAppDirectory, platform::AppDirectory> directory;
    directory.apps = {{"org.gnome.Nautilus", "Files", "org.gnome.Nautilus", "/usr/share/applications/n.desktop"},
                      {"firefox-esr", "Firefox ESR", "firefox-esr", "/usr/share/applications/firefox-esr.desktop"},
                      {"org.gnome.Terminal", "Terminal", "org.gnome.Terminal", "/usr/share/applications/t.desktop"}};
    SystemAppProvider provider;
    fakes::ReplaceShared<SystemAppProvider> useProvider{provider};
    AppConfig config = AppConfig::defaultConfig();
    config.rootGroup.slots.clear();
    const auto& actions = SystemAction::parameterlessCases();
    for (std::size_t i = 0; i < 5; ++i)
        config.rootGroup.slots.push_back(SlotConfig::make(SlotType::action(actions[i * 3]), "Action"));
    config.rootGroup.slots.push_back(SlotConfig::make(SlotType::app("org.gnome.Nautilus"), "Files"));
    live().setConfig(config);
    auto& v = show();
    click(SettingsTab::customization);
    auto* page = qobject_cast<SlotEditorView*>(v.page(SettingsTab::customization));
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !page->library()->model().isLoadingApps; }, 10000));
    EXPECT_EQ(page->dialEditor()->slots().size(), 6u);
    EXPECT_FALSE(page->addSlotButton()->isEnabled());
    EXPECT_FALSE(page->addGroupButton()->isEnabled());
    QTest::qWait(150);  // the tab pill's fade
    picture("customization-six-slots");

    // A change made elsewhere (here: the file's slots emptied) shows at once.
    live().change([](AppConfig& c) { c.rootGroup.slots.clear(); });
    EXPECT_TRUE(page->dialEditor()->slots().empty());
    EXPECT_EQ(page->countLabel()->text(), "0 slots");
    EXPECT_TRUE(page->addSlotButton()->isEnabled());
    picture("customization-no-slots");
    view.reset();
}

TEST_F(PreferencesViewTest, ShowInFileManagerSaysWhenNothingCouldShowTheFolder) {
    fakes::FakeFileManager files;
    fakes::ReplaceShared<platform::FileManager> useFiles{files};
    show();
    click(SettingsTab::advanced);
    auto* failure = find<QLabel>("revealFailure");
    ASSERT_TRUE(failure);
    QTest::mouseClick(find<QPushButton>("revealConfig"), Qt::LeftButton);
    EXPECT_EQ(files.revealed, std::vector<std::string>{live().configPath()});
    EXPECT_FALSE(failure->isVisible()) << "shown: nothing to say";
    files.failure = "xdg-open is not installed";
    QTest::mouseClick(find<QPushButton>("revealConfig"), Qt::LeftButton);
    EXPECT_TRUE(failure->isVisible());
    EXPECT_TRUE(failure->text().endsWith("no file manager answered and xdg-open is not installed."));
    files.failure.reset();
    QTest::mouseClick(find<QPushButton>("revealConfig"), Qt::LeftButton);
    EXPECT_FALSE(failure->isVisible()) << "a later success clears it";
}

TEST_F(PreferencesViewTest, TheAboutDescriptionShowsAllItsLines) {
    show();
    click(SettingsTab::about);
    QCoreApplication::processEvents();
    auto* description = find<QLabel>("description");
    ASSERT_TRUE(description);
    EXPECT_GE(description->height(), description->heightForWidth(description->width()));
    EXPECT_GT(description->height(), 2 * description->fontMetrics().height() - 2) << "two lines at least";
}

// The offscreen screen (800x800) is narrower than the window's own size.
TEST_F(PreferencesViewTest, TheWindowFitsASmallScreenAndEveryPageScrollsInIt) {
    open();
    model.reset();
    fakes::ReplaceShared<ImportCoordinator> useImport{import};
    SettingsWindowController controller(live(), hotkeyManager, loginItem);
    controller.show();
    PreferencesView* window = controller.window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    const QRect screen = window->screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(window->frameGeometry())) << "the window and its frame are on the screen";
    EXPECT_LE(window->minimumWidth(), screen.width());
    EXPECT_LE(window->minimumHeight(), screen.height());
    for (SettingsTab tab : kAllSettingsTabs) {
        window->model().selectTab(tab);
        QCoreApplication::processEvents();
        QWidget* page = window->page(tab);
        auto* scroll = qobject_cast<QScrollArea*>(page);
        for (QWidget* w = page; !scroll && w; w = w->parentWidget()) scroll = qobject_cast<QScrollArea*>(w);
        ASSERT_TRUE(scroll) << rawValue(tab) << " scrolls";
        EXPECT_TRUE(window->rect().contains(QRect(scroll->mapTo(window, QPoint(0, 0)), scroll->size())))
            << rawValue(tab);
    }
    // Add Slot and Add Group, scrolled to, are in the window.
    auto* customization = static_cast<SlotEditorView*>(window->page(SettingsTab::customization));
    window->model().selectTab(SettingsTab::customization);
    for (QWidget* button : {static_cast<QWidget*>(customization->addSlotButton()),
                            static_cast<QWidget*>(customization->addGroupButton())}) {
        qobject_cast<QScrollArea*>(customization->parentWidget()->parentWidget())->ensureWidgetVisible(button);
        EXPECT_TRUE(window->rect().contains(QRect(button->mapTo(window, QPoint(0, 0)), button->size())));
    }
    window->close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !controller.window(); }));
}

TEST_F(PreferencesViewTest, ControlTabAndControlPageKeysGoFromTabToTab) {
    auto& v = show();
    QApplication::setActiveWindow(&v);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&v));
    const auto press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers) {
        QWidget* focused = QApplication::focusWidget();
        QTest::keyClick(focused ? focused : &v, key, modifiers);
        return v.model().selectedTab();
    };
    EXPECT_EQ(press(Qt::Key_Tab, Qt::ControlModifier), SettingsTab::customization);
    EXPECT_EQ(press(Qt::Key_PageDown, Qt::ControlModifier), SettingsTab::appMenus);
    EXPECT_EQ(press(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier), SettingsTab::customization);
    EXPECT_EQ(press(Qt::Key_PageUp, Qt::ControlModifier), SettingsTab::general);
    EXPECT_EQ(press(Qt::Key_PageUp, Qt::ControlModifier), SettingsTab::about) << "round";
    EXPECT_EQ(v.tabBar()->selected(), static_cast<int>(SettingsTab::about));
    EXPECT_EQ(press(Qt::Key_Tab, Qt::ControlModifier), SettingsTab::general);
    // A recorder that records takes the keys for itself.
    auto* general = static_cast<GeneralTab*>(v.page(SettingsTab::general));
    general->musicRecorder()->setFocus();
    general->musicRecorder()->setRecording(true);
    EXPECT_EQ(press(Qt::Key_PageDown, Qt::ControlModifier), SettingsTab::general);
    general->musicRecorder()->setRecording(false);
}

// Tab from the tab bar goes to a control of the page, never to the page's
// own scroll area, which shows no mark.
TEST_F(PreferencesViewTest, TabFromTheTabBarReachesAControlOfThePage) {
    auto& v = show();
    QApplication::setActiveWindow(&v);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&v));
    for (SettingsTab tab : {SettingsTab::general, SettingsTab::advanced, SettingsTab::about}) {
        click(tab);
        QWidget* lastTab = v.tabBar()->button(static_cast<int>(kAllSettingsTabs.size()) - 1);
        lastTab->setFocus(Qt::TabFocusReason);
        QWidget* focused = lastTab;
        for (int i = 0; i < 10 && focused && v.tabBar()->isAncestorOf(focused); ++i) {
            QTest::keyClick(focused, Qt::Key_Tab);
            focused = QApplication::focusWidget();
        }
        ASSERT_TRUE(focused) << rawValue(tab);
        EXPECT_TRUE(v.page(tab) == focused || v.page(tab)->isAncestorOf(focused)) << rawValue(tab);
        EXPECT_FALSE(qobject_cast<QAbstractScrollArea*>(focused))
            << rawValue(tab) << ": Tab stopped on " << focused->metaObject()->className();
    }
}

// Switching tabs with the mouse marks no control: the focus goes to the
// tab clicked, and came by a click.
TEST_F(PreferencesViewTest, SwitchingTabsWithTheMouseMarksNoControl) {
    auto& v = show();
    QApplication::setActiveWindow(&v);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&v));
    click(SettingsTab::appMenus);
    click(SettingsTab::general);
    QWidget* lastTab = v.tabBar()->button(static_cast<int>(kAllSettingsTabs.size()) - 1);
    lastTab->setFocus(Qt::TabFocusReason);
    QTest::keyClick(lastTab, Qt::Key_Tab);
    QWidget* focused = QApplication::focusWidget();
    ASSERT_TRUE(focused && v.page(SettingsTab::general)->isAncestorOf(focused));
    EXPECT_TRUE(ui::showsFocusMark(focused)) << "Tab's focus";
    click(SettingsTab::appMenus);
    focused = QApplication::focusWidget();
    ASSERT_EQ(focused, v.tabBar()->button(static_cast<int>(SettingsTab::appMenus)));
    EXPECT_FALSE(ui::showsFocusMark(focused));
    for (QWidget* ring : v.findChildren<QWidget*>("focusMark")) EXPECT_FALSE(ring->isVisible());
    savePictures(v, "settings", "apps-after-a-click", false);
}

// The window on a 1024x600 screen, walked by keyboard (a second run walks
// it at a device pixel ratio of 2).
// The tab buttons once their pills have faded in or out: renders taken
// then differ by the focus only.
void settleTabs(ui::SettingsTabBar* bar) {
    for (int i = 0; i < bar->count(); ++i)
        for (auto* fade : bar->button(i)->findChildren<QVariantAnimation*>())
            EXPECT_TRUE(QTest::qWaitFor([fade] { return fade->state() == QAbstractAnimation::Stopped; }));
}

class KeyboardWalk : public PreferencesViewTest {
protected:
    PreferencesView& showSmall() {
        auto& v = show();
        v.resize(PreferencesView::kWidth, 540);  // what 1024x600 leaves a window
        QApplication::setActiveWindow(&v);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&v));
        return v;
    }
    QAbstractScrollArea* scrollOf(SettingsTab tab) const {
        for (QWidget* w = view->page(tab); w; w = w->parentWidget())
            if (auto* area = qobject_cast<QAbstractScrollArea*>(w)) return area;
        return nullptr;
    }
    QWidget* tabButton(SettingsTab tab) const { return view->tabBar()->button(static_cast<int>(tab)); }
    // Tab from the tab bar until the focus is in `target`.
    void tabInto(QWidget* target) {
        QTest::keyClick(view.get(), Qt::Key_Shift);
        tabButton(SettingsTab::about)->setFocus(Qt::TabFocusReason);
        for (int i = 0; i < 60 && !target->isAncestorOf(QApplication::focusWidget()) && !target->hasFocus(); ++i)
            press(Qt::Key_Tab);
        ASSERT_TRUE(target->hasFocus() || target->isAncestorOf(QApplication::focusWidget()));
    }
    // A picture of the window once the tab bar shows the tab chosen.
    void shoot(const QString& name) {
        settleTabs(view->tabBar());
        savePictures(*view, "settings", name + qEnvironmentVariable("ORBEL_RENDER_SUFFIX"), false);
    }
};

// An arrow on an appearance control changes its value and leaves the focus
// there, so the next arrow goes on; each arrow on a slider moves it by the
// step its value text shows.
TEST_F(KeyboardWalk, ArrowsOnTheAppearanceControlsKeepTheFocusAndEachStepShows) {
    showSmall();
    const auto look = [this] { return live().config().appearance; };
    const auto arrow = [&](const char* name) {
        auto* control = find<QWidget>(name);
        EXPECT_EQ(QApplication::focusWidget(), control) << name << " has the focus before the arrow";
        press(Qt::Key_Right);
        EXPECT_EQ(QApplication::focusWidget(), control) << name << " keeps the focus";
        EXPECT_TRUE(inView(control)) << name;
    };
    const auto pick = [&](const char* name, auto field, auto first, auto second) {
        find<QWidget>(name)->setFocus(Qt::TabFocusReason);
        arrow(name);
        EXPECT_EQ(look().*field, first) << name;
        arrow(name);
        EXPECT_EQ(look().*field, second) << name;
    };
    pick("colorScheme", &AppearanceConfig::mode, AppearanceMode::dark, AppearanceMode::light);
    pick("backdrop", &AppearanceConfig::backdrop, Backdrop::translucent, Backdrop::filled);
    pick("slotStyle", &AppearanceConfig::slotStyle, SlotStyle::filled, SlotStyle::normal);
    for (auto [name, field] : {std::pair{"backdropOpacity", &AppearanceConfig::backdropOpacity},
                               std::pair{"slotIntensity", &AppearanceConfig::wedgeFillStrength},
                               std::pair{"slotBorders", &AppearanceConfig::wedgeStrokeStrength}}) {
        auto* slider = find<QSlider>(name);
        auto* label = slider->parentWidget()->findChild<QLabel*>();
        ASSERT_TRUE(label) << name;
        slider->setFocus(Qt::TabFocusReason);
        const double start = look().*field;
        for (int step = 1; step <= 2; ++step) {
            const QString shown = label->text();
            arrow(name);
            EXPECT_NEAR(look().*field, start + 0.01 * step, 1e-9) << name;
            EXPECT_NE(label->text(), shown) << name << ": the value text shows each step";
        }
    }
}

// Tab and Shift+Tab from the tab bar into every page, which is scrolled
// to its other end, and on through all its controls: each control reached
// is in view, and the walk saves nothing.
TEST_F(KeyboardWalk, EveryControlTabReachesIsInViewAndTheWalkSavesNothing) {
    fakes::Installed<fakes::FakeWorkspace, platform::Workspace> workspace;
    fakes::Installed<fakes::FakeAppDirectory, platform::AppDirectory> directory;
    SystemAppProvider provider;
    fakes::ReplaceShared<SystemAppProvider> useProvider{provider};
    AppConfig config = AppConfig::defaultConfig();
    config.rootGroup.slots.clear();  // an empty dial: Add Slot comes first
    live().setConfig(config);
    auto& v = showSmall();
    const std::string saved = live().config().encodeDocument();
    const int tabs = static_cast<int>(kAllSettingsTabs.size());
    for (SettingsTab tab : kAllSettingsTabs) {
        click(tab);
        QCoreApplication::processEvents();
        QAbstractScrollArea* area = scrollOf(tab);
        ASSERT_TRUE(area) << rawValue(tab);
        for (bool forward : {true, false}) {
            QScrollBar* bar = area->verticalScrollBar();
            bar->setValue(forward ? bar->maximum() : 0);
            v.tabBar()->button(forward ? tabs - 1 : 0)->setFocus(Qt::TabFocusReason);
            int stops = 0;
            for (QWidget* focused = nullptr; stops < 60; ++stops) {
                focused = press(forward ? Qt::Key_Tab : Qt::Key_Backtab, forward ? Qt::NoModifier : Qt::ShiftModifier);
                ASSERT_TRUE(focused) << rawValue(tab);
                if (v.tabBar()->isAncestorOf(focused)) break;
                EXPECT_TRUE(inView(focused)) << rawValue(tab) << (forward ? " Tab" : " Shift+Tab") << " stop " << stops;
                if (tab == SettingsTab::general && !forward && stops == 0)
                    savePictures(v, "settings", "shift-tab-into-general" + qEnvironmentVariable("ORBEL_RENDER_SUFFIX"));
            }
            EXPECT_GT(stops, 0) << rawValue(tab);
            EXPECT_LT(stops, 60) << rawValue(tab) << ": the walk comes back to the tab bar";
        }
    }
    EXPECT_EQ(live().config().encodeDocument(), saved);
}

// Ctrl+Tab from a tab button, or a click on a tab, takes the focus to the
// tab chosen: one tab looks chosen, Tab goes on from it, a click's focus
// shows no ring, and "Restore…" that Tab reached is left unframed.
TEST_F(KeyboardWalk, TheFocusGoesWithTheTabChosen) {
    auto& v = showSmall();
    click(SettingsTab::profiles);
    QPushButton* restore = static_cast<ProfilesTabView*>(v.page(SettingsTab::profiles))->restoreButton();
    const QImage plain = restore->grab().toImage();
    tabInto(restore);
    EXPECT_NE(restore->grab().toImage(), plain) << "framed after Tab";
    click(SettingsTab::general);
    click(SettingsTab::profiles);
    EXPECT_EQ(restore->grab().toImage(), plain);
    click(SettingsTab::general);
    press(Qt::Key_Tab, Qt::ControlModifier);
    ASSERT_EQ(v.model().selectedTab(), SettingsTab::customization);
    EXPECT_EQ(QApplication::focusWidget(), tabButton(SettingsTab::customization)) << "the focus goes with Ctrl+Tab";
    EXPECT_TRUE(ui::showsFocusMark(tabButton(SettingsTab::customization)));
    settleTabs(v.tabBar());
    shoot("ctrl-tab-from-the-tab-bar");

    click(SettingsTab::appMenus);
    EXPECT_EQ(QApplication::focusWidget(), tabButton(SettingsTab::appMenus)) << "a click takes the focus to its tab";
    settleTabs(v.tabBar());
    const auto looks = [&] {
        return std::pair{tabButton(SettingsTab::customization)->grab().toImage(),
                         tabButton(SettingsTab::appMenus)->grab().toImage()};
    };
    const auto clicked = looks();
    shoot("apps-tab-clicked");
    tabButton(SettingsTab::about)->setFocus(Qt::OtherFocusReason);
    EXPECT_EQ(looks(), clicked) << "no ring stays on the tab left, nor marks the click's";
    click(SettingsTab::appMenus);
    EXPECT_EQ(press(Qt::Key_Tab), tabButton(SettingsTab::profiles)) << "Tab goes on from the tab the click chose";
}

// The arrows on the tab bar choose the next or the previous tab and take
// the marked focus there; at either end they do nothing, in a right-to-left
// window too (where Left goes on). They never reach a control of a page.
TEST_F(KeyboardWalk, TheArrowsGoFromTabToTabAndNeverLeaveTheBar) {
    auto& v = showSmall();
    const std::string saved = live().config().encodeDocument();
    const int last = static_cast<int>(kAllSettingsTabs.size()) - 1;
    const auto onTab = [&](int index) {
        QWidget* focused = QApplication::focusWidget();
        return focused == v.tabBar()->button(index) && static_cast<int>(v.model().selectedTab()) == index;
    };
    click(SettingsTab::general);
    press(Qt::Key_Left);
    EXPECT_TRUE(onTab(0)) << "Left on the first tab";
    for (int i = 1; i <= last; ++i) {
        press(i % 2 ? Qt::Key_Right : Qt::Key_Down);
        EXPECT_TRUE(onTab(i) && ui::showsFocusMark(QApplication::focusWidget())) << i;
    }
    press(Qt::Key_Right);
    EXPECT_TRUE(onTab(last)) << "Right on the last tab";
    press(Qt::Key_Up);
    EXPECT_TRUE(onTab(last - 1));
    v.setLayoutDirection(Qt::RightToLeft);
    press(Qt::Key_Left);
    EXPECT_TRUE(onTab(last)) << "Left, right to left";
    press(Qt::Key_Left);
    EXPECT_TRUE(onTab(last)) << "Left on the last tab, right to left";
    for (int i = last - 1; i >= 0; --i) press(Qt::Key_Right);
    press(Qt::Key_Right);
    EXPECT_TRUE(onTab(0) && ui::showsFocusMark(QApplication::focusWidget())) << "Right on the first tab, right to left";
    shoot("arrows-on-the-tab-bar-right-to-left");
    EXPECT_EQ(live().config().encodeDocument(), saved);
}

// With a per-app dial, Tab goes from "Add App…" to the dial's row, not to
// the list around it; removing the last dial by the keyboard leaves the
// focus, marked, on the Apps page.
TEST_F(KeyboardWalk, TheAppsListIsNoStopAndRemovingTheLastDialKeepsTheFocusOnThePage) {
    AppConfig config = live().config();
    config.appOverrides["firefox"].slots = withSnippets(1).rootGroup.slots;  // asked first
    live().setConfig(config);
    auto& v = showSmall();
    click(SettingsTab::appMenus);
    auto* apps = static_cast<PerAppMenusEditorView*>(v.page(SettingsTab::appMenus));
    tabInto(apps->addButton());
    EXPECT_TRUE(apps->row("firefox")->isAncestorOf(press(Qt::Key_Tab)));
    auto* remove = apps->row("firefox")->findChild<QPushButton*>("remove");
    tabInto(remove);
    press(Qt::Key_Space);
    QMessageBox* box = apps->removeConfirmation();
    ASSERT_TRUE(box);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == box->defaultButton(); }));  // Cancel
    while (box->buttonRole(qobject_cast<QAbstractButton*>(QApplication::focusWidget())) != QMessageBox::DestructiveRole)
        press(Qt::Key_Tab);
    press(Qt::Key_Space);
    ASSERT_TRUE(QTest::qWaitFor([&] { return live().config().appOverrides.empty() && !apps->removeConfirmation(); }));
    QApplication::setActiveWindow(&v);  // as the window manager does
    ASSERT_TRUE(QTest::qWaitForWindowActive(&v));
    EXPECT_EQ(QApplication::focusWidget(), apps->addButton());
    EXPECT_TRUE(ui::showsFocusMark(apps->addButton()));
    shoot("apps-last-dial-removed");
}

// The acknowledgements open with the focus on their list, marked.
TEST_F(KeyboardWalk, TheAcknowledgementsListShowsTheFocus) {
    auto& v = showSmall();
    click(SettingsTab::about);
    auto* about = static_cast<AboutTab*>(v.page(SettingsTab::about));
    about->showAcknowledgements();
    QDialog* dialog = about->acknowledgements();
    ASSERT_TRUE(dialog && QTest::qWaitForWindowExposed(dialog));
    QApplication::setActiveWindow(dialog);  // as the window manager does
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
    auto* list = dialog->findChild<QScrollArea*>();
    EXPECT_EQ(QApplication::focusWidget(), list);
    EXPECT_TRUE(showsFocus(list, dialog->findChild<QPushButton*>(), "settings",
                           "acknowledgements-list" + qEnvironmentVariable("ORBEL_RENDER_SUFFIX")));
    dialog->close();
}

// The page stays where the user scrolled it: the focus the window gets
// back as it is active again, and a click's, move no page; Tab does.
TEST_F(KeyboardWalk, OnlyTheKeyboardsFocusMovesThePage) {
    auto& v = showSmall();
    auto* general = static_cast<GeneralTab*>(v.page(SettingsTab::general));
    QScrollBar* bar = general->verticalScrollBar();
    tabInto(general->findChild<QWidget*>("tapBinding"));
    QWidget* focused = QApplication::focusWidget();
    turnWheel(general->viewport(), 20);
    const int scrolled = bar->value();
    ASSERT_GT(scrolled, 0);
    ASSERT_FALSE(inView(focused));
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    QApplication::setActiveWindow(&v);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&v));
    ASSERT_EQ(QApplication::focusWidget(), focused);
    EXPECT_EQ(bar->value(), scrolled) << "coming back to the window moves no page";

    // A click on the handle of a slider whose foot the view's lower edge
    // hides focuses it where it is.
    auto* slider = find<QSlider>("slotBorders");
    QWidget* view = general->viewport();
    bar->setValue(slider->mapTo(general->widget(), QPoint(0, slider->height() - 6)).y() - view->height());
    const int before = bar->value();
    ASSERT_EQ(slider->mapTo(view, QPoint(0, slider->height() - 6)).y(), view->height());
    QStyleOptionSlider option;
    option.initFrom(slider);
    option.orientation = slider->orientation();
    option.minimum = slider->minimum();
    option.maximum = slider->maximum();
    option.sliderPosition = option.sliderValue = slider->value();
    const QRect handle = slider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider);
    const int value = slider->value();
    QTest::mouseClick(slider, Qt::LeftButton, {}, handle.center());
    ASSERT_TRUE(slider->hasFocus());
    EXPECT_EQ(slider->value(), value);
    EXPECT_EQ(bar->value(), before) << "a click moves no page";
    press(Qt::Key_Backtab, Qt::ShiftModifier);
    press(Qt::Key_Tab);
    ASSERT_TRUE(slider->hasFocus());
    EXPECT_TRUE(inView(slider));
    EXPECT_NE(bar->value(), before) << "Tab's focus is scrolled to, with room around it";
}

// An arrow step lands on the slider's 0.01 grid and stores that decimal
// (the file shows 0.82, never 0.8200000000000001), from a value off the
// grid too.
TEST_F(KeyboardWalk, ArrowStepsStoreTheirDecimals) {
    AppConfig config = live().config();
    config.appearance.backdrop = Backdrop::translucent;  // its opacity shows
    config.appearance.slotStyle = SlotStyle::filled;
    config.appearance.wedgeFillStrength = 1.004;
    live().setConfig(config);
    showSmall();
    const auto step = [&](const char* name, Qt::Key key) {
        find<QSlider>(name)->setFocus(Qt::TabFocusReason);
        press(key);
        return live().config().appearance;
    };
    step("slotBorders", Qt::Key_Right);
    EXPECT_EQ(step("slotBorders", Qt::Key_Right).wedgeStrokeStrength, 0.82);
    step("backdropOpacity", Qt::Key_Right);
    EXPECT_EQ(step("backdropOpacity", Qt::Key_Right).backdropOpacity, 0.57);
    EXPECT_EQ(step("slotIntensity", Qt::Key_Right).wedgeFillStrength, 1.01);
    EXPECT_EQ(step("slotIntensity", Qt::Key_Left).wedgeFillStrength, 1.0);
    EXPECT_EQ(step("slotIntensity", Qt::Key_PageUp).wedgeFillStrength, 1.1);
}

// With no colour chosen the Filled backdrop's swatch and the slot colour's
// show what the dial draws then: grey 0.97 behind a light dial, black
// behind a dark one; slots grey 0.2 on light, 0.32 on dark.
TEST_F(PreferencesViewTest, UnsetColourSwatchesShowTheDialsOwnColours) {
    auto& v = show();
    v.model().setAppearance([](AppearanceConfig& a) {
        a.backdrop = Backdrop::filled;
        a.slotStyle = SlotStyle::filled;
    });
    auto* backdrop = find<AccentSwatchPicker>("backdropColor");
    auto* slots = find<AccentSwatchPicker>("slotColor");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !backdrop->size().isEmpty() && !slots->size().isEmpty(); }));
    const auto centreGrey = [](QWidget* w) {  // -1 unless grey
        const QImage image = w->grab().toImage();
        const QColor c = image.pixelColor(image.width() / 2, image.height() / 2);
        return c.red() == c.green() && c.green() == c.blue() ? c.red() : -1;
    };
    EXPECT_EQ(centreGrey(backdrop), 247) << "the light dial's grey, not the text colour";
    EXPECT_EQ(centreGrey(slots), 51);
    auto* general = static_cast<GeneralTab*>(v.page(SettingsTab::general));
    savePictures(*general->row(appearance_settings::Row::backdropColor)->parentWidget(), "settings",
                 "colour-swatches-unset");
    v.model().setAppearance([](AppearanceConfig& a) { a.mode = AppearanceMode::dark; });
    EXPECT_EQ(centreGrey(backdrop), 0);
    EXPECT_EQ(centreGrey(slots), 82);
    v.model().setAppearance([](AppearanceConfig& a) { a.mode = AppearanceMode::automatic; });
    backdrop->setPalette(darkPalette());
    EXPECT_EQ(centreGrey(backdrop), 0) << "automatic on a dark desktop";
}

TEST_F(PreferencesViewTest, PicturesOfEveryTabInLightAndDark) {
    const QString dir = QStringLiteral(ORBEL_BINARY_DIR "/test-artifacts/settings");
    QDir().mkpath(dir);
    const QString suffix = qEnvironmentVariable("ORBEL_RENDER_SUFFIX");
    const QPalette light = QApplication::palette();
    for (const char* scheme : {"light", "dark"}) {
        QApplication::setPalette(std::string_view(scheme) == "dark" ? darkPalette() : light);
        AppConfig config = AppConfig::defaultConfig();
        config.appearance.backdrop = Backdrop::filled;
        config.appearance.backdropColor = "#2D9CDB";
        live().setConfig(config);
        auto& v = show();
        for (SettingsTab tab : kAllSettingsTabs) {
            click(tab);
            QTest::qWait(150);  // the tab pill's fade
            EXPECT_TRUE(v.grab().save(QStringLiteral("%1/%2-%3%4.png").arg(dir, rawValue(tab).data(), scheme, suffix)));
        }
        click(SettingsTab::general);
        auto* general = static_cast<GeneralTab*>(v.page(SettingsTab::general));
        EXPECT_TRUE(general->widget()->grab().save(QStringLiteral("%1/general-whole-%2%3.png").arg(dir, scheme, suffix)));
        general->tapRecorder().startRecording();
        QTest::qWait(150);  // the pill's fade and the recorder's new width
        EXPECT_TRUE(v.grab().save(QStringLiteral("%1/recording-%2%3.png").arg(dir, scheme, suffix)));
        click(SettingsTab::about);
        auto* about = static_cast<AboutTab*>(v.page(SettingsTab::about));
        about->showAcknowledgements();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(about->acknowledgements()));
        EXPECT_TRUE(about->acknowledgements()->grab().save(
            QStringLiteral("%1/acknowledgements-%2%3.png").arg(dir, scheme, suffix)));
        view.reset();
    }
    QApplication::setPalette(light);
}

}  // namespace
}  // namespace orbel::testing
