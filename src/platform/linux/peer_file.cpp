#include "platform/peer_file.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QThreadPool>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orbel::platform {
namespace {

// A few threads of their own. A read stuck on a stalled mount holds one of
// them and nothing else. The pool is never destroyed, so quitting (which
// waits for Qt's global pool) does not wait for it.
QThreadPool& readers() {
    static QThreadPool* pool = [] {
        auto* p = new QThreadPool;
        p->setObjectName(QStringLiteral("orbel.peerFiles"));
        p->setMaxThreadCount(3);
        return p;
    }();
    return *pool;
}

std::string quoted(const QString& path) { return "“" + QFileInfo(path).fileName().toStdString() + "”"; }

std::string notAFile(const QString& path, mode_t mode) {
    const char* what = S_ISDIR(mode)                    ? "a folder"
                       : S_ISFIFO(mode)                 ? "a pipe"
                       : S_ISCHR(mode) || S_ISBLK(mode) ? "a device"
                       : S_ISSOCK(mode)                 ? "a socket"
                                                        : "not a regular file";
    return quoted(path) + " is " + what + ", not a file.";
}

std::string sizeText(qint64 bytes) {
    if (bytes >= 1'000'000) return std::to_string(bytes / 1'000'000) + " MB";
    if (bytes >= 1'000) return std::to_string(bytes / 1'000) + " KB";
    return std::to_string(bytes) + " bytes";
}

}  // namespace

PeerFile readPeerFile(const QString& path, qint64 limit) { return readPeerFile(QFile::encodeName(path), limit); }

PeerFile readPeerFile(const QByteArray& native, qint64 limit) {
    const QString path = QFile::decodeName(native);  // for what a person reads
    // Without O_NONBLOCK, opening a FIFO waits for a writer.
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return {std::nullopt, quoted(path) + ": " + std::strerror(errno) + "."};
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat info{};
    if (::fstat(fd, &info) != 0) return {std::nullopt, quoted(path) + ": " + std::strerror(errno) + "."};
    if (!S_ISREG(info.st_mode)) return {std::nullopt, notAFile(path, info.st_mode)};
    const std::string tooLarge = quoted(path) + " is larger than " + sizeText(limit) + ".";
    if (info.st_size > limit) return {std::nullopt, tooLarge};
    QByteArray bytes;
    // The size may change under us: never more than one byte past the limit.
    bytes.resize(static_cast<qsizetype>(std::min<qint64>(limit + 1, std::max<qint64>(info.st_size, 0) + 1)));
    qsizetype filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            if (filled > limit) return {std::nullopt, tooLarge};
            bytes.resize(static_cast<qsizetype>(std::min<qint64>(limit + 1, qint64(filled) * 2 + 4096)));
        }
        const ssize_t n = ::read(fd, bytes.data() + filled, static_cast<size_t>(bytes.size() - filled));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return {std::nullopt, quoted(path) + ": " + std::strerror(errno) + "."};
        if (n == 0) break;
        filled += n;
    }
    if (filled > limit) return {std::nullopt, tooLarge};
    bytes.truncate(filled);
    return {std::move(bytes), {}};
}

QImage decodePeerImage(const QByteArray& bytes, QSize pixels) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    QSize natural = reader.size();
    // Turned a quarter by its orientation tag, the picture's sides swap.
    if (natural.isValid() && (reader.transformation() & QImageIOHandler::TransformationRotate90))
        natural.transpose();
    // A drawing is drawn at the size asked for, larger too; a photo is only made smaller.
    const bool drawing = reader.format().startsWith("svg");
    if (natural.isValid() && pixels.isValid() &&
        (drawing || natural.width() > pixels.width() || natural.height() > pixels.height())) {
        QSize scaled = natural.scaled(pixels, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
        // The reader scales before it turns the picture.
        if (reader.transformation() & QImageIOHandler::TransformationRotate90) scaled.transpose();
        reader.setScaledSize(scaled);
    }
    return reader.read();
}

void runPeerFileRead(std::function<void()> work) { readers().start(std::move(work)); }

}  // namespace orbel::platform
