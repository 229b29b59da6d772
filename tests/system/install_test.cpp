// `cmake --install` into a user's prefix brings that prefix's MIME and
// menu-entry databases up to date, so the desktop knows a backup file at
// once; a staged install (DESTDIR) leaves them to the package it makes.
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "orbel_process.h"

namespace orbel {
namespace {

// The content type gio gives `file` when the data folder is `share` alone.
QString contentType(const QString& file, const QString& share) {
    QProcess gio;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", share);
    env.insert("XDG_DATA_DIRS", share);
    env.insert("GIO_USE_VFS", "local");
    gio.setProcessEnvironment(env);
    gio.start("gio", {"info", "--attributes=standard::content-type", file});
    if (!gio.waitForFinished(60000)) return {};
    return QString::fromUtf8(gio.readAllStandardOutput()).section("standard::content-type:", 1).trimmed();
}

TEST(InstallSystem, AUserInstallKnowsTheBackupFileTypeAndAStagedOneLeavesItToThePackage) {
    if (!QFile::exists(systemtest::kOrbel)) GTEST_SKIP() << "orbel is not built";
    for (const char* tool : {"gio", "update-mime-database"})
        if (QStandardPaths::findExecutable(tool).isEmpty()) GTEST_SKIP() << "needs " << tool << " (scripts/setup)";
    QTemporaryDir prefix(QDir::tempPath() + "/orbel prefix-XXXXXX"), files;
    QString output;
    ASSERT_EQ(systemtest::installInto(prefix.path(), {}, {}, &output), 0) << output.toStdString();
    const QString share = prefix.filePath("share"), backup = files.filePath("Before the move.orbelbackup");
    systemtest::writeFile(backup, R"({"version" : 1, "profiles" : []})");
    EXPECT_EQ(contentType(backup, share).toStdString(), "application/x-orbelbackup") << output.toStdString();
    if (!QStandardPaths::findExecutable("update-desktop-database").isEmpty()) {
        QFile entries(share + "/applications/mimeinfo.cache");
        ASSERT_TRUE(entries.open(QIODevice::ReadOnly)) << output.toStdString();
        EXPECT_TRUE(entries.readAll().contains("application/x-orbelbackup=com.quandelvix.orbel.desktop;"));
    }

    // Staged: the files land under DESTDIR and no database is built, there
    // nor in the prefix itself.
    QTemporaryDir stage, staged;
    QProcessEnvironment destdir;
    destdir.insert("DESTDIR", stage.path());
    ASSERT_EQ(systemtest::installInto(staged.path(), {}, destdir, &output), 0) << output.toStdString();
    const QString stagedShare = stage.path() + staged.path() + "/share";
    EXPECT_TRUE(QFile::exists(stagedShare + "/mime/packages/com.quandelvix.orbel.xml"));
    for (const QString& base : {stagedShare, staged.filePath("share")})
        for (const char* database : {"/mime/mime.cache", "/applications/mimeinfo.cache"})
            EXPECT_FALSE(QFile::exists(base + database)) << (base + database).toStdString();
}

}  // namespace
}  // namespace orbel
