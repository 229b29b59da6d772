#include "app/run_orbel.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <climits>
#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <vector>

#include "app/command_line.h"
#include "app/orbel_application.h"
#include "app/orderly_quit.h"
#include "platform/memory.h"
#include "platform/single_instance.h"

// The application's resources, linked in from its library (the macro
// cannot stand in a namespace).
static void initResources() { Q_INIT_RESOURCE(app); }

namespace orbel {

namespace {

// The file's path from the root, in the bytes given: the current folder's
// own bytes in front of a relative one, so a name that is no valid UTF-8
// still names its file.
std::string absolutePath(const std::string& file) {
    if (file.starts_with('/')) return file;
    std::string folder(PATH_MAX, '\0');
    if (!::getcwd(folder.data(), folder.size()))
        return QFile::encodeName(QDir::current().absoluteFilePath(QFile::decodeName(file.c_str()))).toStdString();
    folder.resize(std::strlen(folder.c_str()));
    return folder + (folder.ends_with('/') ? "" : "/") + file;
}

}  // namespace

int runOrbel(int argc, char** argv) {
    // The arguments are read before anything starts: an option Orbel does
    // not know is neither a file to open nor one to hand to a running Orbel.
    const CommandLine line = readCommandLine(argc, argv);
    switch (line.action) {
        case CommandLine::Action::help: std::printf("%s\n", usageLine().c_str()); return 0;
        case CommandLine::Action::version: std::printf("orbel %s\n", ORBEL_VERSION); return 0;
        case CommandLine::Action::refuse:
            std::fprintf(stderr, "orbel: %s\n%s\n", line.complaint.c_str(), usageLine().c_str());
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
    // The toolkit is given its own options only: what it leaves in place
    // (a value it does not read on this platform, a name after "--") is
    // never taken for a file, and the files are read here, as given.
    std::vector<char*> toolkitArgv{argv[0]};
    for (const int i : line.toolkit) toolkitArgv.push_back(argv[i]);
    int toolkitArgc = static_cast<int>(toolkitArgv.size());
    toolkitArgv.push_back(nullptr);
    QApplication app(toolkitArgc, toolkitArgv.data());
    app.setWindowIcon(QIcon(QStringLiteral(":/orbel/logo.svg")));

    const bool atLogin = line.atLogin;
    std::vector<std::string> files;
    for (const std::string& file : line.files) files.push_back(absolutePath(file));

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
    using Role = platform::SingleInstance::Role;
    if (role == Role::handedOver) return 0;
    if (role == Role::refused) {
        std::fprintf(stderr, "orbel: %s\n",
                     files.empty() ? "The Orbel already running is another version and could not be asked to show "
                                     "itself. Quit Orbel and start it again."
                                   : "The Orbel already running is another version and could not open the files. "
                                     "Quit Orbel, start it again, then open them again.");
        return 1;
    }
    if (role == Role::unanswered) return 1;

    application = std::make_unique<OrbelApplication>(atLogin);
    installOrderlyQuit();
    application->finishLaunching();
    if (!files.empty()) application->openFiles(files);
    return app.exec();
}

}  // namespace orbel
