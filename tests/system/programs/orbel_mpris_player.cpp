// A media player for the tests: owns org.mpris.MediaPlayer2.orbeltest on the
// session bus, plays "Song" by "Ann" and "Bob", and prints every transport
// command it receives ("PlayPause", "Next", "Previous") on a line of its own.
// With "--art URL" its tracks carry that mpris:artUrl. Quits on SIGTERM or
// when stdin closes.
#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QVariantMap>

#include "program_io.h"

class Root : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(QString DesktopEntry READ desktopEntry)
    Q_PROPERTY(QString Identity READ identity)
public:
    explicit Root(QObject* parent) : QDBusAbstractAdaptor(parent) {}
    QString desktopEntry() const { return QStringLiteral("orbel-test-player"); }
    QString identity() const { return QStringLiteral("Orbel Test Player"); }
};

class Player : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(double Rate READ rate)
public:
    explicit Player(QObject* parent) : QDBusAbstractAdaptor(parent) {}
    QString playbackStatus() const { return playing_ ? QStringLiteral("Playing") : QStringLiteral("Paused"); }
    QVariantMap metadata() const {
        QVariantMap meta{{QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath("/orbel/track/" + QString::number(track_)))},
                {QStringLiteral("xesam:title"), track_ == 1 ? QStringLiteral("Song") : QStringLiteral("Song %1").arg(track_)},
                {QStringLiteral("xesam:artist"), QStringList{QStringLiteral("Ann"), QStringLiteral("Bob")}},
                {QStringLiteral("xesam:album"), QStringLiteral("Album")}};
        if (!artUrl.isEmpty()) meta.insert(QStringLiteral("mpris:artUrl"), artUrl);
        return meta;
    }
    QString artUrl;
    double rate() const { return 1.0; }

public Q_SLOTS:
    void PlayPause() { playing_ = !playing_; changed(QStringLiteral("PlaybackStatus"), playbackStatus(), "PlayPause"); }
    void Next() { ++track_; changed(QStringLiteral("Metadata"), metadata(), "Next"); }
    void Previous() { track_ = std::max(1, track_ - 1); changed(QStringLiteral("Metadata"), metadata(), "Previous"); }

private:
    void changed(const QString& property, const QVariant& value, const char* command) {
        say(command);
        auto signal = QDBusMessage::createSignal(QStringLiteral("/org/mpris/MediaPlayer2"),
                                                 QStringLiteral("org.freedesktop.DBus.Properties"),
                                                 QStringLiteral("PropertiesChanged"));
        signal << QStringLiteral("org.mpris.MediaPlayer2.Player") << QVariantMap{{property, value}} << QStringList{};
        QDBusConnection::sessionBus().send(signal);
    }
    bool playing_ = true;
    int track_ = 1;
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QObject object;
    new Root(&object);
    auto* player = new Player(&object);
    const QStringList args = app.arguments();
    if (const qsizetype at = args.indexOf(QStringLiteral("--art")); at >= 0) player->artUrl = args.value(at + 1);
    auto bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/org/mpris/MediaPlayer2"), &object) ||
        !bus.registerService(QStringLiteral("org.mpris.MediaPlayer2.orbeltest"))) {
        std::fprintf(stderr, "cannot register on the session bus\n");
        return 1;
    }
    say("ready");
    quitWhenInputCloses(app);
    return app.exec();
}

#include "orbel_mpris_player.moc"
