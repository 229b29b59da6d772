#include "dial/radial_menu_view.h"

#include <QAccessible>
#include <QApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QThreadPool>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "config/cycling_index_store.h"
#include "dial/dial_accessibility.h"
#include "dial/dial_painter.h"
#include "dial/glass_surface.h"
#include "dial/wedge_geometry.h"
#include "icons/custom_images.h"
#include "slots/dynamic_title_cache.h"

namespace orbel::dial {
namespace {

ColorScheme systemScheme() {
    const QColor c = QApplication::palette().color(QPalette::Window);
    return colorSchemeForWindowColor(Rgb{c.redF(), c.greenF(), c.blueF()});
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

// How opaque the disc painted at each showing (from the picture behind)
// is; 0 when the disc does not depend on it and is kept with the plate.
double liveDiscOpacity(const AppearanceConfig& appearance) {
    switch (appearance.backdrop) {
        case Backdrop::liquidGlass: return 1;
        case Backdrop::translucent:
            return std::isnan(appearance.backdropOpacity) ? 1.0 : std::clamp(appearance.backdropOpacity, 0.0, 1.0);
        case Backdrop::filled: return 0;
    }
    return 1;
}

// The glass at the disc's square: `glass` scaled up to it and cut by `mask`
// (the disc's coverage, `offset` its top left in the square). Painted into
// `spare` when it fits and nothing else holds it: at each showing its pages
// are in memory already, where a new picture's would be faulted in afresh.
QImage discGlass(const QImage& glass, const QImage& mask, QPointF offset, double d, QImage spare = {}) {
    QImage disc = std::move(spare);
    if (disc.size() != mask.size() || disc.format() != QImage::Format_ARGB32_Premultiplied || !disc.isDetached())
        disc = QImage(mask.size(), QImage::Format_ARGB32_Premultiplied);
    disc.setDevicePixelRatio(mask.devicePixelRatio());
    QPainter q(&disc);
    q.setCompositionMode(QPainter::CompositionMode_Source);
    q.setRenderHint(QPainter::SmoothPixmapTransform);
    q.drawImage(QRectF(offset, QSizeF(d, d)), glass);
    q.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    q.drawImage(QPointF(0, 0), mask);
    return disc;
}

// Plain pixels all through: safe on the glass thread.
GlassPictures makeGlass(GlassRecipe r) {
    // The backdrop's square of the picture, blurred and tinted.
    const double k = r.behind.devicePixelRatio();
    const QRectF disc(r.centre.x() - r.diameter / 2 - r.behindArea.x(), r.centre.y() - r.diameter / 2 - r.behindArea.y(),
                      r.diameter, r.diameter);
    const QRect pixels = QRectF(disc.topLeft() * k, disc.size() * k).toAlignedRect();
    QImage source = pixels == r.behind.rect() ? r.behind : r.behind.copy(pixels);
    source.setDevicePixelRatio(k);
    GlassPictures made;
    made.dark = r.dark;
    made.mask = r.mask.cacheKey();
    made.glass = frostedGlass(source, r.dark);
    if (made.glass.isNull()) return made;
    const QRectF square(r.centre.x() - r.diameter / 2, r.centre.y() - r.diameter / 2, r.diameter, r.diameter);
    made.disc = discGlass(made.glass, r.mask, square.topLeft() - QPointF(square.toAlignedRect().topLeft()), r.diameter,
                          std::move(r.spare));
    return made;
}

// One thread, kept: the glass of the next showing never queues behind other work.
QThreadPool& glassThread() {
    static QThreadPool* pool = [] {
        auto* p = new QThreadPool;
        p->setMaxThreadCount(1);
        p->setExpiryTimeout(-1);
        return p;
    }();
    return *pool;
}

}  // namespace

RadialMenuView::RadialMenuView(QWidget* parent)
    : QWidget(parent),
      knob_(MusicCenterKnobState::shared()),
      trackLabel_(new MusicTrackLabel(std::chrono::milliseconds(1500), std::chrono::milliseconds(400), this)),
      resolver_(defaultSlotImage) {
    trackLabel_->hide();
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setAutoFillBackground(false);
    installDialAccessibility();
    setAccessibleName(QString::fromStdString(dialAccessibilityLabel()));
    connect(&DynamicTitleCache::shared(), &DynamicTitleCache::statesChanged, this, [this] { rebuild(true); });
    connect(&CyclingIndexStore::shared(), &CyclingIndexStore::changed, this, [this] { rebuild(true); });
    connect(&CustomImages::shared(), &CustomImages::loaded, this, [this] { rebuild(true); });
    knobFrames_.setTimerType(Qt::PreciseTimer);
    connect(&knobFrames_, &QTimer::timeout, this, &RadialMenuView::updateKnob);
    connect(&knob_, &MusicCenterKnobState::changed, this, [this] {
        followKnob();
        updateKnob();
    });
}

void RadialMenuView::setController(const RadialMenuController* controller) {
    if (controller_) disconnect(controller_, nullptr, this, nullptr);
    controller_ = controller;
    if (controller) {
        using C = RadialMenuController;
        for (auto signal : {&C::slotsChanged, &C::centerContentChanged, &C::volumeDragChanged, &C::appearanceChanged})
            connect(controller, signal, this, [this] { rebuild(); });
        connect(controller, &C::menuRadiusChanged, this, [this] { rebuild(); });
        connect(controller, &C::highlightedIndexChanged, this, &RadialMenuView::highlightChanged);
        connect(controller, &C::centerContentChanged, this, &RadialMenuView::followKnob);
        connect(controller, &C::centerContentChanged, this, &RadialMenuView::followTrack);
        connect(controller, &C::appearanceChanged, this, &RadialMenuView::followTrack);
        connect(controller, &C::menuRadiusChanged, this, &RadialMenuView::followTrack);
    }
    rebuild(true);
    followKnob();
    followTrack();
}

void RadialMenuView::followTrack() {
    const auto* art = controller_ ? controller_->centerContent().get<CenterContent::AlbumArt>() : nullptr;
    if (!art || (art->title.empty() && art->artist.empty())) return trackLabel_->hide();
    DialViewState s;
    s.menuRadius = controller_->menuRadius();
    s.centre.title = art->title;
    s.centre.artist = art->artist;
    trackLabel_->setDark(DialPalette::make(controller_->appearance(), systemScheme()).isDark);
    trackLabel_->setTrack(QString::fromStdString(art->title), QString::fromStdString(art->artist));
    trackLabel_->setGeometry(trackCaptionBox(dialCentre(), s, trackLabel_->font()).toAlignedRect());
    trackLabel_->show();
}

void RadialMenuView::followKnob() {
    const auto* art = controller_ ? controller_->centerContent().get<CenterContent::AlbumArt>() : nullptr;
    const bool shown = art && isVisible();
    if (shown) knob_.setSpinning(art->isPlaying);
    if (shown && knob_.isSpinning()) {
        // At the display's rate, and never more than 60 frames a second.
        const double hz = screen() && screen()->refreshRate() > 1 ? screen()->refreshRate() : 60;
        knobFrames_.setInterval(int(std::ceil(1000.0 / std::min(hz, 60.0))));
        if (!knobFrames_.isActive()) knobFrames_.start();
    } else {
        knobFrames_.stop();
    }
}

QRect RadialMenuView::knobSquare() const {
    const double size = DialMetrics{controller_ ? controller_->menuRadius() : RadialMenuController::kDefaultRadius}.knobSize();
    return musicKnobBounds(dialCentre(), size).toAlignedRect();
}

void RadialMenuView::updateKnob() {
    if (!controller_ || !controller_->centerContent().is<CenterContent::AlbumArt>()) return;
    // One rectangle: a shaped region would be cleared, painted and sent to
    // the X server a row at a time.
    const double size = DialMetrics{controller_->menuRadius()}.knobSize();
    const double turned = std::abs(std::remainder(knob_.angle() - paintedAngle_, 360.0));
    const double rimMoved = turned * std::numbers::pi / 180 * size / 2 * devicePixelRatioF();
    if (rimMoved < 0.25) return;  // the same picture
    update(knobSquare());
}

void RadialMenuView::showEvent(QShowEvent*) { followKnob(); }

void RadialMenuView::hideEvent(QHideEvent*) { knobFrames_.stop(); }

void RadialMenuView::setImageResolver(SlotImageResolver resolver) {
    resolver_ = std::move(resolver);
    rebuild(true);
}

void RadialMenuView::setBehind(const QImage& behind, const QRectF& area, bool asBackground) {
    dropGlassInMaking();
    behind_ = behind;
    behindArea_ = area;
    behindAsBackground_ = asBackground;
    glass_ = QImage();
    QImage spare = std::move(glassDisc_);  // its memory serves the next disc picture
    forgetKnobBase();
    if (controller_ && !behind_.isNull()) {
        // The glass is the one part of the picture made afresh at each
        // showing: it is made on the glass thread while the window system
        // shows the panel, and the first paint takes it from there.
        const AppearanceConfig appearance = controller_->appearance();
        if (liveDiscOpacity(appearance) > 0) {
            const double d = DialMetrics{controller_->menuRadius()}.backdropDiameter();
            GlassRecipe recipe{behind_,
                               behindArea_,
                               dialCentre(),
                               d,
                               DialPalette::make(appearance, systemScheme()).isDark,
                               discMask(dialCentre(), d, devicePixelRatioF()),
                               std::move(spare)};
            // The recipe, and with it the picture behind, goes before the
            // glass is handed over.
            glassInMaking_ = std::make_shared<std::packaged_task<GlassPictures()>>(
                [recipe = std::move(recipe)]() mutable { return makeGlass(std::move(recipe)); });
            glassMade_ = glassInMaking_->get_future();
            glassThread().start([task = glassInMaking_] { (*task)(); });
        }
    }
    update();
}

void RadialMenuView::releaseBehind() {
    dropGlassInMaking();
    behind_ = QImage();
}

void RadialMenuView::dropGlassInMaking() {
    if (glassMade_.valid()) glassMade_.wait();
    glassMade_ = {};
    glassInMaking_.reset();
}

const QImage& RadialMenuView::discMask(QPointF at, double d, double dpr) {
    const QRect square = QRectF(at.x() - d / 2, at.y() - d / 2, d, d).toAlignedRect();
    const QPointF offset = QPointF(at.x() - d / 2, at.y() - d / 2) - QPointF(square.topLeft());
    if (discMask_.isNull() || discMaskOffset_ != offset || discMaskDiameter_ != d ||
        discMask_.size() != (QSizeF(square.size()) * dpr).toSize()) {
        discMask_ = QImage((QSizeF(square.size()) * dpr).toSize(), QImage::Format_Alpha8);
        discMask_.setDevicePixelRatio(dpr);
        discMask_.fill(Qt::transparent);
        QPainter q(&discMask_);
        q.setRenderHint(QPainter::Antialiasing);
        q.setPen(Qt::NoPen);
        q.setBrush(Qt::black);
        q.drawEllipse(QRectF(offset, QSizeF(d, d)));
        discMaskOffset_ = offset;
        discMaskDiameter_ = d;
        glassDisc_ = QImage();
    }
    return discMask_;
}

DialViewState RadialMenuView::viewState() const {
    DialViewState s;
    if (!controller_) return s;
    s.menuRadius = controller_->menuRadius();
    s.appearance = controller_->appearance();
    s.palette = DialPalette::make(s.appearance, systemScheme());
    s.highlightedIndex = controller_->highlightedIndex();
    s.centre = centreOf(controller_->centerContent());
    if (s.centre.kind == CenterKind::AlbumArt) s.centre.discAngle = knob_.angle();
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
            item.icon = self->iconFor(*slot, s.palette);
        }
        s.wedges.push_back(std::move(item));
    }
    return s;
}

const QImage& RadialMenuView::iconFor(const MenuSlot& slot, const DialPalette& palette) {
    const QColor label = toQColor(palette.labelText);
    const auto key = std::make_pair(slot.id(), label.rgba());
    // A slot may change its picture in place (play turning to pause).
    const SlotImage wanted = slot.icon();
    auto it = icons_.find(key);
    if (it == icons_.end() || it->second.first != wanted) {
        const double side = DialMetrics::kIconSide;
        QImage image = resolver_ ? resolver_(wanted, side, label, devicePixelRatioF()) : QImage();
        if (!image.isNull() && wanted.unavailable) image = dimmedSlotImage(image);
        if (!image.isNull()) image.setDevicePixelRatio(double(image.width()) / side);
        it = icons_.insert_or_assign(key, std::make_pair(wanted, std::move(image))).first;
    }
    return it->second.second;
}

void RadialMenuView::rebuild(bool dropPictures) {
    if (dropPictures) {
        icons_.clear();
        wedges_.clear();
    }
    lastHighlight_ = controller_ ? controller_->highlightedIndex() : -1;
    refreshAccessibility();
    forgetKnobBase();
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
    if (!dirty.isEmpty()) {
        if (dirty.intersects(knobSquare())) forgetKnobBase();
        update(dirty);
    }
}

void RadialMenuView::refreshAccessibility() {
    // The dial's accessible interface makes its texts when asked; the
    // description is kept, and so announced, only while an assistive
    // technology listens: no title is worked out for no one.
    if (!QAccessible::isActive()) return;
    std::vector<std::string> titles;
    int highlighted = -1;
    if (controller_) {
        for (const MenuSlotPtr& slot : controller_->currentSlots()) titles.push_back(slot->title());
        highlighted = controller_->highlightedIndex();
    }
    setAccessibleDescription(QString::fromStdString(dialAccessibilityValue(titles, highlighted)));
}

void RadialMenuView::resizeEvent(QResizeEvent*) {
    followTrack();
}

void RadialMenuView::checkLayerKey(const DialViewState& s) {
    const double dpr = devicePixelRatioF();
    if (sameLayers(s, cachedFor_) && cachedDpr_ == dpr) return;
    cachedFor_ = s;
    cachedDpr_ = dpr;
    plate_ = QPixmap();
    glassDisc_ = QImage();
    glass_ = QImage();
    wedges_.clear();
}

const QPixmap& RadialMenuView::plate(const DialViewState& s) {
    checkLayerKey(s);
    if (!plate_.isNull()) return plate_;
    const double dpr = devicePixelRatioF();
    const DialMetrics m{s.menuRadius};
    // The plate covers the backdrop, its shadow and the knob.
    const double side = m.backdropDiameter() + 96, d = m.backdropDiameter();
    const QPointF c(side / 2, side / 2);
    plate_ = QPixmap((QSizeF(side, side) * dpr).toSize());
    plate_.setDevicePixelRatio(dpr);
    plate_.fill(Qt::transparent);
    QPainter p(&plate_);
    paintBackdropShadow(p, c, d, s.palette.isDark);
    if (const double opacity = liveDiscOpacity(s.appearance); opacity > 0) {
        // The disc is painted under the plate at each showing: the shadow
        // it would hide is cut away here, so the plate can go over it.
        p.save();
        p.setRenderHint(QPainter::Antialiasing);
        p.setCompositionMode(QPainter::CompositionMode_DestinationOut);
        p.setOpacity(opacity);
        QPainterPath disc;
        disc.addEllipse(c, d / 2, d / 2);
        p.fillPath(disc, Qt::black);
        p.restore();
    } else {
        paintBackdropDisc(p, c, d, s.appearance, s.palette, QImage());
    }
    paintBackdropChrome(p, c, d, s.appearance, s.palette);
    // The knob never overlaps a wedge, so it is painted with the disc.
    if (s.centre.kind != CenterKind::AlbumArt)
        paintKnob(p, c, KnobStyle{m.knobSize(), s.centre.kind, s.palette.isDark, s.appearance, s.palette});
    return plate_;
}

void RadialMenuView::paintDisc(QPainter& p, const DialViewState& s) {
    const double opacity = liveDiscOpacity(s.appearance);
    if (opacity <= 0) return;
    const DialMetrics m{s.menuRadius};
    const double d = m.backdropDiameter(), dpr = devicePixelRatioF();
    const QPointF at = dialCentre();
    if (glassMade_.valid()) {
        GlassPictures made = glassMade_.get();
        dropGlassInMaking();
        // Made for the look and the place the dial has now, or made again.
        if (made.dark == s.palette.isDark && made.mask == discMask(at, d, dpr).cacheKey()) {
            glass_ = std::move(made.glass);
            glassDisc_ = std::move(made.disc);
        }
    }
    if (!behind_.isNull() && glass_.isNull()) {
        GlassPictures made = makeGlass({behind_, behindArea_, at, d, s.palette.isDark, discMask(at, d, dpr), QImage()});
        glass_ = std::move(made.glass);
        glassDisc_ = std::move(made.disc);
    }
    if (glass_.isNull()) return paintBackdropDisc(p, at, d, s.appearance, s.palette, glass_);
    const QRect square = QRectF(at.x() - d / 2, at.y() - d / 2, d, d).toAlignedRect();
    if (glassDisc_.isNull() || glassDisc_.size() != discMask(at, d, dpr).size())
        glassDisc_ = discGlass(glass_, discMask(at, d, dpr), discMaskOffset_, d);
    p.save();
    p.setOpacity(opacity);
    p.drawImage(QPointF(square.topLeft()), glassDisc_);
    p.restore();
}

void RadialMenuView::paintBackground(QPainter& p, const DialViewState& s) {
    paintBehind(p);
    const QPixmap& layer = plate(s);
    paintDisc(p, s);
    const QPointF c = dialCentre();
    const QSizeF size = layer.deviceIndependentSize();
    p.drawPixmap(QPointF(c.x() - size.width() / 2, c.y() - size.height() / 2), layer);
}

void RadialMenuView::paintCachedWedge(QPainter& p, QPointF centre, const DialViewState& s, int index) {
    const auto& slot = controller_->currentSlots()[static_cast<std::size_t>(index)];
    const WedgeItem& item = s.wedges[static_cast<std::size_t>(index)];
    const WedgeKey key{index, int(s.wedges.size()), s.isHighlighted(index), slot->id(), item.title,
                       item.icon.cacheKey()};
    auto it = wedges_.find(key);
    if (it == wedges_.end()) {
        const double dpr = devicePixelRatioF();
        const QRectF bounds =
            slotPath(centre, index, key.count, DialMetrics{s.menuRadius}.innerRadius(), s.menuRadius)
                .boundingRect()
                .adjusted(-2, -2, 2, 2)
                .toAlignedRect();
        QPixmap pixmap((bounds.size() * dpr).toSize());
        pixmap.setDevicePixelRatio(dpr);
        pixmap.fill(Qt::transparent);
        QPainter wp(&pixmap);
        wp.translate(-bounds.topLeft());
        paintWedge(wp, centre, s, index);
        wp.end();
        if (wedges_.size() > 64) wedges_.clear();  // old levels
        it = wedges_.emplace(key, WedgePicture{std::move(pixmap), bounds.topLeft() - centre}).first;
    }
    p.drawPixmap(centre + it->second.offset, it->second.pixmap);
}

void RadialMenuView::paintBehind(QPainter& p) {
    if (!behindAsBackground_ || behind_.isNull()) return;
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(behindArea_, behind_);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

bool RadialMenuView::paintKnobFrame(const QRegion& region) {
    const auto* art = controller_->centerContent().get<CenterContent::AlbumArt>();
    const QRect square = knobSquare();
    if (!art || !region.intersects(square)) return false;
    for (const QRect& r : region)
        if (r.intersects(square) && !square.contains(r)) return false;
    // A frame of the turning disc: the dial under it is a copy of what was
    // painted there, made at the first frame after anything there changed.
    const QPointF c = dialCentre();
    const double size = DialMetrics{controller_->menuRadius()}.knobSize(), dpr = devicePixelRatioF();
    const QImage artwork = art->artwork ? *art->artwork : QImage();
    if (knobBase_.isNull() || knobBaseSquare_ != square || knobBase_.devicePixelRatio() != dpr) {
        knobBase_ = QImage((QSizeF(square.size()) * dpr).toSize(), QImage::Format_ARGB32_Premultiplied);
        knobBase_.setDevicePixelRatio(dpr);
        knobBase_.fill(Qt::transparent);
        QPainter q(&knobBase_);
        q.translate(-QPointF(square.topLeft()));
        paintScene(q, viewState(), square);
        knobPictures_.paintUnder(q, c, size, artwork);
        knobBaseSquare_ = square;
        ++knobBaseDrawings_;
    }
    QPainter p(this);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(square.topLeft(), knobBase_);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    paintedAngle_ = knob_.angle();
    knobPictures_.paintTurning(p, c, size, artwork, paintedAngle_);
    return true;
}

void RadialMenuView::paintScene(QPainter& p, const DialViewState& s, const QRectF& dirty) {
    const QPointF c = dialCentre();
    paintBackground(p, s);
    const int n = static_cast<int>(s.wedges.size());
    std::vector<bool> touched(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        touched[static_cast<std::size_t>(i)] = wedgeBounds(c, s, i).intersects(dirty);
        if (!touched[static_cast<std::size_t>(i)]) continue;
        // Volume wedges follow the level, so they are painted afresh.
        if (s.wedges[static_cast<std::size_t>(i)].isVolume) paintVolumeWedge(p, c, s, i);
        else paintCachedWedge(p, c, s, i);
    }
    for (int i = 0; i < n; ++i)
        if (touched[static_cast<std::size_t>(i)]) paintWedgeLabel(p, c, s, i);
}

void RadialMenuView::paintEvent(QPaintEvent* event) {
    if (!controller_) return;
    // The disc's square as a frame; the rest (a track label fading in the
    // same pass, say) painted as usual.
    QRegion rest = event->region();
    if (paintKnobFrame(rest)) rest -= knobSquare();
    if (rest.isEmpty()) return;
    const bool underDisc = rest.intersects(knobSquare());
    if (underDisc) forgetKnobBase();  // whatever changed here may lie under the disc too
    const DialViewState s = viewState();
    QPainter p(this);  // the backing store is cleared already (translucent window)
    if (rest != event->region()) p.setClipRegion(rest);
    paintScene(p, s, rest.boundingRect());
    if (s.centre.kind == CenterKind::AlbumArt && underDisc) {
        knobPictures_.paint(p, dialCentre(), DialMetrics{s.menuRadius}.knobSize(), s.centre.artwork,
                            s.centre.discAngle);
        paintedAngle_ = s.centre.discAngle;
    }
}

}  // namespace orbel::dial
