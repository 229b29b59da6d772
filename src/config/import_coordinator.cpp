#include "config/import_coordinator.h"

#include <QFileInfo>

#include "config/backup_manager.h"
#include "platform/peer_file.h"

namespace orbel {

ImportCoordinator::ImportCoordinator(QObject* parent) : QObject(parent) {}

ImportCoordinator& ImportCoordinator::makeShared() { return platform::processLifetimeInstance<ImportCoordinator>(); }

void ImportCoordinator::setErrorMessage(std::optional<std::string> message) {
    errorMessage_ = std::move(message);
    Q_EMIT errorMessageChanged();
}

void ImportCoordinator::setPendingBackup(std::optional<BackupRestoreSheetItem> item) {
    pendingBackup_ = std::move(item);
    Q_EMIT pendingBackupChanged();
}

bool ImportCoordinator::isBackupUrl(const QUrl& url) {
    return url.isLocalFile() && QFileInfo(url.toLocalFile()).suffix().toLower() == BackupManager::kFileExtension;
}

ImportCoordinator::BackupFileRead ImportCoordinator::readBackupFile(const std::string& path) {
    const platform::PeerFile file = platform::readPeerFile(QByteArray::fromStdString(path), kMaxBackupBytes);
    if (!file.bytes)
        return {std::nullopt, BackupManagerError(BackupManagerError::Kind::readFailed, file.error).what()};
    try {
        const std::string_view text(file.bytes->constData(), file.bytes->size());
        return {BackupRestoreSheetItem{Uuid::random(), OrbelBackup::decode(text), path}, {}};
    } catch (const std::exception& e) {  // the codec's own texts; nothing leaves the reader thread
        return {std::nullopt, e.what()};
    }
}

void ImportCoordinator::openBackupFile(const std::string& path) {
    platform::readOffGuiThread<BackupFileRead>(
        this, [path] { return readBackupFile(path); },
        [this](BackupFileRead outcome) {
            if (outcome.item) setPendingBackup(std::move(outcome.item));
            else setErrorMessage(std::move(outcome.failure));
        });
}

void ImportCoordinator::handleShareLink() { setErrorMessage(std::string(kSharingDisabledMessage)); }

}  // namespace orbel
