#pragma once

// A private XDG tree for a test process. GLib reads the XDG variables once,
// so they point at one temporary tree for the whole process, set before
// main by any test file that includes this header.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <iterator>

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

// Gives a test the process's XDG tree and empties it afterwards: the
// tree's own folders stay (whatever watches them keeps watching), anything
// else a test put there (icon themes, lists, files at the top) goes.
class XdgFixture {
public:
    ~XdgFixture() { empty(); }
    QString root() const { return xdgRoot(); }
    static void empty() { emptyFolder(xdgRoot(), {}); }

private:
    static void emptyFolder(const QString& folder, const QString& relative) {
        const auto filter = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System;  // FIFOs too
        for (const QFileInfo& info : QDir(folder).entryInfoList(filter)) {
            const QString path = relative + info.fileName();
            const bool own = std::any_of(std::begin(kXdgFolders), std::end(kXdgFolders), [&](const char* sub) {
                return path == QLatin1String(sub) || QLatin1String(sub).startsWith(path + '/');
            });
            // A link is removed, never followed: it may name a folder of the machine's.
            if (info.isSymLink() || !info.isDir()) QFile::remove(info.filePath());
            else if (own) emptyFolder(info.filePath(), path + '/');
            else QDir(info.filePath()).removeRecursively();
        }
    }
};

}  // namespace orbel::testing
