#include "platform/screen_scaling.h"

#include <QGuiApplication>
#include <QScreen>
#include <limits>

namespace orbel::platform {
namespace {

QRectF deviceGeometry(const ScreenScale& s) {
    return QRectF(QPointF(s.geometry.topLeft()), QSizeF(s.geometry.size()) * s.ratio);
}

// 0 inside (the right and bottom edges belong to the next screen), else
// the squared distance.
double distance(const QRectF& r, QPointF p) {
    if (p.x() >= r.left() && p.x() < r.right() && p.y() >= r.top() && p.y() < r.bottom()) return 0;
    const double dx = std::max({r.left() - p.x(), 0.0, p.x() - r.right()});
    const double dy = std::max({r.top() - p.y(), 0.0, p.y() - r.bottom()});
    return dx * dx + dy * dy + 1e-9;
}

// The screen whose rectangle (as `rect` gives it) holds `p`, else the nearest.
template <class Rect>
const ScreenScale* screenFor(QPointF p, const std::vector<ScreenScale>& screens, Rect rect) {
    const ScreenScale* best = nullptr;
    double bestDistance = std::numeric_limits<double>::max();
    for (const ScreenScale& s : screens) {
        const double d = distance(rect(s), p);
        if (d < bestDistance) best = &s, bestDistance = d;
    }
    return best;
}

}  // namespace

std::vector<ScreenScale> currentScreenScales() {
    std::vector<ScreenScale> list;
    if (!qGuiApp) return list;
    for (QScreen* s : QGuiApplication::screens()) list.push_back({s->geometry(), s->devicePixelRatio()});
    return list;
}

QRect toDevicePixels(const QRectF& area, const std::vector<ScreenScale>& screens) {
    const ScreenScale* s = screenFor(area.center(), screens, [](const ScreenScale& s) { return QRectF(s.geometry); });
    if (!s) return area.toAlignedRect();
    const QPointF origin(s->geometry.topLeft());
    return QRectF(origin + (area.topLeft() - origin) * s->ratio, area.size() * s->ratio).toAlignedRect();
}

QPointF fromDevicePixels(QPoint device, const std::vector<ScreenScale>& screens) {
    const ScreenScale* s = screenFor(QPointF(device), screens, deviceGeometry);
    if (!s) return QPointF(device);
    const QPointF origin(s->geometry.topLeft());
    return origin + (QPointF(device) - origin) / s->ratio;
}

}  // namespace orbel::platform
