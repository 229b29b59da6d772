#include "input/hid_button_events.h"

#include <utility>
#include <vector>

namespace orbel {

struct HidButtonEvents::Observation::Observers {
    std::map<int, Callback> callbacks;
    int last = 0;
};

HidButtonEvents::Observation::Observation(Observation&& other) noexcept
    : owner_(std::move(other.owner_)), id_(std::exchange(other.id_, 0)) {}

HidButtonEvents::Observation& HidButtonEvents::Observation::operator=(Observation&& other) noexcept {
    if (this != &other) {
        reset();
        owner_ = std::move(other.owner_);
        id_ = std::exchange(other.id_, 0);
    }
    return *this;
}

void HidButtonEvents::Observation::reset() {
    if (auto owner = owner_.lock()) owner->callbacks.erase(id_);
    owner_.reset();
    id_ = 0;
}

HidButtonEvents::HidButtonEvents() : observers_(std::make_shared<Observation::Observers>()) {}

HidButtonEvents::Observation HidButtonEvents::observeButtonDown(Callback observer) {
    Observation observation;
    observation.id_ = ++observers_->last;
    observation.owner_ = observers_;
    observers_->callbacks.emplace(observation.id_, std::move(observer));
    return observation;
}

void HidButtonEvents::buttonDown(std::uint16_t productID, std::uint16_t cid) {
    if (auto callback = onButtonDown) callback(productID, cid);
    // An observer may end itself or another one: walk the ids of this moment.
    auto observers = observers_;
    std::vector<int> ids;
    for (const auto& [id, _] : observers->callbacks) ids.push_back(id);
    for (int id : ids) {
        auto it = observers->callbacks.find(id);
        if (it == observers->callbacks.end()) continue;
        Callback callback = it->second;
        callback(productID, cid);
    }
}

void HidButtonEvents::buttonUp(std::uint16_t productID, std::uint16_t cid) {
    if (auto callback = onButtonUp) callback(productID, cid);
}

}  // namespace orbel
