#include "platform/linux/window_owner.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTextStream>
#include <set>

namespace orbel::platform::x11 {
namespace {

std::string stripDesktopSuffix(std::string s) {
    const std::string suffix = ".desktop";
    if (s.size() > suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0)
        s.resize(s.size() - suffix.size());
    return s;
}

bool equalsIgnoringCase(const std::string& a, const std::string& b) {
    return !a.empty() && QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) == 0;
}

std::string programOfExec(const QString& exec) {
    const QString trimmed = exec.trimmed();
    const QString first = trimmed.startsWith(QLatin1Char('"')) ? trimmed.mid(1).section(QLatin1Char('"'), 0, 0)
                                                                : trimmed.section(QLatin1Char(' '), 0, 0);
    return QFileInfo(first).fileName().toStdString();
}

}  // namespace

std::string resolveDesktopId(const WindowOwnerHints& h, const std::vector<DesktopEntryHint>& entries) {
    if (!h.gtkApplicationId.empty()) return h.gtkApplicationId;
    if (!h.kdeDesktopFile.empty()) {
        const auto slash = h.kdeDesktopFile.rfind('/');
        return stripDesktopSuffix(slash == std::string::npos ? h.kdeDesktopFile : h.kdeDesktopFile.substr(slash + 1));
    }
    for (const auto* name : {&h.wmClassClass, &h.wmClassInstance}) {
        if (name->empty()) continue;
        for (const auto& e : entries)
            if (e.startupWmClass == *name) return e.id;
    }
    for (const auto* name : {&h.wmClassClass, &h.wmClassInstance}) {
        for (const auto& e : entries)
            if (equalsIgnoringCase(e.id, *name)) return e.id;
    }
    if (!h.executableName.empty()) {
        for (const auto& e : entries)
            if (equalsIgnoringCase(e.id, h.executableName)) return e.id;
        for (const auto& e : entries)
            if (e.execProgram == h.executableName) return e.id;
        return h.executableName;
    }
    return h.wmClassInstance;
}

std::vector<DesktopEntryHint> scanDesktopEntries(const std::vector<std::string>& dataDirs) {
    std::vector<DesktopEntryHint> result;
    std::set<std::string> seen;
    for (const auto& dataDir : dataDirs) {
        const QString base = QString::fromStdString(dataDir) + QStringLiteral("/applications");
        if (!QFileInfo(base).isDir()) continue;
        QDirIterator it(base, {QStringLiteral("*.desktop")}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QString relative = QDir(base).relativeFilePath(path);
            relative.replace(QLatin1Char('/'), QLatin1Char('-'));
            DesktopEntryHint entry;
            entry.id = stripDesktopSuffix(relative.toStdString());
            if (!seen.insert(entry.id).second) continue;
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) continue;
            QTextStream in(&file);
            bool inMain = false;
            while (!in.atEnd()) {
                const QString line = in.readLine().trimmed();
                if (line.startsWith(QLatin1Char('['))) {
                    inMain = line == QStringLiteral("[Desktop Entry]");
                    continue;
                }
                if (!inMain) continue;
                const auto eq = line.indexOf(QLatin1Char('='));
                if (eq <= 0) continue;
                const QString key = line.left(eq).trimmed();
                const QString value = line.mid(eq + 1).trimmed();
                if (key == QStringLiteral("StartupWMClass")) entry.startupWmClass = value.toStdString();
                else if (key == QStringLiteral("Exec")) entry.execProgram = programOfExec(value);
            }
            result.push_back(std::move(entry));
        }
    }
    return result;
}

std::vector<std::string> xdgDataDirs() {
    std::vector<std::string> dirs;
    const QByteArray home = qgetenv("XDG_DATA_HOME");
    dirs.push_back(home.isEmpty() ? (QDir::homePath() + QStringLiteral("/.local/share")).toStdString()
                                  : home.toStdString());
    QByteArray system = qgetenv("XDG_DATA_DIRS");
    if (system.isEmpty()) system = "/usr/local/share:/usr/share";
    for (const QByteArray& d : system.split(':'))
        if (!d.isEmpty()) dirs.push_back(d.toStdString());
    return dirs;
}

}  // namespace orbel::platform::x11
