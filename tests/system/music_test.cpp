// Music mode against a real media player on the session bus.
#include <gtest/gtest.h>

#include "music/now_playing_service.h"
#include "system_helpers.h"

namespace orbel {
namespace {

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

}  // namespace
}  // namespace orbel
