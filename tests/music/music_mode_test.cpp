#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>

#include <tuple>
#include <memory>

#include "dial/radial_menu_view.h"
#include "dial/wedge_geometry.h"
#include "fakes/fake_dial_surface.h"
#include "fakes/fake_now_playing.h"
#include "fakes/fake_platform_basics.h"
#include "fakes/fake_system_platform.h"
#include "fakes/replace_shared.h"
#include "music/last_played_cache.h"
#include "dial/music_track_label.h"
#include "music/music_dial_mode_provider.h"
#include "music/system_volume_controller.h"
#include "support/mapped.h"

namespace orbel {
namespace {

using Kind = NowPlayingState::Kind;
using platform::NowPlayingInfo;

NowPlayingInfo info(std::optional<std::string> title, std::optional<bool> playing, std::optional<double> rate,
                    std::optional<std::string> album = std::nullopt, std::optional<std::string> bundle = std::nullopt) {
    NowPlayingInfo i;
    i.title = std::move(title);
    i.artist = "Ann";
    i.album = std::move(album);
    i.isPlaying = playing;
    i.playbackRate = rate;
    i.bundleId = std::move(bundle);
    return i;
}

TEST(NowPlayingState, MadeFromAPlayersReport) {
    struct Case {
        NowPlayingInfo in;
        Kind kind;
        std::string id;
    } cases[] = {
        {info("T", std::nullopt, 0.0), Kind::paused, "|T|Ann|"},
        {info("T", std::nullopt, 1.0), Kind::playing, "|T|Ann|"},
        {info("T", std::nullopt, std::nullopt), Kind::paused, "|T|Ann|"},
        {info("T", false, 2.0), Kind::paused, "|T|Ann|"},
        {info("T", true, 0.0, "", "vlc"), Kind::playing, "vlc|T|Ann|"},
        {info("T", true, 1.0, "LP", "vlc"), Kind::playing, "vlc|T|Ann|LP"},
        {info("", true, 1.0), Kind::idle, ""},
        {info(std::nullopt, true, 1.0), Kind::idle, ""},
    };
    for (const auto& c : cases) {
        const auto state = makeNowPlayingState(c.in);
        EXPECT_EQ(state.kind, c.kind) << c.id;
        if (state.track) {
            EXPECT_EQ(state.track->id, c.id);
            EXPECT_NE(state.track->album, std::optional<std::string>(""));
        }
    }
    EXPECT_EQ(makeNowPlayingState(std::nullopt).kind, Kind::idle);
}

TEST(LiveMusicNowPlayingService, ListensOnceAndSendsToThePlayer) {
    fakes::FakeNowPlaying players;
    LiveMusicNowPlayingService service(players);
    EXPECT_EQ(service.currentState().kind, Kind::idle);
    service.startObserving();
    service.startObserving();
    EXPECT_EQ(players.listens, 1);
    QSignalSpy spy(&service, &MusicNowPlayingService::stateChanged);
    players.report(info("T", true, 1.0));
    players.noTrack();
    EXPECT_EQ(spy.count(), 2);
    EXPECT_EQ(service.currentState().kind, Kind::unavailable);
    service.send(TransportCommand::next);
    EXPECT_EQ(players.commands, std::vector<std::string>{"next"});
}

Track track(std::string title, std::size_t artworkBytes = 0) {
    Track t{"vlc|" + title + "|Ann|", title, "Ann", std::nullopt, std::nullopt, std::nullopt};
    if (artworkBytes) t.artworkData.emplace(artworkBytes, 0x42);
    return t;
}

TEST(LastPlayedCache, StoresOneTrackWithinTheArtworkLimit) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("last-played.json").toStdString();
    EXPECT_EQ(LastPlayedCache::encode(track("A/B")), R"({"id":"vlc|A\/B|Ann|","title":"A\/B","artist":"Ann"})");
    {
        LastPlayedCache cache(path);
        cache.save(track("Small", LastPlayedCache::kMaxArtworkBytes));
        cache.flush();
        EXPECT_EQ(LastPlayedCache(path).load()->artworkData->size(), LastPlayedCache::kMaxArtworkBytes);
        cache.save(track("Big", LastPlayedCache::kMaxArtworkBytes + 1));
    }
    const auto loaded = LastPlayedCache(path).load();
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->title, "Big");
    EXPECT_FALSE(loaded->artworkData);

    EXPECT_FALSE(LastPlayedCache::decode(R"({"id":"x","title":"t"})"));
    EXPECT_TRUE(LastPlayedCache::decode(R"({"id":"x","title":"t","artist":"a","other":[1]})"));
    EXPECT_FALSE(LastPlayedCache::decode(R"({"id":"x","title":"t","artist":"a","artworkData":"**"})"));
    EXPECT_FALSE(LastPlayedCache(dir.filePath("missing.json").toStdString()).load());

    // A track whose write failed is not what a load gives: the file's is.
    LastPlayedCache unwritable(dir.filePath("no-folder/last-played.json").toStdString());
    unwritable.save(track("Lost"));
    unwritable.flush();
    EXPECT_FALSE(unwritable.load());
}

// A write queue that runs its tasks when the test says so.
struct HeldQueue : platform::SerialQueue {
    std::vector<std::function<void()>>* tasks;
    explicit HeldQueue(std::vector<std::function<void()>>* t) : tasks(t) {}
    void post(std::function<void()> task) override { tasks->push_back(std::move(task)); }
    void flush() override {}
    const std::string& label() const override { return label_; }
    std::string label_ = "held";
};

// A player skipping through tracks while a write is under way: one more
// write, for the newest track, encoded by the writer.
TEST(LastPlayedCache, SavesDuringAWriteCoalesceToTheNewest) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("last-played.json").toStdString();
    std::vector<std::function<void()>> tasks;
    LastPlayedCache cache(path, std::make_unique<HeldQueue>(&tasks));
    for (int i = 0; i < 50; ++i) cache.save(track("Song " + std::to_string(i), 100'000));
    ASSERT_EQ(tasks.size(), 1u);
    tasks.front()();
    cache.save(track("Song 50", 100'000));
    ASSERT_EQ(tasks.size(), 2u);
    EXPECT_EQ(LastPlayedCache(path).load()->title, "Song 49");
    tasks.back()();
    EXPECT_EQ(LastPlayedCache(path).load()->title, "Song 50");
}

// A sound server whose writes complete only when the test says so.
class SlowAudioOutput : public fakes::FakeAudioOutput {
public:
    void setVolume(double v, Completion done) override {
        writes.push_back(v);
        level = v;
        pending.push_back(std::move(done));
    }
    void completeAll() {
        while (!pending.empty())
            for (auto& done : std::exchange(pending, {})) if (done) done(true);
    }
    std::vector<double> writes;
    std::vector<Completion> pending;
};

TEST(AudioOutputVolumeController, PublishesAtOnceAndWritesTheNewestLevel) {
    SlowAudioOutput output;
    AudioOutputVolumeController volume(output);
    EXPECT_EQ(volume.level(), 0.5);
    QSignalSpy published(&volume, &SystemVolumeController::levelChanged);
    for (int i = 1; i <= 10; ++i) volume.setLevel(i / 10.0);
    EXPECT_EQ(published.count(), 10);
    output.completeAll();
    ASSERT_GE(output.writes.size(), 1u);
    EXPECT_LE(output.writes.size(), 2u);
    EXPECT_EQ(output.writes.back(), 1.0);

    for (auto [in, out] : {std::pair{1.7, 1.0}, {-0.2, 0.0}, {std::nan(""), 0.0}}) {
        volume.setLevel(in);
        output.completeAll();
        EXPECT_EQ(volume.level(), out);
        EXPECT_EQ(output.writes.back(), out);
    }
}

TEST(AudioOutputVolumeController, FollowsTheServerOnlyWhileObserving) {
    fakes::FakeAudioOutput output;
    AudioOutputVolumeController volume(output);
    QSignalSpy mutes(&volume, &SystemVolumeController::muteChanged);
    volume.startObserving();
    volume.startObserving();
    output.setMuted(true);
    EXPECT_EQ(mutes.count(), 1);
    volume.stopObserving();
    output.setMuted(false);
    EXPECT_EQ(mutes.count(), 1);
    EXPECT_TRUE(volume.isMuted());
}

class ProviderTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    fakes::FakeNowPlaying players;
    LiveMusicNowPlayingService service{players};
    fakes::FakeAudioOutput output;
    AudioOutputVolumeController volume{output};
    LastPlayedCache cache{dir.filePath("last-played.json").toStdString()};
    MusicDialModeProvider provider{service, volume, cache};

    std::string centreTitle() const { return provider.currentCenterContent().get<CenterContent::AlbumArt>()->title; }
};

TEST_F(ProviderTest, ShowsTheTrackAndOneChangePerUpdateWhileActive) {
    EXPECT_EQ(centreTitle(), "Nothing playing");
    EXPECT_EQ(testing::mapped(provider.slots(), [](const auto& slot) { return slot->title(); }),
              (std::vector<std::string>{"Play/Pause", "Next", "Volume", "Previous"}));

    players.current = info("Song", true, 1.0);
    service.refresh();
    QSignalSpy changes(&provider, &DialModeProvider::changed);
    provider.activate();
    EXPECT_EQ(centreTitle(), "Song");
    EXPECT_TRUE(provider.toggleSlot().isPlaying);
    changes.clear();

    players.report(info("Song", false, 0.0));  // paused tracks are remembered too
    output.setVolume(0.2);
    EXPECT_EQ(changes.count(), 2);
    EXPECT_EQ(provider.volumeSlot().currentLevel(), 0.2);

    provider.deactivate();
    output.setVolume(0.9);
    players.report(info("Other", true, 1.0));
    EXPECT_EQ(changes.count(), 2);
    cache.flush();
    EXPECT_EQ(LastPlayedCache(cache.filePath()).load()->title, "Song");
}

TEST_F(ProviderTest, IdleShowsTheLastTrackOrNothing) {
    provider.activate();
    players.report(std::nullopt);
    EXPECT_EQ(centreTitle(), "");  // nothing remembered yet
    players.report(info("Song", true, 1.0));
    players.report(std::nullopt);
    EXPECT_EQ(centreTitle(), "Song");
    EXPECT_FALSE(provider.currentCenterContent().get<CenterContent::AlbumArt>()->isPlaying);
    players.noTrack();
    EXPECT_EQ(centreTitle(), "");
}

TEST(MusicSlots, SymbolsAndCommands) {
    for (auto [level, muted, symbol] : {std::tuple{0.001, false, "speaker.slash.fill"}, {0.0011, false, "speaker.wave.1.fill"},
                                        {0.34, false, "speaker.wave.2.fill"}, {0.67, false, "speaker.wave.3.fill"},
                                        {1.0, true, "speaker.slash.fill"}})
        EXPECT_EQ(VolumeScrubMenuSlot::symbolFor(level, muted), symbol) << level;

    fakes::FakeNowPlaying players;
    LiveMusicNowPlayingService service(players);
    TransportSlot toggle("Play/Pause", TransportCommand::toggle, service), next("Next", TransportCommand::next, service);
    toggle.execute(nullptr);  // idle: nothing to toggle
    next.execute(nullptr);
    players.report(info("Song", true, 1.0));
    toggle.execute(nullptr);
    EXPECT_EQ(players.commands, (std::vector<std::string>{"next", "toggle"}));
}

QString artifact(const QString& name) {
    const QString dir = QStringLiteral(ORBEL_BINARY_DIR "/test-artifacts");
    QDir().mkpath(dir);
    return dir + "/" + name;
}

// The live view of a dial on an in-memory surface, its disc turned by a
// clock the test moves.
struct MusicDialView {
    MusicDialView() {
        view.setController(&dial);
        view.resize(560, 640);
    }
    auto parts() { return std::tie(clock, knob, dial, view); }
    fakes::FakeClock clock;
    MusicCenterKnobState knob{clock};
    fakes::ReplaceShared<MusicCenterKnobState> useKnob{knob};
    fakes::FakeDialSurface surface;
    RadialMenuController dial{nullptr, surface};
    dial::RadialMenuView view;
};

// Album artwork as a player hands it over: orange, with `blue` in blue, so
// a turn of the disc shows.
QByteArray twoToneArtwork(const QRect& blue) {
    QImage art(120, 120, QImage::Format_ARGB32);
    art.fill(QColor(214, 96, 40));
    QPainter(&art).fillRect(blue, QColor(36, 52, 120));
    QByteArray png;
    QBuffer buffer(&png);
    return art.save(&buffer, "PNG") ? png : QByteArray();
}

// The whole music dial as the live view draws it: the provider's slots
// around the track's artwork on the turning disc, which is redrawn frame by
// frame only while the track plays and the dial is on screen.
TEST_F(ProviderTest, DialViewTurnsTheDiscOnlyWhilePlayingAndOnScreen) {
    MusicDialView rig;
    auto [clock, knob, dial, view] = rig.parts();  // references

    const QByteArray png = twoToneArtwork(QRect(0, 60, 120, 60));
    ASSERT_FALSE(png.isEmpty());
    NowPlayingInfo playing = info("Blue in Green", true, 1.0), paused = info("Blue in Green", false, 0.0);
    playing.artworkPng = paused.artworkPng = png;
    auto report = [&](const NowPlayingInfo& i) {
        players.report(i);
        QCoreApplication::processEvents();  // the dial takes the provider's changes queued
    };
    players.current = playing;
    service.refresh();
    dial.setMode(DialMode::music, &provider, &volume);
    EXPECT_FALSE(view.isAnimatingKnob());  // not on screen yet
    QElapsedTimer shown;
    shown.start();
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    // The track label names the track under the ring, then hides.
    const MusicTrackLabel& label = view.trackLabel();
    EXPECT_TRUE(label.isVisible() && label.isShownFully());
    EXPECT_GT(label.geometry().top(), view.dialCentre().y() + dial.menuRadius());
    EXPECT_TRUE(knob.isSpinning());
    EXPECT_TRUE(view.isAnimatingKnob());
    clock.advance(1);
    const QImage playingShot = view.grab().toImage();
    EXPECT_TRUE(playingShot.save(artifact("music-dial-playing.png")));
    // The frames repaint the disc alone (and the fading label its own place).
    const double knobSize = dial::DialMetrics{dial.menuRadius()}.knobSize();
    struct Frames : QObject {
        QRect knob, label;
        int count = 0, elsewhere = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() != QEvent::Paint) return false;
            const QRegion painted = static_cast<QPaintEvent*>(e)->region();
            count += painted.intersects(knob);
            for (const QRect& r : painted) elsewhere += !knob.contains(r) && !label.contains(r);
            return false;
        }
    } frames;
    frames.knob = dial::musicKnobBounds(view.dialCentre(), knobSize).toAlignedRect();
    frames.label = label.geometry();
    view.installEventFilter(&frames);
    // Frames come as the disc moves: a whole turn in steps, so it ends
    // where it began.
    for (int step = 0; step < 4; ++step) {
        clock.advance(2);
        QTest::qWait(30);
    }
    view.removeEventFilter(&frames);
    EXPECT_GE(frames.count, 2);
    EXPECT_LE(frames.count, 8);
    EXPECT_EQ(frames.elsewhere, 0);

    report(paused);
    EXPECT_FALSE(view.isAnimatingKnob());
    EXPECT_NEAR(knob.baseAngle(), 45, 1e-6);
    QTest::qWait(450);  // the label has faded in, for the picture
    const QImage pausedShot = view.grab().toImage();
    EXPECT_TRUE(pausedShot.save(artifact("music-dial-paused.png")));
    // The top wedge's pause bars gave way to the play triangle.
    const QPoint toggleIcon = dial::pointOnWedgeAxis(view.dialCentre(), 0, 4, dial::DialMetrics{}.iconRadius()).toPoint();
    EXPECT_NE(playingShot.pixel(toggleIcon), pausedShot.pixel(toggleIcon));
    report(playing);
    EXPECT_TRUE(view.isAnimatingKnob());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !label.isShownFully(); }, 10000));
    EXPECT_GE(shown.elapsed(), 1500);
    view.hide();  // the dial closes, the music plays on
    EXPECT_FALSE(view.isAnimatingKnob());
    EXPECT_TRUE(knob.isSpinning());
    view.show();
    EXPECT_TRUE(view.isAnimatingKnob());
    dial.setMode(DialMode::standard);
    EXPECT_FALSE(view.isAnimatingKnob());
}

// The turning disc's frames: each repaints the disc's square alone, from a
// copy of the dial under it that is painted again only after something there
// changed, and looks as the whole dial painted at once. A tick that would not
// move the disc, or a paused disc, paints nothing.
TEST_F(ProviderTest, DiscFramesRepaintItsSquareOnlyWhenTheDiscMoved) {
    MusicDialView rig;
    auto [clock, knob, dial, view] = rig.parts();  // references
    const QByteArray png = twoToneArtwork(QRect(60, 0, 60, 120));
    ASSERT_FALSE(png.isEmpty());
    NowPlayingInfo playing = info("Blue in Green", true, 1.0), paused = info("Blue in Green", false, 0.0);
    playing.artworkPng = paused.artworkPng = png;
    players.current = playing;
    service.refresh();
    dial.setMode(DialMode::music, &provider, &volume);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    ASSERT_TRUE(view.isAnimatingKnob());

    const QRect square = view.knobSquare();
    struct Paints : QObject {
        QRect square;
        int frames = 0, wider = 0;  // paints touching the square: within it, or beyond
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() != QEvent::Paint) return false;
            const QRegion painted = static_cast<QPaintEvent*>(e)->region();
            if (!painted.intersects(square)) return false;  // the track label fading
            ++frames;
            for (const QRect& r : painted) wider += r.intersects(square) && !square.contains(r);
            return false;
        }
    } paints;
    paints.square = square;
    view.installEventFilter(&paints);
    QTest::qWait(150);  // the clock stands still: nothing new to show
    EXPECT_EQ(paints.frames + paints.wider, 0);
    for (int turn = 1; turn <= 3; ++turn) {
        clock.advance(0.25);
        EXPECT_TRUE(QTest::qWaitFor([&] { return paints.frames == turn; }, 5000));
        QTest::qWait(60);  // and no more ticks paint the same picture again
        EXPECT_EQ(paints.frames, turn);
    }
    EXPECT_EQ(paints.wider, 0);
    EXPECT_EQ(view.knobBaseDrawings(), 1);

    // A frame (the square alone asked for) against the whole dial painted at
    // once, at the same angle.
    auto shot = [&](const QRegion& region) {
        QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        view.render(&image, region.boundingRect().topLeft(), region);
        return image.copy(square);
    };
    const QImage frame = shot(QRegion(square)), whole = shot(QRegion(view.rect()));
    int differing = 0;
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x) {
            const QRgb a = frame.pixel(x, y), b = whole.pixel(x, y);
            differing += std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                   std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))}) > 2;
        }
    EXPECT_EQ(differing, 0);
    EXPECT_TRUE(frame.save(artifact("music-disc-frame.png")));

    // A highlight over the ring changes what lies under the square's corners.
    dial.moveHighlight(1);
    QCoreApplication::processEvents();
    clock.advance(0.25);
    EXPECT_TRUE(QTest::qWaitFor([&] { return view.knobBaseDrawings() == 2; }, 5000));

    players.report(paused);
    QCoreApplication::processEvents();
    EXPECT_FALSE(view.isAnimatingKnob());
    QTest::qWait(50);
    const int before = paints.frames + paints.wider;
    clock.advance(1);
    QTest::qWait(100);
    EXPECT_EQ(paints.frames + paints.wider, before);
    view.removeEventFilter(&paints);
}

// Each label stays fully shown for at least its time after its last
// change, then hides; an untitled one never does.
TEST(MusicTrackLabel, HidesAfterItsTimeNeverEarlierUnlessUntitled) {
    using std::chrono::milliseconds;
    const int durations[] = {310, 530, 1000};
    std::vector<std::unique_ptr<MusicTrackLabel>> labels;
    std::vector<qint64> changed, hidden;
    QElapsedTimer clock;
    clock.start();
    for (int ms : durations) {
        labels.push_back(std::make_unique<MusicTrackLabel>(milliseconds(ms), milliseconds(0)));
        labels.back()->setTrack("A very long title of a song", "Ann, Bob");
        labels.back()->resize(labels.back()->sizeHint());
        labels.back()->show();
        changed.push_back(0);
        hidden.push_back(-1);
    }
    MusicTrackLabel untitled(milliseconds(100), milliseconds(0));
    untitled.show();
    for (bool dark : {false, true}) {
        labels[2]->setDark(dark);
        EXPECT_TRUE(labels[2]->grab().save(artifact(dark ? "music-track-label-dark.png" : "music-track-label.png")));
    }
    QTest::qWait(100);
    changed[1] = clock.elapsed();
    labels[1]->setTrack("Second", "Ann");  // restarts the countdown
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            for (std::size_t i = 0; i < labels.size(); ++i)
                if (hidden[i] < 0 && !labels[i]->isShownFully()) hidden[i] = clock.elapsed();
            return std::all_of(hidden.begin(), hidden.end(), [](qint64 t) { return t >= 0; });
        },
        10000));
    for (std::size_t i = 0; i < labels.size(); ++i) EXPECT_GE(hidden[i] - changed[i], durations[i]) << durations[i];
    EXPECT_TRUE(untitled.isShownFully());
}

}  // namespace
}  // namespace orbel
