#include "sheets/dynamic_slot_editor_sheet.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <utility>

#include "platform/timers.h"
#include "sheets/icon_picker_row.h"
#include "ui/controls.h"

namespace orbel {
namespace {

QToolButton* makeStepButton(Qt::ArrowType arrow, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setFixedSize(20, 12);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

}  // namespace

DynamicSlotEditorSheet::DynamicSlotEditorSheet(const std::optional<SlotConfig>& existing,
                                               std::function<void(const SlotConfig&)> onSave, QWidget* parent,
                                               std::unique_ptr<DynamicProducerRunner> runner, platform::Timers* timers)
    : SlotSheet(QStringLiteral("gauge.with.dots.needle.bottom.50percent"),
                tr("Runs a producer script and shows its output as the slot label."),
                slotEditSize(SlotEditSize::tall), std::move(onSave), parent),
      runner_(runner ? std::move(runner) : std::make_unique<LiveProducerRunner>()),
      timers_(timers ? timers : &platform::Timers::shared()),
      model_(existing) {
    hasChanges = [this] { return model_.hasChanges(); };
    setTitle(QString::fromStdString(model_.sheetTitle()));
    name_ = makeNameField(tr("e.g. Current Branch"), model_.title, this);
    setFirstField(name_);
    addFormItem(new SlotEditFormRow(tr("Name"), name_));
    addFormItem(makeIconFormRow(model_.icon, [this](const SlotIcon& icon) { model_.icon = icon; }, this, &iconRow_));

    languages_ = makeLanguagePicker(model_.language);
    addFormItem(new SlotEditFormRow(tr("Language"), languages_));

    // Producer: the editor, then Test Run and what the last run gave.
    auto* producer = new QWidget;
    auto* producerLayout = new QVBoxLayout(producer);
    producerLayout->setContentsMargins(0, 0, 0, 0);
    producerLayout->setSpacing(8);
    source_ = makeSourceEditor(model_.source, producer);
    source_->setFixedHeight(120);  // the refresh rows stay in view; the editor scrolls
    producerLayout->addWidget(source_);
    auto* testRow = new QHBoxLayout;
    testRow->setSpacing(8);
    test_ = new QPushButton(tr("Test Run"), producer);
    test_->setAutoDefault(false);
    test_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    testRow->addWidget(test_, 0, Qt::AlignTop);
    auto* statusRow = new QHBoxLayout;
    statusRow->setSpacing(6);
    statusIcon_ = new QLabel(producer);
    status_ = new QLabel(producer);
    status_->setTextFormat(Qt::PlainText);
    status_->setFont(sheetFont(SheetText::caption, QFont::Normal, true));
    status_->setWordWrap(true);
    status_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    status_->setMaximumHeight(QFontMetrics(status_->font()).lineSpacing() * 2 + 2);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    statusRow->addWidget(statusIcon_, 0, Qt::AlignTop);
    statusRow->addWidget(status_, 1, Qt::AlignTop);
    testRow->addLayout(statusRow, 1);
    producerLayout->addLayout(testRow);
    producerRow_ = new SlotEditFormRow(tr("Producer"), producer,
                                       QString::fromStdString(DynamicSlotEditorModel::producerHelp()));
    addFormItem(producerRow_);

    // Refresh: when the dial opens, or every N seconds with a stepper.
    auto* refreshBox = new QWidget;
    auto* refreshLayout = new QVBoxLayout(refreshBox);
    refreshLayout->setContentsMargins(0, 0, 0, 0);
    refreshLayout->setSpacing(8);
    auto* policies = new QButtonGroup(refreshBox);
    menuOpen_ = new QRadioButton(tr("When dial opens"), refreshBox);
    interval_ = new QRadioButton(tr("Every N seconds"), refreshBox);
    policies->addButton(menuOpen_);
    policies->addButton(interval_);
    refreshLayout->addWidget(menuOpen_);
    refreshLayout->addWidget(interval_);
    intervalRow_ = new QWidget(refreshBox);
    auto* intervalLayout = new QHBoxLayout(intervalRow_);
    intervalLayout->setContentsMargins(0, 0, 0, 0);
    intervalLayout->setSpacing(6);
    auto* intervalCaption = new QLabel(tr("Interval:"), intervalRow_);
    intervalCaption->setFont(sheetFont(SheetText::callout));
    intervalLayout->addWidget(intervalCaption);
    intervalLabel_ = new QLabel(intervalRow_);
    QFont digits = sheetFont(SheetText::callout);
    intervalLabel_->setFont(digits);
    intervalLayout->addWidget(intervalLabel_);
    auto* stepper = new QVBoxLayout;
    stepper->setSpacing(0);
    stepUp_ = makeStepButton(Qt::UpArrow, intervalRow_);
    stepDown_ = makeStepButton(Qt::DownArrow, intervalRow_);
    stepUp_->setToolTip(tr("Increase"));
    stepDown_->setToolTip(tr("Decrease"));
    stepper->addWidget(stepUp_);
    stepper->addWidget(stepDown_);
    intervalLayout->addLayout(stepper);
    intervalLayout->addStretch(1);
    // Its room is kept while hidden: choosing a policy moves nothing under the pointer.
    QSizePolicy keepRoom = intervalRow_->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    intervalRow_->setSizePolicy(keepRoom);
    refreshLayout->addWidget(intervalRow_);
    addFormItem(new SlotEditFormRow(tr("Refresh"), refreshBox));

    connect(name_, &QLineEdit::textChanged, this, [this](const QString& text) {
        model_.title = text.toStdString();
        refresh();
    });
    connect(source_, &QPlainTextEdit::textChanged, this, [this] {
        model_.source = source_->toPlainText().toStdString();
        refresh();
    });
    connect(languages_, &ui::SegmentedControl::activated, this, [this](int index) {
        model_.language = allScriptLanguages().at(static_cast<std::size_t>(index));
        refresh();
    });
    connect(test_, &QPushButton::clicked, this, [this] { startTestRun(); });
    connect(menuOpen_, &QAbstractButton::clicked, this, [this] {
        model_.chooseMenuOpen();
        refresh();
    });
    connect(interval_, &QAbstractButton::clicked, this, [this] {
        model_.chooseInterval();
        refresh();
    });
    connect(stepUp_, &QToolButton::clicked, this, [this] {
        model_.stepInterval(1);
        refresh();
    });
    connect(stepDown_, &QToolButton::clicked, this, [this] {
        model_.stepInterval(-1);
        refresh();
    });
    spinner_.setInterval(90);
    connect(&spinner_, &QTimer::timeout, this, [this] {
        ++spinnerFrame_;
        test_->setIcon(QIcon(progressPixmap(spinnerFrame_, palette().color(QPalette::ButtonText), devicePixelRatioF())));
    });
    this->onSave = [this] { finish(model_.build()); };
    refresh();
}

DynamicSlotEditorSheet::~DynamicSlotEditorSheet() {
    model_.endTestRun();
    deleteForm();
}

QString DynamicSlotEditorSheet::testStatusText() const { return status_->isHidden() ? QString() : status_->text(); }

QString DynamicSlotEditorSheet::intervalText() const { return intervalLabel_->text(); }

void DynamicSlotEditorSheet::done(int result) {
    // A run still under way is ended with the sheet; its outcome goes nowhere.
    model_.endTestRun();
    spinner_.stop();
    SlotEditChromeSheet::done(result);
}

void DynamicSlotEditorSheet::startTestRun() {
    QPointer<DynamicSlotEditorSheet> self(this);
    model_.testRun(*runner_, *timers_, [self] {
        if (self) self->refresh();
    });
    refresh();
}

void DynamicSlotEditorSheet::refresh() {
    showSaveProblem(this, model_.saveProblem());
    showRowProblem(producerRow_, model_.refusal());

    test_->setEnabled(model_.canTestRun());
    if (model_.isRunning()) {
        if (!spinner_.isActive()) spinner_.start();
        test_->setIcon(QIcon(progressPixmap(spinnerFrame_, palette().color(QPalette::ButtonText), devicePixelRatioF())));
    } else {
        spinner_.stop();
        test_->setIcon(QIcon(symbolPixmap("play.fill", 11, palette().color(QPalette::ButtonText), devicePixelRatioF())));
    }
    const auto status = model_.testStatusText();
    statusIcon_->setVisible(status.has_value());
    status_->setVisible(status.has_value());
    if (status) {
        const bool ok = model_.testOutput().has_value();
        statusIcon_->setPixmap(symbolPixmap(ok ? "checkmark.circle.fill" : "exclamationmark.triangle.fill", 13,
                                            ok ? testSucceededColor() : testFailedColor(), devicePixelRatioF()));
        status_->setText(QString::fromStdString(*status));
        status_->setToolTip(ui::plainToolTip(status_->text()));
    }

    const bool everyN = model_.showsIntervalRow();
    menuOpen_->setChecked(!everyN);
    interval_->setChecked(everyN);
    intervalRow_->setVisible(everyN);
    intervalLabel_->setText(tr("%1 seconds").arg(model_.intervalSeconds()));
    stepUp_->setEnabled(model_.intervalSeconds() < static_cast<int>(RefreshPolicy::kMaxSeconds));
    stepDown_->setEnabled(model_.intervalSeconds() > static_cast<int>(RefreshPolicy::kMinSeconds));
}

}  // namespace orbel
