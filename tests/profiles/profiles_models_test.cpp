#include <gtest/gtest.h>

#include <QTest>
#include <sys/stat.h>

#include "config/config_fixture.h"
#include "model/json_writer.h"
#include "model/profile_name.h"
#include "profiles/backup_restore_model.h"
#include "profiles/per_app_menus_model.h"
#include "profiles/per_app_override_model.h"
#include "profiles/profile_icon_picker_model.h"
#include "profiles/profiles_tab_model.h"

using namespace orbel;
using namespace orbel::testing;

namespace {

using Names = std::vector<std::string>;

class ProfilesTabTest : public ConfigFixture {
protected:
    void SetUp() override {
        live().setConfig(withSnippets(2, "live"));
        tab.reload();
    }
    void addProfiles(const Names& names) {
        for (const auto& n : names) store().save(withSnippets(1, n), n);
        tab.reload();
    }
    bool exists(const std::string& name) { return QFile::exists(QString::fromStdString(profilePath(name))); }
    // Chooses a file to restore; it is read off this thread, so wait for the outcome.
    void choose(const std::string& path) {
        auto done = std::make_shared<bool>(false);
        tab.chooseBackupToRestore(path, [done] { *done = true; });
        ASSERT_TRUE(QTest::qWaitFor([&] { return *done; }, 10000));
    }

    ImportCoordinator imports;
    ProfilesTabModel tab{live(), imports};
};

const SlotIcon kStar = SlotIcon::symbolPack(IconPack{"sf"}, "star");

}  // namespace

TEST_F(ProfilesTabTest, ImplicitDefaultRowAndBadge) {
    struct Case {
        Names stored;
        std::optional<std::string> active;
        Names displayed;
        std::string badge;
        bool canCreate;
    };
    const Names six{"A", "B", "C", "D", "E", "F"};
    const Case cases[] = {
        {{}, {}, {"Default"}, "1 / 6", true},
        {{"Work"}, {}, {"Default", "Work"}, "2 / 6", true},
        {six, "C", six, "6 / 6", false},
        {{"Default", "Work"}, {}, {"Default", "Work"}, "2 / 6", true},  // a stored Default is no longer implicit
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.badge);
        for (const auto& n : store().list()) store().remove(n);
        defaults.remove(ConfigManager::kActiveProfileKey);
        addProfiles(c.stored);
        if (c.active) activate(*c.active);
        EXPECT_EQ(tab.displayedProfiles(), c.displayed);
        EXPECT_EQ(tab.badgeText(), c.badge);
        EXPECT_EQ(tab.canCreate(), c.canCreate);
        EXPECT_EQ(tab.canDuplicate(), c.canCreate);
        EXPECT_EQ(tab.newButtonHelp(), c.canCreate ? "Save the current configuration as a new profile"
                                                   : "Profile limit reached (6) — delete one to add another");
        const bool implicit = !c.active && std::find(c.stored.begin(), c.stored.end(), "Default") == c.stored.end();
        EXPECT_EQ(tab.isImplicitDefaultRow("Default"), implicit);
        EXPECT_EQ(tab.hasDeleteItem("Default"), !implicit);
        if (implicit) {
            EXPECT_TRUE(tab.isActive("Default"));
        }
    }
}

TEST_F(ProfilesTabTest, CreatingInTheImplicitStateWritesAndActivatesDefaultFirst) {
    tab.beginCreate();
    tab.newProfileName = "  Work\t";
    EXPECT_TRUE(tab.createProfile());
    EXPECT_EQ(tab.profiles(), (Names{"Default", "Work"}));
    EXPECT_EQ(tab.storedActiveName(), "Default");
    EXPECT_EQ(firstSnippet(store().load("Default")), "live0");
    EXPECT_EQ(firstSnippet(store().load("Work")), "live0");
    EXPECT_FALSE(tab.showingCreatePopover);
    EXPECT_FALSE(tab.errorMessage());
}

TEST_F(ProfilesTabTest, CreateRefusalsKeepThePopoverOpen) {
    struct Case {
        std::string name;
        std::string error;
    };
    addProfiles({"Work"});
    const Case cases[] = {
        {"Default", "A profile named \"Default\" already exists."},  // the implicit row's name is taken
        {"Work", "A profile named \"Work\" already exists."},
        {".hidden", "Profile name must not start with '.'"},
        {"a/b", "Profile name must not contain path separators"},
    };
    for (const auto& c : cases) {
        tab.beginCreate();
        tab.newProfileName = c.name;
        EXPECT_FALSE(tab.createProfile());
        EXPECT_EQ(tab.errorMessage(), c.error);
        EXPECT_TRUE(tab.showingCreatePopover);
    }
    EXPECT_EQ(firstSnippet(store().load("Work")), "Work0");  // not overwritten
    tab.newProfileName = " \t ";
    EXPECT_FALSE(tab.canSaveNewProfile());
    addProfiles({"A", "B", "C", "D"});
    activate("A");
    tab.newProfileName = "Seventh";
    EXPECT_FALSE(tab.createProfile());
    EXPECT_EQ(tab.errorMessage(), "Profile limit reached (6). Delete one before saving a new profile.");
}

TEST_F(ProfilesTabTest, SwitchAndDeleteMessages) {
    addProfiles({"Home", "Work"});
    activate("Home");
    tab.switchProfile("Work");
    EXPECT_EQ(tab.storedActiveName(), "Work");
    EXPECT_EQ(firstSnippet(live().config()), "Work0");
    store().remove("Home");
    tab.switchProfile("Home");
    EXPECT_EQ(tab.errorMessage(), "Profile \"Home\" not found.");
    EXPECT_EQ(tab.profiles(), (Names{"Home", "Work"}));  // until the next reload
    tab.deleteProfile("Work");
    EXPECT_EQ(tab.errorMessage(),
              "Cannot delete \"Work\" while it's the active profile. Switch to another profile first.");
    EXPECT_FALSE(tab.canDelete("Work"));
    EXPECT_EQ(ProfilesTabModel::deleteMessage("Work"), "\"Work\" will be permanently removed. This can't be undone.");
}

// The row Work reaches Work.json alone; "Work .json" is named under the list
// and never touched. Names are read with their control characters written
// out, and a new name with one is refused.
TEST_F(ProfilesTabTest, UnlistedFilesAndNamesWithControlCharacters) {
    addProfiles({"Work", "Home"});
    writeFile(dir() + "/profiles/Work .json", withSnippets(1, "second").encodeDocument());
    tab.reload();
    EXPECT_EQ(tab.profiles(), (Names{"Home", "Work"}));
    EXPECT_EQ(ProfilesTabModel::unlistedNotice(tab.unlistedFiles()),
              "Not listed, as no profile name leads to it: \"Work .json\". To use it, rename the file in the "
              "profiles folder.");
    EXPECT_EQ(ProfilesTabModel::unlistedNotice({"a\u202E.json", " .json"}),
              "Not listed, as no profile name leads to them: \"a<U+202E>.json\", \" .json\". To use them, rename "
              "the files in the profiles folder.");
    tab.deleteProfile("Work");
    EXPECT_EQ(readFile(dir() + "/profiles/Work .json"), withSnippets(1, "second").encodeDocument());

    EXPECT_EQ(ProfilesTabModel::deleteButton("Bell\a"), "Delete \"Bell<U+0007>\"");
    EXPECT_EQ(ProfilesTabModel::duplicateSheetTitle("Two\nLines"), "Duplicate \"Two<U+000A>Lines\"");
    EXPECT_STREQ(ProfileMutationError("Evil\u202E").what(),
                 "Cannot delete \"Evil<U+202E>\" while it's the active profile. Switch to another profile first.");
    tab.beginDuplicate("Evil\u202Egnp.exe");
    EXPECT_EQ(tab.duplicateTargetName, "Evil<U+202E>gnp.exe Copy") << "a proposal that can be taken as it stands";
    tab.switchProfile("Gone\a");
    EXPECT_EQ(tab.errorMessage(), "Profile \"Gone<U+0007>\" not found.");
    tab.newProfileName = "Line\nbreak";
    EXPECT_FALSE(tab.createProfile());
    EXPECT_EQ(tab.errorMessage(), "Profile name must not contain control characters");
}

// Line and paragraph separators, which would break a name over two lines,
// are refused with the control characters by the store's one check, and a
// stored name shows them written out.
TEST_F(ProfilesTabTest, LineAndParagraphSeparatorsAreRefusedAndWrittenOut) {
    for (const std::string name : {"Two\u2028Lines", "Para\u2029graph"}) {
        tab.newProfileName = name;
        EXPECT_TRUE(tab.canSaveNewProfile()) << name;
        EXPECT_FALSE(tab.createProfile()) << name;
        EXPECT_EQ(tab.errorMessage(), "Profile name must not contain control characters");
        EXPECT_THROW(ProfileStore::checkNewName(name), ProfileStoreError);
    }
    EXPECT_EQ(shownProfileName("Two\u2028Lines\u2029"), "Two<U+2028>Lines<U+2029>");
    tab.newProfileName = "  ";
    EXPECT_FALSE(tab.canSaveNewProfile()) << "an empty field is no name to save";
}

TEST_F(ProfilesTabTest, SwitchingAwayFromTheImplicitDefaultKeepsTheLiveConfiguration) {
    addProfiles({"Work"});
    tab.switchProfile("Work");
    EXPECT_EQ(tab.profiles(), (Names{"Default", "Work"}));
    EXPECT_EQ(firstSnippet(store().load("Default")), "live0");
}

TEST_F(ProfilesTabTest, IconOfAProfileThatCannotBeLoadedWritesNothing) {
    addProfiles({"Home", "Work"});
    activate("Home");
    addProfiles({"Gone"});
    writeFile(profilePath("Work"), "{oops");
    store().remove("Gone");  // deleted outside since the last reload
    for (const std::string name : {"Work", "Gone"}) {
        SCOPED_TRACE(name);
        ProfileIconPickerModel picker([&] { return tab.iconFor(name); },
                                      [&](const std::optional<SlotIcon>& icon) { tab.updateIcon(icon, name); });
        for (bool apply : {true, false}) {
            picker.openPicker();
            if (apply) picker.draft = kStar;
            picker.closePicker();  // Apply, then Cancel: each writes back once
            ASSERT_TRUE(tab.errorMessage());
            EXPECT_EQ(tab.errorMessage()->rfind("Could not update icon: ", 0), 0u) << *tab.errorMessage();
            EXPECT_FALSE(tab.iconFor(name));
        }
    }
    EXPECT_EQ(readFile(profilePath("Work")), "{oops");
    EXPECT_FALSE(exists("Gone"));
    EXPECT_FALSE(live().config().profileIcon);
}

TEST_F(ProfilesTabTest, IconWriteBack) {
    tab.updateIcon(kStar, "Default");  // the implicit row: the live configuration
    EXPECT_EQ(live().config().profileIcon, kStar);
    EXPECT_FALSE(exists("Default"));
    addProfiles({"Work"});
    tab.updateIcon(kStar, "Work");
    EXPECT_EQ(tab.iconFor("Work"), kStar);
    EXPECT_EQ(store().load("Work").profileIcon, kStar);
    tab.updateIcon(std::nullopt, "Work");
    EXPECT_FALSE(tab.iconFor("Work"));
    EXPECT_FALSE(store().load("Work").profileIcon);
}

TEST(ProfileIconPickerTest, WritesBackExactlyOncePerClosing) {
    struct Case {
        std::optional<SlotIcon> stored;
        std::optional<SlotIcon> picked;  // nothing: Cancel
        SlotIcon opensWith;
        std::optional<SlotIcon> written;
    };
    const Case cases[] = {
        {{}, kStar, SlotIcon::automatic(), kStar},
        {kStar, SlotIcon::automatic(), kStar, std::nullopt},  // reset to default, then Apply
        {kStar, {}, kStar, kStar},                            // Cancel writes the same icon back
        {SlotIcon::automatic(), {}, SlotIcon::automatic(), std::nullopt},
    };
    for (const auto& c : cases) {
        std::vector<std::optional<SlotIcon>> writes;
        ProfileIconPickerModel picker([&] { return c.stored; }, [&](const auto& icon) { writes.push_back(icon); });
        picker.closePicker();  // not open: nothing
        picker.openPicker();
        EXPECT_EQ(picker.draft, c.opensWith);
        if (c.picked) picker.draft = *c.picked;
        picker.closePicker();
        EXPECT_EQ(writes, (std::vector<std::optional<SlotIcon>>{c.written}));
    }
    ProfileIconPickerModel none([] { return std::nullopt; }, [](const auto&) {});
    EXPECT_EQ(none.shownIcon(), ProfileIconPickerModel::defaultIcon());
}

TEST_F(ProfilesTabTest, DuplicateProposalAndRefusals) {
    addProfiles({"Home", "Work"});
    activate("Home");
    tab.beginDuplicate("Work");
    EXPECT_EQ(tab.duplicateTargetName, "Work Copy");
    EXPECT_EQ(ProfilesTabModel::duplicateSheetTitle("Work"), "Duplicate \"Work\"");
    EXPECT_FALSE(ProfilesTabModel::canSubmitDuplicate(" \t"));
    tab.duplicateProfile("Home");
    EXPECT_EQ(tab.errorMessage(), "A profile named \"Home\" already exists.");
    EXPECT_EQ(firstSnippet(store().load("Home")), "Home0");
    tab.duplicateProfile(tab.duplicateTargetName);
    EXPECT_FALSE(tab.errorMessage());
    EXPECT_EQ(firstSnippet(store().load("Work Copy")), "Work0");
    addProfiles({"C", "D", "E"});
    tab.duplicateProfile("Seventh");
    EXPECT_EQ(tab.errorMessage(), "Profile limit reached (6). Delete one before duplicating.");
}

TEST_F(ProfilesTabTest, DuplicatingTheImplicitDefaultWritesItFirst) {
    tab.beginDuplicate("Default");
    tab.duplicateProfile("Default Copy");
    EXPECT_EQ(tab.profiles(), (Names{"Default", "Default Copy"}));
    EXPECT_EQ(tab.storedActiveName(), "Default");
    EXPECT_EQ(firstSnippet(store().load("Default Copy")), "live0");
}

TEST(RestoreSummaryTest, Sentences) {
    struct Case {
        RestoreStrategy strategy;
        std::size_t restored, renamed, skipped;
        std::string text;
    };
    const Case cases[] = {
        {RestoreStrategy::merge, 3, 2, 0, "Restored 3 profiles. Renamed 2 on collisions."},
        {RestoreStrategy::merge, 1, 1, 0, "Restored 1 profile. Renamed 1 on collision."},
        {RestoreStrategy::merge, 0, 0, 4, "Restored 0 profiles. Skipped 4 — profile limit reached."},
        {RestoreStrategy::replace, 3, 0, 0, "Replaced with 3 profiles from the backup."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProfilesTabModel::restoreSummary(c.strategy, c.restored, c.renamed, c.skipped), c.text);
}

TEST_F(ProfilesTabTest, BackUpThenRestoreByMergeAndByReplace) {
    addProfiles({"Home", "Work"});
    activate("Home");
    const std::string file = paths.root() + "/b.orbelbackup";
    tab.backUp(std::nullopt);  // cancelled
    EXPECT_FALSE(tab.statusMessage());
    tab.backUp(file);
    EXPECT_EQ(tab.statusMessage(), "Backed up to b.orbelbackup.");

    live().setConfig(withSnippets(1, "changed"));
    choose(file);
    ASSERT_TRUE(imports.pendingBackup());
    tab.applyRestore(RestoreStrategy::merge);
    EXPECT_FALSE(imports.pendingBackup());
    EXPECT_EQ(tab.statusMessage(), "Restored 2 profiles. Renamed 2 on collisions.");
    EXPECT_EQ(tab.profiles(), (Names{"Home", "Home 2", "Work", "Work 2"}));
    EXPECT_EQ(firstSnippet(live().config()), "changed0");

    choose(file);
    tab.applyRestore(RestoreStrategy::replace);
    EXPECT_EQ(tab.statusMessage(), "Replaced with 2 profiles from the backup.");
    EXPECT_EQ(tab.profiles(), (Names{"Home", "Work"}));
    EXPECT_EQ(firstSnippet(live().config()), "Home0");
}

TEST_F(ProfilesTabTest, UnreadableBackupsShowTheirTextAndNoSheet) {
    const std::string newer = paths.root() + "/newer.orbelbackup";
    OrbelBackup backup;
    backup.schemaVersion = 2;
    writeFile(newer, backup.encode());
    choose(newer);
    EXPECT_EQ(tab.errorMessage(),
              "Backup is schema version 2; this build of Orbel supports up to v1. Update Orbel, then try again.");
    EXPECT_FALSE(imports.pendingBackup());
    choose(paths.root() + "/missing.orbelbackup");
    EXPECT_EQ(tab.errorMessage()->rfind("Couldn't read the backup: ", 0), 0u);
    EXPECT_FALSE(tab.statusMessage());
}

TEST(BackupRestoreModelTest, WarnsOfRefusedNamesAndOfAMergeAtTheLimit) {
    OrbelBackup backup;
    for (const char* n : {"A", "B", "C"}) backup.profiles[n] = AppConfig::defaultConfig();
    BackupRestoreModel sheet({Uuid::random(), backup, "/tmp/x.orbelbackup"});
    const ProfileStore store(std::string("/tmp/orbel-profiles-unused"));
    const auto check = [&store](const std::string& name) -> std::optional<std::string> {
        try {
            (void)store.url(name);
        } catch (const ProfileStoreError& e) {
            return std::string(e.what());
        }
        return std::nullopt;
    };
    EXPECT_EQ(sheet.mergeWarning(), "") << "nothing known of the store: nothing said";
    struct Case {
        std::size_t stored, skipped;
        std::string start;
    };
    for (const Case& c : std::vector<Case>{{0, 0, ""},
                                           {3, 0, ""},
                                           {4, 1, "At most 6 profiles are kept: Merge would add 2 and skip 1"},
                                           {6, 3, "You already have 6 profiles, the most Orbel keeps: Merge would "
                                                  "skip every profile"}}) {
        sheet.setStore(std::vector<std::string>(c.stored, "x"), check);
        EXPECT_EQ(sheet.mergeSkips(), c.skipped) << c.stored;
        EXPECT_EQ(sheet.mergeWarning().substr(0, c.start.size()), c.start) << c.stored;
        EXPECT_EQ(sheet.mergeWarning().empty(), c.start.empty());
        EXPECT_TRUE(sheet.canConfirm()) << "a merge that skips is still allowed";
    }

    backup.profiles["../../escape"] = AppConfig::defaultConfig();
    BackupRestoreModel hostile({Uuid::random(), backup, "/tmp/x.orbelbackup"});
    hostile.setStore({}, check);
    ASSERT_EQ(hostile.refusals().size(), 1u);
    EXPECT_EQ(hostile.refusals()[0],
              "Couldn't restore profile \"../../escape\": Profile name must not start with '.'");
    EXPECT_FALSE(hostile.canConfirm()) << "a restore that will be refused cannot be started";
    // The counts come from the listed rows: a refused name is never counted as added.
    hostile.setStore(std::vector<std::string>(5, "x"), check);
    EXPECT_EQ(hostile.mergeWarning(), "At most 6 profiles are kept: Merge would add 1 and skip 3 of this backup's profiles.");
    hostile.setStore(std::vector<std::string>(3, "x"), check);
    EXPECT_EQ(hostile.mergeWarning(), "") << "room for the three restorable names";
    EXPECT_EQ(shownProfileName(std::string("Ok\u202Eevil\u200F\t\0z", 15)), "Ok<U+202E>evil<U+200F><U+0009>\\0z");
    EXPECT_EQ(shownProfileName("Caf\u00E9 \U0001F600"), "Caf\u00E9 \U0001F600");
    hostile.selectStrategy(RestoreStrategy::replace);
    hostile.confirmText = "REPLACE";
    EXPECT_FALSE(hostile.canConfirm());
}

TEST(BackupRestoreModelTest, ReplaceNeedsTheTypedWord) {
    BackupRestoreModel sheet({Uuid::random(), OrbelBackup{}, "/tmp/x.orbelbackup"});
    EXPECT_TRUE(sheet.canConfirm());
    EXPECT_EQ(sheet.restoreButtonTitle(), "Restore");
    EXPECT_TRUE(sheet.selectStrategy(RestoreStrategy::replace));
    EXPECT_EQ(sheet.restoreButtonTitle(), "Restore (Replace)");
    const std::pair<const char*, bool> typed[] = {
        {"", false}, {"  replace\t", true}, {"Replace", true}, {"REPLACE.", false}, {"REPLACE now", false},
        {"REPLACE\n", false},
    };
    for (const auto& [text, confirms] : typed) {
        sheet.confirmText = text;
        EXPECT_EQ(sheet.canConfirm(), confirms) << text;
    }
    sheet.confirmText = "REPLACE";
    sheet.selectStrategy(RestoreStrategy::merge);
    sheet.selectStrategy(RestoreStrategy::replace);
    EXPECT_FALSE(sheet.canConfirm());
}

TEST(BackupRestoreModelTest, FactsAndProfileRows) {
    OrbelBackup backup;
    backup.appVersion = "1.4";
    backup.profiles = {{"Work", {}}, {"home", {}}, {"Alpha", {}}};
    backup.activeProfile = "Work";
    BackupRestoreModel sheet({Uuid::random(), backup, "/x/orbel-backup-2026-12-05.orbelbackup"});
    EXPECT_EQ(sheet.fileName(), "orbel-backup-2026-12-05.orbelbackup");
    EXPECT_EQ(sheet.countText(), "3 saved");
    using Row = BackupRestoreModel::ProfileRow;
    EXPECT_EQ(sheet.profileRows(), (std::vector<Row>{{"Alpha", false}, {"Work", true}, {"home", false}}));
    backup.activeProfile = "Elsewhere";
    EXPECT_EQ(BackupRestoreModel({Uuid::random(), backup, ""}).profileRows()[1], (Row{"Work", false}));
    EXPECT_EQ(BackupRestoreModel({Uuid::random(), OrbelBackup{}, ""}).countText(), "0 saved");
}

TEST_F(ProfilesTabTest, RestoreReadsOnlyRegularFilesAndNeverOnThisThread) {
    const std::string pipe = paths.root() + "/pipe.orbelbackup", zero = paths.root() + "/zero.orbelbackup",
                      huge = paths.root() + "/huge.orbelbackup", good = paths.root() + "/good.orbelbackup";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);  // no writer: opening it the usual way waits for ever
    ASSERT_EQ(::symlink("/dev/zero", zero.c_str()), 0);
    writeFile(huge, "");
    ASSERT_TRUE(QFile::resize(QString::fromStdString(huge), ImportCoordinator::kMaxBackupBytes + 1));  // sparse
    tab.backUp(good);
    const std::pair<std::string, std::string> refused[] = {
        {pipe, "Couldn't read the backup: “pipe.orbelbackup” is a pipe, not a file."},
        {zero, "Couldn't read the backup: “zero.orbelbackup” is a device, not a file."},
        {huge, "Couldn't read the backup: “huge.orbelbackup” is larger than 64 MB."},
    };
    for (const auto& [path, text] : refused) {
        SCOPED_TRACE(path);
        auto done = std::make_shared<bool>(false);
        tab.chooseBackupToRestore(path, [done] { *done = true; });
        EXPECT_TRUE(tab.readingBackup());
        EXPECT_FALSE(*done);  // the outcome comes later, queued
        ASSERT_TRUE(QTest::qWaitFor([&] { return *done; }, 10000));
        EXPECT_EQ(tab.errorMessage(), text);
        EXPECT_FALSE(tab.statusMessage());
        EXPECT_FALSE(imports.pendingBackup());
    }
    // Only the latest choice counts, whichever read ends first.
    tab.chooseBackupToRestore(pipe);
    choose(good);
    QTest::qWait(200);
    EXPECT_FALSE(tab.readingBackup());
    EXPECT_FALSE(tab.errorMessage());
    ASSERT_TRUE(imports.pendingBackup());
    EXPECT_EQ(imports.pendingBackup()->sourcePath, good);
}

TEST_F(ProfilesTabTest, BackUpNamesEveryProfileItLeavesOut) {
    addProfiles({"Home", "Work"});
    writeFile(profilePath("Broken"), "{oops");
    writeFile(profilePath("Half"), "{\"version\" : 1, \"menu\" : [");
    ASSERT_EQ(::mkfifo(profilePath("Pipe").c_str(), 0600), 0);  // no profile, and never waited on
    const std::string file = paths.root() + "/b.orbelbackup";
    tab.backUp(file);
    EXPECT_FALSE(tab.statusMessage());  // never "Backed up to b.orbelbackup." alone
    EXPECT_EQ(tab.errorMessage(),
              "Backed up to b.orbelbackup without 2 profiles that couldn't be read: \"Broken\" (The given data was "
              "not valid JSON); \"Half\" (The given data was not valid JSON). A Replace restore from this file "
              "would delete them.");
    EXPECT_EQ(OrbelBackup::decode(readFile(file)).profiles.size(), 2u);
    EXPECT_EQ(ProfilesTabModel::backedUpText("x.orbelbackup", {{"Old", "gone."}}),
              "Backed up to x.orbelbackup without 1 profile that couldn't be read: \"Old\" (gone). A Replace "
              "restore from this file would delete it.");
    // Once they read again, the backup is whole and said so.
    store().remove("Broken");
    store().remove("Half");
    tab.backUp(file);
    EXPECT_FALSE(tab.errorMessage());
    EXPECT_EQ(tab.statusMessage(), "Backed up to b.orbelbackup.");
}

TEST_F(ProfilesTabTest, AFifoOrADeviceInTheProfilesFolderIsNoProfileAndNeverWaitedOn) {
    AppConfig home = withSnippets(1, "Home");
    home.profileIcon = kStar;
    store().save(home, "Home");
    // A menu that does not decode: only the icon is read, so it shows.
    writeFile(profilePath("Odd"), "{\"profileIcon\" : " + json::write(kStar.toJson()) + ", \"menu\" : 7}");
    ASSERT_EQ(::mkfifo(profilePath("Pipe").c_str(), 0600), 0);
    ASSERT_EQ(::symlink("/dev/zero", profilePath("Zero").c_str()), 0);
    tab.reload();
    EXPECT_EQ(tab.profiles(), (Names{"Home", "Odd"}));
    EXPECT_EQ(tab.displayedProfiles(), (Names{"Default", "Home", "Odd"}));
    EXPECT_EQ(tab.iconFor("Home"), kStar);
    EXPECT_EQ(tab.iconFor("Odd"), kStar);
}
