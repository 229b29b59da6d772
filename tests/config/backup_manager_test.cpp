#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QRegularExpression>
#include <QTimeZone>
#include <cmath>
#include <functional>
#include <sys/stat.h>

#include "config/backup_manager.h"
#include "config/import_coordinator.h"
#include "config_fixture.h"
#include "fuzz/round_trip.h"

using namespace orbel;
using namespace orbel::testing;

namespace {

class BackupTest : public ConfigFixture {
protected:
    void SetUp() override { live(); }
    void addProfiles(std::initializer_list<const char*> names) {
        for (const char* n : names) store().save(withSnippets(1, n), n);
    }
    QStringList entries() const {
        return QDir(QString::fromStdString(dir() + "/profiles"))
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    }
};

}  // namespace

TEST_F(BackupTest, MakeWriteAndDecodeRoundTrip) {
    addProfiles({"Home", "Work"});
    writeFile(profilePath("Broken"), "{oops");
    activate("Work");
    clock.seconds = 1796489256.7;

    const BackupSnapshot snapshot = BackupManager::makeBackup(live());
    const OrbelBackup& backup = snapshot.backup;
    EXPECT_EQ(backup.appVersion, ORBEL_VERSION);
    // Left out, and said so with the reason.
    EXPECT_EQ(snapshot.leftOut, (std::vector<LeftOutProfile>{{"Broken", "The given data was not valid JSON."}}));
    const std::string path = paths.root() + "/out.orbelbackup";
    BackupManager::writeBackup(backup, path);
    const OrbelBackup back = OrbelBackup::decode(readFile(path));
    EXPECT_EQ(back.profiles.size(), 2u);  // the broken profile is left out
    EXPECT_EQ(back.activeProfile, "Work");
    EXPECT_EQ(back.createdAt, 1796489256);
    EXPECT_EQ(firstSnippet(back.profiles.at("Work")), "Work0");
}

TEST_F(BackupTest, AnExportClearsWhatAKilledExportLeftInItsFolderAndNothingElse) {
    const std::string killed = paths.root() + "/" + saveTemporary(endedProcess());
    const std::string mine = paths.root() + "/out.orbelbackup.old.tmp";
    writeFile(killed, "half an export");
    writeFile(mine, "a person's file");
    clock.seconds = secondsNow() + 10;
    BackupManager::writeBackup(BackupManager::makeBackup(live()).backup, paths.root() + "/out.orbelbackup");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(killed)));
    EXPECT_EQ(readFile(mine), "a person's file");
}

TEST_F(BackupTest, SuggestedFileNameAndFreeNames) {
    const QDateTime date(QDate(2026, 12, 5), QTime(12, 0), QTimeZone::systemTimeZone());
    EXPECT_EQ(BackupManager::defaultFileName(date), "orbel-backup-2026-12-05.orbelbackup");
    std::set<std::string> taken{"Work", "Work 2"};
    EXPECT_EQ(BackupManager::uniqueProfileName("Work", taken), "Work 3");
    EXPECT_EQ(BackupManager::uniqueProfileName("Home", taken), "Home");
    EXPECT_EQ(BackupManager::uniqueProfileName("work", taken), "work");
    for (int n = 3; n <= 99; ++n) taken.insert("Work " + std::to_string(n));
    EXPECT_TRUE(QRegularExpression("^Work [0-9A-F]{6}$")
                    .match(QString::fromStdString(BackupManager::uniqueProfileName("Work", taken)))
                    .hasMatch());
}

TEST_F(BackupTest, MergeRenamesSkipsAtTheLimitAndNeverOverwrites) {
    addProfiles({"Work", "Work 2"});
    OrbelBackup backup;
    backup.profiles["Work"] = withSnippets(1, "fromBackup");
    backup.profiles[" Work 2\t"] = withSnippets(1, "padded");  // the same file as Work 2 once trimmed
    const MergeRestoreResult result = BackupManager::restoreMerge(backup, live());
    // " Work 2\t" sorts first and is stored as a free name beside Work 2.
    EXPECT_EQ(result.written, (std::vector<std::string>{"Work 2 2", "Work 3"}));
    EXPECT_EQ(result.renames.size(), 2u);
    EXPECT_EQ(firstSnippet(store().load("Work")), "Work0");
    EXPECT_EQ(firstSnippet(store().load("Work 2")), "Work 20");
    EXPECT_FALSE(live().activeProfile());

    // Five stored: A is stored, B and C are skipped.
    addProfiles({"Z"});
    ASSERT_EQ(store().list().size(), 5u);
    OrbelBackup more;
    for (const char* n : {"A", "B", "C"}) more.profiles[n] = withSnippets(1, n);
    const MergeRestoreResult r2 = BackupManager::restoreMerge(more, live());
    EXPECT_EQ(r2.written, std::vector<std::string>{"A"});
    EXPECT_EQ(r2.skipped, (std::vector<std::string>{"B", "C"}));
}

// A name stored as it trims is stored under its own name: that is no rename.
TEST_F(BackupTest, MergeReportsOnlyTheRenamesThatHappened) {
    addProfiles({"Home"});
    OrbelBackup backup;
    backup.profiles["Work "] = withSnippets(1, "work");
    backup.profiles[" Home"] = withSnippets(1, "home");
    const MergeRestoreResult result = BackupManager::restoreMerge(backup, live());
    EXPECT_EQ(result.written, (std::vector<std::string>{"Home 2", "Work"}));
    EXPECT_EQ(result.renames, (std::vector<std::pair<std::string, std::string>>{{" Home", "Home 2"}}));
    EXPECT_EQ(firstSnippet(store().load("Work")), "work0");
}

TEST_F(BackupTest, ReplaceAppliesAndSwitches) {
    addProfiles({"Old"});
    activate("Old");
    OrbelBackup backup;
    backup.liveConfig = withSnippets(2, "live");
    backup.profiles["Home"] = withSnippets(1, "home");
    backup.profiles["Work"] = withSnippets(1, "work");
    backup.activeProfile = "Work";
    EXPECT_EQ(BackupManager::restoreReplace(backup, live()), (std::vector<std::string>{"Home", "Work"}));
    EXPECT_EQ(store().list(), (std::vector<std::string>{"Home", "Work"}));
    EXPECT_EQ(live().activeProfile(), "Work");
    EXPECT_EQ(firstSnippet(live().config()), "work0");

    backup.activeProfile = "Missing";
    BackupManager::restoreReplace(backup, live());
    EXPECT_FALSE(live().activeProfile());
    EXPECT_EQ(firstSnippet(live().config()), "live0");
}

// A save still queued when a profile is restored or deleted must land
// before, never over what the restore wrote or the delete removed. The
// queued configuration is large so that, unwaited for, it would land last.
TEST_F(BackupTest, QueuedSavesNeverOverwriteARestoreOrADelete) {
    for (const bool restore : {true, false}) {
        SCOPED_TRACE(restore ? "restore" : "delete");
        addProfiles({"Work", "Home"});
        activate("Work");
        live().setConfig(withSnippets(4000, "queued"));
        live().save();
        if (restore) {
            OrbelBackup backup;
            backup.liveConfig = withSnippets(1, "live");  // a valid live configuration
            backup.profiles["Home"] = withSnippets(1, "restored");
            BackupManager::restoreReplace(backup, live());
        } else {
            activate("Home");
            live().deleteProfile("Work");
        }
        live().flushSaves();
        EXPECT_EQ(store().list(), std::vector<std::string>{"Home"});
        EXPECT_EQ(firstSnippet(store().load("Home")), restore ? "restored0" : "Home0");
        store().remove("Home");
    }
}

// Everything that could stop a replace half-way is refused before anything
// is touched (names the file system cannot hold by both strategies), and a
// replace whose writing fails keeps every old profile and the active one.
TEST_F(BackupTest, RestoresRefuseBeforeTouchingAnythingAndReplaceIsAllOrNothing) {
    addProfiles({"Keep"});
    activate("Keep");
    const auto expectNothingChanged = [&](const std::function<void()>& restore, const std::string& text) {
        try {
            restore();
            ADD_FAILURE() << "restored";
        } catch (const BackupManagerError& e) {
            EXPECT_EQ(std::string(e.what()).substr(0, 27 + text.size()), "Couldn't apply the backup: " + text);
        }
        EXPECT_EQ(entries(), QStringList{"Keep.json"});
        EXPECT_EQ(live().activeProfile(), "Keep");
    };
    const auto backupOf = [](std::initializer_list<std::string> names) {
        OrbelBackup backup;
        backup.liveConfig = withSnippets(1, "live");  // a valid live configuration
        for (const auto& name : names) backup.profiles[name] = withSnippets(1, "x");
        return backup;
    };
    using Restore = std::function<std::function<void()>(const OrbelBackup&)>;
    const Restore replace = [&](const OrbelBackup& b) { return [&, b] { BackupManager::restoreReplace(b, live()); }; };
    const Restore merge = [&](const OrbelBackup& b) { return [&, b] { BackupManager::restoreMerge(b, live()); }; };
    const std::string tooLong(300, 'x'), withNul("Ho\0me", 5);
    for (const auto& strategy : {replace, merge}) {
        expectNothingChanged(strategy(backupOf({"Good", tooLong})),
                             "Couldn't restore profile \"" + tooLong + "\": Profile name is too long");
        expectNothingChanged(strategy(backupOf({"Good", withNul})),
                             "Couldn't restore profile \"Ho\\0me\": Profile name must not contain a null character");
        // New names with control or direction characters, shown written out.
        expectNothingChanged(strategy(backupOf({"Good", "Evil\u202Egnp.exe"})),
                             "Couldn't restore profile \"Evil<U+202E>gnp.exe\": Profile name must not contain "
                             "control characters");
    }
    expectNothingChanged(replace(backupOf({"P1", "P2", "P3", "P4", "P5", "P6", "P7"})),
                         "The backup holds 7 profiles; at most 6 can be kept.");
    expectNothingChanged(replace(backupOf({"Work", "Work "})),
                         "Couldn't restore profile \"Work \": another profile in the backup has the same name.");

    // The second profile cannot be written (the file size limit is hit).
    OrbelBackup big = backupOf({"A"});
    big.profiles["B"] = withSnippets(40, "big");
    withFileSizeLimit(big.profiles["A"].encodeDocument().size() + 1,
                      [&] { expectNothingChanged(replace(big), "Couldn't restore profile \"B\": "); });
}

TEST_F(BackupTest, AFailedWriteSaysEachPrefixOnce) {
    OrbelBackup undated;
    undated.createdAt = std::nan("");
    const std::pair<OrbelBackup, std::string> cases[] = {
        {undated, "Couldn't write this backup: The backup's date cannot be written in ISO 8601 form."},
        {OrbelBackup{}, "Not a directory"},  // the platform's reason
    };
    writeFile(paths.root() + "/file", "");
    for (const auto& [backup, reason] : cases) {
        try {
            BackupManager::writeBackup(backup, paths.root() + "/file/x.orbelbackup");
            ADD_FAILURE() << "written";
        } catch (const BackupManagerError& e) {
            EXPECT_EQ(std::string(e.what()).substr(0, 27 + reason.size()), "Couldn't write the backup: " + reason);
        }
    }
}

// Reading may normalise once; from then on the bytes must not change.
TEST(DocumentRoundTrip, StableFromTheSecondRoundTrip) {
    using fuzz::RoundTrip;
    const std::string slots = R"([{"snippet":"x","scope":["global"]},{"snippet":"y","scope":{"apps":{"bundleIds":["a"]}}}])";
    EXPECT_EQ(fuzz::configRoundTrip(R"({"menu":)" + slots + "}"), RoundTrip::stable);
    EXPECT_EQ(fuzz::configRoundTrip("{"), RoundTrip::rejected);
    OrbelBackup backup;
    json::Json doc = backup.toJson();
    doc["liveConfig"] = json::parse(R"({"menu":)" + slots + "}");
    EXPECT_EQ(fuzz::backupRoundTrip(json::write(doc)), RoundTrip::stable);
}

TEST(ImportCoordinator, PublishesQueuedOutcomes) {
    fakes::FakeMainQueue queue;
    platform::MainQueue::setShared(&queue);
    QTemporaryDir dir;
    ImportCoordinator coordinator;
    OrbelBackup backup;
    backup.profiles["Home"] = AppConfig{};
    const std::string good = dir.filePath("A.ORBELBACKUP").toStdString(), v2 = dir.filePath("v2.orbelbackup").toStdString();
    writeFile(good, backup.encode());
    json::Json doc = backup.toJson();
    doc["schemaVersion"] = 2;
    writeFile(v2, json::write(doc));
    EXPECT_TRUE(ImportCoordinator::isBackupUrl(QUrl::fromLocalFile(QString::fromStdString(good))));
    EXPECT_FALSE(ImportCoordinator::isBackupUrl(QUrl::fromLocalFile(dir.filePath("a.json"))));
    EXPECT_FALSE(ImportCoordinator::isBackupUrl(QUrl("orbel://share/x.orbelbackup")));

    // The file is read on a reader thread, the outcome published on the queue.
    auto open = [&](const std::string& path) {
        coordinator.openBackupFile(path);
        EXPECT_TRUE(QTest::qWaitFor([&] { return queue.pending() > 0; }, 10000));
        queue.runAll();
    };
    coordinator.openBackupFile(dir.filePath("missing.orbelbackup").toStdString());
    EXPECT_FALSE(coordinator.errorMessage());  // nothing published before the queue runs
    EXPECT_TRUE(QTest::qWaitFor([&] { return queue.pending() > 0; }, 10000));
    queue.runAll();
    EXPECT_EQ(coordinator.errorMessage().value_or("").rfind("Couldn't read the backup: ", 0), 0u);
    open(good);
    ASSERT_TRUE(coordinator.pendingBackup());
    EXPECT_EQ(coordinator.pendingBackup()->sourcePath, good);
    EXPECT_TRUE(coordinator.errorMessage());  // an earlier failure stays until dismissed

    // Schema version 2 gives the schema message and keeps the pending backup.
    const Uuid pendingId = coordinator.pendingBackup()->id;
    open(v2);
    EXPECT_EQ(*coordinator.errorMessage(),
              "Backup is schema version 2; this build of Orbel supports up to v1. Update Orbel, then try again.");
    EXPECT_EQ(coordinator.pendingBackup()->id, pendingId);

    // A pipe handed over is refused, not waited on (the other kinds: peer_file_test).
    const QString fifo = dir.filePath("pipe.orbelbackup");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    open(fifo.toStdString());
    EXPECT_EQ(*coordinator.errorMessage(), "Couldn't read the backup: “pipe.orbelbackup” is a pipe, not a file.");
    EXPECT_EQ(coordinator.pendingBackup()->id, pendingId);
    coordinator.handleShareLink();
    EXPECT_EQ(*coordinator.errorMessage(), ImportCoordinator::kSharingDisabledMessage);
    platform::MainQueue::setShared(nullptr);
}
