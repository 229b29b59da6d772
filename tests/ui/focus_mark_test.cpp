// The controls that draw themselves show where the keyboard focus is.
#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QVBoxLayout>
#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>
#include <gtest/gtest.h>

#include "input/recorder_button.h"
#include "support/widget_pictures.h"
#include "ui/controls.h"
#include "ui/settings_tab_bar.h"
#include "ui/sheet_frame.h"
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

// Controls the style draws: a default button (focused, the style draws it
// as unfocused), an accent-filled one, a flat one and a scroll area.
TEST(FocusMark, StyleDrawnButtonsAndScrollAreasShowTheKeyboardFocus) {
    auto* sheet = new QDialog;
    auto* column = new QVBoxLayout(sheet);
    column->setContentsMargins(16, 16, 16, 16);
    auto* scroll = new QScrollArea(sheet);
    scroll->setWidget(new QLabel("A form that scrolls"));
    markFocus(scroll, 6);
    column->addWidget(scroll);
    auto* row = new QHBoxLayout;
    auto* flat = new QPushButton("···", sheet);
    flat->setFlat(true);
    markFocus(flat, kButtonMarkRadius, kButtonMarkOutset);
    markFocus(flat, kButtonMarkRadius, kButtonMarkOutset);  // once is enough
    auto* prominent = new QPushButton("Save", sheet);
    styleSheetButton(prominent, true);
    auto* plain = new QPushButton("Cancel", sheet);
    plain->setAutoDefault(false);
    auto* apply = new QPushButton("Apply", sheet);
    apply->setDefault(true);
    for (QWidget* w : {static_cast<QWidget*>(flat), static_cast<QWidget*>(plain), static_cast<QWidget*>(prominent),
                       static_cast<QWidget*>(apply)})
        row->addWidget(w);
    column->addLayout(row);
    QPointer<QDialog> open = openSheet(sheet);  // marks the default button
    QApplication::setActiveWindow(sheet);
    ASSERT_TRUE(QTest::qWaitForWindowActive(sheet));
    EXPECT_EQ(flat->parentWidget()->findChildren<QWidget*>("focusMark", Qt::FindDirectChildrenOnly).size(), 3);

    const std::pair<const char*, QWidget*> controls[] = {
        {"scroll-area", scroll}, {"flat-button", flat}, {"prominent-button", prominent}, {"default-button", apply}};
    for (const auto& [name, control] : controls)
        EXPECT_TRUE(orbel::testing::showsFocus(control, plain, "ui", QStringLiteral("mark-") + name));
    // A ring outside a button moves with it.
    prominent->setFocus(Qt::TabFocusReason);
    QWidget* ring = nullptr;
    for (QWidget* mark : sheet->findChildren<QWidget*>("focusMark", Qt::FindDirectChildrenOnly))
        if (mark->isVisible()) ring = mark;
    ASSERT_TRUE(ring) << "the focused button's ring shows";
    EXPECT_EQ(ring->geometry(), prominent->geometry().adjusted(-3, -3, 3, 3));
    sheet->resize(sheet->width() + 40, sheet->height());
    QCoreApplication::processEvents();
    EXPECT_EQ(ring->geometry(), prominent->geometry().adjusted(-3, -3, 3, 3));
    sheet->close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !open; }));
}

}  // namespace
}  // namespace orbel::ui
