#pragma once

// Hot keys in memory: chords other clients hold are refused, and the test
// presses and releases what is registered.

#include <algorithm>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "platform/global_hotkeys.h"

namespace orbel::fakes {

class FakeGlobalHotkeys : public platform::GlobalHotkeys {
public:
    using Chord = std::pair<std::uint16_t, std::uint32_t>;  // key code, Carbon mask

    void setHandler(Handler handler) override { handler_ = std::move(handler); }

    bool registerHotkey(Id id, std::uint16_t keyCode, std::uint32_t modifiers) override {
        unregisterHotkey(id);
        ++registrations;
        const Chord chord{keyCode, modifiers};
        if (refuseAll || takenByOthers.count(chord) || chordHeld(chord)) return false;
        registered.push_back({id, chord});
        return true;
    }
    void unregisterHotkey(Id id) override {
        std::erase_if(registered, [&](const auto& r) { return r.first == id; });
    }

    // The chord registered under `id`, if any.
    std::optional<Chord> chordOf(Id id) const {
        for (const auto& [rid, chord] : registered)
            if (rid == id) return chord;
        return std::nullopt;
    }
    bool chordHeld(const Chord& chord) const {
        return std::any_of(registered.begin(), registered.end(), [&](const auto& r) { return r.second == chord; });
    }
    // Delivers an event for `id` when something is registered under it.
    void send(Id id, Event event) {
        if (handler_ && chordOf(id)) handler_(id, event);
    }

    std::optional<PressPointer> takePressPointer() override { return std::exchange(pressPointer, std::nullopt); }

    std::optional<PressPointer> pressPointer;  // what the last press said of the pointer
    std::set<Chord> takenByOthers;
    bool refuseAll = false;
    int registrations = 0;  // every attempt, probes included
    std::vector<std::pair<Id, Chord>> registered;

private:
    Handler handler_;
};

}  // namespace orbel::fakes
