#pragma once

// Helpers for tests that run against the real X server.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>
#include <numbers>
#include <optional>
#include <gtest/gtest.h>

#include "platform/linux/app_index.h"
#include "platform/pasteboard.h"
#include "platform/window_snapshots.h"
#include "support/child_output.h"
#include "support/test_files.h"
#include "support/xdg_tree.h"
#include <string>
#include <vector>

#define ORBEL_REQUIRE_DISPLAY()                                                 \
    do {                                                                        \
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display";     \
    } while (0)

// Skips the test without the session's PulseAudio server.
#define ORBEL_REQUIRE_PULSEAUDIO()                                                              \
    do {                                                                                        \
        ORBEL_REQUIRE_DISPLAY();                                                                \
        int pactlExit = -1;                                                                     \
        orbel::systemtest::run(QStringLiteral("pactl"), {QStringLiteral("info")}, &pactlExit); \
        if (pactlExit != 0) GTEST_SKIP() << "no PulseAudio server";                            \
    } while (0)

namespace orbel::systemtest {

// Runs the event loop for about `ms` milliseconds; or until the condition
// holds or the time is up.
inline void spin(int ms) { QTest::qWait(ms); }
inline bool spinUntil(const std::function<bool()>& condition, int timeoutMs = 5000) {
    return QTest::qWaitFor(condition, timeoutMs);
}

using orbel::testing::execArgument;
using orbel::testing::PreloadableCopy;
using orbel::testing::writeFile;

// The process's XDG tree, empty, with this process's application index
// (which the window list and the slots ask) caught up with it when a test
// starts and when it ends: what one test installed or chose there is never
// the next one's, though the index outlives them all.
class XdgFixture : public orbel::testing::XdgFixture {
public:
    XdgFixture() { reset(); }
    ~XdgFixture() { reset(); }

private:
    static void reset() {
        empty();
        EXPECT_TRUE(spinUntil([] { return platform::xdg::AppIndex::shared().settled(); }, 10000))
            << "the application index did not catch up with the emptied XDG tree";
    }
};
using orbel::testing::childOutput;

// Environment variables of this process (and so of the programs it starts)
// set until the object goes: each then has its value from before again, or
// none, as it had.
class ScopedEnvironment {
public:
    ScopedEnvironment() = default;
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
    ~ScopedEnvironment() {
        for (const auto& [name, value] : before_) value ? qputenv(name.c_str(), *value) : qunsetenv(name.c_str());
    }
    void set(const char* name, const QByteArray& value) {
        if (!before_.count(name))
            before_[name] = qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt;
        qputenv(name, value);
    }

private:
    std::map<std::string, std::optional<QByteArray>> before_;
};

// One of the helper programs of tests/system/programs, with its output lines.
class Program {
public:
    explicit Program(const QString& name, const QStringList& arguments = {}) {
        QObject::connect(&process_, &QProcess::readyReadStandardOutput, [this] {
            buffer_ += process_.readAllStandardOutput();
            qsizetype nl;
            while ((nl = buffer_.indexOf('\n')) >= 0) {
                lines_.push_back(buffer_.left(nl).toStdString());
                buffer_.remove(0, nl + 1);
            }
        });
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(QStringLiteral(ORBEL_TEST_PROGRAM_DIR "/") + name, arguments);
    }
    ~Program() { stop(); }

    bool waitForLine(const std::string& line, int timeoutMs = 5000) {
        return spinUntil([&] { return std::find(lines_.begin(), lines_.end(), line) != lines_.end(); }, timeoutMs);
    }
    const std::vector<std::string>& lines() const { return lines_; }
    std::string lastLineStartingWith(const std::string& prefix) const {
        for (auto it = lines_.rbegin(); it != lines_.rend(); ++it)
            if (it->rfind(prefix, 0) == 0) return *it;
        return {};
    }
    // Closes standard input (the programs then quit) and waits for the end.
    bool stop() {
        if (process_.state() == QProcess::NotRunning) return true;
        process_.closeWriteChannel();
        if (!spinUntil([&] { return process_.state() == QProcess::NotRunning; }, 5000)) {
            process_.kill();
            process_.waitForFinished(2000);
            return false;
        }
        return true;
    }
    qint64 pid() const { return process_.processId(); }

private:
    QProcess process_;
    QByteArray buffer_;
    std::vector<std::string> lines_;
};

// The window with this title in the window list, if any.
inline std::optional<platform::WindowSnapshot> windowTitled(const std::string& title) {
    for (const auto& w : platform::WindowSnapshots::shared().snapshot())
        if (w.title == title) return w;
    return std::nullopt;
}

// The clipboard's plain text, read as the program reads it.
inline std::optional<std::string> clipboardText() {
    std::optional<std::optional<platform::PasteboardSnapshot>> answer;
    platform::Pasteboard::shared().takeSnapshot([&](auto snapshot) { answer = std::move(snapshot); });
    spinUntil([&] { return answer.has_value(); });
    return answer && *answer ? (*answer)->plainText() : std::nullopt;
}

// What another process reads from the clipboard now ("text:..."/"notext",
// then "image:..."/"noimage"). The event loop runs meanwhile, so we can
// answer its requests.
inline std::vector<std::string> readClipboardFromOutside() {
    Program probe(QStringLiteral("orbel_clipboard_probe"), {QStringLiteral("print")});
    spinUntil([&] { return probe.lines().size() >= 2; }, 10000);
    return probe.lines();
}

// Runs a program to its end (five seconds at most) and gives its output.
inline QString run(const QString& program, const QStringList& args, int* exitCode = nullptr) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(5000);
    if (exitCode) *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// Runs xdotool, the event loop running meanwhile.
inline void xdotool(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    EXPECT_TRUE(spinUntil([&] { return p.state() == QProcess::NotRunning; }));
}

// A control of one of Orbel's windows, as the program reports it (see
// tests/support/control_map.h): found by what it is, whatever the font or the style.
struct Control {
    QString window, windowId, type, name, text;
    QStringList path;  // the object names of its ancestors
    QRect rect;        // on the screen
    bool focused = false, marked = false;  // has the focus; shows a focus mark
};

// The controls of the `orbel` that answers at `file` (ORBEL_TEST_CONTROL_MAP).
class ControlMap {
public:
    explicit ControlMap(QString file) : file_(std::move(file)) {}

    // The visible controls now; none when the program does not answer.
    std::vector<Control> controls() const {
        QFile::remove(file_);
        const QString request = file_ + QStringLiteral(".request");
        // Asked again now and then: a request made before the program
        // watched for it waits otherwise.
        for (int attempt = 0; attempt < 20 && !QFile::exists(file_); ++attempt) {
            QFile::remove(request);
            writeFile(request, "?");
            spinUntil([&] { return QFile::exists(file_); }, 500);
        }
        QFile answer(file_);
        std::vector<Control> controls;
        if (!answer.open(QIODevice::ReadOnly)) return controls;
        for (const QJsonValue& v : QJsonDocument::fromJson(answer.readAll()).array()) {
            const QJsonObject o = v.toObject();
            QStringList path;
            for (const QJsonValue& p : o["path"].toArray()) path << p.toString();
            controls.push_back({o["window"].toString(), o["windowId"].toString(), o["type"].toString(),
                                o["name"].toString(), o["text"].toString(), path,
                                QRect(o["x"].toInt(), o["y"].toInt(), o["width"].toInt(), o["height"].toInt()),
                                o["focused"].toBool(), o["marked"].toBool()});
        }
        return controls;
    }
    // The first control of a window whose title matches `window` (a
    // regular expression) that `name` names: "a/b/c" is a control whose
    // object name, text or type is "c", inside controls named "a" and "b". Waited
    // for until it shows at the same place in two answers in a row (the
    // layout has settled).
    std::optional<Control> find(const QString& window, const QString& name, int timeoutMs = 10000) const {
        const QRegularExpression title(window);
        const QStringList parts = name.split('/');
        const auto matches = [&](const Control& c) {
            const QString& own = parts.last();
            if (!title.match(c.window).hasMatch() ||
                (c.name != own && c.text != own && c.type != own && !c.type.endsWith("::" + own)))
                return false;
            qsizetype at = 0;
            for (qsizetype i = 0; i + 1 < parts.size(); ++i)
                if ((at = c.path.indexOf(parts[i], at)) < 0) return false;
            return true;
        };
        std::optional<Control> found, before;
        spinUntil(
            [&] {
                before = found;
                found.reset();
                for (const Control& c : controls())
                    if (matches(c)) {
                        found = c;
                        break;
                    }
                return found && before && found->rect == before->rect;
            },
            timeoutMs);
        if (found && before && found->rect == before->rect) return found;
        ADD_FAILURE() << "no control \"" << name.toStdString() << "\" in a window \"" << window.toStdString() << "\"";
        return std::nullopt;
    }
    // Clicks the middle of that control with the pointer (`clicks` times),
    // its window raised first; whether it was found.
    bool click(const QString& window, const QString& name, int clicks = 1) const {
        const std::optional<Control> c = find(window, name);
        if (!c) return false;
        clickAt(*c, c->rect.center(), clicks);
        return true;
    }
    // Clicks a point of the screen in the control's window, raised first
    // unless it is a popup (which the window manager does not handle).
    static void clickAt(const Control& c, QPoint at, int clicks = 1) {
        if (!run("xwininfo", {"-id", c.windowId}).contains(QRegularExpression("Override Redirect State: +yes")))
            xdotool({"windowactivate", "--sync", c.windowId});
        xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "--repeat",
                 QString::number(clicks), "--delay", "80", "1"});
        spin(300);
    }

private:
    QString file_;
};

// Runs pactl against the session's PulseAudio server.
// The first visible window whose title matches `name` (a regular
// expression), or "" when there is none yet.
inline QString windowNamed(const QString& name) {
    return run("xdotool", {"search", "--onlyvisible", "--name", name}).section('\n', 0, 0);
}

// The same, waiting up to `timeoutMs` for it to show.
inline QString waitForWindowNamed(const QString& name, int timeoutMs = 10000) {
    QString id;
    spinUntil([&] { return !(id = windowNamed(name)).isEmpty(); }, timeoutMs);
    return id;
}

// Types a path into the file dialog titled `title`, and Return. The
// dialog takes the path once its view of the folder has caught up, so the
// typing is repeated until it closes.
inline void typeIntoFileDialog(const QString& title, const QString& path) {
    QString dialog;
    ASSERT_TRUE(spinUntil([&] { return !(dialog = windowNamed(title)).isEmpty(); }, 10000));
    auto shown = [&] { return run("xwininfo", {"-id", dialog}).contains("IsViewable"); };
    for (int attempt = 0; attempt < 5 && shown(); ++attempt) {
        xdotool({"windowactivate", "--sync", dialog});
        xdotool({"key", "ctrl+a"});
        xdotool({"type", "--delay", "5", path});
        spin(700);
        xdotool({"key", "Return"});
        spinUntil([&] { return !shown(); }, 3000);
    }
    ASSERT_FALSE(shown());
}

// A coordinate for xdotool.
inline QString num(double v) { return QString::number(std::lround(v)); }

// The point at clockwise fraction f of a turn on a circle of radius r.
inline QPoint around(QPoint centre, double r, double f) {
    const double a = 2 * std::numbers::pi * f;
    return QPointF(centre.x() + r * std::sin(a), centre.y() - r * std::cos(a)).toPoint();
}

// A real pointer drag, Qt's own over XDND, as xdotool's arguments: presses
// at `from` and moves in small steps through `via` to `to`, still pressed.
inline QStringList pressAndMoveArgs(QPoint from, const std::vector<QPoint>& via, QPoint to) {
    QStringList args{"mousemove", num(from.x()), num(from.y()), "sleep", "0.2", "mousedown", "1"};
    QPoint last = from;
    const auto stepTo = [&](QPoint p) {
        for (int i = 1; i <= 6; ++i) {
            const QPointF at = QPointF(last) + QPointF(p - last) * i / 6.0;
            args << "mousemove" << num(at.x()) << num(at.y()) << "sleep" << "0.05";
        }
        last = p;
    };
    for (QPoint p : via) stepTo(p);
    stepTo(to);
    return args;
}

// The same drag let go at `to` a moment later, in one xdotool run (a drag
// out of this process's own window holds its event loop until the release).
inline void pointerDrag(QPoint from, const std::vector<QPoint>& via, QPoint to) {
    xdotool(pressAndMoveArgs(from, via, to) << "sleep" << "0.3" << "mouseup" << "1");
}

// A window's client rectangle on the screen, in pixels (empty when it is gone).
inline QRect windowRect(const QString& id) {
    const QString info = id.isEmpty() ? QString() : run("xwininfo", {"-id", id});
    const auto value = [&](const char* key) { return info.section(key, 1).section('\n', 0, 0).trimmed().toInt(); };
    return {value("Absolute upper-left X:"), value("Absolute upper-left Y:"), value("Width:"), value("Height:")};
}

// The whole screen as test-artifacts/system/<name>.png.
inline void savePicture(const QString& name) {
    QDir().mkpath(ORBEL_BINARY_DIR "/test-artifacts/system");
    EXPECT_TRUE(QGuiApplication::primaryScreen()->grabWindow(0).save(
        QStringLiteral(ORBEL_BINARY_DIR "/test-artifacts/system/%1.png").arg(name)));
}

inline QString pactl(const QStringList& args, int* exitCode = nullptr) {
    return run(QStringLiteral("pactl"), args, exitCode);
}

// An X server of a test's own, for a set-up the shared desktop does not
// have (no MIT-SHM, a wide screen split into monitors); stopped with the object.
// X servers of other containers and test runs on this machine share the
// abstract socket names while their lock files are out of sight, so a free
// display is not looked up here: the server takes one itself, and lets in
// only the clients given its own cookie, which tells it from any other.
class ExtraXServer {
public:
    explicit ExtraXServer(const QStringList& arguments) {
        authority_ = authorityFolder_.filePath(QStringLiteral("Xauthority"));
        if (!writeAuthority(authority_)) return;
        // -displayfd 1: it writes the display's number on its output once it
        // listens there. -noreset: what a test sets up lives on when its last
        // client leaves.
        server_.start(QStringLiteral("Xvfb"), QStringList{QStringLiteral("-displayfd"), QStringLiteral("1"),
                                                          QStringLiteral("-auth"), authority_, QStringLiteral("-noreset"),
                                                          QStringLiteral("-nolisten"), QStringLiteral("tcp")} +
                                                  arguments);
        spinUntil([&] { return server_.canReadLine() || server_.state() == QProcess::NotRunning; }, 10000);
        if (server_.canReadLine()) display_ = QStringLiteral(":") + QString::fromLatin1(server_.readLine()).trimmed();
        ready_ = !display_.isEmpty() && answersAsOwn();
        if (!ready_)
            qWarning("The test's X server %s is not its own or did not start: %s", qPrintable(display_),
                     server_.readAllStandardError().constData());
    }
    ~ExtraXServer() {
        if (windowManager_.state() != QProcess::NotRunning) {
            windowManager_.terminate();
            windowManager_.waitForFinished(5000);
        }
        server_.terminate();
        server_.waitForFinished(5000);
    }
    // The environment of a program run against this server.
    QProcessEnvironment environment() const {
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display_);
        env.insert(QStringLiteral("XAUTHORITY"), authority_);
        return env;
    }
    // Merges X resources ("Xft.dpi: 192") into the server's; whether xrdb took them.
    bool mergeResources(const QString& lines) const {
        return runHere(QStringLiteral("sh"), {QStringLiteral("-c"), "echo '" + lines + "' | xrdb -merge"}) == 0;
    }
    enum class WindowManager { openbox, fluxbox };
    // Starts a window manager on this server (it ends with the server);
    // whether it took charge of the screen.
    bool startWindowManager(WindowManager which = WindowManager::openbox) {
        auto env = environment();
        // Its theme and configuration where the system keeps them, whatever
        // folders the tests before made these variables name.
        env.insert(QStringLiteral("XDG_CONFIG_DIRS"), QStringLiteral("/etc/xdg"));
        env.insert(QStringLiteral("XDG_DATA_DIRS"), QStringLiteral("/usr/local/share:/usr/share"));
        if (which == WindowManager::fluxbox) {
            // fluxbox writes its first configuration under HOME: a folder of
            // the server's own.
            env.insert(QStringLiteral("HOME"), windowManagerHome_.path());
            windowManager_.setProcessEnvironment(env);
            windowManager_.start(QStringLiteral("fluxbox"), {});
        } else {
            windowManager_.setProcessEnvironment(env);
            windowManager_.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
        }
        return spinUntil([&] {
            QString out;
            runHere(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")}, {}, &out);
            return out.contains(QStringLiteral("window id"));
        });
    }
    bool ready() const { return ready_; }
    // Runs a program against this server; its exit code (-1 when it crashed
    // or did not end within `timeoutMs`).
    int runHere(const QString& program, const QStringList& arguments, const QProcessEnvironment& extra = {},
                QString* output = nullptr, int timeoutMs = 10000) const {
        QProcess p;
        auto env = environment();
        env.insert(extra);
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(program, arguments);
        const bool ended = spinUntil([&] { return p.state() == QProcess::NotRunning; }, timeoutMs);
        if (output) *output = QString::fromUtf8(p.readAll());
        if (!ended) p.kill(), p.waitForFinished(2000);
        return ended && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }
    // Runs one test of this program (named by a gtest filter) against this
    // server, with ORBEL_ON_EXTRA_SERVER set so that it does not skip; its
    // exit code, -2 when it passed without running.
    int runTestHere(const QString& filter, QProcessEnvironment extra = {}, QString* output = nullptr) const {
        extra.insert(QStringLiteral("ORBEL_ON_EXTRA_SERVER"), QStringLiteral("1"));
        extra.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        QString text;
        const int code = runHere(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=") + filter},
                                 extra, &text, 60000);
        if (output) *output = childOutput(text);
        return code == 0 && !text.contains(QStringLiteral("[  PASSED  ] 1 test")) ? -2 : code;  // -2: it did not run
    }

private:
    // A fresh MIT-MAGIC-COOKIE-1 for any display of this server (the
    // authority file's "wild" family, no address, no display number).
    static bool writeAuthority(const QString& path) {
        QByteArray cookie(16, '\0');
        QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(cookie.data()), 4);
        QByteArray entry("\xff\xff");
        for (const QByteArray& field : {QByteArray(), QByteArray(), QByteArray("MIT-MAGIC-COOKIE-1"), cookie})
            entry += char(field.size() >> 8) + QByteArray(1, char(field.size())) + field;
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(entry) == entry.size() && file.flush();
    }
    // Whether the server at the display is this one: it answers with the
    // cookie and turns a client without one away, as no other server would
    // (one without access control lets it in, one of its own refuses both).
    bool answersAsOwn() const {
        QProcessEnvironment withoutCookie;
        withoutCookie.insert(QStringLiteral("XAUTHORITY"), authorityFolder_.filePath(QStringLiteral("none")));
        return runHere(QStringLiteral("xdpyinfo"), {}) == 0 && runHere(QStringLiteral("xdpyinfo"), {}, withoutCookie) > 0;
    }
    QTemporaryDir authorityFolder_;
    QString authority_;
    QProcess server_;
    QProcess windowManager_;
    QTemporaryDir windowManagerHome_;
    QString display_;
    bool ready_ = false;
};

// In a test that only runs on an extra server, started by runTestHere.
#define ORBEL_REQUIRE_EXTRA_SERVER()                                                     \
    do {                                                                                 \
        if (!std::getenv("ORBEL_ON_EXTRA_SERVER")) GTEST_SKIP() << "runs on an extra X server"; \
    } while (0)

}  // namespace orbel::systemtest
