// The Logitech listener against simulated HID++ mice.
#include "input/logitech_hid_listener.h"

#include <QDir>
#include <QEventLoop>
#include <QTimer>

#include "input_fixture.h"

namespace orbel::testing {
namespace {

using namespace std::chrono_literals;
using Reporting = std::map<std::uint16_t, std::uint8_t>;

// Without a device the listener says it started, and nothing more: no hint
// for a mouse that is not there.
const std::vector<std::string> kNoDeviceLines = {"starting — vendor 0x046d, feature 0x1B04"};

// The listener's own lines, without the device's raw-report lines.
std::vector<std::string> listenerLines(const fakes::LogCapture& logs) {
    std::vector<std::string> out;
    for (const auto& l : logs.lines())
        if (!l.text.starts_with("[orbel-hidpp] raw report=") && !l.text.starts_with("[orbel-hidpp] notification"))
            out.push_back(l.text.substr(std::string("[orbel-hidpp] ").size()));
    return out;
}

// A mouse: the HID device and the HID++ device behind it. The clicks (0x50,
// 0x51) and 0x53 are not to be diverted: 0x53 cannot be, the clicks must not.
struct Mouse {
    Mouse(platform::Timers& timers, std::uint16_t product = 0xB023)
        : hid(std::make_shared<fakes::FakeHidDevice>(timers, product)), sim(*hid, timers) {
        sim.addControls(9, {{0x50, 0x30}, {0x51, 0x30}, {0x52, 0x30}, {0x53, 0x10}, {0xC3, 0x30}});
    }
    std::shared_ptr<fakes::FakeHidDevice> hid;
    fakes::SimulatedHidppDevice sim;
};

class LogitechHidListenerTest : public HidFixture {
protected:
    LogitechHidListenerTest() {
        listener.onButtonDown = [this](std::uint16_t pid, std::uint16_t cid) { events.push_back(line("down", pid, cid)); };
        listener.onButtonUp = [this](std::uint16_t pid, std::uint16_t cid) { events.push_back(line("up", pid, cid)); };
    }
    static std::string line(const char* what, std::uint16_t pid, std::uint16_t cid) {
        return std::string(what) + " " + std::to_string(pid) + " " + std::to_string(cid);
    }
    // Starts with `mouse` plugged in.
    void start() {
        listener.start();
        manager.plug(mouse.hid);
        timers.runDue();
    }

    fakes::FakeMainQueue queue;
    fakes::FakeHidManager manager;
    fakes::ReplaceShared<platform::MainQueue> useQueue{queue};
    fakes::ReplaceShared<platform::HidManager> useManager{manager};
    Mouse mouse{timers};
    input::LogitechHidListener listener;
    std::vector<std::string> events;
};

TEST_F(LogitechHidListenerTest, DivertsEveryDivertableControlButTheClicks) {
    start();
    EXPECT_EQ(manager.vendor, 0x046D);
    EXPECT_EQ(mouse.sim.reporting, (Reporting{{0x52, 0x03}, {0xC3, 0x03}}));
    const HidBytes& last = mouse.sim.requests.back();
    EXPECT_EQ(HidBytes(last.begin(), last.begin() + 8), HidBytes({0xFF, 0x09, 0x39, 0x00, 0xC3, 0x03, 0x00, 0x00}));
}

TEST_F(LogitechHidListenerTest, ReportsPressesAndReleasesOfHeldControls) {
    start();
    const std::uint16_t pid = 0xB023;
    struct Step {
        std::uint8_t feature;
        std::uint8_t function;
        HidBytes held;
        std::vector<std::string> expected;
    };
    const std::vector<Step> steps = {
        {9, 0, {0x00, 0xC3}, {line("down", pid, 0xC3)}},
        {9, 0, {0x00, 0xC3}, {}},
        {9, 0, {0x00, 0x52, 0x00, 0xC3}, {line("down", pid, 0x52)}},
        {9, 0, {0x00, 0x52}, {line("up", pid, 0xC3)}},
        {8, 0, {}, {}},  // another feature
        {9, 1, {}, {}},  // another function
        {9, 0, {0x00, 0xC3, 0x00, 0x00, 0x00, 0x53}, {line("down", pid, 0x53), line("down", pid, 0xC3), line("up", pid, 0x52)}},
        {9, 0, {}, {line("up", pid, 0x53), line("up", pid, 0xC3)}},
    };
    for (std::size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE(i);
        events.clear();
        mouse.sim.notify(steps[i].feature, steps[i].function, steps[i].held);
        EXPECT_EQ(events, steps[i].expected);
    }
}

TEST_F(LogitechHidListenerTest, StartsOnceAndGivesNoHintWithoutADevice) {
    listener.start();
    listener.start();
    EXPECT_EQ(manager.watches, 1);
    timers.advance(10s);
    EXPECT_EQ(listenerLines(logs), kNoDeviceLines);
}

TEST_F(LogitechHidListenerTest, ReportsEachFailureAndCarriesOn) {
    Mouse held(timers, 0x4082);
    held.hid->openError = platform::HidError{16};
    Mouse noHidpp(timers, 0xC52B);
    noHidpp.sim.errors[{0, 0}] = 0x07;
    Mouse partial(timers, 0xB034);
    partial.sim.errors[{9, 3}] = 0x05;  // refuses to divert
    partial.sim.silent.insert({9, 1});   // and never describes its controls
    listener.start();
    manager.plug(held.hid, platform::HidError{5});
    for (Mouse* m : {&held, &noHidpp, &partial}) manager.plug(m->hid);
    manager.breakWatch(platform::HidError{19});
    timers.advance(20s);
    std::vector<std::string> expected = {
        "starting — vendor 0x046d, feature 0x1B04",
        "device match error: IOReturn(5: Input/output error)",
        "matched Logitech device pid=0x4082 name=\"MX Master 3\"",
        "device stream ended: IOReturn(19: No such device)",
        "could not initialise HIDPPDevice for pid=0x4082: IOReturn(16: Device or resource busy) — likely Logi Options+ "
        "holds the device. Standard HID path will still work for buttons that aren't hijacked.",
        "matched Logitech device pid=0xc52b name=\"MX Master 3\"",
        "configure failed for pid=0xc52b: errorInputRequest(07 00 00 00 00 00 00 00 00 00 00 00 00 00 00)",
        "matched Logitech device pid=0xb034 name=\"MX Master 3\"",
        "pid=0xb034 feature 0x1B04 at index 9 v4",
        "pid=0xb034 controlCount=5",
    };
    for (int i = 0; i < 5; ++i) expected.push_back("control[" + std::to_string(i) + "] setup failed: timeout — skipping");
    EXPECT_EQ(listenerLines(logs), expected);
}

TEST_F(LogitechHidListenerTest, DivertsAgainAfterARePlugAndKeepsThePressedHistory) {
    start();
    mouse.sim.notify(9, 0, {0x00, 0xC3});
    manager.unplug(mouse.hid);
    mouse.sim.notify(9, 0, {});  // a removed device is not listened to any more
    Mouse again(timers);
    manager.plug(again.hid);
    timers.runDue();
    EXPECT_EQ(again.sim.reporting, (Reporting{{0x52, 0x03}, {0xC3, 0x03}}));
    again.sim.notify(9, 0, {0x00, 0x52});
    EXPECT_EQ(events, (std::vector<std::string>{line("down", 0xB023, 0xC3), line("down", 0xB023, 0x52),
                                                line("up", 0xB023, 0xC3)}));
}

TEST_F(LogitechHidListenerTest, RemovalDuringSetUpLetsTheNextDeviceThrough) {
    Mouse first(timers);
    Mouse second(timers, 0xB034);
    first.sim.delay = 100ms;
    listener.start();
    manager.plug(first.hid);
    manager.plug(second.hid);
    timers.advance(150ms);  // the first device is half way
    manager.unplug(first.hid);
    timers.advance(1s);
    EXPECT_TRUE(first.sim.reporting.empty());
    EXPECT_EQ(second.sim.reporting.size(), 2u);
}

TEST_F(LogitechHidListenerTest, StopUndoesEveryDiversionEvenOneUnderWay) {
    Mouse slow(timers, 0xB034);
    slow.sim.delay = 100ms;
    start();
    manager.plug(slow.hid);
    timers.advance(550ms);  // root, count, info 0...2 answered: the divert of 0x52 is under way
    ASSERT_EQ(slow.sim.reporting, (Reporting{{0x52, 0x03}}));
    bool done = false;
    listener.stop([&] { done = true; });
    EXPECT_FALSE(manager.watching());
    timers.advance(1s);
    queue.runAll();
    EXPECT_TRUE(done);
    EXPECT_EQ(mouse.sim.reporting, (Reporting{{0x52, 0x02}, {0xC3, 0x02}}));
    EXPECT_EQ(slow.sim.reporting, (Reporting{{0x52, 0x02}}));
    events.clear();
    mouse.sim.notify(9, 0, {0x00, 0x52});
    EXPECT_TRUE(events.empty());
}

TEST_F(LogitechHidListenerTest, StopAlsoUndoesDiversionsThatWereNeverAnswered) {
    mouse.sim.silent.insert({9, 3});
    start();
    timers.advance(10s);
    listener.stop();
    timers.runDue();
    std::vector<HidBytes> undone;
    for (const HidBytes& r : mouse.sim.requests)
        if (r[1] == 9 && (r[2] >> 4) == 3 && r[5] == input::LogitechHidListener::kUndivert) undone.push_back({r[3], r[4]});
    EXPECT_EQ(undone, (std::vector<HidBytes>{{0x00, 0x52}, {0x00, 0xC3}}));
}

// A keyboard with more divertable controls than HID++ has request
// identifiers: stop hands every one back before it reports done.
TEST_F(LogitechHidListenerTest, StopHandsBackMoreControlsThanThereAreRequestIdentifiers) {
    for (std::size_t count : {8u, 12u}) {
        SCOPED_TRACE(count);
        Mouse keyboard(timers, 0xB35B);
        std::vector<fakes::SimulatedHidppDevice::Control> controls;
        for (std::size_t i = 0; i < count; ++i) controls.push_back({static_cast<std::uint16_t>(0xC0 + i), 0x30});
        keyboard.sim.addControls(9, controls);
        keyboard.sim.delay = 5ms;
        listener.start();
        manager.plug(keyboard.hid);
        timers.advance(1s);
        ASSERT_EQ(keyboard.sim.reporting.size(), count);
        bool done = false;
        listener.stop([&] { done = true; });
        for (int i = 0; i < 100 && !done; ++i) {
            timers.advance(10ms);
            queue.runAll();
        }
        EXPECT_TRUE(done);
        for (const auto& [cid, flags] : keyboard.sim.reporting) EXPECT_EQ(flags, 0x02) << "cid " << cid;
    }
}

// The real HID manager, threads and timers on a machine without Logitech
// devices: the listener starts, gives no hint after three seconds and stops cleanly.
TEST(LogitechHidListenerOnThisMachine, StartsWithoutDevicesAndStaysQuiet) {
    if (QDir(QStringLiteral("/dev")).entryList({QStringLiteral("hidraw*")}, QDir::System).size() > 0)
        GTEST_SKIP() << "this machine has HID devices";
    fakes::LogCapture logs;
    input::LogitechHidListener listener;
    listener.start();
    QEventLoop loop;
    QTimer::singleShot(3200, &loop, &QEventLoop::quit);
    loop.exec();
    bool stopped = false;
    listener.stop([&] {
        stopped = true;
        loop.quit();
    });
    loop.exec();
    EXPECT_TRUE(stopped);
    EXPECT_EQ(listenerLines(logs), kNoDeviceLines);
}

}  // namespace
}  // namespace orbel::testing
