#pragma once

// "Check for Updates…". Orbel is updated by the system's package manager, so
// the checker cannot check by itself: asked to, it says where updates come
// from. GUI thread.

#include <QObject>
#include <optional>

namespace orbel {

class UpdateChecker : public QObject {
    Q_OBJECT
public:
    static UpdateChecker& shared();

    bool canCheckForUpdates() const { return false; }
    std::optional<double> lastCheckDate() const { return std::nullopt; }
    void checkForUpdates();

    static constexpr const char* kMessage = "Orbel can't check for updates by itself";
    static constexpr const char* kDetail =
        "Updates for Orbel come from your system's package manager. Use it to look for a newer version.";
};

}  // namespace orbel
