#include "ui/settings_blocks.h"


#include <QFontDatabase>
#include <QGuiApplication>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QPushButton>
#include <QApplication>
#include <QVBoxLayout>

#include "platform/symbols.h"
#include "ui/focus_in_view.h"
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

namespace {

// Keeps a widget's text in one ink of the palette around it. The widget's
// own WindowText is set, so a change of its parent's palette does not reach
// it: the parent's palette changes (light to dark and back, the desktop's
// or one set on an ancestor) are watched and the ink made again from them.
// Someone else setting the widget's text colour ends the following.
class InkFollower : public QObject {
public:
    using Ink = std::function<QColor(const QPalette&)>;
    InkFollower(QWidget* widget, Ink ink) : QObject(widget), widget_(widget), ink_(std::move(ink)) {
        widget->installEventFilter(this);
        watchParent();
        apply();
    }

    void setInk(Ink ink) {
        ink_ = std::move(ink);
        apply();
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::ParentChange:
                if (watched == widget_) watchParent();
                apply();
                break;
            case QEvent::PaletteChange:
            case QEvent::ApplicationPaletteChange: apply(); break;
            default: break;
        }
        return false;
    }

private:
    void watchParent() {
        if (parent_) parent_->removeEventFilter(this);
        parent_ = widget_->parentWidget();
        if (parent_) parent_->installEventFilter(this);
    }

    void apply() {
        if (stopped_) return;
        QPalette own = widget_->palette();
        if (applied_ && own.color(QPalette::WindowText) != *applied_) {
            // A colour of its own was given since: that one stays.
            stopped_ = true;
            widget_->removeEventFilter(this);
            if (parent_) parent_->removeEventFilter(this);
            deleteLater();
            return;
        }
        const QColor color = ink_(parent_ ? parent_->palette() : QApplication::palette(widget_));
        applied_ = color;
        if (own.color(QPalette::WindowText) == color && (own.resolveMask() & (1ULL << QPalette::WindowText))) return;
        own.setColor(QPalette::WindowText, color);
        widget_->setPalette(own);
    }

    QWidget* widget_;
    QPointer<QWidget> parent_;
    Ink ink_;
    std::optional<QColor> applied_;
    bool stopped_ = false;
};

// Calls `apply` whenever the widget's palette changes.
class PaletteFollower : public QObject {
public:
    PaletteFollower(QWidget* widget, std::function<void()> apply) : QObject(widget), apply_(std::move(apply)) {
        widget->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange) apply_();
        return false;
    }

private:
    std::function<void()> apply_;
};

}  // namespace

void followPalette(QWidget* widget, std::function<void()> apply) { new PaletteFollower(widget, std::move(apply)); }

void setInk(QWidget* widget, std::function<QColor(const QPalette&)> ink) {
    for (QObject* child : widget->children()) {
        if (auto* follower = dynamic_cast<InkFollower*>(child)) return follower->setInk(std::move(ink));
    }
    new InkFollower(widget, std::move(ink));
}

void setInk(QWidget* widget, Ink ink) {
    setInk(widget, [ink](const QPalette& palette) { return inkColor(palette, ink); });
}

QLabel* styledLabel(const QString& text, TextStyle style, Ink ink, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);  // a caller that writes markup says so
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
        // Drawn in the button's text colour, and again when that changes.
        const auto paint = [button, symbol] {
            const qreal dpr = std::max(button->devicePixelRatioF(), 2.0);
            button->setIcon(symbolIcon(symbol, 14, button->palette().color(QPalette::ButtonText), dpr));
        };
        paint();
        button->setIconSize(QSize(14, 14));
        followPalette(button, paint);
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
    label->setTextFormat(Qt::PlainText);
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
    const QColor tint = color_.isValid() ? color_ : palette().color(QPalette::WindowText);
    QColor fill = tint;
    fill.setAlphaF(0.18f);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    const qreal radius = cornerRadius(size_);
    p.drawRoundedRect(QRectF(0, 0, size_, size_), radius, radius);
    const qreal glyph = size_ * 0.5;
    const qreal dpr = devicePixelRatioF();
    QImage image = platform::Symbols::shared().image(symbol_, glyph, tint, dpr);
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
    // Tab goes to the controls; a focused one is scrolled to. The page
    // itself, which could show no mark, is no stop of its own.
    setFocusPolicy(Qt::NoFocus);
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
    keepFocusInView(this);
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
