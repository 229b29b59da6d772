#pragma once

// The last track music mode saw playing or paused, kept in
// "last-played.json" in the configuration folder so the music dial can show
// it when nothing plays. Writes are atomic and happen off the GUI thread,
// encoding included; while one is under way, further saves only replace the
// track waiting to be written, so a player skipping quickly through tracks
// costs one write for the newest. A track equal to the one last saved is not
// written again. Nothing here reports an error: a failed save keeps the
// previous file (and a load then reads that file, not the track that was
// not written), a failed load gives nothing.

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "music/now_playing_service.h"
#include "platform/serial_queue.h"
#include "platform/shared_instance.h"

namespace orbel {

class LastPlayedCache : public platform::Shared<LastPlayedCache> {
public:
    static constexpr std::size_t kMaxArtworkBytes = 4'194'304;

    // An empty path keeps nothing: saves do nothing and loads give nothing.
    explicit LastPlayedCache(std::string filePath = defaultFilePath());
    // Tests: writes go through `writes`.
    LastPlayedCache(std::string filePath, std::unique_ptr<platform::SerialQueue> writes);
    ~LastPlayedCache();

    void save(const Track& track);
    std::optional<Track> load();
    // Waits for the queued writes (tests, and an orderly quit).
    void flush();

    const std::string& filePath() const { return path_; }
    static std::string defaultFilePath();  // creates the folder when missing

    // The stored form: compact JSON, keys id, title, artist, then album,
    // artworkData (Base64) and sourceBundleId when present.
    static std::string encode(const Track& track);
    static std::optional<Track> decode(const std::string& bytes);

private:
    friend platform::Shared<LastPlayedCache>;
    static LastPlayedCache& makeShared();

    std::string path_;
    std::mutex mutex_;              // guards the three below, shared with the writer
    std::optional<Track> waiting_;  // saved, not yet written
    // The newest track saved or loaded; cleared when its write fails.
    std::optional<Track> last_;
    std::uint64_t generation_ = 0;  // counts the saves, so a failed write clears only its own track
    std::unique_ptr<platform::SerialQueue> writes_;
};

}  // namespace orbel
