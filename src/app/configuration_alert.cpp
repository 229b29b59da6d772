#include "app/configuration_alert.h"

#include <QCoreApplication>
#include <QPointer>

#include "model/profile_name.h"

namespace orbel {

namespace {

std::string tr(const char* text) { return QCoreApplication::translate("ConfigurationAlert", text).toStdString(); }

}  // namespace

platform::Alert configurationAlert(const ConfigManager::LoadNotice& notice) {
    using Kind = ConfigManager::LoadNotice::Kind;
    platform::Alert alert;
    alert.style = platform::AlertStyle::warning;
    std::string kept;
    if (notice.keptAt) {
        kept = (notice.kind == Kind::unreadable ? tr("It was moved to ") : tr("The original file was kept as ")) +
               *notice.keptAt + ".";
    } else {
        kept = notice.kind == Kind::cut ? tr("No copy of the original could be made.")
                                        : tr("No copy of it could be made, so the file was left as it is.");
    }
    // The active profile's stored copy stands in when there is one; a
    // change keeps the dial in use.
    const std::string inUse =
        notice.keptInUse ? tr("Orbel goes on using the dial it had, and saved the change onto it.")
        : notice.profileInUse
            ? tr("Orbel is using the stored profile \"") + shownProfileName(*notice.profileInUse) + "\"."
            : tr("Orbel is using the default dial.");
    switch (notice.kind) {
    case Kind::unreadable:
        alert.title = tr("Orbel couldn't read its configuration");
        alert.text = notice.file + tr(" could not be read: ") + notice.reason + "\n\n" + kept + "\n\n" + inUse;
        break;
    case Kind::rejected:
        alert.title = tr("Orbel couldn't use its configuration");
        // The file itself may already hold what is in use: the user's text
        // is in the copy when there is one.
        alert.text = notice.file + tr(" has an error:\n") + notice.reason + "\n\n" + kept + "\n\n" + inUse +
                     (notice.keptAt ? tr(" To use your file, correct the copy, move it back to ") + notice.file +
                                          tr(", then choose Reload in Settings › Advanced.")
                                    : tr(" Correct ") + notice.file +
                                          tr(", then choose Reload in Settings › Advanced to use it."));
        break;
    case Kind::missing:
        alert.title = tr("Orbel couldn't find its configuration");
        alert.text = notice.file + tr(" is missing. ") + inUse + tr(" A new file was written from it.");
        break;
    case Kind::keptAside:
        alert.title = tr("Orbel kept another program's save aside");
        alert.text = notice.reason;
        break;
    case Kind::notSaved:
        alert.title = tr("Setting Not Saved");
        alert.text = notice.reason;
        break;
    case Kind::cut:
        alert.title = tr("Orbel shortened a dial to six slots");
        alert.text = tr("A dial holds at most six slots, and in ") + notice.file + " " + notice.reason +
                     tr(" had more. Orbel uses the first six of each.") + "\n\n" + kept;
        break;
    }
    return alert;
}

void showConfigurationNotice(ConfigManager& manager, std::function<bool()> quitting) {
    const auto notice = manager.loadNotice();
    if (!notice) return;
    // The next one follows once this one is answered. An alert closed by
    // the quit itself was not answered: the next start tells it again.
    const std::uint64_t id = manager.loadNoticeId();
    QPointer<ConfigManager> alive(&manager);
    platform::Alerts::shared().show(configurationAlert(*notice), [alive, id, quitting = std::move(quitting)](int) {
        if (alive && !(quitting && quitting())) alive->clearLoadNotice(id);
    });
}

}  // namespace orbel
