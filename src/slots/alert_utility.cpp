#include "slots/alert_utility.h"

#include <QCoreApplication>
#include <algorithm>
#include <set>

#include "platform/alerts.h"
#include "platform/key_translation.h"
#include "platform/main_queue.h"

namespace orbel {
namespace {

std::string tr(const char* text) { return QCoreApplication::translate("AlertUtility", text).toStdString(); }

// Keys whose alert has been shown in this run. GUI thread only.
std::set<std::string>& shownKeys() {
    static std::set<std::string> keys;
    return keys;
}

}  // namespace

ShowOnceAlert ShowOnceAlert::brightnessNoBuiltIn() {
    return {"brightness.no-built-in", tr("No built-in display"),
            tr("“Set Brightness” only adjusts a built-in display with a backlight. Connect or wake the built-in "
               "screen to use this action.")};
}

ShowOnceAlert ShowOnceAlert::brightnessUnavailable() {
    return {"brightness.private-api-missing", tr("Couldn’t set brightness"),
            tr("The system did not accept the new backlight level. Check that this session may set the "
               "display’s brightness (systemd-logind).")};
}

void AlertUtility::showOnce(const std::string& key, const std::string& title, const std::string& message) {
    if (!shownKeys().insert(key).second) return;
    platform::Alert alert;
    alert.title = title;
    alert.text = message;
    alert.style = platform::AlertStyle::informational;
    alert.buttons = {tr("OK")};
    platform::Alerts::shared().show(alert);
}

void AlertUtility::showOnceOnMain(const std::string& key, const std::string& title, const std::string& message) {
    platform::MainQueue::shared().post([key, title, message] { showOnce(key, title, message); });
}

void AlertUtility::showNotice(const std::string& title, const std::string& message) {
    platform::Alert alert;
    alert.title = title;
    alert.text = message;
    alert.style = platform::AlertStyle::informational;
    alert.buttons = {tr("OK")};
    platform::Alerts::shared().show(alert);
}

void AlertUtility::showError(const std::string& title, const std::string& message, std::function<void()> onDismiss) {
    platform::Alert alert;
    alert.title = title;
    alert.text = message;
    alert.style = platform::AlertStyle::critical;
    alert.buttons = {tr("OK")};
    platform::Alerts::shared().show(alert, [onDismiss = std::move(onDismiss)](int) {
        if (onDismiss) onDismiss();
    });
}

std::string AlertUtility::hotkeyConflictTitle() { return tr("Hotkey Conflict Detected"); }

std::string AlertUtility::hotkeyConflictText(const KeyCombination& combination,
                                             const std::optional<KeyCombination>& armedOnCancel) {
    std::string text = tr("The hotkey combination '") + combination.displayString() +
                       tr("' is already in use by another application or the system.\n\nWould you like to choose a "
                          "different hotkey combination?");
    if (armedOnCancel) text += "\n\n" + cancelText(*armedOnCancel);
    return text;
}

std::string AlertUtility::cancelText(const KeyCombination& armedOnCancel) {
    return QCoreApplication::translate("AlertUtility", "If you cancel, %1 opens the dial instead.")
        .arg(QString::fromStdString(armedOnCancel.displayString()))
        .toStdString();
}

std::string AlertUtility::alternativeText(const KeyCombination& taken, const KeyCombination& armed) {
    const KeyCombination optionSpace{49, modifier::kOption, std::nullopt};
    const QString takenName = QString::fromStdString(taken.displayString());
    const QString armedName = QString::fromStdString(armed.displayString());
    const QString text =
        taken == optionSpace
            ? QCoreApplication::translate("AlertUtility",
                                          "The hotkey combination '%1' is in use by another application or the "
                                          "system, so %2 opens the dial. You can choose a different hotkey in "
                                          "Settings.")
                  .arg(takenName, armedName)
            : QCoreApplication::translate("AlertUtility",
                                          "The hotkey combination '%1' is in use by another application or the "
                                          "system, and so is %2, so %3 opens the dial. You can choose a different "
                                          "hotkey in Settings.")
                  .arg(takenName, QString::fromStdString(optionSpace.displayString()), armedName);
    return text.toStdString();
}

void AlertUtility::showHotkeyConflict(const KeyCombination& combination, std::function<void(bool chosen)> onChoice,
                                      const std::vector<KeyCombination>& freeChords,
                                      const std::optional<KeyCombination>& armedOnCancel) {
    platform::Alert alert;
    alert.title = hotkeyConflictTitle();
    alert.text = hotkeyConflictText(combination, armedOnCancel);
    alert.style = platform::AlertStyle::warning;
    alert.buttons = {tr("Choose Different Hotkey"), tr("Cancel")};
    // Two examples, free ones when they are known.
    std::vector<KeyCombination> examples(freeChords.begin(), freeChords.begin() + std::min<std::size_t>(2, freeChords.size()));
    for (std::uint32_t mask : {modifier::kControl | modifier::kOption, modifier::kOption | modifier::kCommand,
                               modifier::kControl | modifier::kShift}) {
        if (examples.size() >= 2) break;
        const KeyCombination example{combination.keyCode, mask, std::nullopt};
        if (example != combination && std::find(examples.begin(), examples.end(), example) == examples.end())
            examples.push_back(example);
    }
    alert.footnote = QCoreApplication::translate("AlertUtility", "Tip: Try using different modifier keys like %1 or %2")
                         .arg(QString::fromStdString(examples[0].displayString()),
                              QString::fromStdString(examples[1].displayString()))
                         .toStdString();
    platform::Alerts::shared().show(alert, [onChoice = std::move(onChoice)](int button) {
        if (onChoice) onChoice(button == 0);
    });
}

std::uint32_t carbonModifiers(std::uint64_t eventFlags) {
    const std::uint32_t flags = static_cast<std::uint32_t>(eventFlags);
    std::uint32_t mask = 0;
    if (flags & eventflag::kShift) mask |= modifier::kShift;
    if (flags & eventflag::kControl) mask |= modifier::kControl;
    if (flags & eventflag::kOption) mask |= modifier::kOption;
    if (flags & eventflag::kCommand) mask |= modifier::kCommand;
    return mask;
}

std::uint32_t carbonModifiersFromQt(Qt::KeyboardModifiers modifiers) {
    return platform::carbonFromQtModifiers(static_cast<int>(modifiers.toInt()));
}

}  // namespace orbel
