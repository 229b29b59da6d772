// The installed applications from the desktop entries of a private XDG tree.
#include "platform/linux/app_index.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <map>
#include <QProcess>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/app_directory.h"
#include "support/child_output.h"
#include "support/test_files.h"
#include "support/xdg_tree.h"

namespace orbel::platform::xdg {
namespace {

using orbel::testing::writeFile;

// The entry found; an empty one when none is installed or it is not known yet.
AppRecord found(const platform::Lookup<AppRecord>& answer) { return answer.value() ? *answer.value() : AppRecord{}; }

class AppIndexTest : public ::testing::Test {
protected:
    void entry(const QString& folder, const char* id, const QByteArray& keys) {
        writeFile(xdg.root() + "/" + folder + "/applications/" + id + ".desktop",
                  "[Desktop Entry]\nType=Application\nName=" + QByteArray(id) + "\n" + keys);
    }
    // Changed entries are heard a moment later; the event loop brings the news.
    static bool settles(const std::function<bool()>& done) { return QTest::qWaitFor(done, 10000); }
    // Every change made so far heard and read: what the index answers now
    // is what it answers for the files as they are.
    static bool readsAll() { return settles([] { return AppIndex::shared().settled(); }); }
    static bool listed(const char* id) {
        const auto all = AppIndex::shared().all();
        return std::any_of(all->begin(), all->end(), [&](const AppRecord& r) { return r.id == id; });
    }
    orbel::testing::XdgFixture xdg;
};

TEST_F(AppIndexTest, ReadsEntriesAndStandsInForTheStockDialsIdentifiers) {
    entry("data", "zed", "Exec=env GDK_BACKEND=x11 /usr/bin/true --x %U\nStartupWMClass=Zed\nIcon=zed-icon\n");
    entry("data", "Alpha", "Exec=true\n");
    entry("data", "helper", "Exec=true\nNoDisplay=true\n");
    entry("data", "hidden", "Exec=true\nHidden=true\n");
    entry("data", "broken", "Exec=/no/such/program\n");
    entry("usr", "zed", "Exec=false\nName=System zed\n");  // shadowed by the user's entry
    entry("usr", "web", "Exec=true\nMimeType=x-scheme-handler/https;\n");
    entry("usr", "term-a", "Exec=true\nCategories=System;TerminalEmulator;\n");
    entry("usr", "term-b", "Exec=true\nCategories=TerminalEmulator;\n");
    entry("usr", "gnome-control-center", "Exec=true\n");
    entry("usr", "plain-editor", "Exec=true\nMimeType=text/plain;\n");
    writeFile(xdg.root() + "/config/mimeapps.list", "[Default Applications]\nx-scheme-handler/https=web.desktop\n");

    const std::vector<std::string> menu{"Alpha", "gnome-control-center", "plain-editor", "term-a", "term-b", "web", "zed"};
    std::vector<std::string> listed;
    ASSERT_TRUE(readsAll());
    EXPECT_TRUE(settles([&] {
        listed.clear();
        for (const auto& app : AppDirectory::shared().allApps()) listed.push_back(app.id);
        return listed == menu;
    })) << ::testing::PrintToString(listed);

    AppIndex& index = AppIndex::shared();
    const auto answer = index.resolve("zed");  // held: zed points into it
    const AppRecord* zed = answer.value();
    ASSERT_TRUE(zed);
    EXPECT_EQ(zed->program.toStdString(), "true");  // behind env
    EXPECT_EQ(zed->startupWMClass, "Zed");
    EXPECT_EQ(zed->icon, "zed-icon");
    EXPECT_EQ(zed->location, xdg.root() + "/data/applications/zed.desktop");
    for (const char* missing : {"hidden", "broken", "nothing", "../usr/applications/web", "com.apple.Notes"})
        EXPECT_TRUE(index.resolve(missing).isNone()) << missing;
    const std::pair<const char*, const char*> standIns[] = {
        {"com.apple.Safari", "web"},
        {"com.apple.TextEdit", "plain-editor"},
        {"com.apple.Terminal", "term-a"},
        {"com.apple.systempreferences", "gnome-control-center"}};
    for (const auto& [foreign, id] : standIns) EXPECT_EQ(found(index.resolve(foreign)).id.toStdString(), id) << foreign;
    EXPECT_TRUE(index.resolve("com.apple.finder").isNone());  // no file manager here
}

TEST_F(AppIndexTest, TheTerminalListsChooseTheTerminal) {
    entry("usr", "term-a", "Exec=true\nCategories=TerminalEmulator;\n");
    entry("usr", "term-b", "Exec=true\nCategories=TerminalEmulator;\n");
    entry("usr", "term-c", "Exec=true\n");
    writeFile(xdg.root() + "/config/xdg-terminals.list", "# mine\n-term-c.desktop\nnot-installed.desktop\n+term-b:new-window\n");
    auto terminal = [] { return found(AppIndex::shared().resolve("com.apple.Terminal")).id.toStdString(); };
    EXPECT_TRUE(settles([&] { return terminal() == "term-b"; })) << terminal();
}

TEST_F(AppIndexTest, EntriesFollowTheDesktopEntryRulesAndEditsInPlaceAreHeard) {
    qputenv("LC_ALL", "de_AT.UTF-8");
    qputenv("XDG_CURRENT_DESKTOP", "Here:Other");
    entry("usr", "gone", "Exec=true\n");
    entry("data", "gone", "Hidden=true\n");  // the user's entry removes the system's
    entry("usr", "word", "Exec=\"/usr/bin/true\" --x\nName[de]=Wort\nName[de_AT]=Wortl\nName[fr]=Mot\n");
    entry("usr", "untried", "TryExec=no-such-program-here\nExec=true\n");
    writeFile(xdg.root() + "/usr/applications/link.desktop", "[Desktop Entry]\nType=Link\nName=Link\nURL=https://example.org\n");
    entry("usr", "only-here", "Exec=true\nOnlyShowIn=Here;\n");
    entry("usr", "only-there", "Exec=true\nOnlyShowIn=There;\n");
    entry("usr", "not-here", "Exec=true\nNotShowIn=Other;\n");
    writeFile(xdg.root() + "/usr/applications/kde4/viewer.desktop", "[Desktop Entry]\nType=Application\nName=Viewer\nExec=true\n");
    std::map<std::string, bool> listed;
    auto read = [&] {
        listed.clear();
        const auto all = AppIndex::shared().all();  // held: a new reading may replace it meanwhile
        for (const AppRecord& r : *all) listed[r.id.toStdString()] = r.listed;
    };
    const std::map<std::string, bool> expected{{"kde4-viewer", true}, {"not-here", false}, {"only-here", true},
                                               {"only-there", false}, {"word", true}};
    ASSERT_TRUE(readsAll());
    EXPECT_TRUE(settles([&] { return read(), listed == expected; })) << ::testing::PrintToString(listed);
    auto& index = AppIndex::shared();
    EXPECT_EQ(found(index.resolve("word")).name, "Wortl");
    EXPECT_EQ(found(index.resolve("word")).program, "true");
    EXPECT_EQ(found(index.resolve("kde4-viewer")).location, xdg.root() + "/usr/applications/kde4/viewer.desktop");
    for (const char* missing : {"gone", "untried", "link"}) EXPECT_TRUE(index.resolve(missing).isNone()) << missing;

    // Written over in place, not replaced: the new name is read. (The
    // reads the watches started are let finish first.)
    ASSERT_TRUE(readsAll());
    const std::uint64_t before = index.generation();
    ASSERT_EQ(found(index.resolve("word")).name, "Wortl");  // kept until a change is heard
    QFile word(xdg.root() + "/usr/applications/word.desktop");
    ASSERT_TRUE(word.open(QIODevice::WriteOnly | QIODevice::Truncate));
    word.write("[Desktop Entry]\nType=Application\nName=Renamed\nExec=true\n");
    word.close();
    EXPECT_TRUE(settles([&] { return found(index.resolve("word")).name == "Renamed"; }));
    EXPECT_LE(index.generation() - before, 4u);  // one burst of notices, one new reading
    qunsetenv("LC_ALL");
    qunsetenv("XDG_CURRENT_DESKTOP");
}

TEST_F(AppIndexTest, AddedAndRemovedAssociationsChooseTheMailClient) {
    entry("usr", "mail-a", "Exec=true\nMimeType=x-scheme-handler/mailto;\n");
    entry("usr", "mail-b", "Exec=true\nMimeType=x-scheme-handler/mailto;\n");
    // "?" while not known yet: that is not "none installed".
    auto mail = [] {
        const auto answer = AppIndex::shared().resolve("com.apple.mail");
        return answer.isNotKnownYet() ? std::string("?") : found(answer).id.toStdString();
    };
    EXPECT_TRUE(settles([&] { return mail() == "mail-a"; })) << mail();  // no choice made: the first by id
    writeFile(xdg.root() + "/config/mimeapps.list", "[Added Associations]\nx-scheme-handler/mailto=mail-b.desktop;\n");
    EXPECT_TRUE(settles([&] { return mail() == "mail-b"; })) << mail();
    writeFile(xdg.root() + "/etc/mimeapps.list", "[Removed Associations]\nx-scheme-handler/mailto=mail-a.desktop;mail-b.desktop;\n");
    EXPECT_TRUE(settles([&] { return mail().empty(); })) << mail();
}

TEST_F(AppIndexTest, EscapesQuotesAndListsAreReadAsWritten) {
    writeFile(xdg.root() + "/usr/applications/spaced.desktop",
              "[Desktop Entry]\nType=Application\nExec='/usr/bin/env' \"A=1\" true\nName=\\sTwo\\tWords\\\\\n"
              "Categories=A\\;B;C;;\n[Desktop Action new]\nName=Not this one\n");
    entry("usr", "open-quote", "Exec=\"true\n");
    entry("usr", "no-exec", "DBusActivatable=true\n");  // started over D-Bus: no Exec needed
    auto& index = AppIndex::shared();
    ASSERT_TRUE(readsAll());
    EXPECT_TRUE(settles([&] { return index.resolve("spaced").isFound(); }));
    const AppRecord spaced = found(index.resolve("spaced"));
    EXPECT_EQ(spaced.name, " Two\tWords\\");
    EXPECT_EQ(spaced.program, "true");
    EXPECT_EQ(spaced.categories, (QStringList{"A;B", "C"}));
    EXPECT_TRUE(index.resolve("open-quote").isNone());
    EXPECT_TRUE(index.resolve("no-exec").isFound());
}

TEST_F(AppIndexTest, AFolderMadeLaterIsWatchedAndABurstIsReadOnce) {
    auto& index = AppIndex::shared();
    const QString folder = xdg.root() + "/data/applications";
    ASSERT_TRUE(QDir(folder).removeRecursively());
    ASSERT_TRUE(readsAll());  // the index hears the folder go
    entry("data", "late", "Exec=true\n");  // makes the folder again
    const auto listed = [&](const char* id) {
        const auto all = index.all();
        return std::any_of(all->begin(), all->end(), [&](const AppRecord& r) { return r.id == id; });
    };
    EXPECT_TRUE(settles([&] { return listed("late"); }));

    // Fifty entries written at once, as a package manager does: a few
    // readings, not one per file.
    ASSERT_TRUE(readsAll());
    const std::uint64_t before = index.generation();
    for (int i = 0; i < 50; ++i) entry("usr", QByteArray("burst-" + QByteArray::number(i)).constData(), "Exec=true\n");
    EXPECT_TRUE(settles([&] { return index.all()->size() >= 51; }));
    ASSERT_TRUE(readsAll());
    EXPECT_LE(index.generation() - before, 8u);
}

// env's options that take a value (the program is not that value), and an
// escaped backslash before a list's semicolon (the semicolon still separates).
TEST_F(AppIndexTest, EnvsOptionsAndEscapedBackslashesInListsReadAsTheRulesSay) {
    const char* const execs[] = {
        "env \"A=b c\" -u X true", "env -iu X true",     "env --unset X true",
        "env --unset=X -C /tmp true --x", "env -uX -- true", "env -S \"A=1 true --x\" y",
    };
    entry("usr", "splits", "Exec=env" + QByteArray(" -S").repeated(100000) + " true\n");  // no program named
    for (int i = 0; i < 6; ++i) entry("usr", ("env-" + QByteArray::number(i)).constData(), "Exec=" + QByteArray(execs[i]) + "\n");
    entry("usr", "listed", "Exec=true\nCategories=a\\\\;b;\n");
    // What env would start is missing: the entry starts nothing.
    entry("usr", "gone-0", "Exec=env -u X /no/such/program\n");
    entry("usr", "gone-1", "Exec=env A=1 --chdir=/tmp no-such-program-anywhere %U\n");
    auto& index = AppIndex::shared();
    ASSERT_TRUE(readsAll());
    EXPECT_TRUE(settles([&] { return index.resolve("listed").isFound(); }));
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(found(index.resolve("env-" + QString::number(i))).program.toStdString(), "true") << execs[i];
    EXPECT_EQ(found(index.resolve("listed")).categories, (QStringList{"a\\", "b"}));
    EXPECT_TRUE(index.resolve("splits").isFound());
    EXPECT_EQ(found(index.resolve("splits")).program, "");
    for (const char* gone : {"gone-0", "gone-1"}) EXPECT_TRUE(index.resolve(gone).isNone()) << gone;
}

// Opened as a reader opens a file, a FIFO waits for a writer that never
// comes and /dev/zero never ends: neither may stop the index, the GUI
// thread or quitting.
TEST_F(AppIndexTest, APipeOrADeviceAmongTheEntriesAndListsReadsAsNothing) {
    const QString fifo = xdg.root() + "/data/applications/pipe";
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(fifo, xdg.root() + "/data/applications/x.desktop"));
    ASSERT_TRUE(QFile::link("/dev/zero", xdg.root() + "/data/applications/zero.desktop"));
    ASSERT_TRUE(QFile::link(fifo, xdg.root() + "/config/xdg-terminals.list"));
    ASSERT_TRUE(QFile::link("/dev/zero", xdg.root() + "/config/gnome-xdg-terminals.list"));
    qputenv("XDG_CURRENT_DESKTOP", "GNOME");
    entry("usr", "term-a", "Exec=true\nCategories=TerminalEmulator;\n");
    auto& index = AppIndex::shared();
    ASSERT_TRUE(readsAll());
    EXPECT_TRUE(settles([&] { return listed("term-a"); }));
    EXPECT_EQ(found(index.resolve("com.apple.Terminal")).id, "term-a");
    for (const char* refused : {"x", "zero"}) EXPECT_TRUE(index.resolve(refused).isNone()) << refused;
    entry("usr", "later", "Exec=true\n");  // the index still reads
    EXPECT_TRUE(settles([&] { return listed("later"); }));
    qunsetenv("XDG_CURRENT_DESKTOP");
}

// The inotify watches this process holds.
int inotifyWatches() {
    int watches = 0;
    for (const QString& fd : QDir("/proc/self/fdinfo").entryList(QDir::Files)) {
        QFile info("/proc/self/fdinfo/" + fd);
        if (info.open(QIODevice::ReadOnly)) watches += int(info.readAll().count("inotify wd:"));
    }
    return watches;
}

TEST_F(AppIndexTest, ALinkedFolderIsFollowedOnceAndItsFoldersAreWatchedWithinABound) {
    QTemporaryDir elsewhere;  // a big tree with a link of its own, linked among the entries
    for (int i = 0; i < 400; ++i) ASSERT_TRUE(QDir().mkpath(elsewhere.filePath(QString("tree/f%1").arg(i, 3, 10, QChar('0')))));
    writeFile(elsewhere.filePath("tree/inside.desktop"), "[Desktop Entry]\nType=Application\nName=In\nExec=true\n");
    writeFile(elsewhere.filePath("beyond/far.desktop"), "[Desktop Entry]\nType=Application\nName=Far\nExec=true\n");
    ASSERT_TRUE(QFile::link(elsewhere.filePath("beyond"), elsewhere.filePath("tree/again")));
    AppIndex::shared();
    ASSERT_TRUE(readsAll());  // its own folders watched
    const int before = inotifyWatches();
    const QString link = xdg.root() + "/data/applications/tree";
    ASSERT_TRUE(QFile::link(elsewhere.filePath("tree"), link));
    EXPECT_TRUE(settles([&] { return listed("tree-inside"); }));
    ASSERT_TRUE(readsAll());  // the folders read are watched, and read again
    EXPECT_FALSE(listed("tree-again-far"));
    EXPECT_LE(inotifyWatches() - before, 256);
    QFile::remove(link);  // the fixture would empty the linked folder
}

// While the first reading waits (here for a thread of Qt's pool), the GUI
// thread is answered without reading anything: no list yet, and no entry,
// not even one asked for by id, while ready() says that nothing means "not
// known yet"; the list and the answers come later, and those waiting are
// told. In a process of its own, so that its index is new.
TEST(AppIndexFirstReading, TheGuiThreadIsAnsweredBeforeTheListIsRead) {
    if (!qEnvironmentVariableIsSet("ORBEL_FIRST_READING")) {
        QProcess child;
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert("ORBEL_FIRST_READING", "1");
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=AppIndexFirstReading.*"});
        ASSERT_TRUE(child.waitForFinished(60000));
        const QString output = orbel::testing::childOutput(child.readAll());
        EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
        EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
        return;
    }
    orbel::testing::XdgFixture xdg;
    writeFile(xdg.root() + "/data/applications/one.desktop", "[Desktop Entry]\nType=Application\nName=One\nExec=true\n");
    QThreadPool& pool = *QThreadPool::globalInstance();
    const int threads = pool.maxThreadCount();
    auto busy = std::make_shared<QSemaphore>(), held = std::make_shared<QSemaphore>();
    for (int i = 0; i < threads; ++i) pool.start([busy, held] { busy->release(), held->acquire(); });
    busy->acquire(threads);
    auto& index = AppIndex::shared();
    EXPECT_TRUE(index.all()->empty());
    EXPECT_FALSE(index.ready());
    EXPECT_TRUE(index.resolve("one").isNotKnownYet());
    EXPECT_FALSE(index.settled());
    bool told = false;
    index.whenReady([&] { told = index.ready(); });
    const std::uint64_t generation = index.generation();
    held->release(threads);
    EXPECT_TRUE(QTest::qWaitFor([&] { return index.all()->size() == 1 && index.generation() > generation; }, 5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return told; }, 5000));
    EXPECT_EQ(found(index.resolve("one")).name, "One");
}

}  // namespace
}  // namespace orbel::platform::xdg
