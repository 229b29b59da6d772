#include "config/atomic_file.h"

#include <QSaveFile>
#include <QString>
#include <sys/stat.h>
#include <time.h>

namespace orbel {
namespace {

std::string reasonOf(const QSaveFile& file, const char* fallback) {
    const QString reason = file.errorString();
    return file.error() == QFileDevice::NoError || reason.isEmpty() ? fallback : reason.toStdString();
}

}  // namespace

std::optional<std::string> writeFileAtomically(const std::string& path, std::string_view bytes) {
    // Unbuffered, so that every failed write shows here: a buffered QSaveFile
    // whose final flush fails still commits the truncated temporary file.
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return reasonOf(file, "The file could not be created.");
    const char* next = bytes.data();
    auto left = static_cast<qint64>(bytes.size());
    while (left > 0) {
        const qint64 written = file.write(next, left);
        if (written <= 0) {
            std::string reason = reasonOf(file, "The file could not be written.");
            file.cancelWriting();
            return reason;
        }
        next += written;
        left -= written;
    }
    if (!file.commit()) return reasonOf(file, "The file could not be saved.");
    return std::nullopt;
}

std::optional<FileStamp> FileStamp::of(const std::string& path) {
    struct stat info{};
    if (::stat(path.c_str(), &info) != 0) return std::nullopt;
    // Coarser file systems keep times to the second or two: a time less than
    // that before now may still be the time of the next write.
    constexpr std::int64_t kSettleNs = 2'000'000'000;
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const auto ns = [](const timespec& t) { return std::int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec; };
    FileStamp stamp;
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    stamp.size = info.st_size;
    stamp.modifiedNs = ns(info.st_mtim);
    stamp.settled = stamp.modifiedNs < ns(now) - kSettleNs;
    return stamp;
}

}  // namespace orbel
