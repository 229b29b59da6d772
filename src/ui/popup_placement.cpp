#include "ui/popup_placement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace orbel::ui {
namespace {

// One axis of keepPopupOnScreen: the start of a span `length` long that
// wants to start at `start`, beside the anchor [anchorStart, anchorEnd),
// inside [areaStart, areaEnd).
int placeSpan(int start, int length, int anchorStart, int anchorEnd, int areaStart, int areaEnd) {
    const auto shown = [&](int s) { return std::max(0, std::min(s + length, areaEnd) - std::max(s, areaStart)); };
    if (shown(start) < length) {
        const int mirrored = anchorStart + anchorEnd - (start + length);
        if (shown(mirrored) > shown(start)) start = mirrored;
    }
    return std::clamp(start, areaStart, std::max(areaStart, areaEnd - length));
}

}  // namespace

QRect keepPopupOnScreen(const QRect& wanted, const QRect& anchor, const QRect& available) {
    const int width = std::min(wanted.width(), available.width());
    const int height = std::min(wanted.height(), available.height());
    const int x = placeSpan(wanted.x(), width, anchor.x(), anchor.x() + anchor.width(), available.x(),
                            available.x() + available.width());
    const int y = placeSpan(wanted.y(), height, anchor.y(), anchor.y() + anchor.height(), available.y(),
                            available.y() + available.height());
    return {x, y, width, height};
}

QRect placeWindow(QSize wanted, const QMargins& frame, const QRect& available) {
    const QRect inside = available.marginsRemoved(frame);
    const QSize size = wanted.boundedTo(inside.size()).expandedTo(QSize(1, 1));
    QRect client(QPoint(), size);
    client.moveCenter(inside.center());
    // Centring rounds; the frame's top left stays on the area whatever the rounding.
    client.moveTopLeft(QPoint(std::max(client.left(), inside.left()), std::max(client.top(), inside.top())));
    return client;
}

QSize largestClientSize(const QMargins& frame, const QRect& available) {
    return available.marginsRemoved(frame).size().expandedTo(QSize(1, 1));
}

QMargins frameOf(const QWidget* window) {
    const QRect outer = window->frameGeometry(), inner = window->geometry();
    if (outer == inner) return kFrameAllowance;
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

namespace {

// Holds a window to its screen's free area. The limits the window sets for
// itself (or its layout sets) are remembered apart from those applied here:
// a limit that differs from the one last applied is the window's own again.
class ScreenBound : public QObject {
public:
    explicit ScreenBound(QWidget* window) : QObject(window), window_(window) {
        setObjectName(QStringLiteral("orbelScreenBound"));
        window->installEventFilter(this);
    }

    // To the free area of `screen`, or, before the window is placed, of
    // the screen its parent's window (or else the window) is on: a dialog
    // goes over its parent only as it shows.
    void apply(QScreen* screen = nullptr) {
        if (window_->minimumSize() != appliedMin_) ownMin_ = window_->minimumSize();
        if (window_->maximumSize() != appliedMax_) ownMax_ = window_->maximumSize();
        const QWidget* anchor = window_->parentWidget() ? window_->parentWidget()->window() : window_;
        const QRect area = screen ? screen->availableGeometry() : availableAreaAt(globalRect(anchor));
        const QSize most = largestClientSize(frameOf(window_), area);
        appliedMin_ = ownMin_.boundedTo(most);
        appliedMax_ = ownMax_.boundedTo(most);
        // The minimum first: a maximum below the old minimum would not
        // shrink the window.
        if (window_->minimumSize() != appliedMin_) window_->setMinimumSize(appliedMin_);
        if (window_->maximumSize() != appliedMax_) window_->setMaximumSize(appliedMax_);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::Show) return false;
        apply();
        if (QWindow* handle = window_->windowHandle(); handle && !watched_) {
            watched_ = handle;
            connect(handle, &QWindow::screenChanged, this, [this](QScreen* screen) { apply(screen); });
        }
        return false;
    }

private:
    QWidget* window_;
    QPointer<QWindow> watched_;
    QSize ownMin_, ownMax_, appliedMin_, appliedMax_;
};

}  // namespace

void keepOnScreen(QWidget* window) {
    if (!window) return;
    auto* bound = window->findChild<ScreenBound*>(QStringLiteral("orbelScreenBound"), Qt::FindDirectChildrenOnly);
    if (!bound) bound = new ScreenBound(window);
    bound->apply();
}

QSize fitFreeArea(QSize wanted, const QWidget* near) {
    const QRect area = near ? availableAreaAt(globalRect(near->window())) : availableAreaAt(QRect());
    return wanted.boundedTo(area.marginsRemoved(kFrameAllowance).size());
}

QRect centredBelow(const QRect& anchor, QSize size, int gap) {
    return {anchor.x() + (anchor.width() - size.width()) / 2, anchor.y() + anchor.height() + gap, size.width(),
            size.height()};
}

QRect globalRect(const QWidget* widget) { return {widget->mapToGlobal(QPoint(0, 0)), widget->size()}; }

QRect availableAreaAt(const QRect& anchor) {
    QScreen* screen = QGuiApplication::screenAt(anchor.center());
    if (!screen) screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : anchor;
}

void showPopup(QWidget* popup, const QRect& wanted, const QRect& anchor) {
    const QRect placed = keepPopupOnScreen(wanted, anchor, availableAreaAt(anchor));
    if (placed.size() != wanted.size()) popup->resize(placed.size());
    popup->move(placed.topLeft());
    popup->show();
}

void popUpMenu(QMenu* menu, QPoint at) {
    const QRect point(at, QSize(1, 1));
    menu->popup(keepPopupOnScreen(QRect(at, menu->sizeHint()), point, availableAreaAt(point)).topLeft());
}

namespace {

// Puts a button's menu back beside the button, on screen, as it shows.
class MenuBesideButton : public QObject {
public:
    MenuBesideButton(QMenu* menu, QWidget* button) : QObject(menu), button_(button) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Show || !button_) return false;
        auto* menu = static_cast<QMenu*>(watched);
        const QRect anchor = globalRect(button_);
        const QRect placed = keepPopupOnScreen(menu->geometry(), anchor, availableAreaAt(anchor));
        if (placed != menu->geometry()) menu->setGeometry(placed);
        return false;
    }

private:
    QPointer<QWidget> button_;
};

}  // namespace

void keepMenuBesideButton(QMenu* menu, QWidget* button) {
    menu->installEventFilter(new MenuBesideButton(menu, button));
}

}  // namespace orbel::ui
