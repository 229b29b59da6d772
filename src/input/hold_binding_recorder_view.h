#pragma once

// The hold binding recorder as the settings window shows it: the recorder
// button and, under it, the input-monitoring help or the last refusal.

#include <QWidget>

#include "input/hold_binding_recorder.h"

class QLabel;

namespace orbel {

class RecorderButton;

class HoldBindingRecorderView : public QWidget {
public:
    explicit HoldBindingRecorderView(HoldBindingRecorder& recorder, QWidget* parent = nullptr);

private:
    void refresh();
    HoldBindingRecorder& recorder_;
    RecorderButton* button_;
    QWidget* help_;
    QLabel* rejection_;
};

}  // namespace orbel
