#include "platform/pasteboard.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QObject>
#include <QThreadPool>
#include <atomic>

#include "platform/linux/clipboard_reader.h"

namespace orbel::platform {
namespace {

const QString kQtImage = QStringLiteral("application/x-qt-image");

bool isRealImageFormat(const QString& mime) { return mime.startsWith(QStringLiteral("image/")); }

QByteArray png(const QImage& image) {
    QByteArray bytes;
    if (image.isNull()) return bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

class QtPasteboard final : public Pasteboard {
public:
    void setText(const std::string& text) override {
        if (!clipboard()) return;
        auto* data = new QMimeData;
        data->setText(QString::fromStdString(text));
        write(data);
    }

    void setSelectionText(const std::string& text) override {
        if (!clipboard() || !clipboard()->supportsSelection()) return;
        clipboard()->setText(QString::fromStdString(text), QClipboard::Selection);
    }

    void takeSnapshot(SnapshotCompletion done) override {
        auto deliver = [done = std::move(done)](std::optional<PasteboardSnapshot> snapshot) {
            QMetaObject::invokeMethod(
                QCoreApplication::instance(), [done, snapshot = std::move(snapshot)] { done(snapshot); },
                Qt::QueuedConnection);
        };
        // Our own data, or a clipboard inside this process (no X server): no one to wait for.
        const bool inProcess = QGuiApplication::platformName() != QStringLiteral("xcb");
        if (clipboard() && (inProcess || clipboard()->ownsClipboard())) return deliver(ownSnapshot());
        // Another client's data: asked for on a thread of the pool, through
        // a connection of its own, within the time limit.
        QThreadPool::globalInstance()->start(
            [deliver = std::move(deliver)] { deliver(x11::readClipboard(kSnapshotTimeLimit)); });
    }

    void restore(const PasteboardSnapshot& snapshot) override {
        if (!clipboard()) return;
        if (snapshot.empty()) {
            clipboard()->clear(QClipboard::Clipboard);
            bump();
            return;
        }
        auto* data = new QMimeData;
        QImage image;
        for (const auto& [type, bytes] : snapshot.formats) {
            const QString mime = QString::fromStdString(type);
            const QByteArray raw(bytes.data(), static_cast<qsizetype>(bytes.size()));
            if (mime == kQtImage) {
                image = QImage::fromData(raw);
            } else {
                data->setData(mime, raw);
                if (image.isNull() && isRealImageFormat(mime)) image = QImage::fromData(raw);
            }
        }
        // The decoded image too, so that readers asking for an image (rather
        // than for one of the formats) find it, and other formats can be made.
        if (!image.isNull()) data->setImageData(image);
        write(data);
    }

    std::uint64_t changeCount() const override {
        connectOnce();
        return count_.load();
    }

private:
    // What we placed on the clipboard ourselves, read from Qt's copy.
    PasteboardSnapshot ownSnapshot() const {
        PasteboardSnapshot result;
        const QMimeData* data = clipboard() ? clipboard()->mimeData(QClipboard::Clipboard) : nullptr;
        if (!data) return result;
        const QStringList formats = data->formats();
        bool hasRealImage = false;
        for (const QString& f : formats) hasRealImage = hasRealImage || isRealImageFormat(f);
        for (const QString& f : formats) {
            // Qt's own image format is derived from the real ones; keep it
            // only when it is the sole image (it then carries PNG bytes).
            if (f == kQtImage && hasRealImage) continue;
            QByteArray bytes = data->data(f);
            if (f == kQtImage && bytes.isEmpty()) bytes = png(qvariant_cast<QImage>(data->imageData()));
            result.formats.emplace_back(f.toStdString(), std::string(bytes.constData(), bytes.size()));
        }
        return result;
    }

    static QClipboard* clipboard() { return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::clipboard() : nullptr; }

    void write(QMimeData* data) {
        connectOnce();
        clipboard()->setMimeData(data, QClipboard::Clipboard);
        bump();
    }

    void bump() { count_.fetch_add(1); }

    // Counts every change, ours (reported synchronously) and other
    // applications' (reported by the event loop).
    void connectOnce() const {
        if (connected_ || !clipboard()) return;
        connected_ = true;
        QObject::connect(clipboard(), &QClipboard::changed, clipboard(), [this](QClipboard::Mode mode) {
            if (mode == QClipboard::Clipboard) count_.fetch_add(1);
        });
    }

    mutable bool connected_ = false;
    mutable std::atomic<std::uint64_t> count_{1};
};

}  // namespace

Pasteboard& Pasteboard::makeShared() { return processLifetimeInstance<QtPasteboard>(); }

}  // namespace orbel::platform
