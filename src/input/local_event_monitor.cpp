#include "input/local_event_monitor.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <bit>

#include "platform/key_translation.h"
#include "slots/alert_utility.h"

namespace orbel {
namespace {

// Keys that only change the modifiers: never a press of their own.
bool isModifierKey(int key) {
    switch (key) {
    case Qt::Key_Shift: case Qt::Key_Control: case Qt::Key_Meta: case Qt::Key_Alt: case Qt::Key_AltGr:
    case Qt::Key_CapsLock: case Qt::Key_NumLock: case Qt::Key_ScrollLock: case Qt::Key_Super_L:
    case Qt::Key_Super_R: case Qt::Key_Hyper_L: case Qt::Key_Hyper_R:
        return true;
    default:
        return false;
    }
}

}  // namespace

LocalEventMonitor::LocalEventMonitor(bool capturesMouseButtons, Handler handler)
    : capturesMouseButtons_(capturesMouseButtons), handler_(std::move(handler)) {
    if (auto* app = QCoreApplication::instance()) app->installEventFilter(this);
}

LocalEventMonitor::~LocalEventMonitor() {
    if (auto* app = QCoreApplication::instance()) app->removeEventFilter(this);
}

bool LocalEventMonitor::eventFilter(QObject*, QEvent* event) {
    if (!active_) return false;
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Claim the key so that no shortcut fires; its press comes next.
        event->accept();
        return true;
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool keypad = key->modifiers().testFlag(Qt::KeypadModifier);
        if (isModifierKey(key->key())) return true;
        auto code = platform::keyCodeForQtKey(key->key(), keypad);
        // Keys Qt has no name for (F13 and up under the stock keymap): by the
        // keysym, then by the key itself.
        if (!code && key->nativeVirtualKey()) code = platform::keyCodeForKeysym(key->nativeVirtualKey());
        if (!code) code = platform::keyCodeForEvdevKeycode(key->nativeScanCode());
        if (code) {
            LocalInput input{LocalInput::Kind::key, *code, carbonModifiersFromQt(key->modifiers()), 0};
            if (auto handler = handler_) handler(input);
        }
        return true;  // modifier keys alone and keys without a code are taken silently
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (!capturesMouseButtons_ || mouse->button() == Qt::LeftButton || mouse->button() == Qt::NoButton)
            return false;
        if (event->type() == QEvent::MouseButtonPress) {
            const int number = std::countr_zero(static_cast<unsigned>(mouse->button()));
            LocalInput input{LocalInput::Kind::mouseButton, 0, 0, number};
            if (auto handler = handler_) handler(input);
        }
        return true;
    }
    case QEvent::MouseButtonRelease:
    case QEvent::ContextMenu: {
        // The rest of a taken right or extra click.
        if (!capturesMouseButtons_) return false;
        if (event->type() == QEvent::ContextMenu) return true;
        return static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton;
    }
    default:
        return false;
    }
}

}  // namespace orbel
