#include "config/import_coordinator.h"

#include <QFile>
#include <QFileInfo>
#include <QPointer>

#include "config/backup_manager.h"
#include "platform/main_queue.h"

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

void ImportCoordinator::openBackupFile(const std::string& path) {
    std::optional<BackupRestoreSheetItem> item;
    std::string failure;
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        failure = BackupManagerError(BackupManagerError::Kind::readFailed, file.errorString().toStdString()).what();
    } else {
        const QByteArray bytes = file.readAll();
        try {
            item = BackupRestoreSheetItem{Uuid::random(),
                                          OrbelBackup::decode(std::string_view(bytes.constData(), bytes.size())), path};
        } catch (const OrbelBackupCodecError& e) {
            failure = e.what();
        }
    }
    QPointer<ImportCoordinator> self(this);
    platform::MainQueue::shared().post([self, item = std::move(item), failure = std::move(failure)]() mutable {
        if (!self) return;
        if (item) self->setPendingBackup(std::move(item));
        else self->setErrorMessage(std::move(failure));
    });
}

void ImportCoordinator::handleShareLink() { setErrorMessage(std::string(kSharingDisabledMessage)); }

}  // namespace orbel
