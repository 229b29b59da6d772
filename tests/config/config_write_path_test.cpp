// The one write path of the configuration and the profiles: an outside edit
// is taken in before a change (and kept across a switch), a failed write is reported and publishes
// nothing, the defaults never overwrite a stored profile, every path
// validates, and a cut profile is rewritten only once a copy is kept.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QThread>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "config/backup_manager.h"
#include "config_fixture.h"

using namespace orbel;
using namespace orbel::testing;

namespace {

class WritePathTest : public ConfigFixture {
protected:
    WritePathTest() { clock.seconds = 1700000000.5; }
    std::string copyOf(const std::string& path) const { return keptCopy(path); }
    // Takes every name a copy of `path` could be kept under now.
    void takeCopyNames(const std::string& path) const {
        for (int attempt = 1; attempt <= ConfigManager::kRejectedCopyNames; ++attempt)
            QDir().mkpath(QString::fromStdString(keptCopy(path, attempt)));
    }
    void radius(double r) { ASSERT_FALSE(live().change([r](AppConfig& c) { c.menuRadius = r; })); }
};

SlotConfig untitled() { return SlotConfig::make(SlotType::snippet("x"), ""); }

// The bytes this process has read from files so far, on every thread.
std::int64_t bytesRead() {
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : io.readAll().split('\n'))
        if (line.startsWith("rchar:")) return line.mid(6).trimmed().toLongLong();
    return -1;
}

}  // namespace

TEST_F(WritePathTest, AnOutsideEditIsTakenInBeforeAChange) {
    radius(250);
    writeFile(configPath(), withSnippets(2, "hand").encodeDocument());
    QSignalSpy replaced(&live(), &ConfigManager::configReplaced);
    ASSERT_FALSE(live().change([](AppConfig& c) { c.showInTray = false; }));
    EXPECT_EQ(firstSnippet(live().config()), "hand0");
    EXPECT_FALSE(live().config().showInTray);
    EXPECT_EQ(readFile(configPath()), live().config().encodeDocument());
    EXPECT_EQ(replaced.count(), 1);

    // One that cannot be used is kept beside the file and told, as Reload does.
    writeFile(configPath(), "{hand broken");
    ASSERT_FALSE(live().change([](AppConfig& c) { c.menuRadius = 300; }));
    ASSERT_TRUE(live().loadNotice());
    EXPECT_EQ(live().loadNotice()->kind, ConfigManager::LoadNotice::Kind::rejected);
    EXPECT_EQ(readFile(copyOf(configPath())), "{hand broken");
    EXPECT_EQ(readFile(configPath()), live().config().encodeDocument());

    // When no copy can be kept, the change is refused and the file stays.
    takeCopyNames(configPath());
    writeFile(configPath(), "{again");
    const auto refused = live().change([](AppConfig& c) { c.menuRadius = 310; });
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->kind(), ConfigError::Kind::notSaved);
    EXPECT_EQ(readFile(configPath()), "{again");
}

// A dial read again by Reload lives in config.json only: a switch away from
// its profile stores it first, so that switching back finds it.
TEST_F(WritePathTest, AReloadedDialSurvivesASwitchAwayAndBack) {
    live().storeProfile(withSnippets(1, "home"), "Home");
    live().storeProfile(withSnippets(1, "work"), "Work");
    live().switchToProfile("Home");
    writeFile(configPath(), withSnippets(2, "hand").encodeDocument());
    live().load();
    EXPECT_EQ(firstSnippet(store().load("Home")), "home0");  // Reload itself writes nothing
    live().switchToProfile("Work");
    EXPECT_EQ(firstSnippet(store().load("Home")), "hand0");
    live().switchToProfile("Home");
    EXPECT_EQ(firstSnippet(live().config()), "hand0");

    // Once switched, a switch stores nothing over the profile left.
    live().storeProfile(withSnippets(1, "elsewhere"), "Home");
    live().switchToProfile("Work");
    live().switchToProfile("Home");
    EXPECT_EQ(firstSnippet(live().config()), "elsewhere0");
}

TEST_F(WritePathTest, AFailedWriteIsReportedAndPublishesNothing) {
    radius(250);
    const std::string before = readFile(configPath());
    QSignalSpy changed(&live(), &ConfigManager::configChanged);
    withFileSizeLimit(64, [&] {
        const auto refused = live().change([](AppConfig& c) { c.rootGroup.slots = withSnippets(6, "long").rootGroup.slots; });
        ASSERT_TRUE(refused);
        EXPECT_EQ(refused->kind(), ConfigError::Kind::notSaved);
    });
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(readFile(configPath()), before);

    // The active profile's file cannot be written: config.json goes back.
    activate("Work");
    writeFile(dir() + "/profiles", "a file where the folder should be");
    const auto refused = live().change([](AppConfig& c) { c.menuRadius = 300; });
    ASSERT_TRUE(refused);
    EXPECT_NE(std::string(refused->what()).find("\"Work\""), std::string::npos) << refused->what();
    EXPECT_EQ(readFile(configPath()), before);
    EXPECT_EQ(live().config().menuRadius, 250);
}

TEST_F(WritePathTest, TheDefaultsNeverOverwriteAStoredProfile) {
    live().storeProfile(withSnippets(2, "work"), "Work");
    activate("Work");
    writeFile(configPath(), "{broken");
    live().load();
    EXPECT_EQ(firstSnippet(live().config()), "work0");
    EXPECT_EQ(live().loadNotice()->profileInUse, "Work");
    radius(300);
    EXPECT_EQ(firstSnippet(store().load("Work")), "work0");

    // A missing file on Reload is told; with no usable profile none stays active.
    live().clearLoadNotice();  // the first one answered
    activate("Gone");
    QFile::remove(QString::fromStdString(configPath()));
    live().load();
    ASSERT_TRUE(live().loadNotice());
    EXPECT_EQ(live().loadNotice()->kind, ConfigManager::LoadNotice::Kind::missing);
    EXPECT_FALSE(live().activeProfile());
    radius(320);
    EXPECT_EQ(store().list(), std::vector<std::string>{"Work"});
}

TEST_F(WritePathTest, EveryPathValidates) {
    AppConfig invalid = withSnippets(1);
    invalid.rootGroup.slots.push_back(untitled());
    ASSERT_FALSE(live().applyConfig(withSnippets(1)));
    const std::string before = readFile(configPath());
    EXPECT_TRUE(live().addSlot(untitled()));
    EXPECT_TRUE(live().updateSlot(0, untitled()));
    EXPECT_TRUE(live().applyConfig(invalid));
    EXPECT_THROW(live().storeProfile(invalid, "Bad"), ConfigError);
    writeFile(profilePath("Bad"), invalid.encodeDocument());
    EXPECT_THROW(live().switchToProfile("Bad"), ConfigError);
    EXPECT_THROW(live().setProfileIcon("Bad", SlotIcon::monogram("B")), ConfigError);
    EXPECT_FALSE(live().activeProfile());
    EXPECT_EQ(readFile(configPath()), before);
    EXPECT_EQ(readFile(profilePath("Bad")), invalid.encodeDocument());
}

TEST_F(WritePathTest, ACutProfileIsRewrittenOnlyOnceACopyIsKept) {
    writeFile(profilePath("Big"), withSnippets(8).encodeDocument());
    takeCopyNames(profilePath("Big"));  // no copy can be made
    live().switchToProfile("Big");
    EXPECT_EQ(live().config().rootGroup.slots.size(), 6u);
    EXPECT_EQ(readFile(profilePath("Big")), withSnippets(8).encodeDocument());
    EXPECT_FALSE(live().loadNotice()->keptAt);
}

// With no profile active, the live configuration is stored before a switch,
// under the first free "Default" name; a Merge restore leaves "Default" to it.
TEST_F(WritePathTest, ASwitchAwayFromTheImplicitDefaultStoresTheLiveDial) {
    ASSERT_FALSE(live().applyConfig(withSnippets(3, "mine")));
    OrbelBackup backup;
    backup.profiles["Default"] = withSnippets(1, "theirs");
    backup.profiles["Work"] = withSnippets(1, "work");
    const auto merged = BackupManager::restoreMerge(backup, live());
    EXPECT_EQ(merged.written, (std::vector<std::string>{"Default 2", "Work"}));
    live().switchToProfileKeepingLive("Work");
    EXPECT_EQ(firstSnippet(store().load("Default")), "mine0");

    // "Default" holds something else: "Default 3" is the next free name.
    defaults.remove(ConfigManager::kActiveProfileKey);
    ASSERT_FALSE(live().applyConfig(withSnippets(2, "later")));
    live().switchToProfileKeepingLive("Work");
    EXPECT_EQ(firstSnippet(store().load("Default 3")), "later0");

    // At six profiles the live dial cannot be stored: no switch.
    defaults.remove(ConfigManager::kActiveProfileKey);
    for (const char* name : {"Five", "Six"}) live().storeProfile(withSnippets(1, name), name);
    ASSERT_FALSE(live().applyConfig(withSnippets(2, "last")));
    EXPECT_THROW(live().switchToProfileKeepingLive("Work"), ProfileStoreError);
    EXPECT_EQ(firstSnippet(live().config()), "last0");
    EXPECT_FALSE(live().activeProfile());
}

// Whether config.json changed is decided from its stamp: an unchanged file is
// not read, however large, and one larger than a backup could hold is refused
// unread, moved aside and told, at a change and at the start.
TEST_F(WritePathTest, OnlyAChangedConfigIsReadAndNeverAnOversizedOne) {
    constexpr std::int64_t kPadding = 16'000'000;
    writeFile(configPath(), withSnippets(2, "big").encodeDocument() + std::string(kPadding, ' '));
    {
        QFile file(QString::fromStdString(configPath()));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
    }
    clock.seconds = secondsNow() + 3;  // a stamp proves something once the change time is past too
    ASSERT_EQ(firstSnippet(live().config()), "big0");
    std::int64_t before = bytesRead();
    ASSERT_FALSE(live().change([](AppConfig& c) { c.showInTray = false; }));
    // Read once: the file the new one took the place of is told from its
    // bytes, not before the change.
    EXPECT_LT(bytesRead() - before, kPadding + kPadding / 16);

    using Kind = ConfigManager::LoadNotice::Kind;
    auto expectRefusedUnread = [&](const ConfigManager& manager) {
        EXPECT_LT(bytesRead() - before, kPadding / 16);
        ASSERT_TRUE(manager.loadNotice());
        EXPECT_EQ(manager.loadNotice()->kind, Kind::unreadable);
        EXPECT_NE(manager.loadNotice()->reason.find("is larger than 64 MB"), std::string::npos)
            << manager.loadNotice()->reason;
        ASSERT_TRUE(manager.loadNotice()->keptAt);
        EXPECT_EQ(QFileInfo(QString::fromStdString(*manager.loadNotice()->keptAt)).size(),
                  OrbelBackup::kMaxFileBytes + 1);
        EXPECT_EQ(readFile(configPath()), manager.config().encodeDocument());
    };
    const auto grow = [&] {  // sparse: nothing is written
        ASSERT_TRUE(QFile::resize(QString::fromStdString(configPath()), OrbelBackup::kMaxFileBytes + 1));
        clock.seconds = secondsNow() + 3;  // grown a while ago: not one another program is still writing
        before = bytesRead();
    };
    grow();
    ASSERT_FALSE(live().change([](AppConfig& c) { c.menuRadius = 300; }));
    expectRefusedUnread(live());
    EXPECT_EQ(live().config().menuRadius, 300);

    clock.seconds += 1;
    grow();
    expectRefusedUnread(*make());
}

// Another program's save that lands while a change is written is never
// overwritten: it is taken in and the change applied to it again; a file
// that changes at every try refuses the change and keeps the last save.
TEST_F(WritePathTest, AnOutsideEditSavedDuringAWriteIsTakenIn) {
    radius(250);
    int tries = 0;
    live().setBeforeReplaceHookForTests([&] {
        if (tries++ == 0) writeFile(configPath(), withSnippets(2, "hand").encodeDocument());
    });
    ASSERT_FALSE(live().change([](AppConfig& c) { c.showInTray = false; }));
    EXPECT_EQ(tries, 2);
    EXPECT_EQ(firstSnippet(live().config()), "hand0");
    EXPECT_FALSE(live().config().showInTray);
    EXPECT_EQ(readFile(configPath()), live().config().encodeDocument());

    // Saves of the same length, in place: the bytes tell them apart.
    const auto save = [&](int n) { return withSnippets(1, "again" + std::to_string(n)).encodeDocument(); };
    tries = 0;
    live().setBeforeReplaceHookForTests([&] { writeFile(configPath(), save(tries++)); });
    const auto refused = live().change([](AppConfig& c) { c.menuRadius = 300; });
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->kind(), ConfigError::Kind::notSaved);
    EXPECT_EQ(readFile(configPath()), save(tries - 1));
    EXPECT_NE(live().config().menuRadius, 300);
    EXPECT_EQ(QDir(QString::fromStdString(dir())).entryList({"*.tmp"}, QDir::Files | QDir::Hidden), QStringList());
}

// A save killed half-way leaves its temporary file beside config.json or
// among the profiles: the next start clears it, and nothing else, not even
// a person's files named as earlier versions named theirs.
TEST_F(WritePathTest, TemporaryFilesOfKilledSavesAreClearedAtTheStart) {
    writeFile(configPath(), withSnippets(1, "mine").encodeDocument());
    writeFile(profilePath("Work"), withSnippets(1, "work").encodeDocument());
    const pid_t killed = endedProcess();
    for (const std::string& name : std::vector<std::string>{saveTemporary(killed), "config.json.k1l2.tmp",
                                                            "config.json.zzzzzzz.tmp", "config.json.old.tmp",
                                                            "config.json.backup.1.5", "notes.tmp"})
        writeFile(dir() + "/" + name, "x");
    writeFile(dir() + "/profiles/" + saveTemporary(killed, "p1p1p1p1p1p1"), "x");
    writeFile(dir() + "/profiles/Work.json.k1l2.tmp", "x");
    clock.seconds = secondsNow() + 10;
    EXPECT_EQ(firstSnippet(live().config()), "mine0");
    const auto files = [](const std::string& folder) {
        return QDir(QString::fromStdString(folder)).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    };
    EXPECT_EQ(files(dir()), (QStringList{"config.json", "config.json.backup.1.5", "config.json.k1l2.tmp",
                                         "config.json.old.tmp", "config.json.zzzzzzz.tmp", "notes.tmp"}));
    EXPECT_EQ(files(dir() + "/profiles"), (QStringList{"Work.json", "Work.json.k1l2.tmp"}));
}

// Another program's edit in place whose modification time is put back
// (cp -p, touch -r) lands at the swap: the file taken out is told from its
// bytes, so the edit is taken in, not replaced.
TEST_F(WritePathTest, AnEditInPlaceWithItsTimePutBackAtTheSwapIsTakenIn) {
    clock.seconds = secondsNow() + 10;  // every stamp taken from now on proves something
    radius(250);
    const std::string before = readFile(configPath());
    std::string edited = before;
    const auto at = edited.find("250");
    ASSERT_NE(at, std::string::npos);
    edited.replace(at, 3, "260");
    int swaps = 0;
    live().setBeforeReplaceHookForTests([&] {
        if (swaps++ > 0) return;
        struct stat original{};
        ASSERT_EQ(::stat(configPath().c_str(), &original), 0);
        writeFile(configPath(), edited);
        const timespec times[2] = {original.st_atim, original.st_mtim};
        ASSERT_EQ(::utimensat(AT_FDCWD, configPath().c_str(), times, 0), 0);
    });
    ASSERT_FALSE(live().change([](AppConfig& c) { c.showInTray = false; }));
    EXPECT_EQ(swaps, 2);
    EXPECT_EQ(live().config().menuRadius, 260);
    EXPECT_FALSE(live().config().showInTray);
    EXPECT_EQ(readFile(configPath()), live().config().encodeDocument());
}

// A name with spaces or tabs around it is the profile it normalises to, in
// every path: a profile slot's switch, a delete, an icon, a name kept as typed
// by an earlier version, a backup's active profile.
TEST_F(WritePathTest, AProfileNameIsNormalisedWhereverItComesFrom) {
    live().storeProfile(withSnippets(1, "work"), "Work");
    live().storeProfile(withSnippets(1, "home"), "Home");
    live().switchToProfileKeepingLive("Work ");
    EXPECT_EQ(defaults.string(ConfigManager::kActiveProfileKey), "Work");
    EXPECT_THROW(live().deleteProfile("Work"), ProfileMutationError);
    EXPECT_THROW(live().deleteProfile("\tWork"), ProfileMutationError);
    live().setProfileIcon(" Work", SlotIcon::monogram("W"));
    EXPECT_EQ(live().config().profileIcon, SlotIcon::monogram("W"));
    radius(300);
    EXPECT_EQ(store().list(), (std::vector<std::string>{"Default", "Home", "Work"}));
    EXPECT_EQ(store().load("Work").menuRadius, 300);

    activate("Home\t");
    EXPECT_EQ(live().activeProfile(), "Home");
    EXPECT_THROW(live().deleteProfile("Home"), ProfileMutationError);

    OrbelBackup backup;
    backup.liveConfig = withSnippets(1);
    backup.profiles["Work"] = withSnippets(1, "restored");
    backup.activeProfile = "Work ";
    BackupManager::restoreReplace(backup, live());
    EXPECT_EQ(live().activeProfile(), "Work");
    EXPECT_EQ(firstSnippet(live().config()), "restored0");
}

// Another program saves at the swap and the disk fails before its save can
// go back: config.json holds the change, so the change counts as saved and
// is published, and a notice says where the other program's save is.
TEST_F(WritePathTest, ASwapBackThatFailsKeepsTheChangeAndSaysWhereTheOtherSaveIs) {
    radius(250);
    live().setBeforeReplaceHookForTests([&] { writeFile(configPath(), withSnippets(2, "theirs").encodeDocument()); });
    bool exchanged = false;
    live().setRenameForTests([&](const char* from, const char* to, unsigned flags) {
        if (exchanged) return errno = EIO, -1;
        exchanged = flags == RENAME_EXCHANGE;
        return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, flags);
    });
    ASSERT_FALSE(live().change([](AppConfig& c) { c.showInTray = false; }));
    EXPECT_FALSE(live().config().showInTray);
    EXPECT_EQ(readFile(configPath()), live().config().encodeDocument());
    const auto notice = live().loadNotice();
    ASSERT_TRUE(notice && notice->keptAt);
    EXPECT_EQ(notice->kind, ConfigManager::LoadNotice::Kind::keptAside);
    EXPECT_EQ(readFile(*notice->keptAt), withSnippets(2, "theirs").encodeDocument());
    const QFileInfo kept(QString::fromStdString(*notice->keptAt));
    EXPECT_NE(notice->reason.find("In " + kept.absolutePath().toStdString() + ": config.json holds Orbel's save"),
              std::string::npos)
        << notice->reason;
    EXPECT_NE(notice->reason.find("kept as " + kept.fileName().toStdString()), std::string::npos) << notice->reason;
}

// A start after a save of config.json that did not finish: the file it left
// aside, which may hold another program's save, is told after what the
// reading tells, and not again at the next start.
TEST_F(WritePathTest, AFileAnUnfinishedSaveLeftAsideIsToldOnce) {
    using Kind = ConfigManager::LoadNotice::Kind;
    const std::string theirs = withSnippets(2, "theirs").encodeDocument();
    writeFile(configPath(), "{not json");
    writeFile(dir() + "/config.json.kept-q1w2e3-000000000000-000000000000", theirs);
    clock.seconds = secondsNow() + 10;
    auto first = make();
    ASSERT_TRUE(first->loadNotice());
    EXPECT_EQ(first->loadNotice()->kind, Kind::rejected);
    QSignalSpy noticed(first.get(), &ConfigManager::loadNoticeChanged);
    first->clearLoadNotice();
    EXPECT_EQ(noticed.count(), 1);
    const auto notice = first->loadNotice();
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->kind, Kind::keptAside);
    EXPECT_EQ(notice->keptAt, dir() + "/config.json.kept-q1w2e3");
    EXPECT_EQ(readFile(dir() + "/config.json.kept-q1w2e3"), theirs);
    EXPECT_NE(notice->reason.find("may hold another program's save. In " + dir() +
                                  ": config.json holds the configuration in use; the replaced file is kept as "
                                  "config.json.kept-q1w2e3."),
              std::string::npos)
        << notice->reason;
    first->clearLoadNotice();
    EXPECT_FALSE(first->loadNotice());
    first.reset();
    EXPECT_FALSE(make()->loadNotice());
    EXPECT_EQ(readFile(dir() + "/config.json.kept-q1w2e3"), theirs);
}

// A save killed right after its exchange leaves the file it took out, which
// holds what Orbel knew config.json to hold: neither what config.json holds
// now nor what that save wrote. The next start knows it for Orbel's own by
// its name, and removes it untold.
TEST_F(WritePathTest, AFileAKilledSaveTookOutHoldingWhatOrbelKnewIsClearedUntold) {
    radius(250);
    const std::string known = readFile(configPath());
    const QString aside = QString::fromStdString(dir()) + "/aside";
    ASSERT_TRUE(QDir().mkpath(aside));
    QString takenOut;  // the name the file taken out has at the exchange
    live().setRenameForTests([&](const char* from, const char* to, unsigned flags) {
        const int done = ::renameat2(AT_FDCWD, from, AT_FDCWD, to, flags);
        if (done == 0 && flags == RENAME_EXCHANGE && takenOut.isEmpty()) {
            takenOut = QFile::decodeName(from);
            // Kept past the end of the save, as a kill would leave it.
            ::link(from, QFile::encodeName(aside + '/' + QFileInfo(takenOut).fileName()).constData());
        }
        return done;
    });
    ASSERT_FALSE(live().change([](AppConfig& c) { c.menuRadius = 300; }));
    manager.reset();
    ASSERT_FALSE(takenOut.isEmpty());
    ASSERT_TRUE(QFile::rename(aside + '/' + QFileInfo(takenOut).fileName(), takenOut));
    ASSERT_EQ(readFile(takenOut.toStdString()), known);
    ASSERT_NE(readFile(configPath()), known);

    clock.seconds = secondsNow() + 10;
    const auto next = make();
    EXPECT_FALSE(next->loadNotice()) << next->loadNotice()->reason;
    EXPECT_FALSE(QFile::exists(takenOut));
    EXPECT_EQ(next->config().menuRadius, 300);
}
