#include "settings/general_tab.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QStackedWidget>
#include <cmath>

#include "input/hold_binding_recorder.h"
#include "input/hold_binding_recorder_view.h"
#include "settings/hotkey_recorder_view.h"
#include "ui/accent_swatch_picker.h"
#include "settings/login_item_manager.h"
#include "settings/preferences_model.h"
#include "ui/controls.h"
#include "ui/teardown.h"

namespace orbel {

using appearance_settings::Row;

GeneralTab::GeneralTab(PreferencesModel& model, HidButtonCallback* hidButtonDown, QWidget* parent)
    : ui::SettingsPage(parent),
      model_(model),
      tapRecorder_(std::make_unique<HoldBindingRecorder>(hidButtonDown)),
      holdRecorder_(std::make_unique<HoldBindingRecorder>(hidButtonDown)) {
    setObjectName(QStringLiteral("generalTab"));
    addSections({makeActivationSection(), makeTrayAndLoginSection(), makeDialSizeSection(), makeAppearanceSection()});
    connect(&model_, &PreferencesModel::changed, this, &GeneralTab::refresh);
    refresh();
}

GeneralTab::~GeneralTab() {
    // Nothing reaches the tab while it goes: neither the model's news nor its
    // recorders' last signals (the music recorder stops when it is hidden).
    disconnect(&model_, nullptr, this, nullptr);
    disconnect(tapRecorder_.get(), nullptr, this, nullptr);
    disconnect(holdRecorder_.get(), nullptr, this, nullptr);
    ui::detachChildren(this);
    // A recording ends with the tab, untold: arming again follows the
    // window's closing, never its teardown.
    tapRecorder_->setRecording(false);
    holdRecorder_->setRecording(false);
    musicRecorder_->setRecording(false);
    // The controls go while the recorders they show are still here.
    delete takeWidget();
}

QWidget* GeneralTab::makeActivationSection() {
    auto* section = new ui::SettingsSection;
    activation_ = new ui::SegmentedControl({tr("Tap"), tr("Hold")});
    activation_->setObjectName(QStringLiteral("activation"));
    activation_->setMaximumWidth(280);
    connect(activation_, &ui::SegmentedControl::activated, this, [this](int index) { model_.setHoldMode(index == 1); });
    section->addRow(tr("Activation"), std::nullopt, activation_);

    // The binding: the tap recorder with its Reset, or the hold recorder.
    bindingStack_ = new QStackedWidget;
    resetHotkey_ = ui::symbolButton(tr("Reset"));
    resetHotkey_->setObjectName(QStringLiteral("resetHotkey"));
    connect(resetHotkey_, &QPushButton::clicked, this, [this] { model_.resetHotkeyToDefault(); });
    auto* tapView = new HoldBindingRecorderView(*tapRecorder_);
    tapView->setObjectName(QStringLiteral("tapBinding"));
    auto* holdView = new HoldBindingRecorderView(*holdRecorder_);
    holdView->setObjectName(QStringLiteral("holdBinding"));
    bindingStack_->addWidget(ui::inlineRow({tapView, resetHotkey_}));
    bindingStack_->addWidget(holdView);
    tapView_ = tapView;
    holdView_ = holdView;
    bindingRow_ = section->addRow(tr("Hotkey"), std::nullopt, bindingStack_);
    tapRecorder_->onCapture = [this](const HoldBinding& b) { model_.tapBindingCaptured(b); };
    holdRecorder_->onCapture = [this](const HoldBinding& b) { model_.holdBindingCaptured(b); };
    follow(*tapRecorder_, &PreferencesModel::setRecordingHotkey);
    follow(*holdRecorder_, &PreferencesModel::setRecordingHoldBinding);

    // The music dial's hot key: "Set Music Hotkey", or its recorder and Clear.
    musicStack_ = new QStackedWidget;
    auto* set = ui::symbolButton(tr("Set Music Hotkey"), "plus");
    set->setObjectName(QStringLiteral("setMusicHotkey"));
    connect(set, &QPushButton::clicked, this, [this] { model_.beginMusicHotkeyRecording(); });
    musicStack_->addWidget(ui::inlineRow({set}));
    clearMusic_ = ui::symbolButton(tr("Clear"));
    clearMusic_->setObjectName(QStringLiteral("clearMusicHotkey"));
    connect(clearMusic_, &QPushButton::clicked, this, [this] { model_.clearMusicHotkey(); });
    musicRecorder_ = new HotkeyRecorderView;
    musicRecorder_->setObjectName(QStringLiteral("musicHotkey"));
    connect(musicRecorder_, &HotkeyRecorderView::hotkeyRecorded, this,
            [this](const KeyCombination& k) { model_.musicHotkeyCaptured(k); });
    connect(musicRecorder_, &HotkeyRecorderView::recordingChanged, this,
            [this](bool recording) { model_.setRecordingMusicHotkey(recording); });
    musicStack_->addWidget(ui::inlineRow({musicRecorder_, clearMusic_}));
    section->addRow(tr("Music Dial Hotkey"), tr("Opens the dial directly into music mode. Leave unset to disable."),
                    musicStack_);
    return section;
}

QWidget* GeneralTab::makeTrayAndLoginSection() {
    auto* section = new ui::SettingsSection;
    showInTray_ = new ui::ToggleSwitch;
    showInTray_->setObjectName(QStringLiteral("showInTray"));
    connect(showInTray_, &QAbstractButton::clicked, this, [this](bool on) { model_.setShowInTray(on); });
    section->addRow(tr("Show in Tray"),
                    tr("When off, the tray icon is hidden. The dial still opens via your hotkey or hold binding, and "
                       "Settings is reachable from the dial with Ctrl+Comma."),
                    showInTray_);
    openAtLogin_ = new ui::ToggleSwitch;
    openAtLogin_->setObjectName(QStringLiteral("openAtLogin"));
    connect(openAtLogin_, &QAbstractButton::clicked, this, [this](bool on) { model_.setOpenAtLogin(on); });
    loginRow_ = section->addRow(tr("Open at Login"), std::nullopt, openAtLogin_);
    return section;
}

QWidget* GeneralTab::makeDialSizeSection() {
    auto* section = new ui::SettingsSection;
    auto* content = new QWidget;
    auto* layout = new QHBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(14);
    dialSize_ = new QSlider(Qt::Horizontal, content);
    dialSize_->setObjectName(QStringLiteral("dialSize"));
    dialSize_->setRange(0, 20);  // half steps of the 0 to 10 scale
    dialSize_->setMaximumWidth(280);
    dialSize_->setMinimumWidth(200);
    dialSizeValue_ = ui::valueLabel(28, content);
    connect(dialSize_, &QSlider::valueChanged, this, [this](int v) { model_.setDialSize(v / 2.0); });
    layout->addWidget(dialSize_);
    layout->addWidget(dialSizeValue_);
    layout->addStretch(1);
    section->addRow(tr("Dial Size"), std::nullopt, content);
    return section;
}

QWidget* GeneralTab::makeAppearanceSection() {
    auto* section = new ui::SettingsSection;
    auto picker = [&](Row row, const char* name, auto setter) {
        QStringList options;
        for (const auto& t : appearance_settings::optionTitles(row)) options << QString::fromStdString(t);
        auto* control = new ui::SegmentedControl(options);
        control->setObjectName(QLatin1String(name));
        control->setMaximumWidth(280);
        connect(control, &ui::SegmentedControl::activated, this, [this, setter](int index) {
            model_.setAppearance([&](AppearanceConfig& a) { setter(a, index); });
        });
        pickers_[row == Row::colorScheme ? 0 : row == Row::backdrop ? 1 : 2] = control;
        return control;
    };
    std::array<QWidget*, 8> contents{
        picker(Row::colorScheme, "colorScheme", [](AppearanceConfig& a, int i) { a.mode = kAllAppearanceModes[std::size_t(i)]; }),
        picker(Row::backdrop, "backdrop", [](AppearanceConfig& a, int i) { a.backdrop = kAllBackdrops[std::size_t(i)]; }),
        sliderRow("backdropOpacity", AppearanceConfig::kBackdropOpacityRange, &AppearanceConfig::backdropOpacity, true),
        colorField(true),
        picker(Row::slotStyle, "slotStyle", [](AppearanceConfig& a, int i) { a.slotStyle = kAllSlotStyles[std::size_t(i)]; }),
        colorField(false),
        sliderRow("slotIntensity", AppearanceConfig::kWedgeFillStrengthRange, &AppearanceConfig::wedgeFillStrength,
                  false),
        sliderRow("slotBorders", AppearanceConfig::kWedgeStrokeStrengthRange, &AppearanceConfig::wedgeStrokeStrength,
                  false),
    };
    for (std::size_t i = 0; i < contents.size(); ++i)
        appearanceRows_[i] = section->addRow(QString(), std::nullopt, contents[i]);
    return section;
}

QWidget* GeneralTab::sliderRow(const char* name, const AppearanceRange& range, double AppearanceConfig::*field,
                               bool percent) {
    // Continuous to the eye: a thousandth of the value per slider unit. An
    // arrow key moves it by the step its value text shows.
    constexpr double kUnit = 0.001;
    const double minimum = range.minimum;
    auto* content = new QWidget;
    auto* layout = new QHBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(14);
    auto* slider = new QSlider(Qt::Horizontal, content);
    slider->setObjectName(QLatin1String(name));
    slider->setRange(0, int(std::lround((range.maximum - range.minimum) / kUnit)));
    slider->setSingleStep(int(std::lround(range.step / kUnit)));
    slider->setPageStep(10 * slider->singleStep());
    slider->setMaximumWidth(280);
    slider->setMinimumWidth(200);
    auto* value = ui::valueLabel(56, content);
    layout->addWidget(slider);
    layout->addWidget(value);
    layout->addStretch(1);
    // What is stored is the decimal a unit or a step stands for.
    const auto valueAt = [minimum](int units) { return roundedToGrid(minimum + units * kUnit, kUnit); };
    connect(slider, &QSlider::valueChanged, this, [this, valueAt, field](int units) {
        const double v = valueAt(units);
        model_.setAppearance([&](AppearanceConfig& a) { a.*field = v; });
    });
    // An arrow or Page key lands on the step's grid, from a value off it too.
    connect(slider, &QAbstractSlider::actionTriggered, this, [slider, range, valueAt](int action) {
        const int page = slider->pageStep() / slider->singleStep();
        const int steps = action == QAbstractSlider::SliderSingleStepAdd   ? 1
                          : action == QAbstractSlider::SliderSingleStepSub ? -1
                          : action == QAbstractSlider::SliderPageStepAdd   ? page
                          : action == QAbstractSlider::SliderPageStepSub   ? -page
                                                                           : 0;
        if (steps == 0) return;
        const double v = range.stepped(valueAt(slider->value()), steps);
        slider->setSliderPosition(int(std::lround((v - range.minimum) / kUnit)));
    });
    refreshers_.push_back([this, slider, value, minimum, field, percent] {
        const double v = model_.config().appearance.*field;
        const QSignalBlocker block(slider);
        slider->setValue(int(std::lround((v - minimum) / kUnit)));
        value->setText(QString::fromStdString(percent ? appearance_settings::percentText(v)
                                                      : appearance_settings::multiplierText(v)));
    });
    return content;
}

QWidget* GeneralTab::colorField(bool backdrop) {
    auto* picker = new AccentSwatchPicker;
    picker->setObjectName(backdrop ? QStringLiteral("backdropColor") : QStringLiteral("slotColor"));
    // With no colour chosen the swatch shows the one the dial draws.
    picker->showDialColorWhenUnset([this] { return model_.config().appearance; },
                                   backdrop ? AccentSwatchPicker::DialColor::backdrop : AccentSwatchPicker::DialColor::slot);
    connect(picker, &AccentSwatchPicker::accentHexChanged, this, [this, picker, backdrop] {
        if (!(backdrop ? model_.setBackdropColor(picker->accentHex()) : model_.setSlotColor(picker->accentHex())))
            refresh();
    });
    refreshers_.push_back([this, picker, backdrop] {
        const auto& a = model_.config().appearance;
        picker->setAccentHex(backdrop ? a.backdropColor : a.slotColor);
    });
    return picker;
}

void GeneralTab::follow(HoldBindingRecorder& recorder, void (PreferencesModel::*set)(bool)) {
    // Only a start or an end of recording is news for the model (the
    // recorder also reports bindings and refusals).
    HoldBindingRecorder* source = &recorder;
    PreferencesModel* model = &model_;
    std::function<void(bool)> tell = [model, set](bool on) { (model->*set)(on); };
    connect(source, &HoldBindingRecorder::changed, this,
            [source, tell = std::move(tell), recording = source->isRecording()]() mutable {
                if (source->isRecording() == recording) return;
                recording = source->isRecording();
                tell(recording);
            });
}

void GeneralTab::syncRecorder(HoldBindingRecorder& recorder, QWidget* view, bool modelRecording,
                              void (PreferencesModel::*set)(bool)) {
    if (modelRecording && !recorder.isRecording()) {
        // Started from elsewhere (a conflict's "Choose Custom"), on a page
        // that may be scrolled away from it: the recorder about to hold the
        // keyboard comes into sight.
        ensureWidgetVisible(view);
        recorder.startRecording();
        if (!recorder.isRecording()) (model_.*set)(false);  // it cannot record here
    } else if (!modelRecording && recorder.isRecording()) {
        recorder.setRecording(false);
    }
}

void GeneralTab::refresh() {
    const AppConfig& config = model_.config();
    const bool hold = model_.isHoldMode();
    activation_->setSelected(hold ? 1 : 0);
    bindingStack_->setCurrentIndex(hold ? 1 : 0);
    bindingRow_->setLabel(hold ? tr("Hold Binding") : tr("Hotkey"));
    bindingRow_->setHelpText(hold ? tr("Hold a mouse button to open the dial, move to highlight, release to fire.")
                                  : tr("Tap a key or mouse button to toggle the dial."));
    if (!tapRecorder_->isRecording()) tapRecorder_->setBinding(model_.tapBinding());
    if (!holdRecorder_->isRecording()) holdRecorder_->setBinding(model_.holdBinding());
    if (!musicRecorder_->isRecording()) musicRecorder_->setHotkey(model_.musicHotkeyDraft());
    syncRecorder(*tapRecorder_, tapView_, model_.isRecordingHotkey(), &PreferencesModel::setRecordingHotkey);
    syncRecorder(*holdRecorder_, holdView_, model_.isRecordingHoldBinding(),
                 &PreferencesModel::setRecordingHoldBinding);
    if (musicRecorder_->isRecording() != model_.isRecordingMusicHotkey())
        musicRecorder_->setRecording(model_.isRecordingMusicHotkey());
    resetHotkey_->setEnabled(!model_.isRecordingHotkey());
    musicStack_->setCurrentIndex(model_.musicHotkeyIsBound() ? 1 : 0);
    clearMusic_->setEnabled(!model_.isRecordingMusicHotkey());

    showInTray_->setChecked(config.showInTray);
    const auto& login = model_.loginItem();
    openAtLogin_->setChecked(login.isEnabled());
    loginRow_->setHelpText(login.lastError() ? QString::fromStdString(*login.lastError())
                                             : tr("Launch Orbel automatically when you log in."));

    const double size = appearance_settings::dialSizeFromRadius(config.menuRadius);
    {
        const QSignalBlocker block(dialSize_);
        dialSize_->setValue(int(size * 2));
    }
    dialSizeValue_->setText(QString::fromStdString(appearance_settings::dialSizeText(size)));

    const auto& a = config.appearance;
    pickers_[0]->setSelected(int(a.mode));
    pickers_[1]->setSelected(int(a.backdrop));
    pickers_[2]->setSelected(int(a.slotStyle));
    // Only the rows that come or go change: hiding the row of the control
    // that has the focus (the one just used) would send the focus away.
    std::array<bool, 8> shown{};
    for (const auto& info : appearance_settings::rows(a)) {
        const auto index = static_cast<std::size_t>(info.row);
        shown[index] = true;
        auto* row = appearanceRows_[index];
        row->setLabel(QString::fromStdString(info.label));
        row->setHelpText(info.help ? std::optional(QString::fromStdString(*info.help)) : std::nullopt);
    }
    for (std::size_t i = 0; i < shown.size(); ++i) appearanceRows_[i]->setVisible(shown[i]);
    for (const auto& refresher : refreshers_) refresher();
}

}  // namespace orbel
