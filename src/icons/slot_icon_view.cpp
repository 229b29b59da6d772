#include "icons/slot_icon_view.h"

#include <QPainter>
#include <cmath>

#include "icons/custom_images.h"

namespace orbel {

SlotIconView::SlotIconView(SlotIcon icon, double size, QWidget* parent, IconCatalog& catalog)
    : QWidget(parent), catalog_(catalog), icon_(std::move(icon)), size_(size) {
    connect(&CustomImages::shared(), &CustomImages::loaded, this, [this] {
        if (icon_.get<SlotIcon::CustomImage>()) update();
    });
}

void SlotIconView::setIcon(SlotIcon icon) {
    if (icon == icon_) return;
    icon_ = std::move(icon);
    update();
}

QSize SlotIconView::sizeHint() const {
    const int side = static_cast<int>(std::ceil(size_));
    return {side, side};
}

IconViewStyle SlotIconView::styleFor(const QPalette& palette, double devicePixelRatio) {
    QColor primary = palette.color(QPalette::WindowText);
    QColor secondary = primary, tertiary = primary;
    secondary.setAlphaF(0.55f * primary.alphaF());
    tertiary.setAlphaF(0.3f * primary.alphaF());
    return {primary, secondary, tertiary, devicePixelRatio};
}

void SlotIconView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    catalog_.paintSlotIcon(painter, QRectF(rect()), icon_, size_, styleFor(palette(), devicePixelRatioF()));
}

}  // namespace orbel
