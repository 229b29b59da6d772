#pragma once

// The panel backlight under /sys/class/backlight.

#include <QString>
#include <optional>

namespace orbel::platform::xdg {

struct Backlight {
    QString name;  // the device folder's name, as logind wants it
    int brightness = 0;
    int maxBrightness = 0;

    double level() const { return maxBrightness > 0 ? double(brightness) / maxBrightness : 0; }
};

// The device to use below `root`: firmware interfaces before platform ones
// before raw ones, then by name; devices with a maximum of 0 are skipped.
std::optional<Backlight> findBacklight(const QString& root = QStringLiteral("/sys/class/backlight"));

// The raw value for a level (clamped to 0...1). Never 0 when the device has
// more than one step: on many panels 0 switches the backlight off, which is
// not the darkest visible setting.
int rawBrightness(double level, int maxBrightness);

}  // namespace orbel::platform::xdg
