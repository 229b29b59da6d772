#pragma once

// Turns what the desktop asks Orbel to open into something the settings
// window can show: a backup file becomes a pending restore, anything else the
// message that sharing is disabled. Restores nothing itself.

#include <QObject>
#include <QUrl>
#include <optional>
#include <string>

#include "config/orbel_backup.h"
#include "model/share_link.h"
#include "platform/shared_instance.h"

namespace orbel {

struct BackupRestoreSheetItem {
    Uuid id;
    OrbelBackup backup;
    std::string sourcePath;  // the file system's bytes, which need not be valid UTF-8
};

class ImportCoordinator : public QObject, public platform::Shared<ImportCoordinator> {
    Q_OBJECT

public:
    static constexpr const char* kSharingDisabledMessage =
        "Sharing is currently disabled. Use Settings → Profiles → Back Up to move configurations between "
        "computers.";

    explicit ImportCoordinator(QObject* parent = nullptr);

    const std::optional<ShareLink>& pendingLink() const { return pendingLink_; }
    const std::optional<std::string>& errorMessage() const { return errorMessage_; }
    const std::optional<BackupRestoreSheetItem>& pendingBackup() const { return pendingBackup_; }
    // Observers write empty values back to dismiss a message or a sheet.
    void setErrorMessage(std::optional<std::string> message);
    void setPendingBackup(std::optional<BackupRestoreSheetItem> item);

    // Reads and decodes on a reader thread (regular files of at most
    // `kMaxBackupBytes` only); the outcome is published later, queued on the
    // GUI thread.
    void openBackupFile(const std::string& path);
    static constexpr qint64 kMaxBackupBytes = OrbelBackup::kMaxFileBytes;
    // What openBackupFile reads: the decoded backup, or the text saying why
    // not ("Couldn't read the backup: “x” is a pipe, not a file."). Blocks
    // on the file: call it on a reader thread (platform/peer_file.h).
    struct BackupFileRead {
        std::optional<BackupRestoreSheetItem> item;
        std::string failure;
    };
    static BackupFileRead readBackupFile(const std::string& path);
    void handleShareLink();

    // A local file whose extension, lower-cased, is "orbelbackup".
    static bool isBackupUrl(const QUrl& url);

Q_SIGNALS:
    void errorMessageChanged();
    void pendingBackupChanged();

private:
    friend platform::Shared<ImportCoordinator>;
    static ImportCoordinator& makeShared();

    std::optional<ShareLink> pendingLink_;
    std::optional<std::string> errorMessage_;
    std::optional<BackupRestoreSheetItem> pendingBackup_;
};

}  // namespace orbel
