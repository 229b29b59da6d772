#pragma once

// The live slot objects of the dial. The dial knows slots only through
// MenuSlot: identity, title, picture, kind, and execute.

#include <memory>
#include <optional>
#include <string>

#include "model/dial_mode.h"
#include "model/slot_config.h"

namespace orbel {

// What the dial needs of its controller while a slot executes. The slot
// classes call back only through this.
class DialController {
public:
    virtual ~DialController() = default;
    // The application that was in front when the dial opened.
    virtual std::optional<std::string> previousFrontmostBundleId() const = 0;
    virtual void hide() = 0;
    virtual void pushGroup(const MenuGroup& group) = 0;
    virtual void switchMode(DialMode mode) = 0;
};

// A wedge's picture: the icon to draw through the icon catalogue when it is
// not automatic, else (or when it cannot be drawn) a system symbol.
struct SlotImage {
    SlotIcon icon = SlotIcon::automatic();
    std::string fallbackSymbol;  // empty: an empty picture
    std::string description;     // accessibility text of the symbol
    std::string appIcon;         // an application's own icon (desktop entry Icon), when known
    bool unavailable = false;    // what the slot opens is missing here: the picture is dimmed
    bool operator==(const SlotImage&) const = default;
};

class MenuSlot {
public:
    virtual ~MenuSlot() = default;
    virtual Uuid id() const = 0;
    virtual std::string title() const = 0;
    virtual SlotImage icon() const = 0;
    virtual const SlotType& type() const = 0;
    // The controller is null when the slot runs outside a visible dial.
    virtual void execute(DialController* controller) = 0;
};

using MenuSlotPtr = std::shared_ptr<MenuSlot>;

}  // namespace orbel
