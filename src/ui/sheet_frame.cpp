#include "ui/sheet_frame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMessageBox>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "platform/symbols.h"
#include "ui/confirmation.h"
#include "ui/controls.h"
#include "ui/focus_in_view.h"
#include "ui/popup_placement.h"
#include "ui/settings_blocks.h"
#include "ui/wheel_guard.h"

namespace orbel {
namespace {

constexpr int kBadgeSize = 24;
const QColor kSystemBlue(0x0A, 0x84, 0xFF);

// The header badge: the symbol on a rounded square of its colour.
QPixmap badgePixmap(const QString& symbol, double dpr) {
    QPixmap pixmap(QSize(kBadgeSize, kBadgeSize) * dpr);
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QColor fill = kSystemBlue;
    fill.setAlphaF(0.18f);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    const double radius = 0.22 * kBadgeSize;
    p.drawRoundedRect(QRectF(0, 0, kBadgeSize, kBadgeSize), radius, radius);
    const double inner = 0.5 * kBadgeSize;
    const QImage image = platform::Symbols::shared().image(symbol.toStdString(), inner, kSystemBlue, dpr);
    p.drawImage(QRectF((kBadgeSize - inner) / 2, (kBadgeSize - inner) / 2, inner, inner), image);
    return pixmap;
}

QLabel* makeLabel(const QString& text, QFont font, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFont(font);
    label->setTextFormat(Qt::PlainText);
    return label;
}

}  // namespace

QSize slotEditSize(SlotEditSize size) {
    switch (size) {
    case SlotEditSize::compact: return {480, 360};
    case SlotEditSize::tall: return {620, 640};
    case SlotEditSize::wide: return {600, 600};
    case SlotEditSize::standard: break;
    }
    return {560, 560};
}

QFont sheetFont(SheetText style, QFont::Weight weight, bool monospaced) {
    QFont font = monospaced ? QFontDatabase::systemFont(QFontDatabase::FixedFont) : QApplication::font();
    const double body = QApplication::font().pointSizeF() > 0 ? QApplication::font().pointSizeF() : 10.0;
    // The sizes of the text styles relative to body text.
    double scale = 1.0;
    switch (style) {
    case SheetText::title3: scale = 1.15; break;
    case SheetText::headline: scale = 1.0; break;
    case SheetText::subheadline: scale = 0.85; break;
    case SheetText::body: scale = 1.0; break;
    case SheetText::callout: scale = 0.92; break;
    case SheetText::caption: scale = 0.77; break;
    case SheetText::caption2: scale = 0.7; break;
    }
    font.setPointSizeF(body * scale);
    font.setWeight(style == SheetText::headline && weight == QFont::Normal ? QFont::DemiBold : weight);
    return font;
}

QColor secondaryColor(const QPalette& palette) {
    QColor c = palette.color(QPalette::WindowText);
    c.setAlphaF(0.55f);
    return c;
}

QColor tertiaryColor(const QPalette& palette) {
    QColor c = palette.color(QPalette::WindowText);
    c.setAlphaF(0.3f);
    return c;
}

bool isDarkPalette(const QPalette& palette) { return palette.color(QPalette::Window).lightnessF() < 0.5; }

void setTextColor(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    widget->setPalette(palette);
}

QPixmap symbolPixmap(const char* name, double points, const QColor& color, double dpr) {
    return QPixmap::fromImage(platform::Symbols::shared().image(name, points, color, dpr));
}

QPixmap recordingDotPixmap(int size, double dpr) {
    QPixmap pixmap(QSize(size, size) * dpr);
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xE5, 0x39, 0x35));
    p.drawEllipse(QRectF(0, 0, size, size));
    return pixmap;
}

QLabel* makeSymbolLabel(const char* name, double points, const QColor& color, QWidget* parent) {
    auto* label = new QLabel(parent);
    const double dpr = parent ? parent->devicePixelRatioF() : qApp->devicePixelRatio();
    label->setPixmap(symbolPixmap(name, points, color, dpr));
    label->setFixedSize(static_cast<int>(std::ceil(points)), static_cast<int>(std::ceil(points)));
    return label;
}

QWidget* makeSheetDivider(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setFixedHeight(1);
    ui::setInk(line, [](const QPalette& palette) {
        QColor color = palette.color(QPalette::WindowText);
        color.setAlphaF(0.15f);
        return color;
    });
    return line;
}

void styleSheetButton(QPushButton* button, bool prominent) {
    button->setMinimumWidth(80);
    if (!prominent) return;
    // Accent-filled while it can be pressed, a plain grey button while not;
    // the accent of the palette it is in, light or dark.
    const auto fill = [button] {
        QPalette palette = button->palette();
        palette.setColor(QPalette::Active, QPalette::Button, palette.color(QPalette::Highlight));
        palette.setColor(QPalette::Inactive, QPalette::Button, palette.color(QPalette::Highlight));
        palette.setColor(QPalette::Active, QPalette::ButtonText, palette.color(QPalette::HighlightedText));
        palette.setColor(QPalette::Inactive, QPalette::ButtonText, palette.color(QPalette::HighlightedText));
        button->setPalette(palette);  // the same colours again change nothing
    };
    fill();
    ui::followPalette(button, fill);
    QFont font = button->font();
    font.setWeight(QFont::DemiBold);
    button->setFont(font);
    // The style's focus look is an accent outline, lost on the accent fill.
    ui::markFocus(button, ui::kButtonMarkRadius, ui::kButtonMarkOutset);
}

QWidget* makeSheetFooter(QPushButton* cancel, QPushButton* confirm, QWidget* parent) {
    auto* footer = new QWidget(parent);
    auto* layout = new QHBoxLayout(footer);
    layout->setContentsMargins(20, 12, 20, 12);
    layout->setSpacing(8);
    layout->addStretch(1);
    layout->addWidget(cancel);
    layout->addWidget(confirm);
    styleSheetButton(cancel, false);
    styleSheetButton(confirm, true);
    // Return presses the confirming button, but on a focused Cancel, which
    // it presses then: a user who went to Cancel never saves by Return.
    cancel->setAutoDefault(true);
    cancel->setDefault(false);
    confirm->setAutoDefault(false);
    confirm->setDefault(true);
    return footer;
}

// MARK: form row

SlotEditFormRow::SlotEditFormRow(const QString& label, QWidget* content, std::optional<QString> helpText,
                                 QWidget* parent)
    : QWidget(parent), content_(content) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(makeLabel(label, sheetFont(SheetText::subheadline, QFont::DemiBold), this));
    layout->addWidget(content);
    help_ = makeLabel({}, sheetFont(SheetText::caption), this);
    help_->setWordWrap(true);
    setTextColor(help_, secondaryColor(palette()));
    layout->addWidget(help_);
    problem_ = makeLabel({}, sheetFont(SheetText::caption, QFont::Medium), this);
    problem_->setWordWrap(true);
    setTextColor(problem_, QColor(0xE5, 0x39, 0x35));
    layout->addWidget(problem_);
    setHelpText(helpText);
    setProblem(std::nullopt);
}

void SlotEditFormRow::setHelpText(const std::optional<QString>& helpText) {
    help_->setText(helpText.value_or(QString()));
    help_->setVisible(helpText.has_value());
}

std::optional<QString> SlotEditFormRow::helpText() const {
    if (help_->isHidden()) return std::nullopt;
    return help_->text();
}

void SlotEditFormRow::setProblem(const std::optional<QString>& problem) {
    problem_->setText(problem.value_or(QString()));
    problem_->setVisible(problem.has_value());
}

std::optional<QString> SlotEditFormRow::problem() const {
    if (problem_->isHidden()) return std::nullopt;
    return problem_->text();
}

// MARK: sheet dialog

SheetDialog::SheetDialog(QWidget* parent) : QDialog(parent) {}

bool SheetDialog::asksBeforeClosing() const { return isVisible() && hasChanges && hasChanges(); }

void SheetDialog::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Cancel) && asksBeforeClosing()) {
        event->accept();
        askToDiscard();
        return;
    }
    QDialog::keyPressEvent(event);
}

void SheetDialog::closeEvent(QCloseEvent* event) {
    if (event->spontaneous() && asksBeforeClosing()) {
        event->ignore();
        askToDiscard();
        return;
    }
    QDialog::closeEvent(event);
}

void SheetDialog::askToDiscard() {
    if (discardBox_) {
        discardBox_->raise();
        return;
    }
    discardBox_ = ui::openConfirmation(
        this, QStringLiteral("discardChangesAlert"), tr("Discard your changes?"),
        tr("What you changed here has not been saved."), tr("Discard Changes"),
        [self = QPointer<SheetDialog>(this)] {
            if (self) self->reject();
        },
        tr("Keep Editing"));
}

// MARK: sheet

SlotEditChromeSheet::SlotEditChromeSheet(const QString& symbol, const QString& title, const QString& subtitle,
                                         SlotEditSize size, QWidget* parent)
    : SlotEditChromeSheet(symbol, title, subtitle, slotEditSize(size), parent) {}

SlotEditChromeSheet::SlotEditChromeSheet(const QString& symbol, const QString& title, const QString& subtitle,
                                         QSize size, QWidget* parent)
    : SheetDialog(parent), fullSubtitle_(subtitle) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(title);
    // Less tall on a small screen: the form scrolls, the footer stays on it.
    setFixedSize(ui::fitFreeArea(size, parent));
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    auto* header = new QWidget(this);
    auto* headerLayout = new QHBoxLayout(header);
    headerLayout->setContentsMargins(20, 14, 20, 14);
    headerLayout->setSpacing(12);
    badge_ = new QLabel(header);
    badge_->setPixmap(badgePixmap(symbol, devicePixelRatioF()));
    headerLayout->addWidget(badge_, 0, Qt::AlignVCenter);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(1);
    title_ = makeLabel(title, sheetFont(SheetText::title3, QFont::Medium), header);
    subtitle_ = makeLabel(subtitle, sheetFont(SheetText::caption), header);
    setTextColor(subtitle_, secondaryColor(palette()));
    subtitle_->setVisible(!subtitle.isEmpty());
    texts->addWidget(title_);
    texts->addWidget(subtitle_);
    headerLayout->addLayout(texts, 1);
    root->addWidget(header);
    root->addWidget(makeSheetDivider(this));

    ui::keepWheelForFocusedControls();
    scroll_ = new QScrollArea(this);
    scroll_->setWidgetResizable(true);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    form_ = new QWidget(scroll_);
    form_->setAutoFillBackground(false);
    formLayout_ = new QVBoxLayout(form_);
    formLayout_->setContentsMargins(20, 20, 20, 20);
    formLayout_->setSpacing(16);
    formLayout_->addStretch(1);
    scroll_->setWidget(form_);
    ui::keepFocusInView(scroll_);
    scroll_->viewport()->setAutoFillBackground(false);
    ui::markFocus(scroll_, 6);  // a Tab stop (the arrows scroll it) the style draws no focus on
    root->addWidget(scroll_, 1);
    root->addWidget(makeSheetDivider(this));

    cancel_ = new QPushButton(tr("Cancel"), this);
    save_ = new QPushButton(tr("Save"), this);
    root->addWidget(makeSheetFooter(cancel_, save_, this));
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(save_, &QPushButton::clicked, this, [this] {
        if (onSave) onSave();
    });
}

void SlotEditChromeSheet::addFormItem(QWidget* item) {
    item->setParent(form_);
    formLayout_->insertWidget(formLayout_->count() - 1, item);
}

void SlotEditChromeSheet::deleteForm() {
    delete scroll_->takeWidget();
    form_ = nullptr;
    formLayout_ = nullptr;
}

void SlotEditChromeSheet::setFormSpacing(int spacing) { formLayout_->setSpacing(spacing); }

void SlotEditChromeSheet::setFormMargins(const QMargins& margins) { formLayout_->setContentsMargins(margins); }

void SlotEditChromeSheet::setTitleFont(const QFont& font) { title_->setFont(font); }

void SlotEditChromeSheet::setFormScrolls(bool scrolls) {
    scroll_->setVerticalScrollBarPolicy(scrolls ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
}

void SlotEditChromeSheet::setHeaderPicture(const QPixmap& picture) {
    badge_->setPixmap(picture);
    badge_->setFixedSize(picture.isNull() ? QSize(0, 0) : picture.deviceIndependentSize().toSize());
    badge_->setScaledContents(true);
    badge_->setVisible(!picture.isNull());
}

void SlotEditChromeSheet::setCanSave(bool canSave) { save_->setEnabled(canSave); }

bool SlotEditChromeSheet::canSave() const { return save_->isEnabled(); }

QString SlotEditChromeSheet::title() const { return title_->text(); }

void SlotEditChromeSheet::setTitle(const QString& title) {
    title_->setText(title);
    setWindowTitle(title);
}

QString SlotEditChromeSheet::subtitle() const { return fullSubtitle_; }

void SlotEditChromeSheet::elideSubtitle(int width) {
    const QString full = subtitle();
    const QString shown = QFontMetrics(subtitle_->font()).elidedText(full, Qt::ElideMiddle, width);
    subtitle_->setText(shown);
    subtitle_->setToolTip(shown == full ? QString() : ui::plainToolTip(full));
}

}  // namespace orbel
