// A config.json another program is still writing in place (truncated, a
// first piece, a pause, the rest): a start or a change made meanwhile never
// reads the half as a broken file, keeps no copy of it, tells nothing and
// writes nothing over it; once the file is quiet the other program's save is
// read, and a change made meanwhile is applied on top of it.
#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <cmath>
#include <utility>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "config_fixture.h"
#include "fakes/fake_timers.h"
#include "model/json.h"

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

    // Sets config.json's times to the clock's now, as `touch` does.
    void touch() {
        const double at = clock.seconds;
        const timespec t{time_t(at), long(std::fmod(at, 1.0) * 1e9)};
        const timespec times[2] = {t, t};
        ASSERT_EQ(::utimensat(AT_FDCWD, configPath().c_str(), times, 0), 0);
    }
    // A root group of four snippets, then config.json's times or mode
    // changed by `sameBytes` (its bytes stay): the changes a user makes
    // meanwhile are each saved once, onto what the file holds, in order.
    void changesAfterSameBytes(const std::function<void()>& sameBytes) {
        writeFile(configPath(), withSnippets(4).encodeDocument());
        ASSERT_EQ(live().config().rootGroup.slots.size(), 4u);
        sameBytes();
        ASSERT_FALSE(live().change([](AppConfig& c) { c.showInTray = false; }));
        ASSERT_FALSE(live().change([](AppConfig& c) { c.rootGroup.slots.erase(c.rootGroup.slots.begin()); }));
        ASSERT_FALSE(live().addSlot(SlotConfig::make(SlotType::snippet("added"), "added")));
        ASSERT_FALSE(live().swapSlots(0, 1));
        EXPECT_TRUE(live().waitingForQuiet());
        AppConfig expected = withSnippets(4);
        expected.showInTray = false;
        auto& slots = expected.rootGroup.slots;
        slots.erase(slots.begin());
        slots.push_back(SlotConfig::make(SlotType::snippet("added"), "added"));
        std::swap(slots[0], slots[1]);
        const std::string shown = live().config().encodeDocument();
        quiet();
        EXPECT_FALSE(live().waitingForQuiet());
        EXPECT_EQ(readFile(configPath()), expected.encodeDocument());
        EXPECT_EQ(live().config().encodeDocument(), readFile(configPath()));
        EXPECT_EQ(shown, readFile(configPath()));
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

TEST_F(SettlingTest, ChangesAfterATouchAreSavedOnceOntoTheSameBytes) { changesAfterSameBytes([this] { touch(); }); }
TEST_F(SettlingTest, ChangesAfterAChmodAreSavedOnceOntoTheSameBytes) {
    changesAfterSameBytes([this] { ASSERT_EQ(::chmod(configPath().c_str(), 0600), 0); });
}
TEST_F(SettlingTest, ChangesAfterASameBytesRewriteAreSavedOnceOntoThem) {
    changesAfterSameBytes([this] {
        const std::string bytes = readFile(configPath());
        InPlaceWriter(configPath()).write(bytes);
    });
}

// Another program's save that reads fine at every moment, written twice in
// place: a change made between its writes waits, and lands on the last.
TEST_F(SettlingTest, AChangeDuringASaveThatReadsFineThroughoutLandsOnItsLastWrite) {
    writeFile(configPath(), withSnippets(1, "before").encodeDocument());
    ASSERT_EQ(firstSnippet(live().config()), "before0");
    {
        InPlaceWriter writer(configPath());
        writer.write(withSnippets(2, "first").encodeDocument());
        ASSERT_FALSE(live().change([](AppConfig& c) { c.menuRadius = 222; }));
        writer.rewrite(withSnippets(3, "last").encodeDocument());
    }
    quiet();
    EXPECT_EQ(firstSnippet(live().config()), "last0");
    EXPECT_EQ(live().config().rootGroup.slots.size(), 3u);
    EXPECT_EQ(live().config().menuRadius, 222);
    EXPECT_EQ(readFile(configPath()), live().config().encodeDocument());
}

// A change made while the waiting ones are saved (here by a notice the
// saving brings) comes after them.
TEST_F(SettlingTest, AChangeMadeWhileTheQueueIsSavedComesAfterIt) {
    writeFile(configPath(), withSnippets(1, "before").encodeDocument());
    live();
    writeFile(configPath(), withSnippets(7, "outside").encodeDocument());  // cut and told once read
    ASSERT_FALSE(live().change([](AppConfig& c) { c.menuRadius = 210; }));
    QObject::connect(
        &live(), &ConfigManager::loadNoticeChanged, &live(),
        [this] { EXPECT_FALSE(live().change([](AppConfig& c) { c.menuRadius = 230; })); },
        Qt::SingleShotConnection);
    quiet();
    EXPECT_FALSE(live().waitingForQuiet());
    EXPECT_EQ(live().config().menuRadius, 230);
    EXPECT_EQ(live().config().rootGroup.slots.size(), 6u);
    EXPECT_EQ(firstSnippet(live().config()), "outside0");
    EXPECT_EQ(readFile(configPath()), live().config().encodeDocument());
}

// A file touched every half second, as a sync tool does: a change waits no
// longer than the longest wait, then is saved, onto the same bytes; a start
// on a broken file that keeps being touched judges it then.
TEST_F(SettlingTest, TheWaitEndsWhateverTheFileDoes) {
    const auto touchedUntil = [this](const std::function<bool()>& done) {
        const double from = clock.seconds;
        while (!done() && clock.seconds < from + 60) {
            touch();
            timers.advance(std::chrono::milliseconds(500));
        }
        return clock.seconds - from;
    };
    writeFile(configPath(), withSnippets(2).encodeDocument());
    live();
    touch();
    ASSERT_FALSE(live().change([](AppConfig& c) { c.showInTray = false; }));
    const double saved = touchedUntil([&] { return readFile(configPath()).find("\"showInTray\" : false") != std::string::npos; });
    EXPECT_LE(saved, ConfigManager::kLongestWaitSeconds + 0.5);
    EXPECT_FALSE(live().waitingForQuiet());
    EXPECT_EQ(live().config().rootGroup.slots.size(), 2u);

    manager.reset();
    writeFile(configPath(), "{\"menu\": [");
    touch();
    QSignalSpy settled(&live(), &ConfigManager::settled);
    ASSERT_TRUE(live().waitingForQuiet());
    touchedUntil([&] { return !settled.isEmpty(); });
    EXPECT_FALSE(live().waitingForQuiet());
    ASSERT_TRUE(live().loadNotice());
    EXPECT_EQ(live().loadNotice()->kind, ConfigManager::LoadNotice::Kind::rejected);
    EXPECT_EQ(copies().size(), 1);
}

// Quitting, or the manager going, while a change waits writes it.
TEST_F(SettlingTest, AChangeStillWaitingIsWrittenWhenTheWaitIsEnded) {
    writeFile(configPath(), withSnippets(2).encodeDocument());
    live();
    touch();
    ASSERT_FALSE(live().change([](AppConfig& c) { c.menuRadius = 215; }));
    ASSERT_TRUE(live().waitingForQuiet());
    live().finishWaiting();
    EXPECT_FALSE(live().waitingForQuiet());
    EXPECT_EQ(readFile(configPath()), live().config().encodeDocument());
    EXPECT_EQ(live().config().menuRadius, 215);

    touch();
    ASSERT_FALSE(live().change([](AppConfig& c) { c.menuRadius = 225; }));
    manager.reset();
    EXPECT_EQ(make()->config().menuRadius, 225);
}

// A link that leads nowhere, or in a loop, is nothing being written: at a
// start it is kept aside and told at once, and never looked at again and
// again; when its target goes while Orbel runs, a change is told as not
// saved at once.
TEST_F(SettlingTest, ALinkThatLeadsNowhereIsJudgedAtOnce) {
    const auto judged = [this](const char* why) {
        EXPECT_FALSE(live().waitingForQuiet());
        EXPECT_EQ(timers.pending(), 0u);
        ASSERT_TRUE(live().loadNotice());
        EXPECT_EQ(live().loadNotice()->kind, ConfigManager::LoadNotice::Kind::unreadable);
        EXPECT_NE(live().loadNotice()->reason.find(why), std::string::npos) << live().loadNotice()->reason;
        ASSERT_TRUE(live().loadNotice()->keptAt);
        EXPECT_TRUE(QFileInfo(QString::fromStdString(*live().loadNotice()->keptAt)).isSymLink());
        manager.reset();
        for (const QString& copy : copies()) QFile::remove(QString::fromStdString(dir()) + "/" + copy);
    };
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(dir())));
    ASSERT_EQ(::symlink((dir() + "/gone/config.json").c_str(), configPath().c_str()), 0);
    live();
    judged("which does not exist");
    QFile::remove(QString::fromStdString(configPath()));
    ASSERT_EQ(::symlink(configPath().c_str(), configPath().c_str()), 0);
    live();
    judged("leads back to itself");

    QFile::remove(QString::fromStdString(configPath()));
    writeFile(dir() + "/target.json", withSnippets(2).encodeDocument());
    ASSERT_EQ(::symlink((dir() + "/target.json").c_str(), configPath().c_str()), 0);
    ASSERT_EQ(live().config().rootGroup.slots.size(), 2u);
    QFile::remove(QString::fromStdString(dir() + "/target.json"));
    // A click then leaves the link a link: not saved, and told why.
    const auto refused = live().change([](AppConfig& c) { c.menuRadius = 205; });
    ASSERT_TRUE(refused);
    EXPECT_NE(std::string(refused->what()).find(dir() + "/target.json, which does not exist"), std::string::npos)
        << refused->what();
    EXPECT_TRUE(QFileInfo(QString::fromStdString(configPath())).isSymLink());
    EXPECT_NE(live().config().menuRadius, 205);
    EXPECT_EQ(live().config().rootGroup.slots.size(), 2u);
    EXPECT_EQ(timers.pending(), 0u);
}

// Another program writing config.json in place for longer than any wait, a
// piece a second: once the wait is over, a start or a click keeps that file
// aside under the name it tells, and the program's later writes land there;
// nothing of its save is lost, and a click is saved onto the dial in use.
TEST_F(SettlingTest, ASaveLongerThanTheWaitEndsWholeInAFileThatIsTold) {
    const auto slowSave = [this](bool click) {
        writeFile(configPath(), withSnippets(1, "before").encodeDocument());
        if (click) {
            ASSERT_EQ(firstSnippet(live().config()), "before0");
        }
        const std::string outside = withSnippets(3, "outside").encodeDocument();
        const std::size_t piece = outside.size() / 10 + 1;
        InPlaceWriter writer(configPath());
        std::size_t done = 0;
        const auto writeOn = [&] {
            writer.write(outside.substr(done, piece));
            done = std::min(outside.size(), done + piece);
            touch();
        };
        writeOn();
        if (click) {
            ASSERT_FALSE(live().change([](AppConfig& c) { c.menuRadius = 233; }));
        }
        ASSERT_TRUE(live().waitingForQuiet());
        while (live().waitingForQuiet() && done < outside.size()) {
            timers.advance(std::chrono::seconds(1));
            writeOn();
        }
        EXPECT_FALSE(live().waitingForQuiet());
        while (done < outside.size()) writeOn();
        ASSERT_TRUE(live().loadNotice());
        ASSERT_TRUE(live().loadNotice()->keptAt);
        EXPECT_EQ(readFile(*live().loadNotice()->keptAt), outside);
        EXPECT_EQ(readFile(configPath()), live().config().encodeDocument());
    };
    slowSave(false);
    EXPECT_EQ(live().config().rootGroup.slots.size(), AppConfig::defaultConfig().rootGroup.slots.size());
    manager.reset();
    slowSave(true);
    EXPECT_EQ(firstSnippet(live().config()), "before0");
    EXPECT_EQ(live().config().menuRadius, 233);
}

// Quitting while a click waits on a file just broken: the click is saved
// onto the dial in use, the broken bytes are kept, and the next start names
// the copy.
TEST_F(SettlingTest, AQuitOnABrokenFileKeepsItAndTheNextStartNamesTheCopy) {
    writeFile(configPath(), withSnippets(2, "mine").encodeDocument());
    live();
    writeFile(configPath(), "{\"menu\": [");
    touch();
    ASSERT_FALSE(live().change([](AppConfig& c) { c.menuRadius = 215; }));
    ASSERT_TRUE(live().waitingForQuiet());
    manager.reset();
    ASSERT_EQ(copies().size(), 1);
    const std::string copy = dir() + "/" + copies()[0].toStdString();
    EXPECT_EQ(readFile(copy), "{\"menu\": [");
    ASSERT_EQ(firstSnippet(live().config()), "mine0");
    EXPECT_EQ(live().config().menuRadius, 215);
    ASSERT_TRUE(live().loadNotice());
    EXPECT_EQ(live().loadNotice()->keptAt, copy);
    EXPECT_TRUE(live().loadNotice()->keptInUse);
    live().clearLoadNotice();  // answered
    manager.reset();
    EXPECT_FALSE(live().loadNotice());  // told once
}

// While a profile switch waits for the file to be quiet, everything that
// reads the active profile already sees it.
TEST_F(SettlingTest, AProfileSwitchThatWaitsIsInForceAtOnce) {
    live().storeProfile(withSnippets(1, "home"), "Home");
    live().storeProfile(withSnippets(1, "work"), "Work");
    live().switchToProfile("Home");
    touch();
    live().switchToProfile("Work");
    ASSERT_TRUE(live().waitingForQuiet());
    EXPECT_EQ(live().activeProfile(), "Work");
    EXPECT_THROW(live().deleteProfile("Work"), ProfileMutationError);
    quiet();
    EXPECT_EQ(live().activeProfile(), "Work");
    EXPECT_EQ(firstSnippet(live().config()), "work0");
    EXPECT_EQ(readFile(configPath()), live().config().encodeDocument());
}

// The longest wait is measured on the monotonic clock: a wall clock set
// back while a sync tool keeps touching the file does not hold it.
TEST_F(SettlingTest, AWallClockSteppedBackDoesNotHoldTheWait) {
    struct SteppedClock : fakes::FakeClock {
        double back = 0;
        double secondsSince1970() const override { return seconds - back; }
    } stepped;
    stepped.seconds = clock.seconds;
    fakes::ReplaceShared<platform::Clock> useStepped{stepped};
    fakes::FakeTimers steppedTimers{&stepped};
    fakes::ReplaceShared<platform::Timers> useSteppedTimers{steppedTimers};
    const auto touchNow = [&] {
        const double at = stepped.secondsSince1970();
        const timespec t{time_t(at), long(std::fmod(at, 1.0) * 1e9)};
        const timespec times[2] = {t, t};
        ASSERT_EQ(::utimensat(AT_FDCWD, configPath().c_str(), times, 0), 0);
    };
    writeFile(configPath(), withSnippets(2).encodeDocument());
    live();
    touchNow();
    ASSERT_FALSE(live().change([](AppConfig& c) { c.menuRadius = 240; }));
    // The wall clock is set back as fast as it goes: by it, no time passes.
    const double from = stepped.seconds;
    while (live().waitingForQuiet() && stepped.seconds < from + 60) {
        touchNow();
        steppedTimers.advance(std::chrono::milliseconds(500));
        stepped.back += 0.5;
    }
    EXPECT_LE(stepped.seconds - from, ConfigManager::kLongestWaitSeconds + 0.5);
    EXPECT_EQ(make()->config().menuRadius, 240);
    manager.reset();
}

// Orbel's own save moments ago is no other program's: a second click right
// after the first is saved at once.
TEST_F(SettlingTest, AClickRightAfterOrbelsOwnSaveIsSavedAtOnce) {
    writeFile(configPath(), withSnippets(2).encodeDocument());
    ASSERT_FALSE(live().change([](AppConfig& c) { c.menuRadius = 211; }));
    ASSERT_FALSE(live().change([](AppConfig& c) { c.menuRadius = 212; }));
    EXPECT_FALSE(live().waitingForQuiet());
    EXPECT_EQ(readFile(configPath()), live().config().encodeDocument());
    EXPECT_EQ(live().config().menuRadius, 212);
}

// A save that reads whole at every moment but is rewritten in place past
// the longest wait: the click is carried onto it, and the file the exchange
// takes out is kept aside and told, so that the program's next write is
// not lost in a file with no name.
TEST_F(SettlingTest, ASaveStillRewrittenOnceTheWaitIsOverIsKeptAsideNotDeleted) {
    writeFile(configPath(), withSnippets(1, "before").encodeDocument());
    ASSERT_EQ(firstSnippet(live().config()), "before0");
    InPlaceWriter writer(configPath());
    writer.rewrite(withSnippets(2, "outside").encodeDocument());
    touch();
    ASSERT_FALSE(live().change([](AppConfig& c) { c.menuRadius = 244; }));
    for (int i = 0; i < 20 && live().waitingForQuiet(); ++i) {
        timers.advance(std::chrono::milliseconds(500));
        if (live().waitingForQuiet()) {
            writer.rewrite(withSnippets(2, "outside").encodeDocument());
            touch();
        }
    }
    ASSERT_FALSE(live().waitingForQuiet());
    EXPECT_EQ(firstSnippet(live().config()), "outside0");
    EXPECT_EQ(live().config().menuRadius, 244);
    EXPECT_EQ(readFile(configPath()), live().config().encodeDocument());
    const QStringList kept = QDir(QString::fromStdString(dir())).entryList({"config.json.kept-*"}, QDir::Files);
    ASSERT_EQ(kept.size(), 1);
    // Told once what it holds is more than Orbel knew.
    const std::string last = withSnippets(3, "last").encodeDocument();
    writer.rewrite(last);
    quiet();
    ASSERT_TRUE(live().loadNotice());
    ASSERT_TRUE(live().loadNotice()->keptAt);
    EXPECT_EQ(readFile(*live().loadNotice()->keptAt), last);
}

// A sync tool that only touches the file: what the exchange took out while
// it was touched is Orbel's own bytes, removed once quiet, and nothing is told.
TEST_F(SettlingTest, AFileOnlyTouchedPastTheWaitIsNotToldAndLeavesNothing) {
    writeFile(configPath(), withSnippets(2).encodeDocument());
    live();
    touch();
    ASSERT_FALSE(live().change([](AppConfig& c) { c.menuRadius = 248; }));
    for (int i = 0; i < 20 && live().waitingForQuiet(); ++i) {
        timers.advance(std::chrono::milliseconds(500));
        touch();
    }
    ASSERT_FALSE(live().waitingForQuiet());
    quiet();
    EXPECT_FALSE(live().loadNotice());
    EXPECT_EQ(QDir(QString::fromStdString(dir())).entryList({"config.json.*"}, QDir::Files), QStringList());
    EXPECT_EQ(make()->config().menuRadius, 248);
}

// Reload while a click waits carries the click onto what it reads.
TEST_F(SettlingTest, AReloadWhileAClickWaitsCarriesTheClick) {
    writeFile(configPath(), withSnippets(1, "before").encodeDocument());
    live();
    touch();
    ASSERT_FALSE(live().change([](AppConfig& c) { c.menuRadius = 236; }));
    ASSERT_TRUE(live().waitingForQuiet());
    writeFile(configPath(), withSnippets(2, "outside").encodeDocument());
    clock.seconds += FileStamp::kSettleSeconds + 1;  // quiet, before the wait's timer has run
    ASSERT_TRUE(live().load());
    EXPECT_FALSE(live().waitingForQuiet());
    EXPECT_EQ(firstSnippet(live().config()), "outside0");
    EXPECT_EQ(live().config().menuRadius, 236);
    EXPECT_EQ(readFile(configPath()), live().config().encodeDocument());
}

// What is taken out of config.json's place or kept aside is accounted for,
// whenever Orbel meets another program's save: a writer that pauses past the
// settle time in the middle of its save ends whole in the file Orbel names.
TEST_F(SettlingTest, AWriterPausingInTheMiddleEndsWholeInTheFileThatIsTold) {
    enum class Moment { start, click, reload, endOfWait };
    for (const Moment moment : {Moment::start, Moment::click, Moment::reload, Moment::endOfWait}) {
        SCOPED_TRACE(int(moment));
        startOver();
        writeFile(configPath(), withSnippets(1, "mine").encodeDocument());
        if (moment != Moment::start) live();
        if (moment == Moment::endOfWait) {
            touch();
            ASSERT_FALSE(live().change([](AppConfig& c) { c.menuRadius = 230; }));
        }
        const std::string outside = withSnippets(3, "outside").encodeDocument();
        InPlaceWriter writer(configPath());
        writer.write(outside.substr(0, outside.size() / 2));
        quiet();  // the pause
        if (moment == Moment::start) live();
        if (moment == Moment::click) {
            ASSERT_FALSE(live().change([](AppConfig& c) { c.menuRadius = 230; }));
        }
        if (moment == Moment::reload) live().load();
        writer.write(outside.substr(outside.size() / 2));
        ASSERT_TRUE(live().loadNotice() && live().loadNotice()->keptAt);
        EXPECT_EQ(readFile(*live().loadNotice()->keptAt), outside);
    }
}

// Across a quit: a file kept aside because it was still changing is removed
// by the next start when it holds only what Orbel accounted for, and told by
// name when its writer saved into it after the quit; a change refused at the
// quit is told then too.
TEST_F(SettlingTest, WhatAQuitLeftIsRemovedOrToldByTheNextStart) {
    using Kind = ConfigManager::LoadNotice::Kind;
    const std::string last = withSnippets(3, "last").encodeDocument();
    struct Row {
        const char* name;
        bool writesAfterTheQuit;  // an endless autosave, else a sync tool rewriting the same bytes
        bool radiusToo;           // the other program changed what the user changes
        std::optional<Kind> told;
        bool destroyed = false;   // the manager is destroyed at the quit too
    };
    for (const Row& row : {Row{"sync tool", false, false, std::nullopt}, Row{"endless autosave", true, false, Kind::keptAside},
                           Row{"both changed the radius", false, true, Kind::notSaved},
                           Row{"endless autosave, Orbel's manager destroyed", true, false, Kind::keptAside, true}}) {
        SCOPED_TRACE(row.name);
        startOver();
        writeFile(configPath(), withSnippets(1, "mine").encodeDocument());
        live();
        AppConfig saved = withSnippets(2, "theirs");
        if (row.radiusToo) saved.menuRadius = 250;
        InPlaceWriter writer(configPath());
        writer.rewrite(saved.encodeDocument());
        touch();
        ASSERT_FALSE(live().change([](AppConfig& c) { c.menuRadius = 215; }));
        live().finishWaiting();  // the quit: the application ends, its manager with it, never destroyed
        if (row.destroyed) manager.reset();
        writer.rewrite(row.writesAfterTheQuit ? last : saved.encodeDocument());
        clock.seconds += 10;
        const auto next = make();
        const auto kept = QDir(QString::fromStdString(dir())).entryList({"config.json.kept-*"}, QDir::Files);
        EXPECT_EQ(kept.size(), row.writesAfterTheQuit ? 1 : 0);
        EXPECT_EQ(next->loadNotice().has_value(), row.told.has_value());
        if (!row.told || !next->loadNotice()) continue;
        EXPECT_EQ(next->loadNotice()->kind, *row.told);
        if (row.writesAfterTheQuit) {
            EXPECT_EQ(readFile(*next->loadNotice()->keptAt), last);
        }
    }
}

// Every write that replaces the configuration keeps another program's save
// it has not read: in the profile switched from (also the "Default" a first
// switch stores, and while a notice waits), or aside and told.
TEST_F(SettlingTest, AReplacingWriteKeepsAnotherProgramsSave) {
    const std::string theirs = withSnippets(2, "theirs").encodeDocument();
    struct Row {
        const char* name;
        std::optional<std::string> active;
        int slotsAtStart;  // seven leave a notice waiting
        bool restore;      // else a switch
        std::string keptIn;  // a profile, or "" for a file told of
    };
    for (const Row& row : {Row{"first switch", std::nullopt, 1, false, "Default"},
                           Row{"switch with a notice waiting", "Home", 7, false, "Home"},
                           Row{"restore by replace", std::nullopt, 1, true, ""}}) {
        SCOPED_TRACE(row.name);
        startOver();
        defaults.remove(ConfigManager::kActiveProfileKey);
        writeFile(configPath(), withSnippets(row.slotsAtStart, "mine").encodeDocument());
        if (row.active) activate(*row.active);
        live().storeProfile(withSnippets(1, "work"), "Work");
        if (row.active) live().storeProfile(withSnippets(1, "mine"), *row.active);
        ASSERT_EQ(live().loadNotice().has_value(), row.slotsAtStart > 6);
        writeFile(configPath(), theirs);
        quiet();
        if (row.restore) {
            ASSERT_FALSE(live().applyConfig(withSnippets(1, "restored")));
        } else {
            live().switchToProfileKeepingLive("Work");
        }
        EXPECT_EQ(firstSnippet(live().config()), row.restore ? "restored0" : "work0");
        if (!row.keptIn.empty()) {
            EXPECT_EQ(readFile(profilePath(row.keptIn)), theirs);
            continue;
        }
        ASSERT_TRUE(live().loadNotice() && live().loadNotice()->keptAt);
        EXPECT_EQ(readFile(*live().loadNotice()->keptAt), theirs);
    }
}

// Changes waiting for a quiet file, then a switch or a Reload: edits made
// before a switch reach the profile switched from; a switch not saved puts
// back the dial and the active profile; Reload of a file that cannot be used
// ends with the stand-in, and the changes are told as not saved.
TEST_F(SettlingTest, ASwitchOrReloadWhileChangesWaitIsAllOrNothing) {
    struct Row {
        const char* name;
        bool switches, saveFails, brokenFile;
        std::string dial, active;
        int homeRadius, refusals;
    };
    const int radius = AppConfig().menuRadius;
    for (const Row& row : {Row{"edit then switch", true, false, false, "work0", "Work", 230, 0},
                           Row{"switch not saved", true, true, false, "home0", "Home", 230, 1},
                           Row{"Reload of a broken file", false, false, true, "home0", "Home", radius, 1}}) {
        SCOPED_TRACE(row.name);
        startOver();
        live().storeProfile(withSnippets(1, "home"), "Home");
        live().storeProfile(withSnippets(1, "work"), "Work");
        live().switchToProfile("Home");
        QSignalSpy refused(&live(), &ConfigManager::saveRefused);
        if (row.brokenFile) writeFile(configPath(), "{\"menu\": [");
        touch();
        ASSERT_FALSE(live().change([](AppConfig& c) { c.menuRadius = 230; }));
        if (row.switches) live().switchToProfile("Work");
        if (row.brokenFile) live().load();
        if (row.saveFails) live().setRenameForTests([](const char*, const char*, unsigned) { return errno = EIO, -1; });
        quiet();
        EXPECT_EQ(firstSnippet(live().config()), row.dial);
        EXPECT_EQ(live().activeProfile(), row.active);
        EXPECT_EQ(live().profileStore().load("Home").menuRadius, row.homeRadius);
        EXPECT_EQ(refused.size(), row.refusals);
    }
}

namespace {

json::Json keptEntry(const std::string& of, const std::string& path, const std::string& bytes) {
    const auto digest = QCryptographicHash::hash(QByteArray::fromStdString(bytes), QCryptographicHash::Sha256).toHex();
    return {{"of", of}, {"path", path}, {"size", bytes.size()}, {"digest", digest.toStdString()}};
}

}  // namespace

// The record of what is kept aside is read as untrusted input: an entry
// Orbel would not write is dropped and the start goes on; a file is removed
// only under Orbel's kept name beside config.json; a kept file is compared
// with the whole of config.json.
TEST_F(SettlingTest, TheRecordOfWhatIsKeptAsideActsOnlyOnOrbelsOwnFiles) {
    const std::string mine = withSnippets(2, "mine").encodeDocument();
    const std::string outside = QDir::cleanPath(QString::fromStdString(dir() + "/../config-copy.json")).toStdString();
    struct Row {
        const char* name;
        std::string file;  // what the entry names, holding config.json's bytes
        std::function<void(json::Json&)> spoil;
        bool removed;
    };
    const auto none = [](json::Json&) {};
    for (const Row& row : {Row{"\"of\": 5", "/config.json.kept-a1", [](json::Json& e) { e["of"] = 5; }, false},
                           Row{"\"size\": \"big\"", "/config.json.kept-a1", [](json::Json& e) { e["size"] = "big"; }, false},
                           Row{"\"path\": 5", "/config.json.kept-a1", [](json::Json& e) { e["path"] = 5; }, false},
                           Row{"config.json itself", "/config.json", none, false},
                           Row{"a profile", "/profiles/Work.json", none, false},
                           Row{"a file outside the folder", "", none, false},
                           Row{"a kept name beside config.json", "/config.json.kept-a1", none, true}}) {
        SCOPED_TRACE(row.name);
        startOver();
        const std::string file = row.file.empty() ? outside : dir() + row.file;
        QDir().mkpath(QFileInfo(QString::fromStdString(file)).absolutePath());
        writeFile(configPath(), mine);
        writeFile(file, mine);
        json::Json entry = keptEntry(configPath(), file, mine);
        row.spoil(entry);
        defaults.setString("orbel.keptAside", json::Json::array({entry}).dump());
        clock.seconds = secondsNow() + 10;
        for (int start = 1; start <= 2; ++start) {
            SCOPED_TRACE(start);
            manager.reset();
            manager = make();
            EXPECT_EQ(firstSnippet(live().config()), "mine0");
        }
        EXPECT_EQ(readFile(file), row.removed ? "<missing>" : mine);
        EXPECT_EQ(readFile(configPath()), mine);
        EXPECT_FALSE(defaults.string("orbel.keptAside"));  // dropped, or settled
        QFile::remove(QString::fromStdString(outside));
    }

    // Two kept files, the first smaller than config.json: the second holds
    // exactly what config.json holds, and is Orbel's to remove too.
    manager.reset();
    writeFile(dir() + "/config.json.kept-s1", "{}");
    writeFile(dir() + "/config.json.kept-s2", mine);
    defaults.setString("orbel.keptAside",
                       json::Json::array({keptEntry(configPath(), dir() + "/config.json.kept-s1", "{}"),
                                          keptEntry(configPath(), dir() + "/config.json.kept-s2", "other")})
                           .dump());
    EXPECT_FALSE(live().loadNotice());
    EXPECT_EQ(readFile(dir() + "/config.json.kept-s2"), "<missing>");
}

// What is to be told lasts until the user has answered it, one notice at a
// time: a refusal on screen when the session quits and a start's notices
// left unanswered are told by the next start; many kept files that came to
// hold other saves are one notice.
TEST_F(SettlingTest, ANoticeLastsUntilItIsAnsweredAndComesOneAtATime) {
    using Kind = ConfigManager::LoadNotice::Kind;
    struct Row {
        const char* name;
        std::function<void()> firstRun;  // what leaves notices
        std::vector<Kind> told;          // at each next start, in order
    };
    const auto refusalOnScreen = [this] {
        writeFile(configPath(), withSnippets(1, "mine").encodeDocument());
        AppConfig theirs = withSnippets(2, "theirs");
        theirs.menuRadius = 250;
        live();
        InPlaceWriter(configPath()).rewrite(theirs.encodeDocument());
        touch();
        ASSERT_FALSE(live().change([](AppConfig& c) { c.menuRadius = 215; }));
        quiet();
        ASSERT_TRUE(live().loadNotice());  // "Setting Not Saved" is up, and the session quits
        EXPECT_EQ(live().loadNotice()->kind, Kind::notSaved);
    };
    const auto fiveNotices = [this] {
        json::Json list = json::Json::array();
        for (int i = 1; i <= 5; ++i)
            list.push_back({{"of", configPath()}, {"id", i}, {"kind", int(Kind::keptAside)},
                            {"reason", "notice " + std::to_string(i)}, {"file", configPath()}});
        list.push_back({{"of", configPath()}, {"id", 6}, {"kind", "keptAside"}, {"reason", "x"}, {"file", "y"}});
        defaults.setString("orbel.untoldConfigNotices", list.dump());
    };
    const auto twoHundredKeptFiles = [this] {
        json::Json list = json::Json::array();
        for (int i = 0; i < 200; ++i) {
            const std::string kept = dir() + "/config.json.kept-f" + std::to_string(i);
            writeFile(kept, "theirs");
            list.push_back(keptEntry(configPath(), kept, "mine"));
        }
        defaults.setString("orbel.keptAside", list.dump());
    };
    for (const Row& row : {Row{"a refusal on screen at the quit", refusalOnScreen, {Kind::notSaved}},
                           Row{"five notices", fiveNotices, std::vector<Kind>(5, Kind::keptAside)},
                           Row{"200 kept files", twoHundredKeptFiles, {Kind::keptAside}}}) {
        SCOPED_TRACE(row.name);
        manager.reset();
        defaults.strings.clear();
        QDir(QString::fromStdString(dir())).removeRecursively();
        QDir().mkpath(QString::fromStdString(dir()));
        row.firstRun();
        manager.reset();
        clock.seconds += 10;
        // A start that ends before the user answers leaves them all to the next.
        for (const bool answers : {false, true}) {
            SCOPED_TRACE(answers);
            manager = make();
            QSignalSpy shown(&live(), &ConfigManager::loadNoticeChanged);
            std::vector<Kind> told;
            for (; live().loadNotice() && told.size() <= row.told.size(); live().clearLoadNotice()) {
                told.push_back(live().loadNotice()->kind);
                if (!answers) break;
            }
            EXPECT_EQ(told, answers ? row.told : std::vector<Kind>{row.told.front()});
            EXPECT_EQ(shown.size(), answers ? int(row.told.size()) - 1 : 0);  // each once the one before is answered
            manager.reset();
        }
        EXPECT_FALSE(make()->loadNotice());
    }
}
