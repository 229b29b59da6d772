#pragma once

#include "platform/now_playing.h"

namespace orbel::fakes {

// A player the test drives: `report` hands a track to the service.
class FakeNowPlaying : public platform::NowPlaying {
public:
    void setTrackHandler(TrackHandler h) override { track = std::move(h); }
    void setNoTrackHandler(std::function<void()> h) override { noTrack = std::move(h); }
    void startListening() override { ++listens; }
    void fetch(TrackHandler completion) override { completion(current); }
    bool togglePlayPause() override { return sent("toggle"); }
    bool nextTrack() override { return sent("next"); }
    bool previousTrack() override { return sent("prev"); }

    void report(std::optional<platform::NowPlayingInfo> info) {
        current = info;
        if (track) track(info);
    }

    TrackHandler track;
    std::function<void()> noTrack;
    std::optional<platform::NowPlayingInfo> current;
    int listens = 0;
    bool hasPlayer = true;  // false: no player answers the commands
    std::vector<std::string> commands;

private:
    bool sent(const char* command) {
        if (hasPlayer) commands.push_back(command);
        return hasPlayer;
    }
};

}  // namespace orbel::fakes
