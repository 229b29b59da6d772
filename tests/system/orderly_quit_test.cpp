// Quitting hands every diverted control back, whichever way the quit comes:
// the tray's Quit, SIGTERM, or the session manager's Quit event at log-out
// (what Qt's XSMP client sends). The HID++ keyboard is simulated (a real
// one needs hardware); the event loop, timers and signals are the real ones.
#include <QElapsedTimer>
#include <iostream>
#include <QTemporaryDir>
#include <QTimer>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include "app/orderly_quit.h"
#include "app/tray_manager.h"
#include "fakes/fake_hid.h"
#include "fakes/replace_shared.h"
#include "input/logitech_hid_listener.h"
#include "system_helpers.h"

namespace orbel {
namespace {

using namespace std::chrono_literals;

void quitThroughTheTray() {
    TrayManager tray;
    for (const auto& entry : tray.buildMenu())
        if (entry.title == "Quit Orbel") entry.action();
}

TEST(OrderlyQuitSystem, TwelveDivertedControlsAreHandedBackOnEveryWayOut) {
    ORBEL_REQUIRE_DISPLAY();
    installOrderlyQuit();
    const std::vector<std::pair<const char*, std::function<void()>>> ways = {
        {"tray", quitThroughTheTray},
        {"SIGTERM", [] { ::kill(::getpid(), SIGTERM); }},
        {"session manager", [] {
             QEvent quit(QEvent::Quit);
             QCoreApplication::sendEvent(QCoreApplication::instance(), &quit);
         }},
    };
    for (const auto& [name, quit] : ways) {
        SCOPED_TRACE(name);
        fakes::FakeHidManager manager;
        fakes::ReplaceShared<platform::HidManager> useManager{manager};
        auto keyboard = std::make_shared<fakes::FakeHidDevice>(platform::Timers::shared(), 0xB35B, "MX Keys");
        fakes::SimulatedHidppDevice sim(*keyboard, platform::Timers::shared());
        std::vector<fakes::SimulatedHidppDevice::Control> controls;
        for (std::uint16_t cid = 0xC0; cid < 0xCC; ++cid) controls.push_back({cid, 0x30});
        sim.addControls(9, controls);
        sim.delay = 2ms;
        auto& listener = input::LogitechHidListener::shared();
        listener.start();
        manager.plug(keyboard);
        ASSERT_TRUE(systemtest::spinUntil([&] { return sim.reporting.size() == controls.size(); }));
        QTimer::singleShot(0, quit);
        QElapsedTimer clock;
        clock.start();
        QCoreApplication::exec();
        std::cout << name << ": the event loop ended and the controls were handed back in " << clock.elapsed()
                  << " ms\n";
        ASSERT_EQ(sim.reporting.size(), controls.size());
        for (const auto& [cid, flags] : sim.reporting) EXPECT_EQ(flags, 0x02) << "cid " << cid;
    }
}

// Standard output closed by the reader: Orbel writes its diagnostic lines
// there and lives on.
TEST(OrderlyQuitSystem, AClosedStandardOutputDoesNotEndOrbel) {
    ORBEL_REQUIRE_DISPLAY();
    const QString orbel = QStringLiteral(ORBEL_BINARY_DIR "/src/orbel");
    if (!QFile::exists(orbel)) GTEST_SKIP() << "orbel is not built";
    int ends[2];
    ASSERT_EQ(::pipe2(ends, O_CLOEXEC), 0);
    ::close(ends[0]);  // nobody reads
    QTemporaryDir home;
    QProcess program;
    QString log;
    QObject::connect(&program, &QProcess::readyReadStandardError, [&] { log += program.readAllStandardError(); });
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", home.path());
    env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":detect_leaks=0");  // the run's own kept
    env.insert("QT_LOGGING_RULES", "orbel.launch.debug=true");
    program.setProcessEnvironment(env);
    const int out = ends[1];
    program.setChildProcessModifier([out] { ::dup2(out, STDOUT_FILENO); });
    program.start(orbel, {});
    ::close(ends[1]);
    ASSERT_TRUE(systemtest::spinUntil([&] { return log.contains("step first dial"); }, 20000)) << log.toStdString();
    systemtest::spin(1000);
    EXPECT_EQ(program.state(), QProcess::Running) << log.toStdString();
    program.terminate();
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
}

}  // namespace
}  // namespace orbel
