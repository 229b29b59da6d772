#include "ui/accent_swatch_picker.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "ui/controls.h"
#include "ui/popup_placement.h"

namespace orbel {
namespace {

QColor colorOf(const Rgb& rgb) { return QColor::fromRgbF(float(rgb.r), float(rgb.g), float(rgb.b)); }

QColor withAlpha(QColor color, double alpha) {
    color.setAlphaF(float(alpha * color.alphaF()));
    return color;
}

QPainterPath rounded(const QRectF& box, double radius) {
    QPainterPath path;
    path.addRoundedRect(box, radius, radius);
    return path;
}

// A bold checkmark `size` wide centred on `box`, with a faint shadow so that
// a white one shows on white.
void paintCheckmark(QPainter& p, const QRectF& box, double size, bool shadow, const QColor& color = Qt::white) {
    const QPointF c = box.center();
    const double s = size / 2;
    const QPolygonF tick{c + QPointF(-0.8 * s, 0.05 * s), c + QPointF(-0.25 * s, 0.6 * s),
                         c + QPointF(0.8 * s, -0.55 * s)};
    const double width = std::max(1.6, size / 6);
    p.setBrush(Qt::NoBrush);
    if (shadow) {
        p.setPen(QPen(QColor(0, 0, 0, 84), width + 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(tick);
    }
    p.setPen(QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(tick);
}

// Inside the edge of a swatch of `color`, a line in black or white,
// whichever its colour is not: with the accent's ring outside it, the
// keyboard focus mark shows on a swatch of any colour, the accent's own and
// the darkest too.
void paintSwatchInnerMark(QPainter& p, const QRectF& swatch, double radius, const QColor& color) {
    p.setPen(QPen(color.lightnessF() > 0.5 ? QColor(0, 0, 0, 150) : QColor(255, 255, 255, 190), 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(rounded(swatch.adjusted(1, 1, -1, -1), radius - 1));
}

QFont monospaced(const QFont& base) {
    QFont f(QStringLiteral("monospace"));
    f.setStyleHint(QFont::Monospace);
    f.setPointSizeF(base.pointSizeF());
    return f;
}

constexpr int kPresetColumns = 6;

// One preset cell of the grid. The arrows move the focus between the cells,
// left and right along a row, up and down a column.
class PresetCell : public QAbstractButton {
public:
    PresetCell(std::string_view preset, const AccentSwatchModel& model, QWidget* parent)
        : QAbstractButton(parent), preset_(preset), model_(model) {
        setToolTip(QString::fromUtf8(preset.data(), qsizetype(preset.size())));
        setAccessibleName(toolTip());
        setCursor(Qt::PointingHandCursor);
        setFixedSize(28, 28);
        ui::markFocus(this, 8, 3);  // the accent's ring, in the grid's spacing
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QColor ink = palette().color(QPalette::WindowText);
        const auto rgb = parseHexColor(preset_);
        const QColor fill = rgb ? colorOf(*rgb) : QColor(Qt::gray);
        const bool selected = model_.isSelected(preset_);
        const double width = selected ? 2 : 0.5;
        const QRectF box = QRectF(rect()).adjusted(width / 2, width / 2, -width / 2, -width / 2);
        p.fillPath(rounded(QRectF(rect()), 5), fill);
        p.setPen(QPen(selected ? ink : withAlpha(ink, 0.25), width));
        p.setBrush(Qt::NoBrush);
        p.drawPath(rounded(box, 5 - width / 2));
        if (selected) paintCheckmark(p, QRectF(rect()), 11, true);
        // Inside the selection's border, which is as wide as the mark's line.
        if (ui::showsFocusMark(this)) paintSwatchInnerMark(p, QRectF(rect()).adjusted(2, 2, -2, -2), 4, fill);
    }

    void keyPressEvent(QKeyEvent* event) override {
        const int key = event->key();
        const int step = key == Qt::Key_Left    ? -1
                         : key == Qt::Key_Right ? 1
                         : key == Qt::Key_Up    ? -kPresetColumns
                         : key == Qt::Key_Down  ? kPresetColumns
                                                : 0;
        if (step == 0) return QAbstractButton::keyPressEvent(event);
        QList<PresetCell*> cells;  // in the grid's order
        for (QObject* sibling : parentWidget()->children())
            if (auto* cell = dynamic_cast<PresetCell*>(sibling)) cells.push_back(cell);
        const qsizetype at = cells.indexOf(this), to = at + step;
        const bool inRow = std::abs(step) != 1 || to / kPresetColumns == at / kPresetColumns;
        if (to >= 0 && to < cells.size() && inRow) cells[to]->setFocus(Qt::OtherFocusReason);
    }

private:
    std::string_view preset_;
    const AccentSwatchModel& model_;
};

// The "Use System Accent" row.
class SystemRow : public QAbstractButton {
public:
    SystemRow(const AccentSwatchModel& model, QWidget* parent) : QAbstractButton(parent), model_(model) {
        setText(tr("Use System Accent"));
        setCursor(Qt::PointingHandCursor);
    }
    QSize sizeHint() const override {
        return {16 + 8 + fontMetrics().horizontalAdvance(text()), std::max(16, fontMetrics().height())};
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QColor ink = palette().color(QPalette::WindowText);
        const QRectF square(0, (height() - 16) / 2.0, 16, 16);
        p.fillPath(rounded(square, 4), ink);
        // On the label colour: the window colour stands out in light and dark.
        if (!model_.accentHex()) paintCheckmark(p, square, 9, false, palette().color(QPalette::Window));
        p.setPen(ink);
        p.drawText(QRectF(24, 0, width() - 24, height()), Qt::AlignLeft | Qt::AlignVCenter, text());
    }

private:
    const AccentSwatchModel& model_;
};

QFrame* divider(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setForegroundRole(QPalette::Mid);
    return line;
}

}  // namespace

AccentSwatchPicker::AccentSwatchPicker(std::optional<std::string> accentHex, QWidget* parent)
    : QAbstractButton(parent), model_(std::move(accentHex)) {
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setAccessibleName(tr("Colour"));
    connect(this, &QAbstractButton::clicked, this, &AccentSwatchPicker::togglePopover);
}

AccentSwatchPicker::~AccentSwatchPicker() {
    // The popover dismisses the model as it hides: it goes while the model is here.
    delete popover_;
}

void AccentSwatchPicker::setAccentHex(std::optional<std::string> hex) {
    model_.setAccentHex(std::move(hex));
    update();
    if (popover_) popover_->refresh();
}

void AccentSwatchPicker::showDialColorWhenUnset(std::function<AppearanceConfig()> appearance, DialColor which) {
    unsetAppearance_ = std::move(appearance);
    unsetColor_ = which;
    update();
}

void AccentSwatchPicker::togglePopover() {
    model_.togglePopover();
    if (!popover_) popover_ = new AccentSwatchPopover(*this);
    popover_->refresh();
    if (!model_.isOpen()) {
        popover_->hide();
        return;
    }
    popover_->adjustSize();
    const QRect anchor = ui::globalRect(this);
    ui::showPopup(popover_, ui::centredBelow(anchor, popover_->size()), anchor);
    popover_->hexField()->setFocus();
}

void AccentSwatchPicker::afterAction(bool changed) {
    update();
    if (popover_) {
        popover_->refresh();
        if (!model_.isOpen()) popover_->hide();
    }
    if (changed) Q_EMIT accentHexChanged();
}

void AccentSwatchPicker::mousePressEvent(QMouseEvent* event) {
    if (popoverJustClosed_) {
        event->accept();
        return;
    }
    QAbstractButton::mousePressEvent(event);
}

void AccentSwatchPicker::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink = palette().color(QPalette::WindowText);
    auto rgb = model_.currentColor();
    if (!rgb && unsetAppearance_) {
        const QColor window = palette().color(QPalette::Window);
        const DialPalette dial = DialPalette::make(
            unsetAppearance_(), colorSchemeForWindowColor(Rgb{window.redF(), window.greenF(), window.blueF()}));
        rgb = (unsetColor_ == DialColor::backdrop ? dial.backdropFill : dial.wedgeFilledTint).rgb();
    }
    const QRectF swatch = QRectF(0, 0, 28, 18).translated((width() - 28) / 2.0, (height() - 18) / 2.0);
    const QColor color = rgb ? colorOf(*rgb) : ink;
    p.fillPath(rounded(swatch, 5), color);
    p.setPen(QPen(withAlpha(ink, 0.35), 0.5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(rounded(swatch.adjusted(0.25, 0.25, -0.25, -0.25), 4.75));
    if (ui::showsFocusMark(this)) {
        // The accent ring outside the swatch, a gap of the window's colour
        // between them, and the line inside the swatch's edge.
        ui::paintFocusMark(p, palette(), swatch.adjusted(-3, -3, 3, 3), 8);
        paintSwatchInnerMark(p, swatch, 5, color);
    }
}

AccentSwatchPopover::AccentSwatchPopover(AccentSwatchPicker& picker)
    : QFrame(&picker, Qt::Popup), picker_(picker) {
    setFrameShape(QFrame::StyledPanel);
    // A window of its own that still takes the owner's palette and font.
    setAttribute(Qt::WA_WindowPropagation);
    setFixedWidth(240);
    auto& model = picker_.model_;
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(14, 14, 14, 14);
    column->setSpacing(12);

    auto* system = new SystemRow(model, this);
    ui::markFocus(system, 6, 3);
    connect(system, &QAbstractButton::clicked, this, [this] {
        const bool changed = picker_.model_.accentHex().has_value();
        picker_.model_.useSystemAccent();
        picker_.afterAction(changed);
    });
    column->addWidget(system);
    column->addWidget(divider(this));

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(8);
    int index = 0;
    for (std::string_view preset : AccentSwatchModel::presets()) {
        auto* cell = new PresetCell(preset, model, this);
        connect(cell, &QAbstractButton::clicked, this, [this, preset] {
            const bool changed = picker_.model_.accentHex() != std::string(preset);
            picker_.model_.selectSwatch(preset);
            picker_.afterAction(changed);
        });
        grid->addWidget(cell, index / kPresetColumns, index % kPresetColumns);
        ++index;
    }
    auto* gridRow = new QHBoxLayout;
    gridRow->addStretch();
    gridRow->addLayout(grid);
    gridRow->addStretch();
    column->addLayout(gridRow);
    column->addWidget(divider(this));

    auto* hexRow = new QHBoxLayout;
    hexRow->setSpacing(6);
    auto* hash = new QLabel(QStringLiteral("#"), this);
    hash->setFont(monospaced(font()));
    hash->setForegroundRole(QPalette::PlaceholderText);
    hexField_ = new QLineEdit(this);
    hexField_->setPlaceholderText(QStringLiteral("RRGGBB"));
    hexField_->setFont(monospaced(font()));
    hexField_->setFixedWidth(100);
    hexField_->setAccessibleName(tr("Hex colour"));
    auto* set = new QPushButton(tr("Set"), this);
    set->setAutoDefault(false);
    ui::markFocus(set, ui::kButtonMarkRadius, ui::kButtonMarkOutset);
    auto apply = [this] {
        auto& m = picker_.model_;
        m.setHexInput(hexField_->text().toStdString());
        const auto before = m.accentHex();
        if (!m.applyHexInput()) return;  // refused: stays open, keeps the text
        picker_.afterAction(before != m.accentHex());
    };
    connect(hexField_, &QLineEdit::returnPressed, this, apply);
    connect(set, &QPushButton::clicked, this, apply);
    hexRow->addWidget(hash);
    hexRow->addWidget(hexField_);
    hexRow->addWidget(set);
    hexRow->addStretch();
    column->addLayout(hexRow);
}

void AccentSwatchPopover::refresh() {
    hexField_->setText(QString::fromStdString(picker_.model_.hexInput()));
    update();
    for (auto* child : findChildren<QAbstractButton*>()) child->update();
}

void AccentSwatchPopover::hideEvent(QHideEvent* event) {
    picker_.model_.dismiss();
    picker_.popoverJustClosed_ = true;
    QTimer::singleShot(0, &picker_, [picker = &picker_] { picker->popoverJustClosed_ = false; });
    QFrame::hideEvent(event);
}

}  // namespace orbel
