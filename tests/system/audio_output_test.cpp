// AudioOutput and the audio actions against the PulseAudio server of the test
// desktop session, checked with pactl.
#include "platform/audio_output.h"

#include <gtest/gtest.h>

#include "fakes/replace_shared.h"
#include "fakes/fake_alerts.h"
#include "music/system_volume_controller.h"
#include "slots/system_action_executor.h"
#include "system_helpers.h"

namespace orbel {
namespace {

using platform::AudioOutput;
using systemtest::pactl;
using systemtest::spinUntil;
using K = SystemAction::Kind;

int volumePercent(const QString& sink) {
    const QString out = pactl({"get-sink-volume", sink});
    const qsizetype percent = out.indexOf('%');
    if (percent < 0) return -1;
    qsizetype start = percent;
    while (start > 0 && out[start - 1].isDigit()) --start;
    return out.mid(start, percent - start).toInt();
}

bool muted(const QString& sink) { return pactl({"get-sink-mute", sink}).contains(QStringLiteral("yes")); }

// Two null sinks, orbel_test_a the default and unmuted.
class AudioSystem : public ::testing::Test {
protected:
    void SetUp() override {
        ORBEL_REQUIRE_PULSEAUDIO();
        for (const char* name : {"orbel_test_a", "orbel_test_b"}) {
            QString module = pactl({"load-module", "module-null-sink", QStringLiteral("sink_name=%1").arg(name)});
            ASSERT_FALSE(module.isEmpty());
            modules << module;
        }
        pactl({"set-default-sink", "orbel_test_a"});
        pactl({"set-sink-mute", "orbel_test_a", "0"});
        ASSERT_TRUE(spinUntil([&] {
            return output().isAvailable() && output().defaultSink() == "orbel_test_a" && output().sinks().size() >= 2;
        }));
    }
    void TearDown() override {
        for (const QString& m : modules) pactl({"unload-module", m});
    }

    // Runs an operation and waits for its completion.
    template <class Op>
    bool perform(Op op) {
        std::optional<bool> result;
        op([&](bool ok) { result = ok; });
        EXPECT_TRUE(spinUntil([&] { return result.has_value(); }));
        return result.value_or(false);
    }
    void act(const SystemAction& action) {
        fakes::ReplaceShared<platform::Alerts> useAlerts{alerts};
        SystemActionExecutor().perform(action);
    }

    static AudioOutput& output() { return AudioOutput::shared(); }
    fakes::FakeAlerts alerts;
    QStringList modules;
    const QString a = QStringLiteral("orbel_test_a");
};

TEST_F(AudioSystem, OutputStepsMuteRulesAndOutsideChanges) {
    int changes = 0;
    QObject context;  // the connection ends with the test
    QObject::connect(&output(), &AudioOutput::changed, &context, [&] { ++changes; });
    ASSERT_TRUE(perform([&](auto done) { output().setVolume(0.3, done); }));
    EXPECT_EQ(volumePercent(a), 30);
    EXPECT_TRUE(spinUntil([&] { return std::abs(output().volume() - 0.3) < 0.001; }));

    // Steps build on each other even before the server reports back.
    output().changeVolume(0.05);
    ASSERT_TRUE(perform([&](auto done) { output().changeVolume(0.05, done); }));
    EXPECT_EQ(volumePercent(a), 40);

    ASSERT_TRUE(perform([&](auto done) { output().toggleMute(done); }));
    EXPECT_TRUE(spinUntil([&] { return output().isMuted(); }));
    ASSERT_TRUE(perform([&](auto done) { output().setVolume(0.5, done); }));
    EXPECT_TRUE(muted(a)) << "setting a level leaves mute alone";
    ASSERT_TRUE(perform([&](auto done) { output().changeVolume(0.05, done); }));
    EXPECT_FALSE(muted(a)) << "a step up unmutes";
    EXPECT_EQ(volumePercent(a), 55);

    EXPECT_FALSE(perform([&](auto done) { output().setDefaultSink("no_such_sink", done); }));
    EXPECT_EQ(pactl({"get-default-sink"}), a);

    // Changes made elsewhere are seen too.
    pactl({"set-sink-volume", "orbel_test_b", "70%"});
    pactl({"set-default-sink", "orbel_test_b"});
    EXPECT_TRUE(spinUntil([&] { return output().defaultSink() == "orbel_test_b"; }));
    EXPECT_TRUE(spinUntil([&] { return std::abs(output().volume() - 0.7) < 0.01; }));
    EXPECT_GT(changes, 0);
}

TEST_F(AudioSystem, VolumeActionsAndNextOutputReachTheServer) {
    act(SystemAction::setVolume(0.5));
    EXPECT_TRUE(spinUntil([&] { return volumePercent(a) == 50; }));
    act(K::volumeUp);
    EXPECT_TRUE(spinUntil([&] { return volumePercent(a) == 56; })) << volumePercent(a);
    act(K::volumeDown);
    act(K::volumeDown);
    EXPECT_TRUE(spinUntil([&] { return volumePercent(a) == 44; })) << volumePercent(a);
    act(SystemAction::setVolume(1.7));
    EXPECT_TRUE(spinUntil([&] { return volumePercent(a) == 100; }));
    act(K::volumeMute);
    EXPECT_TRUE(spinUntil([&] { return muted(a); }));
    act(K::volumeMute);
    EXPECT_TRUE(spinUntil([&] { return !muted(a); }));

    // The next sink in the server's order, wrapping at the end.
    auto after = [&](const std::string& name) {
        auto sinks = output().sinks();
        for (std::size_t i = 0; i < sinks.size(); ++i)
            if (sinks[i].name == name) return sinks[(i + 1) % sinks.size()].name;
        return std::string();
    };
    const std::string second = after("orbel_test_a");
    ASSERT_EQ(second, "orbel_test_b");
    act(K::nextOutputDevice);
    EXPECT_TRUE(spinUntil([&] { return pactl({"get-default-sink"}).toStdString() == second; }));
    ASSERT_TRUE(spinUntil([&] { return output().defaultSink() == second; }));
    // Volume now acts on the new default sink.
    act(SystemAction::setVolume(0.2));
    EXPECT_TRUE(spinUntil([&] { return volumePercent("orbel_test_b") == 20; }));
    EXPECT_EQ(volumePercent(a), 100);
    const std::string third = after(second);
    act(K::nextOutputDevice);
    EXPECT_TRUE(spinUntil([&] { return pactl({"get-default-sink"}).toStdString() == third; }));
    EXPECT_EQ(alerts.beeps, 0);
}

TEST_F(AudioSystem, MusicVolumeReachesTheSinkAndMuteComesBackWhileObserving) {
    AudioOutputVolumeController volume(output());
    volume.setLevel(0.3);
    EXPECT_TRUE(spinUntil([&] { return volumePercent(a) == 30; }));
    volume.startObserving();
    pactl({"set-sink-mute", a, "1"});
    EXPECT_TRUE(spinUntil([&] { return volume.isMuted(); }));
    volume.stopObserving();
    pactl({"set-sink-mute", a, "0"});
    systemtest::spin(300);
    EXPECT_TRUE(volume.isMuted());
}

// The first volume action of a process, before anything else asked the
// sound server: run in a child process of its own.
TEST(AudioFirstAction, ChildSetsTheVolume) {
    if (qEnvironmentVariableIsEmpty("ORBEL_AUDIO_FIRST_ACTION")) GTEST_SKIP() << "runs only as a child process";
    fakes::Installed<fakes::FakeAlerts, platform::Alerts> alerts;
    SystemActionExecutor().perform(SystemAction::setVolume(0.35));
    EXPECT_TRUE(spinUntil([&] { return volumePercent(QStringLiteral("orbel_null")) == 35; }));
    EXPECT_EQ(alerts.beeps, 0);
}

TEST(AudioFirstAction, TheFirstVolumeActionOfAProcessIsNotLost) {
    ORBEL_REQUIRE_PULSEAUDIO();
    pactl({"set-default-sink", "orbel_null"});
    pactl({"set-sink-volume", "orbel_null", "80%"});
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ORBEL_AUDIO_FIRST_ACTION"), QStringLiteral("1"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=AudioFirstAction.ChildSetsTheVolume")});
    ASSERT_TRUE(child.waitForFinished(30000));
    EXPECT_EQ(child.exitCode(), 0);
    EXPECT_EQ(volumePercent(QStringLiteral("orbel_null")), 35);
}

}  // namespace
}  // namespace orbel
