#include "settings/hotkey_recorder_view.h"

namespace orbel {

HotkeyRecorderView::HotkeyRecorderView(const KeyCombination& hotkey, QWidget* parent)
    : RecorderButton(Style{8, QMargins(14, 8, 14, 8), 200}, parent), model_(hotkey) {
    monitor_.onChord = [this](const LocalInput& input) { model_.handleKey(input.keyCode, input.modifiers); };
    connect(this, &QAbstractButton::clicked, &model_, &HotkeyRecorderModel::toggle);
    stopRecording = [this] { model_.setRecording(false); };
    connect(&model_, &HotkeyRecorderModel::recordingChanged, this, [this](bool recording) {
        if (recording)
            monitor_.start();
        else
            monitor_.stop();
        Q_EMIT recordingChanged(recording);
    });
    connect(&model_, &HotkeyRecorderModel::hotkeyRecorded, this, &HotkeyRecorderView::hotkeyRecorded);
    connect(&model_, &HotkeyRecorderModel::displayChanged, this, &HotkeyRecorderView::refresh);
    refresh();
}

void HotkeyRecorderView::hideEvent(QHideEvent* event) {
    model_.setRecording(false);
    RecorderButton::hideEvent(event);
}

void HotkeyRecorderView::refresh() {
    const QString text = QString::fromStdString(model_.displayText());
    display(model_.look() == HotkeyRecorderModel::Look::idle ? State::idle : State::recording, text);
}

}  // namespace orbel
