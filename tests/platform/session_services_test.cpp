#include "platform/linux/session_services_linux.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QTest>
#include <gtest/gtest.h>
#include <map>

namespace orbel::platform {
namespace {

using tools::ToolResult;

// Answers tool runs from a table of "program args" -> result (a tool not in
// the table is not installed); records them.
struct FakeTools {
    ToolRunner runner() {
        return [this](const QString& program, const QStringList& args, int timeoutMs,
                      std::function<void(ToolResult)> done) {
            const std::string line = (QStringList{program} + args).join(' ').toStdString();
            ran.push_back(line);
            EXPECT_GT(timeoutMs, 0);
            EXPECT_LE(timeoutMs, 10'000);
            auto it = answers.find(line);
            done(it == answers.end() ? ToolResult{} : it->second);
        };
    }
    std::map<std::string, ToolResult> answers;
    std::vector<std::string> ran;
};

ToolResult out(const char* text) { return {true, false, 0, QString::fromUtf8(text)}; }

struct Outcome {
    bool called = false, ok = false;
    std::string error;
    SessionServices::Completion completion() {
        return [this](bool o, const std::string& e) { called = true, ok = o, error = e; };
    }
    void wait() { (void)QTest::qWaitFor([this] { return called; }, 5000); }
};

class DesktopIs {
public:
    explicit DesktopIs(const char* desktop) : saved_(qgetenv("XDG_CURRENT_DESKTOP")) {
        qputenv("XDG_CURRENT_DESKTOP", desktop);
    }
    ~DesktopIs() { qputenv("XDG_CURRENT_DESKTOP", saved_); }

private:
    QByteArray saved_;
};

// Settings are switched only through the desktop that acts on them, read
// back, and every failure is reported.
TEST(SessionServicesTools, SettingsChangeOnlyWhereTheDesktopActsOnThem) {
    const std::string darkGet = "gsettings get org.gnome.desktop.interface color-scheme";
    const std::string darkSet = "gsettings set org.gnome.desktop.interface color-scheme prefer-dark";
    const std::string dndGet = "gsettings get org.gnome.desktop.notifications show-banners";
    const ToolResult hung{true, true, -1, {}};
    struct Case {
        const char* name;
        const char* desktop;
        bool dnd;  // else dark mode
        std::map<std::string, ToolResult> answers;
        std::vector<std::string> ran;
        const char* errorPart;  // nullptr: done
    };
    const Case cases[] = {
        {"GNOME", "ubuntu:GNOME", false, {{darkGet, out("'default'\n")}, {darkSet, out("")}}, {darkGet, darkSet, darkGet},
         "did not keep"},
        {"GNOME's schemas on openbox", "", false, {{darkGet, out("'default'\n")}}, {}, "No dark-mode setting"},
        {"set hangs", "GNOME", false, {{darkGet, out("'default'\n")}, {darkSet, hung}}, {darkGet, darkSet},
         "did not answer in time"},
        {"dunst after GNOME's tool fails", "GNOME", true,
         {{"dunstctl is-paused", out("false\n")}, {"dunstctl set-paused true", out("")}},
         {dndGet, "dunstctl is-paused", "dunstctl set-paused true", "dunstctl is-paused"}, "did not keep"},
        {"xfce", "XFCE", true,
         {{"xfconf-query -c xfce4-notifyd -p /do-not-disturb", out("false\n")},
          {"xfconf-query -c xfce4-notifyd -p /do-not-disturb -s true", out("")}},
         {"dunstctl is-paused", "xfconf-query -c xfce4-notifyd -p /do-not-disturb",
          "xfconf-query -c xfce4-notifyd -p /do-not-disturb -s true", "xfconf-query -c xfce4-notifyd -p /do-not-disturb"},
         "did not keep"},
        {"nothing answers", "LXQt", true, {}, {"dunstctl is-paused"}, "No do-not-disturb setting"},
    };
    for (const Case& c : cases) {
        DesktopIs desktop(c.desktop);
        FakeTools tools;
        tools.answers = c.answers;
        auto services = makeLinuxSessionServices(tools.runner());
        Outcome outcome;
        c.dnd ? services->toggleDoNotDisturb(outcome.completion()) : services->toggleDarkMode(outcome.completion());
        outcome.wait();
        EXPECT_EQ(tools.ran, c.ran) << c.name;
        ASSERT_TRUE(outcome.called) << c.name;
        EXPECT_FALSE(outcome.ok) << c.name;  // the fake never keeps a change
        EXPECT_NE(outcome.error.find(c.errorPart), std::string::npos) << c.name << ": " << outcome.error;
    }
    // A change that holds is done.
    DesktopIs gnome("GNOME");
    std::string scheme = "'prefer-dark'";
    auto services = makeLinuxSessionServices([&](const QString&, const QStringList& args, int, auto done) {
        if (args.join(' ') == "set org.gnome.desktop.interface color-scheme default") scheme = "'default'";
        done(out((scheme + "\n").c_str()));
    });
    Outcome outcome;
    services->toggleDarkMode(outcome.completion());
    outcome.wait();
    EXPECT_TRUE(outcome.ok) << outcome.error;
}

// Without a screen saver, a locker or a session manager nothing is done and
// the reason is given; logind is never asked to end the session.
TEST(SessionServicesTools, LockingAndEndingTheSessionNeedTheDesktopsOwnServices) {
    FakeTools tools;
    auto services = makeLinuxSessionServices(tools.runner());
    Outcome locked;
    services->lockScreen(locked.completion());
    locked.wait();
    EXPECT_FALSE(locked.ok);
    EXPECT_EQ(locked.error, "No screen locker is running on this desktop");
    EXPECT_EQ(tools.ran, (std::vector<std::string>{"xscreensaver-command -lock", "light-locker-command -l", "xflock4"}));

    tools.answers = {{"light-locker-command -l", out("")}};
    Outcome lockedByDaemon;
    services->lockScreen(lockedByDaemon.completion());
    lockedByDaemon.wait();
    EXPECT_TRUE(lockedByDaemon.ok);

    for (auto end : {&SessionServices::logOut, &SessionServices::reboot, &SessionServices::powerOff}) {
        Outcome ended;
        ((*services).*end)(ended.completion());
        ended.wait();
        EXPECT_FALSE(ended.ok);
        EXPECT_NE(ended.error.find("No session manager is running"), std::string::npos) << ended.error;
    }
}

TEST(SessionServicesBus, WithoutLogindSleepFails) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (bus.isConnected() && bus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.login1")))
        GTEST_SKIP() << "logind is running here; not suspending the machine";
    auto services = makeLinuxSessionServices();
    Outcome outcome;
    services->suspend(outcome.completion());
    outcome.wait();
    EXPECT_TRUE(outcome.called);
    EXPECT_FALSE(outcome.ok);
    EXPECT_FALSE(outcome.error.empty());
}

}  // namespace
}  // namespace orbel::platform
