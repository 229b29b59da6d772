#pragma once

// Small drawing helpers shared by the editor's widgets: pictures of slots and
// applications, symbol badges, the drag's text form, and the colours the
// settings window derives from the palette.

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <QPalette>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "dial/slot_picture.h"
#include "editor/editor_ring_model.h"
#include "model/dial_palette.h"
#include "platform/lookup.h"

namespace orbel::editor {

// A picture the editor picked (slotPreviewImage, payloadIcon) at `size`
// (logical pixels), drawn as the dial draws its own, undimmed; symbols in
// `tint`. Null for an empty picture.
QImage previewImage(const SlotImage& picture, double size, const QColor& tint, double dpr);
// An application's icon from its desktop entry's Icon value (theme name or
// path), as the dial draws it; null when there is none.
using dial::appIconImage;

// A rounded square of `color` at 18 % with the symbol in `color` on it.
void paintSymbolBadge(QPainter& p, QRectF box, std::string_view symbol, const QColor& color);
// A symbol as an icon for menus, buttons and fields.
QIcon symbolIcon(std::string_view symbol, double size, const QColor& color, double dpr);
// A symbol in `box`.
void paintSymbolIn(QPainter& p, QRectF box, std::string_view symbol, const QColor& color);

// The payload's text form as a drag carries it, and the text of a drag. A
// drag that carries no payload but one desktop entry (from a file manager
// or a launcher) of an installed application reads as that application's
// library item, so it goes through the same rules as one from the library;
// an entry of nothing installed, or one dragged before the installed
// applications are known (see awaitsApplications), stays what it was.
QMimeData* payloadMimeData(const SlotDragPayload& payload);
std::optional<std::string> dragText(const QMimeData* mime);
// The library item of the installed application a dropped desktop entry
// names: the entry's id is its path below an applications folder ("/" as
// "-"), or else its file name (a copy on the desktop), without ".desktop".
// None for anything else; not known yet while the installed applications
// are being read for the first time.
platform::Lookup<SlotDragPayload> desktopEntryPayload(const QList<QUrl>& urls);
// Whether the drag carries a desktop entry that cannot be judged yet: the
// drop targets take it, and judge its drop once the applications are known.
bool awaitsApplications(const QMimeData* mime);
// Runs `judge` with the drag's text once the installed applications are
// known (queued on the GUI thread), for a drop that awaitsApplications().
void whenJudged(const QMimeData* mime, QObject* context, std::function<void(const std::optional<std::string>&)> judge);

// The palette's colours at an opacity.
QColor withAlpha(QColor color, double opacity);
ColorScheme schemeOf(const QPalette& palette);
QColor systemBlue();

}  // namespace orbel::editor
