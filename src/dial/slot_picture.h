#pragma once

// How a slot's picture becomes an image. The dial's wedges, the editor's
// ring and library, and the sheets' previews all draw through here, from the
// SlotImage the slots work out (MenuSlot::icon, SlotFactory::imageFor), so a
// slot looks the same wherever it shows: its own icon through the icon
// catalogue, else its application's icon, else its kind's symbol; a slot
// whose application is missing is dimmed.

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

// A widget showing the picture a slot of `type` with `icon` has, in the
// palette's text colour, fitted into its rectangle; it draws again when a
// custom image it waits for has been read. Without a type, an automatic
// icon shows as "questionmark.circle".
class SlotPictureView : public SlotIconView {
    Q_OBJECT
public:
    SlotPictureView(std::optional<SlotType> type, SlotIcon icon, double size, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<SlotType> type_;
};

}  // namespace orbel::dial
