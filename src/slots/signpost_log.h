#pragma once

// The program's points-of-interest log: every moment on the road from an
// input to the dial is one signpost event on this single process-wide
// handle. Events only, never intervals; names are constants.

#include <string_view>

namespace orbel {

enum class SignpostName {
    appDidFinishLaunching,
    reopenRequested,
    trayClick,
    hotkeyCallback,
    holdOpenCallback,
    holdReleaseCallback,
    musicHotkeyCallback,
    carbonHotkeyPressed,
    carbonHoldHotkeyPressed,
    carbonHoldHotkeyReleased,
    mouseTapPressed,
    hidppTapPressed,
    showMenuStart,
    showMenuVisible,
    hideMenuStart,
    hideMenuComplete,
    localMouseDown,
    globalMouseDown,
    hoverUpdated,            // with the new highlighted index, -1 for none
    executeHighlightedSlot,  // with the highlighted index
};

// "AppDidFinishLaunching", "HoverUpdated", ...
std::string_view rawValue(SignpostName name);

class PointsOfInterestLog {
public:
    static constexpr std::string_view kSubsystem = "com.quandelvix.orbel";
    static constexpr std::string_view kCategory = "PointsOfInterest";

    // One event with its name only.
    void event(SignpostName name) const;
    // One event with "slot=<index>" (the index recorded in clear).
    void event(SignpostName name, int slot) const;

private:
    friend const PointsOfInterestLog& pointsOfInterestLog();
    PointsOfInterestLog() = default;
};

// The shared handle, made on first use, exactly once even when several
// threads ask at the same time. Emitting is safe from any thread.
const PointsOfInterestLog& pointsOfInterestLog();

}  // namespace orbel
