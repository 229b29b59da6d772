#include "platform/linux/window_owner.h"

#include <QFile>
#include <QFileInfo>

#include "platform/linux/x11_session.h"

namespace orbel::platform::xdg {
namespace {

// "/usr/share/applications/org.kde.kate.desktop" and "org.kde.kate" both give "org.kde.kate".
QString idFromDesktopFile(QString value) {
    if (value.contains(QLatin1Char('/'))) value = QFileInfo(value).fileName();
    if (value.endsWith(QLatin1String(".desktop"))) value.chop(8);
    return value;
}

template <typename Pred>
std::optional<QString> firstId(const std::vector<xdg::AppRecord>& entries, Pred matches) {
    for (const xdg::AppRecord& e : entries)
        if (matches(e)) return e.id;
    return std::nullopt;
}

QString programOfProcess(std::uint32_t pid) {
    const QString proc = QStringLiteral("/proc/%1/").arg(pid);
    QString program = QFileInfo(QFileInfo(proc + QStringLiteral("exe")).symLinkTarget()).fileName();
    if (program.isEmpty()) {  // another user's process
        QFile comm(proc + QStringLiteral("comm"));
        if (comm.open(QIODevice::ReadOnly)) program = QString::fromLocal8Bit(comm.readAll()).trimmed();
    }
    return program;
}

}  // namespace

WindowIdentity WindowIdentity::of(x11::Session& x, xcb_window_t window) {
    WindowIdentity id;
    id.gtkApplicationId = QString::fromUtf8(x.text(window, "_GTK_APPLICATION_ID"));
    id.kdeDesktopFile = QString::fromUtf8(x.text(window, "_KDE_NET_WM_DESKTOP_FILE"));
    if (auto cls = x.property(window, XCB_ATOM_WM_CLASS)) {
        const QList<QByteArray> parts = cls->bytes.split('\0');
        if (parts.size() > 0) id.wmClassInstance = QString::fromLocal8Bit(parts[0]);
        if (parts.size() > 1) id.wmClassName = QString::fromLocal8Bit(parts[1]);
    }
    if (auto pid = x.cardinal(window, "_NET_WM_PID"); pid && *pid > 0) {
        id.pid = *pid;
        id.executable = programOfProcess(*pid);
    }
    return id;
}

std::optional<QString> resolveDesktopId(const WindowIdentity& w, const std::vector<xdg::AppRecord>& entries) {
    const QString declared[] = {w.gtkApplicationId, idFromDesktopFile(w.kdeDesktopFile)};
    for (const QString& id : declared)
        if (!id.isEmpty())
            if (auto found = firstId(entries, [&](const xdg::AppRecord& e) { return e.id == id; })) return found;

    QStringList classes;
    for (const QString& cls : {w.wmClassName, w.wmClassInstance})
        if (!cls.isEmpty()) classes << cls;
    for (const QString& cls : classes)
        if (auto found = firstId(entries, [&](const xdg::AppRecord& e) { return e.startupWMClass == cls; }))
            return found;
    for (const QString& cls : classes) {
        if (auto found = firstId(entries, [&](const xdg::AppRecord& e) { return e.id.compare(cls, Qt::CaseInsensitive) == 0; }))
            return found;
        if (auto found = firstId(entries, [&](const xdg::AppRecord& e) {
                return e.id.section(QLatin1Char('.'), -1).compare(cls, Qt::CaseInsensitive) == 0;
            }))
            return found;
    }

    if (w.executable.isEmpty()) return std::nullopt;
    if (auto found = firstId(entries, [&](const xdg::AppRecord& e) { return e.id.compare(w.executable, Qt::CaseInsensitive) == 0; }))
        return found;
    return firstId(entries, [&](const xdg::AppRecord& e) { return e.program == w.executable; });
}

QString unmatchedOwnerName(const WindowIdentity& w) {
    for (const QString& name : {w.gtkApplicationId, idFromDesktopFile(w.kdeDesktopFile), w.executable})
        if (!name.isEmpty()) return name;
    return w.wmClassInstance;
}

}  // namespace orbel::platform::xdg
