#pragma once

// The register of icon packs and the drawing of slot icons.
//
// IconCatalog owns what it has read of the bundled icon resources: the pack
// manifest, each pack's catalogue (read once, on first use, kept until exit)
// and the set of usable packs, which is only "sf" (the built-in list of
// system symbols) until `bootstrap` has registered the glyph font and looked
// at the resources. It also owns the process-wide cache of rendered pack
// SVGs. Nothing here reports an error: a missing or malformed resource just
// yields fewer packs, fewer entries, or the next way of drawing.
//
// Resources (found through the bundle's lookup, subfolder first, then the
// top level): IconPacks/icon-packs-manifest.json; IconPacks/<id>/<id>-catalog.json;
// the glyph font IconPacks/<id>/<PostScript name>.ttf; and any file named
// "*-catalog.json" anywhere below the resource folder announces a pack.
//
// GUI thread only, except the image cache, which is locked.

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QString>
#include <optional>
#include <unordered_set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/icon_pack.h"
#include "model/icon_pack_records.h"
#include "model/slot_icon.h"
#include "platform/bundle.h"
#include "platform/fonts.h"
#include "platform/shared_instance.h"
#include "platform/symbols.h"

namespace orbel {

// How an image is drawn: the label colour for marks without a colour of
// their own (pack drawings in "currentColor", glyphs, untinted monograms,
// symbols) and the device pixel ratio of the screen it is for.
struct IconStyle {
    QColor label = Qt::black;
    double devicePixelRatio = 1.0;
};

// The colours a view draws with: `primary` for marks and monograms,
// `secondary` for the automatic icon, `tertiary` for the question mark.
struct IconViewStyle {
    QColor primary = Qt::black;
    QColor secondary = QColor(0, 0, 0, 128);
    QColor tertiary = QColor(0, 0, 0, 64);
    double devicePixelRatio = 1.0;
};

// Whole documents in the catalogue and manifest formats; nothing when the
// text is no such document (one bad element is enough).
std::optional<std::vector<IconCatalogEntry>> decodeIconCatalog(std::string_view text);
std::optional<std::vector<IconPackManifestEntry>> decodeIconPackManifest(std::string_view text);

class IconCatalog : public platform::Shared<IconCatalog> {
public:
    IconCatalog(platform::Bundle& bundle, platform::Fonts& fonts, platform::Symbols& symbols);

    // ---- Packs. `bootstrap` runs once at launch: it registers the glyph font
    // and makes the packs of the manifest, of the scan and with resources usable.
    void bootstrap();
    bool isAvailable(const IconPack& pack) const { return available_.count(pack) > 0; }
    // The 21 packs known by name, "sf" first.
    static const std::vector<IconPack>& knownPacks();
    // Read once; empty when missing or malformed.
    const std::vector<IconPackManifestEntry>& manifest();
    // Packs announced by catalogue files, by display name; scans every call.
    std::vector<IconPack> discoverCatalogPacks();
    std::optional<std::string> catalogPath(const IconPack& pack) const;
    // "sf", the usable known packs, then further manifest packs, then further
    // discovered packs.
    std::vector<IconPack> allPacks();
    // The manifest's name, else the pack's own.
    std::string displayName(const IconPack& pack);

    // ---- Entries. Read once per pack; a malformed catalogue gives none.
    const std::vector<IconCatalogEntry>& entries(const IconPack& pack);
    // One entry by name, for the dial: from the pack's entries when they are
    // read already, else picked out of the catalogue file alone (the pack is
    // neither decoded nor kept); remembered per pack and name.
    std::optional<IconCatalogEntry> entry(const IconPack& pack, std::string_view name);
    // The element of a catalogue document named `name`, found in the text
    // and decoded alone; nothing when the text has no such element in the
    // compact form the bundled catalogues are written in.
    static std::optional<IconCatalogEntry> pickEntry(std::string_view catalogue, std::string_view name);
    // Query trimmed of spaces and tabs (not line breaks) and lower-cased;
    // empty gives all; else entries whose name or a keyword contains it.
    std::vector<IconCatalogEntry> search(const IconPack& pack, std::string_view query);
    // The 76 system symbols of the built-in list.
    static const std::vector<IconCatalogEntry>& sfSymbolEntries();

    // ---- Images, for the dial: nothing for the automatic icon, an unusable
    // pack, an unknown name or an image file that does not load or has not
    // loaded yet (the caller then shows its own default symbol; files load
    // off the GUI thread, see custom_images.h).
    std::optional<QImage> slotIconImage(const SlotIcon& icon, double size, const IconStyle& style = {});
    // The cached rendering of an entry's SVG body; nothing without a body or
    // when the document does not render.
    std::optional<QImage> svgImage(const IconCatalogEntry& entry, const IconPack& pack, double size,
                                   const IconStyle& style = {});
    std::optional<QImage> packSVGImage(const IconPack& pack, std::string_view name, double size,
                                       const IconStyle& style = {});
    static std::optional<char32_t> glyphScalar(const IconCatalogEntry& entry);
    std::optional<char32_t> packGlyphScalar(const IconPack& pack, std::string_view name);

    // ---- Views, for the settings window: always draw something (the
    // question mark for what cannot be drawn), fitted into `frame`.
    void paintSlotIcon(QPainter& painter, const QRectF& frame, const SlotIcon& icon, double size,
                       const IconViewStyle& style);
    // One cell of the icon picker: the entry as given, whether or not its
    // pack is usable.
    void paintEntry(QPainter& painter, const QRectF& frame, const IconCatalogEntry& entry, const IconPack& pack,
                    double size, const IconViewStyle& style);

    // ---- Pieces, public for tests.
    // The document an entry renders from, with `color` as currentColor.
    static std::string svgDocument(const IconCatalogEntry& entry, double size, std::string_view color = "black");
    // "pack|name|round(size)", then the colour and the pixel ratio.
    static std::string svgCacheKey(const IconPack& pack, std::string_view name, double size, const IconStyle& style);
    // The first three grapheme clusters.
    static QString monogramText(std::string_view text);
    // "~" and "~/..." name the home folder; other paths stand as written.
    static QString expandedImagePath(std::string_view path);
    static constexpr int kImageCacheLimit = 2000;

private:
    friend platform::Shared<IconCatalog>;
    static IconCatalog& makeShared();

    std::optional<QFont> glyphFont(const IconPack& pack, double pointSize) const;

    platform::Bundle& bundle_;
    platform::Fonts& fonts_;
    platform::Symbols& symbols_;
    std::unordered_map<IconPack, std::vector<IconCatalogEntry>> loadedPacks_;
    std::unordered_map<std::string, std::optional<IconCatalogEntry>> pickedEntries_;  // "pack|name"
    std::optional<std::vector<IconPackManifestEntry>> loadedManifest_;
    std::unordered_set<IconPack> available_{IconPack{"sf"}};
};

}  // namespace orbel
