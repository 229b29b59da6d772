#include "input/menu_key_recorder.h"

#include <QCoreApplication>

namespace orbel {

MenuKeyRecorder::MenuKeyRecorder(QWidget* parent) : RecorderButton(Style{}, parent) {
    monitor_.capturesMouseButtons = true;
    monitor_.onChord = [this](const LocalInput& input) { record(input); };
    connect(&monitor_, &KeyMonitor::recordingChanged, this, [this] { refresh(); });
    stopRecording = [this] { monitor_.stop(); };
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (monitor_.isRecording())
            monitor_.stop();
        else
            monitor_.start();
    });
    refresh();
}

void MenuKeyRecorder::setKey(const KeyCombination& key) {
    key_ = key;
    refresh();
}

void MenuKeyRecorder::record(const LocalInput& input) {
    if (input.kind == LocalInput::Kind::mouseButton) {
        if (input.button >= 1) {
            setKey({0, 0, input.button});
            if (onChange) onChange(key_);
        }
    } else {
        setKey({input.keyCode, input.modifiers, std::nullopt});
        if (onChange) onChange(key_);
    }
    monitor_.stop();
}

void MenuKeyRecorder::hideEvent(QHideEvent* event) {
    monitor_.stop();
    RecorderButton::hideEvent(event);
}

void MenuKeyRecorder::refresh() {
    if (monitor_.isRecording())
        display(State::recording, QCoreApplication::translate("MenuKeyRecorder", "Press a key or mouse button…"));
    else
        display(State::idle, QString::fromStdString(key_.displayString()));
}

}  // namespace orbel
