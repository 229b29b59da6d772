#pragma once

// Finding HID devices of one vendor and following their arrival and removal.

#include <functional>
#include <memory>
#include <optional>

#include "platform/hid_device.h"
#include "platform/shared_instance.h"

namespace orbel::platform {

struct HidDeviceEvent {
    enum class Kind { matching, removal };
    Kind kind = Kind::matching;
    std::shared_ptr<HidDevice> device;
    std::optional<HidError> error;  // the system reported trouble with this event
};

// A running watch; destroying it stops the watch, forgets its devices and
// guarantees that none of its handlers runs afterwards.
class HidWatch {
public:
    virtual ~HidWatch() = default;
};

// GUI thread only; handlers run there, in the order of the events. Nothing
// here waits on a device or a scan: the search runs off the GUI thread.
class HidManager : public Shared<HidManager> {
public:
    using EventHandler = std::function<void(const HidDeviceEvent& event)>;
    using EndHandler = std::function<void(const HidError& error)>;

    virtual ~HidManager() = default;

    // Every device of `vendorId` present now arrives as a matching event,
    // then each later arrival and removal. A device is reported once per
    // arrival; a removal names the same object as its matching event.
    // `onEnd` runs once if the watch cannot start or breaks; no event
    // follows it.
    virtual std::unique_ptr<HidWatch> watch(std::uint16_t vendorId, EventHandler onEvent, EndHandler onEnd) = 0;

private:
    friend Shared<HidManager>;
    static HidManager& makeShared();
};

}  // namespace orbel::platform
