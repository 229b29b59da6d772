#include <QApplication>
#include <QFile>
#include <QFileSystemWatcher>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include "support/control_map.h"
#include "support/test_files.h"
#include "ui/controls.h"

using namespace orbel;

namespace {

QRect rectOf(const QJsonObject& o) { return {o["x"].toInt(), o["y"].toInt(), o["width"].toInt(), o["height"].toInt()}; }

// The entry whose text (or object name) is `key`, if any.
QJsonObject entryFor(const QJsonArray& map, const QString& key) {
    for (const QJsonValue& v : map)
        if (v["text"].toString() == key || v["name"].toString() == key) return v.toObject();
    return {};
}

}  // namespace

TEST(ControlMap, WithoutTheVariableNothingWatches) {
    qunsetenv("ORBEL_TEST_CONTROL_MAP");
    answerControlMapRequests();
    EXPECT_TRUE(qApp->findChildren<QFileSystemWatcher*>().isEmpty());
}

TEST(ControlMap, ARequestIsAnsweredWithTheVisibleControlsSegmentsAndRowsOnTheScreen) {
    QTemporaryDir dir;
    const QString file = dir.filePath("controls/map.json");
    qputenv("ORBEL_TEST_CONTROL_MAP", file.toUtf8());
    answerControlMapRequests();
    qunsetenv("ORBEL_TEST_CONTROL_MAP");

    QWidget window;
    window.setWindowTitle("Probe");
    auto* layout = new QVBoxLayout(&window);
    auto* go = new QPushButton("Go");
    auto* hidden = new QPushButton("Hidden");
    auto* mode = new ui::SegmentedControl({"Tap", "Hold"});
    mode->setObjectName("mode");
    auto* list = new QListWidget;
    list->addItems({"one", "two"});
    for (QWidget* w : {static_cast<QWidget*>(go), static_cast<QWidget*>(hidden), static_cast<QWidget*>(mode),
                       static_cast<QWidget*>(list)})
        layout->addWidget(w);
    hidden->hide();
    window.move(40, 30);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_Shift);
    mode->setFocus(Qt::OtherFocusReason);  // after a key: marked

    QFile::remove(file);
    orbel::testing::writeFile(file + ".request", "?");
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(file); }));
    EXPECT_FALSE(QFile::exists(file + ".request"));
    QFile answer(file);
    ASSERT_TRUE(answer.open(QIODevice::ReadOnly));
    const QJsonArray map = QJsonDocument::fromJson(answer.readAll()).array();

    const QJsonObject button = entryFor(map, "Go");
    EXPECT_EQ(button["window"].toString(), "Probe");
    EXPECT_EQ(rectOf(button), QRect(go->mapToGlobal(QPoint()), go->size()));
    EXPECT_FALSE(button["focused"].toBool() || button["marked"].toBool());
    EXPECT_TRUE(entryFor(map, "mode")["focused"].toBool() && entryFor(map, "mode")["marked"].toBool());
    EXPECT_TRUE(entryFor(map, "Hidden").isEmpty());
    const QJsonObject hold = entryFor(map, "Hold");
    EXPECT_EQ(hold["type"].toString(), "segment");
    EXPECT_EQ(hold["path"].toArray().last().toString(), "mode");
    EXPECT_EQ(rectOf(hold), QRect(mode->mapToGlobal(mode->segmentRect(1).topLeft()), mode->segmentRect(1).size()));
    const QJsonObject row = entryFor(map, "two");
    EXPECT_EQ(row["type"].toString(), "row");
    EXPECT_EQ(rectOf(row).center(), list->viewport()->mapToGlobal(list->visualItemRect(list->item(1)).center()));
    delete qApp->findChild<QFileSystemWatcher*>();
}
