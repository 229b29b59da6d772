#include "ui/parameterized_action_editor.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QVBoxLayout>
#include <cmath>

#include "model/text.h"
#include "ui/parameterized_action_model.h"
#include "ui/sheet_frame.h"

namespace orbel {
namespace {

constexpr int kSteps = 100;  // the slider's positions are levels in hundredths

}  // namespace

ParameterizedActionEditor::ParameterizedActionEditor(SystemAction prototype, double level, QWidget* parent)
    : QWidget(parent), level_(level) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    auto* header = new QHBoxLayout;
    caption_ = new QLabel(QString::fromStdString(parameterized_action::caption(prototype.kind)), this);
    caption_->setFont(sheetFont(SheetText::subheadline, QFont::DemiBold));
    percent_ = new QLabel(this);
    percent_->setFont(sheetFont(SheetText::subheadline));
    setTextColor(percent_, secondaryColor(percent_->palette()));
    header->addWidget(caption_);
    header->addStretch(1);
    header->addWidget(percent_);
    layout->addLayout(header);
    slider_ = new QSlider(Qt::Horizontal, this);
    slider_->setRange(0, kSteps);
    slider_->setSingleStep(1);
    slider_->setPageStep(10);
    layout->addWidget(slider_);
    refresh();
    connect(slider_, &QSlider::valueChanged, this, [this](int position) {
        level_ = position / static_cast<double>(kSteps);
        percent_->setText(QString::fromStdString(parameterized_action::percentText(level_)));
        if (onChange) onChange(level_);
    });
}

void ParameterizedActionEditor::setLevel(double level) {
    level_ = level;
    refresh();
}

QString ParameterizedActionEditor::captionText() const { return caption_->text(); }
QString ParameterizedActionEditor::percentText() const { return percent_->text(); }

void ParameterizedActionEditor::refresh() {
    const QSignalBlocker quiet(slider_);
    slider_->setValue(static_cast<int>(std::lround(text::clamp(level_ * kSteps, 0.0, double(kSteps)))));
    percent_->setText(QString::fromStdString(parameterized_action::percentText(level_)));
}

}  // namespace orbel
