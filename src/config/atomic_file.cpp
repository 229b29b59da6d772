#include "config/atomic_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QString>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace orbel {
namespace {

std::string lastError() { return std::strerror(errno); }

// The file a write replaces: a link is followed to its target (a dangling
// one too), so that a configuration kept elsewhere and linked stays linked.
QString finalTarget(const QString& path) {
    QFileInfo file(path);
    for (int depth = 0; depth < 128 && file.isSymLink(); ++depth) file.setFile(file.symLinkTarget());
    return file.isSymLink() ? path : file.filePath();
}

// A new file beside the target, "<name>.<random>.tmp" (a profile list, which
// looks for ".json", never shows it), made with the default permissions.
int createTemporary(const QString& target, QByteArray& name) {
    for (int attempt = 0; attempt < 16; ++attempt) {
        name = QFile::encodeName(target) + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".tmp";
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

bool refused() { return errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP; }

enum class Swap { exchanged, placed, unsupported, failed };

// Puts `from` in the place of `to` in one step: exchanged (the file that was
// there is now at `from`), placed (there was none), unsupported (the file
// system cannot), or failed (errno says why).
Swap swapIn(const char* from, const char* to) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_EXCHANGE) == 0) return Swap::exchanged;
        if (refused()) return Swap::unsupported;
        if (errno != ENOENT) return Swap::failed;
        // Nothing there yet; a file that appears meanwhile is exchanged.
        if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return Swap::placed;
        if (refused()) return Swap::unsupported;
        if (errno != EEXIST) return Swap::failed;
    }
    return Swap::failed;
}

bool sameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

}  // namespace

std::optional<std::string> writeFileAtomically(const std::string& path, std::string_view bytes,
                                               const ReplaceGuard& guard) {
    const QString target = finalTarget(QString::fromStdString(path));
    const QByteArray targetName = QFile::encodeName(target);
    QByteArray temporary;
    const int fd = createTemporary(target, temporary);
    if (fd < 0) return lastError();
    // The descriptor stays open until the new file is in place: its stamp is
    // taken from it.
    struct Cleanup {
        int fd;
        const QByteArray& name;
        bool keep = false;
        ~Cleanup() {
            if (fd >= 0) ::close(fd);
            if (!keep) ::unlink(name.constData());
        }
    } cleanup{fd, temporary};
    struct stat existing{};
    if (::stat(targetName.constData(), &existing) == 0 && ::fchmod(fd, existing.st_mode & 07777) != 0)
        return lastError();
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n < 0 ? lastError() : std::string("The file could not be written.");
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0) return lastError();
    const auto displaced = [&] {
        if (guard.displaced) *guard.displaced = true;
        return std::string("The file was changed by another program meanwhile.");
    };

    if (guard.beforeSwap) guard.beforeSwap();
    switch (swapIn(temporary.constData(), targetName.constData())) {
    case Swap::placed:
        cleanup.keep = true;
        break;
    case Swap::exchanged:
        if (guard.unchanged && !guard.unchanged(temporary.toStdString(), true)) {
            // Another program saved in the meantime: its file goes back.
            if (::renameat2(AT_FDCWD, temporary.constData(), AT_FDCWD, targetName.constData(), RENAME_EXCHANGE) != 0) {
                cleanup.keep = true;  // its bytes are in the temporary file: never removed
                return "The file was changed by another program meanwhile and could not be put back: " + lastError();
            }
            struct stat ours{}, back{};
            // What came back is ours, unless a later save took its place:
            // that one is the newest and stays.
            if (::fstat(fd, &ours) == 0 && ::lstat(temporary.constData(), &back) == 0 && !sameFile(ours, back)) {
                cleanup.keep = true;
                (void)::rename(temporary.constData(), targetName.constData());
            }
            return displaced();
        }
        break;  // the file taken out is removed with the temporary name
    case Swap::unsupported:
        if (guard.unchanged && !guard.unchanged(target.toStdString(), false)) return displaced();
        if (::rename(temporary.constData(), targetName.constData()) != 0) return lastError();
        cleanup.keep = true;
        break;
    case Swap::failed:
        return lastError();
    }
    if (guard.written) {
        struct stat info{};
        if (::fstat(fd, &info) == 0) *guard.written = FileStamp::of(info);
        else guard.written->reset();
    }
    return std::nullopt;  // the bytes were synced: a late error of close() loses nothing
}

void removeStaleTemporaries(const std::string& path) {
    const QFileInfo target(finalTarget(QString::fromStdString(path)));
    const QRegularExpression ours(QStringLiteral("^%1\\.[0-9a-z]{1,7}\\.tmp$")
                                      .arg(QRegularExpression::escape(target.fileName())));
    const QDir folder = target.absoluteDir();
    for (const QString& name : folder.entryList({target.fileName() + QStringLiteral(".*.tmp")},
                                                QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks)) {
        if (!ours.match(name).hasMatch()) continue;
        const QByteArray file = QFile::encodeName(folder.filePath(name));
        struct stat info{};
        if (::lstat(file.constData(), &info) == 0 && S_ISREG(info.st_mode)) ::unlink(file.constData());
    }
}

FileStamp FileStamp::of(const struct stat& info) {
    // Coarser file systems keep times to the second or two: a time less than
    // that before now may still be the time of the next change.
    constexpr std::int64_t kSettleNs = 2'000'000'000;
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const auto ns = [](const timespec& t) { return std::int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec; };
    FileStamp stamp;
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    stamp.size = info.st_size;
    stamp.modifiedNs = ns(info.st_mtim);
    stamp.changedNs = ns(info.st_ctim);
    stamp.settled = std::max(stamp.modifiedNs, stamp.changedNs) < ns(now) - kSettleNs;
    return stamp;
}

std::optional<FileStamp> FileStamp::of(const std::string& path) {
    struct stat info{};
    if (::stat(path.c_str(), &info) != 0) return std::nullopt;
    return of(info);
}

}  // namespace orbel
