// The settings window's widgets driven with QTest, and its pictures under
// test-artifacts/settings (light and dark; the run with QT_SCALE_FACTOR=2
// adds the "@2x" set).
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>
#include <QTest>
#include <gtest/gtest.h>

#include "fakes/fake_file_manager.h"
#include "fakes/replace_shared.h"
#include "input/hold_binding_recorder.h"
#include "settings/about_tab.h"
#include "settings/general_tab.h"
#include "settings/preferences_view.h"
#include "settings_fixture.h"
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
    EXPECT_EQ(live().config().menuRadius, 250);
    QTest::mouseClick(v.alertBox()->findChildren<QPushButton*>().front(), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return live().config().menuRadius == 200; }));
    EXPECT_FALSE(v.alertBox());
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
