#pragma once

// The dial's windows on the desktop: the real DialSurface. One frameless,
// stay-on-top, translucent panel per screen that never takes the focus and
// bypasses the window manager: the overlay panel on the pointer's screen
// hosts the dial's view, the catcher panels on the other screens only catch
// clicks. Keys come through a keyboard grab (the application in front keeps
// its focus); pointer motion and clicks outside our windows through the
// platform's PointerWatch. A desktop switch, a change of the screens or
// the loss of the grab asks the dial to close.
//
// Glass: just before the panels show, the square behind the dial is
// captured (ScreenCapture) for the backdrop's frosted glass. With a
// compositor the panels are truly translucent; without one only the dial's
// square is shown (everything else of the panel is cut away), its corners
// painted with the captured picture, and no catcher panels are shown: clicks
// elsewhere reach the dial through the PointerWatch.
//
// Panels are made once and kept between showings. GUI thread only.

#include <QObject>
#include <QPointer>
#include <memory>
#include <vector>

#include "dial/dial_surface.h"
#include "dial/radial_menu_view.h"

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

    // Tests: the panels on screen now (overlay first).
    QWidget* overlayPanel() const;
    std::vector<QWidget*> catcherPanels() const;
    bool usesCompositorAlpha() const { return translucent_; }

    // DialSurface.
    void setListener(DialSurfaceListener* listener) override { listener_ = listener; }
    std::vector<DialScreen> screens() const override;
    std::optional<DialScreen> mainScreen() const override;
    QPointF pointerPosition() const override;
    void present(const DialScreen& overlay, const std::vector<DialScreen>& catchers) override;
    void grabKeyboard() override;
    void releaseKeyboard() override;
    void dismiss() override;
    void pushArrowCursor() override;
    void popCursor() override;

private:
    friend class DialPanel;
    DialPanel& panelAt(std::size_t index);
    void watchScreens(bool on);
    void tryGrab();
    void rawButtonPressed(int button);
    void requestDismiss();
    bool overOurPanel(QPointF global) const;

    DialSurfaceListener* listener_ = nullptr;
    QPointer<RadialMenuController> controller_;
    std::vector<std::unique_ptr<DialPanel>> panels_;  // [0] is the overlay, kept between showings
    std::size_t shown_ = 0;                           // panels on screen now
    bool presented_ = false;
    bool translucent_ = false;
    bool wantGrab_ = false;
    int grabAttempts_ = 0;
    bool watching_ = false;
    std::vector<QMetaObject::Connection> screenConnections_;
};

}  // namespace orbel::dial
