#include "sheets/step_rows.h"

#include <algorithm>
#include <limits>

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QSpinBox>
#include <QVBoxLayout>

#include "sheets/sheet_rules.h"
#include "sheets/step_list_model.h"
#include "ui/sheet_frame.h"

namespace orbel {
namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

// A preset chip of the wait row: its label, drawn strong when it is the
// current value.
class PresetChip : public QAbstractButton {
public:
    PresetChip(std::int64_t milliseconds, QWidget* parent) : QAbstractButton(parent), milliseconds_(milliseconds) {
        setText(qs(step_rows::formatMilliseconds(milliseconds)));
        setToolTip(qs(step_rows::presetTooltip(milliseconds)));
        setCursor(Qt::PointingHandCursor);
        setFont(sheetFont(SheetText::caption2, QFont::DemiBold));
        setFocusPolicy(Qt::NoFocus);
    }
    std::int64_t milliseconds() const { return milliseconds_; }
    void setCurrent(bool current) {
        current_ = current;
        update();
    }
    bool isCurrent() const { return current_; }
    QSize sizeHint() const override {
        const QFontMetrics metrics(font());
        return {metrics.horizontalAdvance(text()) + 12, metrics.height() + 4};
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QColor ink = palette().color(QPalette::WindowText);
        QColor fill = current_ ? ink : secondaryColor(palette());
        fill.setAlphaF(0.1f);
        p.setPen(Qt::NoPen);
        p.setBrush(fill);
        p.drawRoundedRect(QRectF(rect()), 4, 4);
        p.setPen(current_ ? ink : secondaryColor(palette()));
        p.drawText(rect(), Qt::AlignCenter, text());
    }

private:
    std::int64_t milliseconds_;
    bool current_ = false;
};

QHBoxLayout* rowLayout(QWidget* row) {
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    return layout;
}

QLabel* secondaryLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    setTextColor(label, secondaryColor(label->palette()));
    return label;
}

}  // namespace

QWidget* makeStepIcon(const char* symbol, QWidget* parent) {
    auto* label = makeSymbolLabel(symbol, 13, secondaryColor(parent->palette()), parent);
    label->setFixedSize(16, 16);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

// MARK: chord

ChordRow::ChordRow(std::optional<KeyCombination> combo, std::function<void(const KeyCombination&)> onChange,
                   QWidget* parent)
    : RecorderButton(Style{7, QMargins(10, 6, 10, 6), 160}, parent), combo_(combo), onChange_(std::move(onChange)) {
    setMaximumWidth(240);
    monitor_.onChord = [this](const LocalInput& input) { handleChord(input); };
    connect(&monitor_, &KeyMonitor::recordingChanged, this, [this] { refresh(); });
    stopRecording = [this] { monitor_.stop(); };
    connect(this, &QAbstractButton::clicked, this, [this] { toggleRecording(); });
    refresh();
}

void ChordRow::toggleRecording() {
    if (monitor_.isRecording())
        monitor_.stop();
    else
        monitor_.start();
}

void ChordRow::handleChord(const LocalInput& input) {
    if (input.kind != LocalInput::Kind::key) return;
    if (auto chord = step_rows::recordedChord(input.keyCode, input.modifiers)) {
        combo_ = *chord;
        if (onChange_) onChange_(*chord);
    }
    monitor_.stop();
}

void ChordRow::hideEvent(QHideEvent* event) {
    monitor_.stop();
    RecorderButton::hideEvent(event);
}

void ChordRow::refresh() {
    const bool recording = monitor_.isRecording();
    display(recording ? State::recording : State::idle, qs(step_rows::chordCapsuleText(combo_, recording)));
}

// MARK: wait

WaitRow::WaitRow(std::int64_t milliseconds, std::function<void(std::int64_t)> onChange, QWidget* parent)
    : QWidget(parent), draft_(milliseconds), onChange_(std::move(onChange)) {
    auto* layout = rowLayout(this);
    layout->addWidget(makeStepIcon("hourglass", this));
    field_ = new QSpinBox(this);
    // The field takes any whole number: what is typed is brought within
    // 1...5000 by commit (a negative number becomes 1), and a stored wait
    // outside that range shows as stored until the first edit. Text that
    // does not parse puts the last value back and reports nothing.
    field_->setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    field_->setSingleStep(10);
    field_->setAlignment(Qt::AlignRight);
    field_->setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    field_->setKeyboardTracking(false);  // a typed number counts once it is entered, not digit by digit
    field_->setFixedWidth(84);
    field_->setValue(static_cast<int>(
        std::clamp<std::int64_t>(milliseconds, std::numeric_limits<int>::min(), std::numeric_limits<int>::max())));
    auto* group = new QHBoxLayout;
    group->setSpacing(4);
    group->addWidget(field_);
    group->addWidget(secondaryLabel(tr("ms"), this));
    layout->addLayout(group);
    auto* presets = new QHBoxLayout;
    presets->setSpacing(4);
    for (std::int64_t preset : step_rows::kWaitPresets) {
        auto* chip = new PresetChip(preset, this);
        chip->setCurrent(preset == draft_);
        connect(chip, &QAbstractButton::clicked, this, [this, preset] { applyPreset(preset); });
        presets->addWidget(chip);
        chips_.push_back(chip);
    }
    layout->addLayout(presets);
    layout->addStretch(1);
    connect(field_, &QSpinBox::valueChanged, this, [this](int value) { commit(value); });
}

void WaitRow::applyPreset(std::int64_t milliseconds) {
    if (onChange_) onChange_(milliseconds);
    field_->setValue(static_cast<int>(milliseconds));  // commits again with the same value when it changed
}

void WaitRow::commit(std::int64_t value) {
    const std::int64_t clamped = step_rows::clampWait(value);
    draft_ = clamped;
    if (clamped != value) field_->setValue(static_cast<int>(clamped));
    for (auto* chip : chips_) {
        auto* preset = static_cast<PresetChip*>(chip);
        preset->setCurrent(preset->milliseconds() == draft_);
    }
    if (onChange_) onChange_(clamped);
}

// MARK: text

TextRow::TextRow(const std::string& text, std::function<void(const std::string&)> onChange, QWidget* parent)
    : QWidget(parent) {
    auto* layout = rowLayout(this);
    layout->addWidget(makeStepIcon("character.cursor.ibeam", this));
    field_ = new QLineEdit(qs(text), this);
    field_->setPlaceholderText(tr("Text to type"));
    layout->addWidget(field_, 1);
    connect(field_, &QLineEdit::textEdited, this, [onChange = std::move(onChange)](const QString& typed) {
        if (onChange) onChange(typed.toStdString());
    });
}

// MARK: static

StaticRow::StaticRow(const char* symbol, const QString& label, QWidget* parent) : QWidget(parent) {
    auto* layout = rowLayout(this);
    layout->addWidget(makeStepIcon(symbol, this));
    layout->addWidget(secondaryLabel(label, this));
    layout->addStretch(1);
}

// MARK: wait for window

WaitForWindowRow::WaitForWindowRow(const MacroStep::WaitForWindow& step, OnChange onChange, QWidget* parent)
    : QWidget(parent), onChange_(std::move(onChange)) {
    auto* lines = new QVBoxLayout(this);
    lines->setContentsMargins(0, 0, 0, 0);
    lines->setSpacing(4);
    auto* first = new QHBoxLayout;
    first->setSpacing(10);
    first->addWidget(makeStepIcon("macwindow", this));
    bundle_ = new QLineEdit(qs(step.bundleId), this);
    bundle_->setPlaceholderText(tr("Bundle ID"));
    bundle_->setMinimumWidth(150);
    title_ = new QLineEdit(qs(step.titleContains.value_or("")), this);
    title_->setPlaceholderText(tr("Title contains (optional)"));
    title_->setMinimumWidth(150);
    first->addWidget(bundle_, 1);
    first->addWidget(title_, 1);
    lines->addLayout(first);
    auto* second = new QHBoxLayout;
    second->setSpacing(0);
    second->addSpacing(26);  // under the fields: the icon column and its spacing
    timeout_ = new QSpinBox(this);
    timeout_->setRange(static_cast<int>(MacroStep::kMinWindowTimeoutMs), static_cast<int>(MacroStep::kMaxWindowTimeoutMs));
    timeout_->setSingleStep(100);
    timeout_->setPrefix(tr("Timeout: "));
    timeout_->setSuffix(tr(" ms"));
    timeout_->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    timeout_->setValue(static_cast<int>(step.timeoutMs));
    second->addWidget(timeout_);
    second->addStretch(1);
    lines->addLayout(second);
    connect(bundle_, &QLineEdit::textEdited, this, [this] { commit(); });
    connect(title_, &QLineEdit::textEdited, this, [this] { commit(); });
    connect(timeout_, &QSpinBox::valueChanged, this, [this] { commit(); });
}

void WaitForWindowRow::commit() {
    if (onChange_)
        onChange_(bundle_->text().toStdString(), step_rows::titleFilter(title_->text().toStdString()),
                  timeout_->value());
}

}  // namespace orbel
