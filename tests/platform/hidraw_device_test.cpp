// The hidraw device's thread, reads, writes and hand-over to the GUI thread,
// on a pseudo-terminal standing in for a node (no HID device here).
#include "platform/linux/hidraw_device.h"

#include <QTest>
#include <fcntl.h>
#include <gtest/gtest.h>
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

TEST(HidrawDevice, OpeningAMissingNodeFails) {
    auto device = linux_hid::makeHidrawDevice("/dev/hidraw-missing", 0, "");
    std::optional<std::optional<HidError>> opened;
    device->open([&](std::optional<HidError> error) { opened = error; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return opened.has_value(); }, 5000));
    EXPECT_EQ(*opened, HidError{ENOENT});
}

}  // namespace
}  // namespace orbel::platform
