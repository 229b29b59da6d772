// Stands in for a running Orbel of another version: owns Orbel's name on the
// session bus and offers Open with the paths as strings ("as") only, as
// other versions do. Prints "ready" once it holds the name, then "Open"
// followed by each path it is handed (a space before each), a line per call.
// With --never-answer it takes each call and never answers it, as a program
// that hangs does. Quits on SIGTERM or when stdin closes.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QStringList>

#include "program_io.h"

class OtherVersion : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.quandelvix.orbel")
public:
    bool answers = true;

public Q_SLOTS:
    void Open(const QStringList& files, const QDBusMessage& call) {
        QByteArray line = "Open";
        for (const QString& f : files) line += ' ' + f.toUtf8();
        say(line);
        if (!answers) call.setDelayedReply(true);  // and no reply is ever sent
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    OtherVersion object;
    object.answers = !app.arguments().contains(QStringLiteral("--never-answer"));
    auto bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/com/quandelvix/orbel"), &object, QDBusConnection::ExportAllSlots) ||
        !bus.registerService(QStringLiteral("com.quandelvix.orbel"))) {
        std::fprintf(stderr, "cannot register on the session bus\n");
        return 1;
    }
    say("ready");
    quitWhenInputCloses(app);
    return app.exec();
}

#include "orbel_other_version.moc"
