#include "ui/search_field.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>

#include "platform/symbols.h"

namespace orbel {
namespace {

constexpr int kGlass = 12;

}  // namespace

SearchField::SearchField(QWidget* parent) : QWidget(parent), edit_(new QLineEdit(this)) {
    edit_->setFrame(false);
    edit_->setPlaceholderText(tr("Search…"));
    edit_->setAccessibleName(tr("Search"));
    edit_->setClearButtonEnabled(false);
    edit_->setAttribute(Qt::WA_MacShowFocusRect, false);
    // The field draws on this widget's background.
    QPalette clear = edit_->palette();
    clear.setColor(QPalette::Base, Qt::transparent);
    edit_->setPalette(clear);
    edit_->installEventFilter(this);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(8 + kGlass + 6, 5, 8, 5);
    row->setSpacing(0);
    row->addWidget(edit_);
    setFocusProxy(edit_);
    setMaximumWidth(200);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(edit_, &QLineEdit::textChanged, this, &SearchField::textChanged);
}

QString SearchField::text() const { return edit_->text(); }
void SearchField::setText(const QString& text) { edit_->setText(text); }
void SearchField::setPlaceholderText(const QString& text) { edit_->setPlaceholderText(text); }

void SearchField::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QColor ink = palette().color(QPalette::WindowText);
    QColor fill = ink;
    fill.setAlphaF(0.08f);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), 6, 6);
    p.fillPath(shape, fill);
    if (edit_->hasFocus()) {
        QColor ring = palette().color(QPalette::Highlight);
        ring.setAlphaF(0.6f);
        p.setPen(QPen(ring, 1.5));
        p.drawRoundedRect(QRectF(rect()).adjusted(0.75, 0.75, -0.75, -0.75), 5.25, 5.25);
    }
    ink.setAlphaF(0.55f);
    const QRectF glass(8, (height() - kGlass) / 2.0, kGlass, kGlass);
    p.drawImage(glass, platform::Symbols::shared().image("magnifyingglass", kGlass, ink, p.device()->devicePixelRatioF()));
}

bool SearchField::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit_) {
        if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) update();
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace orbel
