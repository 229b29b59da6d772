// The hidraw device's thread, reads, writes and hand-over to the GUI thread,
// on a pseudo-terminal standing in for a node (no HID device here).
#include "platform/linux/hidraw_device.h"

#include <QTest>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <thread>
#include <termios.h>
#include <unistd.h>

namespace orbel::platform {
namespace {

struct PseudoNode {
    PseudoNode() {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        grantpt(master);
        unlockpt(master);
        path = ptsname(master);
        raw = ::open(path.c_str(), O_RDWR | O_NOCTTY);  // held open so the settings stay
        termios settings{};
        tcgetattr(raw, &settings);
        cfmakeraw(&settings);
        tcsetattr(raw, TCSANOW, &settings);
    }
    ~PseudoNode() {
        ::close(raw);
        ::close(master);
    }
    int master = -1;
    int raw = -1;
    std::string path;
};

TEST(HidrawDevice, ReadsReportsAndWritesThemWithTheReportId) {
    PseudoNode node;
    auto device = linux_hid::makeHidrawDevice(node.path, 0xB023, "MX Master 3");
    std::vector<std::pair<int, HidBytes>> reports;
    device->setInputReportHandler([&](int id, const HidBytes& data, std::optional<HidError> error) {
        EXPECT_FALSE(error);
        reports.emplace_back(id, data);
    });
    std::optional<std::optional<HidError>> opened;
    device->open([&](std::optional<HidError> error) { opened = error; });
    EXPECT_FALSE(opened);  // never inside the call
    ASSERT_TRUE(QTest::qWaitFor([&] { return opened.has_value(); }, 5000));
    ASSERT_FALSE(*opened);

    const std::uint8_t report[] = {0x11, 0xFF, 0x05, 0x39, 0xAB};
    ASSERT_EQ(::write(node.master, report, sizeof report), static_cast<ssize_t>(sizeof report));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !reports.empty(); }, 5000));
    EXPECT_EQ(reports[0], (std::pair<int, HidBytes>{0x11, {0xFF, 0x05, 0x39, 0xAB}}));

    std::optional<std::optional<HidError>> sent;
    device->sendReport(HidReportType::output, 0x11, {0xFF, 0x00, 0x19}, [&](std::optional<HidError> e) { sent = e; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return sent.has_value(); }, 5000));
    EXPECT_FALSE(*sent);
    std::uint8_t written[8] = {};
    EXPECT_EQ(::read(node.master, written, sizeof written), 4);
    EXPECT_EQ(HidBytes(written, written + 4), HidBytes({0x11, 0xFF, 0x00, 0x19}));

    std::optional<std::optional<HidError>> refused;
    device->sendReport(HidReportType::output, 256, {}, [&](std::optional<HidError> e) { refused = e; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return refused.has_value(); }, 5000));
    EXPECT_EQ(*refused, HidError{EINVAL});

    // Destroyed with a report on its way: nothing reaches the handler afterwards.
    ASSERT_EQ(::write(node.master, report, sizeof report), static_cast<ssize_t>(sizeof report));
    device.reset();
    QTest::qWait(50);
}

// While the GUI thread is busy, reports wait in a bounded queue: the oldest
// motion reports go, HID++ reports stay, and the newest report arrives.
TEST(HidrawDevice, ABusyGuiThreadKeepsHidppReportsAndTheNewestMotionOnly) {
    PseudoNode node;
    auto device = linux_hid::makeHidrawDevice(node.path, 0xB023, "MX Master 3");
    std::vector<std::pair<int, HidBytes>> reports;
    device->setInputReportHandler([&](int id, const HidBytes& data, std::optional<HidError>) {
        reports.emplace_back(id, data);
    });
    std::optional<std::optional<HidError>> opened;
    device->open([&](std::optional<HidError> error) { opened = error; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return opened.has_value(); }, 5000));

    // Without running the event loop. The node is a stream: pauses keep
    // each HID++ report a read of its own.
    auto send = [&](HidBytes report, std::chrono::microseconds pause) {
        ASSERT_EQ(::write(node.master, report.data(), report.size()), static_cast<ssize_t>(report.size()));
        std::this_thread::sleep_for(pause);
    };
    constexpr int kMotion = 600;
    for (int i = 0; i < kMotion; ++i) {
        if (i % 200 == 100) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            send({0x11, 0xFF, 0x05, std::uint8_t(i / 200)}, std::chrono::milliseconds(50));
        }
        send({0x02, std::uint8_t(i & 0xFF), std::uint8_t(i >> 8)}, std::chrono::microseconds(200));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    QTest::qWait(50);
    std::vector<HidBytes> hidpp;
    int motion = 0;
    for (const auto& [id, data] : reports) {
        if (id == 0x11) hidpp.push_back(data);
        else ++motion;
    }
    EXPECT_EQ(hidpp, (std::vector<HidBytes>{{0xFF, 0x05, 0}, {0xFF, 0x05, 1}, {0xFF, 0x05, 2}}));
    EXPECT_LE(motion, 64);
    ASSERT_FALSE(reports.empty());
    const HidBytes& last = reports.back().second;
    ASSERT_GE(last.size(), 2u);
    EXPECT_EQ(last[last.size() - 2] | last[last.size() - 1] << 8, kMotion - 1);
}

TEST(HidrawDevice, OpeningAMissingNodeFails) {
    auto device = linux_hid::makeHidrawDevice("/dev/hidraw-missing", 0, "");
    std::optional<std::optional<HidError>> opened;
    device->open([&](std::optional<HidError> error) { opened = error; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return opened.has_value(); }, 5000));
    EXPECT_EQ(*opened, HidError{ENOENT});
}

}  // namespace
}  // namespace orbel::platform
