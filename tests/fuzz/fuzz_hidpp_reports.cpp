// Feeds arbitrary input reports to HID++ devices: one set up by the Logitech
// listener (feature lookup, control table, diversion, notifications) and one
// running every feature reader at once. The input is a list of steps:
//   op & 3 == 0: answer the last report sent, echoing its header, payload from the input
//   op & 3 == 1: deliver raw bytes under report ID 0x11 or another ID
//   op & 3 == 2: let time pass (up to ~4 s), firing time-outs
//   op & 3 == 3: a notification from the listener's device
// Nothing may crash, hang or read out of bounds.
#include <cstddef>
#include <cstdint>

#include "fakes/fake_hid.h"
#include "fakes/fake_platform_basics.h"
#include "fakes/fake_timers.h"
#include "input/hidpp_features.h"
#include "input/logitech_hid_listener.h"
#include "platform/log.h"

namespace {

using namespace orbel;
using platform::HidBytes;

struct Input {
    const std::uint8_t* data;
    std::size_t size;
    std::uint8_t byte() {
        if (!size) return 0;
        --size;
        return *data++;
    }
    HidBytes bytes(std::size_t count) {
        count = std::min(count, size);
        HidBytes out(data, data + count);
        data += count;
        size -= count;
        return out;
    }
};

void answerLast(fakes::FakeHidDevice& hid, const HidBytes& payload) {
    if (hid.sent.empty()) return;
    const HidBytes& request = hid.sent.back().data;
    HidBytes frame(request.begin(), request.begin() + std::min<std::size_t>(3, request.size()));
    frame.insert(frame.end(), payload.begin(), payload.end());
    hid.deliver(0x11, frame);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    platform::Log::setSink([](platform::LogCategory, const std::string&) {});
    fakes::FakeTimers timers;
    fakes::FakeMainQueue queue;
    fakes::FakeHidManager manager;
    platform::Timers::setShared(&timers);
    platform::MainQueue::setShared(&queue);
    platform::HidManager::setShared(&manager);
    {
        auto mouse = std::make_shared<fakes::FakeHidDevice>(timers);
        auto other = std::make_shared<fakes::FakeHidDevice>(timers, 0xC08B);
        input::LogitechHidListener listener;
        listener.onButtonDown = [](std::uint16_t, std::uint16_t) {};
        listener.start();
        manager.plug(mouse);

        std::shared_ptr<input::HidppDevice> device;
        input::HidppDevice::open(other, [&](input::HidppResult<std::shared_ptr<input::HidppDevice>> r) {
            if (r.ok()) device = r.value();
        });
        timers.runDue();
        if (device) {
            namespace hidpp = input::hidpp;
            hidpp::friendlyName(device, [](auto) {});
            hidpp::sensorDpiList(device, 0, [](auto) {});
            hidpp::battery(device, [](auto) {});
            hidpp::serialNumber(device, [](auto) {});
            hidpp::setSensorDpi(device, 800, 1, [](auto) {});
        }

        Input in{data, size};
        while (in.size) {
            const std::uint8_t op = in.byte();
            fakes::FakeHidDevice& target = (op & 0x80) ? *other : *mouse;
            switch (op & 3) {
            case 0: answerLast(target, in.bytes(in.byte() % 24)); break;
            case 1: target.deliver((op & 0x40) ? 0x11 : op, in.bytes(in.byte() % 24)); break;
            case 2: timers.advance(std::chrono::milliseconds(in.byte() * 16)); break;
            case 3: {
                HidBytes frame{0xFF, in.byte(), static_cast<std::uint8_t>(in.byte() & 0xF7)};
                const HidBytes rest = in.bytes(16);
                frame.insert(frame.end(), rest.begin(), rest.end());
                mouse->deliver(0x11, frame);
                break;
            }
            }
            timers.runDue();
        }
        listener.stop();
        timers.advance(std::chrono::seconds(5));
        queue.runAll();
    }
    platform::HidManager::setShared(nullptr);
    platform::MainQueue::setShared(nullptr);
    platform::Timers::setShared(nullptr);
    return 0;
}
