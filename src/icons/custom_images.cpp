#include "icons/custom_images.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QLoggingCategory>

#include "icons/icon_catalog.h"
#include "platform/peer_file.h"

namespace orbel {
namespace {

Q_LOGGING_CATEGORY(lcIcons, "orbel.icons")

struct Decoded {
    QImage image;
    std::string error;
};

qint64 monotonicMs() {
    static const QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock.elapsed();
}

QString keyOf(const QString& path, QSize pixels) {
    return QString::number(pixels.width()) + QLatin1Char('x') + QString::number(pixels.height()) +
           QLatin1Char('|') + path;
}

}  // namespace

std::optional<QImage> CustomImages::image(const QString& path, QSize pixels) {
    pixels = pixels.expandedTo(QSize(1, 1));
    const QString key = keyOf(path, pixels);
    if (const Entry* cached = images_.object(key)) {
        if (!cached->image.isNull()) return cached->image;
        if (monotonicMs() - cached->failedAt < kRetryAfterMs) return std::nullopt;
        images_.remove(key);
    }
    if (!loading_.insert(key).second) return std::nullopt;
    const QString file = IconCatalog::expandedImagePath(path.toStdString());
    platform::readOffGuiThread<Decoded>(
        this,
        [file, pixels] {
            const platform::PeerFile read = platform::readPeerFile(file, kMaxFileBytes);
            if (!read.bytes) return Decoded{QImage(), read.error};
            QImage image = platform::decodePeerImage(*read.bytes, pixels);
            if (image.isNull()) return Decoded{QImage(), "“" + QFileInfo(file).fileName().toStdString() + "” holds no picture."};
            return Decoded{std::move(image), {}};
        },
        [this, key, path](Decoded decoded) {
            loading_.erase(key);
            if (decoded.image.isNull() && reported_.insert(path).second)
                qCWarning(lcIcons).noquote() << "[orbel-icons] Couldn't load the icon image" << path << ":"
                                             << QString::fromStdString(decoded.error);
            const int kilobytes = int(std::max<qsizetype>(1, decoded.image.sizeInBytes() / 1024));
            const qint64 failedAt = decoded.image.isNull() ? monotonicMs() : 0;
            images_.insert(key, new Entry{std::move(decoded.image), failedAt, std::move(decoded.error)}, kilobytes);
            Q_EMIT loaded();
        });
    return std::nullopt;
}

bool CustomImages::isLoading(const QString& path, QSize pixels) const {
    return loading_.count(keyOf(path, pixels.expandedTo(QSize(1, 1)))) > 0;
}

std::optional<std::string> CustomImages::problem(const QString& path, QSize pixels) const {
    const Entry* cached = images_.object(keyOf(path, pixels.expandedTo(QSize(1, 1))));
    if (!cached || !cached->image.isNull()) return std::nullopt;
    return cached->error;
}

CustomImages& CustomImages::makeShared() { return platform::processLifetimeInstance<CustomImages>(); }

}  // namespace orbel
