#pragma once

// The `orbel` program, started by the system tests with a configuration
// folder of its own: the tests' build of it, which also says where its
// controls are (tests/support/control_map.h).

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <memory>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "config/orbel_backup.h"
#include "system_helpers.h"

namespace orbel::systemtest {

// The shipped program, and the tests' build of it.
inline const QString kOrbel = QStringLiteral(ORBEL_BINARY_DIR "/src/orbel");
inline const QString kOrbelForTests = QStringLiteral(ORBEL_FOR_TESTS);

// One orbel process with a configuration folder of its own; what it prints
// on both streams is collected, as a terminal would show it. Files given to
// `write` before `start` are its own (paths relative to that folder).
class Orbel {
public:
    // Starts at once with this config.json, or none.
    explicit Orbel(const QByteArray& config = {}) {
        if (!config.isEmpty()) write("config.json", config);
        start();
    }
    // Not started yet: write files, then `start()`.
    struct Deferred {};
    explicit Orbel(Deferred) {}
    ~Orbel() { stop(); }
    // Asks Orbel to end as the session does; its exit status (-1 when it has
    // not ended within `timeoutMs`).
    int stop(int timeoutMs = 5000) {
        if (process_.state() == QProcess::NotRunning) return process_.exitCode();
        process_.terminate();
        if (!process_.waitForFinished(timeoutMs)) return -1;
        return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
    }
    void start() { startWith({}); }
    // Starts with these arguments (e.g. "--login-item", as the session does).
    void startWith(const QStringList& args) {
        startDialDismissed_ = args.contains(QStringLiteral("--login-item"));  // none shows
        startedAt_ = int(log_.size());
        process_.setProcessChannelMode(QProcess::MergedChannels);
        QObject::connect(&process_, &QProcess::readyReadStandardOutput,
                         [this] { log_ += QString::fromUtf8(process_.readAllStandardOutput()); });
        start(process_, args);
    }
    // Starts another orbel in the same configuration folder (a second launch).
    void start(QProcess& p, const QStringList& args) {
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", home_.path());
        env.insert("ORBEL_TEST_CONTROL_MAP", controlMapFile());
        env.insert("QT_LOGGING_RULES", "orbel.launch.debug=true;orbel.signpost.info=true");
        env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":detect_leaks=0");  // the run's own kept
        env.insert(extraEnvironment_);
        p.setProcessEnvironment(env);
        if (launcher_.isEmpty()) return p.start(program_, args);
        p.start(launcher_.front(), launcher_.mid(1) + QStringList{program_} + args);
    }
    // An environment variable for the processes started from now on.
    void setEnvironment(const QString& name, const QString& value) { extraEnvironment_.insert(name, value); }
    // Another build of the program to start instead of orbel_for_tests.
    void setProgram(const QString& program) { program_ = program; }
    // A program (with its arguments) that starts orbel, as `setpriv ... --`.
    void setLauncher(const QStringList& launcher) { launcher_ = launcher; }
    void write(const QString& relativePath, const QByteArray& bytes) { writeFile(configDir() + "/" + relativePath, bytes); }
    QByteArray read(const QString& relativePath) const {
        QFile f(configDir() + "/" + relativePath);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QString configDir() const { return home_.path() + "/orbel"; }
    // The processes started from now on preload the test library `name`
    // (tests/support/lib<name>.so), or, with none, only what the test run
    // preloads. LD_PRELOAD cannot hold a path with a space, as the build
    // folder's may be: a copy of the library is preloaded.
    void preload(const QString& name = {}) {
        const QString before = qEnvironmentVariable("LD_PRELOAD");
        if (name.isEmpty()) return setEnvironment("LD_PRELOAD", before);
        const QString copy =
            preloads_.emplace_back(std::make_unique<PreloadableCopy>(ORBEL_BINARY_DIR "/tests/support/lib" + name + ".so"))
                ->path();
        setEnvironment("LD_PRELOAD", before.isEmpty() ? copy : copy + ":" + before);
        // Before the sanitizers' runtime, which then need not come first.
        setEnvironment("ASAN_OPTIONS",
                       qEnvironmentVariable("ASAN_OPTIONS") + ":detect_leaks=0:verify_asan_link_order=0");
    }
    // Where the program tells where its controls are.
    ControlMap controls() const { return ControlMap(controlMapFile()); }
    bool waitForLog(const QString& text, int from = 0) {
        return spinUntil([&] { return log_.indexOf(text, from) >= 0; }, 10000);
    }
    int count(const QString& text) const { return log_.count(text); }
    // The dial the last start shows, once up, closed with Escape: from then
    // on every dial is one the test opened. Not for a start at login (no dial).
    bool dismissStartDial() {
        if (!waitForLog("ShowMenuVisible", startedAt_)) return false;
        if (log_.indexOf("HideMenuComplete", startedAt_) < 0) xdotool({"key", "Escape"});
        return waitForLog("HideMenuComplete", startedAt_);
    }
    // Opens the dial with the hot key `chord` once the start's dial is
    // gone, and waits until it shows.
    bool openDial(const QString& chord) {
        if (!startDialDismissed_ && !(startDialDismissed_ = dismissStartDial())) return false;
        const int shown = count("ShowMenuVisible");
        xdotool({"key", chord});
        return spinUntil([&] { return count("ShowMenuVisible") > shown; });
    }
    const QString& log() const { return log_; }
    QString home() const { return home_.path(); }
    qint64 pid() const { return process_.processId(); }

private:
    QString controlMapFile() const { return home_.path() + "/controls/map.json"; }
    QTemporaryDir home_;
    std::vector<std::unique_ptr<PreloadableCopy>> preloads_;
    QString program_ = kOrbelForTests;
    QStringList launcher_;
    QProcessEnvironment extraEnvironment_;
    QProcess process_;
    QString log_;
    int startedAt_ = 0;  // where the last start's lines begin in the log
    bool startDialDismissed_ = false;
};

// The text of the visible label `name` of Orbel's windows ("" when none).
inline QString labelText(const Orbel& orbel, const QString& name) {
    for (const auto& c : orbel.controls().controls())
        if (c.name == name) return c.text;
    return {};
}

// Another program writing a file in place, slowly, as an editor or a sync
// tool on a slow disk does: the file is cut to nothing, its first part is
// written, and written again every tenth of a second (as more pieces would
// be) until `finish` writes the rest.
class SlowInPlaceWriter {
public:
    SlowInPlaceWriter(const QString& path, const QByteArray& bytes)
        : bytes_(bytes), fd_(::open(QFile::encodeName(path).constData(), O_WRONLY | O_TRUNC | O_CLOEXEC)) {
        piece();
        writing_ = std::thread([this] {
            while (!done_) {
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
                piece();
            }
        });
    }
    ~SlowInPlaceWriter() { finish(); }
    bool opened() const { return fd_ >= 0; }
    void finish() {
        if (done_.exchange(true)) return;
        writing_.join();
        const qint64 half = bytes_.size() / 2;
        (void)!::pwrite(fd_, bytes_.constData() + half, size_t(bytes_.size() - half), off_t(half));
        ::close(fd_);
    }

private:
    void piece() { (void)!::pwrite(fd_, bytes_.constData(), size_t(bytes_.size() / 2), 0); }
    QByteArray bytes_;
    int fd_;
    std::atomic<bool> done_{false};
    std::thread writing_;
};

// A sync tool's touch of a file every half second (its times change, its
// bytes stay), until it goes.
class Toucher {
public:
    explicit Toucher(const QString& path)
        : path_(QFile::encodeName(path)), touching_([this] {
              while (!done_) {
                  (void)::utimensat(AT_FDCWD, path_.constData(), nullptr, 0);
                  std::this_thread::sleep_for(std::chrono::milliseconds(500));
              }
          }) {}
    ~Toucher() {
        done_ = true;
        touching_.join();
    }

private:
    QByteArray path_;
    std::atomic<bool> done_{false};
    std::thread touching_;
};

// The settings window, from a dial the hot key `chord` opens at the middle
// of the screen (Ctrl+comma): its X window id, "" when it did not open.
inline QString openSettingsFromDial(Orbel& orbel, const QString& chord = QStringLiteral("ctrl+alt+o")) {
    xdotool({"mousemove", "960", "540"});
    if (!orbel.openDial(chord)) return {};
    xdotool({"key", "ctrl+comma"});
    return waitForWindowNamed(QStringLiteral("Orbel Settings"));
}

// A backup the restore sheet opens.
inline std::string backupBytes() {
    OrbelBackup backup;
    backup.createdAt = 1'765'000'000;
    backup.appVersion = ORBEL_VERSION;
    backup.liveConfig = AppConfig::defaultConfig();
    return backup.encode();
}

inline bool restoreSheetShows() { return !waitForWindowNamed(QStringLiteral("^Restore from backup$")).isEmpty(); }

inline void closeRestoreSheet() {
    const QString sheet = windowNamed(QStringLiteral("^Restore from backup$"));
    xdotool({"windowactivate", "--sync", sheet});
    xdotool({"key", "Escape"});
    ASSERT_TRUE(spinUntil([] { return windowNamed(QStringLiteral("^Restore from backup$")).isEmpty(); }));
}

// The visible dialogs of ours (alerts), by X window id.
inline QStringList visibleDialogs() {
    QStringList dialogs;
    const QString ids = run("xdotool", {"search", "--onlyvisible", "--name", "^Orbel$"});
    for (const QString& id : ids.split('\n', Qt::SkipEmptyParts))
        if (run("xprop", {"-id", id, "_NET_WM_WINDOW_TYPE"}).contains("_NET_WM_WINDOW_TYPE_DIALOG")) dialogs << id;
    return dialogs;
}

// `cmake --install` of the build into `prefix` (with `args` after), in
// `environment` (DESTDIR, ...) besides the test's own: its exit status, and
// what it printed in `output`.
inline int installInto(const QString& prefix, const QStringList& args = {},
                       const QProcessEnvironment& environment = {}, QString* output = nullptr) {
    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(environment);
    install.setProcessEnvironment(env);
    install.start(QStringLiteral(ORBEL_CMAKE), QStringList{"--install", ORBEL_BINARY_DIR, "--prefix", prefix} + args);
    const bool ended = install.waitForFinished(300000);
    if (output) *output = QString::fromUtf8(install.readAll());
    return ended && install.exitStatus() == QProcess::NormalExit ? install.exitCode() : -1;
}

// The number on the line "<key> <number> ..." of a process's
// /proc/<pid>/<file> (-1 when the process is gone).
inline qint64 procNumber(qint64 pid, const char* file, const QByteArray& key) {
    QFile numbers(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(file)));
    if (!numbers.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : numbers.readAll().split('\n'))
        if (line.startsWith(key)) return line.mid(key.size()).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

// The resident memory of a process, in megabytes (0 when it is gone).
inline qint64 residentMegabytes(qint64 pid) { return std::max<qint64>(procNumber(pid, "status", "VmRSS:"), 0) / 1024; }

// The bytes a process has read so far, from files, devices and pipes alike
// (-1 when it is gone). Unlike its memory, which an allocator grows by
// chunks of its own, this moves only by what it reads.
inline qint64 bytesRead(qint64 pid) { return procNumber(pid, "io", "rchar:"); }

}  // namespace orbel::systemtest
