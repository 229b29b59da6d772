#include "platform/alerts.h"

#include <QApplication>
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

}  // namespace
}  // namespace orbel::platform
