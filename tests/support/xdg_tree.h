#pragma once

// A private XDG tree for a test process. GLib reads the XDG variables once,
// so they point at one temporary tree for the whole process, set before
// main by any test file that includes this header.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace orbel::testing {

inline const char* const kXdgFolders[] = {"data/applications", "usr/applications", "config", "etc"};

inline const QString& xdgRoot() {
    static QTemporaryDir dir;
    static const QString root = [] {
        for (const char* sub : kXdgFolders) QDir().mkpath(dir.path() + "/" + sub);
        qputenv("XDG_DATA_HOME", (dir.path() + "/data").toUtf8());
        qputenv("XDG_DATA_DIRS", (dir.path() + "/usr").toUtf8());
        qputenv("XDG_CONFIG_HOME", (dir.path() + "/config").toUtf8());
        qputenv("XDG_CONFIG_DIRS", (dir.path() + "/etc").toUtf8());
        return dir.path();
    }();
    return root;
}
inline const bool xdgRootReady = !xdgRoot().isEmpty();

// Gives a test the process's XDG tree and empties its folders afterwards.
class XdgFixture {
public:
    ~XdgFixture() {
        for (const char* sub : kXdgFolders) {
            QDir dir(root() + "/" + sub);
            for (const QFileInfo& info : dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
                info.isDir() ? QDir(info.filePath()).removeRecursively() : QFile::remove(info.filePath());
        }
    }
    QString root() const { return xdgRoot(); }
};

}  // namespace orbel::testing
