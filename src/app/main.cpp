// Orbel: a radial menu on the pointer's screen. With files as arguments (backup
// files), hands them to the running Orbel, or opens them itself.

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <vector>

#include "app/orbel_application.h"
#include "app/orderly_quit.h"
#include "platform/login_item.h"
#include "platform/memory.h"
#include "platform/single_instance.h"

int main(int argc, char** argv) {
    orbel::platform::useOneMemoryPool();
    Q_INIT_RESOURCE(app);
    // No display name: Qt would add it to every window's title ("Orbel
    // Settings — Orbel"); the windows name themselves.
    QApplication::setApplicationName(QStringLiteral("orbel"));
    QApplication::setApplicationVersion(QStringLiteral(ORBEL_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("com.quandelvix.orbel"));
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication app(argc, argv);
    app.setWindowIcon(QIcon(QStringLiteral(":/orbel/logo.svg")));

    const bool atLogin = orbel::platform::LoginItem::launchedAtLogin(argc, argv);
    std::vector<std::string> files;
    for (const QString& argument : app.arguments().mid(1)) {
        if (argument == QLatin1String(orbel::platform::LoginItem::kLoginArgument)) continue;
        files.push_back(QDir::current().absoluteFilePath(argument).toStdString());
    }

    std::unique_ptr<orbel::OrbelApplication> orbel;
    auto instance = orbel::platform::makeSingleInstance();
    // The session's autostart finding Orbel running (a restored session
    // started it) leaves it as it is: a start at login shows nothing.
    using Request = orbel::platform::SingleInstance::Request;
    const Request request = atLogin && files.empty() ? Request::nothing : Request::open;
    const auto role = instance->claim(files, request, [&orbel](std::vector<std::string> handed) {
        if (!orbel) return;
        if (handed.empty()) orbel->reopen();
        else orbel->openFiles(handed);
    });
    if (role == orbel::platform::SingleInstance::Role::handedOver) return 0;

    orbel = std::make_unique<orbel::OrbelApplication>(atLogin);
    orbel::installOrderlyQuit();
    orbel->finishLaunching();
    if (!files.empty()) orbel->openFiles(files);
    return app.exec();
}
