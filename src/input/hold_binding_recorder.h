#pragma once

// The logic of the control with which the user records the input that opens
// the dial: a key with a modifier (or a function key), a mouse button other
// than left and right, or a button of a HID++ mouse. While it records, three
// sources are watched and the first acceptable input wins: key presses sent
// to the program, extra mouse buttons anywhere on the screen, and HID++
// buttons. Refused inputs leave a message and recording goes on; Escape
// cancels. Recording starts only with input monitoring granted.
//
// The caller owns `binding` and `isRecording` (it may stop a recording at any
// time with `setRecording(false)`) and hears of each capture through
// `onCapture`. Everything the recorder installs goes away with it. GUI thread
// only; every change that follows an input happens on a later turn.

#include <QObject>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "input/hid_button_hook.h"
#include "input/mouse_button_capture_tap.h"
#include "model/hold_binding.h"

namespace orbel {

class LocalEventMonitor;

class HoldBindingRecorder : public QObject {
    Q_OBJECT
public:
    // `hidButtonDown`: the HID++ listener's down callback field, when there
    // is a listener; it must outlive the recorder.
    explicit HoldBindingRecorder(HidButtonCallback* hidButtonDown = nullptr,
                                 platform::InputMonitor& monitor = platform::InputMonitor::shared());
    ~HoldBindingRecorder() override;

    // The caller's values.
    const std::optional<HoldBinding>& binding() const { return binding_; }
    void setBinding(const std::optional<HoldBinding>& binding);
    bool isRecording() const { return isRecording_; }
    void setRecording(bool recording);
    std::function<void(const HoldBinding& captured)> onCapture;

    // The recorder's own state.
    const std::optional<std::string>& rejectionMessage() const { return rejectionMessage_; }
    bool needsInputMonitoring() const { return needsInputMonitoring_; }

    // What the button shows.
    // refused: recording after a refused input; blocked: input monitoring missing.
    enum class Look { idle, recording, refused, blocked };
    Look look() const;
    std::string statusText() const;

    // The button's action: cancels a recording, else starts one.
    void toggleRecording();
    void startRecording();

    // One input from each source (the watchers call these; tests may too).
    void handleKeyDown(std::uint16_t keyCode, std::uint32_t carbonModifiers);
    void handleMouseButton(int button);
    void handleHidppButton(std::uint16_t productID, std::uint16_t cid);

    static std::string bareKeyMessage();
    static std::string reservedButtonMessage();

Q_SIGNALS:
    void changed();

private:
    bool takesInput() const { return isRecording_ && !inputClosed_; }
    void commit(const HoldBinding& binding);
    // Runs `work` on a later turn unless a new recording began meanwhile.
    void later(std::function<void(HoldBindingRecorder&)> work);

    std::optional<HoldBinding> binding_;
    bool isRecording_ = false;
    std::optional<std::string> rejectionMessage_;
    bool needsInputMonitoring_ = false;
    bool inputClosed_ = false;  // an input already ended this recording
    unsigned recording_ = 0;    // counts recordings

    HidButtonCallback* hidButtonDown_;
    MouseButtonCaptureTap captureTap_;
    bool subscriptionsInstalled_ = false;
    std::unique_ptr<LocalEventMonitor> keyMonitor_;
    HidButtonHook hidHook_;
};

}  // namespace orbel
