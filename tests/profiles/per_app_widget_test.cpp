#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSlider>
#include <QTest>
#include <algorithm>
#include <cmath>

#include "config/config_fixture.h"
#include "fakes/fake_system_platform.h"
#include "fakes/replace_shared.h"
#include "editor/picker_views.h"
#include "input/menu_key_recorder.h"
#include "model/json_writer.h"
#include "ui/accent_swatch_picker.h"
#include "ui/controls.h"
#include "ui/settings_blocks.h"
#include "profiles/per_app_views.h"
#include "slots/system_app_provider.h"
#include "support/focus_walk.h"
#include "support/offscreen_screens.h"
#include "support/shown_text.h"
#include "support/widget_pictures.h"

using namespace orbel;
using namespace orbel::testing;

namespace {

class PerAppWidgetTest : public ConfigFixture {
protected:
    void SetUp() override {
        view = std::make_unique<PerAppMenusEditorView>(
            live(), [](const std::string& id) -> std::optional<std::string> {
                if (id == "firefox") return "Firefox";
                return std::nullopt;
            });
        view->resize(640, 480);
        view->show();
    }
    void TearDown() override { view.reset(); }
    std::unique_ptr<PerAppMenusEditorView> view;
};

void clickButton(QMessageBox* box, const QString& text) {
    for (auto* button : box->buttons())
        if (button->text() == text) return button->click();
    ADD_FAILURE() << "no button " << text.toStdString();
}

// Relative luminance of an sRGB colour, and the contrast of `ink` (its alpha
// laid over `ground`) against `ground`.
double luminance(const QColor& c) {
    const auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}
double contrastOver(const QColor& ink, const QColor& ground) {
    const double a = ink.alphaF();
    const QColor laid = QColor::fromRgbF(float(ink.redF() * a + ground.redF() * (1 - a)),
                                         float(ink.greenF() * a + ground.greenF() * (1 - a)),
                                         float(ink.blueF() * a + ground.blueF() * (1 - a)));
    const double l1 = luminance(laid), l2 = luminance(ground);
    return (std::max(l1, l2) + 0.05) / (std::min(l1, l2) + 0.05);
}

}  // namespace

TEST_F(PerAppWidgetTest, AddATemplateSetItsSizeAndRemoveIt) {
    // Installed applications of the test's own (none), not this machine's.
    fakes::Installed<fakes::FakeWorkspace, platform::Workspace> workspace;
    fakes::Installed<fakes::FakeAppDirectory, platform::AppDirectory> directory;
    SystemAppProvider provider;
    fakes::ReplaceShared<SystemAppProvider> useProvider{provider};
    EXPECT_TRUE(view->emptyState()->isVisible());
    // Its three cards end just under their text.
    int cards = 0;
    for (auto* card : view->emptyState()->findChildren<QFrame*>()) {
        if (card->frameShape() != QFrame::StyledPanel) continue;
        ++cards;
        const QLabel* text = card->findChildren<QLabel*>().back();
        EXPECT_LE(card->height() - text->geometry().bottom(), 20) << text->text().toStdString();
    }
    EXPECT_EQ(cards, 3);
    savePictures(*view, "profiles", "apps-empty");

    QTest::mouseClick(view->addButton(), Qt::LeftButton);
    ASSERT_TRUE(view->chooser());
    view->chooser()->setCategory(editor::AppCategory::templates);
    view->chooser()->choose(0);  // the first template
    // Its sheet opens once the installed applications are known, which
    // tell the application it is for.
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->overrideSheet() != nullptr; }, 10000));
    PerAppOverrideSheet* sheet = view->overrideSheet();
    for (int i = 0; i < 3; ++i) sheet->sectionSwitch(i)->click();
    sheet->sizeSlider()->setValue(5);  // 2.5
    QCoreApplication::processEvents();
    EXPECT_TRUE(showsText(sheet, "How strongly the wedge fill stands out from the backdrop."));
    savePictures(*sheet, "profiles", "override-sheet-all-on");
    QTest::mouseClick(sheet->saveButton(), Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_FALSE(view->model().editingBundleId());
    ASSERT_EQ(live().config().appOverrides.size(), 1u);  // under whichever application plays the template's part
    const AppOverride& stored = live().config().appOverrides.begin()->second;
    EXPECT_EQ(stored.menuRadius, 150);
    EXPECT_TRUE(stored.appearance && stored.goBackKey && stored.closeMenuKey);
    EXPECT_EQ(stored.slots->size(), AppMenuPreset::all().front().build().slots.size());

    AppConfig c = live().config();
    c.appOverrides["firefox"].slots = withSnippets(1).rootGroup.slots;
    c.appOverrides["com.Example"].menuRadius = 200;
    live().setConfig(c);
    ASSERT_TRUE(view->row("firefox"));
    EXPECT_FALSE(view->emptyState()->isVisible());
    QCoreApplication::processEvents();
    savePictures(*view, "profiles", "apps-three");

    view->row("firefox")->findChild<QPushButton*>("edit")->click();
    ASSERT_TRUE(view->overrideSheet());
    view->overrideSheet()->cancelButton()->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(live().config().appOverrides.at("firefox"), c.appOverrides.at("firefox"));
    view->row("firefox")->findChild<QPushButton*>("remove")->click();
    ASSERT_TRUE(view->removeConfirmation());  // it holds a slot: asked first
    clickButton(view->removeConfirmation(), "Remove \"Firefox\"");
    EXPECT_FALSE(live().config().appOverrides.count("firefox"));
}

TEST_F(PerAppWidgetTest, EveryOverrideControlEndsUpInTheSavedOverride) {
    view->model().addApp("firefox", "Firefox");
    view->openSheet();
    PerAppOverrideSheet* sheet = view->overrideSheet();
    ASSERT_TRUE(sheet);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(sheet));
    const auto find = [sheet]<class T = QWidget>(const char* name, T* = nullptr) {
        auto* w = sheet->findChild<T*>(QLatin1String(name));
        EXPECT_TRUE(w) << name;
        return w;
    };
    const auto click = [&](QWidget* w) {
        sheet->findChild<ui::SettingsPage*>()->ensureWidgetVisible(w);
        QCoreApplication::processEvents();
        QTest::mouseClick(w, Qt::LeftButton);
    };
    for (const char* name : {"sizeOverride", "appearanceOverride", "controlsOverride"}) click(find(name));
    const auto segment = [&](const char* name, int index) {
        auto* control = find(name, static_cast<ui::SegmentedControl*>(nullptr));
        sheet->findChild<ui::SettingsPage*>()->ensureWidgetVisible(control);
        QTest::mouseClick(control, Qt::LeftButton, {}, control->segmentRect(index).center());
    };
    // A choice moves nothing under the pointer: the row after stays put.
    QWidget* backdrop = find("backdrop");
    segment("colorScheme", 0);
    QTest::qWait(100);
    const QPoint before = backdrop->mapTo(sheet, QPoint());
    segment("colorScheme", 1);  // Dark: its help is shorter than Auto's
    QTest::qWait(100);  // the layouts settle
    EXPECT_EQ(backdrop->mapTo(sheet, QPoint()), before);
    segment("colorScheme", 2);
    segment("backdrop", 2);
    segment("slotStyle", 1);
    for (const char* name : {"dialSize", "backdropOpacity", "slotIntensity", "slotBorders"}) {
        auto* slider = find(name, static_cast<QSlider*>(nullptr));
        ASSERT_TRUE(slider->isVisible()) << name;
        slider->setFocus();
        QTest::keyClick(slider, Qt::Key_Home);
    }
    for (auto [name, hex] : {std::pair{"backdropColor", "123456"}, std::pair{"slotColor", "abcdef"}}) {
        auto* swatch = find(name, static_cast<AccentSwatchPicker*>(nullptr));
        click(swatch);
        ASSERT_TRUE(swatch->popover()) << name;
        QTest::keyClicks(swatch->popover()->hexField(), hex);
        QTest::keyClick(swatch->popover()->hexField(), Qt::Key_Return);
    }
    for (const char* name : {"closeKey", "goBackKey"}) {
        auto* recorder = find(name, static_cast<MenuKeyRecorder*>(nullptr));
        click(recorder);
        QTest::keyClick(recorder, Qt::Key_K, Qt::ShiftModifier);
    }
    QTest::mouseClick(sheet->saveButton(), Qt::LeftButton);
    QCoreApplication::processEvents();
    const AppOverride& stored = live().config().appOverrides.at("firefox");
    EXPECT_EQ(stored.menuRadius, 100.0);
    ASSERT_TRUE(stored.appearance);
    EXPECT_EQ(stored.appearance->mode, AppearanceMode::light);
    EXPECT_EQ(stored.appearance->backdrop, Backdrop::filled);
    EXPECT_EQ(stored.appearance->slotStyle, SlotStyle::filled);
    EXPECT_EQ(stored.appearance->backdropOpacity, 0.0);
    EXPECT_EQ(stored.appearance->wedgeFillStrength, 0.5);
    EXPECT_EQ(stored.appearance->wedgeStrokeStrength, 0.0);
    EXPECT_EQ(stored.appearance->backdropColor, "#123456");
    EXPECT_EQ(stored.appearance->slotColor, "#ABCDEF");
    const KeyCombination shiftK{40, modifier::kShift, std::nullopt};
    EXPECT_EQ(stored.closeMenuKey, shiftK);
    EXPECT_EQ(stored.goBackKey, shiftK);

    // Cancel keeps what was stored.
    QTest::mouseClick(view->row("firefox")->findChild<QPushButton*>("edit"), Qt::LeftButton);
    ASSERT_TRUE(view->overrideSheet());
    view->overrideSheet()->findChild<QAbstractButton*>("sizeOverride")->click();
    QTest::mouseClick(view->overrideSheet()->cancelButton(), Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_EQ(live().config().appOverrides.at("firefox").menuRadius, 100.0);
}

// Slot Intensity's arrow steps store their decimals, as the General tab's
// do: each stop from 0.5 to 1.5 is drafted as the double of its two
// decimals, and the file shows 0.82, never 0.8200000000000001.
TEST_F(PerAppWidgetTest, SlotIntensitysArrowStepsStoreTheirDecimals) {
    view->model().addApp("firefox", "Firefox");
    view->openSheet();
    PerAppOverrideSheet* sheet = view->overrideSheet();
    ASSERT_TRUE(sheet && QTest::qWaitForWindowExposed(sheet));
    sheet->sectionSwitch(1)->click();
    auto* slider = sheet->findChild<QSlider*>("slotIntensity");
    ASSERT_TRUE(slider && slider->isVisible());
    slider->setFocus(Qt::TabFocusReason);
    QTest::keyClick(slider, Qt::Key_Home);
    const auto drafted = [sheet] { return sheet->model().draftAppearance.wedgeFillStrength; };
    QStringList offTheGrid;
    for (int hundredths = 50; hundredths <= 150; ++hundredths) {
        const QString decimals = QString::number(hundredths / 100.0, 'g', 3);
        if (QString::fromStdString(json::formatDouble(drafted())) != decimals) offTheGrid << decimals;
        QTest::keyClick(slider, Qt::Key_Right);
    }
    EXPECT_EQ(drafted(), 1.5) << "the end stops the steps";
    EXPECT_TRUE(offTheGrid.isEmpty()) << offTheGrid.join(' ').toStdString();
    for (int i = 0; i < 68; ++i) QTest::keyClick(slider, Qt::Key_Left);
    QTest::mouseClick(sheet->saveButton(), Qt::LeftButton);
    live().flushSaves();
    ASSERT_TRUE(live().config().appOverrides.at("firefox").appearance);
    EXPECT_EQ(live().config().appOverrides.at("firefox").appearance->wedgeFillStrength, 0.82);
    const QString file = QString::fromStdString(readFile(configPath()));
    EXPECT_TRUE(file.contains(QRegularExpression(R"("wedgeFillStrength" : 0\.82\b)"))) << file.toStdString();
}

TEST_F(PerAppWidgetTest, RemovingADialWithSlotsAsksAndReturnCancels) {
    AppConfig c = live().config();
    c.appOverrides["firefox"].slots = withSnippets(2).rootGroup.slots;
    c.appOverrides["com.Example"].menuRadius = 200;  // no slots of its own
    live().setConfig(c);
    view->row("firefox")->findChild<QPushButton*>("remove")->click();
    QMessageBox* box = view->removeConfirmation();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->informativeText(),
              "The dial for \"Firefox\" and its 2 slots will be permanently removed. This can't be undone.");
    EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Cancel));
    EXPECT_TRUE(QTest::qWaitForWindowExposed(box));
    savePictures(*box, "profiles", "apps-remove-confirmation");
    QTest::keyClick(box, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_FALSE(view->removeConfirmation());
    EXPECT_EQ(live().config().appOverrides.at("firefox"), c.appOverrides.at("firefox"));
    // A dial without slots goes at once.
    view->row("com.Example")->findChild<QPushButton*>("remove")->click();
    EXPECT_FALSE(view->removeConfirmation());
    EXPECT_FALSE(live().config().appOverrides.count("com.Example"));
}

// The override sheet defines no keyboard shortcuts: Return presses the
// push button that has the focus and nothing else. "Edit Slots…", focused
// as the sheet opens, does not stay its default.
TEST_F(PerAppWidgetTest, ReturnPressesOnlyTheOverrideSheetsFocusedButton) {
    int editors = 0;
    view = std::make_unique<PerAppMenusEditorView>(
        live(), [](const std::string&) { return std::optional<std::string>("Firefox"); },
        [&editors](QWidget*, const MenuGroup&, const std::string&, const std::string&, auto) { ++editors; });
    view->model().addApp("firefox", "Firefox");
    view->openSheet();
    QPointer<PerAppOverrideSheet> sheet = view->overrideSheet();
    ASSERT_TRUE(sheet && QTest::qWaitForWindowExposed(sheet));
    QApplication::setActiveWindow(sheet);
    ASSERT_TRUE(QTest::qWaitForWindowActive(sheet));
    const auto returnOn = [](QWidget* control, Qt::Key key = Qt::Key_Return) {
        control->setFocus(Qt::TabFocusReason);
        QTest::keyClick(control, key);
    };
    returnOn(sheet->editSlotsButton());
    EXPECT_EQ(editors, 1) << "Return presses the focused button";
    returnOn(sheet->sectionSwitch(0));
    returnOn(sheet->sectionSwitch(0), Qt::Key_Enter);
    EXPECT_EQ(editors, 1) << "Return on the Size switch opens no slot editor";
    for (auto* button : sheet->findChildren<QPushButton*>()) EXPECT_FALSE(button->isDefault());
    returnOn(sheet->cancelButton());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !sheet || !sheet->isVisible(); }));
}

TEST_F(PerAppWidgetTest, AReplacedConfigurationClosesTheSheetUnsavedWithANotice) {
    AppConfig c = live().config();
    c.appOverrides["firefox"].slots = withSnippets(2).rootGroup.slots;
    live().setConfig(c);
    view->row("firefox")->findChild<QPushButton*>("edit")->click();
    QPointer<PerAppOverrideSheet> sheet = view->overrideSheet();
    ASSERT_TRUE(sheet);
    sheet->sectionSwitch(0)->click();
    sheet->sizeSlider()->setValue(20);
    live().flushSaves();
    writeFile(configPath(), R"({"version":1,"appOverrides":{"firefox":{"menuRadius":120}}})");
    live().load();  // Reload (or a profile switch) while the sheet is open
    QCoreApplication::processEvents();
    EXPECT_FALSE(sheet);
    EXPECT_FALSE(view->model().editingBundleId());
    EXPECT_EQ(live().config().appOverrides.at("firefox").menuRadius, 120);
    EXPECT_FALSE(live().config().appOverrides.at("firefox").slots);
    EXPECT_TRUE(view->notice()->isVisible());
    EXPECT_EQ(view->notice()->text(), QString::fromStdString(PerAppMenusModel::replacedNotice("Firefox")));
    savePictures(*view, "profiles", "apps-replaced-notice");
}

TEST_F(PerAppWidgetTest, AddAppOpensTheAppPickerAndRowsShowTheAppsIcon) {
    fakes::Installed<fakes::FakeWorkspace, platform::Workspace> workspace;  // none of the built-in lists installed
    fakes::Installed<fakes::FakeAppDirectory, platform::AppDirectory> directory;
    SystemAppProvider provider;  // a fresh cache of installed applications
    fakes::ReplaceShared<SystemAppProvider> useProvider{provider};
    const std::string icon = ORBEL_SOURCE_DIR "/resources/desktop/com.quandelvix.orbel.svg";
    directory.apps = {{"org.example.Editor", "Example Editor", icon, "/usr/share/applications/e.desktop"},
                      {"xterm", "XTerm", "", "/usr/share/applications/xterm.desktop"}};
    std::unique_ptr<PerAppMenusEditorView> tab(PerAppMenusEditorView::withInstalledNames(live()));
    tab->resize(640, 480);
    tab->show();

    QTest::mouseClick(tab->addButton(), Qt::LeftButton);
    QPointer<editor::AppPickerView> picker = tab->chooser();
    ASSERT_TRUE(picker);
    EXPECT_EQ(picker->model().visibleCategories().back(), editor::AppCategory::templates);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !picker->model().isLoading; }, 10000));
    EXPECT_FALSE(picker->addButton()->isEnabled()) << "nothing selected yet";
    // One click selects; Add chooses.
    const QRect first = picker->list()->visualItemRect(picker->list()->item(0));
    QTest::mouseClick(picker->list()->viewport(), Qt::LeftButton, {}, first.center());
    ASSERT_TRUE(picker && picker->isVisible()) << "a click only selects";
    ASSERT_TRUE(picker->addButton()->isEnabled());
    savePictures(*picker, "profiles", "apps-picker-selected");
    picker->addButton()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return tab->overrideSheet() && tab->overrideSheet()->isVisible(); }, 5000));
    EXPECT_TRUE(!picker || !picker->isVisible());
    EXPECT_EQ(tab->overrideSheet()->windowTitle(), "Example Editor") << "named, not its desktop id";
    tab->overrideSheet()->cancelButton()->click();
    QCoreApplication::processEvents();
    ASSERT_TRUE(live().config().appOverrides.count("org.example.Editor")) << "stored at once";

    // Double-clicking a row chooses it too.
    QTest::mouseClick(tab->addButton(), Qt::LeftButton);
    picker = tab->chooser();
    ASSERT_TRUE(picker);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !picker->model().isLoading; }, 10000));
    const QRect second = picker->list()->visualItemRect(picker->list()->item(1));
    QTest::mouseClick(picker->list()->viewport(), Qt::LeftButton, {}, second.center());
    QTest::mouseDClick(picker->list()->viewport(), Qt::LeftButton, {}, second.center());
    ASSERT_TRUE(QTest::qWaitFor([&] { return tab->overrideSheet() && tab->overrideSheet()->isVisible(); }, 5000));
    tab->overrideSheet()->cancelButton()->click();
    QCoreApplication::processEvents();

    ASSERT_TRUE(QTest::qWaitFor([&] { return tab->row("org.example.Editor") &&
                                             tab->row("org.example.Editor")->findChild<QLabel*>("appIcon")->pixmap()
                                                 .isNull() == false; }, 5000));
    auto* shown = tab->row("org.example.Editor")->findChild<QLabel*>("appIcon");
    EXPECT_EQ(shown->size(), QSize(36, 36));
    EXPECT_TRUE(tab->row("xterm")->findChild<QLabel*>("appIcon")->pixmap().isNull()) << "no icon: a blank frame";
    QCoreApplication::processEvents();
    savePictures(*tab, "profiles", "apps-with-icons");
}

// The sheet is built in one palette and shown in another: its texts are
// made again in the new palette's ink, and the primary and secondary ones
// read at 4.5:1 or better on the sheet.
TEST_F(PerAppWidgetTest, TheOverrideSheetsTextsFollowAChangeOfPalette) {
    AppConfig c = live().config();
    c.appOverrides["firefox"].slots = withSnippets(1).rootGroup.slots;
    live().setConfig(c);
    view->row("firefox")->findChild<QPushButton*>("edit")->click();
    QPointer<PerAppOverrideSheet> sheet = view->overrideSheet();
    ASSERT_TRUE(sheet);
    for (int i = 0; i < 3; ++i) sheet->sectionSwitch(i)->click();
    QCoreApplication::processEvents();

    const auto expectInk = [&](const char* scheme) {
        const QPalette palette = sheet->palette();
        int readable = 0;
        for (QLabel* label : sheet->findChildren<QLabel*>()) {
            if (!label->isVisibleTo(sheet) || label->text().isEmpty()) continue;
            const QColor ink = label->palette().color(QPalette::WindowText);
            EXPECT_EQ(ink.rgb(), palette.color(QPalette::WindowText).rgb())
                << scheme << ": " << label->text().toStdString();
            if (ink.alphaF() < 0.5) continue;  // help texts, in the tertiary ink
            EXPECT_GE(contrastOver(ink, palette.color(QPalette::Window)), 4.5)
                << scheme << ": " << label->text().toStdString();
            ++readable;
        }
        EXPECT_GE(readable, 10) << scheme;
    };
    expectInk("light");
    sheet->setPalette(darkPalette());  // a palette set on the window
    expectInk("dark");
    sheet->setPalette(QPalette());
    expectInk("light again");
    const QPalette desktop = QApplication::palette();
    QApplication::setPalette(darkPalette());  // the desktop's palette changing
    QCoreApplication::processEvents();
    expectInk("dark desktop");
    EXPECT_EQ(sheet->saveButton()->palette().color(QPalette::Button), darkPalette().color(QPalette::Highlight));
    QApplication::setPalette(desktop);
    QCoreApplication::processEvents();
    expectInk("light desktop");
    savePictures(*sheet, "profiles", "override-sheet-palette-change");
}

// The override sheet, its three sections on, walked round by Tab and by
// Shift+Tab from its far end on a small screen: every control reached is in
// view (Tab wraps from Save to "Edit Slots…" at the top of the page), and the
// walk changes nothing in what Save stores.
TEST_F(PerAppWidgetTest, ChildEveryControlOfTheOverrideSheetIsInViewWhenTabReachesIt) {
    if (offscreenMode().isEmpty()) GTEST_SKIP() << "runs in a child process";
    view->model().addApp("firefox", "Firefox");
    view->openSheet();
    QPointer<PerAppOverrideSheet> sheet = view->overrideSheet();
    ASSERT_TRUE(sheet);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(sheet));
    QApplication::setActiveWindow(sheet);
    ASSERT_TRUE(QTest::qWaitForWindowActive(sheet));
    for (int i = 0; i < 3; ++i) sheet->sectionSwitch(i)->click();
    QCoreApplication::processEvents();
    QScrollBar* bar = sheet->findChild<ui::SettingsPage*>()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0) << "the page scrolls";
    const PerAppOverrideModel drafts = sheet->model();
    for (bool forward : {true, false}) {
        QWidget* start = forward ? static_cast<QWidget*>(sheet->saveButton()) : sheet->editSlotsButton();
        bar->setValue(forward ? bar->maximum() : 0);
        start->setFocus(Qt::TabFocusReason);
        int stops = 0;
        for (QWidget* focused = nullptr; stops < 60 && focused != start; ++stops) {
            focused = press(forward ? Qt::Key_Tab : Qt::Key_Backtab, forward ? Qt::NoModifier : Qt::ShiftModifier);
            ASSERT_TRUE(focused && sheet->isAncestorOf(focused));
            if (forward && stops == 0) {
                EXPECT_EQ(focused, sheet->editSlotsButton()) << "Tab wraps from Save to the top";
            }
            EXPECT_TRUE(inView(focused)) << (forward ? "Tab" : "Shift+Tab") << " stop " << stops;
        }
        EXPECT_LT(stops, 60) << "the walk comes round";
    }
    const PerAppOverrideModel& walked = sheet->model();
    EXPECT_EQ(walked.draftRadius, drafts.draftRadius);
    EXPECT_EQ(walked.draftAppearance, drafts.draftAppearance);
    EXPECT_EQ(walked.draftCloseKey, drafts.draftCloseKey);
    EXPECT_EQ(walked.draftGoBackKey, drafts.draftGoBackKey);
    EXPECT_EQ(walked.draftGroup.has_value(), drafts.draftGroup.has_value());
    savePictures(*sheet, "profiles", "override-sheet-walked-" + offscreenMode(), false);
    QTest::mouseClick(sheet->cancelButton(), Qt::LeftButton);
}

TEST(PerAppOnSmallScreens, EveryControlOfTheOverrideSheetIsInViewWhenTabReachesIt) {
    runOnSmallAndDenseScreens("PerAppWidgetTest.ChildEveryControlOfTheOverrideSheetIsInViewWhenTabReachesIt");
}
