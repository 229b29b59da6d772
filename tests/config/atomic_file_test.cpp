// Replacing a file whole: another program's save that lands at the very
// moment the new file takes its place is never lost, also where the file
// system cannot exchange two names, the stamp notices an edit in place whose
// time was put back, and what killed saves left behind is cleared, and
// nothing else.
#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include "config/atomic_file.h"
#include "config_fixture.h"
#include "fakes/fake_platform_basics.h"
#include "fakes/replace_shared.h"

namespace orbel::testing {
namespace {

class AtomicFileTest : public ::testing::Test {
protected:
    std::string path(const char* name = "config.json") const { return folder.filePath(name).toStdString(); }
    std::string files() const {
        QStringList names =
            QDir(folder.path()).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
        names.sort();
        return names.join(' ').toStdString();
    }
    // A guard that expects the replaced file to hold `seen`, and a save of
    // another program (in place or by rename) right before the swap.
    ReplaceGuard guard(const std::string& seen, std::function<void()> save) {
        ReplaceGuard g;
        g.beforeSwap = std::move(save);
        g.unchanged = [this, seen](const std::string& replaced, bool) {
            ++asked;
            return readFile(replaced) == seen;
        };
        g.displaced = &displaced;
        g.written = &written;
        return g;
    }
    // When the file at `file` last changed, in seconds since 1970.
    static double changedAt(const std::string& file) {
        struct stat info{};
        EXPECT_EQ(::stat(file.c_str(), &info), 0);
        const auto seconds = [](const timespec& t) { return double(t.tv_sec) + double(t.tv_nsec) / 1e9; };
        return std::max(seconds(info.st_mtim), seconds(info.st_ctim));
    }
    QTemporaryDir folder;
    int asked = 0;
    bool displaced = false;
    std::optional<FileStamp> written;
};

TEST_F(AtomicFileTest, ASaveLandingRightBeforeTheSwapIsKept) {
    const struct {
        const char* how;
        std::function<void(const std::string&)> save;
    } saves[] = {
        {"by rename",
         [](const std::string& p) {
             writeFile(p + ".theirs", "theirs");
             std::rename((p + ".theirs").c_str(), p.c_str());
         }},
        {"in place", [](const std::string& p) { writeFile(p, "theirs"); }},
        {"into an empty place",
         [](const std::string& p) {
             QFile::remove(QString::fromStdString(p));
             writeFile(p, "theirs");
         }},
    };
    for (const auto& s : saves) {
        SCOPED_TRACE(s.how);
        writeFile(path(), "seen");
        asked = 0, displaced = false;
        const auto failure = writeFileAtomically(path(), "ours", guard("seen", [&] { s.save(path()); }));
        EXPECT_TRUE(failure);
        EXPECT_TRUE(displaced);
        EXPECT_EQ(readFile(path()), "theirs");
        EXPECT_EQ(files(), "config.json");  // ours is gone, nothing else is left
    }

    // Unchanged: ours takes its place and the stamp is the file's own.
    asked = 0, displaced = false;
    ASSERT_FALSE(writeFileAtomically(path(), "ours", guard("theirs", {})));
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(displaced);
    EXPECT_EQ(readFile(path()), "ours");
    EXPECT_EQ(files(), "config.json");
    const auto stamp = FileStamp::of(path());
    ASSERT_TRUE(written && stamp);
    EXPECT_EQ(std::tie(written->device, written->inode, written->size, written->modifiedNs, written->changedNs),
              std::tie(stamp->device, stamp->inode, stamp->size, stamp->modifiedNs, stamp->changedNs));

    // Nothing there: nothing to ask about.
    asked = 0;
    ASSERT_FALSE(writeFileAtomically(path("new.json"), "first", guard("", {})));
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(readFile(path("new.json")), "first");
}

TEST_F(AtomicFileTest, AStampSeesAnEditInPlaceWithItsTimePutBack) {
    writeFile(path(), "before");
    struct stat original{};
    ASSERT_EQ(::stat(path().c_str(), &original), 0);
    auto earlier = FileStamp::of(path());
    ASSERT_TRUE(earlier);
    earlier->settled = true;  // as if taken a while after the last change
    EXPECT_TRUE(FileStamp::of(path())->unchangedSince(*earlier));
    QThread::msleep(50);                // past the file system clock's tick
    writeFile(path(), "after!");  // the same size, the same file
    const timespec times[2] = {original.st_atim, original.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, path().c_str(), times, 0), 0);
    const auto now = FileStamp::of(path());
    EXPECT_EQ(std::tie(now->inode, now->size, now->modifiedNs),
              std::tie(earlier->inode, earlier->size, earlier->modifiedNs));
    EXPECT_FALSE(now->unchangedSince(*earlier));
    EXPECT_TRUE(now->unchangedSince(*earlier, true));  // as a rename alone would have left it
    EXPECT_FALSE(now->settled);  // changed moments ago
}

TEST_F(AtomicFileTest, OnlyTemporaryFilesOfOurOwnPatternAreCleared) {
    fakes::Installed<fakes::FakeClock, platform::Clock> clock;
    clock.seconds = secondsNow() + 10;  // every file was left a while ago
    const std::string killed = std::to_string(endedProcess());
    const QStringList stale = {QString::fromStdString(".orbel-save-" + killed + "-k2j3h4g5f6d7.tmp"),
                               QString::fromStdString(".orbel-save-" + killed + "-000000000000.tmp")};
    // A person's names, however alike, and names of ours bent out of shape.
    const QStringList kept = {"config.json", "config.json.1z141z3.tmp", "config.json.0.tmp", "config.json.2.tmp",
                              "config.json.old.tmp", "config.json.mine.tmp", "config.json.backup.tmp",
                              ".orbel-save-0-k2j3h4g5f6d7.tmp",
                              QString::fromStdString(".orbel-save-" + killed + "-K2J3H4G5F6D7.tmp"),
                              QString::fromStdString(".orbel-save-" + killed + "-k2j3h4.tmp"),
                              QString::fromStdString(".orbel-save-" + killed + "-k2j3h4g5f6d7.tmp.x")};
    for (const QString& name : stale + kept) writeFile(folder.filePath(name), "x");
    const QString dir = QString::fromStdString(".orbel-save-" + killed + "-d1d1d1d1d1d1.tmp");
    const QString link = QString::fromStdString(".orbel-save-" + killed + "-l1l1l1l1l1l1.tmp");
    QDir().mkpath(folder.filePath(dir));
    QFile::link(folder.filePath("config.json.0.tmp"), folder.filePath(link));
    writeFile(folder.filePath("sub/" + stale.front()), "x");
    removeStaleTemporaries(folder.path().toStdString());
    QStringList expected = kept + QStringList{dir, link, "sub"};
    expected.sort();
    EXPECT_EQ(files(), expected.join(' ').toStdString());
    EXPECT_TRUE(QFile::exists(folder.filePath("sub/" + stale.front())));
}

// A temporary file some save may still be writing stays: one changed
// moments ago, one its writer holds locked (another Orbel's save, in
// progress), and one of a running writer until it is an hour old.
TEST_F(AtomicFileTest, ASaveThatMayStillBeWrittenIsLeftAlone) {
    fakes::Installed<fakes::FakeClock, platform::Clock> clock;
    const std::string ended = path(saveTemporary(endedProcess()).c_str());
    const std::string running = path(saveTemporary(::getpid()).c_str());
    writeFile(ended, "killed");
    writeFile(running, "running");
    double lastChange = std::max(changedAt(ended), changedAt(running));
    const auto sweepAt = [&](double secondsAfter) {
        clock.seconds = lastChange + secondsAfter;
        removeStaleTemporaries(folder.path().toStdString());
        return std::make_pair(QFile::exists(QString::fromStdString(ended)),
                              QFile::exists(QString::fromStdString(running)));
    };
    EXPECT_EQ(sweepAt(1), std::make_pair(true, true));
    EXPECT_EQ(sweepAt(10), std::make_pair(false, true));

    writeFile(ended, "in progress");
    lastChange = changedAt(ended);
    const int writer = ::open(ended.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(::flock(writer, LOCK_EX), 0);
    EXPECT_EQ(sweepAt(2 * 3600), std::make_pair(true, false));
    ::close(writer);
    EXPECT_FALSE(sweepAt(2 * 3600).first);
}

// Settled by the project's clock: a stamp taken two seconds after the last
// change proves something, one taken a second after does not.
TEST_F(AtomicFileTest, AStampIsSettledByTheClock) {
    fakes::Installed<fakes::FakeClock, platform::Clock> clock;
    writeFile(path(), "x");
    clock.seconds = changedAt(path()) + 1;
    EXPECT_FALSE(FileStamp::of(path())->settled);
    clock.seconds = changedAt(path()) + 3;
    EXPECT_TRUE(FileStamp::of(path())->settled);
}

// Right after the file taken out was found unchanged, another program saves:
// its save lands on ours, already in place, and stays.
TEST_F(AtomicFileTest, ASaveLandingRightAfterTheCheckIsKept) {
    for (const bool inPlace : {false, true}) {
        SCOPED_TRACE(inPlace ? "in place" : "by rename");
        writeFile(path(), "seen");
        ReplaceGuard g;
        g.unchanged = [&](const std::string& replaced, bool) {
            const bool same = readFile(replaced) == "seen";
            if (inPlace) {
                writeFile(path(), "theirs");
            } else {
                writeFile(path("theirs"), "theirs");
                std::rename(path("theirs").c_str(), path().c_str());
            }
            return same;
        };
        EXPECT_FALSE(writeFileAtomically(path(), "ours", g));
        EXPECT_EQ(readFile(path()), "theirs");
        EXPECT_EQ(files(), "config.json");
    }
}

// Ours is put in place, another program's save was taken out, and a third
// one is written into ours before the swap back: the third is the newest.
TEST_F(AtomicFileTest, ASaveWrittenIntoOursBeforeTheSwapBackStays) {
    writeFile(path(), "seen");
    ReplaceGuard g = guard("seen", [&] { writeFile(path(), "theirs"); });
    const auto unchanged = g.unchanged;
    g.unchanged = [&](const std::string& replaced, bool swappedOut) {
        writeFile(path(), "third");
        return unchanged(replaced, swappedOut);
    };
    EXPECT_TRUE(writeFileAtomically(path(), "ours", g));
    EXPECT_TRUE(displaced);
    EXPECT_EQ(readFile(path()), "third");
    EXPECT_EQ(files(), "config.json");
}

// A file system that refuses to exchange two names (NFS, many FUSE mounts):
// the file there is asked about before the rename, and none is asked about
// where nothing is.
TEST_F(AtomicFileTest, WithoutAnExchangeTheFileIsCheckedBeforeItIsReplaced) {
    int refusals = 0;
    const auto withoutExchange = [&](ReplaceGuard g) {
        g.rename = [&](const char* from, const char* to, unsigned flags) {
            if (flags == 0) return std::rename(from, to);
            ++refusals;
            errno = EINVAL;
            return -1;
        };
        return g;
    };
    ASSERT_FALSE(writeFileAtomically(path(), "first", withoutExchange(guard("", {}))));
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(readFile(path()), "first");
    EXPECT_EQ(files(), "config.json");

    ASSERT_FALSE(writeFileAtomically(path(), "second", withoutExchange(guard("first", {}))));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(readFile(path()), "second");

    const auto failure =
        writeFileAtomically(path(), "ours", withoutExchange(guard("second", [&] { writeFile(path(), "theirs"); })));
    EXPECT_TRUE(failure && displaced);
    EXPECT_EQ(readFile(path()), "theirs");
    EXPECT_EQ(files(), "config.json");
    EXPECT_GE(refusals, 3);
}

// Neither renames with flags nor hard links (some FUSE and network mounts):
// a save still replaces the file once its bytes are checked, and a save of
// another program found there stays.
TEST_F(AtomicFileTest, WithoutFlagsOrLinksTheFileIsCheckedThenRenamed) {
    const auto bare = [&](ReplaceGuard g) {
        g.rename = [](const char* from, const char* to, unsigned flags) {
            return flags == 0 ? std::rename(from, to) : (errno = EINVAL, -1);
        };
        g.link = [](const char*, const char*) { return errno = EPERM, -1; };
        return g;
    };
    ASSERT_EQ(writeFileAtomically(path(), "first", bare(guard("", {}))), std::nullopt);
    ASSERT_EQ(writeFileAtomically(path(), "second", bare(guard("first", {}))), std::nullopt);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(readFile(path()), "second");
    EXPECT_TRUE(writeFileAtomically(path(), "ours", bare(guard("second", [&] { writeFile(path(), "theirs"); }))));
    EXPECT_TRUE(displaced);
    EXPECT_EQ(readFile(path()), "theirs");
    EXPECT_EQ(files(), "config.json");
}

// The other program's save cannot go back in place: it is kept under a name
// no start removes and no profile list shows, and the failure says where.
// The target's name may be as long as a file name can be.
TEST_F(AtomicFileTest, ASaveThatCannotBePutBackIsKeptAndToldWhere) {
    fakes::Installed<fakes::FakeClock, platform::Clock> clock;
    for (const std::string& name : {std::string("config.json"), std::string(245, 'x') + ".json"}) {
        SCOPED_TRACE(name.size());
        writeFile(path(name.c_str()), "seen");
        ReplaceGuard g = guard("seen", [&] { writeFile(path(name.c_str()), "theirs"); });
        int exchanges = 0;
        g.rename = [&](const char* from, const char* to, unsigned flags) {
            if (flags == RENAME_EXCHANGE && ++exchanges == 2) return errno = EIO, -1;
            return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, flags);
        };
        const auto failure = writeFileAtomically(path(name.c_str()), "ours", g);
        ASSERT_TRUE(failure);
        EXPECT_EQ(readFile(path(name.c_str())), "ours");
        QStringList others = QDir(folder.path()).entryList(QDir::Files | QDir::Hidden);
        others.removeAll(QString::fromStdString(name));
        ASSERT_EQ(others.size(), 1) << others.join(' ').toStdString();
        const QString kept = folder.filePath(others.front());
        EXPECT_FALSE(kept.endsWith(".json"));
        EXPECT_NE(failure->find(kept.toStdString()), std::string::npos) << *failure;
        EXPECT_EQ(readFile(kept.toStdString()), "theirs");

        clock.seconds = secondsNow() + 2 * 3600;
        removeStaleTemporaries(folder.path().toStdString());
        EXPECT_TRUE(QFile::exists(kept));
        QFile::remove(kept);
        QFile::remove(QString::fromStdString(path(name.c_str())));
    }
}

// The disk fails (read-only, I/O errors) once the new file is in place: the
// other program's save it took out cannot be put back, nor renamed. It is
// never left under a name a sweep removes, the write says where it is, and
// the new file, in place, counts as written. The same when a later save
// written into ours cannot be put in place.
TEST_F(AtomicFileTest, AnotherProgramsSaveIsNeverLeftWhereASweepRemovesIt) {
    fakes::Installed<fakes::FakeClock, platform::Clock> clock;
    const auto sweptLater = [&] {
        clock.seconds = secondsNow() + 2 * 3600;
        removeStaleTemporaries(folder.path().toStdString());
        EXPECT_EQ(clearInterruptedSaves(path()), std::vector<std::string>{});  // named once, already
    };
    for (const bool laterSave : {false, true}) {
        SCOPED_TRACE(laterSave ? "a later save written into ours" : "taken out");
        writeFile(path(), "seen");
        ReplaceGuard g = guard("seen", [&] { writeFile(path(), "theirs"); });
        if (laterSave) {
            const auto unchanged = g.unchanged;
            g.unchanged = [&, unchanged](const std::string& replaced, bool swappedOut) {
                writeFile(path(), "third");
                return unchanged(replaced, swappedOut);
            };
        }
        bool exchanged = false;
        g.rename = [&](const char* from, const char* to, unsigned flags) {
            if (exchanged && !(laterSave && flags == RENAME_EXCHANGE)) return errno = EROFS, -1;
            exchanged = exchanged || flags == RENAME_EXCHANGE;
            return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, flags);
        };
        std::optional<ReplaceGuard::KeptAside> kept;
        g.keptAside = &kept;
        const auto failure = writeFileAtomically(path(), "ours", g);
        ASSERT_TRUE(kept);
        EXPECT_EQ(kept->why, std::strerror(EROFS));
        EXPECT_EQ(readFile(kept->path), laterSave ? "third" : "theirs");
        EXPECT_EQ(readFile(path()), laterSave ? "theirs" : "ours");
        EXPECT_EQ(bool(failure), laterSave);
        sweptLater();
        EXPECT_EQ(readFile(kept->path), laterSave ? "third" : "theirs");
        QFile::remove(QString::fromStdString(kept->path));
        EXPECT_EQ(files(), "config.json");
    }
}

// A save of `bytes` over `target` by a process killed right before the
// exchange, or right after it (where the file taken out is asked about);
// `known` is what it knew the file to hold, and `theirs`, when given, another
// program's save landing right before the exchange.
void killedSave(const std::string& target, const char* bytes, const char* known, bool afterExchange,
                const std::string& theirs = {}) {
    const pid_t child = ::fork();
    if (child == 0) {
        ReplaceGuard g;
        g.known = known;
        g.beforeSwap = [&] {
            if (!theirs.empty()) writeFile(target, theirs);
            if (!afterExchange) ::_exit(0);
        };
        g.unchanged = [](const std::string&, bool) -> bool { ::_exit(0); };
        (void)writeFileAtomically(target, bytes, g);
        ::_exit(1);
    }
    int status = -1;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// Killed saves leave their files taken aside: a later start removes those
// holding Orbel's own bytes (its unfinished write, the file it knew it
// replaced) or what the target holds, and names every other one once, under
// a shorter name, leaving it where it is.
TEST_F(AtomicFileTest, FilesLeftAsideByKilledSavesAreClearedOrNamedOnce) {
    fakes::Installed<fakes::FakeClock, platform::Clock> clock;
    writeFile(path(), "seen");
    killedSave(path(), "unfinished", "seen", false);
    killedSave(path(), "ours", "seen", true);  // "seen" taken out
    killedSave(path(), "ours again", "ours", true, "theirs");
    writeFile(path("config.json.kept-a1b2c3"), "ours again");  // named earlier; its bytes are in config.json
    writeFile(path("config.json.kept-d4e5f6"), "named earlier");
    const auto kept = [&] { return QDir(folder.path()).entryList({"config.json.kept-*"}, QDir::Files).size(); };
    ASSERT_EQ(kept(), 5);
    ASSERT_EQ(readFile(path()), "ours again");

    clock.seconds = secondsNow() + 1;  // renamed moments ago: a save may still run
    EXPECT_TRUE(clearInterruptedSaves(path()).empty());
    EXPECT_EQ(kept(), 5);

    clock.seconds = secondsNow() + 10;
    const auto named = clearInterruptedSaves(path());
    ASSERT_EQ(named.size(), 1u);
    EXPECT_EQ(readFile(named.front()), "theirs");
    const QString name = QFileInfo(QString::fromStdString(named.front())).fileName();
    EXPECT_TRUE(QRegularExpression("^config\\.json\\.kept-[0-9a-z]{6}$").match(name).hasMatch()) << name.toStdString();
    QStringList expected{"config.json", "config.json.kept-d4e5f6", name};
    expected.sort();
    EXPECT_EQ(files(), expected.join(' ').toStdString());
    EXPECT_TRUE(clearInterruptedSaves(path()).empty());
    EXPECT_EQ(files(), expected.join(' ').toStdString());
}

// Where a server keeps the locks (NFS, SMB) an exclusive lock needs a
// descriptor open for writing: the sweep asks for a shared one, which its
// read-only descriptor can take, and still sees a writer's lock.
TEST_F(AtomicFileTest, TheSweepSeesAWritersLockWhereLocksNeedWriteAccess) {
    fakes::Installed<fakes::FakeClock, platform::Clock> clock;
    const std::string held = path(saveTemporary(endedProcess()).c_str());
    writeFile(held, "in progress");
    const int writer = ::open(held.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(::flock(writer, LOCK_EX), 0);
    const LockCall serverLocks = [](int fd, int operation) {
        if ((operation & LOCK_EX) && (::fcntl(fd, F_GETFL) & O_ACCMODE) == O_RDONLY) return errno = EBADF, -1;
        return ::flock(fd, operation);
    };
    clock.seconds = changedAt(held) + 2 * 3600;
    removeStaleTemporaries(folder.path().toStdString(), serverLocks);
    EXPECT_TRUE(QFile::exists(QString::fromStdString(held)));
    ::close(writer);
    removeStaleTemporaries(folder.path().toStdString(), serverLocks);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(held)));
}

}  // namespace
}  // namespace orbel::testing
