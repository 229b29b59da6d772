#include "dial/slot_picture.h"

#include <QFileInfo>
#include <QHash>
#include <QIcon>
#include <QPainter>
#include <cmath>

#include "icons/icon_catalog.h"
#include "platform/symbols.h"
#include "slots/slot_factory.h"

namespace orbel::dial {

QImage appIconImage(const std::string& icon, double size, double dpr) {
    if (icon.empty()) return {};
    static QHash<QString, QImage> cache;
    const QString name = QString::fromStdString(icon);
    const QString key = name + QLatin1Char('@') + QString::number(size * dpr);
    if (auto it = cache.constFind(key); it != cache.constEnd()) return *it;
    QIcon qicon = QFileInfo(name).isAbsolute() ? QIcon(name) : QIcon::fromTheme(name);
    QImage image;
    if (!qicon.isNull()) image = qicon.pixmap(QSize(int(size), int(size)), dpr).toImage();
    if (cache.size() > 2000) cache.clear();
    cache.insert(key, image);
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
