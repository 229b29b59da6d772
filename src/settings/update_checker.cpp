#include "settings/update_checker.h"

#include "platform/alerts.h"

namespace orbel {

UpdateChecker& UpdateChecker::shared() {
    static auto* checker = new UpdateChecker;
    return *checker;
}

void UpdateChecker::checkForUpdates() {
    platform::Alert alert;
    alert.title = tr(kMessage).toStdString();
    alert.text = tr(kDetail).toStdString();
    platform::Alerts::shared().show(alert);
}

}  // namespace orbel
