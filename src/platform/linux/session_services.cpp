#include "platform/session_services.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QMetaObject>
#include <atomic>
#include <memory>
#include <optional>

#include "platform/linux/session_services_linux.h"
#include "platform/linux/xdg_folders.h"

namespace orbel::platform {
namespace {

// Long enough for an authentication prompt of the system's policy agent.
constexpr int kSystemCallTimeoutMs = 30'000;
constexpr int kToolTimeoutMs = 5'000;

const QString kLogind = QStringLiteral("org.freedesktop.login1");
const QString kLogindPath = QStringLiteral("/org/freedesktop/login1");
const QString kLogindManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString kNetworkManager = QStringLiteral("org.freedesktop.NetworkManager");
const QString kNetworkManagerPath = QStringLiteral("/org/freedesktop/NetworkManager");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

using Completion = SessionServices::Completion;

void later(Completion done, bool ok, std::string error) {
    if (!done) return;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [done = std::move(done), ok, error = std::move(error)] { done(ok, error); },
        Qt::QueuedConnection);
}

// Sends a call and hands the reply (or the error) to `then` on the GUI thread.
void call(QDBusConnection bus, const QString& busName, QDBusMessage msg,
          std::function<void(const QDBusMessage& reply, const QString& error)> then) {
    if (!bus.isConnected()) {
        QString error = busName + QStringLiteral(" bus is not available");
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [then = std::move(then), error] { then({}, error); }, Qt::QueuedConnection);
        return;
    }
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(msg, kSystemCallTimeoutMs));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [then = std::move(then)](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        QDBusMessage reply = w->reply();
        if (w->isError()) {
            QDBusError e = w->error();
            then(reply, e.message().isEmpty() ? e.name() : e.message());
        } else {
            then(reply, {});
        }
    });
}

void systemCall(const QString& path, const QString& interface, const QString& method, const QVariantList& args,
                Completion done) {
    QDBusMessage msg = QDBusMessage::createMethodCall(kLogind, path, interface, method);
    msg.setArguments(args);
    call(QDBusConnection::systemBus(), QStringLiteral("The system"), msg,
         [done = std::move(done)](const QDBusMessage&, const QString& error) {
             if (done) done(error.isEmpty(), error.toStdString());
         });
}

// A desktop setting that is either on or off, read and written by a tool.
struct Toggle {
    QStringList desktops;  // the desktops ($XDG_CURRENT_DESKTOP) that act on it; empty: the tool knows
    QString program;
    QStringList getArgs;
    std::function<std::optional<bool>(const QString& output)> parse;  // nothing: not this desktop
    std::function<QStringList(bool value)> setArgs;
};

std::optional<bool> parseBool(const QString& output) {
    QString v = output.trimmed();
    if (v == QLatin1String("true")) return true;
    if (v == QLatin1String("false")) return false;
    return std::nullopt;
}

// GNOME's settings are written happily on any desktop that has the schemas,
// and only GNOME and its derivatives act on them.
const QStringList kGnomeDesktops{QStringLiteral("gnome"), QStringLiteral("unity"), QStringLiteral("budgie"),
                                 QStringLiteral("pantheon")};

std::vector<Toggle> darkModeToggles() {
    return {
        {kGnomeDesktops, QStringLiteral("gsettings"),
         {QStringLiteral("get"), QStringLiteral("org.gnome.desktop.interface"), QStringLiteral("color-scheme")},
         [](const QString& out) -> std::optional<bool> {
             QString v = out.trimmed();
             if (!v.startsWith(QLatin1Char('\''))) return std::nullopt;
             return v == QLatin1String("'prefer-dark'");
         },
         [](bool dark) {
             return QStringList{QStringLiteral("set"), QStringLiteral("org.gnome.desktop.interface"),
                                QStringLiteral("color-scheme"),
                                dark ? QStringLiteral("prefer-dark") : QStringLiteral("default")};
         }},
    };
}

// The value each tool holds is "silenced": show-banners is its negation.
std::vector<Toggle> doNotDisturbToggles() {
    return {
        {kGnomeDesktops, QStringLiteral("gsettings"),
         {QStringLiteral("get"), QStringLiteral("org.gnome.desktop.notifications"), QStringLiteral("show-banners")},
         [](const QString& out) -> std::optional<bool> {
             auto banners = parseBool(out);
             if (!banners) return std::nullopt;
             return !*banners;
         },
         [](bool silenced) {
             return QStringList{QStringLiteral("set"), QStringLiteral("org.gnome.desktop.notifications"),
                                QStringLiteral("show-banners"),
                                silenced ? QStringLiteral("false") : QStringLiteral("true")};
         }},
        // dunstctl fails unless dunst is the running notification daemon.
        {{}, QStringLiteral("dunstctl"), {QStringLiteral("is-paused")}, parseBool,
         [](bool silenced) {
             return QStringList{QStringLiteral("set-paused"), silenced ? QStringLiteral("true") : QStringLiteral("false")};
         }},
        {{QStringLiteral("xfce")}, QStringLiteral("xfconf-query"),
         {QStringLiteral("-c"), QStringLiteral("xfce4-notifyd"), QStringLiteral("-p"), QStringLiteral("/do-not-disturb")},
         parseBool,
         [](bool silenced) {
             return QStringList{QStringLiteral("-c"), QStringLiteral("xfce4-notifyd"), QStringLiteral("-p"),
                                QStringLiteral("/do-not-disturb"), QStringLiteral("-s"),
                                silenced ? QStringLiteral("true") : QStringLiteral("false")};
         }},
    };
}

bool runsOn(const QStringList& desktops) {
    for (const QString& d : xdg::currentDesktops())
        if (desktops.contains(d.toLower())) return true;
    return false;
}

// One way of doing something: a call on the session bus or a tool. A bus
// call that finds no such service, or a tool that fails, lets the next one try.
struct Attempt {
    QString service, path, interface, method;
    QVariantList args;
    QStringList tool;  // program and arguments, when this is a tool
};

Attempt busAttempt(const char* service, const char* path, const char* interface, const char* method,
                   QVariantList args = {}) {
    return {QString::fromLatin1(service), QString::fromLatin1(path), QString::fromLatin1(interface),
            QString::fromLatin1(method), std::move(args), {}};
}

// The desktops' screen savers, then the lockers that run as daemons (their
// commands fail when the daemon is not running).
std::vector<Attempt> lockAttempts() {
    return {
        busAttempt("org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver", "Lock"),
        busAttempt("org.gnome.ScreenSaver", "/org/gnome/ScreenSaver", "org.gnome.ScreenSaver", "Lock"),
        busAttempt("org.mate.ScreenSaver", "/org/mate/ScreenSaver", "org.mate.ScreenSaver", "Lock"),
        busAttempt("org.cinnamon.ScreenSaver", "/org/cinnamon/ScreenSaver", "org.cinnamon.ScreenSaver", "Lock"),
        {{}, {}, {}, {}, {}, {QStringLiteral("xscreensaver-command"), QStringLiteral("-lock")}},
        {{}, {}, {}, {}, {}, {QStringLiteral("light-locker-command"), QStringLiteral("-l")}},
        {{}, {}, {}, {}, {}, {QStringLiteral("xflock4")}},
    };
}

enum class EndSession { logOut, restart, shutDown };

// The session managers of GNOME (and MATE and Cinnamon, which answer to its
// name), KDE Plasma, Xfce and LXQt. Each asks the applications to save and
// lets them object.
std::vector<Attempt> endSessionAttempts(EndSession what) {
    const char* gnome[] = {"Logout", "RequestReboot", "RequestShutdown"};
    const char* kde[] = {"logout", "logoutAndReboot", "logoutAndShutdown"};
    const char* xfce[] = {"Logout", "Restart", "Shutdown"};
    const char* lxqt[] = {"logout", "reboot", "powerOff"};
    const auto i = static_cast<std::size_t>(what);
    std::vector<Attempt> out{
        busAttempt("org.gnome.SessionManager", "/org/gnome/SessionManager", "org.gnome.SessionManager", gnome[i],
                   what == EndSession::logOut ? QVariantList{1u} : QVariantList{}),  // 1: without a confirmation
        busAttempt("org.kde.Shutdown", "/Shutdown", "org.kde.Shutdown", kde[i]),
        busAttempt("org.xfce.SessionManager", "/org/xfce/SessionManager", "org.xfce.Session.Manager", xfce[i],
                   what == EndSession::logOut ? QVariantList{false, true} : QVariantList{true}),  // allow saving
        busAttempt("org.lxqt.session", "/LXQtSession", "org.lxqt.session", lxqt[i]),
    };
    return out;
}

// The errors that mean "not this desktop": try the next way.
bool absent(const QString& errorName) {
    static const QStringList names{
        QStringLiteral("org.freedesktop.DBus.Error.ServiceUnknown"),
        QStringLiteral("org.freedesktop.DBus.Error.NameHasNoOwner"),
        QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"),
        QStringLiteral("org.freedesktop.DBus.Error.UnknownObject"),
        QStringLiteral("org.freedesktop.DBus.Error.UnknownInterface"),
    };
    return names.contains(errorName) || errorName.startsWith(QLatin1String("org.freedesktop.DBus.Error.Spawn."));
}

class LinuxSessionServices final : public SessionServices {
public:
    explicit LinuxSessionServices(ToolRunner runner) : runner_(std::move(runner)) {}

    void lockScreen(Completion done) override {
        tryInTurn(std::make_shared<std::vector<Attempt>>(lockAttempts()), 0, std::move(done),
                  "No screen locker is running on this desktop");
    }

    void suspend(Completion done) override {
        systemCall(kLogindPath, kLogindManager, QStringLiteral("Suspend"), {true}, std::move(done));
    }
    // Only the session manager asks the applications to save and quit first;
    // without one nothing is done rather than ending them with unsaved work.
    void logOut(Completion done) override { endSession(EndSession::logOut, std::move(done)); }
    void reboot(Completion done) override { endSession(EndSession::restart, std::move(done)); }
    void powerOff(Completion done) override { endSession(EndSession::shutDown, std::move(done)); }

    void toggleWireless(Completion done) override {
        auto get = [](const char* property) {
            QDBusMessage msg = QDBusMessage::createMethodCall(kNetworkManager, kNetworkManagerPath, kProperties,
                                                              QStringLiteral("Get"));
            msg << kNetworkManager << QString::fromLatin1(property);
            return msg;
        };
        auto bus = QDBusConnection::systemBus();
        call(bus, QStringLiteral("The system"), get("WirelessHardwareEnabled"),
             [bus, get, done = std::move(done)](const QDBusMessage& reply, const QString& error) mutable {
                 if (!error.isEmpty()) return done ? done(false, error.toStdString()) : void();
                 if (!reply.arguments().value(0).value<QDBusVariant>().variant().toBool())
                     return done ? done(false, "Wi-Fi is switched off by its hardware switch") : void();
                 call(bus, QStringLiteral("The system"), get("WirelessEnabled"),
                      [bus, done = std::move(done)](const QDBusMessage& reply, const QString& error) mutable {
                          if (!error.isEmpty()) return done ? done(false, error.toStdString()) : void();
                          bool enabled = reply.arguments().value(0).value<QDBusVariant>().variant().toBool();
                          QDBusMessage set = QDBusMessage::createMethodCall(kNetworkManager, kNetworkManagerPath,
                                                                            kProperties, QStringLiteral("Set"));
                          set << kNetworkManager << QStringLiteral("WirelessEnabled")
                              << QVariant::fromValue(QDBusVariant(!enabled));
                          call(bus, QStringLiteral("The system"), set,
                               [done = std::move(done)](const QDBusMessage&, const QString& error) {
                                   if (done) done(error.isEmpty(), error.toStdString());
                               });
                      });
             });
    }

    void toggleDarkMode(Completion done) override {
        runToggles(std::make_shared<std::vector<Toggle>>(darkModeToggles()), 0, std::move(done),
                   "No dark-mode setting found on this desktop");
    }
    void toggleDoNotDisturb(Completion done) override {
        runToggles(std::make_shared<std::vector<Toggle>>(doNotDisturbToggles()), 0, std::move(done),
                   "No do-not-disturb setting found on this desktop");
    }

private:
    void endSession(EndSession what, Completion done) {
        tryInTurn(std::make_shared<std::vector<Attempt>>(endSessionAttempts(what)), 0, std::move(done),
                  "No session manager is running to let your applications save their work, so nothing was done. "
                  "Use your desktop’s own menu to end the session.");
    }

    // Tries each way in turn until one is done; one that exists but fails
    // ends the search with its error.
    void tryInTurn(std::shared_ptr<std::vector<Attempt>> attempts, std::size_t index, Completion done,
                   std::string notFound) {
        if (index >= attempts->size()) return later(std::move(done), false, std::move(notFound));
        const Attempt& a = (*attempts)[index];
        auto next = [this, attempts, index, done, notFound]() mutable {
            tryInTurn(attempts, index + 1, std::move(done), std::move(notFound));
        };
        if (!a.tool.isEmpty()) {
            runner_(a.tool.front(), a.tool.mid(1), kToolTimeoutMs, [next, done](tools::ToolResult r) mutable {
                if (!r.succeeded()) return next();
                if (done) done(true, {});
            });
            return;
        }
        QDBusMessage msg = QDBusMessage::createMethodCall(a.service, a.path, a.interface, a.method);
        msg.setArguments(a.args);
        call(QDBusConnection::sessionBus(), QStringLiteral("The session"), msg,
             [next, done](const QDBusMessage& reply, const QString& error) mutable {
                 if (error.isEmpty()) return done ? done(true, {}) : void();
                 if (reply.type() != QDBusMessage::ErrorMessage || absent(reply.errorName())) return next();
                 if (done) done(false, error.toStdString());
             });
    }

    // Tries each tool in turn: the first that reads a value is switched and
    // read back.
    void runToggles(std::shared_ptr<std::vector<Toggle>> toggles, std::size_t index, Completion done,
                    std::string notFound) {
        if (index >= toggles->size()) return later(std::move(done), false, std::move(notFound));
        const Toggle& t = (*toggles)[index];
        if (!t.desktops.isEmpty() && !runsOn(t.desktops))
            return runToggles(std::move(toggles), index + 1, std::move(done), std::move(notFound));
        runner_(t.program, t.getArgs, kToolTimeoutMs,
                [this, toggles, index, done = std::move(done), notFound = std::move(notFound)](tools::ToolResult r) mutable {
                    const Toggle& t = (*toggles)[index];
                    std::optional<bool> current = r.succeeded() ? t.parse(r.output) : std::nullopt;
                    if (!current) return runToggles(toggles, index + 1, std::move(done), std::move(notFound));
                    const bool wanted = !*current;
                    runner_(t.program, t.setArgs(wanted), kToolTimeoutMs,
                            [this, toggles, index, wanted, done = std::move(done)](tools::ToolResult r) mutable {
                                const Toggle& t = (*toggles)[index];
                                if (!r.succeeded()) {
                                    std::string why = r.timedOut ? " did not answer in time" : " failed";
                                    if (done) done(false, t.program.toStdString() + why);
                                    return;
                                }
                                runner_(t.program, t.getArgs, kToolTimeoutMs,
                                        [toggles, index, wanted, done = std::move(done)](tools::ToolResult r) {
                                            const Toggle& t = (*toggles)[index];
                                            auto now = r.succeeded() ? t.parse(r.output) : std::nullopt;
                                            bool kept = now && *now == wanted;
                                            if (done)
                                                done(kept, kept ? std::string()
                                                                : "The desktop did not keep the new setting (" +
                                                                      t.program.toStdString() + ")");
                                        });
                            });
                });
    }

    ToolRunner runner_;
};


}  // namespace

std::unique_ptr<SessionServices> makeLinuxSessionServices(ToolRunner runner) {
    return std::make_unique<LinuxSessionServices>(std::move(runner));
}

SessionServices& SessionServices::makeShared() {
    static SessionServices* services = makeLinuxSessionServices().release();  // never destroyed
    return *services;
}

}  // namespace orbel::platform
