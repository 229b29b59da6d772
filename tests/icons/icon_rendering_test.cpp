// Drawing slot icons: documents, cache keys, glyphs, monograms, files and
// the fallbacks, with fixture resources.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/svg_image.h"

#include "fakes/fake_icon_platform.h"
#include "icons/custom_images.h"
#include "icons/icon_catalog.h"
#include "icons/slot_icon_view.h"
#include "platform/svg_image.h"
#include "support/test_files.h"

namespace orbel {
namespace {

IconCatalogEntry svgEntry(std::string name, std::string body, std::optional<double> w = {},
                          std::optional<double> h = {}) {
    return IconCatalogEntry{std::move(name), {}, std::move(body), w, h, {}};
}

// The share of opaque pixels of a colour in an image.
double shareOf(const QImage& image, QRgb rgb) {
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    int hits = 0;
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb p = argb.pixel(x, y);
            if (qAlpha(p) == 255 && (p & 0xFFFFFF) == (rgb & 0xFFFFFF)) ++hits;
        }
    return double(hits) / (argb.width() * argb.height());
}

TEST(IconDocument, IsOneLineInTheFixedAttributeOrder) {
    EXPECT_EQ(IconCatalog::svgDocument(svgEntry("a", "<path d=\"M1 1\"/>", 16, {}), 22.5, "#ffffff"),
              R"(<svg xmlns="http://www.w3.org/2000/svg" width="22.5" height="22.5" viewBox="0 0 16.0 24.0" )"
              R"(fill="none" stroke="currentColor" color="#ffffff"><path d="M1 1"/></svg>)");
}

TEST(IconDocument, NumbersArePlainDecimals) {
    for (const auto& [value, text] : std::vector<std::pair<double, std::string>>{
             {24, "24.0"}, {22.5, "22.5"}, {1e5, "100000.0"}, {1e21, "1000000000000000000000.0"},
             {1e-7, "0.0000001"}, {-0.25, "-0.25"}}) {
        EXPECT_EQ(platform::svgNumber(value), text);
    }
}

TEST(IconCacheKey, RoundsTheSizeHalfAwayFromZeroAndKeepsColourAndRatio) {
    const IconPack pack{"lucide"};
    const IconStyle black{Qt::black, 1.0};
    for (const auto& [size, whole] : std::vector<std::pair<double, std::string>>{
             {29.6, "30"}, {30.4, "30"}, {30.5, "31"}, {29.5, "30"}, {0.4, "0"}, {1000.5, "1001"}}) {
        EXPECT_EQ(IconCatalog::svgCacheKey(pack, "star", size, black), "lucide|star|" + whole + "|#ff000000|1.0");
    }
    EXPECT_NE(IconCatalog::svgCacheKey(pack, "star", 30, black), IconCatalog::svgCacheKey(pack, "star", 30, {Qt::white, 1}));
    EXPECT_NE(IconCatalog::svgCacheKey(pack, "star", 30, black), IconCatalog::svgCacheKey(pack, "star", 30, {Qt::black, 2}));
}

TEST(IconGlyph, CodepointsParseAsHexScalarsOnly) {
    const auto scalar = [](std::optional<std::string> text) {
        return IconCatalog::glyphScalar(IconCatalogEntry{"g", std::move(text), {}, {}, {}, {}});
    };
    for (const auto& [text, expected] : std::vector<std::pair<const char*, char32_t>>{
             {"E6F8", 0xE6F8}, {"e6f8", 0xE6F8}, {"+41", 0x41}, {"10FFFF", 0x10FFFF}})
        EXPECT_EQ(scalar(text), expected) << text;
    for (const char* bad : {"", "0x41", "D800", "DFFF", "110000", "1FFFFFFFF", "+", "-41", " 41", "g"})
        EXPECT_FALSE(scalar(bad)) << bad;
    EXPECT_FALSE(scalar(std::nullopt));
}

TEST(IconMonogram, TakesThreeGraphemeClusters) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"ABCD", "ABC"},
        {"ab", "ab"},
        {"e\u0301fgh", "e\u0301fg"},                                   // combining accent stays with its letter
        {"\U0001F468\u200D\U0001F469\u200D\U0001F467xyz", "\U0001F468\u200D\U0001F469\u200D\U0001F467xy"},
        {"\U0001F1EB\U0001F1F7\U0001F1E9\U0001F1EA!?", "\U0001F1EB\U0001F1F7\U0001F1E9\U0001F1EA!"},  // two flags
        {" a b", " a "},                                               // no trimming
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(IconCatalog::monogramText(text).toStdString(), expected) << text;
}

TEST(IconImagePath, TildeNamesTheHomeFolder) {
    EXPECT_EQ(IconCatalog::expandedImagePath("~/Pictures/a.png"), QDir::homePath() + "/Pictures/a.png");
    EXPECT_EQ(IconCatalog::expandedImagePath("~"), QDir::homePath());
    EXPECT_EQ(IconCatalog::expandedImagePath("~other/a.png"), "~other/a.png");
    EXPECT_EQ(IconCatalog::expandedImagePath("/tmp/~/a.png"), "/tmp/~/a.png");
}

class IconRenderingTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::writeFile(dir.filePath("IconPacks/lucide/lucide-catalog.json"),
                           R"([{"name":"fixture-square","svgBody":"<rect x='2' y='2' width='20' height='20' fill='currentColor'/>","keywords":[]},
                               {"name":"broken","svgBody":"<rect","keywords":[]},
                               {"name":"empty","keywords":[]}])");
        testing::writeFile(dir.filePath("IconPacks/phosphor/phosphor-catalog.json"),
                           R"([{"name":"glyph","codepoint":"41","keywords":[]},{"name":"bad","codepoint":"D800","keywords":[]}])");
        catalog.bootstrap();
    }

    QTemporaryDir dir;
    fakes::FakeBundle bundle{dir.path().toStdString()};
    fakes::FakeFonts fonts;
    fakes::FakeSymbols symbols;
    IconCatalog catalog{bundle, fonts, symbols};
};

TEST_F(IconRenderingTest, PackDrawingsFollowTheLabelColourAndAreCachedPerRoundedSize) {
    const SlotIcon square = SlotIcon::symbolPack(IconPack{"lucide"}, "fixture-square");
    const auto white = catalog.slotIconImage(square, 29.6, {Qt::white, 2});
    const auto again = catalog.slotIconImage(square, 30.4, {Qt::white, 2});
    const auto black = catalog.slotIconImage(square, 30, {Qt::black, 1});
    ASSERT_TRUE(white && again && black);
    EXPECT_EQ(white->size(), QSize(59, 59));
    EXPECT_GT(shareOf(*white, qRgb(255, 255, 255)), 0.5);
    EXPECT_EQ(again->size(), QSize(59, 59)) << "the first request's image is shared";
    EXPECT_GT(shareOf(*black, qRgb(0, 0, 0)), 0.5);
}

// An image only where the icon can be drawn; otherwise the caller's own
// symbol. Views always draw something, the question mark as the fallback.
TEST_F(IconRenderingTest, ImagesWhereDrawableAndViewsAlwaysDraw) {
    const std::vector<std::tuple<const char*, SlotIcon, bool, std::string>> cases = {
        {"automatic", SlotIcon::automatic(), false, "questionmark.circle"},
        {"unknown pack", SlotIcon::symbolPack(IconPack{"nope"}, "fixture-square"), false, "questionmark"},
        {"unknown name", SlotIcon::symbolPack(IconPack{"lucide"}, "nope"), false, "questionmark"},
        {"undecodable body", SlotIcon::symbolPack(IconPack{"lucide"}, "broken"), false, "questionmark"},
        {"neither body nor codepoint", SlotIcon::symbolPack(IconPack{"lucide"}, "empty"), false, "questionmark"},
        {"surrogate codepoint", SlotIcon::symbolPack(IconPack{"phosphor"}, "bad"), false, "questionmark"},
        {"unknown system symbol", SlotIcon::symbolPack(IconPack{"sf"}, "no.such.symbol"), false, "questionmark"},
        {"missing file", SlotIcon::customImage(dir.filePath("missing.png").toStdString()), false, "questionmark"},
        {"system symbol", SlotIcon::symbolPack(IconPack{"sf"}, "star.fill"), true, "star.fill"},
        {"pack drawing", SlotIcon::symbolPack(IconPack{"lucide"}, "fixture-square"), true, ""},
        // Without its registered font the glyph still draws, in the system font.
        {"glyph", SlotIcon::symbolPack(IconPack{"phosphor"}, "glyph"), true, ""},
    };
    const IconViewStyle style{Qt::black, Qt::darkGray, Qt::gray, 1.0};
    for (const auto& [what, icon, drawable, symbol] : cases) {
        SCOPED_TRACE(what);
        EXPECT_EQ(catalog.slotIconImage(icon, 30).has_value(), drawable);
        symbols.drawn.clear();
        QImage canvas(40, 40, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::transparent);
        QPainter painter(&canvas);
        catalog.paintSlotIcon(painter, QRectF(0, 0, 40, 40), icon, 40, style);
        painter.end();
        EXPECT_EQ(symbols.drawn, symbol.empty() ? std::vector<std::string>{} : std::vector<std::string>{symbol});
        bool painted = false;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 40; ++x) painted |= qAlpha(canvas.pixel(x, y)) > 0;
        EXPECT_TRUE(painted);
    }
}

TEST_F(IconRenderingTest, MonogramsUseAReadableTintElseTheLabelColour) {
    for (const auto& [tint, colour] : std::vector<std::pair<std::optional<std::string>, QRgb>>{
             {"#FF0000", qRgb(255, 0, 0)}, {"00ff00", qRgb(0, 255, 0)}, {"#F00", qRgb(0, 0, 255)},
             {std::nullopt, qRgb(0, 0, 255)}}) {
        const auto image = catalog.slotIconImage(SlotIcon::monogram("WW", tint), 60, {Qt::blue, 1});
        ASSERT_TRUE(image);
        EXPECT_GT(shareOf(*image, colour), 0.02) << tint.value_or("none");
    }
}

// Image files load off the GUI thread, decoded at the size they are drawn
// at; what is no regular file is refused, never waited on.
TEST_F(IconRenderingTest, ImageFilesLoadInTheBackgroundAtTheirDrawnSize) {
    QTemporaryDir home;
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", home.path().toUtf8());
    QImage red(8, 4, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(home.filePath("icon.png")));
    QImage photo(6000, 4000, QImage::Format_RGB32);
    photo.fill(Qt::blue);
    ASSERT_TRUE(photo.save(home.filePath("photo.jpg"), "JPEG", 50));
    ASSERT_EQ(mkfifo(QFile::encodeName(home.filePath("pipe.png")).constData(), 0600), 0);
    const std::vector<std::pair<std::string, QSize>> cases = {
        {"~/icon.png", {8, 4}}, {"~/photo.jpg", {60, 40}}, {"~/pipe.png", {}}};
    for (const auto& [path, size] : cases) {
        SCOPED_TRACE(path);
        const SlotIcon icon = SlotIcon::customImage(path);
        EXPECT_FALSE(catalog.slotIconImage(icon, 30, {Qt::black, 2})) << "never read on the GUI thread";
        ASSERT_TRUE(QTest::qWaitFor([&] { return !CustomImages::shared().isLoading(QString::fromStdString(path), {60, 60}); }, 10000));
        const auto image = catalog.slotIconImage(icon, 30, {Qt::black, 2});
        EXPECT_EQ(image ? image->size() : QSize(), size);
    }
    qputenv("HOME", oldHome);
}

TEST_F(IconRenderingTest, TheViewWidgetDrawsInThePalettesTextColour) {
    SlotIconView view(SlotIcon::automatic(), 30, nullptr, catalog);
    QPalette palette;
    palette.setColor(QPalette::WindowText, Qt::red);
    view.setPalette(palette);
    view.resize(view.sizeHint());
    const QImage shot = view.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(symbols.drawn, std::vector<std::string>{"questionmark.circle"});
    const QColor centre(shot.pixel(15, 15));  // the secondary style: red at reduced opacity
    EXPECT_GT(centre.red() - centre.green(), 60);
}

}  // namespace
}  // namespace orbel
