#pragma once

// The content of the dial's overlay panel: paints the whole live dial from
// the controller's published state, at the centre of the area it is given.
// Keeps no state of the dial's own; it only caches what it painted, also
// between showings: the disc's shadow, sheen and border with the knob, each
// wedge as plain and as highlighted, and the slots' pictures. Only the
// glass (made from what is behind the dial at each showing) is new each
// time, and a highlight change repaints just the two wedges concerned.
//
// In music mode the centre is the turning disc of the shared
// `MusicCenterKnobState`: while the view is on screen it starts or stops the
// disc with the track, and while the disc turns it repaints the disc's
// square alone, at the display's rate and at most 60 times a second: a copy
// of the dial under the disc (kept until something there changes), the
// cached record turned over it, the sheen on top. A tick that would not
// move the record's rim by a quarter of a pixel paints nothing, and a still
// disc, or a hidden view, costs no frames. Under the ring a track label
// names the track for a moment.

#include <QImage>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <future>
#include <limits>
#include <map>
#include <memory>

#include "dial/dial_view_state.h"
#include "dial/music_knob.h"
#include "dial/music_track_label.h"
#include "dial/radial_menu_controller.h"
#include "dial/slot_picture.h"

namespace orbel::dial {

// Turns a slot's picture into an image of `size` points at `dpr`, marks
// without a colour of their own in `label`; a null image draws the
// placeholder. The default is defaultSlotImage (dial/slot_picture.h).
using SlotImageResolver =
    std::function<QImage(const SlotImage& image, double size, const QColor& label, double dpr)>;

// What the glass of one showing is made from, and what it comes to.
struct GlassRecipe {
    QImage behind;
    QRectF behindArea;
    QPointF centre;   // the dial's, in view coordinates
    double diameter;  // the backdrop's
    bool dark;
    QImage mask;  // the disc's coverage in its square
    QImage spare;  // a former disc picture its memory can be reused from
};
struct GlassPictures {
    QImage glass;  // blurred and tinted, kept small
    QImage disc;   // scaled to the disc's square and cut to the disc
    bool dark = false;
    qint64 mask = 0;  // the cache key of the mask it was cut by
};

class RadialMenuView : public QWidget {
    Q_OBJECT

public:
    explicit RadialMenuView(QWidget* parent = nullptr);

    // Observes the controller (and the dynamic titles and cycling slots);
    // nullptr leaves an empty view.
    void setController(const RadialMenuController* controller);
    void setImageResolver(SlotImageResolver resolver);
    // What lies behind `area` (view coordinates, a square about the dial
    // holding at least the backdrop), captured before the panel showed. The
    // backdrop's glass is made from it; a null image gives the tinted fill.
    // With `asBackground` the picture is also painted as it is, where the
    // window system cannot show what is behind a translucent window.
    void setBehind(const QImage& behind, const QRectF& area, bool asBackground);
    // Lets go of the picture behind (once a glass being made from it is
    // done): the next capture can then reuse its memory.
    void releaseBehind();

    // The state drawn now, for tests and renders.
    DialViewState viewState() const;
    QPointF dialCentre() const { return QPointF(width() / 2.0, height() / 2.0); }
    // The cache key of the kept layer under the wedges (0 before the first
    // paint): the same from one showing to the next while the look stays.
    qint64 plateKey() const { return plate_.isNull() ? 0 : plate_.cacheKey(); }
    // Whether the music disc is being redrawn frame by frame.
    bool isAnimatingKnob() const { return knobFrames_.isActive(); }
    // The square the disc's frames repaint, and how many times the dial
    // under it was painted for them (each frame otherwise copies it): for
    // tests.
    QRect knobSquare() const;
    int knobBaseDrawings() const { return knobBaseDrawings_; }
    // The music dial's title and artist, shown for 1.5 s when the track
    // changes or the dial opens, then faded out over 0.4 s.
    const MusicTrackLabel& trackLabel() const { return *trackLabel_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // Repaints everything; `dropPictures` also forgets the slots' pictures
    // (titles and icons may have changed under the same slot).
    void rebuild(bool dropPictures = false);
    void highlightChanged(int index);  // repaint the two wedges concerned
    void refreshAccessibility();
    // Starts or stops the music disc with the track while on screen, and
    // runs the frames while it turns.
    void followKnob();
    void updateKnob();  // repaint the music disc alone, when it moved
    void followTrack();  // the track label: text, place, shown in music mode
    const QImage& iconFor(const MenuSlot& slot, const DialPalette& palette);
    void checkLayerKey(const DialViewState& state);
    // What does not depend on the picture behind the dial, kept while the
    // look stays: the shadow (cut away where the disc goes), the disc when
    // it is a plain colour, its sheen and border, and the knob.
    const QPixmap& plate(const DialViewState& state);
    void paintDisc(QPainter& p, const DialViewState& state);  // the glass, under the plate
    const QImage& discMask(QPointF centre, double diameter, double dpr);
    void dropGlassInMaking();  // waits for a glass being made, and forgets it
    void paintBackground(QPainter& p, const DialViewState& state);
    void paintCachedWedge(QPainter& p, QPointF centre, const DialViewState& state, int index);
    void paintBehind(QPainter& p);
    // Everything but the music disc, where it meets `dirty`.
    void paintScene(QPainter& p, const DialViewState& state, const QRectF& dirty);
    // Paints a frame of the turning disc in its square, when `region` asks
    // for none of what lies around it; false when the whole picture there
    // must be painted.
    bool paintKnobFrame(const QRegion& region);
    void forgetKnobBase() { knobBase_ = QImage(); }

    struct WedgeKey {
        int index = 0;
        int count = 0;
        bool lit = false;
        Uuid id;
        std::string title;
        qint64 icon = 0;  // the picture's cache key
        auto operator<=>(const WedgeKey&) const = default;
    };
    struct WedgePicture {
        QPixmap pixmap;
        QPointF offset;  // of its top left from the dial's centre
    };

    QPointer<const RadialMenuController> controller_;
    MusicCenterKnobState& knob_;
    QTimer knobFrames_;
    MusicKnobPictures knobPictures_;
    QImage knobBase_;  // the dial in knobBaseSquare_ without the turning part of the disc
    QRect knobBaseSquare_;
    int knobBaseDrawings_ = 0;
    double paintedAngle_ = std::numeric_limits<double>::quiet_NaN();  // the disc's, last painted
    MusicTrackLabel* trackLabel_;
    SlotImageResolver resolver_;
    QImage behind_;
    QRectF behindArea_;
    bool behindAsBackground_ = false;
    QImage glass_;  // behind_, blurred and tinted for the cached scheme
    QImage glassDisc_;  // the glass at the disc's size, cut to the disc, for this showing
    QImage discMask_;   // the disc's coverage, kept with the plate
    // The glass of this showing while the glass thread makes it.
    std::shared_ptr<std::packaged_task<GlassPictures()>> glassInMaking_;
    std::future<GlassPictures> glassMade_;
    QPointF discMaskOffset_;
    double discMaskDiameter_ = 0;
    QPixmap plate_;
    DialViewState cachedFor_;  // the look the kept pictures were painted for
    double cachedDpr_ = 0;
    int lastHighlight_ = -1;
    // By slot and label colour, with the picture they were made from.
    std::map<std::pair<Uuid, QRgb>, std::pair<SlotImage, QImage>> icons_;
    std::map<WedgeKey, WedgePicture> wedges_;
};

}  // namespace orbel::dial
