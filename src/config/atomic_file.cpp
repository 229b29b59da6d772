#include "config/atomic_file.h"

#include <QCryptographicHash>
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
#include <dirent.h>
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

// A file taken aside by a save is named "<target>.kept-<random>-<new>-<replaced>"
// while the save runs: <new> and <replaced> are the first digits of the
// SHA-256 of the bytes written and of those the caller knew in the file
// replaced, so that a start after a save killed half-way can tell Orbel's own
// bytes from another program's save. Once told to the user, it is
// "<target>.kept-<random>". The target's name is cut short where that is
// needed to fit.
constexpr char kKeptMarker[] = ".kept-";
constexpr int kKeptRandom = 6;
constexpr int kDigestDigits = 12;
constexpr int kDigestsLength = 2 * (1 + kDigestDigits);

QByteArray keptStem(const QByteArray& targetFileName) {
    constexpr int kMaxFileName = 255;
    QByteArray stem =
        targetFileName.left(kMaxFileName - int(sizeof kKeptMarker - 1) - kKeptRandom - kDigestsLength);
    // Never half a character: a cut lands before a UTF-8 continuation byte.
    if (stem.size() < targetFileName.size())
        while (!stem.isEmpty() && (uchar(targetFileName[stem.size()]) & 0xC0) == 0x80) stem.chop(1);
    return stem + kKeptMarker;
}

QByteArray digits(QCryptographicHash& hash) { return hash.result().toHex().left(kDigestDigits); }

QByteArray digestDigits(std::string_view bytes) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    return digits(hash);
}

// The digits of the regular file at `path`, or nothing when it cannot be
// read whole. Never waits on a pipe or a device.
std::optional<QByteArray> fileDigestDigits(const QByteArray& path) {
    QFile file(QFile::decodeName(path));
    struct stat info{};
    if (::lstat(path.constData(), &info) != 0 || !S_ISREG(info.st_mode) || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file) || file.error() != QFileDevice::NoError) return std::nullopt;
    return digits(hash);
}

// Gives the file at `from` the name `to` without replacing a file there:
// renamed, or else linked and unlinked (a file system failing renames may
// still link). Whether it took the name.
bool moveWithoutReplacing(const RenameCall& rename, const LinkCall& link, const char* from, const char* to) {
    if (rename(from, to, RENAME_NOREPLACE) == 0) return true;
    if (errno == EEXIST || link(from, to) != 0) return false;
    ::unlink(from);
    return true;
}

// Moves the file at `from` to a name beside `targetFileName` in `folder` that
// no sweep of temporary files takes and no list of profiles shows, with the
// digests `digests` ("-<new>-<replaced>"). The name, or nothing when no name
// took it: errno says why, and where the file system can neither rename
// without replacing nor link, noHardLinks() says so.
std::optional<QByteArray> keepAside(const RenameCall& rename, const LinkCall& link, const char* from,
                                    const QByteArray& folder, const QByteArray& targetFileName,
                                    const QByteArray& digests) {
    const QByteArray stem = keptStem(targetFileName);
    for (int attempt = 0; attempt < 8; ++attempt) {
        const QByteArray name = folder + '/' + stem + randomName(kKeptRandom) + digests;
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
    QByteArray digests;
    if (guard.unchanged) {
        digests = '-' + digestDigits(bytes) + '-' + (guard.known ? digestDigits(*guard.known) : digestDigits(bytes));
        const auto kept = keepAside(rename, link, temporary.constData(), folder,
                                    QFile::encodeName(targetInfo.fileName()), digests);
        if (kept) temporary = *kept;  // removed by that name
        else if (!noHardLinks()) return lastError();
        else exchangeable = false;
    }
    if (guard.beforeSwap) guard.beforeSwap();
    const auto keptAside = [&](std::string why) {
        cleanup.keep = true;
        // Under the name of a file told about, which no start tells again.
        const QByteArray keepAs = QFile::encodeName(QString::fromStdString(guard.keepAs));
        const QByteArray told = temporary.chopped(digests.size());
        if (!keepAs.isEmpty() && moveWithoutReplacing(rename, link, temporary.constData(), keepAs.constData()))
            temporary = keepAs;
        else if (moveWithoutReplacing(rename, link, temporary.constData(), told.constData()))
            temporary = told;
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
        // Its writer may still be writing into it: kept, never removed.
        if (guard.keep && guard.keep(temporary.toStdString()))
            keptAside(kKeptWhileWritten);
        break;  // else the file taken out is removed with the temporary name
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
        if (present && guard.keep && guard.keep(target.toStdString())) {
            // No exchange here: the file in place moves aside first.
            const QByteArray keepAs = QFile::encodeName(QString::fromStdString(guard.keepAs));
            const QByteArray aside =
                !keepAs.isEmpty() ? keepAs
                                  : targetName + ".kept-" + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
            if (::access(aside.constData(), F_OK) == 0 || rename(targetName.constData(), aside.constData(), 0) != 0)
                return lastError();
            if (guard.keptAside)
                *guard.keptAside = ReplaceGuard::KeptAside{aside.toStdString(), kKeptWhileWritten};
        }
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

bool isKeptAsideName(const std::string& path, const std::string& candidate) {
    const QString kept = QString::fromStdString(candidate);
    if (!QFileInfo(kept).isAbsolute() || QDir::cleanPath(kept) != kept) return false;
    const QFileInfo keptInfo(kept);
    const QByteArray name = QFile::encodeName(keptInfo.fileName());
    const QString given = QFileInfo(QString::fromStdString(path)).absoluteFilePath();
    for (const QString& target : {given, finalTarget(given)}) {
        const QFileInfo targetInfo(target);
        if (QDir::cleanPath(targetInfo.absolutePath()) != keptInfo.absolutePath()) continue;
        const QByteArray stem = keptStem(QFile::encodeName(targetInfo.fileName()));
        // The random part of a told name, or of one kept where no exchange
        // could be made: letters and digits, never the digests of a save
        // still running.
        const QByteArray random = name.mid(stem.size());
        if (name.startsWith(stem) && !random.isEmpty() && random.size() <= 13 &&
            std::all_of(random.begin(), random.end(), [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'); }))
            return true;
    }
    return false;
}

std::vector<std::string> clearInterruptedSaves(const std::string& path) {
    const QFileInfo target(finalTarget(QString::fromStdString(path)));
    const QByteArray folder = QFile::encodeName(target.absolutePath());
    const QByteArray stem = keptStem(QFile::encodeName(target.fileName()));
    static const QRegularExpression rest(QStringLiteral("^[0-9a-z]{6}(-([0-9a-f]{12})-([0-9a-f]{12}))?$"));
    const double now = platform::Clock::shared().secondsSince1970();
    std::vector<std::string> named;
    std::optional<std::optional<QByteArray>> inTarget;
    DIR* dir = ::opendir(folder.constData());
    if (!dir) return named;
    std::vector<QByteArray> names;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name.startsWith(stem)) names.push_back(name);
    }
    ::closedir(dir);
    for (const QByteArray& name : names) {
        const auto match = rest.match(QString::fromLatin1(name.mid(stem.size())));
        const QByteArray file = folder + '/' + name;
        struct stat info{};
        if (!match.hasMatch() || ::lstat(file.constData(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
        // Renamed moments ago: a save may still be under way.
        if (now - std::max(seconds(info.st_mtim), seconds(info.st_ctim)) < kSettleSeconds) continue;
        const auto digest = fileDigestDigits(file);
        if (!inTarget) inTarget = fileDigestDigits(QFile::encodeName(target.filePath()));
        // Already in the target, or Orbel's own: its unfinished write, or
        // what it knew the file it replaced to hold.
        const bool known = digest && (*digest == *inTarget || (match.hasCaptured(1) &&
                                                               (*digest == match.captured(2).toLatin1() ||
                                                                *digest == match.captured(3).toLatin1())));
        if (known) {
            ::unlink(file.constData());
        } else if (match.hasCaptured(1)) {
            const QByteArray told = file.chopped(kDigestsLength);
            named.push_back((moveWithoutReplacing(systemRename, ::link, file.constData(), told.constData()) ? told
                                                                                                             : file)
                                .toStdString());
        }
    }
    return named;
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
