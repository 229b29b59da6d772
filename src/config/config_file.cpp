#include "config/config_file.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <sys/stat.h>

#include "platform/clock.h"
#include "platform/peer_file.h"

namespace orbel {

namespace {

constexpr int kDatedNames = 10;

std::string digestOf(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().toStdString();
}

double monotonicSeconds() {
    return std::chrono::duration<double>(platform::Clock::shared().monotonicNow().time_since_epoch()).count();
}

// Tries `keep` on the dated names of `original` at the clock's time, the
// plain one first, until one takes; the name taken, or nothing.
std::optional<std::string> keptUnderADatedName(const std::string& original,
                                               const std::function<bool(const QString&)>& keep) {
    const double now = platform::Clock::shared().secondsSince1970();
    for (int attempt = 1; attempt <= kDatedNames; ++attempt) {
        const std::string path = datedCopyPath(original, now, attempt);
        if (keep(QString::fromStdString(path))) return path;
    }
    return std::nullopt;
}

// What is at a path that holds no regular file, in the words of a notice.
std::string notAFile(const QFileInfo& info) {
    if (!info.isSymLink() || info.exists()) return "It is not a regular file.";
    struct stat there{};
    const bool loop = ::stat(QFile::encodeName(info.filePath()).constData(), &there) != 0 && errno == ELOOP;
    return loop ? "It is a link that leads back to itself, through other links or none."
                : "It is a link to " + info.symLinkTarget().toStdString() + ", which does not exist.";
}

}  // namespace

std::string datedCopyPath(const std::string& path, double secondsSince1970, int attempt) {
    double seconds = secondsSince1970;
    for (int n = 1; n < attempt; ++n) seconds = std::nextafter(seconds, HUGE_VAL);
    char text[512];  // any double, written out in full
    const auto [end, error] = std::to_chars(text, text + sizeof text, seconds, std::chars_format::fixed);
    std::string digits(text, error == std::errc() ? end : text);
    if (digits.find('.') == std::string::npos) digits += ".0";  // always a point and a fraction
    return path + ".backup." + digits;
}

ConfigFile::ConfigFile(std::string path) : record_(path), path_(std::move(path)) {}

ConfigFile::~ConfigFile() {
    // What is still watched stays in the store: the next start looks at it.
    if (timer_) platform::Timers::shared().cancel(timer_);
    if (watchTimer_) platform::Timers::shared().cancel(watchTimer_);
}

// MARK: reading

ConfigFile::Look ConfigFile::look(qint64 limit) const {
    Look look;
    const QString name = QString::fromStdString(path_);
    const QFileInfo info(name);
    if (!info.exists() && !info.isSymLink()) {
        look.absent = true;
        return look;
    }
    look.stamp = FileStamp::of(path_);
    if (!info.isFile()) {
        look.problem = notAFile(info);
        look.dangling = info.isSymLink() && !info.exists();
        return look;
    }
    platform::PeerFile file = platform::readPeerFile(name, limit);
    look.bytes = std::move(file.bytes);
    if (!look.bytes) look.problem = file.error;
    return look;
}

bool ConfigFile::stillWritten(const Look& look) const {
    const auto now = FileStamp::of(path_);
    if (!now && !look.stamp) return false;
    if (!now || !look.stamp || !now->sameAs(*look.stamp)) return true;
    return now->changedLately() && !(knownStamp_ && now->sameAs(*knownStamp_));
}

void ConfigFile::remember(const Look& look, bool usable) {
    known_ = look.bytes;
    knownStamp_ = look.stamp;
    knownUsable_ = usable;
}

bool ConfigFile::changing() const {
    const auto stamp = FileStamp::of(path_);
    return stamp && stamp->changedLately() && !(knownStamp_ && stamp->sameAs(*knownStamp_));
}

bool ConfigFile::editedOutside() {
    const QFileInfo info(QString::fromStdString(path_));
    if (!info.exists() && !info.isSymLink()) return false;
    const auto stamp = FileStamp::of(path_);
    if (stamp && knownStamp_ && stamp->unchangedSince(*knownStamp_)) return false;
    if (differsFromKnown(path_)) return true;
    knownStamp_ = stamp;  // the same bytes, written again
    return false;
}

bool ConfigFile::differsFromKnown(const std::string& path) const {
    const QString name = QString::fromStdString(path);
    const QFileInfo info(name);
    if (!info.exists() && !info.isSymLink()) return false;  // nothing in it to lose
    if (!info.isFile() || !known_) return true;            // something else took its place, or a file appeared
    // Another length is another file; one of the same length is compared.
    if (info.size() != known_->size()) return true;
    const platform::PeerFile file = platform::readPeerFile(name, known_->size());
    return !file.bytes || *file.bytes != *known_;
}

// MARK: the wait

void ConfigFile::beginWait() {
    if (!waitingSince_) waitingSince_ = monotonicSeconds();
}

bool ConfigFile::waitOver() const {
    return waitingSince_ && (hurry_ || monotonicSeconds() >= *waitingSince_ + kLongestWaitSeconds);
}

void ConfigFile::whenQuiet(std::function<void()> then) {
    beginWait();
    auto& timers = platform::Timers::shared();
    if (timer_) timers.cancel(timer_);
    // The file's times are by the wall clock; the bound by the monotonic one.
    const auto stamp = FileStamp::of(path_);
    const double quiet = stamp ? std::clamp(stamp->quietAt() - platform::Clock::shared().secondsSince1970(), 0.0,
                                            FileStamp::kSettleSeconds)
                               : 0.0;
    const double wait = std::clamp(*waitingSince_ + kLongestWaitSeconds - monotonicSeconds(), 0.0, quiet);
    timer_ = timers.singleShot(std::chrono::milliseconds(std::llround(wait * 1000) + 20),
                               [this, then = std::move(then)] {
                                   timer_ = 0;
                                   then();
                               });
}

void ConfigFile::endWait() {
    if (timer_) platform::Timers::shared().cancel(timer_);
    timer_ = 0;
    waitingSince_.reset();
    hurry_ = false;
}

// MARK: writing

ConfigFile::Saved ConfigFile::write(std::string_view bytes, const std::optional<std::string>& keepTakenOutAs) {
    Saved saved;
    bool displaced = false;
    std::optional<FileStamp> written;
    ReplaceGuard guard;
    guard.beforeSwap = beforeReplaceHook;
    const bool over = waitOver();
    const auto asKnown = [this](const std::optional<FileStamp>& stamp, bool swappedOut) {
        return stamp && knownStamp_ && stamp->sameAs(*knownStamp_, swappedOut);
    };
    const auto changedByOthers = [&](const std::string& replaced, bool swappedOut) {
        const auto stamp = FileStamp::of(replaced);
        return stamp && stamp->changedLately(swappedOut) && !asKnown(stamp, swappedOut);
    };
    guard.unchanged = [&, over](const std::string& replaced, bool swappedOut) {
        if (keepTakenOutAs) return true;  // kept whatever it holds
        // Judged by its bytes: the exchange moved its change time, so an edit
        // in place whose modification time was put back would pass for
        // unchanged by its stamp.
        const auto stamp = FileStamp::of(replaced);
        if (!swappedOut && asKnown(stamp, false) && knownStamp_->settled) return true;
        // Changed moments ago, and not by Orbel: its writer may still be
        // writing into it. It goes back, until the wait for it is over: then
        // it is kept aside (below), never removed.
        if (changedByOthers(replaced, swappedOut)) return over;
        return !differsFromKnown(replaced);
    };
    // Once the wait is over, a file changed moments ago by anyone but
    // Orbel's own last save (a reading of it proves nothing) is kept.
    guard.keep = [&, over](const std::string& replaced) {
        if (keepTakenOutAs || !knownUsable_) return true;
        const auto stamp = FileStamp::of(replaced);
        return over && stamp && stamp->changedLately(true) && !(writtenStamp_ && stamp->sameAs(*writtenStamp_, true));
    };
    if (keepTakenOutAs) guard.keepAs = *keepTakenOutAs;
    guard.displaced = &displaced;
    guard.written = &written;
    guard.rename = renameCall;
    if (known_) guard.known = std::string_view(known_->constData(), std::size_t(known_->size()));
    guard.keptAside = &saved.keptAside;
    const auto before = known_;
    if (auto failure = writeFileAtomically(path_, bytes, guard)) {
        saved.displaced = displaced;
        saved.failure = "Couldn't save " + path_ + ": " + *failure;
        return saved;
    }
    const bool accounted = knownUsable_;
    known_ = QByteArray(bytes.data(), qsizetype(bytes.size()));
    knownStamp_ = writtenStamp_ = written;
    knownUsable_ = true;
    // Kept only because it was changing, holding what Orbel had accounted
    // for: told only once it holds something else.
    if (saved.keptAside && !keepTakenOutAs && accounted && before) {
        const platform::PeerFile kept =
            platform::readPeerFile(QString::fromStdString(saved.keptAside->path), before->size() + 1);
        if (kept.bytes && *kept.bytes == *before) {
            watch({saved.keptAside->path, before->size(), digestOf(*before)});
            saved.keptAside.reset();
        }
    }
    return saved;
}

void ConfigFile::restore(const std::optional<QByteArray>& bytes) {
    if (!bytes) QFile::remove(QString::fromStdString(path_));
    else (void)writeFileAtomically(path_, std::string_view(bytes->constData(), std::size_t(bytes->size())));
    known_ = bytes;
    knownStamp_ = writtenStamp_ = FileStamp::of(path_);
    knownUsable_ = true;
}

void ConfigFile::watch(Watched kept) {
    watched_.push_back(std::move(kept));
    record_.setKept(watched_);
    keepWatching();
}

void ConfigFile::keepWatching() {
    if (!watched_.empty() && !watchTimer_)
        watchTimer_ = platform::Timers::shared().repeating(
            std::chrono::milliseconds(std::llround(FileStamp::kSettleSeconds * 1000)), [this] { lookAtWatched(); });
}

void ConfigFile::lookAtWatched() {
    std::vector<Watched> still;
    std::vector<std::string> changed;
    for (auto& kept : watched_) {
        const QString name = QString::fromStdString(kept.path);
        const QFileInfo info(name);
        if (!info.exists() && !info.isSymLink()) continue;  // gone
        // Only a file Orbel kept is Orbel's to look at: a link or a folder
        // put in its place is left alone, and dropped from the record.
        if (!info.isFile() || info.isSymLink()) continue;
        const auto stamp = FileStamp::of(kept.path);
        if (stamp && stamp->changedLately()) {
            still.push_back(std::move(kept));
            continue;
        }
        const platform::PeerFile file = platform::readPeerFile(name, std::max(kept.size, info.size()) + 1);
        // Compared with the whole of config.json, as it is now.
        const auto holdsInPlace = [&] {
            const auto inPlace = platform::readPeerFile(QString::fromStdString(path_), file.bytes->size() + 1).bytes;
            return inPlace && *inPlace == *file.bytes;
        };
        if (file.bytes && (digestOf(*file.bytes) == kept.digest || holdsInPlace())) QFile::remove(name);
        else changed.push_back(kept.path);
    }
    watched_ = std::move(still);
    record_.setKept(watched_);
    if (watched_.empty() && watchTimer_) {
        platform::Timers::shared().cancel(watchTimer_);
        watchTimer_ = 0;
    }
    if (!changed.empty() && keptFilesChanged) keptFilesChanged(changed);
}

void ConfigFile::reviewKept() {
    watched_ = record_.kept();
    // What the record held that is not Orbel's own is dropped from it.
    record_.setKept(watched_);
    if (watched_.empty()) return;
    lookAtWatched();
    keepWatching();
}

// MARK: keeping

std::optional<std::string> ConfigFile::keepCopy(const std::string& original, const QByteArray& bytes) {
    return keptUnderADatedName(original, [&bytes](const QString& path) {
        QFile copy(path);
        // A name already taken (an earlier copy) is never overwritten.
        if (!copy.open(QIODevice::WriteOnly | QIODevice::NewOnly)) return false;
        const bool ok = copy.write(bytes) == bytes.size();
        copy.close();
        if (ok && copy.error() == QFileDevice::NoError) return true;
        copy.remove();
        return false;
    });
}

std::optional<std::string> ConfigFile::moveAside() const {
    const QString original = QString::fromStdString(path_);
    return keptUnderADatedName(path_, [&original](const QString& path) { return QFile::rename(original, path); });
}

bool ConfigFile::putInPlaceOf(const std::string& file, const std::string& copy, const QByteArray& bytes) {
    const auto holds = [&bytes](const std::string& path) {
        const platform::PeerFile read = platform::readPeerFile(QString::fromStdString(path), bytes.size() + 1);
        return read.bytes && *read.bytes == bytes;
    };
    return holds(copy) && holds(file) &&
           ::rename(QFile::encodeName(QString::fromStdString(file)).constData(),
                    QFile::encodeName(QString::fromStdString(copy)).constData()) == 0;
}

std::optional<std::string> ConfigFile::freeDatedName() const {
    return keptUnderADatedName(path_, [](const QString& path) {
        const QFileInfo info(path);
        return !info.exists() && !info.isSymLink();
    });
}

}  // namespace orbel
