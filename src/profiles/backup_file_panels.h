#pragma once

// The save and open panels that choose a backup file, behind an interface
// so that tests answer them. Both are window-modal and report their answer
// later; nothing when the user cancels. GUI thread.

#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace orbel {

class BackupFilePanels {
public:
    using Done = std::function<void(const std::optional<std::string>& path)>;
    virtual ~BackupFilePanels() = default;
    // "Back Up Orbel", proposing `fileName`.
    virtual void chooseSaveLocation(QWidget* parent, const std::string& fileName, Done done) = 0;
    // "Restore Orbel Backup": one existing file.
    virtual void chooseBackup(QWidget* parent, Done done) = 0;

    // The QFileDialog ones, filtered to "*.orbelbackup".
    static BackupFilePanels& system();
};

}  // namespace orbel
