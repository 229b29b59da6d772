#include "platform/file_manager.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace orbel::platform {
namespace {

// The freedesktop.org file manager interface (Nautilus, Dolphin, Nemo,
// Thunar, Caja, PCManFM-Qt answer it); without a file manager on the bus,
// the folder opens in whatever opens folders.
class FreedesktopFileManager : public FileManager {
public:
    void reveal(const std::string& path) override {
        const QString file = QString::fromStdString(path);
        const QUrl folder = QUrl::fromLocalFile(QFileInfo(file).absolutePath());
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected()) {
            QDesktopServices::openUrl(folder);
            return;
        }
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
            QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
        call << QStringList{QUrl::fromLocalFile(file).toString()} << QString();
        auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 5000));
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [folder](QDBusPendingCallWatcher* w) {
            if (w->isError()) QDesktopServices::openUrl(folder);
            w->deleteLater();
        });
    }
};

}  // namespace

FileManager& FileManager::makeShared() { return processLifetimeInstance<FreedesktopFileManager>(); }

}  // namespace orbel::platform
