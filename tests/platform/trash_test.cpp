#include "platform/linux/trash_linux.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace orbel::platform {
namespace {

void touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("x");
}

TEST(Trash, EmptiesFilesAndInfoWithoutFollowingLinksOut) {
    QTemporaryDir tmp;
    const QString trash = tmp.path() + "/Trash";
    const QString outside = tmp.path() + "/precious";
    touch(outside + "/keep.txt");
    touch(trash + "/files/a.txt");
    touch(trash + "/files/.hidden");
    touch(trash + "/files/folder/deep/b.txt");
    QFile::setPermissions(trash + "/files/folder/deep", QFile::ReadOwner | QFile::ExeOwner);
    QFile::link(outside, trash + "/files/link-to-folder");
    QFile::link(outside + "/keep.txt", trash + "/files/link-to-file");
    touch(trash + "/info/a.txt.trashinfo");
    touch(trash + "/info/folder.trashinfo");
    touch(trash + "/directorysizes");

    auto t = makeXdgTrash(trash.toStdString());
    std::optional<bool> result;
    t->empty([&](bool ok) { result = ok; });
    QElapsedTimer timer;
    timer.start();
    while (!result && timer.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);

    ASSERT_TRUE(result);
    EXPECT_TRUE(*result);
    const auto all = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System;
    EXPECT_TRUE(QDir(trash + "/files").entryList(all).isEmpty());
    EXPECT_TRUE(QDir(trash + "/info").entryList(all).isEmpty());
    EXPECT_FALSE(QFile::exists(trash + "/directorysizes"));
    EXPECT_TRUE(QFile::exists(outside + "/keep.txt"));
}

TEST(Trash, AMissingTrashIsAlreadyEmpty) {
    QTemporaryDir tmp;
    std::optional<bool> result;
    makeXdgTrash((tmp.path() + "/none").toStdString())->empty([&](bool ok) { result = ok; });
    QElapsedTimer timer;
    timer.start();
    while (!result && timer.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(result, true);
}

}  // namespace
}  // namespace orbel::platform
