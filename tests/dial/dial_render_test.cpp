#include <gtest/gtest.h>

#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

#include "dial/dial_painter.h"
#include "dial/music_track_label.h"
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
    QImage desk = QImage();  // what lies behind; null: the wallpaper
};

QImage render(const Render& r) {
    const QSize logical(640, 700);
    QImage desk = r.desk.isNull() ? wallpaper(logical * r.dpr) : r.desk;
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

// What a desktop may show behind the dial: plain white, plain black, and a
// photograph-like scene (sky, sun, hills, leaves).
QImage photograph(QSize size) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, QColor(70, 130, 200));
    sky.setColorAt(0.55, QColor(235, 200, 160));
    sky.setColorAt(1, QColor(40, 70, 35));
    p.fillRect(image.rect(), sky);
    p.setPen(Qt::NoPen);
    QRadialGradient sun(size.width() * 0.7, size.height() * 0.3, 120);
    sun.setColorAt(0, QColor(255, 250, 225));
    sun.setColorAt(1, QColor(255, 250, 225, 0));
    p.setBrush(sun);
    p.drawEllipse(QPointF(size.width() * 0.7, size.height() * 0.3), 120, 120);
    std::uint32_t seed = 7;
    auto next = [&seed](int range) { return int((seed = seed * 1664525u + 1013904223u) >> 8) % range; };
    for (int i = 0; i < 400; ++i) {
        const int y = size.height() / 3 + next(size.height() * 2 / 3);
        p.setBrush(QColor(20 + next(90), 60 + next(110), 20 + next(50), 170));
        p.drawEllipse(QPointF(next(size.width()), y), 6 + next(30), 4 + next(18));
    }
    return image;
}

QImage plain(QSize size, QColor colour) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour);
    return image;
}

double luminance(QRgb rgb) {
    auto channel = [](int v) {
        const double c = v / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(rgb)) + 0.7152 * channel(qGreen(rgb)) + 0.0722 * channel(qBlue(rgb));
}

double contrast(double a, double b) { return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05); }

// The contrast of the text in `box` against what is behind it: each text
// pixel against its column's background, read in the padding above the
// text (`pad` points). Antialiased edges are weaker than the strokes, so
// the strokes count: the 98th percentile.
double textContrast(const QImage& image, const QRectF& box, int pad) {
    std::vector<double> ratios;
    const int top = int(box.top()), bottom = int(box.bottom());
    for (int x = int(box.left() + box.width() * 0.15); x < int(box.right() - box.width() * 0.15); ++x) {
        const double behind = luminance(image.pixel(x, top + pad / 2));
        for (int y = top + pad; y <= bottom - pad; ++y) ratios.push_back(contrast(luminance(image.pixel(x, y)), behind));
    }
    if (ratios.empty()) return 0;
    std::sort(ratios.begin(), ratios.end());
    return ratios[std::size_t(double(ratios.size() - 1) * 0.98)];
}

// How far wedge `index` of a lit render differs from the plain one: the
// contrast of the mean luminance of four spots clear of its icon.
double highlightContrast(const QImage& lit, const QImage& plain, QPointF c, const DialViewState& s, int index) {
    const int n = int(s.wedges.size());
    const DialMetrics m{s.menuRadius};
    double a = 0, b = 0;
    for (double r : {m.innerRadius() + 10, m.outerRadius - 10})
        for (double turn : {-0.45, 0.45}) {
            const double angle = wedgeCentreAngle(index, n) + turn * std::numbers::pi / n;
            const QPoint at = (c + QPointF(std::cos(angle), std::sin(angle)) * r).toPoint();
            a += luminance(lit.pixel(at));
            b += luminance(plain.pixel(at));
        }
    return contrast(a / 4, b / 4);
}

DialViewState musicDial(AppearanceMode mode) {
    DialViewState s = sixSlots(mode);
    s.wedges = {{"Pause", monogram("‖", QColor("#111"))},
                {"Next", monogram("»", QColor("#111"))},
                {"Volume", {}, true, 0.62, false},
                {"Previous", monogram("«", QColor("#111"))}};
    s.centre = {CenterKind::AlbumArt, monogram("A", QColor("#c026d3")), "Blue in Green", "Miles Davis", true, 30};
    return s;
}

// Over white, black and a photograph, light and dark: every text the dial
// draws reaches 4.5:1 against what is behind it, and the highlighted wedge
// stands out from its plain self.
TEST(DialReadability, TextAndHighlightOverAnyDesktop) {
    const QSize size(640, 700);
    const struct {
        const char* name;
        QImage desk;
    } desks[] = {{"white", plain(size, Qt::white)}, {"black", plain(size, Qt::black)}, {"photo", photograph(size)}};
    const QPointF c(320, 320);
    for (const auto& desk : desks) {
        for (AppearanceMode mode : {AppearanceMode::light, AppearanceMode::dark}) {
            const std::string name = std::string(desk.name) + (mode == AppearanceMode::dark ? "-dark" : "-light");
            SCOPED_TRACE(name);
            for (bool music : {false, true}) {
                Render r{"", music ? musicDial(mode) : sixSlots(mode), 1, true, desk.desk};
                const int lit = music ? 2 : 1;
                const QImage plainDial = render(r);
                r.state.highlightedIndex = lit;
                const QImage image = render(r);
                ASSERT_TRUE(image.save(artifactDir() + "/over-" + QString::fromStdString(name) +
                                       (music ? "-music.png" : ".png")));
                EXPECT_GE(textContrast(image, wedgeLabelBounds(c, r.state, lit), 4), 4.5) << "wedge label";
                EXPECT_GE(highlightContrast(image, plainDial, c, r.state, lit), 1.3) << "highlight";
                if (music) {
                    EXPECT_GE(textContrast(image, trackCaptionBox(c, r.state, QFont()), 8), 4.5) << "track label";
                }
            }
        }
    }
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

// The blur's box passes sum two channels in each word: every channel of
// every pixel matches plain per-channel box passes (edges repeated, sums
// divided down to the nearest level), on a noisy translucent picture.
TEST(GlassTest, TheBlurMatchesPlainBoxPassesChannelByChannel) {
    const int w = 37, h = 23, r = 2;  // radius 3 pixels: no shrinking, box passes of 2 each side
    QImage noisy(w, h, QImage::Format_ARGB32_Premultiplied);
    std::uint32_t seed = 12345;
    auto next = [&] { return (seed = seed * 1664525u + 1013904223u) >> 24; };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int a = int(next());
            noisy.setPixel(x, y, qRgba(int(next()) * a / 255, int(next()) * a / 255, int(next()) * a / 255, a));
        }
    std::vector<std::array<int, 4>> px(std::size_t(w * h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const QRgb c = noisy.pixel(x, y);
            px[std::size_t(y * w + x)] = {qAlpha(c), qRed(c), qGreen(c), qBlue(c)};
        }
    auto pass = [&](bool across) {
        auto out = px;
        const int n = across ? w : h, lines = across ? h : w;
        for (int line = 0; line < lines; ++line)
            for (int i = 0; i < n; ++i)
                for (int ch = 0; ch < 4; ++ch) {
                    int sum = 0;
                    for (int k = i - r; k <= i + r; ++k) {
                        const int at = std::clamp(k, 0, n - 1);
                        sum += px[std::size_t(across ? line * w + at : at * w + line)][std::size_t(ch)];
                    }
                    out[std::size_t(across ? line * w + i : i * w + line)][std::size_t(ch)] = (sum + r) / (2 * r + 1);
                }
        px = out;
    };
    for (const bool across : {true, false})
        for (int i = 0; i < 3; ++i) pass(across);
    const QImage soft = blurred(noisy, 3);
    ASSERT_EQ(soft.size(), noisy.size());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const QRgb c = soft.pixel(x, y);
            ASSERT_EQ((std::array<int, 4>{qAlpha(c), qRed(c), qGreen(c), qBlue(c)}), px[std::size_t(y * w + x)])
                << x << "," << y;
        }
}

// Titles are measured once and the answer kept: a change of the
// application's font is measured afresh, and the bounds follow the dial.
TEST(GlassTest, KeptTitleMeasuresFollowTheFontAndTheDial) {
    DialViewState s = sixSlots(AppearanceMode::light);
    s.wedges[1].title = "A title long enough to be cut short at the dial's width, and then some more";
    const QFont before = QGuiApplication::font();
    const QRectF label = wedgeLabelBounds(QPointF(300, 300), s, 1);
    EXPECT_EQ(wedgeLabelBounds(QPointF(300, 300), s, 1), label);
    EXPECT_LE(label.width(), DialMetrics{s.menuRadius}.backdropDiameter() + 0.5);
    QFont bigger = before;
    bigger.setPointSizeF(before.pointSizeF() * 2);
    bigger.setFamily(QStringLiteral("DejaVu Serif"));
    QGuiApplication::setFont(bigger);
    const QRectF short1 = wedgeLabelBounds(QPointF(300, 300), sixSlots(AppearanceMode::light), 0);
    QGuiApplication::setFont(before);
    EXPECT_NE(short1, wedgeLabelBounds(QPointF(300, 300), sixSlots(AppearanceMode::light), 0));
    const QRectF wedge = wedgeBounds(QPointF(300, 300), s, 2);
    EXPECT_EQ(wedgeBounds(QPointF(340, 300), s, 2), wedge.translated(40, 0));
    s.menuRadius = 150;
    EXPECT_LT(wedgeBounds(QPointF(300, 300), s, 2).width(), wedge.width());
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


// How far beyond a straight edge a soft shadow, drawn as the dial draws its
// shadows, falls to 15.9 % of its full strength, in points: for a Gaussian
// blur that is one deviation (a shadow of radius R spreads R, two
// deviations). A square of 300 points, seen across the middle of a side.
double shadowDeviationSeen(double deviation, double dpr) {
    const double margin = 48, side = 300 + 2 * margin;
    QPainterPath square;
    square.addRect(margin, margin, 300, 300);
    QImage shot((QSizeF(side, side) * dpr).toSize(), QImage::Format_ARGB32_Premultiplied);
    shot.setDevicePixelRatio(dpr);
    shot.fill(Qt::transparent);
    {
        QPainter p(&shot);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(QRectF(0, 0, side, side),
                    softShadow(square, QSizeF(side, side), dpr, QColor(0, 0, 0, 255), deviation));
    }
    const int y = shot.height() / 2;
    const double full = qAlpha(shot.pixel(shot.width() / 2, y)), edge = (margin + 300) * dpr;
    const double wanted = 0.159 * full;
    for (int x = int(edge); x < shot.width(); ++x) {
        const double a = qAlpha(shot.pixel(x, y));
        if (a > wanted) continue;
        const double before = qAlpha(shot.pixel(x - 1, y));
        // A pixel's value is that of its centre.
        return (x - 0.5 + (before - wanted) / std::max(1.0, before - a) - edge) / dpr;
    }
    return side;
}

// The backdrop's shadow (radius 22, a deviation of 11) and the knob's
// (radius 18) spread as far as their radii say, at either density: the
// passes over the reduced picture add up to the whole deviation.
TEST(GlassTest, SoftShadowsSpreadTheirWholeRadius) {
    for (const double dpr : {1.0, 2.0}) {
        EXPECT_NEAR(shadowDeviationSeen(11, dpr), 11, 0.6) << dpr;
        EXPECT_NEAR(shadowDeviationSeen(9, dpr), 9, 0.5) << dpr;
        EXPECT_NEAR(shadowDeviationSeen(2, dpr), 2, 0.3) << dpr;
    }
}

// The shadow the dial really paints under a disc of `diameter` (the
// backdrop's, or the knob's), light appearance with its own colour and
// opacity, on a white screen: how much it darkens each device pixel along
// the row through the centre, from the disc's edge outwards.
std::vector<int> shadowOnWhite(double diameter, double dpr, bool knob, bool dark) {
    const double side = diameter + 160;
    QImage shot((QSizeF(side, side) * dpr).toSize(), QImage::Format_RGB32);
    shot.setDevicePixelRatio(dpr);
    shot.fill(Qt::white);
    const QPointF centre(side / 2, side / 2);
    {
        QPainter p(&shot);
        if (knob) {
            KnobStyle k;
            k.size = diameter;
            k.isDark = dark;
            paintKnob(p, centre, k);
        } else {
            paintBackdropShadow(p, centre, diameter, dark);
        }
    }
    std::vector<int> darker;
    const int y = int(centre.y() * dpr);
    for (int x = int(std::ceil((centre.x() + diameter / 2) * dpr)); x < shot.width(); ++x)
        darker.push_back(255 - qRed(shot.pixel(x, y)));
    return darker;
}

// Points from the edge to where the darkening falls to 15.9 % of `full`:
// one deviation of a blurred edge.
double deviationSeen(const std::vector<int>& darker, double dpr, double full) {
    const double wanted = 0.159 * full;
    for (std::size_t i = 1; i < darker.size(); ++i)
        if (darker[i] <= wanted)
            return (double(i) - 1 + (darker[i - 1] - wanted) / std::max(1, darker[i - 1] - darker[i])) / dpr;
    return 0;
}

// A light shadow is faint (14 % black for the backdrop, 16 % for the knob,
// against 32 % and 34 % in the dark): its tail is a level or two below
// white. The blur must carry that tail, so that on a white screen the light
// shadows spread as far as the dark ones (radius 22 for the backdrop, 18
// for the knob); losing it pass after pass left them a quarter tighter.
TEST(GlassTest, LightShadowsSpreadAsFarAsDarkOnesOnWhite) {
    for (const double dpr : {1.0, 2.0}) {
        const double backdrop = deviationSeen(shadowOnWhite(424, dpr, false, false), dpr, 0.14 * 255);
        const double darkBackdrop = deviationSeen(shadowOnWhite(424, dpr, false, true), dpr, 0.32 * 255);
        EXPECT_NEAR(darkBackdrop, 11, 1.2) << dpr;
        EXPECT_GT(backdrop, 0.9 * darkBackdrop) << dpr;
        const double knob = deviationSeen(shadowOnWhite(108.8, dpr, true, false), dpr, 0.16 * 255);
        const double darkKnob = deviationSeen(shadowOnWhite(108.8, dpr, true, true), dpr, 0.34 * 255);
        EXPECT_GT(knob, 0.9 * darkKnob) << dpr;
    }
}

}  // namespace
}  // namespace orbel::dial
