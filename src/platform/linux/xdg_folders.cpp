#include "platform/linux/xdg_folders.h"

#include <QDir>

namespace orbel::platform::xdg {
namespace {

// $name's absolute folders (relative ones do not count), else the fallbacks.
QStringList folderList(const char* name, const QStringList& fallback) {
    QStringList out;
    for (const QString& folder : qEnvironmentVariable(name).split(QLatin1Char(':'), Qt::SkipEmptyParts))
        if (QDir::isAbsolutePath(folder)) out << QDir::cleanPath(folder);
    if (out.isEmpty()) out = fallback;
    out.removeDuplicates();
    return out;
}

}  // namespace

QString dataHome() { return folderList("XDG_DATA_HOME", {QDir::homePath() + QStringLiteral("/.local/share")}).first(); }

QStringList applicationFolders() {
    QStringList out;
    const QStringList data =
        QStringList{dataHome()} + folderList("XDG_DATA_DIRS", {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")});
    for (const QString& folder : data) out << folder + QStringLiteral("/applications");
    out.removeDuplicates();
    return out;
}

QStringList configFolders() {
    QStringList out = folderList("XDG_CONFIG_HOME", {QDir::homePath() + QStringLiteral("/.config")}).mid(0, 1);
    out += folderList("XDG_CONFIG_DIRS", {QStringLiteral("/etc/xdg")});
    out.removeDuplicates();
    return out;
}

QStringList currentDesktops() { return qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(QLatin1Char(':'), Qt::SkipEmptyParts); }

}  // namespace orbel::platform::xdg
