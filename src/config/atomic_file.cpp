#include "config/atomic_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QString>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/clock.h"

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

QByteArray randomName(int length) {
    static constexpr char kLetters[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    QByteArray name(length, '0');
    for (char& c : name) c = kLetters[QRandomGenerator::global()->bounded(36)];
    return name;
}

// A temporary file's name: hidden, so that no list of profiles or files
// shows it, with a marker no person types, the writer's process id (a later
// start tells from it whether the writer is gone) and a random part. Its
// length does not depend on the target's, so it fits wherever the target
// does.
constexpr char kTemporaryPrefix[] = ".orbel-save-";
constexpr char kTemporarySuffix[] = ".tmp";
constexpr int kTemporaryRandom = 12;

const QRegularExpression& temporaryPattern() {
    static const QRegularExpression pattern(QStringLiteral("^\\.orbel-save-([1-9][0-9]{0,9})-[0-9a-z]{12}\\.tmp$"));
    return pattern;
}

// The writer's process id in a temporary file's name, or nothing when the
// name is no temporary file's.
std::optional<pid_t> temporaryWriter(const QString& fileName) {
    const auto match = temporaryPattern().match(fileName);
    if (!match.hasMatch()) return std::nullopt;
    bool ok = false;
    const qlonglong pid = match.captured(1).toLongLong(&ok);
    if (!ok || pid > std::numeric_limits<pid_t>::max()) return std::nullopt;
    return static_cast<pid_t>(pid);
}

// A new file in `folder`, made with the default permissions and locked for
// as long as it is open, so that no sweep takes it while the save runs.
int createTemporary(const QByteArray& folder, QByteArray& name) {
    for (int attempt = 0; attempt < 16; ++attempt) {
        name = folder + '/' + kTemporaryPrefix + QByteArray::number(::getpid()) + '-' + randomName(kTemporaryRandom) +
               kTemporarySuffix;
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) return fd;
        // A file system without locks leaves the age of the file to tell.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK) return fd;
        ::close(fd);  // a sweep holds it: another name
        ::unlink(name.constData());
    }
    errno = EEXIST;
    return -1;
}

int systemRename(const char* from, const char* to, unsigned flags) {
    return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, flags);
}

bool refused() { return errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP; }
// What link() answers on a file system without hard links (FAT, many FUSE
// and network mounts).
bool noHardLinks() { return errno == EPERM || errno == ENOSYS || errno == EOPNOTSUPP; }

enum class Swap { exchanged, placed, unsupported, failed };

// Puts `from` in the place of `to` in one step: exchanged (the file that was
// there is now at `from`), placed (there was none), unsupported (the file
// system cannot), or failed (errno says why).
Swap swapIn(const RenameCall& rename, const char* from, const char* to) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        if (rename(from, to, RENAME_EXCHANGE) == 0) return Swap::exchanged;
        if (refused()) return Swap::unsupported;
        if (errno != ENOENT) return Swap::failed;
        // Nothing there yet; a file that appears meanwhile is exchanged.
        if (rename(from, to, RENAME_NOREPLACE) == 0) return Swap::placed;
        if (refused()) return Swap::unsupported;
        if (errno != EEXIST) return Swap::failed;
    }
    return Swap::failed;
}

bool sameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Whether the file at `path` holds exactly `bytes`.
bool holds(const char* path, std::string_view bytes) {
    QFile file(QFile::decodeName(path));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered) || file.size() != qint64(bytes.size())) return false;
    const QByteArray read = file.read(qint64(bytes.size()) + 1);
    return std::string_view(read.constData(), std::size_t(read.size())) == bytes;
}

// Moves the file at `from` to a name beside `targetFileName` in `folder` that
// no sweep takes and no list of profiles shows: "<target>.kept-<random>",
// the target's name cut short where that is needed to fit. The name, or
// nothing when no name took it: errno says why, and where the file system
// can neither rename without replacing nor link, noHardLinks() says so.
std::optional<QByteArray> keepAside(const RenameCall& rename, const LinkCall& link, const char* from,
                                    const QByteArray& folder,
                                    const QByteArray& targetFileName) {
    constexpr int kMaxFileName = 255;
    const QByteArray suffix = ".kept-";
    constexpr int kRandom = 6;
    QByteArray stem = targetFileName.left(kMaxFileName - suffix.size() - kRandom);
    // Never half a character: a cut lands before a UTF-8 continuation byte.
    if (stem.size() < targetFileName.size())
        while (!stem.isEmpty() && (uchar(targetFileName[stem.size()]) & 0xC0) == 0x80) stem.chop(1);
    for (int attempt = 0; attempt < 8; ++attempt) {
        const QByteArray name = folder + '/' + stem + suffix + randomName(kRandom);
        if (rename(from, name.constData(), RENAME_NOREPLACE) == 0) return name;
        if (errno == EEXIST) continue;
        if (!refused()) return std::nullopt;
        // link() never replaces either.
        if (link(from, name.constData()) == 0) {
            ::unlink(from);
            return name;
        }
        if (errno != EEXIST) return std::nullopt;
    }
    return std::nullopt;
}

double seconds(const timespec& t) { return double(t.tv_sec) + double(t.tv_nsec) / 1e9; }

// Coarser file systems keep times to the second or two: a time less than
// that before now may still be the time of the next change. A save leaves
// its temporary file unlocked for moments only (between its creation and
// its lock, and once an exchange has put the replaced file under its name,
// which moves that file's change time), far less than this.
constexpr double kSettleSeconds = FileStamp::kSettleSeconds;
// A temporary file unchanged this long is no save's, whoever wrote it.
constexpr double kAbandonedAfterSeconds = 3600;

bool running(pid_t pid) { return ::kill(pid, 0) == 0 || errno == EPERM; }

void removeIfStale(const QByteArray& file, pid_t writer, double now, const LockCall& lock) {
    struct stat named{};
    if (::lstat(file.constData(), &named) != 0 || !S_ISREG(named.st_mode)) return;
    const double quiet = now - std::max(seconds(named.st_mtim), seconds(named.st_ctim));
    if (quiet < kSettleSeconds) return;
    if (quiet < kAbandonedAfterSeconds && running(writer)) return;
    const int fd = ::open(file.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return;
    struct stat opened{}, again{};
    bool stale = ::fstat(fd, &opened) == 0 && sameFile(opened, named);
    // Held by a save still writing it: its exclusive lock refuses a shared
    // one, which a descriptor opened for reading may ask for also where a
    // server keeps the locks (an exclusive one there needs write access). A
    // file system that keeps no locks answers otherwise: the age and the
    // writer then tell.
    if (stale && lock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK) stale = false;
    // Still the file looked at: the name may have been given to another.
    if (stale && ::lstat(file.constData(), &again) == 0 && sameFile(again, opened)) ::unlink(file.constData());
    ::close(fd);
}

}  // namespace

std::optional<std::string> writeFileAtomically(const std::string& path, std::string_view bytes,
                                               const ReplaceGuard& guard) {
    const RenameCall rename = guard.rename ? guard.rename : RenameCall(systemRename);
    const LinkCall link = guard.link ? guard.link : LinkCall(::link);
    const QString target = finalTarget(QString::fromStdString(path));
    const QByteArray targetName = QFile::encodeName(target);
    const QFileInfo targetInfo(target);
    const QByteArray folder = QFile::encodeName(targetInfo.absolutePath());
    QByteArray temporary;
    const int fd = createTemporary(folder, temporary);
    if (fd < 0) return lastError();
    // The descriptor stays open until the new file is in place: its stamp is
    // taken from it, and its lock keeps a sweep away.
    struct Cleanup {
        int fd;
        const QByteArray& name;
        bool keep = false;
        ~Cleanup() {
            if (!keep) ::unlink(name.constData());  // before the lock goes: no sweep sees it unlocked
            if (fd >= 0) ::close(fd);
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

    // Where the file it replaces is judged, the new one first takes a name
    // no sweep removes: the exchange leaves the file taken out under that
    // name, so another program's save in it is never swept, also when the
    // file system fails before it is put back.
    // Where the file system can do neither (some FUSE and network mounts),
    // it cannot exchange either: the file there is checked right before a
    // plain rename replaces it.
    bool exchangeable = true;
    if (guard.unchanged) {
        const auto kept =
            keepAside(rename, link, temporary.constData(), folder, QFile::encodeName(targetInfo.fileName()));
        if (kept) temporary = *kept;  // removed by that name
        else if (!noHardLinks()) return lastError();
        else exchangeable = false;
    }
    if (guard.beforeSwap) guard.beforeSwap();
    const auto keptAside = [&](std::string why) {
        cleanup.keep = true;
        if (guard.keptAside) *guard.keptAside = ReplaceGuard::KeptAside{temporary.toStdString(), std::move(why)};
    };
    switch (exchangeable ? swapIn(rename, temporary.constData(), targetName.constData()) : Swap::unsupported) {
    case Swap::placed:
        cleanup.keep = true;
        break;
    case Swap::exchanged:
        if (guard.unchanged && !guard.unchanged(temporary.toStdString(), true)) {
            // Another program saved in the meantime: its file goes back.
            if (rename(temporary.constData(), targetName.constData(), RENAME_EXCHANGE) != 0) {
                // Ours stays in place; theirs stays where it is.
                const std::string why = lastError();
                keptAside(why);
                if (!guard.keptAside)
                    return "The file was changed by another program meanwhile and could not be put back (" + why +
                           "); that program's save is kept in " + temporary.toStdString() + ".";
                break;
            }
            // What came back is ours, unless a later save took its place,
            // by a rename or written into ours: that one is the newest and
            // stays.
            if (!holds(temporary.constData(), bytes)) {
                cleanup.keep = true;
                if (rename(temporary.constData(), targetName.constData(), 0) != 0) keptAside(lastError());
            }
            return displaced();
        }
        break;  // the file taken out is removed with the temporary name
    case Swap::unsupported: {
        // Asked only about a file that is there; where nothing is, link()
        // puts ours in place without replacing one that appears meanwhile.
        struct stat there{};
        bool present = ::lstat(targetName.constData(), &there) == 0;
        if (!present) {
            if (link(temporary.constData(), targetName.constData()) == 0) break;  // the temporary name goes
            present = errno == EEXIST;
        }
        if (present && guard.unchanged && !guard.unchanged(target.toStdString(), false)) return displaced();
        if (rename(temporary.constData(), targetName.constData(), 0) != 0) return lastError();
        cleanup.keep = true;
        break;
    }
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

void removeStaleTemporaries(const std::string& folder, const LockCall& lockCall) {
    const LockCall lock = lockCall ? lockCall : LockCall(::flock);
    const QDir dir(QString::fromStdString(folder));
    const double now = platform::Clock::shared().secondsSince1970();
    const QStringList names =
        dir.entryList({QString::fromLatin1(kTemporaryPrefix) + '*' + QString::fromLatin1(kTemporarySuffix)},
                      QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    for (const QString& name : names) {
        if (const auto writer = temporaryWriter(name))
            removeIfStale(QFile::encodeName(dir.filePath(name)), *writer, now, lock);
    }
}

void removeStaleTemporariesBeside(const std::string& path) {
    const QString given = QString::fromStdString(path);
    const QString folder = QFileInfo(given).absolutePath();
    const QString targetFolder = QFileInfo(finalTarget(given)).absolutePath();
    removeStaleTemporaries(folder.toStdString(), {});
    if (targetFolder != folder) removeStaleTemporaries(targetFolder.toStdString(), {});
}

FileStamp FileStamp::of(const struct stat& info) {
    constexpr auto kSettleNs = std::int64_t(kSettleSeconds * 1e9);
    const auto now = std::int64_t(std::llround(platform::Clock::shared().secondsSince1970() * 1e9));
    const auto ns = [](const timespec& t) { return std::int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec; };
    FileStamp stamp;
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    stamp.size = info.st_size;
    stamp.modifiedNs = ns(info.st_mtim);
    stamp.changedNs = ns(info.st_ctim);
    stamp.settled = std::max(stamp.modifiedNs, stamp.changedNs) < now - kSettleNs;
    return stamp;
}

namespace {
double latest(std::int64_t modifiedNs, std::int64_t changedNs) { return double(std::max(modifiedNs, changedNs)) / 1e9; }
}  // namespace

bool FileStamp::changedLately(bool renamed) const {
    const double now = platform::Clock::shared().secondsSince1970();
    const double at = latest(modifiedNs, renamed ? modifiedNs : changedNs);
    return at > now - kSettleSeconds && at < now + kSettleSeconds;
}

double FileStamp::quietAt() const { return latest(modifiedNs, changedNs) + kSettleSeconds; }

std::optional<FileStamp> FileStamp::of(const std::string& path) {
    struct stat info{};
    if (::stat(path.c_str(), &info) != 0) return std::nullopt;
    return of(info);
}

}  // namespace orbel
