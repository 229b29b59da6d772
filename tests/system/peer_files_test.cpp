// Files other programs or the configuration name, against the real `orbel`
// and a real media player: a FIFO, /dev/zero or a huge photo never holds up
// the dial nor eats memory.
#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QUrl>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "music/now_playing_service.h"
#include "orbel_process.h"

namespace orbel {
namespace {

using systemtest::Orbel;
using systemtest::Program;
using systemtest::residentMegabytes;
using systemtest::spin;
using systemtest::spinUntil;
using systemtest::xdotool;

void makeFifo(const QString& path) { ASSERT_EQ(mkfifo(QFile::encodeName(path).constData(), 0600), 0); }

QByteArray encoded(QSize size, const char* format) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(200, 40, 40));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 60);
    return bytes;
}

class PeerFilesSystem : public ::testing::Test {
protected:
    void SetUp() override {
        ORBEL_REQUIRE_DISPLAY();
        if (!QFile::exists(systemtest::kOrbel)) GTEST_SKIP() << "orbel is not built";
    }
    // The hot key opens the dial, a move of the pointer reaches a wedge and
    // Escape closes it again.
    static void dialAnswers(Orbel& orbel) {
        const int shown = orbel.count("ShowMenuVisible"), hovered = orbel.count("HoverUpdated"),
                  hidden = orbel.count("HideMenuComplete");
        xdotool({"mousemove", "960", "540"});
        xdotool({"key", "ctrl+alt+o"});
        EXPECT_TRUE(spinUntil([&] { return orbel.count("ShowMenuVisible") > shown; }));
        xdotool({"mousemove", "960", "380"});
        EXPECT_TRUE(spinUntil([&] { return orbel.count("HoverUpdated") > hovered; }));
        xdotool({"key", "Escape"});
        EXPECT_TRUE(spinUntil([&] { return orbel.count("HideMenuComplete") > hidden; }));
    }
};

TEST_F(PeerFilesSystem, APipeOrADeviceHandedOverAsABackupLeavesOrbelAnsweringAndQuitting) {
    // A player naming a pipe as its artwork keeps nobody from quitting.
    QTemporaryDir files;
    makeFifo(files.filePath("art.png"));
    Program player(QStringLiteral("orbel_mpris_player"), {"--art", QUrl::fromLocalFile(files.filePath("art.png")).toString()});
    ASSERT_TRUE(player.waitForLine("ready"));
    Orbel orbel(R"({"version":1,"hotkey":"ctrl+opt+o"})");
    ASSERT_TRUE(orbel.waitForLog("ShowMenuVisible"));
    xdotool({"key", "Escape"});
    ASSERT_TRUE(orbel.waitForLog("HideMenuComplete"));
    const QString pipe = orbel.home() + "/Stuck.orbelbackup", zero = orbel.home() + "/Zero.orbelbackup";
    makeFifo(pipe);
    ASSERT_TRUE(QFile::link("/dev/zero", zero));
    const qint64 before = residentMegabytes(orbel.pid());

    QProcess second;
    orbel.start(second, {pipe, zero});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 0);
    dialAnswers(orbel);
    EXPECT_LT(residentMegabytes(orbel.pid()) - before, 100);
    EXPECT_EQ(orbel.stop(), 0);
}

TEST_F(PeerFilesSystem, APipeADeviceAndLargePhotosAsIconsNeverHoldUpTheDial) {
    QTemporaryDir files;
    makeFifo(files.filePath("pipe.png"));
    ASSERT_TRUE(QFile::link("/dev/zero", files.filePath("zero.png")));
    systemtest::writeFile(files.filePath("photo0.jpg"), encoded({6000, 4000}, "JPEG"));
    auto item = [](const QString& title, const QString& icon) {
        return QString(R"({"snippet":"x","title":"%1","icon":"%2"})").arg(title, icon);
    };
    QStringList menu = {item("Pipe", files.filePath("pipe.png")), item("Zero", files.filePath("zero.png"))};
    for (int i = 0; i < 4; ++i) {
        const QString photo = files.filePath(QStringLiteral("photo%1.jpg").arg(i));
        if (i) QFile::copy(files.filePath("photo0.jpg"), photo);
        menu << item(QStringLiteral("Photo %1").arg(i), photo);
    }
    Orbel orbel(QString(R"({"version":1,"hotkey":"ctrl+opt+o","menu":[%1]})").arg(menu.join(',')).toUtf8());
    ASSERT_TRUE(orbel.waitForLog("ShowMenuVisible"));
    const qint64 before = residentMegabytes(orbel.pid());
    xdotool({"key", "Escape"});
    ASSERT_TRUE(orbel.waitForLog("HideMenuComplete"));
    for (int round = 0; round < 2; ++round) dialAnswers(orbel);
    EXPECT_LT(residentMegabytes(orbel.pid()) - before, 100);
    EXPECT_TRUE(orbel.log().contains("pipe.png")) << "the refused icon is named in the log";
    EXPECT_EQ(orbel.stop(), 0);
}

// Artwork a player names: files and data URLs show, scaled to the disc;
// a pipe, a device or anything else never holds up Orbel nor eats memory.
TEST(PeerFilesMusic, ArtworkIsReadSafelyAndScaledToTheDisc) {
    ORBEL_REQUIRE_DISPLAY();
    QTemporaryDir files;
    makeFifo(files.filePath("pipe.png"));
    systemtest::writeFile(files.filePath("cover.png"), encoded({40, 40}, "PNG"));
    systemtest::writeFile(files.filePath("large.jpg"), encoded({5600, 5600}, "JPEG"));
    auto& service = LiveMusicNowPlayingService::shared();
    service.startObserving();
    const qint64 before = residentMegabytes(QCoreApplication::applicationPid());
    struct Case {
        QString url;
        QSize artwork;  // invalid: none
    } cases[] = {
        {QUrl::fromLocalFile(files.filePath("cover.png")).toString(), {40, 40}},
        {"data:image/png;base64," + QString::fromLatin1(encoded({30, 20}, "PNG").toBase64()), {30, 20}},
        {QUrl::fromLocalFile(files.filePath("large.jpg")).toString(), {512, 512}},
        {"file:///dev/zero", {}},
        {QUrl::fromLocalFile(files.filePath("pipe.png")).toString(), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url.left(60).toStdString());
        Program player(QStringLiteral("orbel_mpris_player"), {QStringLiteral("--art"), c.url});
        ASSERT_TRUE(player.waitForLine("ready"));
        auto artwork = [&] {
            const auto& track = service.currentState().track;
            QImage image;
            if (track && track->artworkData) image.loadFromData(track->artworkData->data(), int(track->artworkData->size()));
            return image.size();
        };
        ASSERT_TRUE(spinUntil([&] { return service.currentState().track.has_value(); }));
        if (c.artwork.isValid()) {
            EXPECT_TRUE(spinUntil([&] { return artwork() == c.artwork; }, 10000)) << artwork().width();
        } else {
            spin(1000);
            EXPECT_TRUE(artwork().isEmpty());
        }
        player.stop();
        ASSERT_TRUE(spinUntil([&] { return !service.currentState().track; }));
    }
    EXPECT_LT(residentMegabytes(QCoreApplication::applicationPid()) - before, 100);
}

}  // namespace
}  // namespace orbel
