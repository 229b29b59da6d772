#pragma once

// HID devices for tests: a device that records what is sent and delivers
// what the test says, a manager the test plugs devices into, and a simulated
// HID++ 2.0 device (feature table, reprogrammable-controls table, error
// frames, notifications, late or missing answers) answering behind a
// FakeHidDevice. Completions and answers go through the given timers, never
// inside the call, so FakeTimers::runDue() moves everything along.

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "platform/hid_manager.h"
#include "platform/timers.h"

namespace orbel::fakes {

using platform::HidBytes;
using platform::HidError;

class FakeHidDevice : public platform::HidDevice {
public:
    struct Sent {
        platform::HidReportType type;
        int reportId;
        HidBytes data;
    };

    explicit FakeHidDevice(platform::Timers& timers, std::uint16_t product = 0xB023, std::string name = "MX Master 3")
        : timers_(timers), product_(product), name_(std::move(name)) {}

    std::uint16_t productIdentifier() const override { return product_; }
    std::string productName() const override { return name_; }
    void open(Completion done) override {
        later([this, done] {
            if (!openError) isOpen = true;
            done(openError);
        });
    }
    void close() override { isOpen = false; }
    void setInputReportHandler(InputReportHandler handler) override { handler_ = std::move(handler); }
    void sendReport(platform::HidReportType type, int reportId, HidBytes data, Completion done) override {
        sent.push_back(Sent{type, reportId, data});
        if (holdSends) {
            held_.push_back(done);
            return;
        }
        later([this, done, reportId, data] {
            done(sendError);
            if (!sendError && onSent) onSent(reportId, data);
        });
    }

    // Completes the sends held back while `holdSends` was set (no answer follows).
    void completeHeldSends() {
        auto held = std::exchange(held_, {});
        for (auto& done : held) done(sendError);
    }
    // An input report from the device (data without the report-ID byte).
    void deliver(int reportId, const HidBytes& data, std::optional<HidError> error = std::nullopt) {
        if (!isOpen || !handler_) return;
        auto handler = handler_;  // the handler may replace itself
        handler(reportId, data, error);
    }

    std::optional<HidError> openError;
    std::optional<HidError> sendError;
    bool holdSends = false;
    bool isOpen = false;
    std::vector<Sent> sent;
    std::function<void(int reportId, const HidBytes& data)> onSent;  // after a successful send

private:
    template <class F>
    void later(F task, std::chrono::milliseconds delay = std::chrono::milliseconds(0)) {
        timers_.singleShot(delay, [alive = std::weak_ptr<char>(alive_), task]() mutable {
            if (!alive.expired()) task();
        });
    }

    platform::Timers& timers_;
    std::uint16_t product_;
    std::string name_;
    InputReportHandler handler_;
    std::vector<Completion> held_;
    std::shared_ptr<char> alive_ = std::make_shared<char>();
};

class FakeHidManager : public platform::HidManager {
public:
    std::unique_ptr<platform::HidWatch> watch(std::uint16_t vendorId, EventHandler onEvent, EndHandler onEnd) override {
        ++watches;
        vendor = vendorId;
        onEvent_ = std::move(onEvent);
        onEnd_ = std::move(onEnd);
        return std::make_unique<Handle>(this);
    }

    bool watching() const { return static_cast<bool>(onEvent_); }
    void plug(const std::shared_ptr<platform::HidDevice>& device, std::optional<HidError> error = std::nullopt) {
        if (onEvent_) onEvent_({platform::HidDeviceEvent::Kind::matching, device, error});
    }
    void unplug(const std::shared_ptr<platform::HidDevice>& device) {
        if (onEvent_) onEvent_({platform::HidDeviceEvent::Kind::removal, device, std::nullopt});
    }
    void breakWatch(HidError error) {
        if (onEnd_) onEnd_(error);
    }

    int watches = 0;
    std::uint16_t vendor = 0;

private:
    struct Handle : platform::HidWatch {
        explicit Handle(FakeHidManager* m) : manager(m) {}
        ~Handle() override {
            manager->onEvent_ = nullptr;
            manager->onEnd_ = nullptr;
        }
        FakeHidManager* manager;
    };
    EventHandler onEvent_;
    EndHandler onEnd_;
};

// A HID++ 2.0 device answering long reports sent to a FakeHidDevice.
class SimulatedHidppDevice {
public:
    using Key = std::pair<std::uint8_t, std::uint8_t>;  // feature index, function
    struct Control {
        std::uint16_t cid;
        std::uint8_t flags;  // capability byte; 0x20 divertable
    };
    struct Feature {
        std::uint8_t index;
        std::uint8_t version;
    };

    SimulatedHidppDevice(FakeHidDevice& hid, platform::Timers& timers) : hid_(hid), timers_(timers) {
        hid_.onSent = [this](int reportId, const HidBytes& frame) { received(reportId, frame); };
    }
    ~SimulatedHidppDevice() { hid_.onSent = nullptr; }

    // Adds the reprogrammable-controls feature at `index` with these controls.
    void addControls(std::uint8_t index, std::vector<Control> table) {
        features[0x1B04] = {index, 4};
        controls = std::move(table);
    }
    // A notification frame (software identifier 0).
    void notify(std::uint8_t featureIndex, std::uint8_t function, HidBytes parameters) {
        HidBytes frame{0xFF, featureIndex, static_cast<std::uint8_t>(function << 4)};
        parameters.resize(16, 0);
        frame.insert(frame.end(), parameters.begin(), parameters.end());
        hid_.deliver(0x11, frame);
    }

    std::map<std::uint16_t, Feature> features;  // the root feature (index 0) is built in
    std::vector<Control> controls;
    std::map<std::uint16_t, std::uint8_t> reporting;  // CID -> last set-reporting flags
    std::map<Key, std::function<HidBytes(const HidBytes& parameters)>> answers;
    std::map<Key, std::uint8_t> errors;  // answered with an error frame carrying this code
    std::set<Key> silent;                // never answered
    std::chrono::milliseconds delay{0};  // time between a send and its answer
    std::vector<HidBytes> requests;      // every long report received

private:
    void received(int reportId, const HidBytes& frame) {
        if (reportId != 0x11 || frame.size() < 3) return;
        requests.push_back(frame);
        const Key key{frame[1], static_cast<std::uint8_t>(frame[2] >> 4)};
        const HidBytes parameters(frame.begin() + 3, frame.end());
        if (silent.count(key)) return;
        HidBytes answer;
        if (auto error = errors.find(key); error != errors.end()) {
            answer = {frame[0], 0xFF, frame[1], frame[2], error->second};
        } else {
            answer = {frame[0], frame[1], frame[2]};
            HidBytes payload = respond(key, parameters);
            payload.resize(std::max<std::size_t>(payload.size(), 16), 0);
            answer.insert(answer.end(), payload.begin(), payload.end());
        }
        answer.resize(std::max<std::size_t>(answer.size(), 19), 0);
        timers_.singleShot(delay, [alive = std::weak_ptr<char>(alive_), this, answer] {
            if (!alive.expired()) hid_.deliver(0x11, answer);
        });
    }
    HidBytes respond(const Key& key, const HidBytes& p) {
        if (auto custom = answers.find(key); custom != answers.end()) return custom->second(p);
        if (key == Key{0, 0}) {
            auto it = features.find(static_cast<std::uint16_t>(p[0] << 8 | p[1]));
            return it == features.end() ? HidBytes{0, 0, 0} : HidBytes{it->second.index, 0, it->second.version};
        }
        auto reprog = features.find(0x1B04);
        if (reprog != features.end() && key.first == reprog->second.index) {
            if (key.second == 0) return {static_cast<std::uint8_t>(controls.size())};
            if (key.second == 1 && p[0] < controls.size()) {
                const Control& c = controls[p[0]];
                return {static_cast<std::uint8_t>(c.cid >> 8), static_cast<std::uint8_t>(c.cid), 0, 0, c.flags};
            }
            if (key.second == 3) {
                reporting[static_cast<std::uint16_t>(p[0] << 8 | p[1])] = p[2];
                return HidBytes(p.begin(), p.begin() + 5);
            }
        }
        return {};
    }

    FakeHidDevice& hid_;
    platform::Timers& timers_;
    std::shared_ptr<char> alive_ = std::make_shared<char>();
};

}  // namespace orbel::fakes
