#include "platform/alerts.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QKeyEvent>
#include <gtest/gtest.h>

namespace orbel::platform {
namespace {

QMessageBox* openBox() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) return box;
    return nullptr;
}

TEST(Alerts, ShowReturnsAtOnceAndReportsTheButtonPressed) {
    std::vector<int> answers;
    Alert alert{"Hotkey Conflict Detected", "In use.", AlertStyle::warning,
                {"Choose Different Hotkey", "Cancel"}, "Tip: Try other modifier keys"};
    Alerts::shared().show(alert, [&](int button) { answers.push_back(button); });
    QMessageBox* box = openBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), QStringLiteral("Hotkey Conflict Detected"));
    EXPECT_EQ(box->icon(), QMessageBox::Warning);
    ASSERT_EQ(box->buttons().size(), 2);
    EXPECT_EQ(box->defaultButton()->text(), QStringLiteral("Choose Different Hotkey"));
    box->defaultButton()->click();
    QApplication::processEvents();

    Alerts::shared().show(alert, [&](int button) { answers.push_back(button); });
    box = openBox();
    ASSERT_NE(box, nullptr);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(box, &escape);
    QApplication::processEvents();

    Alerts::shared().show({"Error", "It failed.", AlertStyle::critical, {"OK"}, ""}, [&](int button) { answers.push_back(button); });
    box = openBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
    ASSERT_EQ(box->buttons().size(), 1);
    box->buttons().front()->click();
    QApplication::processEvents();

    EXPECT_EQ(answers, (std::vector<int>{0, 1, 0}));
}

TEST(Alerts, TheTipStandsAboveTheButtons) {
    Alert alert{"Hotkey Conflict Detected", "In use.\nBy <another> program.", AlertStyle::warning,
                {"Choose Different Hotkey", "Cancel"}, "Tip: Try Ctrl+Alt+Space"};
    Alerts::shared().show(alert, [](int) {});
    QMessageBox* box = openBox();
    ASSERT_NE(box, nullptr);
    box->adjustSize();
    auto* message = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"));
    auto* buttons = box->findChild<QDialogButtonBox*>(QStringLiteral("qt_msgbox_buttonbox"));
    ASSERT_TRUE(message && buttons);
    EXPECT_TRUE(message->text().contains("Tip: Try Ctrl+Alt+Space"));
    EXPECT_TRUE(message->text().contains("&lt;another&gt;")) << "the message stays plain text";
    EXPECT_LT(message->geometry().bottom(), buttons->geometry().top());
    for (auto* label : box->findChildren<QLabel*>())
        EXPECT_FALSE(label->isVisible() && label->geometry().top() > buttons->geometry().top()) << "nothing below";
    box->reject();
    QApplication::processEvents();
}

}  // namespace
}  // namespace orbel::platform
