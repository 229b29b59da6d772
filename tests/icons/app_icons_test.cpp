// Applications' icons named by desktop entries: found in the icon themes as
// the theme rules choose, and read like any file another program names, so
// a pipe or a device there never holds anything up.
#include "icons/app_icons.h"

#include <QBuffer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QSemaphore>
#include <QTest>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "dial/slot_picture.h"
#include "icons/custom_images.h"
#include "platform/icon_themes.h"
#include "fakes/replace_shared.h"
#include "support/test_files.h"

namespace orbel {
namespace {

using testing::writeFile;

QByteArray png(QSize size) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::blue);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

class AppIconsTest : public ::testing::Test {
protected:
    AppIconsTest() {
        search = {{"mine", "hicolor"}, {dir.filePath("home"), dir.filePath("usr")}, {dir.filePath("pixmaps")}};
        writeFile(dir.filePath("usr/mine/index.theme"),
                  "[Icon Theme]\nName=Mine\nInherits=parent,mine\nDirectories=16x16/apps,48x48/apps,fixed/apps\n\n"
                  "[16x16/apps]\nSize=16\n\n[48x48/apps]\nSize=48\nType=Threshold\n\n[fixed/apps]\nSize=32\nType=Fixed\n");
        writeFile(dir.filePath("usr/parent/index.theme"),
                  "[Icon Theme]\nName=Parent\nDirectories=scalable/apps\n\n[scalable/apps]\nSize=48\nType=Scalable\n"
                  "MinSize=8\nMaxSize=512\n");
        writeFile(dir.filePath("usr/hicolor/index.theme"), "[Icon Theme]\nDirectories=64x64/apps\n\n[64x64/apps]\nSize=64\n");
    }
    QString icon(const QString& relative) {
        writeFile(dir.filePath(relative), png({8, 8}));
        return dir.filePath(relative);
    }
    QString find(const char* name, int pixels) { return platform::findThemeIcon(name, pixels, search); }
    void fifo(const QString& relative) {
        QDir().mkpath(QFileInfo(dir.filePath(relative)).path());
        ASSERT_EQ(mkfifo(QFile::encodeName(dir.filePath(relative)).constData(), 0600), 0);
    }

    QTemporaryDir dir;
    platform::IconSearch search;
};

TEST_F(AppIconsTest, TheClosestSizeIsChosenThroughTheThemesParentsAndOnlyRegularFiles) {
    const QString small = icon("usr/mine/16x16/apps/editor.png"), large = icon("home/mine/48x48/apps/editor.svg");
    EXPECT_EQ(find("editor", 16), small);
    EXPECT_EQ(find("editor", 19), small);  // 16 +- 2 is closer than 48 +- 2
    EXPECT_EQ(find("editor", 96), large);
    EXPECT_EQ(find("editor", 47), large);  // a later base folder of the same theme
    const QString inherited = icon("usr/parent/scalable/apps/only-parent.svg");
    EXPECT_EQ(find("only-parent", 200), inherited);
    EXPECT_EQ(find("only-hicolor", 64), icon("usr/hicolor/64x64/apps/only-hicolor.png"));
    EXPECT_EQ(find("loose", 64), icon("pixmaps/loose.xpm"));
    // A pipe or a device is passed over for a file at another size, or none.
    fifo("usr/mine/48x48/apps/piped.png");
    const QString fallback = icon("usr/mine/16x16/apps/piped.png");
    EXPECT_EQ(find("piped", 48), fallback);
    ASSERT_TRUE(QDir().mkpath(dir.filePath("usr/mine/fixed/apps")));
    ASSERT_TRUE(QFile::link("/dev/zero", dir.filePath("usr/mine/fixed/apps/zero.png")));
    fifo("pixmaps/zero.png");
    EXPECT_EQ(find("zero", 32), "");
    for (const char* outside : {"", "../usr/mine/16x16/apps/editor", "/etc/passwd", "nothing"})
        EXPECT_EQ(find(outside, 16), "") << outside;
    // A theme's index.theme that is a pipe names no folders.
    QFile::remove(dir.filePath("usr/parent/index.theme"));
    fifo("usr/parent/index.theme");
    platform::IconSearch other = search;
    other.themeFolders = QStringList{dir.filePath("usr")};  // not the parsed theme kept from above
    EXPECT_EQ(platform::findThemeIcon("only-parent", 200, other), "");
}

// Each lookup answers at once; pictures come in later, read on reader
// threads, decoded at the size drawn; a pipe or a device never loads.
TEST_F(AppIconsTest, PicturesLoadOffTheInterfaceThreadAtTheSizeDrawn) {
    const QByteArray dataDirs = qgetenv("XDG_DATA_DIRS");
    qputenv("XDG_DATA_DIRS", dir.filePath("usr").toUtf8());
    writeFile(dir.filePath("usr/icons/hicolor/index.theme"), "[Icon Theme]\nDirectories=apps\n\n[apps]\nSize=256\n");
    writeFile(dir.filePath("usr/icons/hicolor/apps/big-app.png"), png({400, 200}));
    fifo("usr/icons/hicolor/apps/piped-app.png");
    fifo("pipe.png");
    ASSERT_TRUE(QFile::link("/dev/zero", dir.filePath("zero.png")));
    writeFile(dir.filePath("plain.png"), png({300, 300}));

    fakes::Installed<AppIcons, AppIcons> icons;  // nothing found in an earlier test (or round) kept
    QSignalSpy loaded(&CustomImages::shared(), &CustomImages::loaded);
    const QSize pixels(64, 64);
    for (const QString& name : {QString("big-app"), dir.filePath("plain.png"), QString("piped-app"), dir.filePath("pipe.png"),
                                dir.filePath("zero.png")})
        EXPECT_FALSE(icons.image(name, pixels)) << "nothing before it is read: " << name.toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return icons.image("big-app", pixels) && icons.image(dir.filePath("plain.png"), pixels); }, 10000));
    EXPECT_EQ(icons.image("big-app", pixels)->size(), QSize(64, 32));
    EXPECT_EQ(icons.image(dir.filePath("plain.png"), pixels)->size(), QSize(64, 64));
    EXPECT_GE(loaded.count(), 2);
    for (const char* refused : {"pipe.png", "zero.png"}) {
        const QString path = dir.filePath(refused);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !CustomImages::shared().isLoading(path, pixels); }, 10000)) << refused;
        EXPECT_FALSE(icons.image(path, pixels)) << refused;
        EXPECT_TRUE(CustomImages::shared().problem(path, pixels)) << refused;
    }
    EXPECT_FALSE(icons.image("piped-app", pixels));  // passed over: no such icon
    // The dial's own lookup answers at once too, with nothing to draw.
    EXPECT_TRUE(dial::appIconImage(dir.filePath("pipe.png").toStdString(), 32, 2).isNull());
    EXPECT_TRUE(dial::appIconImage("piped-app", 32, 2).isNull());
    dataDirs.isNull() ? qunsetenv("XDG_DATA_DIRS") : qputenv("XDG_DATA_DIRS", dataDirs);
}

// The theme lookup reads files, so it runs on a reader thread: held there
// (until the test lets it go), it holds up neither the lookup's answer nor
// the interface thread's events, and it is made once.
TEST_F(AppIconsTest, TheThemeLookupRunsOffTheInterfaceThread) {
    const QString file = icon("usr/mine/16x16/apps/editor.png");
    QSemaphore held;
    std::atomic<int> lookups{0};
    std::atomic<bool> onInterfaceThread{false};
    fakes::Installed<AppIcons, AppIcons> icons{[&](const QString& name, int pixels, const platform::IconSearch&) {
        onInterfaceThread = QThread::currentThread() == QCoreApplication::instance()->thread();
        ++lookups;
        // Bounded: run on the interface thread, it stalls the test rather than hanging it.
        held.tryAcquire(1, 10000);
        return platform::findThemeIcon(name, pixels, search);
    }};
    EXPECT_FALSE(icons.image("editor", {16, 16}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return lookups == 1; }, 10000));
    EXPECT_FALSE(onInterfaceThread);
    bool turned = false;  // the event loop goes on meanwhile
    QMetaObject::invokeMethod(QCoreApplication::instance(), [&turned] { turned = true; }, Qt::QueuedConnection);
    EXPECT_TRUE(QTest::qWaitFor([&] { return turned; }, 10000));
    EXPECT_FALSE(icons.image("editor", {16, 16}));  // still looking: not asked twice
    held.release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return icons.image("editor", {16, 16}).has_value(); }, 10000));
    EXPECT_EQ(lookups, 1);
    EXPECT_EQ(file, platform::findThemeIcon("editor", 16, search));
}

}  // namespace
}  // namespace orbel
