#pragma once

// Turns the buttons of Logitech mice into button-down and button-up events
// with the device's product ID and the HID++ control ID (CID), without any
// Logitech software. It watches every HID device of vendor 0x046D, opens each
// as a HID++ 2.0 device, finds its reprogrammable-controls feature (0x1B04)
// and diverts every divertable control except the left and right buttons, so
// that the device reports them as HID++ notifications listing the controls
// held down. Each notification is compared with the previous one of the same
// product: newly held controls go down, no longer held ones go up.
//
// Diversion is temporary (the device forgets it when it resets) and is
// undone by an orderly stop; a device that comes back is diverted again.
// Every step is logged as an "[orbel-hidpp] " line; nothing is shown to the
// user. GUI thread only; the callbacks run there.

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "input/hid_button_hook.h"
#include "input/hidpp_device.h"
#include "platform/hid_manager.h"
#include "platform/shared_instance.h"
#include "platform/timers.h"

namespace orbel::input {

class LogitechHidListener : public platform::Shared<LogitechHidListener> {
public:
    // (product ID, CID); the hot key manager and the binding recorder hook in here.
    using ButtonHandler = HidButtonCallback;

    static constexpr std::uint16_t kVendorId = 0x046D;
    static constexpr std::uint16_t kReprogControlsFeature = 0x1B04;
    // Set-reporting flag bytes: divert with its valid bit; valid bit alone
    // switches diversion off. Persistent diversion is never touched.
    static constexpr std::uint8_t kDivert = 0x03;
    static constexpr std::uint8_t kUndivert = 0x02;
    static constexpr int kUndoWindow = 4;
    // Never diverted, so that the mouse keeps clicking whatever happens here.
    static constexpr std::uint16_t kLeftButton = 0x50;
    static constexpr std::uint16_t kRightButton = 0x51;

    // Called for every control that goes down or up. Owners may wrap a
    // handler already set and call it first.
    ButtonHandler onButtonDown;
    ButtonHandler onButtonUp;

    LogitechHidListener();
    ~LogitechHidListener();
    LogitechHidListener(const LogitechHidListener&) = delete;
    LogitechHidListener& operator=(const LogitechHidListener&) = delete;

    // Starting and stopping. `start` while running does nothing; it logs the
    // start and watches for devices (those
    // present now first), setting them up one after another. `stop` stops
    // watching, sends every diverted control back to the device's own
    // handling and calls `done` (queued on the GUI thread) once every one of
    // those requests has finished, answered or not. At most kUndoWindow of
    // a device's undo requests are under way at once: HID++ has only eight
    // request identifiers, and keyboards have more controls than that.
    void start();
    void stop(std::function<void()> done = {});
    bool isRunning() const { return running_; }

private:
    friend Shared<LogitechHidListener>;
    static LogitechHidListener& makeShared();

    struct StopGroup;
    struct DeviceState {
        std::uint16_t productId = 0;
        std::shared_ptr<platform::HidDevice> hid;
        std::shared_ptr<HidppDevice> device;
        std::uint8_t reprogIndex = 0;
        std::vector<std::uint16_t> diverted;
        std::vector<std::uint16_t> uncertain;  // diversion asked for, never answered
        bool settingUp = false;                // its set-up is under way
        bool detached = false;                 // removed or stopped: set-up ends, diversions are undone
        std::weak_ptr<StopGroup> stop;         // set by stop()
        std::deque<std::uint16_t> toUndo;      // undo requests waiting for room
        int undoing = 0;                       // undo requests under way
    };
    using StatePtr = std::shared_ptr<DeviceState>;
    // The devices of one stop, kept until every undo request and the set-up
    // under way have finished.
    struct StopGroup {
        std::function<void()> done;
        std::vector<StatePtr> states;
        int outstanding = 1;  // the stop call itself
    };

    void log(const std::string& message) const;
    // Wraps a callback so that it does nothing once this listener is gone.
    template <class F>
    auto guarded(F f);
    // Wraps a callback of a device's set-up: it runs with the state while
    // both the listener and the state exist. Device callbacks never own a state.
    template <class F>
    auto onState(const StatePtr& state, F f);

    void handleEvent(const platform::HidDeviceEvent& event);
    void attachNext();
    void attach(const StatePtr& state);
    void configure(const StatePtr& state);
    void configureFailed(const StatePtr& state, const HidppFailure& failure);
    void setUpControl(const StatePtr& state, unsigned index, unsigned count);
    void controlFailed(const StatePtr& state, unsigned index, unsigned count, const HidppFailure& failure);
    void diverted(const StatePtr& state, std::uint16_t cid);
    // Ends the set-up of `state` (if it is the one under way) and takes the
    // next waiting device.
    void finishAttach(const StatePtr& state);
    void uncertain(const StatePtr& state, std::uint16_t cid);
    void undivert(const StatePtr& state, std::uint16_t cid);
    void undoNext(const StatePtr& state);
    void sendUndo(const StatePtr& state, std::uint16_t cid, int attempt);
    void release(const std::shared_ptr<StopGroup>& group);
    void handleNotification(std::uint16_t productId, const HidBytes& data);
    void emitButtonEvents(std::uint16_t productId, const std::set<std::uint16_t>& before,
                          const std::set<std::uint16_t>& now);

    std::shared_ptr<char> alive_ = std::make_shared<char>();
    bool running_ = false;
    std::unique_ptr<platform::HidWatch> watch_;
    std::deque<StatePtr> waiting_;                               // matched, not yet set up
    StatePtr current_;                                           // being set up
    std::vector<StatePtr> devices_;                              // set up or being set up, present
    std::map<std::uint16_t, std::set<std::uint16_t>> pressed_;   // held controls by product ID
    std::vector<std::shared_ptr<StopGroup>> stops_;              // stops still undoing
};

}  // namespace orbel::input
