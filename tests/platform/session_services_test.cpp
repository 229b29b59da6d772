#include "platform/linux/session_services_linux.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QElapsedTimer>
#include <gtest/gtest.h>
#include <map>

namespace orbel::platform {
namespace {

// Answers tool runs from a table of "program args" -> result; records them.
struct FakeTools {
    ToolRunner runner() {
        return [this](const QString& program, const QStringList& args, int timeoutMs,
                      std::function<void(tools::ToolResult)> done) {
            QString line = (QStringList{program} + args).join(' ');
            ran.push_back(line.toStdString());
            EXPECT_GT(timeoutMs, 0);
            EXPECT_LE(timeoutMs, 10'000);
            auto it = answers.find(line.toStdString());
            done(it == answers.end() ? tools::ToolResult{} : it->second);
        };
    }
    static tools::ToolResult out(const char* text) { return {true, false, 0, QString::fromUtf8(text)}; }

    std::map<std::string, tools::ToolResult> answers;
    std::vector<std::string> ran;
};

struct Outcome {
    bool called = false;
    bool ok = false;
    std::string error;
    SessionServices::Completion completion() {
        return [this](bool o, const std::string& e) {
            called = true;
            ok = o;
            error = e;
        };
    }
    void wait() {
        QElapsedTimer t;
        t.start();
        while (!called && t.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
};

TEST(SessionServicesTools, FailuresAreReportedNeverHidden) {
    struct Case {
        const char* name;
        std::map<std::string, tools::ToolResult> answers;
        const char* errorPart;
    };
    tools::ToolResult hung{true, true, -1, {}};
    const Case cases[] = {
        {"nothing installed", {}, "No dark-mode setting"},
        {"unexpected output", {{"gsettings get org.gnome.desktop.interface color-scheme", FakeTools::out("No such key")}},
         "No dark-mode setting"},
        {"set hangs",
         {{"gsettings get org.gnome.desktop.interface color-scheme", FakeTools::out("'default'\n")},
          {"gsettings set org.gnome.desktop.interface color-scheme prefer-dark", hung}},
         "did not answer in time"},
        {"set fails",
         {{"gsettings get org.gnome.desktop.interface color-scheme", FakeTools::out("'prefer-dark'\n")},
          {"gsettings set org.gnome.desktop.interface color-scheme default", {true, false, 1, {}}}},
         "gsettings failed"},
    };
    for (const Case& c : cases) {
        FakeTools tools;
        tools.answers = c.answers;
        auto services = makeLinuxSessionServices(tools.runner());
        Outcome outcome;
        services->toggleDarkMode(outcome.completion());
        outcome.wait();
        EXPECT_TRUE(outcome.called) << c.name;
        EXPECT_FALSE(outcome.ok) << c.name;
        EXPECT_NE(outcome.error.find(c.errorPart), std::string::npos) << c.name << ": " << outcome.error;
    }
}

TEST(SessionServicesBus, WithoutLogindThePowerActionsFail) {
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
