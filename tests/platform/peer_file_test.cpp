// Files that other programs name: only regular files within their limit are
// read, images decode to the size asked for, and reads run on threads of
// their own.
#include "platform/peer_file.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QThreadPool>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/test_files.h"

namespace orbel::platform {
namespace {

TEST(PeerFile, ReadsRegularFilesWithinTheLimitOnly) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath("pipe"), link = dir.filePath("zero.png");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link("/dev/zero", link));
    testing::writeFile(dir.filePath("ten"), "0123456789");
    testing::writeFile(dir.filePath("empty"), "");
    struct Case {
        QString path;
        qint64 limit;
        std::optional<QByteArray> bytes;
        std::string error;
    } cases[] = {
        {dir.filePath("ten"), 10, "0123456789", ""},
        {dir.filePath("empty"), 10, "", ""},
        {dir.filePath("ten"), 9, std::nullopt, "“ten” is larger than 9 bytes."},
        {dir.filePath("missing"), 10, std::nullopt, "“missing”: No such file or directory."},
        {fifo, 10, std::nullopt, "“pipe” is a pipe, not a file."},
        {link, 10, std::nullopt, "“zero.png” is a device, not a file."},
        {dir.path(), 10, std::nullopt, "“" + QFileInfo(dir.path()).fileName().toStdString() + "” is a folder, not a file."},
        {"/proc/self/status", 10, std::nullopt, "“status” is larger than 10 bytes."},  // says its size is 0
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        const PeerFile read = readPeerFile(c.path, c.limit);
        EXPECT_EQ(read.bytes, c.bytes);
        EXPECT_EQ(read.error, c.error);
    }
}

TEST(PeerFile, ImagesDecodeToFitTheSizeAskedFor) {
    auto encoded = [](QSize size, const char* format) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::red);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, format);
        return bytes;
    };
    struct Case {
        QSize natural;
        const char* format;
        QSize box;
        QSize decoded;
    } cases[] = {
        {{6000, 4000}, "JPEG", {60, 60}, {60, 40}},
        {{400, 800}, "PNG", {100, 100}, {50, 100}},
        {{8, 4}, "PNG", {60, 60}, {8, 4}},  // never enlarged
    };
    for (const auto& c : cases) {
        EXPECT_EQ(decodePeerImage(encoded(c.natural, c.format), c.box).size(), c.decoded) << c.natural.width();
    }
    EXPECT_TRUE(decodePeerImage("not an image", {10, 10}).isNull());
    // A drawing is drawn at the size asked for, larger too.
    const QByteArray svg = R"(<svg xmlns="http://www.w3.org/2000/svg" width="16" height="8"><rect width="16" height="8"/></svg>)";
    EXPECT_EQ(decodePeerImage(svg, {64, 64}).size(), QSize(64, 32));
}

// Reads stuck on a stalled disk hold their own threads, never Qt's global
// pool, which the rest of the program needs.
TEST(PeerFile, StuckReadsLeaveTheGlobalPoolFree) {
    QSemaphore release;
    std::atomic<int> started = 0, finished = 0;
    for (int i = 0; i < 8; ++i)
        runPeerFileRead([&] {
            EXPECT_NE(QThread::currentThread(), qApp->thread());
            ++started;
            release.acquire();
            ++finished;
        });
    ASSERT_TRUE(QTest::qWaitFor([&] { return started > 0; }, 10000));
    QSemaphore ran;
    for (int i = 0; i < QThreadPool::globalInstance()->maxThreadCount(); ++i)
        QThreadPool::globalInstance()->start([&] { ran.release(); });
    EXPECT_TRUE(ran.tryAcquire(QThreadPool::globalInstance()->maxThreadCount(), 10000));
    release.release(8);
    EXPECT_TRUE(QTest::qWaitFor([&] { return finished == 8; }, 10000));
}

}  // namespace
}  // namespace orbel::platform
