#include "config/atomic_file.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QString>
#include <cerrno>
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

}  // namespace

std::optional<std::string> writeFileAtomically(const std::string& path, std::string_view bytes,
                                               const std::function<bool()>& beforeReplace) {
    const QString target = finalTarget(QString::fromStdString(path));
    QByteArray temporary;
    const int fd = createTemporary(target, temporary);
    if (fd < 0) return lastError();
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
    if (::stat(QFile::encodeName(target).constData(), &existing) == 0 && ::fchmod(fd, existing.st_mode & 07777) != 0)
        return lastError();
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n < 0 ? lastError() : std::string("The file could not be written.");
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0) return lastError();
    const int closed = ::close(cleanup.fd);
    cleanup.fd = -1;
    if (closed != 0) return lastError();
    if (beforeReplace && !beforeReplace()) return std::string("The file was changed by another program meanwhile.");
    if (::rename(temporary.constData(), QFile::encodeName(target).constData()) != 0) return lastError();
    cleanup.keep = true;
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
