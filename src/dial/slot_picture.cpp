#include "dial/slot_picture.h"

#include <QPainter>
#include <cmath>

#include "icons/app_icons.h"
#include "icons/custom_images.h"
#include "icons/icon_catalog.h"
#include "platform/symbols.h"
#include "slots/slot_factory.h"

namespace orbel::dial {

QImage appIconImage(const std::string& icon, double size, double dpr) {
    if (icon.empty() || !(size > 0)) return {};
    const QSize pixels = QSizeF(size * dpr, size * dpr).toSize();
    // Read off the GUI thread: nothing until it is in (CustomImages::loaded).
    QImage image = AppIcons::shared().image(QString::fromStdString(icon), pixels).value_or(QImage());
    if (!image.isNull()) image.setDevicePixelRatio(std::max(image.width(), image.height()) / size);
    return image;
}

QImage defaultSlotImage(const SlotImage& image, double size, const QColor& label, double dpr) {
    if (!image.icon.isAuto()) {
        if (auto drawn = IconCatalog::shared().slotIconImage(image.icon, size, IconStyle{label, dpr})) return *drawn;
    }
    if (QImage icon = appIconImage(image.appIcon, size, dpr); !icon.isNull()) return icon;
    if (!image.fallbackSymbol.empty()) return platform::Symbols::shared().image(image.fallbackSymbol, size, label, dpr);
    return {};
}

QImage dimmedSlotImage(const QImage& image) {
    QImage out(image.size(), QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QImage source = image;
    source.setDevicePixelRatio(1);
    QPainter p(&out);
    p.setOpacity(0.35);
    p.drawImage(QPoint(0, 0), source);
    return out;
}

QImage slotPicture(const SlotImage& image, double size, const QColor& label, double dpr) {
    QImage drawn = defaultSlotImage(image, size, label, dpr);
    if (drawn.isNull() || !image.unavailable) return drawn;
    const double ratio = drawn.devicePixelRatio();
    drawn = dimmedSlotImage(drawn);
    drawn.setDevicePixelRatio(ratio);
    return drawn;
}

}  // namespace orbel::dial
