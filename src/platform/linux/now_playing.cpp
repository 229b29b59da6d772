#include "platform/now_playing.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QImage>
#include <QBuffer>
#include <QObject>
#include <QPointer>
#include <QUrl>
#include <map>

#include "platform/main_queue.h"
#include "platform/peer_file.h"

namespace orbel::platform {
namespace {

const QString kMprisPrefix = QStringLiteral("org.mpris.MediaPlayer2.");
const QString kMprisPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kRootInterface = QStringLiteral("org.mpris.MediaPlayer2");
const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kBus = QStringLiteral("org.freedesktop.DBus");
constexpr int kCallTimeoutMs = 2000;
constexpr qint64 kMaxArtworkFileBytes = 32'000'000;

// Unwraps the variants and D-Bus arguments QtDBus hands over.
QVariant plain(QVariant v) {
    if (v.canConvert<QDBusVariant>() && v.userType() == qMetaTypeId<QDBusVariant>()) v = v.value<QDBusVariant>().variant();
    return v;
}

QVariantMap mapOf(const QVariant& v) {
    const QVariant p = plain(v);
    if (p.userType() == qMetaTypeId<QDBusArgument>()) return qdbus_cast<QVariantMap>(p.value<QDBusArgument>());
    return p.toMap();
}

QStringList stringsOf(const QVariant& v) {
    const QVariant p = plain(v);
    if (p.userType() == qMetaTypeId<QDBusArgument>()) return qdbus_cast<QStringList>(p.value<QDBusArgument>());
    if (p.userType() == QMetaType::QString) return {p.toString()};
    return p.toStringList();
}

std::optional<std::string> text(const QString& s) {
    if (s.isNull()) return std::nullopt;
    return s.toStdString();
}

// The artwork a player names, decoded to the size the music disc draws it at
// and encoded as PNG: file and data URLs only (nothing is fetched from the
// network). Runs on a peer-file reader thread.
std::optional<QByteArray> loadArtwork(const QString& url) {
    QByteArray bytes;
    if (url.startsWith(QStringLiteral("data:"))) {
        const qsizetype comma = url.indexOf(QLatin1Char(','));
        if (comma < 0 || url.size() - comma > kMaxArtworkFileBytes * 3) return std::nullopt;
        const QByteArray payload = QStringView(url).mid(comma + 1).toLatin1();
        const bool base64 = QStringView(url).left(comma).endsWith(QStringLiteral(";base64"));
        bytes = base64 ? QByteArray::fromBase64(payload) : QByteArray::fromPercentEncoding(payload);
    } else {
        const QUrl u(url);
        if (!u.isLocalFile()) return std::nullopt;
        PeerFile file = readPeerFile(u.toLocalFile(), kMaxArtworkFileBytes);
        if (!file.bytes) return std::nullopt;
        bytes = std::move(*file.bytes);
    }
    const QImage image = decodePeerImage(bytes, QSize(NowPlayingInfo::kArtworkPixels, NowPlayingInfo::kArtworkPixels));
    if (image.isNull()) return std::nullopt;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) return std::nullopt;
    return png;
}

struct Player {
    QString name;  // the well-known org.mpris.MediaPlayer2.* name
    QString desktopEntry;
    QString title, album, artUrl, status;
    QStringList artists;
    std::optional<double> rate;
    std::optional<QByteArray> artwork;
    QString artworkFor;  // the URL `artwork` was loaded from
    quint64 lastChange = 0;

    bool playing() const { return status == QStringLiteral("Playing"); }
};

// MPRIS 2 players on the session bus, followed through their signals.
class MprisNowPlaying final : public QObject, public NowPlaying {
    Q_OBJECT
public:
    void setTrackHandler(TrackHandler handler) override { trackHandler_ = std::move(handler); }
    void setNoTrackHandler(std::function<void()> handler) override { noTrackHandler_ = std::move(handler); }

    void startListening() override {
        if (listening_) return;
        listening_ = true;
        bus_ = QDBusConnection::sessionBus();
        if (!bus_.isConnected()) {
            MainQueue::shared().post([this] { if (noTrackHandler_) noTrackHandler_(); });
            return;
        }
        bus_.connect(kBus, QStringLiteral("/org/freedesktop/DBus"), kBus, QStringLiteral("NameOwnerChanged"), this,
                     SLOT(nameOwnerChanged(QString, QString, QString)));
        bus_.connect(QString(), kMprisPath, kProperties, QStringLiteral("PropertiesChanged"), this,
                     SLOT(propertiesChanged(QDBusMessage)));
        call(QDBusMessage::createMethodCall(kBus, QStringLiteral("/org/freedesktop/DBus"), kBus, QStringLiteral("ListNames")),
             [this](const QDBusMessage& reply) {
                 for (const QString& name : reply.arguments().value(0).toStringList())
                     if (name.startsWith(kMprisPrefix)) {
                         auto owner = QDBusMessage::createMethodCall(kBus, QStringLiteral("/org/freedesktop/DBus"), kBus,
                                                                     QStringLiteral("GetNameOwner"));
                         owner << name;
                         call(owner, [this, name](const QDBusMessage& r) { addPlayer(name, r.arguments().value(0).toString()); });
                     }
             });
    }

    void fetch(TrackHandler completion) override {
        if (!completion) return;
        MainQueue::shared().post([this, completion = std::move(completion)] { completion(currentInfo()); });
    }

    bool togglePlayPause() override { return command(QStringLiteral("PlayPause")); }
    bool nextTrack() override { return command(QStringLiteral("Next")); }
    bool previousTrack() override { return command(QStringLiteral("Previous")); }

private Q_SLOTS:
    void nameOwnerChanged(const QString& name, const QString& oldOwner, const QString& newOwner) {
        if (!name.startsWith(kMprisPrefix)) return;
        if (!oldOwner.isEmpty()) players_.erase(oldOwner);
        if (!newOwner.isEmpty()) addPlayer(name, newOwner);
        else publish();
    }

    void propertiesChanged(const QDBusMessage& message) {
        auto it = players_.find(message.service());
        if (it == players_.end() || message.arguments().value(0).toString() != kPlayerInterface) return;
        apply(it->second, mapOf(message.arguments().value(1)));
    }

private:
    void call(const QDBusMessage& message, std::function<void(const QDBusMessage&)> then) {
        auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(message, kCallTimeoutMs), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [then = std::move(then)](QDBusPendingCallWatcher* w) {
            w->deleteLater();
            if (!w->isError()) then(w->reply());
        });
    }

    void addPlayer(const QString& name, const QString& owner) {
        if (owner.isEmpty()) return;
        Player& player = players_[owner];
        player.name = name;
        player.lastChange = ++changes_;
        auto getAll = QDBusMessage::createMethodCall(owner, kMprisPath, kProperties, QStringLiteral("GetAll"));
        getAll << kPlayerInterface;
        call(getAll, [this, owner](const QDBusMessage& reply) {
            auto it = players_.find(owner);
            if (it != players_.end()) apply(it->second, mapOf(reply.arguments().value(0)));
        });
        auto entry = QDBusMessage::createMethodCall(owner, kMprisPath, kProperties, QStringLiteral("Get"));
        entry << kRootInterface << QStringLiteral("DesktopEntry");
        call(entry, [this, owner](const QDBusMessage& reply) {
            auto it = players_.find(owner);
            if (it == players_.end()) return;
            it->second.desktopEntry = plain(reply.arguments().value(0)).toString();
            publish();
        });
        publish();
    }

    void apply(Player& player, const QVariantMap& changed) {
        if (changed.contains(QStringLiteral("Metadata"))) {
            const QVariantMap meta = mapOf(changed.value(QStringLiteral("Metadata")));
            player.title = plain(meta.value(QStringLiteral("xesam:title"))).toString();
            player.artists = stringsOf(meta.value(QStringLiteral("xesam:artist")));
            player.album = plain(meta.value(QStringLiteral("xesam:album"))).toString();
            player.artUrl = plain(meta.value(QStringLiteral("mpris:artUrl"))).toString();
        }
        if (changed.contains(QStringLiteral("PlaybackStatus")))
            player.status = plain(changed.value(QStringLiteral("PlaybackStatus"))).toString();
        if (changed.contains(QStringLiteral("Rate"))) {
            bool ok = false;
            const double rate = plain(changed.value(QStringLiteral("Rate"))).toDouble(&ok);
            player.rate = ok ? std::optional<double>(rate) : std::nullopt;
        }
        player.lastChange = ++changes_;
        if (player.artUrl != player.artworkFor) requestArtwork(player);
        publish();
    }

    void requestArtwork(Player& player) {
        player.artworkFor = player.artUrl;
        player.artwork.reset();
        if (player.artUrl.isEmpty()) return;
        QPointer<MprisNowPlaying> self(this);
        const QString name = player.name, url = player.artUrl;
        runPeerFileRead([self, name, url] {
            std::optional<QByteArray> art = loadArtwork(url);
            QMetaObject::invokeMethod(self, [self, name, url, art] {
                if (!self) return;
                for (auto& [owner, p] : self->players_)
                    if (p.name == name && p.artworkFor == url) p.artwork = art;
                self->publish();
            }, Qt::QueuedConnection);
        });
    }

    const Player* current() const {
        const Player* best = nullptr;
        for (const auto& [owner, p] : players_) {
            if (!best || std::make_pair(p.playing(), p.lastChange) > std::make_pair(best->playing(), best->lastChange))
                best = &p;
        }
        return best;
    }

    std::optional<NowPlayingInfo> currentInfo() const {
        const Player* p = current();
        if (!p) return std::nullopt;
        NowPlayingInfo info;
        info.title = text(p->title);
        if (!p->artists.isEmpty()) info.artist = p->artists.join(QStringLiteral(", ")).toStdString();
        info.album = text(p->album);
        if (!p->status.isEmpty()) info.isPlaying = p->playing();
        info.playbackRate = p->rate;
        info.bundleId = p->desktopEntry.isEmpty() ? p->name.mid(kMprisPrefix.size()).section(QLatin1Char('.'), 0, 0).toStdString()
                                                  : p->desktopEntry.toStdString();
        info.artworkPng = p->artwork;
        return info;
    }

    void publish() {
        auto info = currentInfo();
        if (published_ && *published_ == info) return;
        published_ = info;
        if (trackHandler_) trackHandler_(info);
    }

    bool command(const QString& method) {
        const Player* p = current();
        if (!p) return false;
        bus_.asyncCall(QDBusMessage::createMethodCall(p->name, kMprisPath, kPlayerInterface, method), kCallTimeoutMs);
        return true;
    }

    QDBusConnection bus_{QString()};
    bool listening_ = false;
    TrackHandler trackHandler_;
    std::function<void()> noTrackHandler_;
    std::map<QString, Player> players_;  // by unique owner name
    quint64 changes_ = 0;
    std::optional<std::optional<NowPlayingInfo>> published_;
};

}  // namespace

NowPlaying& NowPlaying::makeShared() { return processLifetimeInstance<MprisNowPlaying>(); }

}  // namespace orbel::platform

#include "now_playing.moc"
