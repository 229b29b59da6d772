#include "slots/signpost_log.h"

#include "platform/signposts.h"

namespace orbel {

std::string_view rawValue(SignpostName name) {
    switch (name) {
    case SignpostName::appDidFinishLaunching: return "AppDidFinishLaunching";
    case SignpostName::reopenRequested: return "ReopenRequested";
    case SignpostName::trayClick: return "TrayClick";
    case SignpostName::hotkeyCallback: return "HotkeyCallback";
    case SignpostName::holdOpenCallback: return "HoldOpenCallback";
    case SignpostName::holdReleaseCallback: return "HoldReleaseCallback";
    case SignpostName::musicHotkeyCallback: return "MusicHotkeyCallback";
    case SignpostName::carbonHotkeyPressed: return "CarbonHotkeyPressed";
    case SignpostName::carbonHoldHotkeyPressed: return "CarbonHoldHotkeyPressed";
    case SignpostName::carbonHoldHotkeyReleased: return "CarbonHoldHotkeyReleased";
    case SignpostName::mouseTapPressed: return "MouseTapPressed";
    case SignpostName::hidppTapPressed: return "HIDPPTapPressed";
    case SignpostName::showMenuStart: return "ShowMenuStart";
    case SignpostName::showMenuVisible: return "ShowMenuVisible";
    case SignpostName::hideMenuStart: return "HideMenuStart";
    case SignpostName::hideMenuComplete: return "HideMenuComplete";
    case SignpostName::localMouseDown: return "LocalMouseDown";
    case SignpostName::globalMouseDown: return "GlobalMouseDown";
    case SignpostName::hoverUpdated: return "HoverUpdated";
    case SignpostName::executeHighlightedSlot: return "ExecuteHighlightedSlot";
    }
    return "Unknown";
}

void PointsOfInterestLog::event(SignpostName name) const { platform::Signposts::event(rawValue(name)); }

void PointsOfInterestLog::event(SignpostName name, int slot) const { platform::Signposts::event(rawValue(name), slot); }

const PointsOfInterestLog& pointsOfInterestLog() {
    static const PointsOfInterestLog log;  // initialised once, thread-safe
    return log;
}

}  // namespace orbel
