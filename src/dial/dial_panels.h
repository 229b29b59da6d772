#pragma once

// The dial's windows on the desktop: the real DialSurface. The overlay is a
// frameless, stay-on-top, translucent panel that never takes the focus and
// bypasses the window manager, marked so that a compositor draws no shadow
// of its own about it; it hosts the dial's view in the square about
// the centre of the pointer's screen. Every screen, the overlay's included,
// is covered by an invisible click catcher (PointerWatch) beneath it, so a
// click anywhere lands in our windows and reaches no other application: on
// the overlay's screen it counts as a click on the overlay, elsewhere as one
// on a catcher panel. The catchers paint nothing, and the overlay only its
// square, so showing the dial uploads no full-screen picture. Keys come
// through a keyboard grab (the application in front keeps its focus);
// pointer motion everywhere through the PointerWatch (and while a hold is
// down, by asking where the pointer is once a frame: a held mouse button
// keeps the motion events in another window), presses outside our
// windows (only where no catcher could be put) through the InputMonitor. A desktop
// switch, a change of the screens or the loss of the grab asks the dial to
// close.
//
// Glass: just before the panel shows, the square behind the dial is
// captured (ScreenCapture) for the backdrop's frosted glass. With a
// compositor the panel is truly translucent; without one the captured
// picture is also painted as the panel's background.
//
// The overlay panel and the catchers are made once and kept between
// showings. GUI thread only.

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QTimer>
#include <memory>
#include <vector>

#include "dial/dial_surface.h"
#include "dial/radial_menu_view.h"
#include "platform/screen_scaling.h"

namespace orbel::dial {

class DialPanel;

class DialPanels : public QObject, public DialSurface {
    Q_OBJECT

public:
    explicit DialPanels(QObject* parent = nullptr);
    ~DialPanels() override;

    // The controller whose state the overlay's view draws and whose Escape
    // handling the panel falls back on.
    void setController(RadialMenuController* controller);
    RadialMenuView& view();

    // Tests: the overlay panel while it is up, and the catchers' areas
    // (desktop coordinates, the overlay's screen first).
    QWidget* overlayPanel() const;
    const std::vector<QRect>& catcherAreas() const { return catcherAreas_; }
    // The side of the overlay's square for a dial radius: the dial with its
    // title pills.
    static double panelSide(double menuRadius);
    // Does ahead what the first opening would otherwise do: makes the
    // panel's native window and paints the dial once off the screen (fonts,
    // icons, symbols, the cached layers). Nothing while the dial is up.
    void warmUp();

    // DialSurface.
    void setListener(DialSurfaceListener* listener) override { listener_ = listener; }
    std::vector<DialScreen> screens() const override;
    std::optional<DialScreen> mainScreen() const override;
    QPointF pointerPosition() const override;
    QPointF openingPointerPosition() override;
    void present(const DialScreen& overlay, const std::vector<DialScreen>& catchers) override;
    void grabKeyboard() override;
    void releaseKeyboard() override;
    void dismiss() override;
    void pushArrowCursor() override;
    void popCursor() override;

private:
    friend class DialPanel;
    void watchScreens(bool on);
    void tryGrab();
    void retryGrab();
    void rawButtonPressed(int button);
    void catcherPressed(int catcher, int button, QPoint devicePosition);
    void requestDismiss();
    QPointF fromDevice(QPoint p) const { return platform::fromDevicePixels(p, screenScales_); }

    DialSurfaceListener* listener_ = nullptr;
    QPointer<RadialMenuController> controller_;
    std::unique_ptr<DialPanel> overlay_;
    std::vector<QRect> catcherAreas_;
    bool catchersUp_ = false;
    QTimer catcherDelay_;
    double dpr_ = 1.0;
    std::vector<platform::ScreenScale> screenScales_;  // the screens when the dial was presented
    bool presented_ = false;
    bool wantGrab_ = false;
    int grabAttempts_ = 0;
    int showings_ = 0;  // counts showings: an answer to a former one's grab is not this one's
    bool watching_ = false;
    int buttonWatch_ = 0;
    std::vector<QMetaObject::Connection> screenConnections_;
    void followHold();
    QTimer holdFollow_;  // asks where the pointer is, once a frame, while a hold is down
    QPointF followed_;   // where it was last time
};

}  // namespace orbel::dial
