#pragma once

// The hold binding recorder as the settings window shows it: the recorder
// button and, under it, the input-monitoring help or the last refusal. A
// recording ends, without a result, when the control leaves the screen or
// another program's window becomes the active one.

#include <QWidget>

#include "input/hold_binding_recorder.h"

class QLabel;

namespace orbel {

class RecorderButton;

class HoldBindingRecorderView : public QWidget {
public:
    explicit HoldBindingRecorderView(HoldBindingRecorder& recorder, QWidget* parent = nullptr);

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void refresh();
    HoldBindingRecorder& recorder_;
    RecorderButton* button_;
    QWidget* help_;
    QLabel* rejection_;
};

}  // namespace orbel
