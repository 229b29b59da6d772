#include "profiles/backup_restore_model.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QString>
#include <algorithm>

#include "model/profile_name.h"
#include "model/text.h"

namespace orbel {

BackupRestoreModel::BackupRestoreModel(BackupRestoreSheetItem item) : item_(std::move(item)) {}

std::string BackupRestoreModel::fileName() const {
    return QFileInfo(QFile::decodeName(QByteArray::fromStdString(item_.sourcePath))).fileName().toStdString();
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
        rows.push_back({name, item_.backup.activeProfile &&
                                  normalisedProfileName(*item_.backup.activeProfile) == normalisedProfileName(name)});
    return rows;
}

std::string BackupRestoreModel::countText() const { return std::to_string(item_.backup.profiles.size()) + " saved"; }

bool BackupRestoreModel::selectStrategy(RestoreStrategy strategy) {
    strategy_ = strategy;
    if (strategy == RestoreStrategy::merge) confirmText.clear();
    return strategy == RestoreStrategy::replace;
}

bool BackupRestoreModel::canConfirm() const {
    if (!refusals().empty()) return false;
    return strategy_ == RestoreStrategy::merge || text::toUpper(text::trimSpacesAndTabs(confirmText)) == "REPLACE";
}

void BackupRestoreModel::setStore(std::vector<std::string> storedNames, NameCheck check) {
    storedCount_ = storedNames.size();
    check_ = std::move(check);
}

std::string BackupRestoreModel::refusalLine(const std::string& shownName, const std::string& problem) {
    return "Couldn't restore profile \"" + shownName + "\": " + problem;
}

std::optional<std::string> BackupRestoreModel::refusal(const std::string& name) const {
    return check_ ? check_(name) : std::nullopt;
}

std::vector<std::string> BackupRestoreModel::refusals() const {
    std::vector<std::string> lines;
    for (const ProfileRow& row : profileRows())
        if (auto problem = refusal(row.name)) lines.push_back(refusalLine(shownProfileName(row.name), *problem));
    return lines;
}

std::size_t BackupRestoreModel::mergeSkips() const {
    if (!check_) return 0;
    const auto rows = profileRows();
    const auto restorable = std::size_t(
        std::count_if(rows.begin(), rows.end(), [this](const ProfileRow& row) { return !refusal(row.name); }));
    const std::size_t limit = ProfileStore::kLimit;
    const std::size_t room = storedCount_ >= limit ? 0 : limit - storedCount_;
    // Past the limit Merge adds as many as there is room for; the rest,
    // refused names included, are left out.
    return restorable > room ? rows.size() - room : 0;
}

std::string BackupRestoreModel::mergeWarning() const {
    const std::size_t skipped = mergeSkips();
    if (skipped == 0) return {};
    const std::size_t incoming = item_.backup.profiles.size();
    const std::string limit = std::to_string(ProfileStore::kLimit);
    if (skipped == incoming)
        return "You already have " + std::to_string(storedCount_) + " profiles, the most Orbel keeps: Merge would "
               "skip every profile of this backup. Delete some first, or choose Replace.";
    return "At most " + limit + " profiles are kept: Merge would add " + std::to_string(incoming - skipped) +
           " and skip " + std::to_string(skipped) + " of this backup's profiles.";
}

std::string BackupRestoreModel::restoreButtonTitle() const {
    return strategy_ == RestoreStrategy::merge ? "Restore" : "Restore (Replace)";
}

}  // namespace orbel
