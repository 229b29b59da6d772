// What the turning music disc costs: the music dial open on a real X server
// with a playing track, left to turn (a minute by default; the seconds in
// ORBEL_BENCH_DISC_SECONDS), reporting the process's CPU time as a share of
// one core and the frames painted per second. Run under
// scripts/desktop-session; without an X display it reports that it was
// skipped. Beside it, one frame of the disc drawn from scratch against one
// frame turning the cached picture.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QBuffer>
#include <QPainter>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdlib>
#include <ctime>

#include "dial/dial_panels.h"
#include "dial/music_knob.h"
#include "dial/wedge_geometry.h"
#include "dial/radial_menu_controller.h"
#include "dial/radial_menu_view.h"
#include "fakes/fake_now_playing.h"
#include "fakes/fake_system_platform.h"
#include "music/last_played_cache.h"
#include "music/music_dial_mode_provider.h"
#include "music/now_playing_service.h"
#include "music/system_volume_controller.h"
#include "platform/log.h"
#include "bench_rig.h"

using namespace orbel;

namespace {

QApplication& app() { return bench::benchApp("xcb"); }

double processCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// Runs the event loop for `ms`, sleeping while there is nothing to do.
void idle(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

QByteArray artworkPng() {
    QImage art(600, 600, QImage::Format_ARGB32);
    QPainter p(&art);
    QLinearGradient g(0, 0, 600, 600);
    g.setColorAt(0, QColor(214, 96, 40));
    g.setColorAt(1, QColor(36, 52, 120));
    p.fillRect(art.rect(), g);
    p.end();
    QByteArray png;
    QBuffer buffer(&png);
    art.save(&buffer, "PNG");
    return png;
}

void BM_MusicDiscTurning(benchmark::State& state) {
    if (!bench::haveDisplay()) return state.SkipWithError("needs an X display");
    app();
    platform::Log::setSink([](platform::LogCategory, const std::string&) {});
    QTemporaryDir dir;
    fakes::FakeNowPlaying players;
    LiveMusicNowPlayingService service(players);
    fakes::FakeAudioOutput output;
    AudioOutputVolumeController volume(output);
    LastPlayedCache cache(dir.filePath("last-played.json").toStdString());
    MusicDialModeProvider provider(service, volume, cache);
    platform::NowPlayingInfo playing;
    playing.title = "Blue in Green";
    playing.artist = "Miles Davis";
    playing.isPlaying = true;
    playing.playbackRate = 1.0;
    playing.artworkPng = artworkPng();
    players.current = playing;
    service.refresh();

    dial::DialPanels panels;
    RadialMenuController dial(nullptr, panels);
    panels.setController(&dial);
    dial.show();
    dial.setMode(DialMode::music, &provider, &volume);
    idle(1000);  // shown, first frames painted, caches made

    struct Frames : QObject {
        int count = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint) ++count;
            return false;
        }
    } frames;
    panels.view().installEventFilter(&frames);
    const QByteArray env = qgetenv("ORBEL_BENCH_DISC_SECONDS");
    const int seconds = env.isEmpty() ? 60 : std::max(1, env.toInt());
    double cpu = 0, wall = 0;
    for (auto _ : state) {
        const double before = processCpuSeconds();
        QElapsedTimer clock;
        clock.start();
        idle(seconds * 1000);
        cpu = processCpuSeconds() - before;
        wall = double(clock.nsecsElapsed()) / 1e9;
        state.SetIterationTime(wall);
    }
    panels.view().removeEventFilter(&frames);
    state.counters["cpu_percent_of_a_core"] = 100.0 * cpu / wall;
    state.counters["frames_per_second"] = frames.count / wall;
    state.counters["display_hz"] = QGuiApplication::primaryScreen()->refreshRate();
    dial.hide();
    platform::Log::setSink({});
}
BENCHMARK(BM_MusicDiscTurning)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

template <class Paint>
void discFrames(benchmark::State& state, Paint paint) {
    app();
    QImage artwork;
    artwork.loadFromData(artworkPng());
    const double size = dial::DialMetrics{}.knobSize();
    QImage frame(QSize(140, 140) * 2, QImage::Format_ARGB32_Premultiplied);
    frame.setDevicePixelRatio(2);
    double angle = 0;
    for (auto _ : state) {
        frame.fill(Qt::transparent);
        QPainter p(&frame);
        paint(p, QPointF(70, 70), size, artwork, angle += 0.75);
    }
}
void BM_DiscFrameDrawnAnew(benchmark::State& state) { discFrames(state, dial::paintMusicKnob); }
void BM_DiscFrameFromCache(benchmark::State& state) {
    dial::MusicKnobPictures pictures;
    discFrames(state, [&](QPainter& p, QPointF c, double size, const QImage& art, double angle) {
        pictures.paint(p, c, size, art, angle);
    });
}
BENCHMARK(BM_DiscFrameDrawnAnew)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DiscFrameFromCache)->Unit(benchmark::kMicrosecond);

}  // namespace
