// AudioOutput against the PulseAudio server of the test desktop session,
// checked with pactl.
#include "platform/audio_output.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <gtest/gtest.h>

#include "system_helpers.h"

namespace orbel::platform {
namespace {

using systemtest::spinUntil;

using systemtest::pactl;
int volumePercent(const QString& sink) { return systemtest::sinkVolumePercent(sink); }
bool muted(const QString& sink) { return systemtest::sinkMuted(sink); }

class AudioOutputSystem : public ::testing::Test {
protected:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("DISPLAY")) GTEST_SKIP() << "no desktop session";
        int code = -1;
        pactl({"info"}, &code);
        if (code != 0) GTEST_SKIP() << "no PulseAudio server";
        for (const char* name : {"orbel_test_a", "orbel_test_b"}) {
            QString module = pactl({"load-module", "module-null-sink", QStringLiteral("sink_name=%1").arg(name),
                                    QStringLiteral("sink_properties=device.description=%1").arg(name)});
            ASSERT_FALSE(module.isEmpty());
            modules << module;
        }
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

    QStringList modules;
};

TEST_F(AudioOutputSystem, VolumeMuteAndDefaultSinkReachTheServer) {
    AudioOutput& audio = AudioOutput::shared();
    int changes = 0;
    QObject::connect(&audio, &AudioOutput::changed, &audio, [&] { ++changes; });
    auto hasTestSinks = [&] {
        int found = 0;
        for (const auto& s : audio.sinks()) found += s.name == "orbel_test_a" || s.name == "orbel_test_b";
        return audio.isAvailable() && found == 2;
    };
    ASSERT_TRUE(spinUntil(hasTestSinks));

    ASSERT_TRUE(perform([&](auto done) { audio.setDefaultSink("orbel_test_a", done); }));
    EXPECT_EQ(pactl({"get-default-sink"}), "orbel_test_a");
    EXPECT_TRUE(spinUntil([&] { return audio.defaultSink() == "orbel_test_a"; }));

    ASSERT_TRUE(perform([&](auto done) { audio.setVolume(0.3, done); }));
    EXPECT_EQ(volumePercent("orbel_test_a"), 30);
    EXPECT_TRUE(spinUntil([&] { return std::abs(audio.volume() - 0.3) < 0.001; }));

    // Steps build on each other even before the server reports back.
    audio.changeVolume(0.05);
    ASSERT_TRUE(perform([&](auto done) { audio.changeVolume(0.05, done); }));
    EXPECT_EQ(volumePercent("orbel_test_a"), 40);
    ASSERT_TRUE(perform([&](auto done) { audio.changeVolume(-0.25, done); }));
    EXPECT_EQ(volumePercent("orbel_test_a"), 15);
    ASSERT_TRUE(perform([&](auto done) { audio.setVolume(1.7, done); }));
    EXPECT_EQ(volumePercent("orbel_test_a"), 100);

    ASSERT_TRUE(perform([&](auto done) { audio.toggleMute(done); }));
    EXPECT_TRUE(muted("orbel_test_a"));
    EXPECT_TRUE(spinUntil([&] { return audio.isMuted(); }));
    ASSERT_TRUE(perform([&](auto done) { audio.setVolume(0.5, done); }));
    EXPECT_TRUE(muted("orbel_test_a")) << "setting a level leaves mute alone";
    ASSERT_TRUE(perform([&](auto done) { audio.changeVolume(0.05, done); }));
    EXPECT_FALSE(muted("orbel_test_a")) << "a step up unmutes";
    EXPECT_EQ(volumePercent("orbel_test_a"), 55);

    // Switching the default sink moves what the volume operations act on.
    ASSERT_TRUE(perform([&](auto done) { audio.setDefaultSink("orbel_test_b", done); }));
    EXPECT_EQ(pactl({"get-default-sink"}), "orbel_test_b");
    ASSERT_TRUE(perform([&](auto done) { audio.setVolume(0.2, done); }));
    EXPECT_EQ(volumePercent("orbel_test_b"), 20);
    EXPECT_EQ(volumePercent("orbel_test_a"), 55);

    EXPECT_FALSE(perform([&](auto done) { audio.setDefaultSink("no_such_sink", done); }));
    EXPECT_EQ(pactl({"get-default-sink"}), "orbel_test_b");

    // Changes made elsewhere are seen too.
    pactl({"set-sink-volume", "orbel_test_b", "70%"});
    EXPECT_TRUE(spinUntil([&] { return std::abs(audio.volume() - 0.7) < 0.01; }));
    pactl({"set-default-sink", "orbel_test_a"});
    EXPECT_TRUE(spinUntil([&] { return audio.defaultSink() == "orbel_test_a"; }));
    EXPECT_GT(changes, 0);
}

}  // namespace
}  // namespace orbel::platform
