#include <gtest/gtest.h>

#include <QDir>
#include <QPainter>

#include "dial/music_knob.h"
#include "fakes/fake_platform_basics.h"

// The music dial's turning disc: its angle on a driven clock, and renders
// of the disc for a person to look at.

namespace orbel {
namespace {

TEST(MusicCenterKnobState, AngleFollowsTheClockAndPausingFreezesIt) {
    fakes::FakeClock clock;
    MusicCenterKnobState state(clock);
    // Bring the still disc to 350 degrees.
    state.setSpinning(true);
    clock.advance(350.0 / 45);
    state.setSpinning(false);
    EXPECT_NEAR(state.baseAngle(), 350, 1e-3);
    clock.advance(100);
    EXPECT_NEAR(state.angle(), 350, 1e-3);  // still: no time passes for it

    int announced = 0;
    QObject::connect(&state, &MusicCenterKnobState::changed, [&] { ++announced; });
    state.setSpinning(true);
    clock.advance(5);
    state.setSpinning(true);  // already turning: the reference time stays
    clock.advance(5);
    EXPECT_NEAR(state.angle(), 80, 1e-3);  // 350 + 10 s × 45 = 800, that is 80
    state.setSpinning(false);
    state.setSpinning(false);
    EXPECT_NEAR(state.baseAngle(), 80, 1e-3);
    EXPECT_EQ(announced, 2);  // once to start, once to stop
}

TEST(MusicKnobRender, ArtworkOrNoteTurnedByTheAngle) {
    // Artwork with a red left half and a blue right half shows the turn.
    QImage art(80, 60, QImage::Format_ARGB32);
    art.fill(QColor(220, 40, 40));
    QPainter(&art).fillRect(40, 0, 40, 60, QColor(40, 80, 220));
    const double size = 108.8;
    const struct {
        const char* name;
        bool withArt;
        double angle;
    } cases[] = {{"still-no-artwork", false, 0}, {"still-artwork", true, 0}, {"turned-artwork", true, 180},
                 {"turning-no-artwork", false, 80}};
    QImage sheet(int(std::size(cases)) * 130, 130, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(QColor(60, 60, 68));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(c.name);
        const QPointF centre(65 + 130.0 * double(i), 65);
        QPainter p(&sheet);
        dial::paintMusicKnob(p, centre, size, c.withArt ? art : QImage(), c.angle);
        p.end();
        const QColor left = sheet.pixelColor((centre + QPointF(-20, 0)).toPoint());
        const QColor right = sheet.pixelColor((centre + QPointF(20, 0)).toPoint());
        const QColor groove = sheet.pixelColor((centre + QPointF(0, -48)).toPoint());
        EXPECT_LT(groove.lightness(), 90);  // the black record around the label
        if (!c.withArt) {
            EXPECT_LT(left.lightness(), 60);  // a black label
        } else if (c.angle == 0) {
            EXPECT_GT(left.red(), left.blue());
            EXPECT_GT(right.blue(), right.red());
        } else {
            EXPECT_GT(left.blue(), left.red());  // half a turn swaps the halves
        }
    }
    // The note of an empty label is drawn light on the black.
    int light = 0;
    for (int y = 55; y < 75; ++y)
        for (int x = 55; x < 75; ++x) light += sheet.pixelColor(x, y).lightness() > 100;
    EXPECT_GT(light, 10);
    EXPECT_GT(dial::musicKnobBounds(QPointF(0, 0), size).width(), size);
    const QString dir = QStringLiteral(ORBEL_BINARY_DIR "/test-artifacts/dial");
    QDir().mkpath(dir);
    EXPECT_TRUE(sheet.save(dir + "/music-knob.png"));
}

// Frames turn the cached picture: they look like the disc drawn anew, and
// the layers are drawn again only for new artwork, size or pixel ratio.
TEST(MusicKnobPictures, TurnsTheCachedDiscAndRedrawsOnlyWhatChanged) {
    QImage art(80, 60, QImage::Format_ARGB32);
    art.fill(QColor(220, 40, 40));
    QPainter(&art).fillRect(40, 0, 40, 60, QColor(40, 80, 220));
    auto frame = [](double dpr, auto paint) {
        QImage image(QSize(130, 130) * dpr, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(dpr);
        image.fill(QColor(60, 60, 68));
        QPainter p(&image);
        paint(p);
        return image;
    };
    dial::MusicKnobPictures pictures;
    for (double angle = 0; angle < 360; angle += 37) {
        const QImage cached = frame(1, [&](QPainter& p) { pictures.paint(p, {65, 65}, 108.8, art, angle); });
        const QImage drawn = frame(1, [&](QPainter& p) { dial::paintMusicKnob(p, {65, 65}, 108.8, art, angle); });
        for (const QPoint at : {QPoint(45, 65), QPoint(85, 65), QPoint(65, 20), QPoint(65, 118)})
            EXPECT_LE(std::abs(qGray(cached.pixel(at)) - qGray(drawn.pixel(at))), 24) << angle;
    }
    EXPECT_EQ(pictures.drawings(), 1);
    frame(2, [&](QPainter& p) { pictures.paint(p, {65, 65}, 108.8, art, 0); });
    QImage other = art.copy();
    frame(2, [&](QPainter& p) { pictures.paint(p, {65, 65}, 108.8, other, 0); });
    EXPECT_EQ(pictures.drawings(), 3);
}

// The disc painted in bands of rows: no seam where two bands meet, at
// either pixel ratio (each row as close to the disc drawn anew as the rest).
TEST(MusicKnobPictures, BandsLeaveNoSeam) {
    QImage art(80, 80, QImage::Format_ARGB32);
    art.fill(QColor(220, 40, 40));
    dial::MusicKnobPictures pictures;
    for (const double dpr : {1.0, 2.0}) {
        auto frame = [&](auto paint) {
            QImage image(QSize(130, 130) * dpr, QImage::Format_ARGB32_Premultiplied);
            image.setDevicePixelRatio(dpr);
            image.fill(QColor(60, 60, 68));
            QPainter p(&image);
            paint(p);
            return image;
        };
        // Size and centre put the layers' corners on whole pixels.
        const QImage cached = frame([&](QPainter& p) { pictures.paint(p, {65, 65}, 110, art, 30); });
        const QImage drawn = frame([&](QPainter& p) { dial::paintMusicKnob(p, {65, 65}, 110, art, 30); });
        for (int y = 0; y < cached.height(); ++y) {
            double sum = 0;
            for (int x = 0; x < cached.width(); ++x)
                sum += std::abs(qGray(cached.pixel(x, y)) - qGray(drawn.pixel(x, y)));
            EXPECT_LT(sum / cached.width(), 4) << "row " << y << " at " << dpr;
        }
    }
}

}  // namespace
}  // namespace orbel
