#pragma once

// The editor rows of the macro step kinds. None of them holds the step
// list: each is built from one step and reports a new value of that step
// through its callback; the list writes it back by the step's key.

#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "input/key_monitor.h"
#include "input/recorder_button.h"
#include "model/macro_step.h"

class QLineEdit;
class QSpinBox;

namespace orbel {

// A capsule that records one chord: a press arms it, the next key (any key
// but Escape, Return included) becomes the chord, Escape or a second press
// disarms it unchanged. Modifier keys alone record nothing. Recording ends
// when the row is hidden or goes away.
class ChordRow : public RecorderButton {
    Q_OBJECT
public:
    // `combo` is none for a step nothing was recorded into yet.
    ChordRow(std::optional<KeyCombination> combo, std::function<void(const KeyCombination&)> onChange,
             QWidget* parent = nullptr);

    bool isRecording() const { return monitor_.isRecording(); }
    void toggleRecording();

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void handleChord(const LocalInput& input);
    void refresh();
    std::optional<KeyCombination> combo_;
    std::function<void(const KeyCombination&)> onChange_;
    KeyMonitor monitor_;
};

// A pause: a number field with a stepper (steps of 10) and five preset
// chips; every change is kept within 1...5000 and reported. The stored value
// shows as it is until the first edit.
class WaitRow : public QWidget {
    Q_OBJECT
public:
    WaitRow(std::int64_t milliseconds, std::function<void(std::int64_t)> onChange, QWidget* parent = nullptr);
    std::int64_t draft() const { return draft_; }
    void applyPreset(std::int64_t milliseconds);
    QSpinBox* field() const { return field_; }

private:
    void commit(std::int64_t value);
    std::int64_t draft_;
    std::function<void(std::int64_t)> onChange_;
    QSpinBox* field_;
    std::vector<QWidget*> chips_;
};

// The text to type, reported as typed.
class TextRow : public QWidget {
    Q_OBJECT
public:
    TextRow(const std::string& text, std::function<void(const std::string&)> onChange, QWidget* parent = nullptr);
    QLineEdit* field() const { return field_; }

private:
    QLineEdit* field_;
};

// A step with nothing to edit (clipboard push and pop).
class StaticRow : public QWidget {
    Q_OBJECT
public:
    StaticRow(const char* symbol, const QString& label, QWidget* parent = nullptr);
};

// A wait for a window: the application's bundle id, an optional title
// filter and a timeout (200 to 30000 ms, steps of 100).
class WaitForWindowRow : public QWidget {
    Q_OBJECT
public:
    using OnChange = std::function<void(const std::string& bundleId, const std::optional<std::string>& titleContains,
                                        std::int64_t timeoutMs)>;
    WaitForWindowRow(const MacroStep::WaitForWindow& step, OnChange onChange, QWidget* parent = nullptr);
    QLineEdit* bundleField() const { return bundle_; }
    QLineEdit* titleField() const { return title_; }
    QSpinBox* timeoutField() const { return timeout_; }

private:
    void commit();
    OnChange onChange_;
    QLineEdit* bundle_;
    QLineEdit* title_;
    QSpinBox* timeout_;
};

// The row's symbol column: 13 pt in the secondary colour, 16 wide.
QWidget* makeStepIcon(const char* symbol, QWidget* parent);

}  // namespace orbel
