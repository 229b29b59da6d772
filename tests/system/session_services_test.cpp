// Locking and ending the session through the desktop's own services on the
// session bus: stand-ins for a screen saver and Xfce's session manager.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QObject>

#include "platform/linux/session_services_linux.h"
#include "system_helpers.h"

namespace orbel {
namespace {

class ScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public Q_SLOTS:
    void Lock() { ++locks; }

public:
    int locks = 0;
};

class XfceSessionManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.xfce.Session.Manager")
public Q_SLOTS:
    void Logout(bool showDialog, bool allowSave) { calls.push_back(QStringLiteral("Logout %1 %2").arg(showDialog).arg(allowSave)); }
    void Shutdown(bool allowSave) { calls.push_back(QStringLiteral("Shutdown %1").arg(allowSave)); }

public:
    QStringList calls;
};

bool runs(const std::function<void(platform::SessionServices::Completion)>& operation) {
    std::optional<bool> result;
    operation([&](bool ok, const std::string&) { result = ok; });
    systemtest::spinUntil([&] { return result.has_value(); });
    return result.value_or(false);
}

TEST(SystemSessionServices, TheDesktopsScreenSaverLocksAndItsSessionManagerEndsTheSession) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) GTEST_SKIP() << "needs a session bus";
    auto services = platform::makeLinuxSessionServices([](const QString&, const QStringList&, int, auto done) {
        done(platform::tools::ToolResult{});  // no locker daemon installed
    });
    EXPECT_FALSE(runs([&](auto done) { services->lockScreen(done); })) << "nothing on the bus yet";
    ScreenSaver saver;
    XfceSessionManager manager;
    ASSERT_TRUE(bus.registerObject("/org/freedesktop/ScreenSaver", &saver, QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(bus.registerObject("/org/xfce/SessionManager", &manager, QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(bus.registerService("org.freedesktop.ScreenSaver"));
    ASSERT_TRUE(bus.registerService("org.xfce.SessionManager"));
    EXPECT_TRUE(runs([&](auto done) { services->lockScreen(done); }));
    EXPECT_EQ(saver.locks, 1);
    EXPECT_TRUE(runs([&](auto done) { services->logOut(done); }));
    EXPECT_TRUE(runs([&](auto done) { services->powerOff(done); }));
    EXPECT_EQ(manager.calls, (QStringList{"Logout 0 1", "Shutdown 1"}));  // no dialog, applications may save
    bus.unregisterService("org.freedesktop.ScreenSaver");
    bus.unregisterService("org.xfce.SessionManager");
}

}  // namespace
}  // namespace orbel

#include "session_services_test.moc"
