#pragma once

// How a slot's picture becomes an image: the one place that draws a
// SlotImage (its own icon through the icon catalogue, else its application's
// icon, else its symbol). The dial draws what its slots work out
// (MenuSlot::icon); the editor's ring and the rename sheet draw what the
// editor's own rules pick (editor::slotPreviewImage, editor::payloadIcon).
// The dial dims a slot whose application is missing.

#include <QColor>
#include <QImage>
#include <optional>
#include <string>

#include "icons/slot_icon_view.h"
#include "model/slot_config.h"
#include "slots/menu_slot.h"

namespace orbel::dial {

// The picture without the dimming, in `size` x `size` points at `dpr`,
// marks without a colour of their own in `label`; null when there is
// nothing to draw.
QImage defaultSlotImage(const SlotImage& image, double size, const QColor& label, double dpr);
// The picture of a slot whose application is missing: a third as opaque.
QImage dimmedSlotImage(const QImage& image);
// The whole rule: defaultSlotImage, dimmed when the image says so.
QImage slotPicture(const SlotImage& image, double size, const QColor& label, double dpr);
// An application's icon from its desktop entry's Icon value (a theme name or
// a path); null when there is none, and while it is read off the GUI thread
// (CustomImages::loaded tells when to ask again). GUI thread.
QImage appIconImage(const std::string& icon, double size, double dpr);

}  // namespace orbel::dial
