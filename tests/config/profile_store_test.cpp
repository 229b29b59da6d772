#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

#include "config/profile_store.h"
#include "fakes/fake_platform_basics.h"
#include "model/json_writer.h"

using namespace orbel;
using Kind = ProfileStoreError::Kind;

namespace {

// Runs `f`, expecting a ProfileStoreError; returns it.
template <class F>
ProfileStoreError storeError(F&& f) {
    try {
        f();
    } catch (const ProfileStoreError& e) {
        return e;
    }
    ADD_FAILURE() << "no ProfileStoreError";
    return ProfileStoreError(Kind::io, "<none>");
}

AppConfig withRadius(double radius) {
    AppConfig c = AppConfig::defaultConfig();
    c.menuRadius = radius;
    return c;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

class ProfileStoreTest : public ::testing::Test {
protected:
    QString path(const QString& file) const { return dir.path() + "/profiles/" + file; }
    QStringList entries() const {
        return QDir(dir.path() + "/profiles").entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                                        QDir::Name);
    }

    QTemporaryDir dir;
    ProfileStore store{dir.path().toStdString() + "/profiles"};
};

TEST(ProfileStoreDefaults, FolderIsProfilesInTheConfigurationFolderAndMadeByTheFirstSave) {
    fakes::TempAppPaths paths;
    platform::AppPaths::setShared(&paths);
    const ProfileStore store;
    platform::AppPaths::setShared(nullptr);
    EXPECT_EQ(store.directory(), paths.configDir() + "/profiles");
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(store.directory())));
    store.save(AppConfig::defaultConfig(), "Work");
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(store.directory() + "/Work.json")));
}

TEST_F(ProfileStoreTest, NameChecksRunInOrderAfterTrimmingSpacesAndTabs) {
    const std::string empty = "Profile name must not be empty";
    const std::string dot = "Profile name must not start with '.'";
    const std::string separator = "Profile name must not contain path separators";
    struct Case {
        std::string name;
        std::optional<std::string> error;  // the invalidName text, or nothing
        std::string file;                  // else the file name
    };
    const std::vector<Case> cases = {
        {"", empty, ""},
        {" \t \xC2\xA0", empty, ""},  // no-break space counts as a space
        {".hidden", dot, ""},
        {"  .hidden", dot, ""},
        {"a/b", separator, ""},
        {"a\\b", separator, ""},
        {"  Work  ", std::nullopt, "Work.json"},
        {"Work\n", std::nullopt, "Work\n.json"},  // line breaks are not trimmed
        {"Dots.", std::nullopt, "Dots..json"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.error) {
            EXPECT_EQ(storeError([&] { store.url(c.name); }), ProfileStoreError(Kind::invalidName, *c.error));
            // Every operation checks the name before touching the disk.
            EXPECT_EQ(storeError([&] { store.save(AppConfig::defaultConfig(), c.name); }).kind(), Kind::invalidName);
            EXPECT_EQ(storeError([&] { store.load(c.name); }).kind(), Kind::invalidName);
            EXPECT_EQ(storeError([&] { store.remove(c.name); }).kind(), Kind::invalidName);
        } else {
            EXPECT_EQ(store.url(c.name), store.directory() + "/" + c.file);
        }
    }
    EXPECT_FALSE(QFileInfo::exists(dir.path() + "/profiles"));
}

TEST_F(ProfileStoreTest, TrimmedNameIsTheProfileButErrorsCarryTheNameAsPassed) {
    EXPECT_EQ(storeError([&] { store.load("  Work  "); }), ProfileStoreError(Kind::notFound, "  Work  "));
    EXPECT_EQ(storeError([&] { store.remove("  Work  "); }), ProfileStoreError(Kind::notFound, "  Work  "));

    store.save(withRadius(321), "  Work  ");
    EXPECT_TRUE(QFileInfo::exists(path("Work.json")));
    EXPECT_EQ(store.list(), std::vector<std::string>{"Work"});
    EXPECT_EQ(store.load("Work").menuRadius, 321);
    store.save(withRadius(400), "Work\t");
    EXPECT_EQ(store.load("  Work  ").menuRadius, 400);
    EXPECT_EQ(store.list().size(), 1u);

    store.remove(" Work");
    EXPECT_TRUE(store.list().empty());
    EXPECT_FALSE(QFileInfo::exists(path("Work.json")));
}

TEST_F(ProfileStoreTest, FileIsThePrettyConfigurationDocumentWithEscapedSlashes) {
    AppConfig config = withRadius(250);
    SlotConfig slot;
    slot.type = SlotType::snippet("a/b");
    slot.title = "Path";
    config.rootGroup.slots = {slot};
    store.save(config, "Work");

    const QByteArray bytes = readAll(path("Work.json"));
    EXPECT_EQ(bytes.toStdString(), json::write(config.toJson(), json::kConfigDocument));
    EXPECT_TRUE(bytes.startsWith("{\n  \"version\" : 1,\n"));  // document order, not sorted
    EXPECT_TRUE(bytes.contains("a\\/b"));
    EXPECT_EQ(entries(), QStringList{"Work.json"});  // nothing left beside it
}

TEST_F(ProfileStoreTest, ListingKeepsVisibleJsonEntriesInByteOrder) {
    EXPECT_TRUE(store.list().empty());  // missing folder
    ASSERT_TRUE(QDir().mkpath(path("folder.json")));  // entries need not be files
    for (const char* name : {"b.json", "Zed.json", "a.b.json", "\xC3\xA9t\xC3\xA9.json", "z.json", "notes.txt",
                             "Upper.JSON", ".hidden.json", "json", "x.json.bak"})
        writeFile(path(QString::fromUtf8(name)), "{}");
    ASSERT_EQ(::symlink("/nonexistent/target", path("dangling.json").toLocal8Bit().constData()), 0);

    EXPECT_EQ(store.list(),
              (std::vector<std::string>{"Zed", "a.b", "b", "dangling", "folder", "z", "\xC3\xA9t\xC3\xA9"}));
    // A listed dangling link can still be removed by name.
    store.remove("dangling");
    EXPECT_FALSE(QFileInfo(path("dangling.json")).isSymLink());
}

TEST_F(ProfileStoreTest, UnreadableProfileFailsWithIoButIsListedAndCounted) {
    store.ensureDirectory();
    writeFile(path("broken.json"), "{ not json");
    writeFile(path("bad.json"), R"({"menuRadius":"big"})");
    EXPECT_EQ(storeError([&] { store.load("broken"); }), ProfileStoreError(Kind::io, "The given data was not valid JSON."));
    const ProfileStoreError bad = storeError([&] { store.load("bad"); });
    EXPECT_EQ(bad.kind(), Kind::io);
    EXPECT_NE(bad.payload().find("menuRadius"), std::string::npos) << bad.payload();
    // A folder that carries the extension is listed but cannot be read.
    ASSERT_TRUE(QDir().mkpath(path("folder.json")));
    EXPECT_EQ(storeError([&] { store.load("folder"); }).kind(), Kind::io);
    EXPECT_EQ(store.list(), (std::vector<std::string>{"bad", "broken", "folder"}));
}

TEST_F(ProfileStoreTest, NeverCreatesASeventhProfile) {
    for (int i = 1; i <= 5; ++i) store.save(withRadius(100 + i), "P" + std::to_string(i));
    store.ensureDirectory();
    writeFile(path("broken.json"), "nope");  // unreadable files count too
    ASSERT_EQ(store.list().size(), 6u);

    EXPECT_EQ(storeError([&] { store.save(AppConfig::defaultConfig(), "Seventh"); }), ProfileStoreError(Kind::atCap));
    EXPECT_EQ(storeError([&] { store.duplicate("P1", "Seventh"); }), ProfileStoreError(Kind::atCap));
    // An existing name is reported before the limit; a missing source before
    // anything about the destination.
    EXPECT_EQ(storeError([&] { store.duplicate("P1", " P2 "); }), ProfileStoreError(Kind::alreadyExists, " P2 "));
    EXPECT_EQ(storeError([&] { store.duplicate("Nope", "a/b"); }), ProfileStoreError(Kind::notFound, "Nope"));
    EXPECT_EQ(storeError([&] { store.duplicate("broken", "Other"); }).kind(), Kind::io);
    EXPECT_FALSE(QFileInfo::exists(path("Seventh.json")));

    store.save(withRadius(999), "P3");  // replacing never meets the limit
    EXPECT_EQ(store.load("P3").menuRadius, 999);
    EXPECT_EQ(store.list().size(), 6u);
}

TEST_F(ProfileStoreTest, DuplicateCopiesTheSourceUnderTheTrimmedName) {
    store.save(withRadius(222), "Source");
    EXPECT_EQ(storeError([&] { store.duplicate("Source", ".x"); }).kind(), Kind::invalidName);
    store.duplicate("Source", "  Copy ");
    EXPECT_EQ(store.list(), (std::vector<std::string>{"Copy", "Source"}));
    EXPECT_EQ(readAll(path("Copy.json")), readAll(path("Source.json")));
}

TEST_F(ProfileStoreTest, FolderThatCannotBeCreatedIsAnIoError) {
    const QString blocker = dir.path() + "/blocker";
    writeFile(blocker, "a file, not a folder");
    for (const QString& folder : {blocker + "/profiles", blocker}) {
        SCOPED_TRACE(folder.toStdString());
        const ProfileStore blocked(folder.toStdString());
        const ProfileStoreError e = storeError([&] { blocked.save(AppConfig::defaultConfig(), "Work"); });
        EXPECT_EQ(e.kind(), Kind::io);
        EXPECT_FALSE(e.payload().empty());
        EXPECT_TRUE(blocked.list().empty());
    }
    EXPECT_EQ(readAll(blocker), "a file, not a folder");
}

// A write that fails half-way (here: the file size limit is hit) must leave
// the previous profile exactly as it was, and no stray file behind.
TEST_F(ProfileStoreTest, FailedSaveLeavesThePreviousFileIntact) {
    store.save(withRadius(300), "Work");
    const QByteArray before = readAll(path("Work.json"));
    ASSERT_GT(before.size(), 512);

    auto* previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previous), 0);
    rlimit small = previous;
    small.rlim_cur = 256;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const ProfileStoreError e = storeError([&] { store.save(withRadius(400), "Work"); });
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(e.kind(), Kind::io);
    EXPECT_FALSE(e.payload().empty());
    EXPECT_EQ(readAll(path("Work.json")), before);
    EXPECT_EQ(store.load("Work").menuRadius, 300);
    EXPECT_EQ(entries(), QStringList{"Work.json"});
}

}  // namespace
