#pragma once

// The level editor of a valued system action (set volume, set brightness):
// a caption naming the quantity, the level as a whole percentage, and a
// slider over 0 to 1 in steps of 0.01. It edits a number only; whoever
// embeds it owns the level and builds the action from it.

#include <QWidget>
#include <functional>

#include "model/system_action.h"

class QLabel;
class QSlider;

namespace orbel {

class ParameterizedActionEditor : public QWidget {
    Q_OBJECT
public:
    ParameterizedActionEditor(SystemAction prototype, double level, QWidget* parent = nullptr);

    double level() const { return level_; }
    // Shows a level set from outside (no report).
    void setLevel(double level);
    // Told of every level the slider sets.
    std::function<void(double)> onChange;

    QSlider* slider() const { return slider_; }
    QString captionText() const;
    QString percentText() const;

private:
    void refresh();
    double level_;
    QLabel* caption_;
    QLabel* percent_;
    QSlider* slider_;
};

}  // namespace orbel
