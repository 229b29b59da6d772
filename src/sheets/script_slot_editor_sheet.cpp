#include "sheets/script_slot_editor_sheet.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

#include "sheets/icon_picker_row.h"
#include "sheets/sheet_parts.h"
#include "ui/controls.h"

namespace orbel {
ScriptSlotEditorSheet::ScriptSlotEditorSheet(const std::optional<SlotConfig>& existing,
                                             std::function<void(const SlotConfig&)> onSave, QWidget* parent)
    : SlotSheet(QStringLiteral("terminal"), tr("Runs the source you author on click. Failures surface as an alert."), 
                slotEditSize(SlotEditSize::tall), std::move(onSave), parent),
      model_(existing) {
    hasChanges = [this] { return model_.hasChanges(); };
    setTitle(QString::fromStdString(model_.sheetTitle()));
    name_ = makeNameField(tr("e.g. Quick Note"), model_.title, this);
    setFirstField(name_);
    addFormItem(new SlotEditFormRow(tr("Name"), name_));
    addFormItem(makeIconFormRow(model_.icon, [this](const SlotIcon& icon) { model_.icon = icon; }, this, &iconRow_));

    languages_ = makeLanguagePicker(model_.language());
    addFormItem(new SlotEditFormRow(tr("Language"), languages_));

    auto* sourceBox = new QWidget;
    auto* sourceLayout = new QVBoxLayout(sourceBox);
    sourceLayout->setContentsMargins(0, 0, 0, 0);
    sourceLayout->setSpacing(8);
    source_ = makeSourceEditor(model_.source, sourceBox);
    sourceLayout->addWidget(source_);
    auto* testRow = new QHBoxLayout;
    testRow->setSpacing(8);
    test_ = new QPushButton(tr("Test Run"), sourceBox);
    test_->setAutoDefault(false);
    test_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    testRow->addWidget(test_, 0, Qt::AlignTop);
    resultIcon_ = new QLabel(sourceBox);
    result_ = new QLabel(sourceBox);
    result_->setTextFormat(Qt::PlainText);
    result_->setFont(sheetFont(SheetText::caption, QFont::Normal, true));
    result_->setWordWrap(true);
    result_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    result_->setMaximumHeight(QFontMetrics(result_->font()).lineSpacing() * 2 + 2);
    result_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    testRow->addWidget(resultIcon_, 0, Qt::AlignTop);
    testRow->addWidget(result_, 1);
    testRow->addStretch(0);
    sourceLayout->addLayout(testRow);
    addFormItem(new SlotEditFormRow(tr("Source"), sourceBox));

    connect(name_, &QLineEdit::textChanged, this, [this](const QString& text) {
        model_.title = text.toStdString();
        refresh();
    });
    connect(source_, &QPlainTextEdit::textChanged, this, [this] {
        model_.source = source_->toPlainText().toStdString();
        refresh();
    });
    connect(languages_, &ui::SegmentedControl::activated, this, [this](int index) {
        const std::string before = model_.source;
        model_.setLanguage(allScriptLanguages().at(static_cast<std::size_t>(index)));
        if (model_.source != before) source_->setPlainText(QString::fromStdString(model_.source));
        refresh();
    });
    connect(test_, &QPushButton::clicked, this, [this] { startTestRun(); });
    spinner_.setInterval(90);
    connect(&spinner_, &QTimer::timeout, this, [this] {
        ++spinnerFrame_;
        test_->setIcon(QIcon(progressPixmap(spinnerFrame_, palette().color(QPalette::ButtonText), devicePixelRatioF())));
    });
    this->onSave = [this] { save(); };
    refresh();
}

ScriptSlotEditorSheet::~ScriptSlotEditorSheet() {
    model_.endTestRun();
    deleteForm();
}

QString ScriptSlotEditorSheet::resultText() const { return result_->isHidden() ? QString() : result_->text(); }


void ScriptSlotEditorSheet::done(int result) {
    // A run still under way is ended with the sheet; its outcome goes nowhere.
    model_.endTestRun();
    spinner_.stop();
    SlotEditChromeSheet::done(result);
}

void ScriptSlotEditorSheet::startTestRun() {
    QPointer<ScriptSlotEditorSheet> self(this);
    model_.testRun([self] {
        if (self) self->refresh();
    });
    refresh();
}

void ScriptSlotEditorSheet::refresh() {
    setCanSave(model_.canSave());
    test_->setEnabled(model_.canTestRun());
    if (model_.isRunning()) {
        if (!spinner_.isActive()) spinner_.start();
        test_->setIcon(QIcon(progressPixmap(spinnerFrame_, palette().color(QPalette::ButtonText), devicePixelRatioF())));
    } else {
        spinner_.stop();
        test_->setIcon(QIcon(symbolPixmap("play.fill", 11, palette().color(QPalette::ButtonText), devicePixelRatioF())));
    }
    const auto line = model_.resultLine();
    const bool shown = line.kind != ScriptSlotEditorModel::ResultLine::Kind::none;
    resultIcon_->setVisible(shown);
    result_->setVisible(shown);
    if (!shown) return;
    const bool ok = line.kind == ScriptSlotEditorModel::ResultLine::Kind::success;
    resultIcon_->setPixmap(symbolPixmap(ok ? "checkmark.circle.fill" : "exclamationmark.triangle.fill", 13,
                                        ok ? testSucceededColor() : testFailedColor(), devicePixelRatioF()));
    result_->setText(QString::fromStdString(line.text));
    result_->setToolTip(ui::plainToolTip(QString::fromStdString(line.text)));
}

void ScriptSlotEditorSheet::save() { finish(model_.build()); }

}  // namespace orbel
