#include "platform/linux/launch_context.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QFileInfo>
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

void endAnnouncement(const char* id) { announce("remove: ID=" + quoted(QString::fromUtf8(id))); }

struct OrbelLaunchContext {
    GAppLaunchContext parent;
};
struct OrbelLaunchContextClass {
    GAppLaunchContextClass parent;
};

char* startupId(GAppLaunchContext*, GAppInfo* info, GList*) {
    static std::atomic<int> counter{0};
    const QString program = QFileInfo(QString::fromUtf8(g_app_info_get_executable(info))).fileName();
    const QString id = QStringLiteral("orbel-%1-%2-%3").arg(getpid()).arg(++counter).arg(program);
    QByteArray message = "new: ID=" + quoted(id) + " NAME=" + quoted(QString::fromUtf8(g_app_info_get_name(info))) +
                         " SCREEN=0 BIN=" + quoted(program);
    if (G_IS_DESKTOP_APP_INFO(info)) {
        auto* desktop = G_DESKTOP_APP_INFO(info);
        if (const char* wmClass = g_desktop_app_info_get_startup_wm_class(desktop))
            message += " WMCLASS=" + quoted(QString::fromUtf8(wmClass));
        if (const char* file = g_desktop_app_info_get_filename(desktop))
            message += " APPLICATION_ID=" + quoted(QString::fromUtf8(file));
    }
    if (GIcon* icon = g_app_info_get_icon(info); icon && G_IS_THEMED_ICON(icon))
        if (const gchar* const* names = g_themed_icon_get_names(G_THEMED_ICON(icon)); names && names[0])
            message += " ICON=" + quoted(QString::fromUtf8(names[0]));
    announce(message);
    QMetaObject::invokeMethod(QCoreApplication::instance(), [id] {
        QTimer::singleShot(kAnnouncementLifetimeMs, QCoreApplication::instance(),
                           [id] { endAnnouncement(id.toUtf8().constData()); });
    }, Qt::QueuedConnection);
    return g_strdup(id.toUtf8().constData());
}

G_DEFINE_TYPE(OrbelLaunchContext, orbel_launch_context, G_TYPE_APP_LAUNCH_CONTEXT)

void orbel_launch_context_class_init(OrbelLaunchContextClass* type) {
    type->parent.get_startup_notify_id = startupId;
    type->parent.launch_failed = [](GAppLaunchContext*, const char* id) { endAnnouncement(id); };
}

void orbel_launch_context_init(OrbelLaunchContext*) {}

}  // namespace

gio::Ref<GAppLaunchContext> makeLaunchContext() {
    if (!Session::shared()) return gio::Ref<GAppLaunchContext>(g_app_launch_context_new());
    return gio::Ref<GAppLaunchContext>(G_APP_LAUNCH_CONTEXT(g_object_new(orbel_launch_context_get_type(), nullptr)));
}

}  // namespace orbel::platform::x11
