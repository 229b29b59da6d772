#include "platform/screen_grabber.h"

#include "platform/capture_guard.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QMetaObject>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QStandardPaths>
#include <QThreadPool>
#include <atomic>

namespace orbel::platform {
namespace {

// Writes the image to folder/name, or to "name (n).ext" when that exists.
QString saveUnique(const QImage& image, const QString& folder, const QString& fileName) {
    QDir().mkpath(folder);
    QFileInfo name(fileName);
    const QString base = name.completeBaseName();
    const QString suffix = name.suffix().isEmpty() ? QString() : QLatin1Char('.') + name.suffix();
    for (int n = 1; n < 1000; ++n) {
        QString candidate = folder + QLatin1Char('/') +
                            (n == 1 ? fileName : base + QStringLiteral(" (%1)").arg(n) + suffix);
        QFile file(candidate);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (file.exists()) continue;
            return {};
        }
        if (image.save(&file, "PNG")) return candidate;
        file.remove();
        return {};
    }
    return {};
}

class QtScreenGrabber final : public ScreenGrabber {
public:
    std::string screenshotFolder() const override {
        for (auto location : {QStandardPaths::PicturesLocation, QStandardPaths::DesktopLocation}) {
            QString path = QStandardPaths::writableLocation(location);
            if (!path.isEmpty() && path != QDir::homePath() && QFileInfo(path).isDir()) return path.toStdString();
        }
        return QDir::homePath().toStdString();
    }

    void grabAllScreens(const std::string& folder, const std::string& fileName, Completion done) override {
        // An overlay of ours (the dial a screenshot was fired from) is never
        // in the picture: the grab waits until it is off the screen.
        CaptureGuard::shared().whenClear([folder, fileName, done = std::move(done)]() mutable {
            grabAndSave(folder, fileName, std::move(done));
        });
    }

private:
    static void grabAndSave(const std::string& folder, const std::string& fileName, Completion done) {
        QImage image = grab();
        auto report = [done = std::move(done)](QString path) mutable {
            if (!done) return;
            QMetaObject::invokeMethod(
                QCoreApplication::instance(), [done = std::move(done), path] { done(path.toStdString()); },
                Qt::QueuedConnection);
        };
        if (image.isNull()) return report({});
        QString dir = QString::fromStdString(folder), name = QString::fromStdString(fileName);
        QThreadPool::globalInstance()->start([image = std::move(image), dir, name, report = std::move(report)]() mutable {
            report(saveUnique(image, dir, name));
        });
    }

    // One image of the whole desktop at one device pixel per logical pixel.
    static QImage grab() {
        const QList<QScreen*> screens = QGuiApplication::screens();
        if (screens.isEmpty()) return {};
        QRect all;
        for (QScreen* s : screens) all = all.united(s->geometry());
        if (all.isEmpty()) return {};
        QImage canvas(all.size(), QImage::Format_RGB32);
        canvas.fill(Qt::black);
        QPainter painter(&canvas);
        bool any = false;
        for (QScreen* s : screens) {
            QPixmap shot = s->grabWindow(0);
            if (shot.isNull()) continue;
            painter.drawPixmap(QRect(s->geometry().topLeft() - all.topLeft(), s->geometry().size()), shot);
            any = true;
        }
        painter.end();
        return any ? canvas : QImage();
    }
};

}  // namespace

ScreenGrabber& ScreenGrabber::makeShared() { return processLifetimeInstance<QtScreenGrabber>(); }

}  // namespace orbel::platform
