// The real `orbel` program as a user meets it, on the running X server (run
// it under scripts/desktop-session; xcompmgr is started when it is installed
// and no compositor runs, unless ORBEL_BENCH_COMPOSITOR=0). A separate X
// client types with XTest and reads the screen back with GetImage, so every
// figure includes the X server, the compositor, the event loop and the paint:
// - hot key to the dial's first painted pixels: Ctrl+Alt+O pressed, then the
//   screen along a line through its centre is read until it settles; the
//   figure is the first moment the line showed what it settled on (the first
//   change of any kind is reported beside it); Escape, and again (median and
//   spread over the openings). A bare Qt window, made beforehand and shown on
//   the same chord by this program's own child, is measured the same way in
//   the same run: the floor of the stack;
// - the first opening after start, against the later ones, with the stock
//   configuration and with six profiles of 1,674 slots (large_config.h);
// - wakeups of the program: idle, while 200 keys are typed elsewhere, and
//   while the pointer moves within one wedge of the open dial;
// - process start to the hot key armed: the chord is tapped from the moment
//   the process starts until the dial shows; also the arrival of the log
//   line that follows the arming of the hot keys;
// - resident memory of the running program once the dial has shown;
// - SIGTERM to the process gone.
// With `--benchmark_min_time` under half a second (the smoke test) each runs
// only a couple of rounds. Without a display or the program it reports that
// it was skipped. ORBEL_BENCH_LOG=FILE appends the program's log to FILE.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
#include <xcb/xtest.h>

#include <QApplication>
#include <QPainter>
#include <QScreen>
#include <QSocketNotifier>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "large_config.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

const std::string kOrbel = ORBEL_BINARY_DIR "/src/orbel";
constexpr std::uint32_t kBackground = 0x204060;  // the root window's colour while we measure

double msSince(Clock::time_point from, Clock::time_point to = Clock::now()) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// Sanitizer builds start and paint several times slower: waits stretch.
#ifdef __SANITIZE_ADDRESS__
constexpr int kSlow = 10;
#else
constexpr int kSlow = 1;
#endif

// The measuring client: XTest keys and the pixels of a vertical line through
// the screen's centre (the dial's disc covers its middle).
class Desk {
public:
    Desk() {
        int screenNumber = 0;
        c_ = xcb_connect(nullptr, &screenNumber);
        if (xcb_connection_has_error(c_)) return;
        auto it = xcb_setup_roots_iterator(xcb_get_setup(c_));
        for (int i = 0; i < screenNumber; ++i) xcb_screen_next(&it);
        screen_ = it.data;
        const auto* xtest = xcb_get_extension_data(c_, &xcb_test_id);
        if (!xtest || !xtest->present) return;
        symbols_ = xcb_key_symbols_alloc(c_);
        ctrl_ = keycode(0xffe3);
        alt_ = keycode(0xffe9);
        o_ = keycode('o');
        escape_ = keycode(0xff1b);
        // A known background, and the pointer away from the centre.
        xcb_change_window_attributes(c_, screen_->root, XCB_CW_BACK_PIXEL, &kBackground);
        xcb_clear_area(c_, 0, screen_->root, 0, 0, 0, 0);
        xcb_warp_pointer(c_, XCB_NONE, screen_->root, 0, 0, 0, 0, 40, 40);
        release();
        ok_ = ctrl_ && alt_ && o_ && escape_;
    }
    ~Desk() {
        if (symbols_) xcb_key_symbols_free(symbols_);
        xcb_disconnect(c_);
    }
    bool ok() const { return ok_; }

    std::string line() {
        const int cx = screen_->width_in_pixels / 2, cy = screen_->height_in_pixels / 2;
        const int half = std::min(200, cy);
        xcb_get_image_reply_t* reply = xcb_get_image_reply(
            c_, xcb_get_image(c_, XCB_IMAGE_FORMAT_Z_PIXMAP, screen_->root, std::int16_t(cx), std::int16_t(cy - half),
                              1, std::uint16_t(2 * half + 1), ~0u),
            nullptr);
        if (!reply) return {};
        std::string bytes(reinterpret_cast<const char*>(xcb_get_image_data(reply)),
                          std::size_t(xcb_get_image_data_length(reply)));
        std::free(reply);
        return bytes;
    }

    void key(xcb_keycode_t code, bool down) {
        xcb_test_fake_input(c_, down ? XCB_KEY_PRESS : XCB_KEY_RELEASE, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    }
    void flush() { xcb_flush(c_); }
    // Holds Ctrl+Alt and presses O (flushed): the moment the user's chord is complete.
    void chordDown() {
        key(ctrl_, true);
        key(alt_, true);
        key(o_, true);
        flush();
    }
    void tapO() {
        key(o_, true);
        key(o_, false);
        flush();
    }
    void release() {
        key(o_, false);
        key(alt_, false);
        key(ctrl_, false);
        flush();
    }
    void escape() {
        key(escape_, true);
        key(escape_, false);
        flush();
    }
    // A key without modifiers, as typing in another window would send it.
    void type(xcb_keysym_t sym) {
        const xcb_keycode_t code = keycode(sym);
        key(code, true);
        key(code, false);
        flush();
    }
    void pointerTo(int x, int y) {
        xcb_test_fake_input(c_, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, screen_->root, std::int16_t(x),
                            std::int16_t(y), 0);
        flush();
    }
    QPoint centre() const { return {screen_->width_in_pixels / 2, screen_->height_in_pixels / 2}; }
    // Whether a compositing manager runs on the first screen.
    bool composited() {
        const char* name = "_NET_WM_CM_S0";
        auto* atom = xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, std::uint16_t(std::strlen(name)), name), nullptr);
        if (!atom) return false;
        auto* owner = xcb_get_selection_owner_reply(c_, xcb_get_selection_owner(c_, atom->atom), nullptr);
        const bool running = owner && owner->owner != XCB_WINDOW_NONE;
        std::free(owner);
        std::free(atom);
        return running;
    }

    xcb_keycode_t ctrl() const { return ctrl_; }
    xcb_keycode_t alt() const { return alt_; }

    xcb_keycode_t keycode(xcb_keysym_t sym) {
        xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols_, sym);
        const xcb_keycode_t code = codes ? codes[0] : 0;
        std::free(codes);
        return code;
    }

private:

    xcb_connection_t* c_ = nullptr;
    xcb_screen_t* screen_ = nullptr;
    xcb_key_symbols_t* symbols_ = nullptr;
    xcb_keycode_t ctrl_ = 0, alt_ = 0, o_ = 0, escape_ = 0;
    bool ok_ = false;
};

// One orbel process with a configuration folder of its own; its standard
// error is read as it comes and the first arrival of chosen lines is timed.
// What the program starts with: the stock dial, six large profiles (the
// live configuration one of them), or, in place of orbel, the bare window.
enum class Setup { stock, sixProfiles, bareWindow };

class Orbel {
public:
    explicit Orbel(bool atLogin, Setup setup = Setup::stock) {
        char pattern[] = "/tmp/orbel-bench.XXXXXX";
        if (!mkdtemp(pattern)) return;
        home_ = pattern;
        fs::create_directories(home_ / "orbel");
        const auto chord = orbel::ActivationMode::tap(
            orbel::HoldBinding::keyCombination(*orbel::KeyCombination::parse("ctrl+opt+o")));
        if (setup == Setup::sixProfiles) {
            fs::create_directories(home_ / "orbel" / "profiles");
            for (int i = 0; i < 6; ++i) {
                orbel::AppConfig profile = orbel::bench::profileConfig(i);
                profile.activation = chord;
                const std::string text = profile.encodeDocument();
                std::ofstream(home_ / "orbel" / "profiles" / (std::string(orbel::bench::profileName(i)) + ".json"))
                    << text;
                if (i == 0) std::ofstream(home_ / "orbel" / "config.json") << text;
            }
        } else {
            // What a new user has: the default dial (six slots with icons), on this run's chord.
            orbel::AppConfig stock = orbel::AppConfig::defaultConfig();
            stock.activation = chord;
            std::ofstream(home_ / "orbel" / "config.json") << stock.encodeDocument();
        }

        std::vector<std::string> env;
        for (char** e = environ; *e; ++e) {
            const std::string entry = *e;
            if (entry.rfind("XDG_CONFIG_HOME=", 0) && entry.rfind("QT_LOGGING_RULES=", 0) &&
                entry.rfind("ASAN_OPTIONS=", 0))
                env.push_back(entry);
        }
        env.push_back("XDG_CONFIG_HOME=" + home_.string());
        env.push_back("QT_LOGGING_RULES=orbel.launch.debug=true;orbel.signpost.info=true");
        // The run's own options kept (a preload may need them), leaks not looked for.
        const char* asan = std::getenv("ASAN_OPTIONS");
        env.push_back(std::string("ASAN_OPTIONS=") + (asan && *asan ? std::string(asan) + ":" : "") + "detect_leaks=0");
        std::vector<char*> envp;
        for (auto& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        std::string program = kOrbel, loginArg = "--login-item", bareArg = "--bare-window";
        if (setup == Setup::bareWindow) program = fs::read_symlink("/proc/self/exe").string();
        std::vector<char*> argv{program.data()};
        if (setup == Setup::bareWindow) argv.push_back(bareArg.data());
        else if (atLogin) argv.push_back(loginArg.data());
        argv.push_back(nullptr);

        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
        started_ = Clock::now();
        if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = 0;
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        err_ = fds[0];
        fcntl(err_, F_SETFL, O_NONBLOCK);
    }
    ~Orbel() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            const auto until = Clock::now() + std::chrono::seconds(5);
            while (waitpid(pid_, nullptr, WNOHANG) == 0) {
                if (Clock::now() > until) {
                    kill(pid_, SIGKILL);
                    waitpid(pid_, nullptr, 0);
                    break;
                }
                pump();
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        }
        if (err_ >= 0) close(err_);
        // ORBEL_BENCH_LOG=FILE keeps what the program wrote, for a closer look.
        if (const char* keep = std::getenv("ORBEL_BENCH_LOG")) std::ofstream(keep, std::ios::app) << log_;
        std::error_code ignored;
        if (!home_.empty()) fs::remove_all(home_, ignored);
    }
    // Asks the program to end as the session does (SIGTERM) and waits for
    // its exit: the milliseconds it took, none when it had to be killed.
    std::optional<double> quit() {
        if (pid_ <= 0) return std::nullopt;
        const auto asked = Clock::now();
        kill(pid_, SIGTERM);
        while (waitpid(pid_, nullptr, WNOHANG) == 0) {
            if (msSince(asked) > 5000.0 * kSlow) {
                kill(pid_, SIGKILL);
                waitpid(pid_, nullptr, 0);
                pid_ = 0;
                return std::nullopt;
            }
            pump();
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
        pid_ = 0;
        return msSince(asked);
    }
    bool running() const { return pid_ > 0; }
    Clock::time_point started() const { return started_; }
    pid_t pid() const { return pid_; }

    void watch(const std::string& text) { seen_.emplace(text, std::nullopt); }
    std::optional<Clock::time_point> seen(const std::string& text) const {
        auto it = seen_.find(text);
        return it == seen_.end() ? std::nullopt : it->second;
    }
    void pump() {
        char buffer[4096];
        ssize_t n;
        bool grew = false;
        while ((n = read(err_, buffer, sizeof buffer)) > 0) {
            log_.append(buffer, std::size_t(n));
            grew = true;
        }
        if (!grew) return;
        const auto now = Clock::now();
        for (auto& [text, at] : seen_)
            if (!at && log_.find(text) != std::string::npos) at = now;
    }
    const std::string& log() const { return log_; }

    // The process's resident memory in MiB, by kind ("VmRSS", "RssAnon", ...).
    std::map<std::string, double> memory() const {
        std::map<std::string, double> mib;
        std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
        std::string name;
        double kib;
        while (status >> name) {
            if (name.rfind("Rss", 0) == 0 || name == "VmRSS:") {
                status >> kib;
                mib[name.substr(0, name.size() - 1)] = kib / 1024;
            }
            status.ignore(1 << 20, '\n');
        }
        return mib;
    }

    // Times the program's threads were woken (voluntary context switches).
    long long wakeups() const {
        long long total = 0;
        std::error_code ec;
        for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(pid_) + "/task", ec)) {
            std::ifstream status(task.path() / "status");
            std::string name;
            while (status >> name) {
                if (name == "voluntary_ctxt_switches:") {
                    long long n = 0;
                    status >> n;
                    total += n;
                }
                status.ignore(1 << 20, '\n');
            }
        }
        return total;
    }

private:
    fs::path home_;
    pid_t pid_ = 0;
    int err_ = -1;
    Clock::time_point started_;
    std::string log_;
    std::map<std::string, std::optional<Clock::time_point>> seen_;
};

// Reads the line until `changed(line)` holds, feeding the orbel log, for at
// most `limitMs`; the moment it held.
template <typename Changed>
std::optional<Clock::time_point> pollUntil(Desk& desk, Orbel& orbel, Changed changed, double limitMs) {
    const auto from = Clock::now();
    while (msSince(from) < limitMs) {
        const std::string now = desk.line();
        const auto at = Clock::now();
        if (changed(now)) return at;
        orbel.pump();
    }
    return std::nullopt;
}

struct Spread {
    double min, p10, median, p90, max;
};
Spread spread(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    auto at = [&](double q) {
        const double pos = q * double(v.size() - 1);
        const auto lo = std::size_t(pos);
        const auto hi = std::min(lo + 1, v.size() - 1);
        return v[lo] + (v[hi] - v[lo]) * (pos - double(lo));
    };
    return {v.front(), at(0.1), at(0.5), at(0.9), v.back()};
}
// Every figure, for the table printed after the run.
struct Figure {
    std::string label, unit;
    std::vector<double> samples;
    double aim;  // 0: none
};
std::vector<Figure>& figures() {
    static std::vector<Figure> all;
    return all;
}

// Median, p10 and p90 as counters named after `key`, and a row of the table.
void report(benchmark::State& state, const std::string& key, const std::string& label, const std::string& unit,
            const std::vector<double>& samples, double aim = 0) {
    if (samples.empty()) return;
    const Spread s = spread(samples);
    state.counters[key + "_median"] = s.median;
    state.counters[key + "_p10"] = s.p10;
    state.counters[key + "_p90"] = s.p90;
    figures().push_back({label, unit, samples, aim});
}

void printFigures() {
    if (figures().empty()) return;
    if (kSlow > 1) std::printf("\n(a sanitizer build: these figures say nothing of speed; scripts/bench measures)");
    std::printf("\n%-54s %4s %9s %9s %9s %9s %9s  %s\n", "orbel, measured from outside", "n", "median", "p10", "p90",
                "min", "max", "aim");
    for (const Figure& f : figures()) {
        const Spread s = spread(f.samples);
        std::string aim = "-";
        if (f.aim > 0) {
            std::ostringstream text;
            text << "under " << f.aim << " " << f.unit << (s.median < f.aim ? " (met)" : " (MISSED)");
            aim = text.str();
        }
        std::printf("%-54s %4zu %9.2f %9.2f %9.2f %9.2f %9.2f  %s\n", (f.label + " (" + f.unit + ")").c_str(),
                    f.samples.size(), s.median, s.p10, s.p90, s.min, s.max, aim.c_str());
    }
}

// The program's own time stamps (microseconds) of a signpost, in log order.
std::vector<long long> signposts(const std::string& log, const std::string& name) {
    std::vector<long long> times;
    const std::string key = "[orbel-signpost] " + name + " ";
    for (std::size_t at = log.find(key); at != std::string::npos; at = log.find(key, at + 1)) {
        const std::size_t t = log.find("t=", at);
        const std::size_t eol = log.find('\n', at);
        if (t != std::string::npos && t < eol) times.push_back(std::atoll(log.c_str() + t + 2));
    }
    return times;
}

// One opening by the chord: the first change of the line through the centre
// and the first moment it showed what it settled on (no change for 150 ms).
struct Opening {
    double firstChangeMs, firstPaintedMs;
};
std::optional<Opening> openOnce(Desk& desk, Orbel& orbel, const std::string& clear) {
    const auto pressed = Clock::now();
    desk.chordDown();
    std::vector<std::pair<Clock::time_point, std::string>> frames;
    std::string previous = clear;
    const auto until = pressed + std::chrono::milliseconds(2000 * kSlow);
    while (Clock::now() < until) {
        std::string now = desk.line();
        const auto at = Clock::now();
        if (now != previous) {
            frames.emplace_back(at, now);
            previous = std::move(now);
        } else if (!frames.empty() && msSince(frames.back().first, at) > 150) {
            break;
        }
        orbel.pump();
    }
    if (frames.empty()) return std::nullopt;
    for (const auto& [at, line] : frames)
        if (line == frames.back().second) return Opening{msSince(pressed, frames.front().first), msSince(pressed, at)};
    return std::nullopt;
}

// Desk and program present; otherwise the benchmark is skipped with the reason.
bool ready(benchmark::State& state, Desk*& desk) {
    static Desk* shared = nullptr;
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) {
        state.SkipWithError("skipped: needs an X display (run under scripts/desktop-session)");
        return false;
    }
    if (access(kOrbel.c_str(), X_OK) != 0) {
        state.SkipWithError(("skipped: " + kOrbel + " is not built").c_str());
        return false;
    }
    if (!shared) shared = new Desk;  // kept for the run: one client is enough
    if (!shared->ok()) {
        state.SkipWithError("skipped: no X server to reach, or one without XTEST or keys for Ctrl, Alt, O, Escape");
        return false;
    }
    desk = shared;
    return true;
}

// Settles the program after a showing: the pixels are up before its last
// work is done.
void idle(Orbel& orbel, int ms) {
    const auto until = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < until) {
        orbel.pump();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

// Escape once the dial holds the keyboard (it takes it a moment after its
// first pixels, as a person's reaction time would allow), then waits until
// the screen shows `clear` again.
bool closeDial(Desk& desk, Orbel& orbel, const std::string& clear) {
    desk.release();
    idle(orbel, 30);
    desk.escape();
    return pollUntil(desk, orbel, [&](const std::string& l) { return l == clear; }, 2000.0 * kSlow).has_value();
}

// Waits for a started program's first dial; the line as it was without it.
std::optional<std::string> startAndShowOnce(Desk& desk, Orbel& orbel, double* firstDialMs) {
    const std::string clear = desk.line();
    if (!orbel.running()) return std::nullopt;
    const auto shown = pollUntil(desk, orbel, [&](const std::string& l) { return l != clear; }, 5000.0 * kSlow);
    if (!shown) return std::nullopt;
    if (firstDialMs) *firstDialMs = msSince(orbel.started(), *shown);
    idle(orbel, 300);
    return clear;
}

// Openings by the chord after a first one; the figures of each.
struct Openings {
    std::vector<double> firstChange, firstPainted, inApp;
};
bool openRepeatedly(benchmark::State* state, Desk& desk, Orbel& orbel, const std::string& clear, int count,
                    Openings& out) {
    std::size_t logFrom = orbel.log().size();
    for (int i = 0; i < count; ++i) {
        const auto opening = openOnce(desk, orbel, clear);
        if (!opening) {
            desk.release();
            return false;
        }
        out.firstChange.push_back(opening->firstChangeMs);
        out.firstPainted.push_back(opening->firstPaintedMs);
        if (state) state->SetIterationTime(opening->firstPaintedMs / 1000);
        if (!closeDial(desk, orbel, clear)) return false;
        idle(orbel, 50);
        const std::string part = orbel.log().substr(logFrom);
        logFrom = orbel.log().size();
        const auto keys = signposts(part, "CarbonHotkeyPressed"), visible = signposts(part, "ShowMenuVisible");
        if (!keys.empty() && !visible.empty()) out.inApp.push_back(double(visible.front() - keys.front()) / 1000);
    }
    return true;
}

// The bare window's child: ready once its chord is grabbed.
bool bareReady(Orbel& bare) {
    const auto until = Clock::now() + std::chrono::milliseconds(5000 * kSlow);
    while (Clock::now() < until && !bare.seen("bare window ready")) idle(bare, 10);
    return bare.seen("bare window ready").has_value();
}

void BM_HotkeyToFirstPixels(benchmark::State& state) {
    Desk* desk = nullptr;
    if (!ready(state, desk)) return;
    const int count = int(state.max_iterations);
    Openings orbelFigures, bareFigures;
    {
        Orbel orbel(false);
        const auto clear = startAndShowOnce(*desk, orbel, nullptr);
        if (!clear || !closeDial(*desk, orbel, *clear)) return state.SkipWithError("the first dial did not come and go");
        idle(orbel, 200);
        for (auto _ : state)
            if (!openRepeatedly(&state, *desk, orbel, *clear, 1, orbelFigures))
                return state.SkipWithError("the hot key did not open and Escape close the dial");
        report(state, "rss_after_MiB", "resident memory after these openings (VmRSS)", "MiB",
               {orbel.memory()["VmRSS"]}, 38);
    }
    {
        Orbel bare(false, Setup::bareWindow);
        bare.watch("bare window ready");
        if (!bareReady(bare)) return state.SkipWithError("the bare window did not start");
        const std::string clear = desk->line();
        if (!openRepeatedly(nullptr, *desk, bare, clear, count, bareFigures))
            return state.SkipWithError("the bare window did not come and go");
    }
    const double floor = spread(bareFigures.firstPainted).median;
    report(state, "ms", "hot key to the dial's first painted pixels", "ms", orbelFigures.firstPainted,
           1.5 * floor);
    report(state, "first_change_ms", "  hot key to the first change of any kind", "ms", orbelFigures.firstChange);
    report(state, "in_app_ms", "  of which key read to dial shown, in the program", "ms", orbelFigures.inApp);
    report(state, "bare_ms", "hot key to a bare Qt window's first painted pixels", "ms", bareFigures.firstPainted);
    report(state, "bare_first_change_ms", "  bare window: first change of any kind", "ms", bareFigures.firstChange);
}

// Waits until a program started at login is up (its launch is done).
bool startedAtLogin(Orbel& orbel) {
    const std::string done = "[orbel-launch] step first dial";
    orbel.watch(done);
    const auto until = Clock::now() + std::chrono::milliseconds(5000 * kSlow);
    while (Clock::now() < until && !orbel.seen(done)) idle(orbel, 10);
    return orbel.seen(done).has_value();
}

// The first opening by the chord after a start at login (nothing shown by
// itself), once the start's idle time has passed, against the next ones.
void firstOpening(benchmark::State& state, Setup setup, const std::string& name) {
    Desk* desk = nullptr;
    if (!ready(state, desk)) return;
    std::vector<double> first, later;
    for (auto _ : state) {
        const std::string clear = desk->line();
        Orbel orbel(true, setup);
        if (!startedAtLogin(orbel)) return state.SkipWithError("orbel did not start");
        idle(orbel, 1000);
        Openings figures;
        if (!openRepeatedly(&state, *desk, orbel, clear, 6, figures))
            return state.SkipWithError("the hot key did not open and Escape close the dial");
        first.push_back(figures.firstPainted.front());
        later.insert(later.end(), figures.firstPainted.begin() + 1, figures.firstPainted.end());
    }
    const double steady = later.empty() ? 0 : spread(later).median;
    report(state, "first_ms", "first opening after start, " + name, "ms", first, steady + 10);
    report(state, "later_ms", "  the openings after it", "ms", later);
}
void BM_FirstOpeningAfterStart(benchmark::State& state) { firstOpening(state, Setup::stock, "stock dial"); }
void BM_FirstOpeningAfterStartSixProfiles(benchmark::State& state) {
    firstOpening(state, Setup::sixProfiles, "six 600 KB profiles");
}

// Wakeups of the program over a stretch of time: idle, while keys are typed
// into another window, and while the pointer moves within one wedge.
void BM_Wakeups(benchmark::State& state) {
    Desk* desk = nullptr;
    if (!ready(state, desk)) return;
    std::vector<double> idleCount, typing, moving;
    for (auto _ : state) {
        const std::string clear = desk->line();
        Orbel orbel(true);
        if (!startedAtLogin(orbel)) return state.SkipWithError("orbel did not start");
        idle(orbel, 1500);
        auto before = orbel.wakeups();
        idle(orbel, 2000);
        idleCount.push_back(double(orbel.wakeups() - before));

        before = orbel.wakeups();
        for (int i = 0; i < 200; ++i) {
            desk->type('a' + i % 26);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        idle(orbel, 300);
        typing.push_back(double(orbel.wakeups() - before));

        const QPoint c = desk->centre();
        desk->pointerTo(c.x() + 120, c.y() - 30);
        idle(orbel, 100);
        if (!openOnce(*desk, orbel, clear)) return state.SkipWithError("the hot key did not open the dial");
        desk->release();
        idle(orbel, 300);
        before = orbel.wakeups();
        for (int i = 0; i < 100; ++i) {  // 100 moves, all within the wedge on the right
            desk->pointerTo(c.x() + 120 + i % 20, c.y() - 30 + i % 10);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        idle(orbel, 300);
        moving.push_back(double(orbel.wakeups() - before));
        desk->escape();
        desk->pointerTo(40, 40);
        pollUntil(*desk, orbel, [&](const std::string& l) { return l == clear; }, 2000.0 * kSlow);
        state.SetIterationTime(1);
    }
    report(state, "idle", "wakeups in 2 s idle", "wakeups", idleCount);
    report(state, "typing", "wakeups while 200 keys are typed elsewhere", "wakeups", typing);
    report(state, "moving", "wakeups for 100 pointer moves within one wedge", "wakeups", moving);
}

void BM_StartToHotkeyArmed(benchmark::State& state) {
    Desk* desk = nullptr;
    if (!ready(state, desk)) return;
    std::vector<double> armedLog, activation, chordOpens;
    for (auto _ : state) {
        const std::string clear = desk->line();
        desk->key(desk->ctrl(), true);
        desk->key(desk->alt(), true);
        desk->flush();
        Orbel orbel(true);
        orbel.watch("[orbel-launch] step activation");
        orbel.watch("[orbel-launch] step icons");
        if (!orbel.running()) {
            desk->release();
            return state.SkipWithError("orbel did not start");
        }
        std::optional<Clock::time_point> shown;
        const auto until = Clock::now() + std::chrono::milliseconds(5000 * kSlow);
        while (!shown && Clock::now() < until) {
            desk->tapO();  // a chord every millisecond or so
            shown = pollUntil(*desk, orbel, [&](const std::string& l) { return l != clear; }, 1.0);
        }
        if (!shown) {
            desk->release();
            return state.SkipWithError("the hot key never opened the dial");
        }
        const double ms = msSince(orbel.started(), *shown);
        chordOpens.push_back(ms);
        state.SetIterationTime(ms / 1000);
        if (!closeDial(*desk, orbel, clear)) return state.SkipWithError("Escape did not close the dial");
        idle(orbel, 50);
        if (auto at = orbel.seen("[orbel-launch] step activation")) activation.push_back(msSince(orbel.started(), *at));
        if (auto at = orbel.seen("[orbel-launch] step icons"))
            armedLog.push_back(msSince(orbel.started(), *at));
    }
    report(state, "chord_ms", "start to a chord opening the dial", "ms", chordOpens, 150);
    report(state, "armed_log_ms", "start to the hot keys armed (log after activation)", "ms", armedLog, 150);
    report(state, "activation_log_ms", "start to the activation step begun (log)", "ms", activation);
}

void BM_ResidentMemoryAfterFirstDial(benchmark::State& state) {
    Desk* desk = nullptr;
    if (!ready(state, desk)) return;
    std::map<std::string, std::vector<double>> open;
    std::vector<double> firstDial, closed;
    for (auto _ : state) {
        Orbel orbel(false);
        double ms = 0;
        const auto clear = startAndShowOnce(*desk, orbel, &ms);
        if (!clear) return state.SkipWithError("the first dial did not show");
        firstDial.push_back(ms);
        state.SetIterationTime(ms / 1000);
        for (const auto& [kind, mib] : orbel.memory()) open[kind].push_back(mib);
        if (!closeDial(*desk, orbel, *clear)) return state.SkipWithError("Escape did not close the dial");
        idle(orbel, 300);
        closed.push_back(orbel.memory()["VmRSS"]);
    }
    report(state, "first_dial_ms", "start to the first dial's pixels", "ms", firstDial);
    report(state, "rss_open_MiB", "resident memory, first dial up (VmRSS)", "MiB", open["VmRSS"], 40);
    for (const char* kind : {"RssAnon", "RssFile", "RssShmem"})
        report(state, std::string(kind) + "_MiB", std::string("  of which ") + kind, "MiB", open[kind]);
    report(state, "rss_closed_MiB", "resident memory, first dial closed (VmRSS)", "MiB", closed, 40);
}

// SIGTERM (what the session sends at log-out) to the process gone, with
// the first dial shown and closed before.
void BM_QuitTime(benchmark::State& state) {
    Desk* desk = nullptr;
    if (!ready(state, desk)) return;
    std::vector<double> samples;
    for (auto _ : state) {
        Orbel orbel(false);
        const auto clear = startAndShowOnce(*desk, orbel, nullptr);
        if (!clear || !closeDial(*desk, orbel, *clear)) return state.SkipWithError("the first dial did not come and go");
        idle(orbel, 300);
        const auto ms = orbel.quit();
        if (!ms) return state.SkipWithError("orbel did not end within five seconds of SIGTERM");
        samples.push_back(*ms);
        state.SetIterationTime(*ms / 1000);
    }
    report(state, "quit_ms", "SIGTERM to the process gone", "ms", samples, 200);
}

// The floor of the stack: a plain Qt window the size of the dial's panel,
// made before the chord and shown on it, painted in one colour; Escape
// hides it. Runs as this program's child (--bare-window).
class BareWindow : public QWidget {
public:
    BareWindow() {
        setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint |
                       Qt::WindowDoesNotAcceptFocus);
        setAttribute(Qt::WA_TranslucentBackground);
        setAttribute(Qt::WA_ShowWithoutActivating);
        const QPoint centre = QGuiApplication::primaryScreen()->geometry().center();
        setGeometry(QRect(centre - QPoint(348, 348), QSize(696, 696)));
        winId();
    }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), QColor(235, 235, 240)); }
};

int bareWindow(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "xcb");  // the session may ask tests for the offscreen platform
    QApplication app(argc, argv);
    BareWindow window;
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) return 1;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(c);
    auto code = [&](xcb_keysym_t sym) {
        xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, sym);
        const xcb_keycode_t k = codes ? codes[0] : 0;
        std::free(codes);
        return k;
    };
    const xcb_keycode_t o = code('o'), escape = code(0xff1b);
    xcb_grab_key(c, 1, root, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1, o, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    xcb_grab_key(c, 1, root, 0, escape, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    QSocketNotifier notifier(xcb_get_file_descriptor(c), QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [&] {
        while (xcb_generic_event_t* e = xcb_poll_for_event(c)) {
            if ((e->response_type & 0x7f) == XCB_KEY_PRESS) {
                const auto detail = reinterpret_cast<xcb_key_press_event_t*>(e)->detail;
                if (detail == o) window.show();
                else if (detail == escape) window.hide();
                xcb_ungrab_keyboard(c, XCB_CURRENT_TIME);
                xcb_flush(c);
            }
            std::free(e);
        }
    });
    std::fprintf(stderr, "bare window ready\n");
    const int result = app.exec();
    xcb_key_symbols_free(symbols);
    xcb_disconnect(c);
    return result;
}

// xcompmgr for the run, when it is there and no compositor runs.
pid_t startCompositor() {
    const char* want = std::getenv("ORBEL_BENCH_COMPOSITOR");
    if ((want && std::string(want) == "0") || !std::getenv("DISPLAY")) return 0;
    Desk probe;
    if (!probe.ok() || probe.composited()) return 0;
    std::string program = "xcompmgr";
    char* argv[] = {program.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) return 0;
    for (int i = 0; i < 200 && !probe.composited(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return pid;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--bare-window") == 0) return bareWindow(argc, argv);
    // The smoke test asks for a tiny minimum time: a couple of rounds then.
    bool quick = false;
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--benchmark_min_time=", 21) == 0) quick = std::strtod(argv[i] + 21, nullptr) < 0.5;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RegisterBenchmark("BM_StartToHotkeyArmed", BM_StartToHotkeyArmed)
        ->UseManualTime()->Iterations(quick ? 1 : 10)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_HotkeyToFirstPixels", BM_HotkeyToFirstPixels)
        ->UseManualTime()->Iterations(quick ? 2 : 50)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_FirstOpeningAfterStart", BM_FirstOpeningAfterStart)
        ->UseManualTime()->Iterations(quick ? 1 : 5)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_FirstOpeningAfterStartSixProfiles", BM_FirstOpeningAfterStartSixProfiles)
        ->UseManualTime()->Iterations(quick ? 1 : 3)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_Wakeups", BM_Wakeups)
        ->UseManualTime()->Iterations(quick ? 1 : 3)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_ResidentMemoryAfterFirstDial", BM_ResidentMemoryAfterFirstDial)
        ->UseManualTime()->Iterations(quick ? 1 : 3)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_QuitTime", BM_QuitTime)
        ->UseManualTime()->Iterations(quick ? 1 : 5)->Unit(benchmark::kMillisecond);
    const pid_t compositor = startCompositor();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (compositor > 0) {
        kill(compositor, SIGTERM);
        waitpid(compositor, nullptr, 0);
    }
    printFigures();
    std::printf("(%s)\n", compositor > 0 ? "under xcompmgr, started for the run" : "with the compositor as it was");
    return 0;
}
