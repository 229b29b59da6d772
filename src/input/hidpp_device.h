#pragma once

// One HID device spoken to in HID++ 2.0: owns the device, turns a call
// (feature index, function, parameters) into a long report, matches the
// answer by its software identifier and hands every notification (a frame
// that answers nothing, such as a diverted button) to the notification
// handler. It also resolves feature identifiers through the root feature and
// keeps what it learnt.
//
// GUI thread only; completions and the handler run there. A completion runs
// exactly once, unless the device is destroyed first (then it never runs):
// later for anything that reached the device, at once (inside the call) for
// a refused request or a cached feature.

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>

#include "input/hidpp_frame.h"
#include "platform/hid_device.h"
#include "platform/timers.h"

namespace orbel::input {

class HidppDevice : public std::enable_shared_from_this<HidppDevice> {
public:
    struct Feature {
        std::uint8_t index = 0;    // 0: the device does not have the feature
        std::uint8_t version = 0;
        bool operator==(const Feature&) const = default;
    };
    template <class T>
    using Completion = std::function<void(HidppResult<T> result)>;
    using NotificationHandler =
        std::function<void(std::uint8_t featureIndex, std::uint8_t functionIndex, const HidBytes& data)>;

    // How long an answer may take, counted from the completed send.
    static constexpr std::chrono::milliseconds kTimeout{2000};

    // Installs the input handler on `device` and opens it; `done` gets the
    // new HID++ device or the open failure.
    static void open(std::shared_ptr<platform::HidDevice> device,
                     std::function<void(HidppResult<std::shared_ptr<HidppDevice>>)> done);
    ~HidppDevice();
    HidppDevice(const HidppDevice&) = delete;
    HidppDevice& operator=(const HidppDevice&) = delete;

    std::uint16_t productIdentifier() const { return device_->productIdentifier(); }
    std::string productName() const { return device_->productName(); }

    // Replaces the handler of notification frames.
    void setNotificationHandler(NotificationHandler handler) { notificationHandler_ = std::move(handler); }

    // Requests: one long report to device index 0xFF under the next of the
    // identifiers 1, 2, ... 7, 0, 1, ...; the completion gets the answer's
    // parameters or the failure. Each request's time-out is its own: a late
    // timer never fails a newer request under the same identifier. More than
    // 16 parameter bytes are refused before anything is sent.
    void request(std::uint8_t featureIndex, std::uint8_t functionIndex, HidBytes parameters,
                 Completion<HidBytes> done);

    // Root-feature lookup of a feature identifier, answered from the cache
    // after the first success (also when the index is 0).
    void feature(std::uint16_t featureId, Completion<Feature> done);

private:
    struct Pending {
        hidpp::Request request;
        Completion<HidBytes> done;
        platform::Timers::Id timer = 0;
    };

    explicit HidppDevice(std::shared_ptr<platform::HidDevice> device);
    void handleInputReport(int reportId, const HidBytes& data, const std::optional<platform::HidError>& error);
    void dispatch(const hidpp::Response& response);
    void sent(const std::shared_ptr<Pending>& pending, const std::optional<platform::HidError>& error);
    void timedOut(const std::shared_ptr<Pending>& pending);
    // Removes `pending` if it is still waiting and hands it the result.
    void finish(const std::shared_ptr<Pending>& pending, HidppResult<HidBytes> result);

    std::shared_ptr<platform::HidDevice> device_;
    platform::Timers& timers_;  // the shared timers when the device was made
    std::uint8_t lastRequestIdentifier_ = 0;
    std::map<std::uint8_t, std::shared_ptr<Pending>> pending_;
    NotificationHandler notificationHandler_;
    std::map<std::uint16_t, Feature> features_;
};

}  // namespace orbel::input
