#include "settings/advanced_tab.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "config/config_manager.h"
#include "input/menu_key_recorder.h"
#include "platform/clock.h"
#include "platform/file_manager.h"
#include "settings/preferences_model.h"
#include "settings/update_checker.h"
#include "ui/controls.h"
#include "ui/sheet_frame.h"

namespace orbel {

AdvancedTab::AdvancedTab(PreferencesModel& model, QWidget* parent) : ui::SettingsPage(parent), model_(model) {
    setObjectName(QStringLiteral("advancedTab"));

    auto* controls = new ui::SettingsSection;
    closeKey_ = new MenuKeyRecorder;
    closeKey_->setObjectName(QStringLiteral("closeKey"));
    closeKey_->onChange = [this](const KeyCombination& k) {
        model_.setControlKey(PreferencesModel::ControlKey::close, k);
    };
    goBackKey_ = new MenuKeyRecorder;
    goBackKey_->setObjectName(QStringLiteral("goBackKey"));
    goBackKey_->onChange = [this](const KeyCombination& k) {
        model_.setControlKey(PreferencesModel::ControlKey::goBack, k);
    };
    controls->addRow(tr("Close Dial"), std::nullopt, closeKey_);
    controls->addRow(tr("Go Back"), tr("Only works inside a nested group."), goBackKey_);

    auto* file = new ui::SettingsSection;
    auto* fileContent = new QWidget;
    auto* fileLayout = new QVBoxLayout(fileContent);
    fileLayout->setContentsMargins(0, 0, 0, 0);
    fileLayout->setSpacing(8);
    path_ = new ui::ElidedLabel(QString::fromStdString(model_.configManager().configPath()), fileContent);
    path_->setObjectName(QStringLiteral("configPath"));
    path_->setFont(ui::textFont(ui::TextStyle::caption, QFont::Normal, true));
    ui::setInk(path_, ui::Ink::secondary);
    path_->setMaximumWidth(360);
    fileLayout->addWidget(path_);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    auto* reveal = ui::symbolButton(tr("Show in File Manager"), "folder", fileContent);
    reveal->setObjectName(QStringLiteral("revealConfig"));
    // Said under the buttons when neither a file manager nor anything that
    // opens folders could show it.
    auto* revealFailure = ui::styledLabel({}, ui::TextStyle::caption, ui::Ink::primary, fileContent);
    revealFailure->setObjectName(QStringLiteral("revealFailure"));
    setTextColor(revealFailure, QColor(0xE5, 0x39, 0x35));
    revealFailure->setWordWrap(true);
    revealFailure->hide();
    connect(reveal, &QPushButton::clicked, this, [this, revealFailure] {
        revealFailure->hide();
        const std::string path = model_.configManager().configPath();
        const QString folder = QFileInfo(QString::fromStdString(path)).absolutePath();
        platform::FileManager::shared().reveal(
            path, [label = QPointer<QLabel>(revealFailure), folder](const std::optional<std::string>& failure) {
                if (!label || !failure) return;
                label->setText(tr("Couldn't show %1: no file manager answered and %2.")
                                   .arg(folder, QString::fromStdString(*failure)));
                label->setToolTip(ui::plainToolTip(label->text()));
                label->show();
            });
    });
    auto* reload = ui::symbolButton(tr("Reload"), "arrow.clockwise", fileContent);
    reload->setObjectName(QStringLiteral("reloadConfig"));
    connect(reload, &QPushButton::clicked, this, [this] { model_.reloadConfig(); });
    buttons->addWidget(reveal);
    buttons->addWidget(reload);
    buttons->addStretch(1);
    fileLayout->addLayout(buttons);
    fileLayout->addWidget(revealFailure);
    file->addRow(tr("Config File"), std::nullopt, fileContent);

    auto* updates = new ui::SettingsSection;
    makeUpdatesRow(updates);

    auto* reset = new ui::SettingsSection;
    auto* resetButton = ui::symbolButton(tr("Reset All Settings…"), "arrow.counterclockwise");
    resetButton->setObjectName(QStringLiteral("resetAll"));
    QPalette red = resetButton->palette();
    red.setColor(QPalette::ButtonText, QColor(0xE5, 0x39, 0x35));
    resetButton->setPalette(red);
    connect(resetButton, &QPushButton::clicked, this, [this] { model_.requestReset(); });
    reset->addRow(tr("Reset"), tr("Restores the hotkey, dial slots, and appearance to defaults."), resetButton);

    addSections({controls, file, updates, reset});
    connect(&model_, &PreferencesModel::changed, this, &AdvancedTab::refresh);
    refresh();
}

void AdvancedTab::makeUpdatesRow(ui::SettingsSection* section) {
    UpdateChecker& checker = UpdateChecker::shared();
    auto* check = ui::symbolButton(tr("Check Now"), "arrow.down.circle");
    check->setObjectName(QStringLiteral("checkForUpdates"));
    connect(check, &QPushButton::clicked, this, [&checker] { checker.checkForUpdates(); });
    if (!checker.hasFeed()) {
        // A build the package manager updates: the button says so.
        section->addRow(tr("Updates"), tr("Updates for Orbel come from your system's package manager."), check);
        return;
    }
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    auto* automatic = new QCheckBox(tr("Check for updates automatically"), content);
    automatic->setObjectName(QStringLiteral("checkAutomatically"));
    connect(automatic, &QCheckBox::toggled, this, [&checker](bool on) { checker.setAutomaticallyChecks(on); });
    layout->addWidget(automatic);
    layout->addWidget(check, 0, Qt::AlignLeft);
    auto* row = section->addRow(tr("Updates"), std::nullopt, content);
    auto refresh = [checker = QPointer<UpdateChecker>(&checker), row, automatic, check] {
        if (!checker) return;
        automatic->setChecked(checker->automaticallyChecks());
        check->setEnabled(checker->canCheckForUpdates());
        row->setHelpText(UpdateChecker::helpText(checker->lastCheckDate(), platform::Clock::shared().secondsSince1970()));
    };
    connect(&checker, &UpdateChecker::changed, row, refresh);
    // "5 minutes ago" moves on while the tab is open.
    auto* tick = new QTimer(row);
    tick->setObjectName(QStringLiteral("updatesHelpTick"));
    connect(tick, &QTimer::timeout, row, refresh);
    tick->start(30 * 1000);
    refresh();
}

void AdvancedTab::refresh() {
    const auto& controls = model_.config().controls;
    if (!closeKey_->isRecording()) closeKey_->setKey(controls.closeMenuKey);
    if (!goBackKey_->isRecording()) goBackKey_->setKey(controls.goBackKey);
}

}  // namespace orbel
