#include "dial/radial_menu_view.h"

#include <QApplication>
#include <QIcon>
#include <QPaintEvent>
#include <QPainter>

#include "config/cycling_index_store.h"
#include "dial/dial_painter.h"
#include "dial/glass_surface.h"
#include "dial/wedge_geometry.h"
#include "slots/dynamic_title_cache.h"

namespace orbel::dial {
namespace {

ColorScheme systemScheme() {
    const QColor c = QApplication::palette().color(QPalette::Window);
    return colorSchemeForWindowColor(Rgb{c.redF(), c.greenF(), c.blueF()});
}

// Without a resolver: an application's themed icon, else nothing.
QImage themedIcon(const SlotImage& image, int pixelSize) {
    if (image.appIcon.empty()) return {};
    const QIcon icon = QIcon::fromTheme(QString::fromStdString(image.appIcon));
    return icon.isNull() ? QImage() : icon.pixmap(pixelSize, pixelSize).toImage();
}

CenterState centreOf(const CenterContent& content) {
    CenterState c;
    if (content.is<CenterContent::Back>()) c.kind = CenterKind::Back;
    if (const auto* art = content.get<CenterContent::AlbumArt>()) {
        c.kind = CenterKind::AlbumArt;
        if (art->artwork) c.artwork = *art->artwork;
        c.title = art->title;
        c.artist = art->artist;
        c.isPlaying = art->isPlaying;
    }
    return c;
}

// The parts of the state the cached layers are painted from.
bool sameLayers(const DialViewState& a, const DialViewState& b) {
    return a.menuRadius == b.menuRadius && a.appearance == b.appearance && a.palette == b.palette &&
           a.centre.kind == b.centre.kind;
}

}  // namespace

RadialMenuView::RadialMenuView(QWidget* parent) : QWidget(parent), resolver_(themedIcon) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setAutoFillBackground(false);
    setAccessibleName(QString::fromStdString(dialAccessibilityLabel()));
    connect(&DynamicTitleCache::shared(), &DynamicTitleCache::statesChanged, this, [this] { rebuild(); });
    connect(&CyclingIndexStore::shared(), &CyclingIndexStore::changed, this, [this] { rebuild(); });
}

void RadialMenuView::setController(const RadialMenuController* controller) {
    if (controller_) disconnect(controller_, nullptr, this, nullptr);
    controller_ = controller;
    if (controller) {
        using C = RadialMenuController;
        for (auto signal : {&C::slotsChanged, &C::centerContentChanged, &C::volumeDragChanged, &C::appearanceChanged})
            connect(controller, signal, this, &RadialMenuView::rebuild);
        connect(controller, &C::menuRadiusChanged, this, &RadialMenuView::rebuild);
        connect(controller, &C::highlightedIndexChanged, this, &RadialMenuView::highlightChanged);
    }
    rebuild();
}

void RadialMenuView::setImageResolver(SlotImageResolver resolver) {
    resolver_ = std::move(resolver);
    rebuild();
}

void RadialMenuView::setBehind(const QImage& behind, const QRectF& area, bool asBackground) {
    behind_ = behind;
    behindArea_ = area;
    behindAsBackground_ = asBackground;
    glass_ = QImage();
    backdrop_ = QPixmap();
    update();
}

DialViewState RadialMenuView::viewState() const {
    DialViewState s;
    if (!controller_) return s;
    s.menuRadius = controller_->menuRadius();
    s.appearance = controller_->appearance();
    s.palette = DialPalette::make(s.appearance, systemScheme());
    s.highlightedIndex = controller_->highlightedIndex();
    s.centre = centreOf(controller_->centerContent());
    s.draggedVolume = controller_->draggedVolume();
    s.isVolumeDragging = controller_->isVolumeDragging();
    auto* self = const_cast<RadialMenuView*>(this);
    for (const MenuSlotPtr& slot : controller_->currentSlots()) {
        WedgeItem item;
        item.title = slot->title();
        if (const auto* volume = dynamic_cast<const VolumeLevelSlot*>(slot.get())) {
            item.isVolume = true;
            item.level = volume->currentLevel();
            item.isMuted = volume->isMuted();
        } else {
            item.icon = self->iconFor(*slot);
        }
        s.wedges.push_back(std::move(item));
    }
    return s;
}

const QImage& RadialMenuView::iconFor(const MenuSlot& slot) {
    auto it = icons_.find(slot.id());
    if (it == icons_.end()) {
        const int px = int(DialMetrics::kIconSide * devicePixelRatioF() + 0.5);
        QImage image = resolver_ ? resolver_(slot.icon(), px) : QImage();
        if (!image.isNull()) image.setDevicePixelRatio(double(image.width()) / DialMetrics::kIconSide);
        it = icons_.emplace(slot.id(), std::move(image)).first;
    }
    return it->second;
}

void RadialMenuView::rebuild() {
    icons_.clear();
    lastHighlight_ = controller_ ? controller_->highlightedIndex() : -1;
    refreshAccessibility();
    update();
}

void RadialMenuView::highlightChanged(int index) {
    const DialViewState s = viewState();
    const QPointF c = dialCentre();
    const int n = static_cast<int>(s.wedges.size());
    QRegion dirty;
    for (int i : {lastHighlight_, index})
        if (i >= 0 && i < n) dirty += wedgeBounds(c, s, i).toAlignedRect();
    lastHighlight_ = index;
    refreshAccessibility();
    if (!dirty.isEmpty()) update(dirty);
}

void RadialMenuView::refreshAccessibility() {
    std::vector<std::string> titles;
    int highlighted = -1;
    if (controller_) {
        for (const MenuSlotPtr& slot : controller_->currentSlots()) titles.push_back(slot->title());
        highlighted = controller_->highlightedIndex();
    }
    setAccessibleDescription(QString::fromStdString(dialAccessibilityValue(titles, highlighted)));
}

void RadialMenuView::resizeEvent(QResizeEvent*) { backdrop_ = QPixmap(); }

QPixmap& RadialMenuView::backdropLayer(const DialViewState& s) {
    const double dpr = devicePixelRatioF();
    if (!backdrop_.isNull() && sameLayers(s, cachedFor_) && backdrop_.devicePixelRatio() == dpr) return backdrop_;
    cachedFor_ = s;
    const DialMetrics m{s.menuRadius};
    if (!behind_.isNull() && (glass_.isNull() || glassDark_ != s.palette.isDark)) {
        // The backdrop's square of the picture, blurred and tinted.
        const double d = m.backdropDiameter(), k = behind_.devicePixelRatio();
        const QPointF c = dialCentre();
        const QRectF disc(c.x() - d / 2 - behindArea_.x(), c.y() - d / 2 - behindArea_.y(), d, d);
        QImage source = behind_.copy(QRectF(disc.topLeft() * k, disc.size() * k).toAlignedRect());
        source.setDevicePixelRatio(k);
        glass_ = frostedGlass(source, s.palette.isDark);
        glassDark_ = s.palette.isDark;
    }
    // The layer covers the backdrop, its shadow and the wedge labels' ring.
    const double side = 2 * (m.pillRadius() + 60);
    backdrop_ = QPixmap((QSizeF(side, side) * dpr).toSize());
    backdrop_.setDevicePixelRatio(dpr);
    backdrop_.fill(Qt::transparent);
    QPainter p(&backdrop_);
    const QPointF c(side / 2, side / 2);
    paintBackdropShadow(p, c, m.backdropDiameter(), s.palette.isDark);
    paintBackdrop(p, c, m.backdropDiameter(), s.appearance, s.palette, glass_);
    // The knob never overlaps a wedge, so it is painted once with the disc.
    if (s.centre.kind != CenterKind::AlbumArt)
        paintKnob(p, c, KnobStyle{m.knobSize(), s.centre.kind, s.palette.isDark, s.appearance, s.palette});
    return backdrop_;
}

void RadialMenuView::paintEvent(QPaintEvent* event) {
    if (!controller_) return;
    const DialViewState s = viewState();
    const QPointF c = dialCentre();
    const DialMetrics m{s.menuRadius};
    QPainter p(this);  // the backing store is cleared already (translucent window)
    if (behindAsBackground_ && !behind_.isNull()) {
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(behindArea_, behind_);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    const QPixmap& layer = backdropLayer(s);
    const QSizeF layerSize = layer.deviceIndependentSize();
    p.drawPixmap(QPointF(c.x() - layerSize.width() / 2, c.y() - layerSize.height() / 2), layer);
    const QRectF dirty = event->rect();
    const int n = static_cast<int>(s.wedges.size());
    for (int i = 0; i < n; ++i) {
        if (!wedgeBounds(c, s, i).intersects(dirty)) continue;
        if (s.wedges[static_cast<std::size_t>(i)].isVolume) paintVolumeWedge(p, c, s, i);
        else paintWedge(p, c, s, i);
    }
    for (int i = 0; i < n; ++i)
        if (wedgeBounds(c, s, i).intersects(dirty)) paintWedgeLabel(p, c, s, i);
    if (s.centre.kind == CenterKind::AlbumArt) paintAlbumKnob(p, c, m.knobSize(), s.centre, s.palette.isDark);
    paintTrackCaption(p, c, s);
}

}  // namespace orbel::dial
