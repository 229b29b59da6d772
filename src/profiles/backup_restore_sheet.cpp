#include "profiles/backup_restore_sheet.h"

#include <QAbstractButton>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>

#include "model/profile_name.h"
#include "ui/controls.h"
#include "ui/focus_in_view.h"
#include "ui/settings_blocks.h"
#include "ui/sheet_frame.h"

namespace orbel {

namespace {

const QColor kRefusalRed(255, 59, 48);
constexpr int kLongestShownName = 220;  // pixels of a name in a refusal line

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
    // The description wraps: the card is as tall as its width needs (the
    // scrolling page gives it that), so no line is ever cut.
    QSize sizeHint() const override { return layout()->sizeHint(); }
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
        // Space chooses the focused card: the keyboard sees which.
        if (ui::showsFocusMark(this)) ui::paintFocusMark(p, palette(), QRectF(rect()).adjusted(1, 1, -1, -1), 8);
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

    // Everything between the header and the footer scrolls: six profiles,
    // refused names and the confirmation never squeeze the choices.
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("restoreScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* content = new QWidget(scroll);
    content->setAutoFillBackground(false);
    // Its height is what its width needs (wrapped texts), not the sum of
    // the wrapped texts' narrowest forms.
    content->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Ignored);
    scroll->viewport()->setAutoFillBackground(false);
    // Where the focus starts (the arrows scroll it); the style draws no
    // focus on it. The ring runs outside it, clear of the texts at its edge.
    ui::markFocus(scroll, 8, ui::kButtonMarkOutset);
    ui::keepFocusInView(scroll);
    auto* page = new QVBoxLayout(content);
    page->setContentsMargins(0, 0, 0, 0);
    page->setSpacing(18);
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
    page->addLayout(facts);

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
        auto* mark = new QLabel(this);
        rowMarks_.emplace_back(row, mark);
        line->addWidget(mark);
        auto* name = new ui::ElidedLabel(QString::fromStdString(shownProfileName(row.name)), this);
        name->setObjectName(QStringLiteral("restoreProfileName"));
        name->setFont(ui::textFont(ui::TextStyle::callout));
        line->addWidget(name, 1);
        if (row.active)
            line->addWidget(ui::styledLabel(QStringLiteral("active"), ui::TextStyle::caption, ui::Ink::secondary, this));
        profiles->addLayout(line);
    }
    page->addLayout(profiles);
    // What the restore would run into, said before anything is chosen.
    refusals_ = ui::styledLabel({}, ui::TextStyle::caption, ui::Ink::primary, this);
    refusals_->setObjectName(QStringLiteral("restoreRefusals"));
    setTextColor(refusals_, kRefusalRed);
    refusals_->setWordWrap(true);
    page->addWidget(refusals_);
    page->addWidget(makeSheetDivider(this));

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
    page->addLayout(strategy);

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
    page->addWidget(confirmBlock_);
    page->addStretch();
    scroll->setWidget(content);
    column->addWidget(scroll, 1);
    scroll_ = scroll;
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
    fitHeight();
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
    fitHeight();
}

void BackupRestoreSheet::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && restore_) refresh();  // the marks follow light and dark
}

void BackupRestoreSheet::fitHeight() {
    // As tall as what it shows, within reason; past that the middle scrolls.
    constexpr int kTallest = 720;
    const QMargins margins = layout()->contentsMargins();
    const QLayout* page = scroll_->widget()->layout();
    const int pageWidth = width() - margins.left() - margins.right();
    const int pageHeight =
        page->hasHeightForWidth() ? page->totalHeightForWidth(pageWidth) : page->totalSizeHint().height();
    // Room for the confirmation too, so choosing Replace needs no scrolling.
    const int confirm = confirmBlock_->isHidden() ? confirmBlock_->sizeHint().height() + page->spacing() : 0;
    const int wanted = layout()->totalSizeHint().height() - scroll_->sizeHint().height() + pageHeight + confirm;
    resize(width(), std::clamp(wanted, minimumHeight(), std::max(minimumHeight(), kTallest)));
}

void BackupRestoreSheet::refresh() {
    // A name the store refuses is marked in its row.
    for (const auto& [row, mark] : rowMarks_) {
        const bool refused = model_.refusal(row.name).has_value();
        const QColor color = refused      ? kRefusalRed
                             : row.active ? ui::inkColor(palette(), ui::Ink::primary)
                                          : ui::inkColor(palette(), ui::Ink::tertiary);
        mark->setPixmap(symbolPixmap(refused      ? "xmark.circle"
                                     : row.active ? "checkmark.circle.fill"
                                                  : "circle",
                                     11, color, devicePixelRatioF()));
    }
    const bool replace = model_.strategy() == RestoreStrategy::replace;
    // A long name is elided in the middle (whole in the row's tooltip), so
    // no line runs off the sheet.
    QStringList refused;
    const QFontMetrics metrics(refusals_->font());
    for (const auto& row : model_.profileRows()) {
        const auto problem = model_.refusal(row.name);
        if (!problem) continue;
        const QString name = metrics.elidedText(QString::fromStdString(shownProfileName(row.name)),
                                                Qt::ElideMiddle, kLongestShownName);
        refused << QString::fromStdString(BackupRestoreModel::refusalLine(name.toStdString(), *problem));
    }
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
