// The desktop lookups the dial makes on the interface thread, on a desktop
// with 40 windows and 300 installed applications: the front application, the
// running applications, one window-list poll, and the stock dial's six app
// slots (made and drawn). Run it inside scripts/desktop-session for real
// windows; without DISPLAY only the application lookups are measured.
#include <benchmark/benchmark.h>
#include <xcb/xcb.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <unistd.h>

#include "model/app_config.h"
#include "platform/window_snapshots.h"
#include "platform/workspace.h"
#include "slots/slot_factory.h"

using namespace orbel;

namespace {

constexpr int kWindows = 40;
constexpr int kEntries = 300;

void write(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(content);
}

// 300 desktop entries in a private XDG tree, five of them the desktop's
// defaults for the stock dial's browser, file manager, mail, calendar and
// editor, one a terminal and one the settings. Entries 0...39 name the
// windows' WM_CLASS; the others are matched by nothing.
class Desktop {
public:
    Desktop() {
        const QString root = dir_.path();
        qputenv("XDG_DATA_HOME", (root + "/data").toUtf8());
        qputenv("XDG_DATA_DIRS", (root + "/usr").toUtf8());
        qputenv("XDG_CONFIG_HOME", (root + "/config").toUtf8());
        qputenv("XDG_CONFIG_DIRS", (root + "/etc").toUtf8());
        for (int i = 0; i < kEntries; ++i) {
            const QByteArray n = QByteArray::number(i).rightJustified(3, '0');
            QByteArray entry = "[Desktop Entry]\nType=Application\nName=Application " + n + "\nExec=true --app " + n +
                               " %U\nIcon=app-" + n + "\nStartupWMClass=Bench" + n + "\n";
            if (i == 5) entry += "Categories=System;TerminalEmulator;\n";
            write(root + (i % 2 ? "/usr" : "/data") + "/applications/org.example.App" + n + ".desktop", entry);
        }
        write(root + "/usr/applications/gnome-control-center.desktop",
              "[Desktop Entry]\nType=Application\nName=Settings\nExec=true --settings\n");
        write(root + "/config/mimeapps.list",
              "[Default Applications]\nx-scheme-handler/https=org.example.App001.desktop\n"
              "inode/directory=org.example.App002.desktop\nx-scheme-handler/mailto=org.example.App003.desktop\n"
              "text/calendar=org.example.App004.desktop\ntext/plain=org.example.App006.desktop\n");
        if (std::getenv("DISPLAY")) openWindows();
    }
    ~Desktop() {
        if (conn_) xcb_disconnect(conn_);
    }

private:
    xcb_atom_t atom(const char* name) {
        xcb_intern_atom_reply_t* r =
            xcb_intern_atom_reply(conn_, xcb_intern_atom(conn_, 0, std::strlen(name), name), nullptr);
        xcb_atom_t a = r ? r->atom : 0;
        std::free(r);
        return a;
    }

    void property(xcb_window_t w, const char* name, xcb_atom_t type, int format, const void* data, int length) {
        xcb_change_property(conn_, XCB_PROP_MODE_REPLACE, w, atom(name), type, format, length, data);
    }

    // Windows the window manager lists, each with a class, a title and our pid.
    void openWindows() {
        conn_ = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(conn_)) return;
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(conn_)).data;
        const std::uint32_t pid = static_cast<std::uint32_t>(getpid());
        xcb_window_t last = 0;
        for (int i = 0; i < kWindows; ++i) {
            const xcb_window_t w = xcb_generate_id(conn_);
            xcb_create_window(conn_, XCB_COPY_FROM_PARENT, w, screen->root, 10 * i, 10 * i, 200, 100, 0,
                              XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
            const std::string n = std::to_string(1000 + i).substr(1);
            const std::string cls = "bench" + n + '\0' + "Bench" + n + '\0';
            property(w, "WM_CLASS", XCB_ATOM_STRING, 8, cls.data(), static_cast<int>(cls.size()));
            const std::string title = "Document " + n + " - Application " + n;
            property(w, "_NET_WM_NAME", atom("UTF8_STRING"), 8, title.data(), static_cast<int>(title.size()));
            property(w, "_NET_WM_PID", XCB_ATOM_CARDINAL, 32, &pid, 1);
            xcb_map_window(conn_, w);
            last = w;
        }
        xcb_flush(conn_);
        // Wait for the window manager to list them all, then focus the last.
        for (int tries = 0; tries < 100 && listed(screen->root) < kWindows; ++tries)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = last;
        event.type = atom("_NET_ACTIVE_WINDOW");
        event.data.data32[0] = 2;
        xcb_send_event(conn_, 0, screen->root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&event));
        xcb_flush(conn_);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }

    int listed(xcb_window_t root) {
        xcb_get_property_reply_t* r = xcb_get_property_reply(
            conn_, xcb_get_property(conn_, 0, root, atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW, 0, 1024), nullptr);
        int n = r ? xcb_get_property_value_length(r) / 4 : 0;
        std::free(r);
        return n;
    }

    QTemporaryDir dir_;
    xcb_connection_t* conn_ = nullptr;
};

Desktop& desktop() {
    static Desktop d;
    return d;
}

const std::vector<SlotConfig>& stockAppSlots() {
    static const std::vector<SlotConfig> slots = [] {
        for (const SlotConfig& s : AppConfig::defaultMenu().slots)
            if (auto group = s.type.get<SlotType::Group>(); group && group->group->title == "Apps")
                return group->group->slots;
        return std::vector<SlotConfig>{};
    }();
    return slots;
}

// Times `lookUp` after its first call, among the windows.
template <typename LookUp>
void amongWindows(benchmark::State& state, LookUp lookUp) {
    desktop();
    if (!std::getenv("DISPLAY")) return state.SkipWithError("needs DISPLAY");
    lookUp();
    for (auto _ : state) benchmark::DoNotOptimize(lookUp());
}

void BM_FrontApplication(benchmark::State& state) {
    amongWindows(state, [] { return platform::Workspace::shared().frontApplication(); });
}
BENCHMARK(BM_FrontApplication)->Unit(benchmark::kMicrosecond);

void BM_RunningApplications(benchmark::State& state) {
    amongWindows(state, [] { return platform::Workspace::shared().runningApplications(); });
}
BENCHMARK(BM_RunningApplications)->Unit(benchmark::kMicrosecond);

void BM_WindowListPoll(benchmark::State& state) {
    amongWindows(state, [] { return platform::WindowSnapshots::shared().snapshot(); });
}
BENCHMARK(BM_WindowListPoll)->Unit(benchmark::kMicrosecond);

// The six app slots of the stock dial's "Apps" group, made and drawn.
void BM_StockDialAppSlots(benchmark::State& state) {
    desktop();
    auto build = [] {
        for (const auto& slot : SlotFactory::makeSlots(stockAppSlots())) benchmark::DoNotOptimize(slot->icon());
    };
    build();
    for (auto _ : state) build();
}
BENCHMARK(BM_StockDialAppSlots)->Unit(benchmark::kMicrosecond);

}  // namespace
