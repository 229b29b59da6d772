#pragma once

// Single-colour SVG drawings: the document that wraps a drawing's body, and
// its rendering into an image.

#include <QColor>
#include <QImage>
#include <optional>
#include <string>
#include <string_view>

namespace orbel::platform {

// A number as written in a document: the shortest plain decimal text (no
// exponent) that reads back as the same double, whole numbers with ".0"
// (24 -> "24.0", 1e5 -> "100000.0").
std::string svgNumber(double value);

// One line: <svg xmlns=".." width="S" height="S" viewBox="0 0 W H"
// fill="none" stroke="currentColor" color="COLOR">BODY</svg>.
std::string svgDocument(std::string_view body, double size, double viewWidth, double viewHeight,
                        std::string_view color);

// "#rrggbb": the form a document's colour attribute takes (the colour's
// opacity is given to `renderSvg` instead).
std::string svgColor(const QColor& color);

// The document drawn into a transparent `size` x `size` (logical pixels)
// image at device pixel ratio `dpr`, at `opacity`; nothing when it is no
// valid SVG.
std::optional<QImage> renderSvg(const std::string& document, double size, double dpr, double opacity = 1.0);

}  // namespace orbel::platform
