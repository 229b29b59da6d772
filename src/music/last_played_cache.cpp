#include "music/last_played_cache.h"

#include <QDir>
#include <QFile>

#include "config/atomic_file.h"
#include "model/json.h"
#include "model/json_writer.h"
#include "platform/app_paths.h"

namespace orbel {

LastPlayedCache::LastPlayedCache(std::string filePath)
    : LastPlayedCache(std::move(filePath), platform::makeSerialQueue("orbel.lastPlayed.write")) {}

LastPlayedCache::LastPlayedCache(std::string filePath, std::unique_ptr<platform::SerialQueue> writes)
    : path_(std::move(filePath)), writes_(std::move(writes)) {}

LastPlayedCache::~LastPlayedCache() { writes_->flush(); }

std::string LastPlayedCache::defaultFilePath() {
    const QString dir = QString::fromStdString(platform::AppPaths::shared().configDir());
    if (dir.isEmpty() || !QDir().mkpath(dir)) return {};
    return (dir + QStringLiteral("/last-played.json")).toStdString();
}

std::string LastPlayedCache::encode(const Track& track) {
    json::Json out = json::Json::object();
    out["id"] = track.id;
    out["title"] = track.title;
    out["artist"] = track.artist;
    if (track.album) out["album"] = *track.album;
    if (const auto& art = track.artworkData)
        out["artworkData"] = QByteArray(reinterpret_cast<const char*>(art->data()), qsizetype(art->size())).toBase64().toStdString();
    if (track.sourceBundleId) out["sourceBundleId"] = *track.sourceBundleId;
    return json::write(out);
}

std::optional<Track> LastPlayedCache::decode(const std::string& bytes) {
    return json::attempt([&] {
        const json::Json doc = json::parse(bytes);
        const json::Node node(doc);
        Track t;
        t.id = node.string("id");
        t.title = node.string("title");
        t.artist = node.string("artist");
        t.album = node.optionalString("album");
        if (auto art = node.optionalString("artworkData")) {
            auto decoded = QByteArray::fromBase64Encoding(QByteArray::fromStdString(*art), QByteArray::AbortOnBase64DecodingErrors);
            if (!decoded) node.failAtKey("artworkData", "Invalid Base64 data.");
            t.artworkData.emplace(decoded.decoded.begin(), decoded.decoded.end());
        }
        t.sourceBundleId = node.optionalString("sourceBundleId");
        return t;
    });
}

void LastPlayedCache::save(const Track& track) {
    if (path_.empty()) return;
    Track stored = track;
    if (stored.artworkData && stored.artworkData->size() > kMaxArtworkBytes) stored.artworkData.reset();
    {
        std::lock_guard lock(mutex_);
        if (last_ == stored) return;
        last_ = stored;
        ++generation_;
        const bool queued = waiting_.has_value();
        waiting_ = std::move(stored);
        if (queued) return;  // the queued write takes the newest
    }
    writes_->post([this] {
        std::optional<Track> newest;
        std::uint64_t generation = 0;
        {
            std::lock_guard lock(mutex_);
            newest.swap(waiting_);
            generation = generation_;
        }
        if (!newest || !writeFileAtomically(path_, encode(*newest))) return;  // nothing to do, or written
        std::lock_guard lock(mutex_);
        if (generation_ == generation) last_.reset();  // the file holds what it held before
    });
}

std::optional<Track> LastPlayedCache::load() {
    if (path_.empty()) return std::nullopt;
    std::uint64_t generation = 0;
    {
        std::lock_guard lock(mutex_);
        if (last_) return last_;
        generation = generation_;
    }
    QFile file(QString::fromStdString(path_));
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    auto loaded = decode(file.readAll().toStdString());
    std::lock_guard lock(mutex_);
    if (generation_ == generation) last_ = loaded;
    return loaded;
}

void LastPlayedCache::flush() { writes_->flush(); }

LastPlayedCache& LastPlayedCache::makeShared() { return platform::processLifetimeInstance<LastPlayedCache>(); }

}  // namespace orbel
