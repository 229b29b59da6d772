#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <optional>
#include <unistd.h>

#include "config/profile_store.h"
#include "config_fixture.h"

using namespace orbel;
using namespace orbel::testing;
using Kind = ProfileStoreError::Kind;

namespace {

template <class F>
ProfileStoreError storeError(F&& f) {
    return thrown<ProfileStoreError>(std::forward<F>(f));
}

AppConfig withRadius(double radius) {
    AppConfig c = AppConfig::defaultConfig();
    c.menuRadius = radius;
    return c;
}

class ProfileStoreTest : public ::testing::Test {
protected:
    std::string path(const std::string& file) const { return store.directory() + "/" + file; }
    QStringList entries() const {
        return QDir(QString::fromStdString(store.directory()))
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    }

    QTemporaryDir dir;
    ProfileStore store{dir.path().toStdString() + "/profiles"};
};

}  // namespace

TEST_F(ProfileStoreTest, NameChecksRunInOrderAfterTrimmingSpacesAndTabs) {
    const std::string empty = "Profile name must not be empty", dot = "Profile name must not start with '.'",
                      separator = "Profile name must not contain path separators";
    const struct {
        std::string name;
        std::optional<std::string> error;  // the invalidName text, or else
        std::string file;                  // the file name
    } cases[] = {
        {" \t \xC2\xA0", empty, ""},  // no-break space counts as a space
        {"  .hidden", dot, ""},
        {"./x", dot, ""},
        {"a\\b", separator, ""},
        // Names the file system cannot hold: a NUL cut the path short, and
        // a file name has at most 255 bytes.
        {std::string("Ho\0me", 5), "Profile name must not contain a null character", ""},
        {std::string(251, 'x'), "Profile name is too long", ""},
        {std::string(250, 'x'), std::nullopt, std::string(250, 'x') + ".json"},
        {"  Work  ", std::nullopt, "Work.json"},
        {"Work\n", std::nullopt, "Work\n.json"},  // line breaks are not trimmed
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.error) {
            EXPECT_EQ(store.url(c.name), path(c.file));
            continue;
        }
        EXPECT_EQ(storeError([&] { store.url(c.name); }), ProfileStoreError(Kind::invalidName, *c.error));
        EXPECT_STREQ(storeError([&] { store.url(c.name); }).what(), c.error->c_str());
        // Every operation checks the name before touching the disk.
        EXPECT_EQ(storeError([&] { store.save(AppConfig::defaultConfig(), c.name); }).kind(), Kind::invalidName);
        EXPECT_EQ(storeError([&] { store.remove(c.name); }).kind(), Kind::invalidName);
    }
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(store.directory())));
}

TEST_F(ProfileStoreTest, TrimmedNameIsTheProfileButErrorsCarryTheNameAsPassed) {
    EXPECT_EQ(storeError([&] { store.load("  Work  "); }), ProfileStoreError(Kind::notFound, "  Work  "));
    EXPECT_EQ(storeError([&] { store.remove("  Work  "); }), ProfileStoreError(Kind::notFound, "  Work  "));
    store.save(withRadius(321), "  Work  ");
    store.save(withRadius(400), "Work\t");
    EXPECT_EQ(store.list(), std::vector<std::string>{"Work"});
    EXPECT_EQ(store.load("  Work  ").menuRadius, 400);
    store.remove(" Work");
    EXPECT_TRUE(entries().empty());
}

TEST_F(ProfileStoreTest, FileIsTheConfigurationDocumentAlone) {
    AppConfig config = withRadius(250);
    config.rootGroup.slots = {SlotConfig::make(SlotType::snippet("a/b"), "Path")};
    store.save(config, "Work");
    const std::string bytes = readFile(path("Work.json"));
    EXPECT_EQ(bytes, config.encodeDocument());
    EXPECT_EQ(bytes.rfind("{\n  \"version\" : 1,\n", 0), 0u);  // document order, not sorted
    EXPECT_NE(bytes.find("a\\/b"), std::string::npos);
    EXPECT_EQ(entries(), QStringList{"Work.json"});  // nothing left beside it
}

TEST_F(ProfileStoreTest, ListingKeepsVisibleJsonEntriesInByteOrder) {
    EXPECT_TRUE(store.list().empty());  // missing folder
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(path("folder.json"))));  // entries need not be files
    for (const char* name : {"b.json", "Zed.json", "a.b.json", "\xC3\xA9t\xC3\xA9.json", "notes.txt", "Upper.JSON",
                             ".hidden.json", "x.json.bak"})
        writeFile(path(name), "{}");
    ASSERT_EQ(::symlink("/nonexistent/target", path("dangling.json").c_str()), 0);
    // Regular files only: the folder and the dangling link are no profiles.
    EXPECT_EQ(store.list(), (std::vector<std::string>{"Zed", "a.b", "b", "\xC3\xA9t\xC3\xA9"}));
    // Still, a folder by that name fails to load with io; a dangling link
    // can still be removed by name.
    EXPECT_EQ(storeError([&] { store.load("folder"); }).kind(), Kind::io);
    store.remove("dangling");
    EXPECT_FALSE(QFileInfo(QString::fromStdString(path("dangling.json"))).isSymLink());
}

TEST_F(ProfileStoreTest, NeverCreatesASeventhProfile) {
    for (int i = 1; i <= 5; ++i) store.save(withRadius(100 + i), "P" + std::to_string(i));
    writeFile(path("broken.json"), "nope");  // unreadable files count too
    EXPECT_EQ(storeError([&] { store.load("broken"); }), ProfileStoreError(Kind::io, "The given data was not valid JSON."));
    EXPECT_EQ(storeError([&] { store.save(AppConfig::defaultConfig(), "Seventh"); }), ProfileStoreError(Kind::atCap));
    EXPECT_EQ(storeError([&] { store.duplicate("P1", "Seventh"); }), ProfileStoreError(Kind::atCap));
    // An existing name is reported before the limit; a missing source before
    // anything about the destination.
    EXPECT_EQ(storeError([&] { store.duplicate("P1", " P2 "); }), ProfileStoreError(Kind::alreadyExists, " P2 "));
    EXPECT_EQ(storeError([&] { store.duplicate("Nope", "a/b"); }), ProfileStoreError(Kind::notFound, "Nope"));
    EXPECT_EQ(storeError([&] { store.duplicate("broken", "Other"); }).kind(), Kind::io);
    store.save(withRadius(999), "P3");  // replacing never meets the limit
    EXPECT_EQ(store.load("P3").menuRadius, 999);
    EXPECT_EQ(store.list().size(), 6u);
    store.remove("broken");
    store.duplicate("P1", "  Copy ");
    EXPECT_EQ(readFile(path("Copy.json")), readFile(path("P1.json")));
}

TEST_F(ProfileStoreTest, FolderThatCannotBeCreatedIsAnIoError) {
    const std::string blocker = dir.path().toStdString() + "/blocker";
    writeFile(blocker, "a file, not a folder");
    for (const std::string& folder : {blocker + "/profiles", blocker}) {
        SCOPED_TRACE(folder);
        const ProfileStore blocked(folder);
        const ProfileStoreError e = storeError([&] { blocked.save(AppConfig::defaultConfig(), "Work"); });
        EXPECT_EQ(e.kind(), Kind::io);
        EXPECT_FALSE(e.payload().empty());
        EXPECT_TRUE(blocked.list().empty());
    }
    EXPECT_EQ(readFile(blocker), "a file, not a folder");
}

// Every name the checks allow is saved, again and again, and duplicated:
// the temporary file's name does not grow with the profile's.
TEST_F(ProfileStoreTest, TheLongestNamesAreSavedAndDuplicated) {
    const std::string longest(250, 'x'), copy(245, 'y');
    for (const double radius : {250.0, 260.0, 270.0}) store.save(withRadius(radius), longest);
    EXPECT_EQ(store.load(longest).menuRadius, 270);
    store.duplicate(longest, copy);
    EXPECT_EQ(store.load(copy).menuRadius, 270);
    EXPECT_EQ(entries(), (QStringList{QString::fromStdString(longest + ".json"),
                                      QString::fromStdString(copy + ".json")}));
}

// A write that fails half-way must leave the previous profile exactly as it
// was, and no stray file behind.
TEST_F(ProfileStoreTest, FailedSaveLeavesThePreviousFileIntact) {
    store.save(withRadius(300), "Work");
    const std::string before = readFile(path("Work.json"));
    ASSERT_GT(before.size(), 512u);
    withFileSizeLimit(256, [&] {
        const ProfileStoreError e = storeError([&] { store.save(withRadius(400), "Work"); });
        EXPECT_EQ(e.kind(), Kind::io);
        EXPECT_FALSE(e.payload().empty());
    });
    EXPECT_EQ(readFile(path("Work.json")), before);
    EXPECT_EQ(entries(), QStringList{"Work.json"});
}

TEST_F(ProfileStoreTest, IconIsReadAloneAndABrokenFileStillFails) {
    AppConfig withIcon = withRadius(250);
    withIcon.profileIcon = SlotIcon::monogram("W");
    withIcon.rootGroup.slots = {SlotConfig::make(SlotType::snippet("text"), "Path")};
    store.save(withIcon, "Work");
    store.save(withRadius(250), "Plain");
    EXPECT_EQ(store.loadIcon("Work"), withIcon.profileIcon);
    EXPECT_EQ(store.loadIcon("Plain"), std::nullopt);

    struct Case {
        const char* bytes;
        std::optional<SlotIcon> icon;  // when readable
        bool fails;
    };
    const Case cases[] = {
        {R"({"slots":[{"profileIcon":"W"}]})", std::nullopt, false},
        {R"({"a":[1,2,{"b":null}],"profileIcon":"Q","z":{}})", SlotIcon::monogram("Q"), false},
        {R"({"profileIcon":7})", std::nullopt, false},
        {R"([{"profileIcon":"W"}])", std::nullopt, false},
        {R"({"profileIcon":)", std::nullopt, true},
        {R"({"profileIcon":"Q"} x)", std::nullopt, true},
    };
    for (const Case& c : cases) {
        writeFile(path("Odd.json"), c.bytes);
        if (c.fails) EXPECT_EQ(storeError([&] { (void)store.loadIcon("Odd"); }).kind(), Kind::io) << c.bytes;
        else EXPECT_EQ(store.loadIcon("Odd"), c.icon) << c.bytes;
    }
    EXPECT_EQ(storeError([&] { (void)store.loadIcon("Missing"); }).kind(), Kind::notFound);
}

TEST_F(ProfileStoreTest, APipeADeviceOrAnOversizedFileIsRefusedWithoutWaiting) {
    store.save(withRadius(321), "Home");
    ASSERT_EQ(::mkfifo(path("Pipe.json").c_str(), 0600), 0);  // no writer: a plain open would wait for ever
    ASSERT_EQ(::symlink("/dev/zero", path("Zero.json").c_str()), 0);
    ASSERT_EQ(::symlink(path("Home.json").c_str(), path("Alias.json").c_str()), 0);  // a link to a file is one
    writeFile(path("Huge.json"), "");
    ASSERT_TRUE(QFile::resize(QString::fromStdString(path("Huge.json")), ProfileStore::kMaxFileBytes + 1));
    EXPECT_EQ(store.list(), (std::vector<std::string>{"Alias", "Home", "Huge"}));
    EXPECT_EQ(store.load("Alias").menuRadius, 321);
    const std::pair<std::string, std::string> refused[] = {
        {"Pipe", "“Pipe.json” is a pipe, not a file."},
        {"Zero", "“Zero.json” is a device, not a file."},
        {"Huge", "“Huge.json” is larger than 64 MB."},
    };
    for (const auto& [name, text] : refused) {
        EXPECT_EQ(storeError([&] { store.load(name); }), ProfileStoreError(Kind::io, text));
        EXPECT_EQ(storeError([&] { store.loadIcon(name); }), ProfileStoreError(Kind::io, text));
        EXPECT_EQ(storeError([&] { store.duplicate(name, "Copy"); }), ProfileStoreError(Kind::io, text));
    }
    // The names are taken all the same, and the entries removable.
    EXPECT_EQ(storeError([&] { store.duplicate("Home", "Pipe"); }), ProfileStoreError(Kind::alreadyExists, "Pipe"));
    store.remove("Pipe");
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(path("Pipe.json"))));
}

// A file named otherwise than the store names it is the profile its name
// trims to; one no name reaches stays on disk, out of the list, untouched.
TEST_F(ProfileStoreTest, FilesNotNamedAsTheStoreNamesThemAreReachedByTheListedName) {
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(store.directory())));
    for (const auto& [file, radius] : {std::pair{"Work.json", 300}, {"Work .json", 400}, {"\tHome.json", 500},
                                       {" Home.json", 501}, {" .json", 100}})
        writeFile(path(file), withRadius(radius).encodeDocument());
    EXPECT_EQ(store.list(), (std::vector<std::string>{"Home", "Work"}));
    EXPECT_EQ(store.scan().unlisted, (std::vector<std::string>{" .json", " Home.json", "Work .json"}));
    EXPECT_EQ(store.load(" Home ").menuRadius, 500);  // the first in byte order
    store.save(withRadius(600), "Home");
    EXPECT_EQ(readFile(path("\tHome.json")), withRadius(600).encodeDocument());
    EXPECT_EQ(readFile(path(" Home.json")), withRadius(501).encodeDocument());
    store.remove("Work");
    EXPECT_EQ(store.load("Work").menuRadius, 400) << "the other Work is reached now";
    ASSERT_FALSE(store.replaceAll({{"New", withRadius(700)}}));  // replaces the listed profiles alone
    EXPECT_EQ(entries(), (QStringList{" .json", " Home.json", "New.json"}));
}

TEST_F(ProfileStoreTest, NewNamesWithControlOrDirectionCharactersAreRefusedStoredOnesStillWork) {
    const ProfileStoreError refused(Kind::invalidName, "Profile name must not contain control characters");
    for (const std::string name : {"Evil\u202Egnp.exe", "Bell\a", "Two\nLines", "Tab\tin", "Mark\u200F", "Iso\u2066x",
                                   "C1\u0085", "Arabic\u061Cmark"})
        EXPECT_EQ(storeError([&] { store.save(withRadius(300), name); }), refused) << name;
    ProfileStore::checkNewName("Caf\u00E9 \u05E9\u05DC\u05D5\u05DD \U0001F600");  // letters of any script pass
    const std::string stored = "Evil\u202Egnp.exe";
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(store.directory())));
    writeFile(path(stored + ".json"), withRadius(400).encodeDocument());
    EXPECT_EQ(store.list(), std::vector<std::string>{stored});
    store.save(withRadius(500), stored);  // replacing is no new name
    EXPECT_EQ(store.load(stored).menuRadius, 500);
    EXPECT_EQ(storeError([&] { store.duplicate(stored, "Copy\u202E"); }), refused);
    EXPECT_STREQ(storeError([&] { store.load("Gone\a"); }).what(), "There is no profile named \"Gone<U+0007>\".");
}
