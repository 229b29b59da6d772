// Files other programs name: a 6000 x 4000 photo decoded whole against
// decoded straight to a dial icon's 60 px, a 5600 px cover decoded to the
// music disc's 512 px, and the GUI thread's share of saving the last track
// while a player skips through 100 tracks, against encoding one track.
#include <QBuffer>
#include <QImage>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include "music/last_played_cache.h"
#include "platform/peer_file.h"

using namespace orbel;

namespace {

const QByteArray& jpeg(int width, int height) {
    static std::map<std::pair<int, int>, QByteArray> made;
    QByteArray& bytes = made[{width, height}];
    if (bytes.isEmpty()) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(QColor(200, 40, 40));
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "JPEG", 80);
    }
    return bytes;
}

void BM_DecodePhotoWhole(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(QImage::fromData(jpeg(6000, 4000)));
}
BENCHMARK(BM_DecodePhotoWhole)->Unit(benchmark::kMillisecond);

void BM_DecodePhotoToIconSize(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(platform::decodePeerImage(jpeg(6000, 4000), QSize(60, 60)));
}
BENCHMARK(BM_DecodePhotoToIconSize)->Unit(benchmark::kMillisecond);

void BM_DecodeCoverToDisc(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(platform::decodePeerImage(jpeg(5600, 5600), QSize(512, 512)));
}
BENCHMARK(BM_DecodeCoverToDisc)->Unit(benchmark::kMillisecond);

void BM_SaveSkippedTracks(benchmark::State& state) {
    QTemporaryDir dir;
    LastPlayedCache cache(dir.filePath("last-played.json").toStdString());
    Track track{"id", "title", "artist", std::nullopt, std::vector<unsigned char>(300'000, 0x42), std::nullopt};
    int n = 0;
    for (auto _ : state) {
        for (int i = 0; i < 100; ++i) {
            track.title = std::to_string(++n);
            cache.save(track);
        }
    }
    cache.flush();
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * 100));
}
BENCHMARK(BM_SaveSkippedTracks)->Unit(benchmark::kMillisecond);

// What each save once cost the GUI thread, now the writer's.
void BM_EncodeOneTrack(benchmark::State& state) {
    const Track track{"id", "title", "artist", std::nullopt, std::vector<unsigned char>(300'000, 0x42), std::nullopt};
    for (auto _ : state) benchmark::DoNotOptimize(LastPlayedCache::encode(track));
}
BENCHMARK(BM_EncodeOneTrack)->Unit(benchmark::kMillisecond);

}  // namespace
