// Replacing a file whole: another program's save that lands at the very
// moment the new file takes its place is never lost, the stamp notices an
// edit in place whose time was put back, and what killed saves left behind
// is cleared.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>

#include "config/atomic_file.h"
#include "config_fixture.h"

namespace orbel::testing {
namespace {

class AtomicFileTest : public ::testing::Test {
protected:
    std::string path(const char* name = "config.json") const { return folder.filePath(name).toStdString(); }
    std::string files() const {
        QStringList names = QDir(folder.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
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
    const QStringList stale = {"config.json.1z141z3.tmp", "config.json.0.tmp"};
    const QStringList kept = {"config.json", "config.json.12345678.tmp", "config.json.AB.tmp", "config.json.ab.tmp.x",
                              "config.json.a-b.tmp", "other.json.ab.tmp", "xconfig.json.ab.tmp"};
    for (const QString& name : stale + kept) writeFile(folder.filePath(name), "x");
    QDir().mkpath(folder.filePath("config.json.dir.tmp"));
    QFile::link(folder.filePath("other.json.ab.tmp"), folder.filePath("config.json.link.tmp"));
    writeFile(folder.filePath("sub/config.json.ab.tmp"), "x");
    removeStaleTemporaries(path());
    QStringList expected = kept + QStringList{"config.json.dir.tmp", "config.json.link.tmp", "sub"};
    expected.sort();
    EXPECT_EQ(files(), expected.join(' ').toStdString());
    EXPECT_TRUE(QFile::exists(folder.filePath("sub/config.json.ab.tmp")));
}

}  // namespace
}  // namespace orbel::testing
