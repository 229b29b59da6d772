#include <gtest/gtest.h>

#include <QDir>
#include <QPainter>

#include "dial/dial_painter.h"
#include "dial/glass_surface.h"
#include "dial/wedge_geometry.h"

// Renders of the dial for a person to look at, under test-artifacts/, and
// pixel checks of what each render must show.

namespace orbel::dial {
namespace {

QString artifactDir() {
    const QString dir = QStringLiteral(ORBEL_BINARY_DIR "/test-artifacts/dial");
    QDir().mkpath(dir);
    return dir;
}

QImage monogram(const QString& letter, QColor colour) {
    QImage image(60, 60, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(colour);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(2, 2, 56, 56), 14, 14);
    QFont f;
    f.setPixelSize(32);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 0, 60, 60), Qt::AlignCenter, letter);
    image.setDevicePixelRatio(2);
    return image;
}

// A busy desktop picture to show the glass over.
QImage wallpaper(QSize size) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    QLinearGradient g(0, 0, size.width(), size.height());
    g.setColorAt(0, QColor(40, 90, 160));
    g.setColorAt(1, QColor(200, 120, 60));
    p.fillRect(image.rect(), g);
    p.setPen(QPen(Qt::white, 6));
    for (int x = 0; x < size.width(); x += 70) p.drawLine(x, 0, x + 200, size.height());
    return image;
}

DialViewState sixSlots(AppearanceMode mode) {
    DialViewState s;
    s.appearance.mode = mode;
    s.palette = DialPalette::make(s.appearance, ColorScheme::dark);
    const char* titles[] = {"Mail", "Browser", "Terminal", "Notes", "Music", "Files"};
    const QColor colours[] = {"#3b82f6", "#ef4444", "#10b981", "#f59e0b", "#8b5cf6", "#64748b"};
    for (int i = 0; i < 6; ++i) s.wedges.push_back({titles[i], monogram(QString(titles[i][0]), colours[i])});
    s.wedges[3].icon = QImage();  // one placeholder
    return s;
}

struct Render {
    const char* name;
    DialViewState state;
    double dpr = 1;
    bool glass = true;
};

QImage render(const Render& r) {
    const QSize logical(640, 700);
    QImage desk = wallpaper(logical * r.dpr);
    QImage canvas = desk;
    canvas.setDevicePixelRatio(r.dpr);
    const QPointF c(320, 320);
    const double d = DialMetrics{r.state.menuRadius}.backdropDiameter();
    QImage glass;
    if (r.glass) {
        QImage behind = desk.copy(QRectF((c.x() - d / 2) * r.dpr, (c.y() - d / 2) * r.dpr, d * r.dpr, d * r.dpr).toRect());
        behind.setDevicePixelRatio(r.dpr);
        glass = frostedGlass(behind, r.state.palette.isDark);
    }
    QPainter p(&canvas);
    paintDial(p, c, r.state, glass);
    p.end();
    return canvas;
}

TEST(DialRenderTest, RendersForReview) {
    std::vector<Render> renders;
    renders.push_back({"defaults-dark", sixSlots(AppearanceMode::dark)});
    renders.push_back({"defaults-light", sixSlots(AppearanceMode::light)});
    {
        Render r{"highlighted-dpr2", sixSlots(AppearanceMode::dark), 2};
        r.state.highlightedIndex = 1;
        renders.push_back(r);
    }
    {
        Render r{"filled-light-no-capture", sixSlots(AppearanceMode::light), 1, false};
        r.state.appearance.backdrop = Backdrop::filled;
        r.state.appearance.slotStyle = SlotStyle::filled;
        r.state.palette = DialPalette::make(r.state.appearance, ColorScheme::light);
        r.state.highlightedIndex = 4;
        renders.push_back(r);
    }
    {
        Render r{"group-normal-back", sixSlots(AppearanceMode::dark)};
        r.state.wedges.resize(3);
        r.state.appearance.slotStyle = SlotStyle::normal;
        r.state.appearance.backdrop = Backdrop::translucent;
        r.state.centre.kind = CenterKind::Back;
        r.state.highlightedIndex = 0;
        renders.push_back(r);
    }
    {
        Render r{"one-slot-ring", sixSlots(AppearanceMode::light)};
        r.state.wedges.resize(1);
        renders.push_back(r);
    }
    {
        Render r{"music-volume-dragging", sixSlots(AppearanceMode::dark)};
        r.state.wedges = {{"Play", monogram("▶", QColor("#111"))},
                          {"Next", monogram("»", QColor("#111"))},
                          {"Volume", {}, true, 0.62, false},
                          {"Previous", monogram("«", QColor("#111"))}};
        r.state.highlightedIndex = 2;
        r.state.isVolumeDragging = true;
        r.state.draggedVolume = 0.4;
        r.state.centre = {CenterKind::AlbumArt, monogram("A", QColor("#c026d3")), "Blue in Green", "Miles Davis", true};
        renders.push_back(r);
    }
    {
        Render r{"volume-muted-light", sixSlots(AppearanceMode::light)};
        r.state.wedges = {{"Play", {}}, {"Next", {}}, {"Volume", {}, true, 0.8, true}, {"Previous", {}}};
        r.state.highlightedIndex = 2;
        renders.push_back(r);
    }
    for (const Render& r : renders) {
        const QImage image = render(r);
        ASSERT_TRUE(image.save(artifactDir() + "/" + r.name + ".png")) << r.name;
        // Outside the dial the desktop is untouched; the hole in the middle
        // of a ring shows the knob, not a wedge.
        const QImage desk = wallpaper(QSize(640, 700) * r.dpr);
        EXPECT_EQ(image.pixel(int(5 * r.dpr), int(5 * r.dpr)), desk.pixel(int(5 * r.dpr), int(5 * r.dpr))) << r.name;
    }
}

TEST(DialRenderTest, HighlightChangesOnlyTheHighlightedWedge) {
    Render plain{"", sixSlots(AppearanceMode::dark)};
    Render lit = plain;
    lit.state.highlightedIndex = 2;
    const QImage a = render(plain), b = render(lit);
    const QPointF c(320, 320);
    const QPoint inTwo = pointOnWedgeAxis(c, 2, 6, 100).toPoint(), inFive = pointOnWedgeAxis(c, 5, 6, 100).toPoint();
    EXPECT_NE(a.pixel(inTwo), b.pixel(inTwo));
    EXPECT_EQ(a.pixel(inFive), b.pixel(inFive));
    EXPECT_GT(qGray(b.pixel(inTwo)), qGray(a.pixel(inTwo)));  // lighter
}

TEST(GlassTest, BlurSpreadsAndTintDarkens) {
    QImage sharp(100, 100, QImage::Format_ARGB32_Premultiplied);
    sharp.fill(Qt::black);
    QPainter(&sharp).fillRect(0, 0, 50, 100, Qt::white);
    const QImage soft = blurred(sharp, 8);
    EXPECT_GT(qGray(soft.pixel(54, 50)), 20);
    EXPECT_LT(qGray(soft.pixel(46, 50)), 235);
    EXPECT_EQ(qGray(soft.pixel(5, 50)), 255);
    const QImage dark = frostedGlass(sharp, true), light = frostedGlass(sharp, false);
    EXPECT_NEAR(dark.deviceIndependentSize().width(), 100, 1);  // small, but the same size in points
    EXPECT_LT(qGray(dark.pixel(0, dark.height() / 2)), qGray(light.pixel(0, light.height() / 2)));
    EXPECT_TRUE(frostedGlass(QImage(), true).isNull());
}

// The cached disc shadow is kept at the blur's reduced size, still the
// right size in points, dark in the middle and clear at the corners.
TEST(GlassTest, DiscShadowIsSmallButTheSameSizeInPoints) {
    for (const double dpr : {1.0, 2.0}) {
        const QImage shadow = discShadow(300, 48, dpr, QColor(0, 0, 0, 128), 11);
        EXPECT_LT(shadow.width(), 396 * dpr / 2) << dpr;
        EXPECT_NEAR(shadow.deviceIndependentSize().width(), 396, 2) << dpr;
        EXPECT_GT(qAlpha(shadow.pixel(shadow.width() / 2, shadow.height() / 2)), 100) << dpr;
        EXPECT_EQ(qAlpha(shadow.pixel(0, 0)), 0) << dpr;
    }
}

}  // namespace
}  // namespace orbel::dial
