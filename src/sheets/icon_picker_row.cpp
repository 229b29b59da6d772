#include "sheets/icon_picker_row.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "icons/icon_catalog.h"
#include "icons/icon_picker_view.h"
#include "icons/slot_icon_view.h"
#include "sheets/icon_row_model.h"
#include "ui/controls.h"
#include "ui/sheet_frame.h"
#include "ui/sheet_opener.h"

namespace orbel {
namespace {

// The 44 pt tile behind the icon.
class IconTile : public QAbstractButton {
public:
    explicit IconTile(QWidget* parent) : QAbstractButton(parent) {
        setFixedSize(44, 44);
        setCursor(Qt::PointingHandCursor);
        setToolTip(IconPickerRow::tr("Choose an icon"));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QColor fill = palette().color(QPalette::WindowText);
        fill.setAlphaF(0.05f);
        QColor stroke = secondaryColor(palette());
        stroke.setAlphaF(0.18f);
        p.setPen(QPen(stroke, 0.5));
        p.setBrush(fill);
        p.drawRoundedRect(QRectF(rect()).adjusted(0.25, 0.25, -0.25, -0.25), 8, 8);
        if (ui::showsFocusMark(this)) ui::paintFocusMark(p, palette(), QRectF(rect()).adjusted(1, 1, -1, -1), 8);
    }
};

IconPickerOpener& currentOpener() {
    static IconPickerOpener opener;
    return opener;
}

}  // namespace

void openIconPicker(QWidget* parent, const SlotIcon& current, std::function<void(const SlotIcon&)> apply) {
    if (const auto& opener = currentOpener()) return opener(parent, current, std::move(apply));
    auto* picker = new IconPickerView(current, parent);
    QObject::connect(picker, &IconPickerView::iconChosen, picker,
                     [apply = std::move(apply)](const SlotIcon& icon) {
                         if (apply) apply(icon);
                     });
    ui::openSheet(picker);
}

void setIconPickerOpener(IconPickerOpener opener) { currentOpener() = std::move(opener); }

IconPickerRow::IconPickerRow(SlotIcon icon, QWidget* parent) : QWidget(parent), icon_(std::move(icon)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    tile_ = new IconTile(this);
    auto* tileLayout = new QHBoxLayout(tile_);
    tileLayout->setContentsMargins(8, 8, 8, 8);
    preview_ = new SlotIconView(icon_, 28, tile_);
    preview_->setAttribute(Qt::WA_TransparentForMouseEvents);
    tileLayout->addWidget(preview_);
    layout->addWidget(tile_);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    title_ = new QLabel(this);
    title_->setFont(sheetFont(SheetText::callout));
    title_->setTextFormat(Qt::PlainText);
    subtitle_ = new QLabel(this);
    subtitle_->setFont(sheetFont(SheetText::caption));
    subtitle_->setTextFormat(Qt::PlainText);
    setTextColor(subtitle_, secondaryColor(subtitle_->palette()));
    texts->addWidget(title_);
    texts->addWidget(subtitle_);
    layout->addLayout(texts);
    layout->addStretch(1);
    choose_ = new QPushButton(tr("Choose…"), this);
    choose_->setAutoDefault(false);
    layout->addWidget(choose_);
    reset_ = new QToolButton(this);
    reset_->setIcon(QIcon(symbolPixmap("arrow.uturn.backward", 14, palette().color(QPalette::ButtonText),
                                       devicePixelRatioF())));
    reset_->setToolTip(tr("Reset to default"));
    reset_->setAutoRaise(false);
    layout->addWidget(reset_);

    auto open = [this] {
        if (onOpen) onOpen();
    };
    connect(tile_, &QAbstractButton::clicked, this, open);
    connect(choose_, &QPushButton::clicked, this, open);
    connect(reset_, &QToolButton::clicked, this, [this] {
        setIcon(SlotIcon::automatic());
        if (onChange) onChange(icon_);
    });
    refresh();
}

void IconPickerRow::setIcon(SlotIcon icon) {
    icon_ = std::move(icon);
    refresh();
}

QAbstractButton* IconPickerRow::tile() const { return tile_; }
QString IconPickerRow::titleText() const { return title_->text(); }
QString IconPickerRow::subtitleText() const { return subtitle_->text(); }

void IconPickerRow::refresh() {
    preview_->setIcon(icon_);
    title_->setText(QString::fromStdString(
        icon_row::title(icon_, [](const IconPack& pack) { return IconCatalog::shared().displayName(pack); })));
    subtitle_->setText(QString::fromStdString(icon_row::subtitle(icon_)));
    reset_->setVisible(!icon_.isAuto());
}

}  // namespace orbel
