// The controls that draw themselves show where the keyboard focus is.
#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "input/recorder_button.h"
#include "support/widget_pictures.h"
#include "ui/controls.h"
#include "ui/settings_tab_bar.h"
#include "ui/sheet_opener.h"

namespace orbel::ui {
namespace {

TEST(FocusMark, SegmentsSwitchesTabsAndRecordersShowTheKeyboardFocus) {
    QWidget window;
    auto* row = new QHBoxLayout(&window);
    auto* segments = new SegmentedControl({"Tap", "Hold"}, &window);
    auto* toggle = new ToggleSwitch(&window);
    toggle->setChecked(true);  // the accent track: the mark must show beside it too
    auto* tabs = new SettingsTabBar(&window);
    tabs->setTabs({{"gearshape", "General"}, {"info.circle", "About"}});
    tabs->setSelected(0);
    auto* recorder = new RecorderButton({}, &window);
    recorder->display(RecorderButton::State::idle, "Ctrl+Alt+K");
    for (QWidget* w : {static_cast<QWidget*>(segments), static_cast<QWidget*>(toggle), static_cast<QWidget*>(tabs),
                       static_cast<QWidget*>(recorder)})
        row->addWidget(w);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    const std::pair<const char*, QWidget*> controls[] = {
        {"segments", segments}, {"switch", toggle}, {"tab", tabs->button(0)}, {"recorder", recorder}};
    for (const auto& [name, control] : controls) {
        EXPECT_TRUE(control->focusPolicy() & Qt::TabFocus) << name << " is reached with Tab";
        window.setFocus();  // activation focused the first control
        const QImage without = control->grab().toImage();
        control->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(control->hasFocus()) << name;
        EXPECT_NE(control->grab().toImage(), without) << name << " looks the same with the focus";
        orbel::testing::savePictures(window, "ui", QStringLiteral("focus-on-") + name);
    }
}

// A sheet's default button, which the style draws focused as unfocused, is
// ringed while it has the keyboard focus; the ring follows it when it moves.
TEST(FocusMark, ASheetsDefaultButtonIsRingedWhileFocused) {
    auto* sheet = new QDialog;
    auto* row = new QHBoxLayout(sheet);
    auto* cancel = new QPushButton("Cancel", sheet);
    auto* apply = new QPushButton("Apply", sheet);
    apply->setDefault(true);
    row->addWidget(cancel);
    row->addWidget(apply);
    QPointer<QDialog> open = openSheet(sheet);
    QApplication::setActiveWindow(sheet);
    ASSERT_TRUE(QTest::qWaitForWindowActive(sheet));
    EXPECT_TRUE(orbel::testing::showsFocus(apply, cancel, "ui", "mark-default-button"));
    apply->setFocus();
    sheet->resize(sheet->width() + 40, sheet->height());
    QCoreApplication::processEvents();
    auto* ring = sheet->findChild<QWidget*>("focusMark");
    ASSERT_TRUE(ring && ring->isVisible());
    EXPECT_EQ(ring->geometry(), apply->geometry().adjusted(-3, -3, 3, 3));
    cancel->setFocus();
    QTest::mouseClick(apply, Qt::LeftButton);
    EXPECT_TRUE(apply->hasFocus() && ring->isHidden()) << "the focus a click gives is not marked";
    sheet->close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !open; }));
}

}  // namespace
}  // namespace orbel::ui
