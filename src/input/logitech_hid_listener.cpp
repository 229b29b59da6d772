#include "input/logitech_hid_listener.h"

#include <algorithm>

#include "platform/log.h"
#include "platform/main_queue.h"

namespace orbel::input {

using hidpp::hex;
using platform::HidDeviceEvent;

LogitechHidListener::LogitechHidListener() = default;

LogitechHidListener::~LogitechHidListener() = default;

LogitechHidListener& LogitechHidListener::makeShared() {
    return platform::processLifetimeInstance<LogitechHidListener>();
}

void LogitechHidListener::log(const std::string& message) const {
    platform::Log::write(platform::LogCategory::hidpp, "[orbel-hidpp] " + message);
}

template <class F>
auto LogitechHidListener::guarded(F f) {
    return [alive = std::weak_ptr<char>(alive_), f = std::move(f)](auto&&... args) mutable {
        if (!alive.expired()) f(std::forward<decltype(args)>(args)...);
    };
}

template <class F>
auto LogitechHidListener::onState(const StatePtr& state, F f) {
    return guarded([weak = std::weak_ptr<DeviceState>(state), f = std::move(f)](auto&&... args) mutable {
        if (auto s = weak.lock()) f(s, std::forward<decltype(args)>(args)...);
    });
}

void LogitechHidListener::start() {
    if (running_) return;
    running_ = true;
    log("starting — vendor 0x046d, feature 0x1B04");
    watch_ = platform::HidManager::shared().watch(
        kVendorId, guarded([this](const HidDeviceEvent& event) { handleEvent(event); }),
        guarded([this](const platform::HidError& error) { log("device stream ended: " + error.description()); }));
}

void LogitechHidListener::handleEvent(const HidDeviceEvent& event) {
    if (event.kind == HidDeviceEvent::Kind::matching) {
        if (event.error) {
            log("device match error: " + event.error->description());
            return;
        }
        auto state = std::make_shared<DeviceState>();
        state->productId = event.device->productIdentifier();
        state->hid = event.device;
        waiting_.push_back(state);
        if (!current_) attachNext();
        return;
    }
    // A removed device is forgotten; its held controls stay recorded under
    // its product ID, so the first notification after a re-plug releases
    // whatever was held when it left.
    const auto gone = [&](const StatePtr& state) { return state->hid == event.device; };
    for (const StatePtr& state : devices_) {
        if (gone(state)) state->detached = true;
    }
    std::erase_if(devices_, gone);
    std::erase_if(waiting_, gone);
    if (current_ && gone(current_)) current_->detached = true;  // its set-up ends at the next answer
}

void LogitechHidListener::attachNext() {
    if (waiting_.empty()) return;
    current_ = waiting_.front();
    waiting_.pop_front();
    current_->settingUp = true;
    attach(current_);
}

void LogitechHidListener::finishAttach(const StatePtr& state) {
    if (state->settingUp) {
        state->settingUp = false;
        if (auto group = state->stop.lock()) release(group);
    }
    if (state != current_) return;
    current_.reset();
    attachNext();
}

void LogitechHidListener::attach(const StatePtr& state) {
    log("matched Logitech device pid=0x" + hex(state->productId) + " name=\"" + state->hid->productName() + "\"");
    HidppDevice::open(state->hid, onState(state, [this](const StatePtr& state, HidppResult<std::shared_ptr<HidppDevice>> opened) {
        if (!opened.ok()) {
            log("could not initialise HIDPPDevice for pid=0x" + hex(state->productId) + ": " + describe(opened.failure()) +
                " — likely Logi Options+ holds the device. Standard HID path will still work for buttons that "
                "aren't hijacked.");
            return finishAttach(state);
        }
        state->device = opened.value();
        if (state->detached) return finishAttach(state);
        devices_.push_back(state);
        configure(state);
    }));
}

void LogitechHidListener::configure(const StatePtr& state) {
    state->device->feature(kReprogControlsFeature, onState(state, [this](const StatePtr& state, HidppResult<HidppDevice::Feature> feature) {
        if (state->detached) return finishAttach(state);
        if (!feature.ok()) return configureFailed(state, feature.failure());
        const std::uint8_t index = feature.value().index;
        const std::uint16_t productId = state->productId;
        log("pid=0x" + hex(productId) + " feature 0x1B04 at index " + std::to_string(index) + " v" +
            std::to_string(feature.value().version));
        state->reprogIndex = index;
        state->device->setNotificationHandler(guarded(
            [this, index, productId](std::uint8_t featureIndex, std::uint8_t functionIndex, const HidBytes& data) {
                if (featureIndex == index && functionIndex == 0) handleNotification(productId, data);
            }));
        state->device->request(index, 0, {}, onState(state, [this](const StatePtr& state, HidppResult<HidBytes> answer) {
            if (state->detached) return finishAttach(state);
            if (!answer.ok()) return configureFailed(state, answer.failure());
            if (answer.value().empty()) return finishAttach(state);
            const unsigned count = answer.value()[0];
            log("pid=0x" + hex(state->productId) + " controlCount=" + std::to_string(count));
            setUpControl(state, 0, count);
        }));
    }));
}

void LogitechHidListener::configureFailed(const StatePtr& state, const HidppFailure& failure) {
    log("configure failed for pid=0x" + hex(state->productId) + ": " + describe(failure));
    finishAttach(state);
}

void LogitechHidListener::setUpControl(const StatePtr& state, unsigned index, unsigned count) {
    if (index >= count || state->detached) return finishAttach(state);
    const std::uint8_t feature = state->reprogIndex;
    state->device->request(feature, 1, {static_cast<std::uint8_t>(index)},
                           onState(state, [this, feature, index, count](const StatePtr& state, HidppResult<HidBytes> info) {
        if (state->detached) return finishAttach(state);
        if (!info.ok()) return controlFailed(state, index, count, info.failure());
        const HidBytes& bytes = info.value();
        const auto cid = static_cast<std::uint16_t>(bytes.size() < 5 ? 0 : bytes[0] << 8 | bytes[1]);
        const bool divertable = bytes.size() >= 5 && (bytes[4] & 0x20);
        if (!divertable || cid == kLeftButton || cid == kRightButton) return setUpControl(state, index + 1, count);
        state->device->request(feature, 3, {bytes[0], bytes[1], kDivert, 0x00, 0x00},
                               onState(state, [this, cid, index, count](const StatePtr& state, HidppResult<HidBytes> set) {
            if (!set.ok()) {
                // Without an answer the device may have diverted it all the same.
                if (set.errorKind() != HidppError::Kind::errorInputRequest) uncertain(state, cid);
                return controlFailed(state, index, count, set.failure());
            }
            diverted(state, cid);
            setUpControl(state, index + 1, count);
        }));
    }));
}

void LogitechHidListener::controlFailed(const StatePtr& state, unsigned index, unsigned count,
                                        const HidppFailure& failure) {
    log("control[" + std::to_string(index) + "] setup failed: " + describe(failure) + " — skipping");
    setUpControl(state, index + 1, count);
}

void LogitechHidListener::diverted(const StatePtr& state, std::uint16_t cid) {
    state->diverted.push_back(cid);
    log("pid=0x" + hex(state->productId) + " diverted cid=0x" + hex(cid));
    // Stopped while the request was under way: give the control back at once.
    undivert(state, cid);
}

void LogitechHidListener::uncertain(const StatePtr& state, std::uint16_t cid) {
    state->uncertain.push_back(cid);
    undivert(state, cid);
}

void LogitechHidListener::undivert(const StatePtr& state, std::uint16_t cid) {
    auto group = state->stop.lock();
    if (!group) return;  // not stopping
    ++group->outstanding;
    state->toUndo.push_back(cid);
    undoNext(state);
}

void LogitechHidListener::undoNext(const StatePtr& state) {
    if (state->stop.expired()) return;
    while (state->undoing < kUndoWindow && !state->toUndo.empty()) {
        const std::uint16_t cid = state->toUndo.front();
        state->toUndo.pop_front();
        ++state->undoing;
        sendUndo(state, cid, 0);
    }
}

void LogitechHidListener::sendUndo(const StatePtr& state, std::uint16_t cid, int attempt) {
    state->device->request(state->reprogIndex, 3,
                           {static_cast<std::uint8_t>(cid >> 8), static_cast<std::uint8_t>(cid & 0xFF), kUndivert, 0x00, 0x00},
                           guarded([this, weak = std::weak_ptr<DeviceState>(state), cid, attempt](const HidppResult<HidBytes>& answer) {
                               auto state = weak.lock();
                               if (!state) return;
                               // The next identifier was still taken (a late answer): the one after it.
                               if (answer.errorKind() == HidppError::Kind::duplicatedRequestIdentifier && attempt < 8)
                                   return sendUndo(state, cid, attempt + 1);
                               --state->undoing;
                               auto group = state->stop.lock();
                               undoNext(state);
                               if (group) release(group);
                           }));
}

void LogitechHidListener::release(const std::shared_ptr<StopGroup>& group) {
    if (--group->outstanding > 0) return;
    auto done = std::move(group->done);
    std::erase(stops_, group);
    if (done) platform::MainQueue::shared().post(std::move(done));
}

void LogitechHidListener::stop(std::function<void()> done) {
    if (!running_) {
        if (done) platform::MainQueue::shared().post(std::move(done));
        return;
    }
    running_ = false;
    watch_.reset();
    waiting_.clear();
    auto group = std::make_shared<StopGroup>();
    group->done = std::move(done);
    group->states = devices_;
    if (current_ && std::find(devices_.begin(), devices_.end(), current_) == devices_.end())
        group->states.push_back(current_);
    stops_.push_back(group);
    for (const StatePtr& state : group->states) {
        state->detached = true;
        state->stop = group;
        if (state->settingUp) ++group->outstanding;  // released when its set-up ends
        if (!state->device) continue;
        state->device->setNotificationHandler(nullptr);
        for (std::uint16_t cid : state->diverted) undivert(state, cid);
        for (std::uint16_t cid : state->uncertain) undivert(state, cid);
    }
    devices_.clear();
    pressed_.clear();
    current_.reset();
    release(group);
}

void LogitechHidListener::handleNotification(std::uint16_t productId, const HidBytes& data) {
    std::set<std::uint16_t> now;
    for (std::size_t offset = 0; offset + 1 < data.size(); offset += 2) {
        const auto cid = static_cast<std::uint16_t>(data[offset] << 8 | data[offset + 1]);
        if (cid != 0) now.insert(cid);
    }
    std::set<std::uint16_t> before = std::exchange(pressed_[productId], now);
    emitButtonEvents(productId, before, now);
}

void LogitechHidListener::emitButtonEvents(std::uint16_t productId, const std::set<std::uint16_t>& before,
                                           const std::set<std::uint16_t>& now) {
    const std::string pid = hex(productId);
    for (std::uint16_t cid : now) {
        if (before.count(cid)) continue;
        log("press pid=0x" + pid + " cid=0x" + hex(cid));
        if (onButtonDown) onButtonDown(productId, cid);
    }
    for (std::uint16_t cid : before) {
        if (now.count(cid)) continue;
        log("release pid=0x" + pid + " cid=0x" + hex(cid));
        if (onButtonUp) onButtonUp(productId, cid);
    }
}

}  // namespace orbel::input
