#include "platform/file_manager.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace orbel::platform {
namespace {

// The folder through xdg-open, which asks the desktop what opens folders.
// Its exit status says whether anything did.
void openFolder(const QUrl& folder, const FileManager::Done& done) {
    auto* process = new QProcess;
    process->setProgram(QStringLiteral("xdg-open"));
    process->setArguments({folder.toString()});
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const auto finish = [process, done](const std::optional<std::string>& failure) {
        process->disconnect();
        process->deleteLater();
        if (done) done(failure);
    };
    QObject::connect(process, &QProcess::finished, process, [finish](int code, QProcess::ExitStatus status) {
        if (status == QProcess::NormalExit && code == 0) return finish(std::nullopt);
        finish("xdg-open found nothing to open the folder with (exit status " + std::to_string(code) + ")");
    });
    QObject::connect(process, &QProcess::errorOccurred, process, [finish](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) finish("xdg-open is not installed");
    });
    process->start();
}

// The freedesktop.org file manager interface (Nautilus, Dolphin, Nemo,
// Thunar, Caja, PCManFM-Qt answer it); without a file manager on the bus,
// the folder opens in whatever opens folders.
class FreedesktopFileManager : public FileManager {
public:
    void reveal(const std::string& path, Done done) override {
        const QString file = QString::fromStdString(path);
        const QUrl folder = QUrl::fromLocalFile(QFileInfo(file).absolutePath());
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected()) return openFolder(folder, done);
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
            QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
        call << QStringList{QUrl::fromLocalFile(file).toString()} << QString();
        auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 5000));
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                         [folder, done](QDBusPendingCallWatcher* w) {
                             w->deleteLater();
                             if (w->isError()) return openFolder(folder, done);
                             if (done) done(std::nullopt);
                         });
    }
};

}  // namespace

FileManager& FileManager::makeShared() { return processLifetimeInstance<FreedesktopFileManager>(); }

}  // namespace orbel::platform
