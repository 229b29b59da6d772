#include "profiles/backup_restore_model.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLocale>

#include "model/text.h"

namespace orbel {

BackupRestoreModel::BackupRestoreModel(BackupRestoreSheetItem item) : item_(std::move(item)) {}

std::string BackupRestoreModel::fileName() const {
    return QFileInfo(QString::fromStdString(item_.sourcePath)).fileName().toStdString();
}

std::string BackupRestoreModel::createdText() const {
    const auto when =
        QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(item_.backup.createdAt * 1000.0)).toLocalTime();
    const QLocale locale;
    return (locale.toString(when.date(), QLocale::ShortFormat) + ", " +
            locale.toString(when.time(), QLocale::ShortFormat))
        .toStdString();
}

std::vector<BackupRestoreModel::ProfileRow> BackupRestoreModel::profileRows() const {
    std::vector<ProfileRow> rows;
    // std::map orders its UTF-8 keys by byte, which is code-point order.
    for (const auto& [name, config] : item_.backup.profiles)
        rows.push_back({name, item_.backup.activeProfile && *item_.backup.activeProfile == name});
    return rows;
}

std::string BackupRestoreModel::countText() const { return std::to_string(item_.backup.profiles.size()) + " saved"; }

bool BackupRestoreModel::selectStrategy(RestoreStrategy strategy) {
    strategy_ = strategy;
    if (strategy == RestoreStrategy::merge) confirmText.clear();
    return strategy == RestoreStrategy::replace;
}

bool BackupRestoreModel::canConfirm() const {
    return strategy_ == RestoreStrategy::merge || text::toUpper(text::trimSpacesAndTabs(confirmText)) == "REPLACE";
}

std::string BackupRestoreModel::restoreButtonTitle() const {
    return strategy_ == RestoreStrategy::merge ? "Restore" : "Restore (Replace)";
}

}  // namespace orbel
