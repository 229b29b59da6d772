#include "profiles/backup_restore_sheet.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/controls.h"
#include "ui/settings_blocks.h"
#include "ui/sheet_frame.h"

namespace orbel {

namespace {

// One strategy card: a selection mark, a title and a wrapping description
// on a rounded tint; the whole card takes clicks.
class StrategyCard : public QAbstractButton {
public:
    StrategyCard(const QString& title, const QString& text, QWidget* parent) : QAbstractButton(parent) {
        setCheckable(true);
        setCursor(Qt::PointingHandCursor);
        auto* row = new QHBoxLayout(this);
        row->setContentsMargins(10, 10, 10, 10);
        row->setSpacing(10);
        mark_ = new QLabel(this);
        row->addWidget(mark_, 0, Qt::AlignTop);
        auto* column = new QVBoxLayout;
        column->setSpacing(2);
        column->addWidget(ui::styledLabel(title, ui::TextStyle::callout, ui::Ink::primary, this));
        static_cast<QLabel*>(column->itemAt(0)->widget())->setFont(ui::textFont(ui::TextStyle::callout, QFont::DemiBold));
        auto* description = ui::styledLabel(text, ui::TextStyle::caption, ui::Ink::secondary, this);
        description->setWordWrap(true);
        column->addWidget(description);
        row->addLayout(column, 1);
        setText(title);
    }
    void refresh() {
        const QColor color = isChecked() ? ui::inkColor(palette(), ui::Ink::primary)
                                         : ui::inkColor(palette(), ui::Ink::secondary);
        mark_->setPixmap(symbolPixmap(isChecked() ? "largecircle.fill.circle" : "circle", 13, color,
                                      devicePixelRatioF()));
        update();
    }
    // The description wraps: the card is as tall as its width needs, so no
    // line is ever cut.
    QSize sizeHint() const override { return layout()->sizeHint(); }
    QSize minimumSizeHint() const override { return {layout()->minimumSize().width(), heightForWidth(width())}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int w) const override { return layout()->totalHeightForWidth(w); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QColor fill = ui::inkColor(palette(), isChecked() ? ui::Ink::primary : ui::Ink::secondary);
        fill.setAlphaF(isChecked() ? 0.10 : 0.05);
        p.setPen(Qt::NoPen);
        p.setBrush(fill);
        p.drawRoundedRect(QRectF(rect()), 8, 8);
    }

private:
    QLabel* mark_;
};

QWidget* factRow(const QString& label, QWidget* value, QWidget* parent) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* name = ui::styledLabel(label, ui::TextStyle::callout, ui::Ink::primary, row);
    name->setMinimumWidth(100);
    layout->addWidget(name);
    layout->addWidget(value, 1);
    return row;
}

}  // namespace

BackupRestoreSheet::BackupRestoreSheet(BackupRestoreSheetItem item, QWidget* parent)
    : QDialog(parent), model_(std::move(item)) {
    setObjectName(QStringLiteral("backupRestoreSheet"));
    setWindowTitle(QStringLiteral("Restore from backup"));
    setWindowModality(Qt::WindowModal);
    setMinimumSize(440, 480);
    setMaximumWidth(520);
    resize(480, 560);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(24, 24, 24, 24);
    column->setSpacing(18);

    auto* header = new QHBoxLayout;
    header->setSpacing(10);
    header->addWidget(makeSymbolLabel("arrow.down.doc", 22, ui::inkColor(palette(), ui::Ink::primary), this));
    auto* title = ui::styledLabel(QStringLiteral("Restore from backup"), ui::TextStyle::title3, ui::Ink::primary, this);
    title->setFont(ui::textFont(ui::TextStyle::title3, QFont::DemiBold));
    header->addWidget(title);
    header->addStretch();
    column->addLayout(header);
    column->addWidget(makeSheetDivider(this));

    auto* facts = new QVBoxLayout;
    facts->setSpacing(6);
    auto* file = new ui::ElidedLabel(QString::fromStdString(model_.fileName()), this);
    file->setFont(ui::textFont(ui::TextStyle::callout));
    facts->addWidget(factRow(QStringLiteral("File"), file, this));
    facts->addWidget(factRow(QStringLiteral("Created"),
                             ui::styledLabel(QString::fromStdString(model_.createdText()), ui::TextStyle::callout,
                                             ui::Ink::primary, this),
                             this));
    facts->addWidget(factRow(QStringLiteral("Orbel version"),
                             ui::styledLabel(QString::fromStdString(model_.versionText()), ui::TextStyle::callout,
                                             ui::Ink::secondary, this),
                             this));
    column->addLayout(facts);

    auto* profiles = new QVBoxLayout;
    profiles->setSpacing(6);
    auto* profilesHeader = new QHBoxLayout;
    auto* profilesLabel = ui::styledLabel(QStringLiteral("Profiles"), ui::TextStyle::callout, ui::Ink::primary, this);
    profilesLabel->setFont(ui::textFont(ui::TextStyle::callout, QFont::DemiBold));
    profilesHeader->addWidget(makeSymbolLabel("person.crop.rectangle.stack", 13,
                                              ui::inkColor(palette(), ui::Ink::primary), this));
    profilesHeader->addWidget(profilesLabel);
    profilesHeader->addStretch();
    profilesHeader->addWidget(ui::styledLabel(QString::fromStdString(model_.countText()), ui::TextStyle::caption,
                                              ui::Ink::secondary, this));
    profiles->addLayout(profilesHeader);
    const auto rows = model_.profileRows();
    if (rows.empty()) {
        auto* note = ui::styledLabel(QString::fromUtf8(BackupRestoreModel::kNoProfilesNote), ui::TextStyle::caption,
                                     ui::Ink::secondary, this);
        note->setWordWrap(true);
        profiles->addWidget(note);
    }
    for (const auto& row : rows) {
        auto* line = new QHBoxLayout;
        line->setSpacing(6);
        line->addWidget(makeSymbolLabel(row.active ? "checkmark.circle.fill" : "circle", 11,
                                        ui::inkColor(palette(), row.active ? ui::Ink::primary : ui::Ink::tertiary),
                                        this));
        line->addWidget(ui::styledLabel(QString::fromStdString(row.name), ui::TextStyle::callout, ui::Ink::primary,
                                        this));
        if (row.active)
            line->addWidget(ui::styledLabel(QStringLiteral("active"), ui::TextStyle::caption, ui::Ink::secondary, this));
        line->addStretch();
        profiles->addLayout(line);
    }
    column->addLayout(profiles);
    // What the restore would run into, said before anything is chosen.
    refusals_ = ui::styledLabel({}, ui::TextStyle::caption, ui::Ink::primary, this);
    refusals_->setObjectName(QStringLiteral("restoreRefusals"));
    setTextColor(refusals_, QColor(255, 59, 48));
    refusals_->setWordWrap(true);
    column->addWidget(refusals_);
    column->addWidget(makeSheetDivider(this));

    auto* strategy = new QVBoxLayout;
    strategy->setSpacing(10);
    auto* question = ui::styledLabel(QStringLiteral("How should the backup be applied?"), ui::TextStyle::callout,
                                     ui::Ink::primary, this);
    question->setFont(ui::textFont(ui::TextStyle::callout, QFont::DemiBold));
    strategy->addWidget(question);
    mergeCard_ = new StrategyCard(QString::fromUtf8(BackupRestoreModel::kMergeTitle),
                                  QString::fromUtf8(BackupRestoreModel::kMergeText), this);
    replaceCard_ = new StrategyCard(QString::fromUtf8(BackupRestoreModel::kReplaceTitle),
                                    QString::fromUtf8(BackupRestoreModel::kReplaceText), this);
    connect(mergeCard_, &QAbstractButton::clicked, this, [this] { selectStrategy(RestoreStrategy::merge); });
    connect(replaceCard_, &QAbstractButton::clicked, this, [this] { selectStrategy(RestoreStrategy::replace); });
    strategy->addWidget(mergeCard_);
    mergeWarning_ = ui::styledLabel({}, ui::TextStyle::caption, ui::Ink::primary, this);
    mergeWarning_->setObjectName(QStringLiteral("mergeWarning"));
    setTextColor(mergeWarning_, QColor(214, 120, 0));
    mergeWarning_->setWordWrap(true);
    strategy->addWidget(mergeWarning_);
    strategy->addWidget(replaceCard_);
    column->addLayout(strategy);

    confirmBlock_ = new QWidget(this);
    auto* confirm = new QVBoxLayout(confirmBlock_);
    confirm->setContentsMargins(0, 0, 0, 0);
    confirm->setSpacing(6);
    auto* warning = new QHBoxLayout;
    warning->setSpacing(6);
    warning->addWidget(makeSymbolLabel("exclamationmark.triangle.fill", 11, QColor(255, 149, 0), confirmBlock_));
    auto* typeWord = ui::styledLabel(QStringLiteral("Type REPLACE to confirm"), ui::TextStyle::caption,
                                     ui::Ink::primary, confirmBlock_);
    typeWord->setFont(ui::textFont(ui::TextStyle::caption, QFont::DemiBold));
    warning->addWidget(typeWord);
    warning->addStretch();
    confirm->addLayout(warning);
    confirm_ = new QLineEdit(confirmBlock_);
    confirm_->setPlaceholderText(QStringLiteral("REPLACE"));
    connect(confirm_, &QLineEdit::textChanged, this, [this](const QString& text) {
        model_.confirmText = text.toStdString();
        refresh();
    });
    confirm->addWidget(confirm_);
    column->addWidget(confirmBlock_);
    column->addStretch();
    column->addWidget(makeSheetDivider(this));

    cancel_ = new QPushButton(tr("Cancel"), this);
    restore_ = new QPushButton(this);
    styleSheetButton(cancel_, false);
    styleSheetButton(restore_, true);
    restore_->setDefault(true);
    auto* footer = new QHBoxLayout;
    footer->addWidget(cancel_);
    footer->addStretch();
    footer->addWidget(restore_);
    column->addLayout(footer);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(restore_, &QPushButton::clicked, this, [this] {
        if (model_.canConfirm() && onConfirm) onConfirm(model_.strategy());
    });
    refresh();
}

QAbstractButton* BackupRestoreSheet::card(RestoreStrategy strategy) const {
    return strategy == RestoreStrategy::merge ? mergeCard_ : replaceCard_;
}

void BackupRestoreSheet::selectStrategy(RestoreStrategy strategy) {
    const bool focus = model_.selectStrategy(strategy);
    if (!focus) {
        const QSignalBlocker block(confirm_);
        confirm_->clear();
    }
    refresh();
    if (focus) confirm_->setFocus();
}

void BackupRestoreSheet::setStore(std::vector<std::string> storedNames, BackupRestoreModel::NameCheck check) {
    model_.setStore(std::move(storedNames), std::move(check));
    refresh();
}

void BackupRestoreSheet::refresh() {
    const bool replace = model_.strategy() == RestoreStrategy::replace;
    QStringList refused;
    for (const auto& line : model_.refusals()) refused << QString::fromStdString(line);
    refusals_->setText(refused.join(QLatin1Char('\n')));
    refusals_->setVisible(!refused.isEmpty());
    mergeWarning_->setText(QString::fromStdString(model_.mergeWarning()));
    mergeWarning_->setVisible(!replace && !mergeWarning_->text().isEmpty());
    mergeCard_->setChecked(!replace);
    replaceCard_->setChecked(replace);
    static_cast<StrategyCard*>(mergeCard_)->refresh();
    static_cast<StrategyCard*>(replaceCard_)->refresh();
    confirmBlock_->setVisible(replace);
    restore_->setText(QString::fromStdString(model_.restoreButtonTitle()));
    restore_->setMinimumWidth(restore_->sizeHint().width());  // the longer title is not cut
    restore_->setEnabled(model_.canConfirm());
}

}  // namespace orbel
