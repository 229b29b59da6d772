// The controls that draw themselves show where the keyboard focus is.
#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <QTest>
#include <gtest/gtest.h>

#include "input/recorder_button.h"
#include "support/widget_pictures.h"
#include "ui/controls.h"
#include "ui/settings_tab_bar.h"
#include "ui/sheet_opener.h"

namespace orbel::ui {
namespace {

void saveWindowPictures(QWidget& window, const char* name) {
    orbel::testing::savePictures(window, "ui", QString::fromLatin1(name), false);
}

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


// The ring a control shows around itself, if any (a shown one first: the
// buttons of stacked pages lie on each other).
QWidget* ringOf(QWidget* control) {
    QWidget* found = nullptr;
    for (QWidget* ring : control->window()->findChildren<QWidget*>("focusMark")) {
        const QRect around(ring->mapTo(control->window(), QPoint()), ring->size());
        if (!around.contains(QRect(control->mapTo(control->window(), QPoint()), control->size()))) continue;
        if (!found || ring->isVisible()) found = ring;
    }
    return found;
}
bool ringed(QWidget* control) {
    QWidget* ring = ringOf(control);
    return ring && ring->isVisible() && showsFocusMark(control);
}

// Only the keyboard's focus is marked. A click's focus shows none, nor does
// the focus a click moved on (a page it hid handing its focus to the next
// page); a sheet that closes gives the focus back as it came.
TEST(FocusMark, OnlyTheKeyboardsFocusIsMarked) {
    QWidget window;
    auto* column = new QVBoxLayout(&window);
    auto* start = new QPushButton("Start", &window);
    auto* opener = new QPushButton("Open", &window);
    auto* pages = new QStackedWidget(&window);
    auto* first = new QPushButton("First", pages);
    auto* second = new QPushButton("Second", pages);
    pages->addWidget(first);
    pages->addWidget(second);
    auto* flip = new QPushButton("Flip", &window);
    flip->setFocusPolicy(Qt::TabFocus);  // as a tab bar's buttons: a click leaves the focus where it is
    QObject::connect(flip, &QPushButton::clicked, pages, [pages] { pages->setCurrentIndex(1 - pages->currentIndex()); });
    QObject::connect(opener, &QPushButton::clicked, &window, [&window] {
        auto* sheet = new QDialog(&window);
        (new QVBoxLayout(sheet))->addWidget(new QPushButton("Close", sheet));
        openSheet(sheet);
    });
    for (QWidget* w : {static_cast<QWidget*>(start), static_cast<QWidget*>(opener), static_cast<QWidget*>(pages),
                       static_cast<QWidget*>(flip)})
        column->addWidget(w);
    for (QPushButton* b : {opener, first, second}) markFocus(b, kButtonMarkRadius, kButtonMarkOutset);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    const auto openAndEscape = [&] {
        QDialog* sheet = nullptr;
        EXPECT_TRUE(QTest::qWaitFor([&] { return (sheet = window.findChild<QDialog*>()) && sheet->isActiveWindow(); }));
        if (!sheet) return;
        QPointer<QDialog> open(sheet);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !open; }));
        // The window manager gives the window back its activation (the
        // offscreen platform leaves that to the test).
        QApplication::setActiveWindow(&window);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        EXPECT_TRUE(opener->hasFocus());
    };

    start->setFocus();
    QTest::keyClick(start, Qt::Key_Tab);
    ASSERT_TRUE(opener->hasFocus());
    EXPECT_TRUE(ringed(opener)) << "Tab's focus";
    QTest::keyClick(opener, Qt::Key_Space);
    openAndEscape();
    EXPECT_TRUE(ringed(opener)) << "given back as it came: by the keyboard";
    QTest::mouseClick(opener, Qt::LeftButton);
    openAndEscape();
    EXPECT_FALSE(ringed(opener)) << "given back as it came: by a click";

    QTest::keyClick(opener, Qt::Key_Tab);
    ASSERT_TRUE(first->hasFocus());
    EXPECT_TRUE(ringed(first));
    QTest::mouseClick(flip, Qt::LeftButton);
    ASSERT_TRUE(second->hasFocus()) << "the shown page takes the focus of the hidden one";
    EXPECT_FALSE(ringed(second)) << "the click moved the focus";
    QTest::keyClick(second, Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    ASSERT_TRUE(second->hasFocus());
    EXPECT_TRUE(ringed(second));
    saveWindowPictures(window, "mark-keyboard-only");
}

// A render of `control` at a device pixel ratio of `ratio`; of a text field
// its edge only, away from the caret that a click's focus shows.
QImage look(QWidget* control, qreal ratio) {
    QPixmap picture(control->size() * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(control->palette().color(QPalette::Window));
    control->render(&picture);
    QImage image = picture.toImage();
    if (qobject_cast<QLineEdit*>(control)) {
        image.setDevicePixelRatio(1);  // in pixels
        QPainter p(&image);
        const int edge = int(3 * ratio);
        p.fillRect(image.rect().adjusted(edge, edge, -edge, -edge), Qt::black);
    }
    return image;
}

// The style's own focus frame (of a push button, a text field, a slider)
// shows as the marks do: after the keyboard moved the focus there, never
// after a click, however much Tab was used in the window before.
TEST(FocusMark, TheStylesFrameShowsTheKeyboardsFocusOnly) {
    QWidget window;
    auto* column = new QVBoxLayout(&window);
    auto* start = new QPushButton("Start", &window);
    auto* button = new QPushButton("Restore…", &window);
    auto* field = new QLineEdit("text", &window);
    auto* slider = new QSlider(Qt::Horizontal, &window);
    slider->setRange(0, 100);
    slider->setValue(50);  // a click on its middle is on the handle: it stays
    for (QWidget* w : {static_cast<QWidget*>(start), static_cast<QWidget*>(button), static_cast<QWidget*>(field),
                       static_cast<QWidget*>(slider)})
        column->addWidget(w);
    window.resize(240, 160);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    const std::pair<const char*, QWidget*> controls[] = {{"button", button}, {"field", field}, {"slider", slider}};
    for (const auto& [name, control] : controls) {
        const auto looks = [control = control] { return std::pair{look(control, 1), look(control, 2)}; };
        start->setFocus();
        const auto plain = looks();
        while (!control->hasFocus()) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_NE(looks(), plain) << name << ": the keyboard's focus is framed";
        saveWindowPictures(window, (std::string("style-frame-keyboard-") + name).c_str());
        start->setFocus();
        QTest::mouseClick(control, Qt::LeftButton);
        ASSERT_TRUE(control->hasFocus()) << name;
        const auto clicked = looks();
        start->setFocus();  // the pointer stays where it clicked
        EXPECT_EQ(clicked, looks()) << name << ": a click's focus is not framed";
        QTest::keyClick(control, Qt::Key_Shift);
        control->setFocus(Qt::OtherFocusReason);
        EXPECT_NE(looks(), clicked) << name << ": the focus the program gives after a key is the keyboard's";
    }
    EXPECT_EQ(slider->value(), 50);
    EXPECT_EQ(field->text(), "text");
}

// Forgetting the inputs judges the focus as at the start again (as each
// test of a test program starts): the focus the program gives after a
// click shows until then, and after it shows.
TEST(FocusMark, ForgettingTheInputsJudgesTheFocusAsAtTheStart) {
    QWidget window;
    auto* row = new QHBoxLayout(&window);
    auto* clicked = new QPushButton("Clicked", &window);
    auto* given = new QPushButton("Given", &window);
    row->addWidget(clicked);
    row->addWidget(given);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::mouseClick(clicked, Qt::LeftButton);
    given->setFocus(Qt::OtherFocusReason);
    EXPECT_FALSE(showsFocusMark(given)) << "the focus the program gives after a click";
    forgetFocusOrigin();
    clicked->setFocus(Qt::OtherFocusReason);
    EXPECT_TRUE(showsFocusMark(clicked)) << "the focus the program gives before any input";
}

}  // namespace
}  // namespace orbel::ui
