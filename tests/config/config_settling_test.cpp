// A config.json another program is still writing in place (truncated, a
// first piece, a pause, the rest): a start or a change made meanwhile never
// reads the half as a broken file, keeps no copy of it, tells nothing and
// writes nothing over it; once the file is quiet the other program's save is
// read, and a change made meanwhile is applied on top of it.
#include <gtest/gtest.h>

#include <QDir>
#include <utility>
#include <fcntl.h>
#include <unistd.h>

#include "config_fixture.h"
#include "fakes/fake_timers.h"

using namespace orbel;
using namespace orbel::testing;

namespace {

// Another program's save written in place through one descriptor, as an
// editor or a sync tool on a slow disk writes it.
class InPlaceWriter {
public:
    explicit InPlaceWriter(const std::string& path) : fd_(::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC)) {
        EXPECT_GE(fd_, 0);
    }
    ~InPlaceWriter() {
        if (fd_ >= 0) ::close(fd_);
    }
    void write(const std::string& bytes) { ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), ssize_t(bytes.size())); }
    // Starts again from the first byte, as a writer that saves twice does.
    void rewrite(const std::string& bytes) {
        ASSERT_EQ(::ftruncate(fd_, 0), 0);
        ASSERT_EQ(::pwrite(fd_, bytes.data(), bytes.size(), 0), ssize_t(bytes.size()));
    }

private:
    int fd_;
};

class SettlingTest : public ConfigFixture {
protected:
    ~SettlingTest() override { manager.reset(); }  // before the timers
    QStringList copies() const {
        return QDir(QString::fromStdString(dir())).entryList({"config.json.backup.*"}, QDir::Files);
    }
    // Lets the file be quiet for longer than any wait.
    void quiet() { timers.advance(std::chrono::seconds(10)); }

    // The start reads the first half of a save `padding` bytes longer: it
    // waits, and takes the whole save in once it is quiet.
    void startDuringAnInPlaceWrite(std::size_t padding) {
        writeFile(configPath(), withSnippets(1, "before").encodeDocument());
        const std::string outside = std::string(padding, ' ') + withSnippets(2, "outside").encodeDocument();
        {
            InPlaceWriter writer(configPath());
            writer.write(outside.substr(0, outside.size() / 2));
            live();
            EXPECT_TRUE(live().waitingForQuiet());
            EXPECT_FALSE(live().loadNotice());
            writer.write(outside.substr(outside.size() / 2));
        }
        quiet();
        EXPECT_FALSE(live().waitingForQuiet());
        EXPECT_EQ(firstSnippet(live().config()), "outside0");
        EXPECT_FALSE(live().loadNotice());
        EXPECT_EQ(copies(), QStringList());
        EXPECT_TRUE(readFile(configPath()) == outside);  // not written over
    }

    // Files' times are moments ago by the clock, which the timers move.
    bool now = (clock.seconds = secondsNow(), true);
    fakes::FakeTimers timers{&clock};
    fakes::ReplaceShared<platform::Timers> useTimers{timers};
};

}  // namespace

TEST_F(SettlingTest, AStartDuringAnInPlaceWriteTakesInTheWholeSave) { startDuringAnInPlaceWrite(0); }
TEST_F(SettlingTest, AStartDuringAnInPlaceWriteOf20MegabytesTakesInTheWholeSave) {
    startDuringAnInPlaceWrite(20'000'000);
}

// A change made while the save is half-written shows at once and is saved
// once the file is quiet, on top of the whole save.
TEST_F(SettlingTest, AChangeDuringAnInPlaceWriteLandsOnTheWholeSave) {
    writeFile(configPath(), withSnippets(1, "before").encodeDocument());
    ASSERT_EQ(firstSnippet(live().config()), "before0");
    const std::string outside = withSnippets(3, "outside").encodeDocument();
    {
        InPlaceWriter writer(configPath());
        writer.write(outside.substr(0, outside.size() / 2));
        ASSERT_FALSE(live().change([](AppConfig& c) { c.showInTray = false; }));
        ASSERT_FALSE(live().change([](AppConfig& c) { c.menuRadius = 222; }));
        EXPECT_FALSE(live().config().showInTray);
        EXPECT_EQ(live().config().menuRadius, 222);
        EXPECT_EQ(readFile(configPath()), outside.substr(0, outside.size() / 2));
        writer.write(outside.substr(outside.size() / 2));
    }
    quiet();
    EXPECT_EQ(firstSnippet(live().config()), "outside0");
    EXPECT_FALSE(live().config().showInTray);
    EXPECT_EQ(live().config().menuRadius, 222);
    EXPECT_EQ(readFile(configPath()), live().config().encodeDocument());
    EXPECT_FALSE(live().loadNotice());
    EXPECT_EQ(copies(), QStringList());
}

// A file still broken once it is quiet is kept and told, as at any start.
TEST_F(SettlingTest, AFileStillBrokenOnceQuietIsKeptAndTold) {
    ASSERT_FALSE(live().change([](AppConfig& c) { c.menuRadius = 220; }));
    writeFile(configPath(), "{broken");
    ASSERT_FALSE(live().change([](AppConfig& c) { c.menuRadius = 230; }));
    EXPECT_FALSE(live().loadNotice());
    quiet();
    ASSERT_TRUE(live().loadNotice());
    EXPECT_EQ(live().loadNotice()->kind, ConfigManager::LoadNotice::Kind::rejected);
    EXPECT_EQ(copies().size(), 1);
    EXPECT_EQ(live().config().menuRadius, 230);
}

// The file the exchange takes out changed moments ago: it is put back, even
// when it holds what was last read, because its writer may still be writing
// into it.
TEST_F(SettlingTest, AFileTakenOutWhileItIsWrittenIsPutBack) {
    writeFile(configPath(), withSnippets(1, "before").encodeDocument());
    const std::string known = readFile(configPath());
    ASSERT_EQ(firstSnippet(live().config()), "before0");
    std::unique_ptr<InPlaceWriter> writer;
    bool started = false;
    live().setBeforeReplaceHookForTests([&] {
        if (std::exchange(started, true)) return;
        writer = std::make_unique<InPlaceWriter>(configPath());
        writer->write(known);  // the same bytes, for now
    });
    ASSERT_FALSE(live().change([](AppConfig& c) { c.showInTray = false; }));
    const std::string outside = withSnippets(2, "outside").encodeDocument();
    writer->rewrite(outside);
    writer.reset();
    quiet();
    EXPECT_EQ(firstSnippet(live().config()), "outside0");
    EXPECT_FALSE(live().config().showInTray);
    EXPECT_EQ(readFile(configPath()), live().config().encodeDocument());
}
