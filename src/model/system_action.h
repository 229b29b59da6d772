#pragma once

// One of the built-in things a slot can make the system do. Two actions carry
// a level, a fraction in 0...1: setVolume and setBrightness.
//
// JSON: always written as {"id": identifier} or, for the two valued actions,
// {"id": identifier, "value": level}; read also from a bare identifier string
// (parameterless actions only). Levels are clamped into 0...1 whenever they
// enter or leave JSON; a level held in memory is kept as given.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/action_category.h"
#include "model/json.h"

namespace orbel {

struct SystemAction {
    // Declared order matters: it is the listing order and feeds the hash.
    enum class Kind {
        volumeUp,
        volumeDown,
        volumeMute,
        nextOutputDevice,
        setVolume,  // valued
        brightnessUp,
        brightnessDown,
        toggleDarkMode,
        missionControl,
        showDesktop,
        nextDisplay,
        setBrightness,  // valued
        mediaPlayPause,
        mediaNext,
        mediaPrevious,
        toggleWiFi,
        toggleDND,
        spotlight,
        screenshot,
        screenshotFull,
        screenRecording,
        emptyTrash,
        hideFrontApp,
        forceQuit,
        lockScreen,
        sleepDisplay,
        sleepComputer,
        logOut,
        restart,
        shutdown,
    };
    static constexpr int kCaseCount = 30;

    Kind kind = Kind::volumeUp;
    // The level of setVolume / setBrightness; ignored (and kept 0) otherwise.
    double value = 0.0;

    constexpr SystemAction() = default;
    constexpr SystemAction(Kind k) : kind(k) {}  // NOLINT: implicit on purpose
    constexpr SystemAction(Kind k, double level) : kind(k), value(hasValue(k) ? level : 0.0) {}

    static SystemAction setVolume(double level) { return {Kind::setVolume, level}; }
    static SystemAction setBrightness(double level) { return {Kind::setBrightness, level}; }

    static constexpr bool hasValue(Kind k) { return k == Kind::setVolume || k == Kind::setBrightness; }
    bool hasValue() const { return hasValue(kind); }

    // "volume_up", "set_volume", ...: one identifier per case whatever the level.
    std::string_view identifier() const;
    // Fixed English titles; the valued cases read "Set Volume to 50%".
    std::string title() const;
    std::string_view symbolName() const;
    ActionCategory category() const;

    // The parameterless action with exactly this identifier (case-sensitive,
    // no trimming). "set_volume" and "set_brightness" give nothing.
    static std::optional<SystemAction> fromIdentifier(std::string_view identifier);
    // The 28 actions without a level, in declared order.
    static const std::vector<SystemAction>& parameterlessCases();
    // The parameterless actions of one category, in list order.
    static std::vector<SystemAction> parameterlessCases(ActionCategory category);

    // Levels clamped into 0...1 (NaN gives 0).
    static double clampLevel(double level);

    static SystemAction fromJson(const json::Node& node);
    json::Json toJson() const;

    // Same case and, for the valued cases, the same level as a number
    // (0.0 equals -0.0; a NaN level equals another NaN level so that the
    // value stays usable as a key).
    bool operator==(const SystemAction& other) const;
    std::size_t hash() const;
};

inline constexpr std::string_view kUnknownSystemActionPrefix = "Unknown SystemAction identifier: ";

}  // namespace orbel

template <>
struct std::hash<orbel::SystemAction> {
    std::size_t operator()(const orbel::SystemAction& a) const noexcept { return a.hash(); }
};
