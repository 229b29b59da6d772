#pragma once

// Qt's coordinates and the display server's device pixels on screens with a
// device pixel ratio. Qt keeps each screen's origin in device pixels and
// divides only its size by the ratio, so a point maps through the screen it
// is on: device = origin + (point - origin) * ratio. Multiplying by the
// ratio alone is right only on a screen at the desktop's origin.

#include <QPointF>
#include <QRect>
#include <vector>

namespace orbel::platform {

struct ScreenScale {
    QRect geometry;  // as QScreen::geometry() gives it
    double ratio = 1.0;
};

// The application's screens now; none without a GUI application.
std::vector<ScreenScale> currentScreenScales();

// `area` (Qt coordinates) in device pixels, through the screen holding its
// centre (the nearest screen when none does; unchanged without screens).
QRect toDevicePixels(const QRectF& area, const std::vector<ScreenScale>& screens);
// A device pixel in Qt coordinates, through the screen whose device pixels
// hold it (the nearest screen when none does).
QPointF fromDevicePixels(QPoint device, const std::vector<ScreenScale>& screens);

}  // namespace orbel::platform
