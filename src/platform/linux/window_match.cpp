#include "platform/linux/window_match.h"

#include <QFileInfo>

namespace orbel::platform::xdg {
namespace {

QString idFromDesktopFile(QString value) {
    if (value.contains(QLatin1Char('/'))) value = QFileInfo(value).fileName();
    if (value.endsWith(QLatin1String(".desktop"))) value.chop(8);
    return value;
}

const DesktopEntry* byId(const std::vector<DesktopEntry>& entries, const QString& id) {
    if (id.isEmpty()) return nullptr;
    for (const DesktopEntry& e : entries)
        if (e.id == id) return &e;
    return nullptr;
}

// The program an Exec line starts, without folder; "env VAR=x prog" skips to prog.
QString execProgram(const DesktopEntry& entry) {
    auto args = execArguments(entry);
    if (!args) return {};
    qsizetype i = 0;
    if (QFileInfo((*args)[0]).fileName() == QLatin1String("env")) {
        for (i = 1; i < args->size() && ((*args)[i].contains(QLatin1Char('=')) || (*args)[i].startsWith(QLatin1Char('-'))); ++i) {
        }
        if (i >= args->size()) return {};
    }
    return QFileInfo((*args)[i]).fileName();
}

}  // namespace

std::optional<QString> matchWindowToEntry(const WindowIdentity& w, const std::vector<DesktopEntry>& entries) {
    if (auto* e = byId(entries, w.gtkApplicationId)) return e->id;
    if (auto* e = byId(entries, idFromDesktopFile(w.kdeDesktopFile))) return e->id;

    const QStringList classes{w.wmClassName, w.wmClassInstance};
    for (const QString& cls : classes) {
        if (cls.isEmpty()) continue;
        for (const DesktopEntry& e : entries)
            if (!e.startupWMClass.isEmpty() && e.startupWMClass == cls) return e.id;
    }
    for (const QString& cls : classes) {
        if (cls.isEmpty()) continue;
        for (const DesktopEntry& e : entries)
            if (e.id.compare(cls, Qt::CaseInsensitive) == 0) return e.id;
        for (const DesktopEntry& e : entries)
            if (e.id.section(QLatin1Char('.'), -1).compare(cls, Qt::CaseInsensitive) == 0) return e.id;
    }
    if (!w.executable.isEmpty())
        for (const DesktopEntry& e : entries)
            if (execProgram(e) == w.executable) return e.id;
    return std::nullopt;
}

}  // namespace orbel::platform::xdg
