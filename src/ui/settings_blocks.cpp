#include "ui/settings_blocks.h"


#include <QFontDatabase>
#include <QGuiApplication>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QApplication>
#include <QVBoxLayout>

#include "platform/symbols.h"
#include "ui/wheel_guard.h"

namespace orbel::ui {

QColor settingsAccent() { return QColor(0x0A, 0x84, 0xFF); }
QColor groupAccent() { return QColor(0xBF, 0x5A, 0xF2); }

QFont textFont(TextStyle style, QFont::Weight weight, bool monospaced) {
    QFont font = monospaced ? QFontDatabase::systemFont(QFontDatabase::FixedFont) : QFont();
    // Sizes relative to the desktop's body text, as the window's text styles are.
    const qreal body = QFont().pointSizeF() > 0 ? QFont().pointSizeF() : 10.0;
    qreal scale = 1.0;
    switch (style) {
        case TextStyle::title2: scale = 1.6; break;
        case TextStyle::title3: scale = 1.3; break;
        case TextStyle::callout: scale = 1.0; break;
        case TextStyle::caption: scale = 0.86; break;
    }
    font.setPointSizeF(body * scale);
    font.setWeight(weight);
    return font;
}

QColor inkColor(const QPalette& palette, Ink ink) {
    QColor color = palette.color(QPalette::WindowText);
    if (ink == Ink::secondary) color.setAlphaF(0.62f);
    if (ink == Ink::tertiary) color.setAlphaF(0.42f);
    return color;
}

void setInk(QLabel* label, Ink ink) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, inkColor(QGuiApplication::palette(), ink));
    label->setPalette(palette);
}

QLabel* styledLabel(const QString& text, TextStyle style, Ink ink, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFont(textFont(style));
    setInk(label, ink);
    return label;
}

QIcon symbolIcon(const std::string& symbol, int size, const QColor& color, qreal dpr) {
    QImage image = platform::Symbols::shared().image(symbol, size, color, dpr);
    image.setDevicePixelRatio(dpr);
    return QIcon(QPixmap::fromImage(image));
}

QPushButton* symbolButton(const QString& text, const std::string& symbol, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    if (!symbol.empty()) {
        const qreal dpr = parent ? parent->devicePixelRatioF() : qApp->devicePixelRatio();
        button->setIcon(symbolIcon(symbol, 14, button->palette().color(QPalette::ButtonText), std::max(dpr, 2.0)));
        button->setIconSize(QSize(14, 14));
    }
    button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return button;
}

QWidget* inlineRow(std::initializer_list<QWidget*> widgets, int spacing) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    for (QWidget* widget : widgets) layout->addWidget(widget, 0, Qt::AlignTop);
    layout->addStretch(1);
    return row;
}

QLabel* valueLabel(int width, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setFont(textFont(TextStyle::callout, QFont::Normal, true));
    setInk(label, Ink::secondary);
    label->setFixedWidth(width);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

// SymbolBadge

SymbolBadge::SymbolBadge(std::string symbol, QColor color, int size, QWidget* parent)
    : QWidget(parent), symbol_(std::move(symbol)), color_(color), size_(size) {
    setFixedSize(size, size);
}

void SymbolBadge::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QColor fill = color_;
    fill.setAlphaF(0.18f);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    const qreal radius = cornerRadius(size_);
    p.drawRoundedRect(QRectF(0, 0, size_, size_), radius, radius);
    const qreal glyph = size_ * 0.5;
    const qreal dpr = devicePixelRatioF();
    QImage image = platform::Symbols::shared().image(symbol_, glyph, color_, dpr);
    image.setDevicePixelRatio(dpr);
    p.drawImage(QRectF((size_ - glyph) / 2, (size_ - glyph) / 2, glyph, glyph), image);
}

// SettingsRow

SettingsRow::SettingsRow(const QString& label, const std::optional<QString>& helpText, QWidget* content,
                         QWidget* parent)
    : QWidget(parent), content_(content) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 9, 0, 9);
    layout->setSpacing(kSpacing);

    auto* column = new QWidget(this);
    column->setFixedWidth(kLabelWidth);
    auto* columnLayout = new QVBoxLayout(column);
    columnLayout->setContentsMargins(0, 0, 0, 0);
    columnLayout->setSpacing(2);
    label_ = styledLabel(label, TextStyle::callout, Ink::primary, column);
    label_->setAlignment(Qt::AlignRight | Qt::AlignTop);
    label_->setWordWrap(true);
    help_ = styledLabel(QString(), TextStyle::caption, Ink::tertiary, column);
    help_->setAlignment(Qt::AlignRight | Qt::AlignTop);
    help_->setWordWrap(true);
    columnLayout->addWidget(label_);
    columnLayout->addWidget(help_);
    columnLayout->addStretch();
    setHelpText(helpText);

    layout->addWidget(column, 0, Qt::AlignTop);
    if (content) {
        content->setParent(this);
        layout->addWidget(content, 1, Qt::AlignLeft | Qt::AlignTop);
    } else {
        layout->addStretch(1);
    }
}

void SettingsRow::setLabel(const QString& label) { label_->setText(label); }

void SettingsRow::setHelpText(const std::optional<QString>& helpText) {
    help_->setText(helpText.value_or(QString()));
    help_->setVisible(helpText.has_value());
}

// SettingsSection

SettingsSection::SettingsSection(QWidget* parent) : QWidget(parent) {
    layout_ = new QVBoxLayout(this);
    layout_->setContentsMargins(28, 6, 28, 6);
    layout_->setSpacing(0);
}

SettingsRow* SettingsSection::addRow(SettingsRow* row) {
    row->setParent(this);
    layout_->addWidget(row);
    return row;
}

SettingsRow* SettingsSection::addRow(const QString& label, const std::optional<QString>& helpText, QWidget* content) {
    return addRow(new SettingsRow(label, helpText, content, this));
}

// Divider and page

namespace {

class Divider : public QWidget {
public:
    explicit Divider(QWidget* parent) : QWidget(parent) { setFixedHeight(9); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        QColor line = palette().color(QPalette::WindowText);
        line.setAlphaF(0.14f);
        p.fillRect(QRectF(28, 4, width() - 56, 1), line);
    }
};

}  // namespace

QWidget* settingsDivider(QWidget* parent) { return new Divider(parent); }

SettingsPage::SettingsPage(QWidget* parent) : QScrollArea(parent) {
    keepWheelForFocusedControls();
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* canvas = new QWidget;
    canvas->setAutoFillBackground(false);
    auto* outer = new QHBoxLayout(canvas);
    outer->setContentsMargins(0, 14, 0, 14);
    auto* holder = new QWidget(canvas);
    holder->setMaximumWidth(640);
    column_ = new QVBoxLayout(holder);
    column_->setContentsMargins(0, 0, 0, 0);
    column_->setSpacing(0);
    outer->addStretch(1);
    outer->addWidget(holder, 1000);
    outer->addStretch(1);
    setWidget(canvas);
    viewport()->setAutoFillBackground(false);
}

void SettingsPage::addSections(std::initializer_list<QWidget*> sections) {
    bool first = true;
    for (QWidget* section : sections) {
        if (!first) column_->addWidget(settingsDivider());
        column_->addWidget(section);
        first = false;
    }
    column_->addStretch(1);
    column_->addSpacing(12);
}

}  // namespace orbel::ui
