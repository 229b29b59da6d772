// The real `orbel` program as a user meets it, on the running X server (run
// it under scripts/desktop-session). A separate X client types with XTest and
// reads the screen back with GetImage, so every figure includes the X server,
// the event loop and the paint:
// - hot key to the dial's first pixels: Ctrl+Alt+O pressed, then the screen
//   along a line through its centre is read until it changes; Escape, and
//   again (median and spread over the openings);
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

    xcb_keycode_t ctrl() const { return ctrl_; }
    xcb_keycode_t alt() const { return alt_; }

private:
    xcb_keycode_t keycode(xcb_keysym_t sym) {
        xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols_, sym);
        const xcb_keycode_t code = codes ? codes[0] : 0;
        std::free(codes);
        return code;
    }

    xcb_connection_t* c_ = nullptr;
    xcb_screen_t* screen_ = nullptr;
    xcb_key_symbols_t* symbols_ = nullptr;
    xcb_keycode_t ctrl_ = 0, alt_ = 0, o_ = 0, escape_ = 0;
    bool ok_ = false;
};

// One orbel process with a configuration folder of its own; its standard
// error is read as it comes and the first arrival of chosen lines is timed.
class Orbel {
public:
    explicit Orbel(bool atLogin) {
        char pattern[] = "/tmp/orbel-bench.XXXXXX";
        if (!mkdtemp(pattern)) return;
        home_ = pattern;
        fs::create_directories(home_ / "orbel");
        std::ofstream(home_ / "orbel" / "config.json") << R"({"version":1,"hotkey":"ctrl+opt+o"})";

        std::vector<std::string> env;
        for (char** e = environ; *e; ++e) {
            const std::string entry = *e;
            if (entry.rfind("XDG_CONFIG_HOME=", 0) && entry.rfind("QT_LOGGING_RULES=", 0) &&
                entry.rfind("ASAN_OPTIONS=", 0))
                env.push_back(entry);
        }
        env.push_back("XDG_CONFIG_HOME=" + home_.string());
        env.push_back("QT_LOGGING_RULES=orbel.launch.debug=true");
        env.push_back("ASAN_OPTIONS=detect_leaks=0");
        std::vector<char*> envp;
        for (auto& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        std::string program = kOrbel, loginArg = "--login-item";
        std::vector<char*> argv{program.data()};
        if (atLogin) argv.push_back(loginArg.data());
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

void BM_HotkeyToFirstPixels(benchmark::State& state) {
    Desk* desk = nullptr;
    if (!ready(state, desk)) return;
    Orbel orbel(false);
    const auto clear = startAndShowOnce(*desk, orbel, nullptr);
    if (!clear || !closeDial(*desk, orbel, *clear)) return state.SkipWithError("the first dial did not come and go");
    idle(orbel, 200);

    std::vector<double> samples;
    std::size_t logFrom = orbel.log().size();
    std::vector<double> inApp;  // from the key event read to the dial shown, inside the program
    for (auto _ : state) {
        const auto pressed = Clock::now();
        desk->chordDown();
        const auto shown = pollUntil(*desk, orbel, [&](const std::string& l) { return l != *clear; }, 2000.0 * kSlow);
        if (!shown) {
            desk->release();
            return state.SkipWithError("the hot key did not open the dial");
        }
        const double ms = msSince(pressed, *shown);
        samples.push_back(ms);
        state.SetIterationTime(ms / 1000);
        if (!closeDial(*desk, orbel, *clear)) return state.SkipWithError("Escape did not close the dial");
        idle(orbel, 50);
        const std::string part = orbel.log().substr(logFrom);
        logFrom = orbel.log().size();
        const auto keys = signposts(part, "CarbonHotkeyPressed"), visible = signposts(part, "ShowMenuVisible");
        if (!keys.empty() && !visible.empty()) inApp.push_back(double(visible.front() - keys.front()) / 1000);
    }
    report(state, "ms", "hot key to the dial's first pixels", "ms", samples, 4);
    report(state, "in_app_ms", "  of which key read to dial shown, in the program", "ms", inApp);
    report(state, "rss_after_MiB", "resident memory after these openings (VmRSS)", "MiB", {orbel.memory()["VmRSS"]}, 40);
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
        orbel.watch("[orbel-launch] step music provider");
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
        if (auto at = orbel.seen("[orbel-launch] step music provider"))
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

}  // namespace

int main(int argc, char** argv) {
    // The smoke test asks for a tiny minimum time: a couple of rounds then.
    bool quick = false;
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--benchmark_min_time=", 21) == 0) quick = std::strtod(argv[i] + 21, nullptr) < 0.5;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RegisterBenchmark("BM_StartToHotkeyArmed", BM_StartToHotkeyArmed)
        ->UseManualTime()->Iterations(quick ? 1 : 10)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_HotkeyToFirstPixels", BM_HotkeyToFirstPixels)
        ->UseManualTime()->Iterations(quick ? 2 : 30)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_ResidentMemoryAfterFirstDial", BM_ResidentMemoryAfterFirstDial)
        ->UseManualTime()->Iterations(quick ? 1 : 3)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_QuitTime", BM_QuitTime)
        ->UseManualTime()->Iterations(quick ? 1 : 5)->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    printFigures();
    return 0;
}
