#include "editor/editor_widgets.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "editor/editor_painting.h"
#include "editor/picker_models.h"
#include "editor/slot_library_model.h"
#include "ui/controls.h"
#include "ui/parameterized_action_editor.h"
#include "ui/search_field.h"

namespace orbel::editor {

SearchField* makeSearchField(const QString& placeholder, QWidget* parent) {
    auto* field = new SearchField(parent);
    field->setPlaceholderText(placeholder);
    field->setMaximumWidth(QWIDGETSIZE_MAX);
    field->lineEdit()->setClearButtonEnabled(true);
    return field;
}

SegmentedButtons::SegmentedButtons(const std::vector<std::string>& titles, QWidget* parent)
    : QWidget(parent), group_(new QButtonGroup(this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (std::size_t i = 0; i < titles.size(); ++i) {
        auto* b = new QToolButton(this);
        b->setText(QString::fromStdString(titles[i]));
        b->setCheckable(true);
        b->setAutoRaise(false);
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        group_->addButton(b, static_cast<int>(i));
        layout->addWidget(b);
    }
    group_->setExclusive(true);
    if (auto* first = group_->button(0)) first->setChecked(true);
    connect(group_, &QButtonGroup::idClicked, this, &SegmentedButtons::selected);
}

int SegmentedButtons::current() const { return group_->checkedId(); }

void SegmentedButtons::setCurrent(int index) {
    if (auto* b = group_->button(index)) b->setChecked(true);
}

QAbstractButton* SegmentedButtons::button(int index) const { return group_->button(index); }

ParameterPopover::ParameterPopover(const SystemAction& prototype, double value,
                                   std::function<void(const SystemAction&, double)> onAdd, QWidget* parent)
    : QFrame(parent, Qt::Popup), prototype_(prototype), editor_(new ParameterizedActionEditor(prototype, value, this)),
      onAdd_(std::move(onAdd)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setFrameShape(QFrame::StyledPanel);
    setFixedWidth(280);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(12);
    layout->addWidget(editor_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* cancel = new QPushButton(tr("Cancel"), this);
    auto* add = new QPushButton(tr("Add"), this);
    add->setDefault(true);
    ui::markFocus(add, ui::kButtonMarkRadius, ui::kButtonMarkOutset);  // a default button: alike focused or not
    buttons->addWidget(cancel);
    buttons->addWidget(add);
    layout->addLayout(buttons);
    connect(cancel, &QPushButton::clicked, this, &QWidget::close);
    connect(add, &QPushButton::clicked, this, &ParameterPopover::add);
    auto* enter = new QShortcut(QKeySequence(Qt::Key_Return), this);
    connect(enter, &QShortcut::activated, this, &ParameterPopover::add);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
}

void ParameterPopover::add() {
    if (onAdd_) onAdd_(parameterisedChoice(prototype_, editor_->level()), editor_->level());
    close();
}

}  // namespace orbel::editor
