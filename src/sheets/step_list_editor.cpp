#include "sheets/step_list_editor.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "model/overloaded.h"
#include "sheets/macro_recorder_overlay.h"
#include "sheets/step_rows.h"
#include "ui/controls.h"
#include "ui/popup_placement.h"
#include "ui/sheet_frame.h"
#include "ui/sheet_opener.h"

namespace orbel {
namespace {

const QColor kGreen(0x34, 0xC7, 0x59);

// The rounded box the rows sit in.
class StepBox : public QWidget {
public:
    explicit StepBox(QWidget* parent) : QWidget(parent) {}
    bool empty = true;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QColor fill = palette().color(QPalette::Base);
        fill.setAlphaF(isDarkPalette(palette()) ? 0.35f : 0.6f);
        QColor stroke = secondaryColor(palette());
        stroke.setAlphaF(empty ? 0.3f : 0.18f);
        p.setPen(QPen(stroke, 1));
        p.setBrush(fill);
        p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
    }
};

// The position badge: the number on a faint circle.
class PositionBadge : public QWidget {
public:
    PositionBadge(int number, QWidget* parent) : QWidget(parent), text_(QString::number(number)) {
        setFont(sheetFont(SheetText::caption2, QFont::Bold));
        const int width = std::max(14, QFontMetrics(font()).horizontalAdvance(text_)) + 6;
        setFixedSize(width, 20);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QColor fill = secondaryColor(palette());
        fill.setAlphaF(0.12f);
        p.setPen(Qt::NoPen);
        p.setBrush(fill);
        const int d = std::min(width(), height());
        p.drawEllipse(QRectF((width() - d) / 2.0, (height() - d) / 2.0, d, d));
        p.setPen(secondaryColor(palette()));
        p.drawText(rect(), Qt::AlignCenter, text_);
    }

private:
    QString text_;
};

QPushButton* addBarButton(const char* symbol, const QString& text, bool primary, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setAutoDefault(false);
    button->setFont(sheetFont(SheetText::callout, QFont::Medium));
    const QColor ink = primary ? parent->palette().color(QPalette::WindowText) : secondaryColor(parent->palette());
    if (symbol) button->setIcon(QIcon(symbolPixmap(symbol, 11, ink, parent->devicePixelRatioF())));
    button->setCursor(Qt::PointingHandCursor);
    return button;
}


}  // namespace

StepListEditor::StepListEditor(StepList& steps, QWidget* parent) : QWidget(parent), steps_(steps) {
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(8);
    box_ = new StepBox(this);
    boxLayout_ = new QVBoxLayout(box_);
    boxLayout_->setContentsMargins(0, 0, 0, 0);
    boxLayout_->setSpacing(0);
    root->addWidget(box_);

    summary_ = new QWidget(this);
    auto* summaryLayout = new QHBoxLayout(summary_);
    summaryLayout->setContentsMargins(0, 0, 0, 0);
    summaryLayout->setSpacing(6);
    summaryIcon_ = new QLabel(summary_);
    summaryText_ = new QLabel(summary_);
    summaryText_->setFont(sheetFont(SheetText::caption));
    summaryText_->setTextFormat(Qt::PlainText);
    setTextColor(summaryText_, secondaryColor(summaryText_->palette()));
    summaryLayout->addWidget(summaryIcon_);
    summaryLayout->addWidget(summaryText_, 1);
    root->addWidget(summary_);
    // The first rows are made before the bar, as Tab takes them.
    rebuild();

    auto* bar = new QHBoxLayout;
    bar->setSpacing(8);
    auto* addChord = addBarButton("plus", tr("Add Chord"), true, this);
    auto* addWait = addBarButton("hourglass", tr("Add Wait"), false, this);
    auto* addText = addBarButton("character.cursor.ibeam", tr("Add Text"), false, this);
    more_ = new QToolButton(this);
    more_->setText(tr("More"));
    more_->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(more_);
    connect(menu->addAction(tr("Clipboard Push")), &QAction::triggered, this, [this] { steps_.appendClipboardPush(); });
    connect(menu->addAction(tr("Clipboard Pop")), &QAction::triggered, this, [this] { steps_.appendClipboardPop(); });
    connect(menu->addAction(tr("Wait for Window")), &QAction::triggered, this, [this] { steps_.appendWaitForWindow(); });
    more_->setMenu(menu);
    ui::keepMenuBesideButton(menu, more_);
    auto* record = addBarButton(nullptr, tr("Record"), false, this);
    record->setIcon(QIcon(recordingDotPixmap(7, devicePixelRatioF())));
    record->setToolTip(tr("Record keystrokes into macro steps"));
    addButtons_ = {addChord, addWait, addText, record};
    for (auto* b : {addChord, addWait, addText}) bar->addWidget(b);
    bar->addWidget(more_);
    bar->addWidget(record);
    bar->addStretch(1);
    root->addLayout(bar);
    connect(addChord, &QPushButton::clicked, this, [this, addChord] {
        steps_.appendChord();
        // The new chord is the next thing to do: record into it.
        if (!rows_.empty()) ui::passFocus(addChord, rows_.back().row);
    });
    connect(addWait, &QPushButton::clicked, this, [this] { steps_.appendWait(); });
    connect(addText, &QPushButton::clicked, this, [this] { steps_.appendText(); });
    connect(record, &QPushButton::clicked, this, [this] { openRecorder(); });

    steps_.onChange = [this](StepList::Change change) { stepsChanged(change); };
}

QPushButton* StepListEditor::addButton(const char* text) const {
    for (auto* b : addButtons_)
        if (b->text() == tr(text)) return b;
    return nullptr;
}

QString StepListEditor::summaryText() const { return summaryText_->text(); }

bool StepListEditor::isShowingEmptyState() const { return emptyState_ != nullptr; }

void StepListEditor::openRecorder() {
    if (recorder_) return;
    QPointer<StepListEditor> self(this);
    recorder_ = new MacroRecorderOverlay(
        [self](const std::vector<MacroStep>& steps) {
            if (self) self->steps_.appendRecordedSteps(steps);
        },
        window());
    ui::openSheet(recorder_);
}

void StepListEditor::stepsChanged(StepList::Change change) {
    // An edit in place keeps the rows (and the focus in them); steps that
    // come or go rebuild them all, with fresh keys and numbers.
    if (change == StepList::Change::resized) rebuild();
    else refreshSummary();
    if (onStepsChanged) onStepsChanged();
}

QWidget* StepListEditor::makeRow(std::size_t index) {
    const StepList::Key key = steps_.keyAt(index);
    StepList& steps = steps_;
    return std::visit(
        Overloaded{
            [&](const MacroStep::Chord& c) -> QWidget* {
                const auto recorded = steps.isUnrecordedChord(index) ? std::nullopt : std::optional(c.combination);
                return new ChordRow(recorded,
                                    [&steps, key](const KeyCombination& k) { steps.replaceStep(key, MacroStep::chord(k)); });
            },
            [&](const MacroStep::Wait& w) -> QWidget* {
                return new WaitRow(w.milliseconds,
                                   [&steps, key](std::int64_t ms) { steps.replaceStep(key, MacroStep::wait(ms)); });
            },
            [&](const MacroStep::Text& t) -> QWidget* {
                return new TextRow(t.text,
                                   [&steps, key](const std::string& s) { steps.replaceStep(key, MacroStep::text(s)); });
            },
            [&](const MacroStep::WaitForWindow& w) -> QWidget* {
                return new WaitForWindowRow(w, [&steps, key](const std::string& b, const std::optional<std::string>& t,
                                                             std::int64_t ms) {
                    steps.replaceStep(key, MacroStep::waitForWindow(b, t, ms));
                });
            },
            [&](const MacroStep::ClipboardPush&) -> QWidget* {
                return new StaticRow("doc.on.clipboard", tr("Push clipboard"));
            },
            [&](const MacroStep::ClipboardPop&) -> QWidget* {
                return new StaticRow("arrow.uturn.backward", tr("Pop clipboard"));
            },
        },
        steps_.steps()[index].value);
}

void StepListEditor::rebuild() {
    // Old rows go at once from the layout, later from memory: one of them
    // may be the sender of the change that brought us here.
    while (QLayoutItem* item = boxLayout_->takeAt(0)) {
        if (QWidget* w = item->widget()) {
            w->hide();
            w->deleteLater();
        }
        delete item;
    }
    rows_.clear();
    emptyState_ = nullptr;
    static_cast<StepBox*>(box_)->empty = steps_.empty();
    if (steps_.empty()) {
        emptyState_ = new QWidget(box_);
        auto* layout = new QHBoxLayout(emptyState_);
        layout->setContentsMargins(12, 18, 12, 18);
        layout->setSpacing(8);
        layout->addWidget(makeSymbolLabel("keyboard", 14, secondaryColor(palette()), emptyState_));
        auto* title = new QLabel(tr("No steps yet"), emptyState_);
        title->setFont(sheetFont(SheetText::body, QFont::Medium));
        setTextColor(title, secondaryColor(title->palette()));
        auto* hint = new QLabel(tr("Add a chord to begin"), emptyState_);
        hint->setFont(sheetFont(SheetText::caption));
        setTextColor(hint, tertiaryColor(hint->palette()));
        layout->addWidget(title);
        layout->addStretch(1);
        layout->addWidget(hint);
        boxLayout_->addWidget(emptyState_);
    }
    for (std::size_t i = 0; i < steps_.size(); ++i) {
        if (i > 0) {
            auto* divider = new QWidget(box_);
            auto* dl = new QHBoxLayout(divider);
            dl->setContentsMargins(44, 0, 0, 0);
            dl->addWidget(makeSheetDivider(divider));
            boxLayout_->addWidget(divider);
        }
        auto* entry = new QWidget(box_);
        auto* layout = new QHBoxLayout(entry);
        layout->setContentsMargins(12, 8, 12, 8);
        layout->setSpacing(10);
        layout->addWidget(new PositionBadge(static_cast<int>(i + 1), entry));
        QWidget* row = makeRow(i);
        row->setParent(entry);
        layout->addWidget(row, row->maximumWidth() < QWIDGETSIZE_MAX ? 0 : 1);
        if (row->maximumWidth() < QWIDGETSIZE_MAX) layout->addStretch(1);
        auto* remove = new QToolButton(entry);
        remove->setAutoRaise(true);
        remove->setIcon(QIcon(symbolPixmap("xmark.circle.fill", 13, secondaryColor(palette()), devicePixelRatioF())));
        remove->setToolTip(tr("Delete step"));
        remove->setCursor(Qt::PointingHandCursor);
        ui::markFocus(remove, 6);  // the style's own mark on a raised-on-hover button is faint
        const StepList::Key key = steps_.keyAt(i);
        connect(remove, &QToolButton::clicked, this, [this, key] { steps_.deleteStep(key); });
        layout->addWidget(remove);
        boxLayout_->addWidget(entry);
        rows_.push_back(Row{entry, row, remove});
    }
    std::vector<QWidget*> entries;
    for (const auto& r : rows_) entries.push_back(r.entry);
    if (!addButtons_.empty()) ui::tabBefore(entries, addButtons_.front());
    refreshSummary();
    box_->update();
}

void StepListEditor::refreshSummary() {
    summary_->setVisible(!steps_.empty());
    summaryText_->setText(QString::fromStdString(steps_.summaryText()));
    // A chord step with nothing recorded is no chord yet: no check mark.
    const bool hasChord = steps_.chordCount() >= 1 && !steps_.hasUnrecordedChord();
    QColor info = secondaryColor(palette());
    info.setAlphaF(0.6f * info.alphaF());
    summaryIcon_->setPixmap(symbolPixmap(hasChord ? "checkmark.circle.fill" : "info.circle",
                                         sheetFont(SheetText::caption).pointSizeF() * 1.3, hasChord ? kGreen : info,
                                         devicePixelRatioF()));
}

}  // namespace orbel
