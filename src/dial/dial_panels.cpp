#include "dial/dial_panels.h"

#include <QBackingStore>
#include <QCursor>
#include <QGuiApplication>
#include <QHideEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <array>
#include <bit>
#include <chrono>
#include <cmath>
#include <utility>

#include "dial/radial_menu_controller.h"
#include "platform/memory.h"
#include "dial/wedge_geometry.h"
#include "platform/capture_guard.h"
#include "platform/global_hotkeys.h"
#include "platform/keyboard_grab.h"
#include "platform/panel_window.h"
#include "platform/input_monitor.h"
#include "platform/key_translation.h"
#include "platform/permissions.h"
#include "platform/pointer_watch.h"
#include "platform/screen_capture.h"
#include "platform/screen_scaling.h"

namespace orbel::dial {
namespace {

constexpr int kGrabRetryMs = 10;
// The first retries come on the next turn: the usual holder is our own hot
// key's grab, let go as soon as its press is read, and a key typed between
// that and our grab would go to the window in front.
constexpr int kPromptGrabRetries = 5;
// How long the warm-up's showing out of sight lasts: long enough for a
// compositor to take the window in.
constexpr int kWarmShowingMs = 100;
// How long after a hot-key press the pointer it carried still counts.
constexpr std::chrono::milliseconds kPressPointerFresh{100};
constexpr int kCatcherDelayMs = 40;
constexpr int kGrabAttempts = 150;  // the key that opened the dial may hold the keyboard a moment

// Qt's buttons are bits in the stored numbering's order.
int storedButton(Qt::MouseButton button) { return std::countr_zero(static_cast<unsigned>(button)); }

DialKeyEvent dialKey(const QKeyEvent& e) {
    DialKeyEvent key;
    const std::uint32_t keysym = e.nativeVirtualKey();
    std::optional<std::uint16_t> code = keysym ? platform::keyCodeForKeysym(keysym) : std::nullopt;
    if (!code) code = platform::keyCodeForQtKey(e.key(), e.modifiers() & Qt::KeypadModifier);
    key.keyCode = code.value_or(0xFFFF);
    key.modifiers = platform::carbonFromQtModifiers(int(e.modifiers()));
    if (keysym >= 0x20 && keysym < 0x7f) key.unmodifiedText = std::string(1, char(keysym));
    else if (!e.text().isEmpty() && e.text().at(0).isPrint()) key.unmodifiedText = e.text().toLower().toStdString();
    return key;
}

}  // namespace

// One panel. The overlay hosts the view; catchers are empty.
class DialPanel : public QWidget {
public:
    explicit DialPanel(DialPanels& owner) : owner_(owner) {
        setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                       Qt::X11BypassWindowManagerHint | Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint);
        setAttribute(Qt::WA_TranslucentBackground);
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_X11DoNotAcceptFocus);
        setMouseTracking(true);
        setCursor(Qt::ArrowCursor);
        setFocusPolicy(Qt::StrongFocus);
        setWindowTitle(QStringLiteral("Orbel"));
        view_ = new RadialMenuView(this);
        view_->setAttribute(Qt::WA_TransparentForMouseEvents);
        view_->installEventFilter(this);
    }

    RadialMenuView* view() const { return view_; }
    // Where the next showing puts it; set before anything is painted for it.
    void placeAt(const QRect& frame) {
        setGeometry(frame);
        if (view_) view_->setGeometry(rect());
    }
    void showNow() {
        // The dial paints its own soft shadow about the disc: a compositor's
        // square one about the window would frame it.
        platform::createPanelWindow(*this);
        ours_ = true;
        showUpdates_ = {true, true};
        painted_ = false;
        show();
        raise();
        ours_ = false;
    }
    void hideByUs() {
        ours_ = true;
        hide();
        ours_ = false;
    }

protected:
    void mousePressEvent(QMouseEvent* e) override {
        DialSurfaceListener* l = owner_.listener_;
        if (!l) return;
        if (e->button() == Qt::LeftButton) {
            l->leftPressed(DialClickTarget::overlay, e->globalPosition());
        } else {
            l->otherButtonPressed(storedButton(e->button()));
        }
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        if (DialSurfaceListener* l = owner_.listener_) {
            if (e->buttons() & Qt::LeftButton) l->leftDragged();
            else l->pointerMoved(e->globalPosition());
        }
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton && owner_.listener_) owner_.listener_->leftReleased();
    }
    void keyPressEvent(QKeyEvent* e) override {
        const DialKeyEvent key = dialKey(*e);
        if (owner_.listener_ && owner_.listener_->keyPressed(key)) return;
        // The panel's own meaning of Escape, whatever keys are configured.
        if (e->key() == Qt::Key_Escape && owner_.controller_) owner_.controller_->cancelOperation();
    }
    bool event(QEvent* e) override {
        if (e->type() == QEvent::Paint && (QRegion(rect()) - static_cast<QPaintEvent*>(e)->region()).isEmpty())
            painted_ = true;
        return repaintedAlready(e, showUpdates_[0]) || QWidget::event(e);
    }
    bool eventFilter(QObject* watched, QEvent* e) override {
        return watched == view_ && repaintedAlready(e, showUpdates_[1]);
    }
    // Showing asks for a repaint of the panel and of its view a moment
    // later (the first such request each gets); when the expose painted
    // them whole already, that would paint the same picture a second time.
    bool repaintedAlready(QEvent* e, bool& pending) const {
        return e->type() == QEvent::UpdateLater && std::exchange(pending, false) && painted_;
    }
    // The keyboard grab gives the panel the focus; nothing it shows
    // depends on that, so it is not painted a second time.
    void focusInEvent(QFocusEvent*) override {}
    void focusOutEvent(QFocusEvent*) override {}
    void hideEvent(QHideEvent* e) override {
        QWidget::hideEvent(e);
        // Hidden by someone else: our keyboard grab went with it.
        if (!ours_ && !e->spontaneous()) owner_.requestDismiss();
    }

private:
    DialPanels& owner_;
    bool ours_ = false;
    std::array<bool, 2> showUpdates_{};  // the repaints showing asks for are still to come
    bool painted_ = false;     // all of it painted since it showed
    RadialMenuView* view_ = nullptr;
};

DialPanels::DialPanels(QObject* parent) : QObject(parent), overlay_(std::make_unique<DialPanel>(*this)) {
    auto& watch = platform::PointerWatch::shared();
    connect(&watch, &platform::PointerWatch::pointerMoved, this, [this](std::optional<QPoint> device) {
        if (!presented_ || !listener_) return;
        if (device) listener_->pointerMoved(fromDevice(*device));
        // Raw motion says nothing of where. With catchers up the pointer is
        // over the panel or a catcher, whose own motion events say where: no
        // need to ask the server (while a hold is down, followHold does).
        else if (!catchersUp_) listener_->pointerMoved(std::nullopt);
    });
    catcherDelay_.setSingleShot(true);
    catcherDelay_.setInterval(kCatcherDelayMs);
    connect(&catcherDelay_, &QTimer::timeout, this, [this] {
        if (!presented_) return;
        // Each through its own screen: Qt keeps screens' origins in device pixels.
        std::vector<QRect> device;
        for (const QRect& r : catcherAreas_) device.push_back(platform::toDevicePixels(r, screenScales_));
        catchersUp_ = platform::PointerWatch::shared().setClickCatchers(device);
        // The panel goes back above them (were it left below, its clicks
        // would still come, as the catcher's).
        if (catchersUp_) overlay_->raise();
    });
    holdFollow_.setTimerType(Qt::PreciseTimer);
    connect(&holdFollow_, &QTimer::timeout, this, &DialPanels::followHold);
    connect(&watch, &platform::PointerWatch::desktopChanged, this, &DialPanels::requestDismiss);
    connect(&watch, &platform::PointerWatch::catcherPressed, this, &DialPanels::catcherPressed);
    connect(&watch, &platform::PointerWatch::catcherDragged, this, [this] {
        if (presented_ && listener_) listener_->leftDragged();
    });
    connect(&watch, &platform::PointerWatch::catcherReleased, this, [this](int button) {
        if (presented_ && listener_ && button == 0) listener_->leftReleased();
    });
}

DialPanels::~DialPanels() {
    if (presented_) dismiss();
}

void DialPanels::setController(RadialMenuController* controller) {
    controller_ = controller;
    view().setController(controller);
}

RadialMenuView& DialPanels::view() { return *overlay_->view(); }

QWidget* DialPanels::overlayPanel() const { return presented_ ? overlay_.get() : nullptr; }

double DialPanels::panelSide(double menuRadius) { return DialMetrics{menuRadius}.panelSide(); }

std::vector<DialScreen> DialPanels::screens() const {
    std::vector<DialScreen> list;
    const auto all = QGuiApplication::screens();
    for (int i = 0; i < all.size(); ++i) list.push_back(DialScreen{i, all[i]->geometry()});
    return list;
}

std::optional<DialScreen> DialPanels::mainScreen() const {
    QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary) return std::nullopt;
    return DialScreen{int(QGuiApplication::screens().indexOf(primary)), primary->geometry()};
}

void DialPanels::warmUp() {
    if (presented_) return;
    platform::createPanelWindow(*overlay_);
    QScreen* screen = QGuiApplication::primaryScreen();
    const double dpr = screen ? screen->devicePixelRatio() : 1.0;
    const double radius = controller_ ? controller_->menuRadius() : RadialMenuController::kDefaultRadius;
    const int side = int(std::ceil(panelSide(radius)));
    overlay_->resize(side, side);
    view().setGeometry(0, 0, side, side);
    QImage scratch(QSize(side, side) * dpr, QImage::Format_ARGB32_Premultiplied);
    scratch.setDevicePixelRatio(dpr);
    scratch.fill(Qt::transparent);
    view().render(&scratch);
    // The window's backing store at the size it shows at, its pages
    // touched: the first showing paints into it as every later one does.
    if (QBackingStore* store = overlay_->backingStore(); store && store->size() != overlay_->size()) {
        store->resize(overlay_->size());
        store->beginPaint(QRegion(overlay_->rect()));
        store->endPaint();
    }
    // The capture's shared memory, attached once.
    auto& capture = platform::ScreenCapture::shared();
    (void)capture.compositorRunning();
    (void)capture.capture(QRect(0, 0, 1, 1), dpr);
    // Shown once where no screen is, and hidden again: the window system
    // and a compositor set up what a window's first showing needs out of
    // sight, not between the user's first hot key and the dial.
    overlay_->placeAt(QRect(QPoint(-4 * side, -4 * side), QSize(side, side)));
    overlay_->showNow();
    QTimer::singleShot(kWarmShowingMs, this, [this] {
        if (!presented_) overlay_->hideByUs();
    });
}

QPointF DialPanels::pointerPosition() const {
    // From the device pixel through the screen that holds it: Qt's own
    // answer is rounded to whole points, which at a ratio of 2 puts a
    // screen's last column or row on the next screen (or on none).
    if (const auto device = platform::PointerWatch::shared().position())
        return platform::fromDevicePixels(*device, platform::currentScreenScales());
    return QCursor::pos();
}

QPointF DialPanels::openingPointerPosition() {
    // A hot-key press says where the pointer was: no question to the server
    // stands between the press and the dial. Only a press of a moment ago
    // opened this dial; anything else asks.
    // The press is in device pixels: it maps through the screens as they are
    // now (those of the last showing are none before the first, and stale
    // after a change of screens).
    if (const auto press = platform::GlobalHotkeys::shared().takePressPointer();
        press && std::chrono::steady_clock::now() - press->at < kPressPointerFresh)
        return platform::fromDevicePixels(press->device, platform::currentScreenScales());
    return pointerPosition();
}

void DialPanels::present(const DialScreen& overlay, const std::vector<DialScreen>& catchers) {
    auto& capture = platform::ScreenCapture::shared();
    const bool translucent = capture.compositorRunning();
    const double radius = controller_ ? controller_->menuRadius() : RadialMenuController::kDefaultRadius;
    const double side = panelSide(radius);
    const QPointF centre = QRectF(overlay.frame).center();
    const QRect square = QRectF(centre.x() - side / 2, centre.y() - side / 2, side, side).toAlignedRect();
    QScreen* screen = QGuiApplication::screenAt(overlay.frame.center());
    dpr_ = screen ? screen->devicePixelRatio() : 1.0;
    const double rate = screen && screen->refreshRate() > 1 ? screen->refreshRate() : 60.0;
    holdFollow_.setInterval(std::max(1, int(1000 / rate)));
    // Still up from the warm-up (out of sight): down first, or moving it
    // would bring it on screen into its own capture.
    if (overlay_->isVisible()) overlay_->hideByUs();
    overlay_->placeAt(square);
    // What lies behind the dial, taken before any window of ours is up: the
    // backdrop's square for the glass, or the whole panel when it must be
    // painted as the background too.
    const double d = DialMetrics{radius}.backdropDiameter();
    const QRect taken = translucent ? QRectF(centre.x() - d / 2, centre.y() - d / 2, d, d).toAlignedRect() : square;
    view().releaseBehind();
    view().setBehind(capture.capture(taken, dpr_), QRectF(taken).translated(-QPointF(square.topLeft())), !translucent);

    // The catchers, the overlay's screen first.
    catcherAreas_.clear();
    catcherAreas_.push_back(overlay.frame);
    for (const DialScreen& s : catchers) catcherAreas_.push_back(s.frame);
    screenScales_ = platform::currentScreenScales();
    // They go up a moment after the dial: a window mapped over a whole
    // screen keeps the X server (and a compositor) busy for milliseconds,
    // which would otherwise stand between the hot key and the first frame.
    // No one clicks that fast; a press meanwhile is heard as raw input.
    catcherDelay_.start();

    overlay_->showNow();
    presented_ = true;
    ++showings_;
    platform::CaptureGuard::shared().overlayShown();
    if (platform::Permissions::shared().inputMonitoringGranted()) {
        watching_ = platform::PointerWatch::shared().start();
        buttonWatch_ = platform::InputMonitor::shared().addButtonWatch([this](int button, bool pressed) {
            if (pressed) rawButtonPressed(button);
        });
    }
    watchScreens(true);
    if (controller_ && controller_->openedViaHold) {
        followed_ = pointerPosition();
        holdFollow_.start();
    }
}

void DialPanels::followHold() {
    // A held mouse button gave another window the pointer (its implicit
    // grab): our windows hear nothing of the motion, and a pointer moved by
    // warping makes no raw motion either. So while the hold lasts the
    // pointer is asked for once a frame, and only a move is reported.
    if (!presented_ || !listener_ || !controller_ || !controller_->openedViaHold) {
        holdFollow_.stop();
        return;
    }
    const QPointF at = pointerPosition();
    if (at == followed_) return;
    followed_ = at;
    listener_->pointerMoved(at);
}

void DialPanels::dismiss() {
    if (!presented_) return;
    releaseKeyboard();
    auto& watch = platform::PointerWatch::shared();
    if (watching_) watch.stop();
    watching_ = false;
    platform::InputMonitor::shared().removeButtonWatch(buttonWatch_);
    buttonWatch_ = 0;
    watchScreens(false);
    holdFollow_.stop();
    catcherDelay_.stop();
    overlay_->hideByUs();
    // The picture of the screen and the glass made from it serve one
    // showing (the next takes its own): not kept while the dial is away,
    // and the memory they held goes back to the system once the dial is gone.
    view().setBehind(QImage(), QRectF(), false);
    QTimer::singleShot(0, this, [this] {
        if (!presented_) platform::returnFreedMemory();
    });
    if (catchersUp_) watch.setClickCatchers({});
    catchersUp_ = false;
    catcherAreas_.clear();
    presented_ = false;
    platform::CaptureGuard::shared().overlayHidden();
}

void DialPanels::grabKeyboard() {
    wantGrab_ = true;
    grabAttempts_ = 0;
    tryGrab();
}

void DialPanels::tryGrab() {
    if (!wantGrab_ || !presented_) return;
    DialPanel& panel = *overlay_;
    QWindow* window = panel.windowHandle();
    if (!window) return retryGrab();
    // The answer comes a turn later, once the panel is painted. Until then
    // the keys the window system sends the panel go to it as its own.
    platform::grabKeyboardFor(*window, [this, alive = QPointer<DialPanels>(this), showing = showings_](bool granted) {
        if (!alive || showing != showings_ || !wantGrab_ || !presented_) return;
        if (granted) overlay_->grabKeyboard();  // and now Qt routes every key to the panel, too
        else retryGrab();
    });
}

void DialPanels::retryGrab() {
    if (wantGrab_ && presented_ && ++grabAttempts_ < kGrabAttempts)
        QTimer::singleShot(grabAttempts_ <= kPromptGrabRetries ? 0 : kGrabRetryMs, this, &DialPanels::tryGrab);
}

void DialPanels::releaseKeyboard() {
    wantGrab_ = false;
    DialPanel& panel = *overlay_;
    panel.releaseKeyboard();
    if (QWindow* window = panel.windowHandle()) platform::releaseKeyboardOf(*window);
}

void DialPanels::pushArrowCursor() { QGuiApplication::setOverrideCursor(Qt::ArrowCursor); }

void DialPanels::popCursor() { QGuiApplication::restoreOverrideCursor(); }

void DialPanels::rawButtonPressed(int button) {
    // With catchers every press lands in our windows and arrives as their
    // own event; without them a left press elsewhere is another
    // application's, unless it is on the overlay.
    if (!presented_ || !listener_ || button != 0 || catchersUp_) return;
    const QPointF at = pointerPosition();
    if (!overlay_->geometry().contains(at.toPoint())) listener_->leftPressed(DialClickTarget::foreignWindow, at);
}

void DialPanels::catcherPressed(int catcher, int button, QPoint devicePosition) {
    if (!presented_ || !listener_) return;
    if (button != 0) {
        listener_->otherButtonPressed(button);
        return;
    }
    // The overlay's screen is the overlay panel's, as far as the dial knows.
    listener_->leftPressed(catcher == 0 ? DialClickTarget::overlay : DialClickTarget::ownWindow,
                           fromDevice(devicePosition));
}

void DialPanels::requestDismiss() {
    if (presented_ && listener_) listener_->dismissRequested();
}

void DialPanels::watchScreens(bool on) {
    for (auto& c : screenConnections_) disconnect(c);
    screenConnections_.clear();
    if (!on) return;
    auto* app = qGuiApp;
    screenConnections_.push_back(connect(app, &QGuiApplication::screenAdded, this, &DialPanels::requestDismiss));
    screenConnections_.push_back(connect(app, &QGuiApplication::screenRemoved, this, &DialPanels::requestDismiss));
    screenConnections_.push_back(
        connect(app, &QGuiApplication::primaryScreenChanged, this, &DialPanels::requestDismiss));
    for (QScreen* s : QGuiApplication::screens())
        screenConnections_.push_back(connect(s, &QScreen::geometryChanged, this, &DialPanels::requestDismiss));
}

}  // namespace orbel::dial
