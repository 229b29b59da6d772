#include "input/hold_binding_recorder_view.h"

#include <QCoreApplication>
#include <QLabel>
#include <QVBoxLayout>

#include "input/recorder_button.h"

namespace orbel {
namespace {

QLabel* caption(const char* text, QWidget* parent, qreal opacity) {
    auto* label = new QLabel(QCoreApplication::translate("HoldBindingRecorder", text), parent);
    QFont f = label->font();
    f.setPointSizeF(f.pointSizeF() * 0.85);
    label->setFont(f);
    QPalette palette = label->palette();
    QColor ink = palette.color(QPalette::WindowText);
    ink.setAlphaF(float(opacity));
    palette.setColor(QPalette::WindowText, ink);
    label->setPalette(palette);
    label->setWordWrap(true);
    return label;
}

}  // namespace

HoldBindingRecorderView::HoldBindingRecorderView(HoldBindingRecorder& recorder, QWidget* parent)
    : QWidget(parent), recorder_(recorder) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    button_ = new RecorderButton({8, QMargins(14, 8, 14, 8), 200}, this);
    layout->addWidget(button_, 0, Qt::AlignLeft);

    // X11 has no settings pane to open: the help names what is missing.
    help_ = new QWidget(this);
    auto* helpLayout = new QVBoxLayout(help_);
    helpLayout->setContentsMargins(0, 0, 0, 0);
    helpLayout->setSpacing(4);
    helpLayout->addWidget(caption("Mouse-button capture needs Input Monitoring access.", help_, 0.7));
    helpLayout->addWidget(
        caption("The X server offers no XInput2 raw events; restart Orbel in a session that has them.", help_, 0.5));
    layout->addWidget(help_);

    rejection_ = new QLabel(this);
    rejection_->setTextFormat(Qt::PlainText);  // may name a device
    rejection_->setWordWrap(true);
    QPalette palette = rejection_->palette();
    palette.setColor(QPalette::WindowText, QColor(0xE5, 0x39, 0x35));
    rejection_->setPalette(palette);
    QFont f = rejection_->font();
    f.setPointSizeF(f.pointSizeF() * 0.85);
    rejection_->setFont(f);
    layout->addWidget(rejection_);
    layout->addStretch();

    connect(button_, &QAbstractButton::clicked, &recorder_, &HoldBindingRecorder::toggleRecording);
    button_->stopRecording = [this] { recorder_.setRecording(false); };
    connect(&recorder_, &HoldBindingRecorder::changed, this, &HoldBindingRecorderView::refresh);
    refresh();
}

void HoldBindingRecorderView::hideEvent(QHideEvent* event) {
    recorder_.setRecording(false);
    QWidget::hideEvent(event);
}

void HoldBindingRecorderView::refresh() {
    // The two enumerations list the same looks in the same order.
    const auto state = static_cast<RecorderButton::State>(recorder_.look());
    button_->display(state, QString::fromStdString(recorder_.statusText()));
    help_->setVisible(recorder_.needsInputMonitoring());
    const auto& message = recorder_.rejectionMessage();
    rejection_->setVisible(!recorder_.needsInputMonitoring() && message.has_value());
    rejection_->setText(QString::fromStdString(message.value_or("")));
}

}  // namespace orbel
