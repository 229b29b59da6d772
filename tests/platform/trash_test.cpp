#include "platform/linux/trash_linux.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "support/test_files.h"

namespace orbel::platform {
namespace {

using orbel::testing::writeFile;

TEST(Trash, EmptiesTheTrashOfEveryVolumeWithoutFollowingLinksOut) {
    QTemporaryDir tmp;
    const QString volume = tmp.path() + "/volume", linked = tmp.path() + "/linked-volume";
    const QString uid = QString::number(getuid());
    const QString outside = tmp.path() + "/precious";
    writeFile(outside + "/keep.txt", "x");
    writeFile(volume + "/.Trash/" + uid + "/files/a.txt", "x");
    writeFile(volume + "/.Trash-" + uid + "/files/folder/deep/b.txt", "x");
    writeFile(volume + "/.Trash-" + uid + "/files/.hidden", "x");
    writeFile(volume + "/.Trash-" + uid + "/info/folder.trashinfo", "x");
    writeFile(volume + "/.Trash-" + uid + "/directorysizes", "x");
    QFile::setPermissions(volume + "/.Trash-" + uid + "/files/folder/deep", QFile::ReadOwner | QFile::ExeOwner);
    QFile::link(outside, volume + "/.Trash-" + uid + "/files/link-to-folder");
    QFile::link(outside + "/keep.txt", volume + "/.Trash-" + uid + "/files/link-to-file");
    QDir().mkpath(linked);
    QFile::link(outside, linked + "/.Trash");  // a shared trash that is a link does not count

    const QStringList folders = trashFolders({volume, linked});
    EXPECT_EQ(folders, (QStringList{qEnvironmentVariable("XDG_DATA_HOME", QDir::homePath() + "/.local/share") + "/Trash",
                                    volume + "/.Trash/" + uid, volume + "/.Trash-" + uid, linked + "/.Trash-" + uid}));
    for (const QString& folder : folders.mid(1)) EXPECT_TRUE(emptyTrashFolder(folder)) << folder.toStdString();

    const auto all = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System;
    for (const char* left : {"/.Trash/%1/files", "/.Trash-%1/files", "/.Trash-%1/info"})
        EXPECT_TRUE(QDir(volume + QString::fromLatin1(left).arg(uid)).entryList(all).isEmpty()) << left;
    EXPECT_FALSE(QFile::exists(volume + "/.Trash-" + uid + "/directorysizes"));
    EXPECT_TRUE(QFile::exists(outside + "/keep.txt"));
}

}  // namespace
}  // namespace orbel::platform
