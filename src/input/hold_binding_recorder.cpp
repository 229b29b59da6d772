#include "input/hold_binding_recorder.h"

#include <QCoreApplication>
#include <QPointer>
#include <QRunnable>
#include <QThreadPool>
#include <cctype>

#include "input/hold_binding_names.h"
#include "input/local_event_monitor.h"
#include "platform/log.h"
#include "platform/main_queue.h"
#include "platform/permissions.h"

namespace orbel {
namespace {

constexpr std::uint16_t kEscape = 53;

std::string localized(const char* text) {
    return QCoreApplication::translate("HoldBindingRecorder", text).toStdString();
}

// F1 to F20: offered as bindings of their own, without a modifier.
bool isFunctionKey(std::uint16_t keyCode) {
    const auto name = KeyCombination::keyName(keyCode);
    return name && name->size() > 1 && (*name)[0] == 'f' && std::isdigit(static_cast<unsigned char>((*name)[1]));
}

}  // namespace

HoldBindingRecorder::HoldBindingRecorder(HidButtonCallback* hidButtonDown, platform::InputMonitor& monitor)
    : hidButtonDown_(hidButtonDown), captureTap_(monitor) {}

HoldBindingRecorder::~HoldBindingRecorder() = default;

std::string HoldBindingRecorder::bareKeyMessage() {
    return localized("Use a modifier or a function key — bare typing keys would interfere with normal use.");
}

std::string HoldBindingRecorder::reservedButtonMessage() {
    return localized("Left and right click are reserved — use a side button (Mouse 4 / Mouse 5) or remap a thumb "
              "button to a function key (F13–F19).");
}

void HoldBindingRecorder::setBinding(const std::optional<HoldBinding>& binding) {
    binding_ = binding;
    Q_EMIT changed();
}

void HoldBindingRecorder::setRecording(bool recording) {
    if (recording == isRecording_) return;
    isRecording_ = recording;
    if (keyMonitor_) keyMonitor_->setActive(recording);
    Q_EMIT changed();
}

HoldBindingRecorder::Look HoldBindingRecorder::look() const {
    if (needsInputMonitoring_) return Look::blocked;
    if (isRecording_ && rejectionMessage_) return Look::refused;
    return isRecording_ ? Look::recording : Look::idle;
}

std::string HoldBindingRecorder::statusText() const {
    if (needsInputMonitoring_) return localized("Input Monitoring required");
    if (isRecording_ && rejectionMessage_) return localized("Try again — that input isn't allowed");
    if (isRecording_) return localized("Press a key or mouse button now…");
    return displayName(binding_).value_or(localized("Click to record"));
}

void HoldBindingRecorder::toggleRecording() {
    if (isRecording_)
        setRecording(false);
    else
        startRecording();
}

void HoldBindingRecorder::startRecording() {
    rejectionMessage_.reset();
    const bool granted = platform::Permissions::shared().inputMonitoringGranted();
    const std::string line = "[orbel-input] HoldBindingRecorder.startRecording — input monitoring granted = ";
    platform::Log::write(platform::LogCategory::input, line + (granted ? "true" : "false"),
                         platform::LogTarget::standardOutput);
    if (!granted) {
        needsInputMonitoring_ = true;
        QThreadPool::globalInstance()->start([] { platform::Permissions::shared().requestInputMonitoring(); });
        Q_EMIT changed();
        return;
    }
    needsInputMonitoring_ = false;
    ++recording_;
    inputClosed_ = false;
    if (!subscriptionsInstalled_) {
        QPointer<HoldBindingRecorder> self(this);
        keyMonitor_ = std::make_unique<LocalEventMonitor>(false, [self](const LocalInput& input) {
            if (self) self->handleKeyDown(input.keyCode, input.modifiers);
        });
        captureTap_.onButtonDown = [self](int button) {
            if (self && self->isRecording_) self->handleMouseButton(button);
        };
        if (hidButtonDown_)
            hidHook_ = HidButtonHook(*hidButtonDown_, [self](std::uint16_t productID, std::uint16_t cid) {
                if (self) self->handleHidppButton(productID, cid);
            });
        subscriptionsInstalled_ = true;
    }
    setRecording(true);
    captureTap_.install();
    Q_EMIT changed();
}

void HoldBindingRecorder::handleKeyDown(std::uint16_t keyCode, std::uint32_t carbonModifiers) {
    if (!takesInput()) return;
    if (keyCode == kEscape) {
        inputClosed_ = true;
        later([](HoldBindingRecorder& self) { self.setRecording(false); });
        return;
    }
    if (carbonModifiers != 0 || isFunctionKey(keyCode)) {
        commit(HoldBinding::keyCombination({keyCode, carbonModifiers, std::nullopt}));
        return;
    }
    later([](HoldBindingRecorder& self) {
        self.rejectionMessage_ = bareKeyMessage();
        Q_EMIT self.changed();
    });
}

void HoldBindingRecorder::handleMouseButton(int button) {
    if (!takesInput()) return;
    if (button >= 2) {
        commit(HoldBinding::mouseButton(button));
        return;
    }
    later([](HoldBindingRecorder& self) {
        self.rejectionMessage_ = reservedButtonMessage();
        Q_EMIT self.changed();
    });
}

void HoldBindingRecorder::handleHidppButton(std::uint16_t productID, std::uint16_t cid) {
    if (takesInput()) commit(HoldBinding::hidppButton(productID, cid));
}

void HoldBindingRecorder::commit(const HoldBinding& binding) {
    // The first acceptable input ends the recording: later ones, even those
    // that arrive before this commit runs, are ignored.
    inputClosed_ = true;
    later([binding](HoldBindingRecorder& self) {
        self.binding_ = binding;
        self.setRecording(false);
        self.rejectionMessage_.reset();
        Q_EMIT self.changed();
        if (auto callback = self.onCapture) callback(binding);
    });
}

void HoldBindingRecorder::later(std::function<void(HoldBindingRecorder&)> work) {
    QPointer<HoldBindingRecorder> self(this);
    platform::MainQueue::shared().post([self, recording = recording_, work = std::move(work)] {
        if (self && self->recording_ == recording) work(*self);
    });
}

}  // namespace orbel
