#include "platform/file_manager.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

namespace orbel::platform {
namespace {

// No file manager owns org.freedesktop.FileManager1 on the test session's
// bus (or there is no bus): the folder goes to xdg-open, here a script on a
// PATH of the test's own.
class FileManagerFallback : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bin.isValid());
        savedPath = qgetenv("PATH");
        qputenv("PATH", bin.path().toUtf8());
    }
    void TearDown() override { qputenv("PATH", savedPath); }
    void install(const QString& script) {
        QFile file(bin.filePath("xdg-open"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(("#!/bin/sh\n" + script + "\n").toUtf8());
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    std::optional<std::optional<std::string>> reveal(const std::string& path) {
        std::optional<std::optional<std::string>> answer;
        FileManager::shared().reveal(path, [&](const std::optional<std::string>& failure) { answer = failure; });
        (void)QTest::qWaitFor([&] { return answer.has_value(); }, 15000);
        return answer;
    }

    QTemporaryDir bin;
    QByteArray savedPath;
};

TEST_F(FileManagerFallback, OpensTheFolderAndSaysWhenNothingCould) {
    const QString log = bin.filePath("opened");
    install("echo \"$1\" > '" + log + "'");
    auto answer = reveal("/tmp/orbel-config/config.json");
    ASSERT_TRUE(answer);
    EXPECT_FALSE(*answer) << **answer;
    QFile opened(log);
    ASSERT_TRUE(opened.open(QIODevice::ReadOnly));
    EXPECT_EQ(opened.readAll().trimmed(), QUrl::fromLocalFile("/tmp/orbel-config").toString().toUtf8());

    install("exit 3");  // xdg-open's "no handler"
    answer = reveal("/tmp/orbel-config/config.json");
    ASSERT_TRUE(answer);
    ASSERT_TRUE(*answer);
    EXPECT_NE((*answer)->find("exit status 3"), std::string::npos) << **answer;

    QFile::remove(bin.filePath("xdg-open"));
    answer = reveal("/tmp/orbel-config/config.json");
    ASSERT_TRUE(answer && *answer);
    EXPECT_EQ(**answer, "xdg-open is not installed");
}

}  // namespace
}  // namespace orbel::platform
