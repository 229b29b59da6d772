// The controls that draw themselves show where the keyboard focus is.
#include <QApplication>
#include <QHBoxLayout>
#include <QTest>
#include <gtest/gtest.h>

#include "input/recorder_button.h"
#include "support/widget_pictures.h"
#include "ui/controls.h"
#include "ui/settings_tab_bar.h"

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

}  // namespace
}  // namespace orbel::ui
