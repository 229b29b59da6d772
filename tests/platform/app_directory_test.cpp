#include "platform/app_directory.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <thread>

namespace orbel::platform {
namespace {

void writeEntry(const QString& path, const QByteArray& body) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[Desktop Entry]\nType=Application\n" + body);
}

class AppDirectoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        user = tmp.path() + "/home/applications";
        system = tmp.path() + "/usr/applications";
        writeEntry(system + "/zeta.desktop", "Name=zeta\nExec=z\nIcon=zeta-icon\n");
        writeEntry(system + "/alpha.desktop", "Name=Alpha\nExec=a\n");
        writeEntry(system + "/beta-lower.desktop", "Name=beta\nExec=b\n");
        writeEntry(system + "/Beta-upper.desktop", "Name=Beta\nExec=b\n");
        writeEntry(system + "/dup.desktop", "Name=Duplicate (system)\nExec=d\n");
        writeEntry(user + "/dup.desktop", "Name=Duplicate (user)\nExec=d\n");
        writeEntry(system + "/gone.desktop", "Name=Gone\nExec=g\n");
        writeEntry(user + "/gone.desktop", "Hidden=true\n");
        writeEntry(system + "/helper.desktop", "Name=Helper\nExec=h\nNoDisplay=true\n");
        writeEntry(system + "/link.desktop", "Name=Link\nType=Link\nURL=https://example.org\n");
        writeEntry(system + "/noexec.desktop", "Name=No Exec\n");
        writeEntry(system + "/sub/nested.desktop", "Name=Nested\nExec=n\n");
        QFile junk(system + "/readme.txt");
        ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    }

    std::unique_ptr<AppDirectory> directory() {
        return makeAppDirectory({user.toStdString(), (tmp.path() + "/missing/applications").toStdString(),
                                 system.toStdString()});
    }

    QTemporaryDir tmp;
    QString user, system;
};

std::vector<std::string> ids(const std::vector<InstalledApp>& apps) {
    std::vector<std::string> out;
    for (const auto& a : apps) out.push_back(a.id);
    return out;
}

TEST_F(AppDirectoryTest, ListsShownApplicationsOnceSortedByNameWithEarlierFoldersWinning) {
    auto apps = directory()->allApps();
    EXPECT_EQ(ids(apps), (std::vector<std::string>{"alpha", "Beta-upper", "beta-lower", "dup", "sub-nested", "zeta"}));
    auto dup = std::find_if(apps.begin(), apps.end(), [](const auto& a) { return a.id == "dup"; });
    EXPECT_EQ(dup->name, "Duplicate (user)");
    EXPECT_EQ(dup->location, (user + "/dup.desktop").toStdString());
    EXPECT_EQ(apps.back(), (InstalledApp{"zeta", "zeta", "zeta-icon", (system + "/zeta.desktop").toStdString()}));
}

TEST_F(AppDirectoryTest, ConcurrentFirstCallsShareOneCompleteList) {
    auto dir = directory();
    std::vector<std::vector<InstalledApp>> results(8);
    std::vector<std::thread> threads;
    for (auto& r : results) threads.emplace_back([&dir, &r] { r = dir->allApps(); });
    for (auto& t : threads) t.join();
    for (const auto& r : results) EXPECT_EQ(r, results.front());
    EXPECT_EQ(results.front().size(), 6u);
}

TEST(AppDirectory, NoFoldersGiveAnEmptyList) {
    EXPECT_TRUE(makeAppDirectory({"/no/such/folder/applications"})->allApps().empty());
}

}  // namespace
}  // namespace orbel::platform
