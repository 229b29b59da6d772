#include "sheets/macro_recorder_overlay.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <utility>

namespace orbel {

MacroRecorderOverlay::MacroRecorderOverlay(std::function<void(const std::vector<MacroStep>&)> onComplete,
                                           QWidget* parent)
    : SlotEditChromeSheet(QString(), tr("Recording — press Esc to stop"), QString(), QSize(480, 360), parent),
      onComplete_(std::move(onComplete)) {
    setHeaderPicture(recordingDotPixmap(9, devicePixelRatioF()));
    setTitleFont(sheetFont(SheetText::subheadline, QFont::DemiBold));
    setFormMargins(QMargins(0, 0, 0, 0));
    setFormSpacing(6);
    saveButton()->setText(tr("Done"));
    empty_ = new QLabel(tr("Press keys to record chords…"));
    empty_->setFont(sheetFont(SheetText::body));
    empty_->setContentsMargins(20, 16, 20, 0);
    setTextColor(empty_, tertiaryColor(palette()));
    addFormItem(empty_);
    onSave = [this] {
        if (auto complete = std::exchange(onComplete_, nullptr)) complete(model_.steps());
        accept();
    };
    monitor_.onChord = [this](const LocalInput& input) { handleKey(input); };
    setCanSave(false);
}

MacroRecorderOverlay::~MacroRecorderOverlay() { monitor_.stop(); }

void MacroRecorderOverlay::showEvent(QShowEvent* event) {
    SlotEditChromeSheet::showEvent(event);
    model_.start();
    if (model_.isListening()) monitor_.start();
}

void MacroRecorderOverlay::done(int result) {
    model_.stop();
    monitor_.stop();
    SlotEditChromeSheet::done(result);
}

void MacroRecorderOverlay::handleKey(const LocalInput& input) {
    if (input.kind != LocalInput::Kind::key) return;
    const std::size_t before = model_.captured().size();
    model_.handleKeyDown(input.keyCode, input.modifiers);
    if (!model_.isListening()) monitor_.stop();
    if (model_.captured().size() == before) return;
    addRow(model_.captured().back(), model_.captured().size());
    empty_->hide();
    setCanSave(model_.canFinish());
    // Keep the newest row in view once the list has been laid out.
    QTimer::singleShot(0, this, [this] { formArea()->verticalScrollBar()->setValue(formArea()->verticalScrollBar()->maximum()); });
}

void MacroRecorderOverlay::addRow(const KeyCombination& combo, std::size_t number) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(20, 4, 20, 4);
    layout->setSpacing(10);
    auto* position = new QLabel(QString::number(number), row);
    position->setFont(sheetFont(SheetText::caption2, QFont::Bold));
    position->setMinimumWidth(20);
    position->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setTextColor(position, secondaryColor(palette()));
    auto* chord = new QLabel(QString::fromStdString(combo.displayString()), row);
    chord->setTextFormat(Qt::PlainText);
    chord->setFont(sheetFont(SheetText::body, QFont::DemiBold, true));
    layout->addWidget(position, 0, Qt::AlignVCenter);
    layout->addWidget(chord, 1, Qt::AlignVCenter);
    addFormItem(row);
}

}  // namespace orbel
