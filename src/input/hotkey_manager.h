#pragma once

// The one owner of the program's system-wide activation inputs: the tap hot
// key, the hold hot key, the music hot key, the extra-mouse-button listener
// and the HID++ button events. Whatever the device, the application sees four
// callbacks: tap pressed, hold opened, hold released, music pressed.
//
// Before it registers a tap hot key it probes whether the chord is free; when
// it is not, it shows the conflict alert and then either asks the settings
// window to let the user rebind (`rebindRequested`, which registers
// nothing) or, on Cancel, falls back, without touching the configuration:
// a tap key registered before stays, else Option+Space is armed, or when it
// is taken as well (most window managers hold Alt+Space) the first free
// alternative, which the alert names beforehand. Nothing is armed while
// the alert is up. It also proposes free alternatives for the settings
// window's conflict sheet.
//
// One instance for the application (`shared`); GUI thread only.

#include <QObject>
#include <functional>
#include <optional>
#include <vector>

#include "input/hid_button_hook.h"
#include "input/hold_event_tap.h"
#include "model/activation_mode.h"
#include "model/key_combination.h"
#include "platform/shared_instance.h"
#include "platform/global_hotkeys.h"

namespace orbel {

class HotkeyManager : public QObject, public platform::Shared<HotkeyManager> {
    Q_OBJECT
public:
    using HotkeyId = platform::GlobalHotkeys::Id;
    static constexpr HotkeyId kTapId{platform::fourCharCode("ORBL"), 1};
    static constexpr HotkeyId kHoldId{platform::fourCharCode("ORBL"), 2};
    static constexpr HotkeyId kMusicId{platform::fourCharCode("ORBL"), 3};
    static constexpr HotkeyId kProbeId{platform::fourCharCode("TEMP"), 999};

    // Option+Space: the tap hot key the program falls back to.
    static KeyCombination fallbackHotkey() { return {49, modifier::kOption, std::nullopt}; }

    explicit HotkeyManager(platform::GlobalHotkeys& hotkeys = platform::GlobalHotkeys::shared(),
                           platform::InputMonitor& monitor = platform::InputMonitor::shared());
    ~HotkeyManager() override;

    // Callbacks the application sets right after creation; never called when empty.
    std::function<void()> onHotkeyPressed;
    std::function<void()> onHoldOpen;
    std::function<void()> onHoldRelease;
    std::function<void()> onMusicHotkeyPressed;

    // The tap hot key registered now; none when there is none.
    const std::optional<KeyCombination>& currentHotkey() const { return currentHotkey_; }
    const std::optional<HoldBinding>& armedHoldBinding() const { return armedHoldBinding_; }
    const std::optional<HoldBinding>& armedTapBinding() const { return armedTapBinding_; }
    bool holdIsPressed() const { return holdIsPressed_; }
    const HoldEventTap& holdEventTap() const { return holdEventTap_; }

    // Arming. `apply` drops every activation input and arms the given one
    // (the music hot key is never touched). `applyUnlessTaken` does the same
    // unless the tap key it would register is held by another client: then
    // nothing of the activation stays armed and that key comes back, untold.
    void apply(const ActivationMode& mode);
    std::optional<KeyCombination> applyUnlessTaken(const ActivationMode& mode);
    // While a binding is recorded: `suspendActivation` drops the tap and hold
    // hot keys and the mouse listener (the armed bindings stay, so a HID++
    // binding keeps working) until `resumeActivation`, which leaves arming
    // again to whoever arms the configuration (`activationResumed`).
    void suspendActivation();
    void resumeActivation();
    bool activationSuspended() const { return suspended_; }

    // HID++ buttons: sets the listener's `onButtonDown` and `onButtonUp`
    // fields to call the two handlers below.
    template <class Listener>
    void attachHIDListener(Listener& listener) {
        listener.onButtonDown = hidppHandler(&HotkeyManager::hidppButtonDown);
        listener.onButtonUp = hidppHandler(&HotkeyManager::hidppButtonUp);
    }
    void hidppButtonDown(std::uint16_t productID, std::uint16_t cid);
    void hidppButtonUp(std::uint16_t productID, std::uint16_t cid);

    // Tap hot key. `registerHotkey` probes first and shows the conflict alert
    // when the chord is taken; `forceRegisterHotkey` neither probes nor alerts.
    bool registerHotkey(const KeyCombination& combination);
    bool forceRegisterHotkey(const KeyCombination& combination);
    // The music hot key: registered without probe or alert; none only unregisters.
    bool registerMusicHotkey(const std::optional<KeyCombination>& combination);

    // Conflicts. `hasConflict` is false for the program's own tap hot key.
    // `suggestAlternatives` gives up to five free chords near the given one.
    bool hasConflict(const KeyCombination& combination);
    // `taken` could not be armed and its conflict was dismissed (or the
    // window that was to rebind it closed): unless an activation input is
    // armed, the activation is suspended or the conflict alert is still up,
    // Option+Space is armed instead, else the first free alternative to
    // `taken`; the chord armed comes back, none when nothing was. An
    // alternative is told once by a notice, unless the alert just answered
    // named it (`named`). `armedOnCancel` is the alternative it would arm
    // now, when it would not arm Option+Space: what a conflict alert names.
    std::optional<KeyCombination> armInstead(const KeyCombination& taken,
                                             const std::optional<KeyCombination>& named = std::nullopt);
    std::optional<KeyCombination> armedOnCancel(const KeyCombination& taken);
    // Shows the conflict alert on a later turn; its Cancel runs `armInstead`.
    void reportRegistrationFailure(const KeyCombination& combination);
    // Another conflict alert (the settings window's) came up or went.
    void conflictShown(bool shown) { conflictAlertsUp_ += shown ? 1 : -1; }
    std::vector<KeyCombination> suggestAlternatives(const KeyCombination& combination);

    // One hot-key event; false for an identifier that is none of ours.
    bool handleHotkeyEvent(HotkeyId id, platform::GlobalHotkeys::Event event);

Q_SIGNALS:
    void currentHotkeyChanged();
    void activationResumed();
    // The user chose to pick another hot key in the conflict alert.
    void rebindRequested(const orbel::KeyCombination& conflictingHotkey);

private:
    friend platform::Shared<HotkeyManager>;
    static HotkeyManager& makeShared();

    void disarm();
    void armTap(const HoldBinding& binding);
    void armHold(const HoldBinding& binding);
    void setCurrentHotkey(std::optional<KeyCombination> combination);
    void unregisterTap();
    void unregisterHold();
    void later(std::function<void(HotkeyManager&)> work);
    HidButtonCallback hidppHandler(void (HotkeyManager::*handler)(std::uint16_t, std::uint16_t));
    static void call(const std::function<void()>& callback) {
        if (callback) callback();
    }

    platform::GlobalHotkeys& hotkeys_;
    HoldEventTap holdEventTap_;
    std::optional<KeyCombination> currentHotkey_;
    std::optional<HoldBinding> armedHoldBinding_;
    std::optional<HoldBinding> armedTapBinding_;
    bool holdIsPressed_ = false;
    bool suspended_ = false;
    bool tapRegistered_ = false;
    bool holdRegistered_ = false;
    bool musicRegistered_ = false;
    int conflictAlertsUp_ = 0;
    std::optional<KeyCombination> toldAlternative_;  // the last one a notice or an answered alert named
};

}  // namespace orbel
