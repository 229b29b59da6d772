// Music mode against a real media player on the session bus and the test
// desktop's PulseAudio server.
#include <gtest/gtest.h>

#include "music/now_playing_service.h"
#include "music/system_volume_controller.h"
#include "system_helpers.h"

namespace orbel {
namespace {

using systemtest::pactl;
using systemtest::Program;
using systemtest::spinUntil;
using Kind = NowPlayingState::Kind;

TEST(MusicSystem, FollowsAPlayerOnTheBusAndSendsItsCommands) {
    ORBEL_REQUIRE_DISPLAY();
    auto& service = LiveMusicNowPlayingService::shared();
    service.startObserving();
    Program player(QStringLiteral("orbel_mpris_player"));
    ASSERT_TRUE(player.waitForLine("ready"));
    auto title = [&] { return service.currentState().track ? service.currentState().track->title : std::string(); };
    ASSERT_TRUE(spinUntil([&] { return service.currentState().kind == Kind::playing && title() == "Song"; }));
    const Track t = *service.currentState().track;
    EXPECT_EQ(t.artist, "Ann, Bob");
    EXPECT_EQ(t.id, "orbel-test-player|Song|Ann, Bob|Album");

    service.send(TransportCommand::toggle);
    EXPECT_TRUE(player.waitForLine("PlayPause"));
    EXPECT_TRUE(spinUntil([&] { return service.currentState().kind == Kind::paused; }));
    service.send(TransportCommand::next);
    EXPECT_TRUE(spinUntil([&] { return title() == "Song 2"; }));
    service.send(TransportCommand::prev);
    EXPECT_TRUE(player.waitForLine("Previous"));

    player.stop();
    EXPECT_TRUE(spinUntil([&] { return service.currentState().kind == Kind::idle; }));
    EXPECT_FALSE(platform::NowPlaying::shared().nextTrack());  // no player left to answer
}

TEST(MusicSystem, VolumeReachesTheSinkAndMuteComesBackWhileObserving) {
    ORBEL_REQUIRE_PULSEAUDIO();
    auto& output = platform::AudioOutput::shared();
    ASSERT_TRUE(spinUntil([&] { return output.isAvailable() && output.defaultSink(); }));
    const QString sink = QString::fromStdString(*output.defaultSink());
    pactl({"set-sink-mute", sink, "0"});

    AudioOutputVolumeController volume(output);
    volume.setLevel(0.3);
    EXPECT_TRUE(spinUntil([&] { return systemtest::sinkVolumePercent(sink) == 30; }));

    volume.startObserving();
    pactl({"set-sink-mute", sink, "1"});
    EXPECT_TRUE(spinUntil([&] { return volume.isMuted(); }));
    volume.stopObserving();
    pactl({"set-sink-mute", sink, "0"});
    systemtest::spin(300);
    EXPECT_TRUE(volume.isMuted());
}

}  // namespace
}  // namespace orbel
