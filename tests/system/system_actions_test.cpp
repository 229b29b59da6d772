// The audio actions against the PulseAudio server of the test desktop
// session, checked with pactl.
#include <QProcess>
#include <gtest/gtest.h>

#include "fakes/fake_alerts.h"
#include "platform/audio_output.h"
#include "slots/system_action_executor.h"
#include "system_helpers.h"

namespace orbel {
namespace {

using systemtest::spinUntil;
using K = SystemAction::Kind;

using systemtest::pactl;
int volumePercent(const QString& sink) { return systemtest::sinkVolumePercent(sink); }
bool muted(const QString& sink) { return systemtest::sinkMuted(sink); }

class SystemActionsAudio : public ::testing::Test {
protected:
    void SetUp() override {
        ORBEL_REQUIRE_DISPLAY();
        int code = -1;
        pactl({"info"}, &code);
        if (code != 0) GTEST_SKIP() << "no PulseAudio server";
        for (const char* name : {"orbel_action_a", "orbel_action_b"}) {
            QString module = pactl({"load-module", "module-null-sink", QStringLiteral("sink_name=%1").arg(name)});
            ASSERT_FALSE(module.isEmpty());
            modules << module;
        }
        pactl({"set-default-sink", "orbel_action_a"});
        pactl({"set-sink-mute", "orbel_action_a", "0"});
        auto& audio = platform::AudioOutput::shared();
        ASSERT_TRUE(spinUntil([&] { return audio.defaultSink() == "orbel_action_a" && audio.sinks().size() >= 2; }));
    }
    void TearDown() override {
        for (const QString& m : modules) pactl({"unload-module", m});
    }

    void perform(const SystemAction& action) {
        SystemActionExecutor::Environment env;
        env.alerts = &alerts;
        SystemActionExecutor(env).perform(action);
    }

    fakes::FakeAlerts alerts;
    QStringList modules;
};

TEST_F(SystemActionsAudio, VolumeActionsAndNextOutputReachTheServer) {
    auto& audio = platform::AudioOutput::shared();
    const QString a = QStringLiteral("orbel_action_a");

    perform(SystemAction::setVolume(0.5));
    EXPECT_TRUE(spinUntil([&] { return volumePercent(a) == 50; }));
    perform(K::volumeUp);
    EXPECT_TRUE(spinUntil([&] { return volumePercent(a) == 56; })) << volumePercent(a);
    perform(K::volumeDown);
    perform(K::volumeDown);
    EXPECT_TRUE(spinUntil([&] { return volumePercent(a) == 44; })) << volumePercent(a);
    perform(SystemAction::setVolume(1.7));
    EXPECT_TRUE(spinUntil([&] { return volumePercent(a) == 100; }));
    perform(K::volumeMute);
    EXPECT_TRUE(spinUntil([&] { return muted(a); }));
    perform(K::volumeMute);
    EXPECT_TRUE(spinUntil([&] { return !muted(a); }));

    // The next sink in the server's order, wrapping at the end.
    auto after = [&](const std::string& name) {
        auto sinks = audio.sinks();
        for (std::size_t i = 0; i < sinks.size(); ++i)
            if (sinks[i].name == name) return sinks[(i + 1) % sinks.size()].name;
        return std::string();
    };
    const std::string second = after("orbel_action_a");
    ASSERT_EQ(second, "orbel_action_b");
    perform(K::nextOutputDevice);
    EXPECT_TRUE(spinUntil([&] { return pactl({"get-default-sink"}).toStdString() == second; }));
    ASSERT_TRUE(spinUntil([&] { return audio.defaultSink() == second; }));
    const std::string third = after(second);
    perform(K::nextOutputDevice);
    EXPECT_TRUE(spinUntil([&] { return pactl({"get-default-sink"}).toStdString() == third; }));
    EXPECT_EQ(alerts.beeps, 0);
}

}  // namespace
}  // namespace orbel
