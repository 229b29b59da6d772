#include "sheets/macro_recorder_overlay.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include "ui/sheet_frame.h"

namespace orbel {
namespace {

// The red recording dot.
class Dot : public QWidget {
public:
    Dot(int size, QWidget* parent) : QWidget(parent) { setFixedSize(size, size); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xE5, 0x39, 0x35));
        p.drawEllipse(rect());
    }
};

void setColor(QLabel* label, const QColor& color) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
}

}  // namespace

MacroRecorderOverlay::MacroRecorderOverlay(std::function<void(const std::vector<MacroStep>&)> onComplete,
                                           QWidget* parent)
    : QDialog(parent), onComplete_(std::move(onComplete)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(tr("Record Macro"));
    setFixedSize(480, 360);
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    auto* header = new QWidget(this);
    auto* headerLayout = new QHBoxLayout(header);
    headerLayout->setContentsMargins(20, 14, 20, 14);
    headerLayout->setSpacing(10);
    headerLayout->addWidget(new Dot(9, header));
    auto* title = new QLabel(tr("Recording — press Esc to stop"), header);
    title->setFont(sheetFont(SheetText::subheadline, QFont::DemiBold));
    headerLayout->addWidget(title, 1);
    root->addWidget(header);
    root->addWidget(makeSheetDivider(this));

    scroll_ = new QScrollArea(this);
    scroll_->setWidgetResizable(true);
    scroll_->setFrameShape(QFrame::NoFrame);
    list_ = new QWidget(scroll_);
    listLayout_ = new QVBoxLayout(list_);
    listLayout_->setContentsMargins(0, 0, 0, 0);
    listLayout_->setSpacing(6);
    empty_ = new QLabel(tr("Press keys to record chords…"), list_);
    empty_->setFont(sheetFont(SheetText::body));
    empty_->setContentsMargins(20, 16, 20, 0);
    setColor(empty_, tertiaryColor(palette()));
    listLayout_->addWidget(empty_);
    listLayout_->addStretch(1);
    scroll_->setWidget(list_);
    root->addWidget(scroll_, 1);
    root->addWidget(makeSheetDivider(this));

    cancel_ = new QPushButton(tr("Cancel"), this);
    done_ = new QPushButton(tr("Done"), this);
    root->addWidget(makeSheetFooter(cancel_, done_, this));
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(done_, &QPushButton::clicked, this, [this] {
        const auto steps = model_.steps();
        auto complete = onComplete_;
        onComplete_ = nullptr;
        if (complete) complete(steps);
        accept();
    });
    monitor_.onChord = [this](const LocalInput& input) { handleKey(input); };
    refresh();
}

MacroRecorderOverlay::~MacroRecorderOverlay() { monitor_.stop(); }

void MacroRecorderOverlay::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    model_.start();
    if (model_.isListening()) monitor_.start();
}

void MacroRecorderOverlay::done(int result) {
    model_.stop();
    monitor_.stop();
    QDialog::done(result);
}

void MacroRecorderOverlay::handleKey(const LocalInput& input) {
    if (input.kind != LocalInput::Kind::key) return;
    const std::size_t before = model_.captured().size();
    model_.handleKeyDown(input.keyCode, input.modifiers);
    if (!model_.isListening()) monitor_.stop();
    if (model_.captured().size() == before) return;
    // One row per new chord: its 1-based position and the chord.
    const std::size_t n = model_.captured().size();
    auto* row = new QWidget(list_);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(20, 4, 20, 4);
    layout->setSpacing(10);
    auto* number = new QLabel(QString::number(n), row);
    number->setFont(sheetFont(SheetText::caption2, QFont::Bold));
    number->setMinimumWidth(20);
    number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setColor(number, secondaryColor(palette()));
    auto* chord = new QLabel(QString::fromStdString(model_.captured().back().displayString()), row);
    chord->setTextFormat(Qt::PlainText);
    chord->setFont(sheetFont(SheetText::body, QFont::DemiBold, true));
    layout->addWidget(number);
    layout->addWidget(chord, 1);
    listLayout_->insertWidget(listLayout_->count() - 1, row);
    refresh();
    // Keep the newest row in view once the list has been laid out.
    QTimer::singleShot(0, this, [this] { scroll_->verticalScrollBar()->setValue(scroll_->verticalScrollBar()->maximum()); });
}

void MacroRecorderOverlay::refresh() {
    empty_->setVisible(model_.captured().empty());
    done_->setEnabled(model_.canFinish());
}

}  // namespace orbel
