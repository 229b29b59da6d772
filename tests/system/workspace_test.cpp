// Workspace under Xvfb and openbox: launching a desktop entry, window
// activation, hiding and the desktop.
#include "platform/workspace.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QWidget>
#include <gtest/gtest.h>

#include "platform/linux/window_tracker.h"
#include "platform/linux/x11_session.h"
#include "system_helpers.h"

namespace orbel::platform {
namespace {

using systemtest::spinUntil;

// The application a lookup found; nothing while none is, or not yet known.
std::optional<ApplicationRef> installed(const AppLookup& lookup) {
    return lookup.value() ? std::optional(*lookup.value()) : std::nullopt;
}

TEST(WorkspaceSystem, LaunchesADesktopEntryWithItsFieldCodesExpandedAndAnnounced) {
    ORBEL_REQUIRE_DISPLAY();
    systemtest::XdgFixture xdg;
    const QString marker = xdg.root() + "/marker file";
    systemtest::writeFile(xdg.root() + "/data/applications/orbel-marker.desktop",
                          "[Desktop Entry]\nType=Application\nName=Marker\nStartupNotify=true\n"
                          "Exec=sh -c \"echo launched \\\\$0 \\\\$DESKTOP_STARTUP_ID > '" + marker.toUtf8() + "'\" %c %U\n");
    Workspace& ws = Workspace::shared();
    std::optional<ApplicationRef> app;
    ASSERT_TRUE(spinUntil([&] { return (app = installed(ws.applicationFor("orbel-marker"))).has_value(); }));
    EXPECT_EQ(app->name, "Marker");
    ASSERT_TRUE(ws.launch(*app));
    ASSERT_TRUE(spinUntil([&] { return QFileInfo(marker).size() > 0; }));
    QFile f(marker);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    // The start is announced to the window manager under an id the application gets.
    EXPECT_TRUE(f.readAll().startsWith("launched Marker orbel-" + QByteArray::number(getpid()) + "-"));
    EXPECT_FALSE(ws.launch({"gone", (xdg.root() + "/none.desktop").toStdString(), {}, {}}));

    // It starts in the home folder, not in ours; an entry's own Path wins.
    const QString pwd = xdg.root() + "/pwd";
    for (const QByteArray& own : {QByteArray(), QByteArray("Path=/tmp\n")}) {
        QFile::remove(pwd);
        systemtest::writeFile(xdg.root() + "/data/applications/orbel-pwd.desktop",
                              "[Desktop Entry]\nType=Application\nName=Pwd\n" + own +
                                  "Exec=sh -c \"pwd -P > '" + pwd.toUtf8() + "'\"\n");
        std::optional<ApplicationRef> where;
        ASSERT_TRUE(spinUntil([&] { return (where = installed(ws.applicationFor("orbel-pwd"))).has_value(); }));
        ASSERT_TRUE(ws.launch(*where));
        ASSERT_TRUE(spinUntil([&] { return QFileInfo(pwd).size() > 0; }));
        QFile f(pwd);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll().trimmed(), own.isEmpty() ? QDir(QDir::homePath()).canonicalPath().toUtf8() : QByteArray("/tmp"));
    }
}

std::uint32_t wmState(xcb_window_t w) {
    auto state = x11::Session::shared()->property32(w, "WM_STATE");
    return state.empty() ? 0 : state.front();
}

bool viewable(xcb_window_t w) {
    xcb_connection_t* c = x11::Session::shared()->connection();
    auto* reply = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr);
    bool result = reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(reply);
    return result;
}

TEST(WorkspaceSystem, HidesTheFrontApplicationActivatesItAgainAndShowsTheDesktop) {
    ORBEL_REQUIRE_DISPLAY();
    Workspace& ws = Workspace::shared();
    auto* x = x11::Session::shared();
    QWidget window;
    window.setWindowTitle(QStringLiteral("Orbel workspace test"));
    window.resize(300, 200);
    window.show();
    const auto id = xcb_window_t(window.winId());
    // openbox focuses new windows; asking as well would race with the hiding below.
    ASSERT_TRUE(spinUntil([&] { return wmState(id) == 1; }));  // NormalState
    ASSERT_TRUE(spinUntil([&] { return x->activeWindow() == id; }));

    auto front = ws.frontApplication();
    ASSERT_TRUE(front);
    EXPECT_EQ(front->pid, getpid());
    auto running = ws.runningApplications();
    EXPECT_NE(std::find(running.begin(), running.end(), *front), running.end());

    ASSERT_TRUE(ws.hideFrontApplication());
    EXPECT_TRUE(spinUntil([&] { return wmState(id) == 3 && !viewable(id); })) << "the window is iconified";

    ASSERT_TRUE(ws.activate(*front));
    EXPECT_TRUE(spinUntil([&] { return wmState(id) == 1 && viewable(id) && x->activeWindow() == id; }));

    auto showing = [&] { return x->cardinal(x->root(), "_NET_SHOWING_DESKTOP").value_or(0); };
    ASSERT_EQ(showing(), 0u);
    ASSERT_TRUE(ws.toggleShowDesktop());
    EXPECT_TRUE(spinUntil([&] { return showing() == 1 && !viewable(id); }));
    ASSERT_TRUE(ws.toggleShowDesktop());
    EXPECT_TRUE(spinUntil([&] { return showing() == 0 && viewable(id); }));

    EXPECT_FALSE(ws.activate({999999, "no.such.app"}));
}

// Makes the window `w` of the class `cls` (instance, NUL, class) on the
// connection `c`, unmapped, and waits until the server has it.
void makeWindowOfClass(xcb_connection_t* c, xcb_window_t w, std::string_view cls) {
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, 0, 0, 10, 10, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen->root_visual, 0, nullptr);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8, std::uint32_t(cls.size()),
                        cls.data());
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

// The server gives a closed client's ids to the next one: an application
// closed and another opened may get the same window id, asked about before,
// while it names no window, and after.
TEST(WorkspaceSystem, AWindowIdGivenToAnotherApplicationsWindowIsReadAgain) {
    ORBEL_REQUIRE_DISPLAY();
    auto* tracker = x11::WindowTracker::shared();
    ASSERT_TRUE(tracker);
    xcb_connection_t* first = xcb_connect(nullptr, nullptr);
    const xcb_window_t id = xcb_generate_id(first);
    makeWindowOfClass(first, id, std::string_view("first\0First", 12));
    EXPECT_EQ(tracker->ownerOf(id).wmClassName, "First");
    xcb_disconnect(first);
    xcb_connection_t* second = nullptr;
    for (int attempt = 0; attempt < 200 && !second; ++attempt) {
        (void)tracker->ownerOf(id);  // asked about while no window has it
        second = xcb_connect(nullptr, nullptr);
        if (xcb_generate_id(second) != id) {
            xcb_disconnect(second);
            second = nullptr;
        }
    }
    if (!second) GTEST_SKIP() << "the server gave the id to another client";
    makeWindowOfClass(second, id, std::string_view("second\0Second", 14));
    EXPECT_TRUE(spinUntil([&] { return tracker->ownerOf(id).wmClassName == "Second"; }, 5000))
        << tracker->ownerOf(id).wmClassName.toStdString();
    xcb_disconnect(second);
}

// A window manager may name the root as the active window. Asked who owns
// it, the tracker still hears the active window change afterwards.
TEST(WorkspaceSystem, TheTrackerKeepsListeningAfterBeingAskedAboutTheRoot) {
    ORBEL_REQUIRE_DISPLAY();
    auto* tracker = x11::WindowTracker::shared();
    ASSERT_TRUE(tracker);
    auto* x = x11::Session::shared();
    xcb_connection_t* c = x->connection();
    const xcb_atom_t active = x->atom("_NET_ACTIVE_WINDOW");
    const auto setActive = [&](xcb_window_t w) {
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, x->root(), active, XCB_ATOM_WINDOW, 32, 1, &w);
        xcb_flush(c);
    };
    const std::optional<xcb_window_t> before = x->activeWindow();
    setActive(x->root());
    ASSERT_TRUE(spinUntil([&] { return tracker->active() == x->root(); }, 5000));
    (void)tracker->ownerOf(x->root());
    const xcb_window_t one = xcb_generate_id(c), two = xcb_generate_id(c);
    makeWindowOfClass(c, one, std::string_view("one\0One", 8));
    makeWindowOfClass(c, two, std::string_view("two\0Two", 8));
    // Several changes: a change heard before the question could carry the
    // first one alone.
    for (const xcb_window_t w : {one, two, one}) {
        setActive(w);
        EXPECT_TRUE(spinUntil([&] { return tracker->active() == w; }, 5000));
    }
    setActive(before.value_or(XCB_NONE));
    xcb_destroy_window(c, one);
    xcb_destroy_window(c, two);
    xcb_flush(c);
}

}  // namespace
}  // namespace orbel::platform
