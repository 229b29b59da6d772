#pragma once

// What the dial's centre knob shows, and the now-playing state music mode
// reports. Plain values.

#include <QImage>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace orbel {

struct CenterContent {
    // A track's art and caption (music mode).
    struct AlbumArt {
        // Shared, never changed once made: two album-art contents are the
        // same art only when they hold the same image object.
        std::shared_ptr<const QImage> artwork;
        std::string title;
        std::string artist;
        bool isPlaying = false;
        bool operator==(const AlbumArt& other) const {
            return artwork == other.artwork && title == other.title && artist == other.artist &&
                   isPlaying == other.isPlaying;
        }
    };
    struct AppLogo {
        bool operator==(const AppLogo&) const = default;
    };
    // A back control; drawn by the view, never set by the dial itself.
    struct Back {
        bool operator==(const Back&) const = default;
    };

    std::variant<AppLogo, AlbumArt, Back> value;

    static CenterContent appLogo() { return {AppLogo{}}; }
    static CenterContent back() { return {Back{}}; }
    static CenterContent albumArt(std::shared_ptr<const QImage> artwork, std::string title, std::string artist,
                                  bool isPlaying) {
        return {AlbumArt{std::move(artwork), std::move(title), std::move(artist), isPlaying}};
    }
    template <class T>
    bool is() const { return std::holds_alternative<T>(value); }
    template <class T>
    const T* get() const { return std::get_if<T>(&value); }

    bool operator==(const CenterContent&) const = default;
};

// A now-playing track.
struct Track {
    std::string id;
    std::string title;
    std::string artist;
    std::optional<std::string> album;
    std::optional<std::vector<unsigned char>> artworkData;
    std::optional<std::string> sourceBundleId;
    bool operator==(const Track&) const = default;
};

// What the now-playing source reports. Two playing (or two paused) states
// are equal when their tracks have the same id.
struct NowPlayingState {
    enum class Kind { playing, paused, idle, unavailable };
    Kind kind = Kind::idle;
    std::optional<Track> track;  // present for playing and paused

    static NowPlayingState playing(Track t) { return {Kind::playing, std::move(t)}; }
    static NowPlayingState paused(Track t) { return {Kind::paused, std::move(t)}; }
    static NowPlayingState idle() { return {Kind::idle, std::nullopt}; }
    static NowPlayingState unavailable() { return {Kind::unavailable, std::nullopt}; }

    bool operator==(const NowPlayingState& other) const {
        if (kind != other.kind) return false;
        if (kind == Kind::playing || kind == Kind::paused)
            return track.has_value() == other.track.has_value() && (!track || track->id == other.track->id);
        return true;
    }
};

}  // namespace orbel
