#include "platform/linux/launch_context.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QMetaObject>
#include <QTimer>
#include <atomic>
#include <cstring>

#include "platform/linux/x11_session.h"

namespace orbel::platform::x11 {
namespace {

// Long enough for a slow start; applications that know the protocol end it sooner.
constexpr int kAnnouncementLifetimeMs = 30'000;

QByteArray quoted(const QString& value) {
    QByteArray v = value.toUtf8();
    if (!v.contains(' ') && !v.contains('"') && !v.contains('\\')) return v;
    v.replace('\\', "\\\\").replace('"', "\\\"");
    return '"' + v + '"';
}

// The message goes out in pieces of 20 bytes, the first as
// _NET_STARTUP_INFO_BEGIN, with the closing NUL.
void announce(const QByteArray& message) {
    Session* x = Session::shared();
    if (!x) return;
    xcb_connection_t* c = x->connection();
    static const xcb_window_t sender = [&] {  // a window of ours the messages come from
        const xcb_window_t w = xcb_generate_id(c);
        xcb_create_window(c, 0, w, x->root(), -1, -1, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0,
                          nullptr);
        return w;
    }();
    const QByteArray bytes = message + '\0';
    for (qsizetype at = 0; at < bytes.size(); at += 20) {
        xcb_client_message_event_t event;
        std::memset(&event, 0, sizeof event);
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 8;
        event.window = sender;
        event.type = x->atom(at == 0 ? "_NET_STARTUP_INFO_BEGIN" : "_NET_STARTUP_INFO");
        std::memcpy(event.data.data8, bytes.constData() + at, static_cast<std::size_t>(std::min<qsizetype>(20, bytes.size() - at)));
        xcb_send_event(c, 0, x->root(), XCB_EVENT_MASK_PROPERTY_CHANGE, reinterpret_cast<const char*>(&event));
    }
    xcb_flush(c);
}

void endAnnouncement(const QString& id) { announce("remove: ID=" + quoted(id)); }

QString begin(const gio::LaunchAnnouncer::Start& start) {
    static std::atomic<int> counter{0};
    const QString id = QStringLiteral("orbel-%1-%2-%3").arg(getpid()).arg(++counter).arg(start.program);
    QByteArray message = "new: ID=" + quoted(id) + " NAME=" + quoted(start.name) + " SCREEN=0 BIN=" + quoted(start.program);
    if (!start.wmClass.isEmpty()) message += " WMCLASS=" + quoted(start.wmClass);
    if (!start.file.isEmpty()) message += " APPLICATION_ID=" + quoted(start.file);
    if (!start.icon.isEmpty()) message += " ICON=" + quoted(start.icon);
    announce(message);
    QMetaObject::invokeMethod(QCoreApplication::instance(), [id] {
        QTimer::singleShot(kAnnouncementLifetimeMs, QCoreApplication::instance(), [id] { endAnnouncement(id); });
    }, Qt::QueuedConnection);
    return id;
}

}  // namespace

const gio::LaunchAnnouncer* launchAnnouncer() {
    static const gio::LaunchAnnouncer announcer{begin, endAnnouncement};  // lives as long as the process
    return Session::shared() ? &announcer : nullptr;
}

}  // namespace orbel::platform::x11
