// The control map is the tests' own: what `cmake --install` puts in a prefix
// holds none of the tests' builds, and the installed `orbel` leaves alone a
// file that ORBEL_TEST_CONTROL_MAP names, whatever asks for it.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "orbel_process.h"

namespace orbel {
namespace {

using systemtest::Orbel;

// Whether the file holds `text` anywhere, read a piece at a time.
bool fileContains(const QString& path, const QByteArray& text) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    QByteArray tail;
    while (!file.atEnd()) {
        const QByteArray piece = tail + file.read(8 << 20);
        if (piece.contains(text)) return true;
        tail = piece.right(text.size() - 1);
    }
    return false;
}

TEST(ControlMapSystem, TheInstalledProgramHasNoTestBuildAndLeavesTheNamedFileAlone) {
    ORBEL_REQUIRE_DISPLAY();
    if (!QFile::exists(systemtest::kOrbel)) GTEST_SKIP() << "orbel is not built";
    QTemporaryDir prefix;
    QString output;
    ASSERT_EQ(systemtest::installInto(prefix.path(), {"--strip"}, {}, &output), 0) << output.toStdString();
    const QString program = prefix.filePath("bin/orbel");
    EXPECT_EQ(QDir(prefix.filePath("bin")).entryList(QDir::Files), QStringList{"orbel"});
    EXPECT_TRUE(QFile::exists(program));
    EXPECT_FALSE(fileContains(program, "ORBEL_TEST_"));

    // A file of the user's, and a request beside it made once the program
    // runs; the dial opened after it is the program's answer to later events.
    QTemporaryDir user;
    const QString notes = user.filePath("notes.txt");
    systemtest::writeFile(notes, "my notes\n");
    Orbel orbel(Orbel::Deferred{});
    orbel.write("config.json", R"({"version":1,"hotkey":"ctrl+opt+o","showInTray":false})");
    orbel.setProgram(program);
    orbel.setEnvironment("ORBEL_TEST_CONTROL_MAP", notes);
    orbel.start();
    ASSERT_TRUE(orbel.dismissStartDial()) << orbel.log().toStdString();
    systemtest::writeFile(notes + ".request", "");
    ASSERT_TRUE(orbel.openDial("ctrl+alt+o")) << orbel.log().toStdString();
    systemtest::xdotool({"key", "Escape"});
    EXPECT_TRUE(orbel.waitForLog("HideMenuComplete", orbel.log().lastIndexOf("ShowMenuVisible")));
    QFile kept(notes);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "my notes\n");
    EXPECT_TRUE(QFile::exists(notes + ".request"));
}

}  // namespace
}  // namespace orbel
