#include "profiles/per_app_views.h"

#include <algorithm>

#include "editor/picker_models.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <map>
#include <memory>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QThreadPool>
#include <QVBoxLayout>

#include "editor/editor_painting.h"
#include "editor/picker_views.h"
#include "icons/custom_images.h"
#include "input/menu_key_recorder.h"
#include "platform/alerts.h"
#include "platform/app_directory.h"
#include "sheets/slot_sheet_factory.h"
#include "ui/accent_swatch_picker.h"
#include "ui/confirmation.h"
#include "ui/controls.h"
#include "ui/focus_in_view.h"
#include "ui/popup_placement.h"
#include "ui/sheet_frame.h"
#include "ui/sheet_opener.h"
#include "ui/teardown.h"

namespace orbel {

namespace {

// A change of the Apps tab or its sheet that could not be saved.
void showNotSaved(const std::optional<std::string>& reason) {
    if (!reason) return;
    platform::Alert alert;
    alert.title = QCoreApplication::translate("PerAppMenusEditorView", "Setting Not Saved").toStdString();
    alert.text = *reason;
    alert.style = platform::AlertStyle::warning;
    platform::Alerts::shared().show(alert);
}

}  // namespace

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

// A slider row: the slider (at most 280 wide) and its value, 14 apart.
QWidget* sliderRow(QSlider* slider, QLabel* value) {
    slider->setMaximumWidth(280);
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(14);
    layout->addWidget(slider);
    layout->addWidget(value);
    layout->addStretch();
    return row;
}

// The application's slots in a group editor of their own: no library, the
// application's name as the one crumb, at most six slots.
GroupEditorOpener appGroupEditor() {
    return [](QWidget* parent, const MenuGroup& group, const std::string& appName, const std::string& helpText,
              std::function<void(MenuGroup)> onSave) {
        const GroupEditorRequest request{group, {appName}, false, 6, helpText};
        ui::openSheet(makeSlotSheetFactory().groupEditor(request, std::move(onSave), parent));
    };
}

// Each row's help text keeps the room of its longest form under any choice,
// so that a choice moves no row under the pointer.
void reserveHelpRoom(std::initializer_list<std::pair<ui::SettingsRow*, appearance_settings::Row>> rows) {
    for (const auto& [row, which] : rows) {
        const QFontMetrics metrics(row->helpLabel()->font());
        int tallest = 0;
        for (AppearanceMode mode : kAllAppearanceModes)
            for (Backdrop backdrop : kAllBackdrops)
                for (SlotStyle style : kAllSlotStyles) {
                    AppearanceConfig look;
                    look.mode = mode;
                    look.backdrop = backdrop;
                    look.slotStyle = style;
                    const auto help = appearance_settings::help(look, which);
                    if (!help) continue;
                    const QRect room(0, 0, ui::SettingsRow::kLabelWidth, 1 << 20);
                    tallest = std::max(tallest, metrics.boundingRect(room, Qt::TextWordWrap, qs(*help)).height());
                }
        row->helpLabel()->setMinimumHeight(tallest);
    }
}

QSlider* slider(int max) {
    auto* s = new QSlider(Qt::Horizontal);
    s->setRange(0, max);
    return s;
}

}  // namespace

PerAppOverrideSheet::PerAppOverrideSheet(PerAppOverrideModel model, GroupEditorOpener openGroupEditor, QWidget* parent)
    : SheetDialog(parent), model_(std::move(model)),
      openGroupEditor_(openGroupEditor ? std::move(openGroupEditor) : appGroupEditor()) {
    hasChanges = [this] { return model_.hasChanges(); };
    setObjectName(QStringLiteral("perAppOverrideSheet"));
    setWindowTitle(qs(model_.appName()));
    setWindowModality(Qt::WindowModal);
    setFixedSize(ui::fitFreeArea(QSize(720, 640), parent));  // its sections scroll
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* header = new QWidget(this);
    auto* headerLayout = new QVBoxLayout(header);
    headerLayout->setContentsMargins(20, 14, 20, 14);
    headerLayout->setSpacing(2);
    auto* title = ui::styledLabel(qs(model_.appName()), ui::TextStyle::title3, ui::Ink::primary, header);
    title->setFont(ui::textFont(ui::TextStyle::title3, QFont::DemiBold));
    headerLayout->addWidget(title);
    headerLayout->addWidget(
        ui::styledLabel(QStringLiteral("Per-app dial overrides"), ui::TextStyle::callout, ui::Ink::secondary, header));
    column->addWidget(header);
    column->addWidget(makeSheetDivider(this));

    auto* page = new ui::SettingsPage(this);
    page->setFrameShape(QFrame::NoFrame);
    auto* slots = new ui::SettingsSection;
    editSlots_ = new QPushButton(tr("Edit Slots…"));
    editSlots_->setObjectName(QStringLiteral("editSlots"));
    styleSheetButton(editSlots_, true);
    slotsRow_ = slots->addRow(QStringLiteral("Slots"), qs(model_.slotsHelp()), ui::inlineRow({editSlots_}));
    connect(editSlots_, &QPushButton::clicked, this, [this] {
        openGroupEditor_(this, model_.groupForEditor(), model_.appName(), model_.groupEditorHelp(),
                         [self = QPointer(this)](MenuGroup group) {
                             // Drafts of a configuration since replaced are not taken up.
                             if (!self || self->model_.isStale()) return;
                             self->model_.groupEdited(group);
                             self->refresh();
                         });
    });

    // A section whose first row holds its switch; the rest shows while on.
    const auto section = [this](int index, const QString& name, const QString& help, bool on) {
        static constexpr const char* kSwitchNames[] = {"sizeOverride", "appearanceOverride", "controlsOverride"};
        auto* s = new ui::SettingsSection;
        auto* toggle = new ui::ToggleSwitch;
        toggle->setObjectName(QLatin1String(kSwitchNames[index]));
        toggle->setChecked(on);
        switches_[index] = toggle;
        s->addRow(name, help, ui::inlineRow({toggle}));
        bodies_[index] = new QWidget(s);
        auto* body = new QVBoxLayout(bodies_[index]);
        body->setContentsMargins(0, 0, 0, 0);
        body->setSpacing(0);
        s->layout()->addWidget(bodies_[index]);
        connect(toggle, &QAbstractButton::toggled, this, [this](bool) { refresh(); });
        return std::pair{s, body};
    };

    auto [sizeSection, sizeBody] =
        section(0, QStringLiteral("Dial Size"),
                tr("Same scale as Settings → General: 0 is compact, 10 is large."),
                model_.menuSizeEnabled);
    size_ = slider(20);
    size_->setObjectName(QStringLiteral("dialSize"));
    auto* sizeValue = ui::valueLabel(28);
    size_->setValue(static_cast<int>(model_.dialSize() * 2));
    sizeValue->setText(qs(PerAppOverrideModel::sizeText(model_.dialSize())));
    connect(size_, &QSlider::valueChanged, this, [this, sizeValue](int v) {
        model_.setDialSize(v / 2.0);
        sizeValue->setText(qs(PerAppOverrideModel::sizeText(model_.dialSize())));
    });
    sizeBody->addWidget(new ui::SettingsRow(QStringLiteral("Dial Size"), std::nullopt, sliderRow(size_, sizeValue)));

    auto [lookSection, lookBody] =
        section(1, QStringLiteral("Appearance"),
                QStringLiteral("Override the color, backdrop, and slot style for this app."), model_.appearanceEnabled);
    AppearanceConfig& look = model_.draftAppearance;
    // The General tab's options, help texts and value formats.
    const auto titles = [](appearance_settings::Row picker) {
        QStringList out;
        for (const auto& title : appearance_settings::optionTitles(picker)) out << qs(title);
        return out;
    };
    auto* mode = new ui::SegmentedControl(titles(appearance_settings::Row::colorScheme));
    mode->setSelected(static_cast<int>(look.mode));
    auto* backdrop = new ui::SegmentedControl(titles(appearance_settings::Row::backdrop));
    backdrop->setSelected(static_cast<int>(look.backdrop));
    auto* opacity = slider(100);
    opacity->setValue(static_cast<int>(look.backdropOpacity * 100 + 0.5));
    auto* opacityValue = ui::valueLabel(48);
    auto* backdropColor = new AccentSwatchPicker(look.backdropColor);
    auto* style = new ui::SegmentedControl(titles(appearance_settings::Row::slotStyle));
    style->setSelected(static_cast<int>(look.slotStyle));
    auto* slotColor = new AccentSwatchPicker(look.slotColor);
    // With no colour chosen a swatch shows the one this app's dial draws.
    backdropColor->showDialColorWhenUnset([this] { return model_.draftAppearance; },
                                          AccentSwatchPicker::DialColor::backdrop);
    slotColor->showDialColorWhenUnset([this] { return model_.draftAppearance; }, AccentSwatchPicker::DialColor::slot);
    auto* fill = slider(100);
    fill->setValue(static_cast<int>((look.wedgeFillStrength - 0.5) * 100 + 0.5));
    auto* fillValue = ui::valueLabel(48);
    auto* stroke = slider(120);
    stroke->setValue(static_cast<int>(look.wedgeStrokeStrength * 100 + 0.5));
    auto* strokeValue = ui::valueLabel(48);
    auto* modeRow = new ui::SettingsRow(QStringLiteral("Color Scheme"), QString(), mode);
    auto* backdropRow = new ui::SettingsRow(QStringLiteral("Backdrop"), QString(), backdrop);
    auto* opacityRow = new ui::SettingsRow(QStringLiteral("Backdrop Opacity"), QString(), sliderRow(opacity, opacityValue));
    auto* backdropColorRow = new ui::SettingsRow(QStringLiteral("Backdrop Color"), std::nullopt, ui::inlineRow({backdropColor}));
    auto* styleRow = new ui::SettingsRow(QStringLiteral("Slot Style"), QString(), style);
    auto* slotColorRow = new ui::SettingsRow(QStringLiteral("Slot Color"), std::nullopt, ui::inlineRow({slotColor}));
    // Unlike the General tab's, the help says one thing whatever the style.
    auto* fillRow = new ui::SettingsRow(QStringLiteral("Slot Intensity"),
                                        tr("How strongly the wedge fill stands out from the backdrop."),
                                        sliderRow(fill, fillValue));
    auto* strokeRow = new ui::SettingsRow(QStringLiteral("Slot Borders"),
                                          QStringLiteral("Thickness of the line between each slot."),
                                          sliderRow(stroke, strokeValue));
    for (auto* r : {modeRow, backdropRow, opacityRow, backdropColorRow, styleRow, slotColorRow, fillRow, strokeRow})
        lookBody->addWidget(r);
    using appearance_settings::Row;
    reserveHelpRoom({{modeRow, Row::colorScheme},
                     {backdropRow, Row::backdrop},
                     {opacityRow, Row::backdropOpacity},
                     {styleRow, Row::slotStyle}});
    for (auto* control : {mode, backdrop, style}) control->setMaximumWidth(280);
    const std::pair<QWidget*, const char*> names[] = {
        {mode, "colorScheme"},       {backdrop, "backdrop"},   {opacity, "backdropOpacity"},
        {backdropColor, "backdropColor"}, {style, "slotStyle"}, {slotColor, "slotColor"},
        {fill, "slotIntensity"},     {stroke, "slotBorders"}};
    for (auto [control, name] : names) control->setObjectName(QLatin1String(name));
    refreshRows_ = [=, this] {
        const AppearanceConfig& a = model_.draftAppearance;
        modeRow->setHelpText(qs(model_.colorSchemeHelp()));
        backdropRow->setHelpText(qs(model_.backdropHelp()));
        opacityRow->setHelpText(qs(model_.backdropOpacityHelp()));
        styleRow->setHelpText(qs(model_.slotStyleHelp()));
        strokeRow->setHelpText(qs(model_.helpFor(appearance_settings::Row::slotBorders)));
        opacityRow->setVisible(model_.showsBackdropOpacity());
        backdropColorRow->setVisible(model_.showsBackdropColor());
        slotColorRow->setVisible(model_.showsSlotColor());
        backdropColor->update();  // the scheme may have changed
        slotColor->update();
        opacityValue->setText(qs(PerAppOverrideModel::percentText(a.backdropOpacity)));
        fillValue->setText(qs(PerAppOverrideModel::strengthText(a.wedgeFillStrength)));
        strokeValue->setText(qs(PerAppOverrideModel::strengthText(a.wedgeStrokeStrength)));
        slotsRow_->setHelpText(qs(model_.slotsHelp()));
    };
    connect(mode, &ui::SegmentedControl::activated, this, [this](int i) {
        model_.draftAppearance.mode = kAllAppearanceModes[static_cast<std::size_t>(i)];
        refresh();
    });
    connect(backdrop, &ui::SegmentedControl::activated, this, [this](int i) {
        model_.draftAppearance.backdrop = kAllBackdrops[static_cast<std::size_t>(i)];
        refresh();
    });
    connect(style, &ui::SegmentedControl::activated, this, [this](int i) {
        model_.draftAppearance.slotStyle = kAllSlotStyles[static_cast<std::size_t>(i)];
        refresh();
    });
    connect(opacity, &QSlider::valueChanged, this, [this](int v) {
        model_.draftAppearance.backdropOpacity = v / 100.0;
        refresh();
    });
    connect(fill, &QSlider::valueChanged, this, [this](int v) {
        model_.draftAppearance.wedgeFillStrength = (50 + v) / 100.0;  // as its decimals: 0.82, not 0.5 + 0.32
        refresh();
    });
    connect(stroke, &QSlider::valueChanged, this, [this](int v) {
        model_.draftAppearance.wedgeStrokeStrength = v / 100.0;
        refresh();
    });
    connect(backdropColor, &AccentSwatchPicker::accentHexChanged, this,
            [this, backdropColor] { model_.draftAppearance.backdropColor = backdropColor->accentHex(); });
    connect(slotColor, &AccentSwatchPicker::accentHexChanged, this,
            [this, slotColor] { model_.draftAppearance.slotColor = slotColor->accentHex(); });

    auto [keysSection, keysBody] =
        section(2, QStringLiteral("Controls"), QStringLiteral("Override the close and go-back keys for this app."),
                model_.controlsEnabled);
    auto* close = new MenuKeyRecorder;
    close->setKey(model_.draftCloseKey);
    close->onChange = [this](const KeyCombination& key) { model_.draftCloseKey = key; };
    close->setObjectName(QStringLiteral("closeKey"));
    auto* back = new MenuKeyRecorder;
    back->setObjectName(QStringLiteral("goBackKey"));
    back->setKey(model_.draftGoBackKey);
    back->onChange = [this](const KeyCombination& key) { model_.draftGoBackKey = key; };
    keysBody->addWidget(new ui::SettingsRow(QStringLiteral("Close Dial"), std::nullopt, ui::inlineRow({close})));
    keysBody->addWidget(new ui::SettingsRow(QStringLiteral("Go Back"), QStringLiteral("Only works inside a nested group."),
                                            ui::inlineRow({back})));

    page->addSections({slots, sizeSection, lookSection, keysSection});
    column->addWidget(page, 1);
    column->addWidget(makeSheetDivider(this));
    cancel_ = new QPushButton(tr("Cancel"), this);
    save_ = new QPushButton(tr("Save"), this);
    styleSheetButton(cancel_, false);
    styleSheetButton(save_, true);
    auto* footer = new QHBoxLayout;
    footer->setContentsMargins(20, 14, 20, 14);
    footer->addStretch();
    footer->addWidget(cancel_);
    footer->addWidget(save_);
    column->addLayout(footer);
    connect(save_, &QPushButton::clicked, this, [this] {
        const auto group = model_.save();
        if (!group) return showNotSaved(model_.error());  // the sheet stays open
        if (onDismiss) onDismiss(group);
    });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    // Its drafts belong to the configuration it opened with: when that is
    // replaced (a profile switch, Reload, a restore), the sheet closes unsaved.
    connect(&model_.manager(), &ConfigManager::configReplaced, this, [this] {
        closedByReplacement_ = true;
        reject();
    });
    connect(this, &QDialog::rejected, this, [this] {
        if (onDismiss) onDismiss(std::nullopt);
    });
    // Qt would make the first of them that has the focus ("Edit Slots…" as
    // the sheet opens) the default for good.
    for (auto* button : findChildren<QPushButton*>()) button->setAutoDefault(false);
    refresh();
}

void PerAppOverrideSheet::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) return SheetDialog::keyPressEvent(event);
    if (auto* button = qobject_cast<QPushButton*>(focusWidget()); button && button->isEnabled()) button->click();
    event->accept();
}

QAbstractButton* PerAppOverrideSheet::sectionSwitch(int section) const { return switches_[section]; }

void PerAppOverrideSheet::refresh() {
    model_.menuSizeEnabled = switches_[0]->isChecked();
    model_.appearanceEnabled = switches_[1]->isChecked();
    model_.controlsEnabled = switches_[2]->isChecked();
    for (int i = 0; i < 3; ++i) bodies_[i]->setVisible(switches_[i]->isChecked());
    if (refreshRows_) refreshRows_();
}

PerAppMenusEditorView::PerAppMenusEditorView(ConfigManager& manager, PerAppMenusModel::NameLookup names,
                                             GroupEditorOpener openGroupEditor, QWidget* parent)
    : QWidget(parent), model_(manager, std::move(names)), openGroupEditor_(std::move(openGroupEditor)),
      manager_(manager) {
    setObjectName(QStringLiteral("appsTab"));
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* content = new QWidget(this);
    content->setMaximumWidth(640);
    outer->addWidget(content);
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* header = new QHBoxLayout;
    header->setContentsMargins(20, 14, 20, 14);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    auto* title = ui::styledLabel(QStringLiteral("App-Specific Menus"), ui::TextStyle::title3, ui::Ink::primary, content);
    title->setFont(ui::textFont(ui::TextStyle::title3, QFont::DemiBold));
    texts->addWidget(title);
    auto* intro = ui::styledLabel(QStringLiteral("Use a different set of slots while a specific app is in front. Press "
                                                 "Tab inside the dial to swap back to the default."),
                                  ui::TextStyle::callout, ui::Ink::secondary, content);
    intro->setWordWrap(true);
    texts->addWidget(intro);
    header->addLayout(texts, 1);
    add_ = ui::symbolButton(QStringLiteral("Add App…"), "plus", content);
    styleSheetButton(add_, true);
    header->addWidget(add_, 0, Qt::AlignTop);
    column->addLayout(header);
    notice_ = ui::styledLabel({}, ui::TextStyle::caption, ui::Ink::secondary, content);
    notice_->setObjectName(QStringLiteral("replacedNotice"));
    notice_->setWordWrap(true);
    notice_->setContentsMargins(20, 0, 20, 10);
    notice_->hide();
    column->addWidget(notice_);
    column->addWidget(makeSheetDivider(content));

    empty_ = new QWidget(content);
    auto* emptyLayout = new QVBoxLayout(empty_);
    emptyLayout->setContentsMargins(20, 20, 20, 20);
    emptyLayout->setSpacing(18);
    emptyLayout->addSpacing(8);
    // The cards are as tall as the tallest one's text, and no taller.
    auto* cardRow = new QWidget(empty_);
    cardRow->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    auto* cards = new QHBoxLayout(cardRow);
    cards->setContentsMargins(0, 0, 0, 0);
    cards->setSpacing(14);
    const char* steps[3][2] = {{"Pick an app", "Choose any app from the picker."},
                               {"Set up its slots", "Add keystrokes that map to that app's shortcuts."},
                               {"Switches automatically", "The dial swaps to those slots whenever that app is in front."}};
    for (int i = 0; i < 3; ++i) {
        auto* card = new QFrame(cardRow);
        card->setFrameShape(QFrame::StyledPanel);
        auto* c = new QVBoxLayout(card);
        c->setContentsMargins(14, 14, 14, 14);
        c->setSpacing(8);
        auto* number = ui::styledLabel(QString::number(i + 1), ui::TextStyle::callout, ui::Ink::primary, card);
        number->setFont(ui::textFont(ui::TextStyle::callout, QFont::Bold));
        c->addWidget(number);
        auto* stepTitle = ui::styledLabel(QString::fromUtf8(steps[i][0]), ui::TextStyle::callout, ui::Ink::primary, card);
        stepTitle->setFont(ui::textFont(ui::TextStyle::callout, QFont::DemiBold));
        c->addWidget(stepTitle);
        auto* stepText = ui::styledLabel(QString::fromUtf8(steps[i][1]), ui::TextStyle::caption, ui::Ink::secondary, card);
        stepText->setWordWrap(true);
        c->addWidget(stepText);
        cards->addWidget(card, 1);
    }
    emptyLayout->addWidget(cardRow);
    auto* addAgain = ui::symbolButton(QStringLiteral("Add App…"), "plus", empty_);
    styleSheetButton(addAgain, true);
    emptyLayout->addWidget(addAgain, 0, Qt::AlignHCenter);
    emptyLayout->addStretch();
    column->addWidget(empty_, 1);

    auto* scroll = new QScrollArea(content);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setFocusPolicy(Qt::NoFocus);  // Tab reaches each row's buttons, and the list scrolls to them
    list_ = scroll;
    auto* rowsHost = new QWidget;
    rows_ = new QVBoxLayout(rowsHost);
    rows_->setContentsMargins(0, 0, 0, 0);
    rows_->setSpacing(0);
    scroll->setWidget(rowsHost);
    ui::keepFocusInView(scroll);
    column->addWidget(scroll, 1);

    connect(add_, &QPushButton::clicked, this, &PerAppMenusEditorView::openChooser);
    connect(addAgain, &QPushButton::clicked, this, &PerAppMenusEditorView::openChooser);
    connect(&manager_, &ConfigManager::configChanged, this, &PerAppMenusEditorView::rebuild);
    rebuild();
}

PerAppMenusEditorView* PerAppMenusEditorView::withInstalledNames(ConfigManager& manager,
                                                                GroupEditorOpener openGroupEditor) {
    auto names = std::make_shared<std::map<std::string, platform::InstalledApp>>();
    auto* view = new PerAppMenusEditorView(
        manager,
        [names](const std::string& id) -> std::optional<std::string> {
            auto it = names->find(id);
            return it == names->end() ? std::nullopt : std::optional<std::string>(it->second.name);
        },
        std::move(openGroupEditor));
    view->setIconLookup([names](const std::string& id) {
        auto it = names->find(id);
        return it == names->end() ? std::string() : it->second.icon;
    });
    QPointer<PerAppMenusEditorView> self(view);
    QThreadPool::globalInstance()->start([self, names] {
        std::map<std::string, platform::InstalledApp> found;
        for (const auto& app : platform::AppDirectory::shared().allApps()) found.emplace(app.id, app);
        QMetaObject::invokeMethod(QCoreApplication::instance(), [self, names, found = std::move(found)] {
            if (!self) return;
            *names = found;  // read and written on the interface thread only
            self->rebuild();
        }, Qt::QueuedConnection);
    });
    return view;
}

PerAppMenusEditorView::~PerAppMenusEditorView() {
    ui::detachChildren(this);
    if (sheet_) sheet_->onDismiss = nullptr;
    delete sheet_;
    delete chooser_;
    delete removeBox_;
}

void PerAppMenusEditorView::setIconLookup(IconLookup icons) {
    icons_ = std::move(icons);
    rebuild();
}

editor::AppPickerView* PerAppMenusEditorView::chooser() const { return chooser_; }

void PerAppMenusEditorView::rebuild() {
    // A control of a row that goes hands the focus to the same control of
    // the row now in its place, else to "Add App…", never out of the page.
    QWidget* focused = window()->focusWidget();
    int focusedRow = -1;
    for (int i = 0, index = 0; focused && i < rows_->count(); ++i) {
        QWidget* r = rows_->itemAt(i)->widget();
        if (!r || !r->objectName().startsWith(QLatin1String("appRow:"))) continue;
        if (r->isAncestorOf(focused)) focusedRow = index;
        ++index;
    }
    const bool empty = model_.isEmpty();
    empty_->setVisible(empty);
    list_->setVisible(!empty);
    ui::clearRows(rows_);
    for (const auto& r : model_.rows()) {
        auto* row = new QWidget;
        row->setObjectName(qs("appRow:" + r.bundleId));
        auto* layout = new QHBoxLayout(row);
        layout->setContentsMargins(16, 12, 16, 12);
        layout->setSpacing(14);
        // The application's icon in a 36-point frame; blank when it is not
        // installed or has none.
        auto* icon = new QLabel(row);
        icon->setObjectName(QStringLiteral("appIcon"));
        icon->setFixedSize(36, 36);
        icon->setAlignment(Qt::AlignCenter);
        // Read off the interface thread: shown once it is in.
        const auto showIcon = [icon, name = icons_ ? icons_(r.bundleId) : std::string()] {
            const double dpr = icon->devicePixelRatioF();
            const QImage image = editor::appIconImage(name, 36, dpr);
            if (image.isNull()) return;
            QPixmap pixmap = QPixmap::fromImage(
                image.scaled(QSizeF(36 * dpr, 36 * dpr).toSize(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
            pixmap.setDevicePixelRatio(dpr);
            icon->setPixmap(pixmap);
        };
        showIcon();
        connect(&CustomImages::shared(), &CustomImages::loaded, icon, showIcon);
        layout->addWidget(icon);
        auto* texts = new QVBoxLayout;
        texts->setSpacing(2);
        auto* name = new ui::ElidedLabel(qs(r.name), row);
        QFont bold = name->font();
        bold.setWeight(QFont::DemiBold);
        name->setFont(bold);
        texts->addWidget(name);
        auto* subtitle = new ui::ElidedLabel(qs(r.subtitle), row);
        subtitle->setFont(ui::textFont(ui::TextStyle::caption));
        texts->addWidget(subtitle);
        layout->addLayout(texts, 1);
        auto* edit = ui::symbolButton(QStringLiteral("Edit"), "slider.horizontal.3", row);
        edit->setObjectName(QStringLiteral("edit"));
        styleSheetButton(edit, false);
        auto* remove = ui::symbolButton(QString(), "trash", row);
        remove->setObjectName(QStringLiteral("remove"));
        remove->setToolTip(ui::plainToolTip(qs(PerAppMenusModel::removeHelp(r.name))));
        styleSheetButton(remove, false);
        layout->addWidget(edit);
        layout->addWidget(remove);
        const std::string id = r.bundleId;
        const MenuGroup group = r.group;
        connect(edit, &QPushButton::clicked, this, [this, id, group] {
            model_.beginEditing(id, group);
            openSheet();
        });
        connect(remove, &QPushButton::clicked, this, [this, id, name = r.name, count = r.slotCount] {
            if (!model_.removeNeedsConfirmation(id)) {
                model_.removeOverride(id);
                showNotSaved(model_.error());
                return;
            }
            removeBox_ = ui::openConfirmation(window(), QStringLiteral("removeAppDialAlert"),
                                              qs(PerAppMenusModel::removeTitle()),
                                              qs(PerAppMenusModel::removeMessage(name, count)),
                                              qs(PerAppMenusModel::removeButton(name)), [self = QPointer(this), id] {
                                                  if (!self) return;
                                                  self->model_.removeOverride(id);
                                                  showNotSaved(self->model_.error());
                                              });
        });
        rows_->addWidget(row);
        rows_->addWidget(makeSheetDivider(row->parentWidget()));
    }
    rows_->addStretch();
    if (focusedRow < 0) return;
    const auto& rows = model_.rows();
    QWidget* next = add_;
    if (!rows.empty()) {
        const auto& in = rows[std::min(static_cast<std::size_t>(focusedRow), rows.size() - 1)];
        const QString name = focused->objectName();
        if (auto* same = name.isEmpty() ? nullptr : row(in.bundleId)->findChild<QWidget*>(name)) next = same;
    }
    ui::passFocus(focused, next);
}

QWidget* PerAppMenusEditorView::row(const std::string& bundleId) const {
    return findChild<QWidget*>(qs("appRow:" + bundleId));
}

void PerAppMenusEditorView::openChooser() {
    if (chooser_ && chooser_->isVisible()) return;  // a closed one is deleted later
    // The override sheet opens once the picker has gone.
    QPointer<PerAppMenusEditorView> self(this);
    auto* chooser = new editor::AppPickerView(
        AppMenuPreset::all(),
        [self](const AppInfo& app) {
            if (!self) return;
            self->model_.addApp(app.bundleId, app.name);
            showNotSaved(self->model_.error());
            QMetaObject::invokeMethod(self, &PerAppMenusEditorView::openSheet, Qt::QueuedConnection);
        },
        [self](const AppMenuPreset& preset) {
            if (!self) return;
            // Added once the installed applications are known, which may be a moment later.
            self->model_.addFromTemplate(preset, [self] {
                if (!self) return;
                showNotSaved(self->model_.error());
                QMetaObject::invokeMethod(self, &PerAppMenusEditorView::openSheet, Qt::QueuedConnection);
            });
        },
        window());
    chooser_ = chooser;
    ui::openSheet(chooser);
}

void PerAppMenusEditorView::openSheet() {
    if (!model_.editingBundleId() || (sheet_ && sheet_->isVisible())) return;  // a closed one is deleted later
    auto* sheet = new PerAppOverrideSheet(
        PerAppOverrideModel(manager_, *model_.editingBundleId(), model_.sheetAppName(), model_.editingGroup()),
        openGroupEditor_, window());
    notice_->hide();
    sheet->onDismiss = [this, sheet](const std::optional<MenuGroup>& group) {
        if (!model_.editingBundleId()) return;
        if (sheet->closedByReplacement()) {
            notice_->setText(qs(PerAppMenusModel::replacedNotice(sheet->model().appName())));
            notice_->show();
        }
        model_.finishEditing(group);
        sheet->close();
    };
    sheet_ = sheet;
    ui::openSheet(sheet);
}

}  // namespace orbel
