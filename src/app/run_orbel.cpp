#include "app/run_orbel.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <cstdio>
#include <vector>

#include "app/command_line.h"
#include "app/control_map.h"
#include "app/orbel_application.h"
#include "app/orderly_quit.h"
#include "platform/login_item.h"
#include "platform/memory.h"
#include "platform/single_instance.h"

// The application's resources, linked in from its library (the macro
// cannot stand in a namespace).
static void initResources() { Q_INIT_RESOURCE(app); }

namespace orbel {

int runOrbel(int argc, char** argv) {
    // The arguments are read before anything starts: an option Orbel does
    // not know is neither a file to open nor one to hand to a running Orbel.
    const CommandLine line = readCommandLine(argc, argv);
    switch (line.action) {
        case CommandLine::Action::help: std::printf("%s\n", usageLine().c_str()); return 0;
        case CommandLine::Action::version: std::printf("orbel %s\n", ORBEL_VERSION); return 0;
        case CommandLine::Action::refuse:
            std::fprintf(stderr, "orbel: unrecognized option '%s'\n%s\n", line.refused.c_str(), usageLine().c_str());
            return 2;
        case CommandLine::Action::run: break;
    }
    platform::useOneMemoryPool();
    initResources();
    // No display name: Qt would add it to every window's title ("Orbel
    // Settings — Orbel"); the windows name themselves.
    QApplication::setApplicationName(QStringLiteral("orbel"));
    QApplication::setApplicationVersion(QStringLiteral(ORBEL_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("com.quandelvix.orbel"));
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication app(argc, argv);
    app.setWindowIcon(QIcon(QStringLiteral(":/orbel/logo.svg")));
    answerControlMapRequests();

    const bool atLogin = platform::LoginItem::launchedAtLogin(argc, argv);
    std::vector<std::string> files;
    for (const QString& argument : app.arguments().mid(1)) {
        if (argument == QLatin1String(platform::LoginItem::kLoginArgument)) continue;
        files.push_back(QDir::current().absoluteFilePath(argument).toStdString());
    }

    std::unique_ptr<OrbelApplication> application;
    auto instance = platform::makeSingleInstance();
    // The session's autostart finding Orbel running (a restored session
    // started it) leaves it as it is: a start at login shows nothing.
    using Request = platform::SingleInstance::Request;
    const Request request = atLogin && files.empty() ? Request::nothing : Request::open;
    const auto role = instance->claim(files, request, [&application](std::vector<std::string> handed) {
        if (!application) return;
        if (handed.empty()) application->reopen();
        else application->openFiles(handed);
    });
    if (role == platform::SingleInstance::Role::handedOver) return 0;

    application = std::make_unique<OrbelApplication>(atLogin);
    installOrderlyQuit();
    application->finishLaunching();
    if (!files.empty()) application->openFiles(files);
    return app.exec();
}

}  // namespace orbel
