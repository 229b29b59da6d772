#include "settings/preferences_view.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "config/config_manager.h"
#include "config/import_coordinator.h"
#include "profiles/per_app_views.h"
#include "profiles/profiles_tab_view.h"
#include "settings/about_tab.h"
#include "settings/advanced_tab.h"
#include "settings/general_tab.h"
#include "sheets/slot_editor_view.h"
#include "sheets/slot_sheet_factory.h"
#include "ui/confirmation.h"
#include "ui/focus_in_view.h"
#include "ui/settings_blocks.h"
#include "ui/settings_tab_bar.h"
#include "ui/sheet_opener.h"
#include "ui/teardown.h"

namespace orbel {
namespace {

// A page that does not scroll by itself scrolls inside the window, which
// on a small screen is smaller than the page.
QWidget* scrolling(QWidget* page) {
    if (qobject_cast<QAbstractScrollArea*>(page)) return page;
    auto* scroll = new QScrollArea;
    scroll->setFocusPolicy(Qt::NoFocus);  // a focused control inside is scrolled to; no stop of its own
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(page);
    scroll->viewport()->setAutoFillBackground(false);
    ui::keepFocusInView(scroll);
    return scroll;
}

}  // namespace

PreferencesView::PreferencesView(ConfigManager& config, HotkeyManager& hotkeys, LoginItemManager& loginItem,
                                 ImportCoordinator& import, HidButtonCallback* hidButtonDown, QWidget* parent)
    : QWidget(parent),
      model_(std::make_unique<PreferencesModel>(config, hotkeys, loginItem, import)),
      hidButtonDown_(hidButtonDown) {
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    tabBar_ = new ui::SettingsTabBar(this);
    std::vector<ui::SettingsTabBar::Tab> tabs;
    for (SettingsTab tab : kAllSettingsTabs) tabs.push_back({symbol(tab), tr(title(tab))});
    tabBar_->setTabs(tabs);
    layout->addWidget(tabBar_);
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setFixedHeight(1);
    ui::setInk(line, ui::Ink::tertiary);
    layout->addWidget(line);
    stack_ = new QStackedWidget(this);
    layout->addWidget(stack_, 1);

    connect(tabBar_, &ui::SettingsTabBar::tabClicked, this,
            [this](int index) { model_->selectTab(kAllSettingsTabs[static_cast<std::size_t>(index)]); });
    // The next and the previous tab, round, with the keys of the desktops'
    // own settings windows. A recorder that is recording takes these keys first.
    const auto stepTab = [this](int step) {
        const int count = static_cast<int>(kAllSettingsTabs.size());
        const int next = (static_cast<int>(model_->selectedTab()) + step + count) % count;
        model_->selectTab(kAllSettingsTabs[static_cast<std::size_t>(next)]);
    };
    for (const QKeySequence& keys : {QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageDown)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, [stepTab] { stepTab(1); });
    for (const QKeySequence& keys : {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
                                     QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab),
                                     QKeySequence(Qt::CTRL | Qt::Key_PageUp)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, [stepTab] { stepTab(-1); });
    connect(model_.get(), &PreferencesModel::changed, this, &PreferencesView::showSelectedTab);
    connect(model_.get(), &PreferencesModel::alertChanged, this, &PreferencesView::presentAlert);
    showSelectedTab();
    presentAlert();
}

PreferencesView::~PreferencesView() {
    // Teardown in order: nothing reaches the window while it goes, then the
    // alert and the pages go while the model they hold a reference to is
    // still here. Nothing is armed from here: recordings end, and the
    // activation is armed again, as the window closes or hides.
    disconnect(model_.get(), nullptr, this, nullptr);
    ui::detachChildren(this);
    delete alertBox_;
    for (auto*& page : pages_) {
        delete page;
        page = nullptr;
    }
}

void PreferencesView::closeEvent(QCloseEvent* event) {
    model_->windowClosing();
    QWidget::closeEvent(event);
}

void PreferencesView::hideEvent(QHideEvent* event) {
    model_->endRecordings();
    QWidget::hideEvent(event);
}

void PreferencesView::showSelectedTab() {
    const SettingsTab tab = model_->selectedTab();
    const auto index = static_cast<std::size_t>(tab);
    if (!pages_[index]) {
        pages_[index] = makePage(tab);
        stack_->addWidget(scrolling(pages_[index]));
    }
    // The page, or the scroll area that holds it.
    QWidget* shown = pages_[index];
    while (shown->parentWidget() && shown->parentWidget() != stack_) shown = shown->parentWidget();
    stack_->setCurrentWidget(shown);
    tabBar_->setSelected(static_cast<int>(index));
}

QWidget* PreferencesView::makePage(SettingsTab tab) {
    switch (tab) {
        case SettingsTab::general: return new GeneralTab(*model_, hidButtonDown_);
        case SettingsTab::advanced: return new AdvancedTab(*model_);
        case SettingsTab::about: return new AboutTab;
        case SettingsTab::profiles: return new ProfilesTabView(model_->configManager(), model_->importCoordinator());
        case SettingsTab::appMenus:
            return PerAppMenusEditorView::withInstalledNames(model_->configManager());
        case SettingsTab::customization: return new SlotEditorView(model_->configManager(), makeSlotSheetFactory());
    }
    return nullptr;
}

void PreferencesView::presentAlert() {
    if (alertBox_) {
        // A newer alert replaces the one on screen; closing it answers nothing.
        alertBox_->disconnect(this);
        alertBox_->close();
        alertBox_->deleteLater();
        alertBox_ = nullptr;
    }
    const auto& alert = model_->alert();
    if (!alert) return;
    auto* box = new QMessageBox(this);
    box->setObjectName(QStringLiteral("settingsAlert"));
    // The question is the box's text; the title bar, which would cut it
    // short, names what the box is about.
    box->setWindowTitle(alert->kind == SettingsAlert::Kind::resetConfirm ? tr("Reset Settings")
                                                                         : QString::fromStdString(alert->title));
    box->setText(QString::fromStdString(alert->title));
    box->setInformativeText(QString::fromStdString(alert->message));
    ui::showAsPlainText(box);
    box->setIcon(alert->kind == SettingsAlert::Kind::resetConfirm ? QMessageBox::Warning : QMessageBox::NoIcon);
    std::vector<QAbstractButton*> buttons;
    const int last = static_cast<int>(alert->buttons.size()) - 1;
    for (int i = 0; i <= last; ++i) {
        const auto role = i == last && last > 0             ? QMessageBox::RejectRole
                          : i == alert->destructiveButton ? QMessageBox::DestructiveRole
                                                          : QMessageBox::AcceptRole;
        buttons.push_back(box->addButton(QString::fromStdString(alert->buttons[static_cast<std::size_t>(i)]), role));
    }
    if (alert->destructiveButton >= 0 && buttons.size() > 1) {
        // Reset cannot be undone: Return or Escape resets nothing.
        ui::makeCancelDefault(box, qobject_cast<QPushButton*>(buttons.back()));
    } else if (!buttons.empty()) {
        box->setDefaultButton(qobject_cast<QPushButton*>(buttons.front()));
        box->setEscapeButton(buttons.back());
    }
    connect(box, &QMessageBox::buttonClicked, this, [this, buttons](QAbstractButton* clicked) {
        const auto it = std::find(buttons.begin(), buttons.end(), clicked);
        if (it == buttons.end()) return;
        if (alertBox_) {
            alertBox_->disconnect(this);
            alertBox_->deleteLater();
            alertBox_ = nullptr;
        }
        model_->answerAlert(static_cast<int>(it - buttons.begin()));
    });
    alertBox_ = box;
    ui::openSheet(box);
}

}  // namespace orbel
