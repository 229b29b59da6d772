#include "dial/dial_panels.h"

#include <QCursor>
#include <QGuiApplication>
#include <QHideEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <bit>

#include "dial/radial_menu_controller.h"
#include "dial/wedge_geometry.h"
#include "platform/capture_guard.h"
#include "platform/key_translation.h"
#include "platform/permissions.h"
#include "platform/pointer_watch.h"
#include "platform/screen_capture.h"

namespace orbel::dial {
namespace {

// Without a compositor the panel shows only the dial's square: the disc
// and room for the title pills around it.
constexpr double kOpaqueMargin = 120.0;
constexpr int kGrabRetryMs = 10;
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
    DialPanel(DialPanels& owner, bool overlay) : owner_(owner), overlay_(overlay) {
        setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                       Qt::X11BypassWindowManagerHint | Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint);
        setAttribute(Qt::WA_TranslucentBackground);
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_X11DoNotAcceptFocus);
        setAttribute(Qt::WA_X11NetWmWindowTypeDropDownMenu);
        setMouseTracking(true);
        setCursor(Qt::ArrowCursor);
        setFocusPolicy(Qt::StrongFocus);
        if (overlay) {
            setWindowTitle(QStringLiteral("Orbel"));
            view_ = new RadialMenuView(this);
            view_->setAttribute(Qt::WA_TransparentForMouseEvents);
        }
    }

    RadialMenuView* view() const { return view_; }
    void showOn(const QRect& frame) {
        ours_ = true;
        setGeometry(frame);
        if (view_) view_->setGeometry(rect());
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
            l->leftPressed(overlay_ ? DialClickTarget::overlay : DialClickTarget::ownWindow, e->globalPosition());
        } else {
            l->otherButtonPressed(storedButton(e->button()));
        }
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        if (DialSurfaceListener* l = owner_.listener_) {
            if (e->buttons() & Qt::LeftButton) l->leftDragged();
            else l->pointerMoved();
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
    void hideEvent(QHideEvent* e) override {
        QWidget::hideEvent(e);
        // Hidden by someone else: our keyboard grab went with it.
        if (!ours_ && !e->spontaneous() && overlay_) owner_.requestDismiss();
    }

private:
    DialPanels& owner_;
    bool overlay_;
    bool ours_ = false;
    RadialMenuView* view_ = nullptr;
};

DialPanels::DialPanels(QObject* parent) : QObject(parent) {
    panels_.push_back(std::make_unique<DialPanel>(*this, true));
    auto& watch = platform::PointerWatch::shared();
    connect(&watch, &platform::PointerWatch::pointerMoved, this, [this] {
        if (presented_ && listener_) listener_->pointerMoved();
    });
    connect(&watch, &platform::PointerWatch::buttonPressed, this, &DialPanels::rawButtonPressed);
    connect(&watch, &platform::PointerWatch::desktopChanged, this, &DialPanels::requestDismiss);
}

DialPanels::~DialPanels() {
    if (presented_) dismiss();
}

void DialPanels::setController(RadialMenuController* controller) {
    controller_ = controller;
    view().setController(controller);
}

RadialMenuView& DialPanels::view() { return *panels_.front()->view(); }

QWidget* DialPanels::overlayPanel() const { return presented_ ? panels_.front().get() : nullptr; }

std::vector<QWidget*> DialPanels::catcherPanels() const {
    std::vector<QWidget*> list;
    for (std::size_t i = 1; i < shown_; ++i) list.push_back(panels_[i].get());
    return list;
}

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

QPointF DialPanels::pointerPosition() const { return QCursor::pos(); }

DialPanel& DialPanels::panelAt(std::size_t index) {
    while (panels_.size() <= index) panels_.push_back(std::make_unique<DialPanel>(*this, false));
    return *panels_[index];
}

void DialPanels::present(const DialScreen& overlay, const std::vector<DialScreen>& catchers) {
    auto& capture = platform::ScreenCapture::shared();
    translucent_ = capture.compositorRunning();
    const double radius = controller_ ? controller_->menuRadius() : RadialMenuController::kDefaultRadius;
    const DialMetrics m{radius};
    const QPointF centre = QRectF(overlay.frame).center();
    // What lies behind the dial, taken before any panel of ours is up.
    const double side = m.backdropDiameter() + (translucent_ ? 0.0 : 2 * kOpaqueMargin);
    const QRect square = QRectF(centre.x() - side / 2, centre.y() - side / 2, side, side).toAlignedRect();
    QScreen* screen = QGuiApplication::screenAt(overlay.frame.center());
    const double dpr = screen ? screen->devicePixelRatio() : 1.0;
    view().setBehind(capture.capture(square, dpr), QRectF(square).translated(-QPointF(overlay.frame.topLeft())),
                     !translucent_);

    DialPanel& panel = panelAt(0);
    if (translucent_) panel.clearMask();
    else panel.setMask(QRegion(square.translated(-overlay.frame.topLeft())));
    shown_ = 1;
    if (translucent_) {
        for (const DialScreen& s : catchers) panelAt(shown_++).showOn(s.frame);
    }
    panel.showOn(overlay.frame);
    presented_ = true;
    platform::CaptureGuard::shared().overlayShown();
    if (platform::Permissions::shared().inputMonitoringGranted()) watching_ = platform::PointerWatch::shared().start();
    watchScreens(true);
}

void DialPanels::dismiss() {
    if (!presented_) return;
    releaseKeyboard();
    if (watching_) platform::PointerWatch::shared().stop();
    watching_ = false;
    watchScreens(false);
    for (std::size_t i = 0; i < shown_; ++i) panels_[i]->hideByUs();
    shown_ = 0;
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
    DialPanel& panel = *panels_.front();
    QWindow* window = panel.windowHandle();
    if (window && window->setKeyboardGrabEnabled(true)) {
        panel.grabKeyboard();  // Qt routes the keys to the panel
        return;
    }
    if (++grabAttempts_ < kGrabAttempts) QTimer::singleShot(kGrabRetryMs, this, &DialPanels::tryGrab);
}

void DialPanels::releaseKeyboard() {
    wantGrab_ = false;
    DialPanel& panel = *panels_.front();
    panel.releaseKeyboard();
    if (QWindow* window = panel.windowHandle()) window->setKeyboardGrabEnabled(false);
}

void DialPanels::pushArrowCursor() { QGuiApplication::setOverrideCursor(Qt::ArrowCursor); }

void DialPanels::popCursor() { QGuiApplication::restoreOverrideCursor(); }

bool DialPanels::overOurPanel(QPointF global) const {
    for (std::size_t i = 0; i < shown_; ++i) {
        const DialPanel& p = *panels_[i];
        const QPoint local = (global - QPointF(p.geometry().topLeft())).toPoint();
        if (p.rect().contains(local) && (p.mask().isEmpty() || p.mask().contains(local))) return true;
    }
    return false;
}

void DialPanels::rawButtonPressed(int button) {
    // Presses on our own panels arrive as the panels' own events.
    if (!presented_ || !listener_ || button != 0) return;
    const QPointF at = pointerPosition();
    if (!overOurPanel(at)) listener_->leftPressed(DialClickTarget::foreignWindow, at);
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
