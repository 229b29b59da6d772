#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/shared_instance.h"

namespace orbel::platform {

struct DisplayInfo {
    std::string id;  // the output's name ("eDP-1", "HDMI-1", ...)
    int x = 0;       // origin in the desktop's coordinates
    int y = 0;
    int width = 0;
    int height = 0;
    bool builtIn = false;  // a laptop panel

    bool operator==(const DisplayInfo&) const = default;
};

// The active displays and the built-in panel's backlight. Call from the GUI thread.
class Displays : public Shared<Displays> {
public:
    using Completion = std::function<void(bool ok)>;

    virtual ~Displays() = default;
    // Active displays in the server's output order; empty when unreadable.
    virtual std::vector<DisplayInfo> displays() const = 0;
    // The main (primary) display's id; nothing when there is none.
    virtual std::optional<std::string> mainDisplay() const = 0;
    // Makes the display the main one (the one panels and new windows go to);
    // false when it cannot be done.
    virtual bool setMainDisplay(const std::string& id) = 0;

    // True when the machine has a backlight the session may set.
    virtual bool hasBacklight() const = 0;
    // The backlight level, 0...1; nothing without a backlight.
    virtual std::optional<double> brightness() const = 0;
    // Sets the backlight, clamped to 0...1, without waiting; the completion
    // runs on the GUI thread.
    virtual void setBrightness(double level, Completion done = {}) = 0;
    // Moves the backlight by `delta`, held to 0...1.
    virtual void changeBrightness(double delta, Completion done = {}) = 0;
    // Turns every display off until the next input; false when the server
    // cannot do it.
    virtual bool sleepDisplays() = 0;

private:
    friend Shared<Displays>;
    static Displays& makeShared();
};

}  // namespace orbel::platform
