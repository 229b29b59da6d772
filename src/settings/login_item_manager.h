#pragma once

// "Open at Login": whether Orbel starts with the user's session, and the
// text of the last failure to change that. The state always follows what is
// really on disk, so a switch bound to it springs back when a change did not
// take effect. GUI thread.

#include <QObject>
#include <optional>
#include <string>

#include "platform/login_item.h"

namespace orbel {

class LoginItemManager : public QObject {
    Q_OBJECT
public:
    explicit LoginItemManager(platform::LoginItem& backend = platform::LoginItem::shared(), QObject* parent = nullptr);
    static LoginItemManager& shared();

    bool isEnabled() const { return enabled_; }
    const std::optional<std::string>& lastError() const { return lastError_; }

    void setEnabled(bool enabled);
    // Reads the state again (it may have been changed outside Orbel).
    void refresh();

Q_SIGNALS:
    void changed();

private:
    platform::LoginItem& backend_;
    bool enabled_ = false;
    std::optional<std::string> lastError_;
};

}  // namespace orbel
