#include "input/hotkey_manager.h"

#include <QPointer>
#include <utility>

#include "platform/log.h"
#include "platform/main_queue.h"
#include "platform/shared_instance.h"
#include "slots/alert_utility.h"
#include "slots/signpost_log.h"

namespace orbel {
namespace {

using Event = platform::GlobalHotkeys::Event;

constexpr std::uint32_t kAlternativeModifiers[] = {0xA00, 0x100, 0x900, 0x1800, 0x300};
constexpr std::uint16_t kAlternativeKeyCodes[] = {49, 36, 48, 50, 122, 120, 99};
constexpr std::size_t kMaxAlternatives = 5;

// Refusals nobody is shown: the hold and music hot keys, and the fallback.
void logRefused(const char* what, const KeyCombination& combination) {
    platform::Log::write(platform::LogCategory::input,
                         std::string("[orbel-input] ") + what + " " + combination.displayString() +
                             " could not be registered (another application holds it, or the keyboard lacks the key)");
}

bool sameHidpp(const std::optional<HoldBinding>& armed, std::uint16_t productID, std::uint16_t cid) {
    const auto* hid = armed ? armed->asHidppButton() : nullptr;
    return hid && hid->productID == productID && hid->cid == cid;
}

}  // namespace

HotkeyManager& HotkeyManager::makeShared() { return platform::processLifetimeInstance<HotkeyManager>(); }

HotkeyManager::HotkeyManager(platform::GlobalHotkeys& hotkeys, platform::InputMonitor& monitor)
    : hotkeys_(hotkeys), holdEventTap_(monitor) {
    QPointer<HotkeyManager> self(this);
    hotkeys_.setHandler([self](HotkeyId id, Event event) {
        if (self) self->handleHotkeyEvent(id, event);
    });
}

HotkeyManager::~HotkeyManager() {
    unregisterTap();
    unregisterHold();
    registerMusicHotkey(std::nullopt);
    hotkeys_.setHandler({});
    holdEventTap_.stop();
}

// Arming.

void HotkeyManager::apply(const ActivationMode& mode) {
    disarm();
    if (mode.isHold()) {
        armedHoldBinding_ = mode.binding;
        armHold(mode.binding);
    } else {
        armTap(mode.binding);
    }
}

std::optional<KeyCombination> HotkeyManager::applyUnlessTaken(const ActivationMode& mode) {
    // Our own registrations go first, so the probe sees only other clients.
    disarm();
    const auto* key = mode.isTap() ? mode.binding.asKeyCombination() : nullptr;
    if (key && !key->mouseButton && hasConflict(*key)) return *key;
    apply(mode);
    return std::nullopt;
}

void HotkeyManager::disarm() {
    unregisterTap();
    setCurrentHotkey(std::nullopt);
    unregisterHold();
    holdEventTap_.stop();
    armedHoldBinding_.reset();
    armedTapBinding_.reset();
    holdIsPressed_ = false;
}

void HotkeyManager::suspendActivation() {
    suspended_ = true;
    unregisterTap();
    setCurrentHotkey(std::nullopt);
    unregisterHold();
    holdEventTap_.stop();
}

void HotkeyManager::resumeActivation() {
    if (!std::exchange(suspended_, false)) return;
    Q_EMIT activationResumed();
}

void HotkeyManager::armTap(const HoldBinding& binding) {
    if (const auto* combo = binding.asKeyCombination()) {
        registerHotkey(*combo);
        return;
    }
    armedTapBinding_ = binding;
    if (binding.asMouseButton()) {
        QPointer<HotkeyManager> self(this);
        holdEventTap_.onPress = [self] {
            if (!self) return;
            pointsOfInterestLog().event(SignpostName::mouseTapPressed);
            call(self->onHotkeyPressed);
        };
        holdEventTap_.onRelease = nullptr;
        holdEventTap_.start(binding);
    }
}

void HotkeyManager::armHold(const HoldBinding& binding) {
    if (const auto* combo = binding.asKeyCombination()) {
        unregisterHold();
        holdRegistered_ = hotkeys_.registerHotkey(kHoldId, combo->keyCode, combo->modifiers);
        if (!holdRegistered_) logRefused("hold hot key", *combo);
    } else if (binding.asMouseButton()) {
        QPointer<HotkeyManager> self(this);
        holdEventTap_.onPress = [self] {
            if (!self) return;
            self->holdIsPressed_ = true;
            call(self->onHoldOpen);
        };
        holdEventTap_.onRelease = [self] {
            if (!self) return;
            self->holdIsPressed_ = false;
            call(self->onHoldRelease);
        };
        holdEventTap_.start(binding);
    }
    // A HID++ control needs nothing beyond the armed binding.
}

// HID++ buttons.

HidButtonCallback HotkeyManager::hidppHandler(void (HotkeyManager::*handler)(std::uint16_t, std::uint16_t)) {
    QPointer<HotkeyManager> self(this);
    return [self, handler](std::uint16_t productID, std::uint16_t cid) {
        if (self) (self.data()->*handler)(productID, cid);
    };
}

void HotkeyManager::hidppButtonDown(std::uint16_t productID, std::uint16_t cid) {
    if (sameHidpp(armedTapBinding_, productID, cid)) {
        pointsOfInterestLog().event(SignpostName::hidppTapPressed);
        call(onHotkeyPressed);
        return;
    }
    if (sameHidpp(armedHoldBinding_, productID, cid) && !holdIsPressed_) {
        holdIsPressed_ = true;
        call(onHoldOpen);
    }
}

void HotkeyManager::hidppButtonUp(std::uint16_t productID, std::uint16_t cid) {
    if (sameHidpp(armedHoldBinding_, productID, cid) && holdIsPressed_) {
        holdIsPressed_ = false;
        call(onHoldRelease);
    }
}

// Registration.

bool HotkeyManager::registerHotkey(const KeyCombination& combination) {
    if (!hasConflict(combination) && forceRegisterHotkey(combination)) return true;
    reportRegistrationFailure(combination);
    return false;
}

bool HotkeyManager::forceRegisterHotkey(const KeyCombination& combination) {
    unregisterTap();
    setCurrentHotkey(std::nullopt);
    tapRegistered_ = hotkeys_.registerHotkey(kTapId, combination.keyCode, combination.modifiers);
    if (tapRegistered_) setCurrentHotkey(combination);
    return tapRegistered_;
}

bool HotkeyManager::registerMusicHotkey(const std::optional<KeyCombination>& combination) {
    if (musicRegistered_) hotkeys_.unregisterHotkey(kMusicId);
    musicRegistered_ = false;
    if (!combination) return true;
    musicRegistered_ = hotkeys_.registerHotkey(kMusicId, combination->keyCode, combination->modifiers);
    if (!musicRegistered_) logRefused("music hot key", *combination);
    return musicRegistered_;
}

void HotkeyManager::unregisterTap() {
    if (tapRegistered_) hotkeys_.unregisterHotkey(kTapId);
    tapRegistered_ = false;
}

void HotkeyManager::unregisterHold() {
    if (holdRegistered_) hotkeys_.unregisterHotkey(kHoldId);
    holdRegistered_ = false;
}

void HotkeyManager::setCurrentHotkey(std::optional<KeyCombination> combination) {
    if (currentHotkey_ == combination) return;
    currentHotkey_ = std::move(combination);
    Q_EMIT currentHotkeyChanged();
}

// Conflicts.

bool HotkeyManager::hasConflict(const KeyCombination& combination) {
    if (currentHotkey_ && *currentHotkey_ == combination) return false;
    const bool free = hotkeys_.registerHotkey(kProbeId, combination.keyCode, combination.modifiers);
    if (free) hotkeys_.unregisterHotkey(kProbeId);
    return !free;
}

std::optional<KeyCombination> HotkeyManager::armInstead(const KeyCombination& taken,
                                                        const std::optional<KeyCombination>& named) {
    if (currentHotkey_ || armedTapBinding_ || armedHoldBinding_ || suspended_ || conflictAlertsUp_ > 0)
        return std::nullopt;
    std::optional<KeyCombination> armed;
    if (taken != fallbackHotkey() && forceRegisterHotkey(fallbackHotkey())) {
        armed = fallbackHotkey();
    } else {
        for (const KeyCombination& candidate : suggestAlternatives(taken)) {
            if (!forceRegisterHotkey(candidate)) continue;
            armed = candidate;
            break;
        }
    }
    if (!armed) {
        logRefused("fallback hot key", fallbackHotkey());
        return std::nullopt;
    }
    if (*armed == fallbackHotkey()) return armed;
    const std::string what = taken == fallbackHotkey()
                                 ? taken.displayString() + " is taken"
                                 : taken.displayString() + " and " + fallbackHotkey().displayString() + " are taken";
    platform::Log::write(platform::LogCategory::input,
                         "[orbel-input] " + what + "; " + armed->displayString() + " opens the dial instead");
    // Where Option+Space is the window manager's, the user learns which key it is.
    if (named) toldAlternative_ = named;
    if (toldAlternative_ != armed) {
        toldAlternative_ = armed;
        AlertUtility::showNotice(AlertUtility::hotkeyConflictTitle(), AlertUtility::alternativeText(taken, *armed));
    }
    return armed;
}

std::optional<KeyCombination> HotkeyManager::armedOnCancel(const KeyCombination& taken) {
    if (currentHotkey_ || armedTapBinding_ || armedHoldBinding_) return std::nullopt;
    if (taken != fallbackHotkey() && !hasConflict(fallbackHotkey())) return std::nullopt;
    const std::vector<KeyCombination> free = suggestAlternatives(taken);
    if (free.empty()) return std::nullopt;
    return free.front();
}

void HotkeyManager::reportRegistrationFailure(const KeyCombination& combination) {
    later([combination](HotkeyManager& self) {
        const std::vector<KeyCombination> free = self.suggestAlternatives(combination);
        const std::optional<KeyCombination> onCancel = self.armedOnCancel(combination);
        QPointer<HotkeyManager> weak(&self);
        ++self.conflictAlertsUp_;
        AlertUtility::showHotkeyConflict(
            combination,
            [weak, combination, onCancel](bool chosen) {
                if (!weak) return;
                --weak->conflictAlertsUp_;
                if (chosen)
                    Q_EMIT weak->rebindRequested(combination);
                else
                    weak->armInstead(combination, onCancel);
            },
            free, onCancel);
    });
}

std::vector<KeyCombination> HotkeyManager::suggestAlternatives(const KeyCombination& combination) {
    std::vector<KeyCombination> result;
    auto consider = [&](KeyCombination candidate) {
        if (!hasConflict(candidate) && candidate != combination) result.push_back(candidate);
    };
    for (std::uint32_t mask : kAlternativeModifiers) consider({combination.keyCode, mask, std::nullopt});
    for (std::uint16_t code : kAlternativeKeyCodes) consider({code, combination.modifiers, std::nullopt});
    if (result.size() > kMaxAlternatives) result.resize(kMaxAlternatives);
    return result;
}

// Events.

bool HotkeyManager::handleHotkeyEvent(HotkeyId id, Event event) {
    if (id == kTapId) {
        if (event == Event::pressed) {
            pointsOfInterestLog().event(SignpostName::carbonHotkeyPressed);
            later([](HotkeyManager& self) { call(self.onHotkeyPressed); });
        }
        return true;
    }
    if (id == kHoldId) {
        const bool pressed = event == Event::pressed;
        pointsOfInterestLog().event(pressed ? SignpostName::carbonHoldHotkeyPressed
                                            : SignpostName::carbonHoldHotkeyReleased);
        later([pressed](HotkeyManager& self) {
            self.holdIsPressed_ = pressed;
            call(pressed ? self.onHoldOpen : self.onHoldRelease);
        });
        return true;
    }
    if (id == kMusicId) {
        if (event == Event::pressed) later([](HotkeyManager& self) { call(self.onMusicHotkeyPressed); });
        return true;
    }
    return false;
}

void HotkeyManager::later(std::function<void(HotkeyManager&)> work) {
    QPointer<HotkeyManager> self(this);
    platform::MainQueue::shared().post([self, work = std::move(work)] {
        if (self) work(*self);
    });
}

}  // namespace orbel
