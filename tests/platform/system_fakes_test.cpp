// The recording fakes behave like the services they stand for where callers
// depend on it.
#include <gtest/gtest.h>

#include "fakes/fake_system_platform.h"

namespace orbel::fakes {
namespace {

TEST(SystemFakes, RecordCallsAndKeepTheServicesRules) {
    FakeAudioOutput audio;
    int changes = 0;
    QObject::connect(&audio, &platform::AudioOutput::changed, [&] { ++changes; });
    audio.setVolume(1.7);
    audio.changeVolume(-0.25);
    audio.toggleMute();
    audio.changeVolume(0.05);
    EXPECT_DOUBLE_EQ(audio.volume(), 0.8);
    EXPECT_FALSE(audio.isMuted());
    EXPECT_EQ(audio.calls, (std::vector<std::string>{"setVolume 1.7", "changeVolume -0.25", "toggleMute",
                                                     "changeVolume 0.05"}));
    EXPECT_EQ(changes, 4);

    FakeDisplays displays;
    EXPECT_FALSE(displays.setMainDisplay("HDMI-1"));
    displays.backlight.reset();
    std::optional<bool> ok;
    displays.setBrightness(0.3, [&](bool r) { ok = r; });
    EXPECT_EQ(ok, false);

    FakeWorkspace workspace;
    workspace.install("firefox", "Firefox");
    EXPECT_EQ(workspace.applicationFor("firefox")->name, "Firefox");
    EXPECT_FALSE(workspace.applicationFor("com.apple.Notes"));
    EXPECT_FALSE(workspace.hideFrontApplication());

    FakeSessionServices session;
    session.failures["toggleDoNotDisturb"] = "No do-not-disturb setting found on this desktop";
    std::string error;
    session.toggleDoNotDisturb([&](bool, const std::string& e) { error = e; });
    EXPECT_EQ(error, "No do-not-disturb setting found on this desktop");
}

}  // namespace
}  // namespace orbel::fakes
