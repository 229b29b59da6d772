// The icon packs and symbol set shipped in resources/, through the real
// bundle, font registry and symbol set; saves a contact sheet to look at.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFontDatabase>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <functional>
#include <set>

#include "icons/custom_images.h"
#include "icons/icon_catalog.h"
#include "model/app_config.h"
#include "model/app_menu_preset.h"
#include "model/system_action.h"
#include "slots/slot_factory.h"
#include "support/mapped.h"

namespace orbel {
namespace {

IconCatalog& shippedCatalog() {
    static auto* catalog = [] {
        auto* c = new IconCatalog(platform::Bundle::shared(), platform::Fonts::shared(), platform::Symbols::shared());
        c->bootstrap();
        return c;
    }();
    return *catalog;
}

// Every system-symbol name the program draws: from the action table, the
// slot kinds, the presets, the default dial and the built-in list, plus each
// dotted symbol-like text in the sources (reverse-DNS identifiers, logging
// categories and file names aside).
std::set<std::string> symbolNamesInTheProgram() {
    std::set<std::string> names;
    const auto addIcon = [&](const SlotIcon& icon) {
        if (const auto* s = icon.get<SlotIcon::SymbolPack>(); s && s->pack == IconPack{"sf"}) names.insert(s->name);
    };
    std::function<void(const MenuGroup&)> addGroup = [&](const MenuGroup& group) {
        addIcon(group.icon);
        for (const auto& slot : group.slots) {
            addIcon(slot.icon);
            names.insert(fallbackSymbol(slot.type));
            if (const auto* g = slot.type.get<SlotType::Group>()) addGroup(*g->group);
        }
    };
    for (int i = 0; i < SystemAction::kCaseCount; ++i)
        names.insert(std::string(SystemAction(static_cast<SystemAction::Kind>(i)).symbolName()));
    for (const SlotType& type : {SlotType::app("x"), SlotType::group(MenuGroup{}), SlotType::keystroke({}),
                                 SlotType::script(ScriptInvocation{}), SlotType::snippet(""),
                                 SlotType::dynamic(DynamicSlotConfig{}), SlotType::cycling({}),
                                 SlotType::modeSwitch(DialMode::music), SlotType::modeSwitch(DialMode::standard),
                                 SlotType::profileTarget("p"), SlotType::profileSwitch()})
        names.insert(fallbackSymbol(type));
    for (const auto& preset : AppMenuPreset::all()) {
        names.insert(preset.symbolName);
        addGroup(preset.build());
    }
    addGroup(AppConfig::defaultConfig().rootGroup);
    for (const auto& e : IconCatalog::sfSymbolEntries()) names.insert(e.name);

    static const QRegularExpression literal(QStringLiteral(R"re("([a-z][a-z0-9]*(?:\.[a-z0-9]+)+)")re"));
    static const std::set<QString> notSymbols = {"com", "org", "net", "io", "us", "cx", "md", "notion",
                                                 "orbel", "group", "slot"};
    QDirIterator it(QStringLiteral(ORBEL_SOURCE_DIR "/src"), {"*.cpp", "*.h"}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        if (!file.open(QIODevice::ReadOnly)) continue;
        const QString text = QString::fromUtf8(file.readAll());
        for (auto m = literal.globalMatch(text); m.hasNext();) {
            const QString name = m.next().captured(1);
            const QString first = name.section('.', 0, 0), last = name.section('.', -1);
            if (notSymbols.count(first) || last == "json" || last == "ini" || last == "desktop" || last == "list") continue;
            if (name.split('.').contains(QStringLiteral("so"))) continue;  // a shared library's name
            names.insert(name.toStdString());
        }
    }
    names.erase("");
    return names;
}

TEST(ShippedIcons, PacksAreListedAfterTheBuiltInSetAndThePhosphorFontIsRegistered) {
    auto& catalog = shippedCatalog();
    EXPECT_EQ(testing::mapped(catalog.allPacks(), &IconPack::rawValue),
              (std::vector<std::string>{"sf", "lucide", "phosphor", "mdi", "tabler", "ri", "bi"}));
    for (const auto& entry : catalog.manifest()) {
        EXPECT_EQ(static_cast<std::size_t>(entry.iconCount), catalog.entries(entry.pack).size()) << entry.pack.rawValue;
        EXPECT_TRUE(entry.license) << entry.pack.rawValue;
    }
    const auto font = platform::Fonts::shared().font("Phosphor-Regular", 20);
    ASSERT_TRUE(font);
    EXPECT_EQ(font->family(), "Phosphor");
    EXPECT_TRUE(QFontMetricsF(*font).inFont(QChar(0xE6F8)));  // "address-book"
    const auto stars = catalog.search(IconPack{"lucide"}, " STAR ");
    EXPECT_TRUE(std::any_of(stars.begin(), stars.end(), [](const auto& e) { return e.name == "star"; }));
}

// The dial looks one icon up in the catalogue's text: the same entry as the
// decoded pack's, first, middle and last of every pack alike.
TEST(ShippedIcons, OneIconLookedUpAloneIsThePacksEntry) {
    IconCatalog alone(platform::Bundle::shared(), platform::Fonts::shared(), platform::Symbols::shared());
    alone.bootstrap();
    for (const auto& manifest : shippedCatalog().manifest()) {
        const auto& all = shippedCatalog().entries(manifest.pack);
        ASSERT_FALSE(all.empty()) << manifest.pack.rawValue;
        for (const std::size_t i : {std::size_t(0), all.size() / 2, all.size() - 1})
            EXPECT_EQ(alone.entry(manifest.pack, all[i].name), all[i]) << manifest.pack.rawValue << " " << all[i].name;
        EXPECT_EQ(alone.entry(manifest.pack, "no-such-icon"), std::nullopt);
    }
}

TEST(ShippedIcons, EverySymbolNameOfTheProgramHasAPicture) {
    const auto& symbols = platform::Symbols::shared();
    const auto names = symbolNamesInTheProgram();
    EXPECT_GT(names.size(), 150u);
    for (const auto& name : names) EXPECT_TRUE(symbols.has(name)) << name;
}

TEST(ShippedIcons, EverySymbolDrawsInTheGivenColour) {
    auto& symbols = platform::Symbols::shared();
    for (const auto& name : symbols.names()) {
        const QImage image = symbols.image(name, 48, Qt::red, 1).convertToFormat(QImage::Format_ARGB32);
        int red = 0, other = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb p = image.pixel(x, y);
                if (qAlpha(p) < 200) continue;
                (qRed(p) > 200 && qGreen(p) < 40 && qBlue(p) < 40 ? red : other)++;
            }
        EXPECT_GT(red, 10) << name;
        EXPECT_EQ(other, 0) << name;
    }
}

// ---- contact sheet: every kind of icon, light and dark, to look at

std::vector<std::pair<QString, std::vector<SlotIcon>>> sheetRows(const QString& pngFile) {
    auto& catalog = shippedCatalog();
    std::vector<std::pair<QString, std::vector<SlotIcon>>> rows;
    const auto symbolRows = [&](const QString& title, const std::vector<std::string>& names) {
        for (std::size_t i = 0; i < names.size(); i += 30) {
            rows.push_back({i ? QString() : title, {}});
            for (std::size_t j = i; j < std::min(names.size(), i + 30); ++j)
                rows.back().second.push_back(SlotIcon::symbolPack(IconPack{"sf"}, names[j]));
        }
    };
    symbolRows("built-in symbols", testing::mapped(IconCatalog::sfSymbolEntries(), &IconCatalogEntry::name));
    for (const char* id : {"lucide", "phosphor", "mdi", "tabler", "ri", "bi"}) {
        const IconPack pack{id};
        rows.push_back({QString::fromStdString(catalog.displayName(pack)), {}});
        for (const char* query : {"star", "heart", "folder", "music", "play", "settings", "search", "trash", "home",
                                  "user", "calendar", "camera", "mail", "lock", "cloud", "bell", "map", "phone",
                                  "clock", "code", "bookmark", "flag", "sun", "moon", "wifi", "terminal"}) {
            // The icon named by the word, else the first that matches it.
            const auto found = catalog.search(pack, query);
            if (found.empty()) continue;
            auto best = std::find_if(found.begin(), found.end(), [&](const auto& e) { return e.name == query; });
            rows.back().second.push_back(SlotIcon::symbolPack(pack, (best != found.end() ? *best : found.front()).name));
        }
    }
    rows.push_back({"monograms, file",
                     {SlotIcon::monogram("ABCD"), SlotIcon::monogram("\U0001F468\u200D\U0001F469\u200D\U0001F467ok"),
                      SlotIcon::monogram("Hi", "#FF3B30"), SlotIcon::monogram("\u00C9t\u00E9", "1E90FF"),
                      SlotIcon::customImage(pngFile.toStdString())}});
    rows.push_back({"fallbacks",
                    {SlotIcon::automatic(), SlotIcon::symbolPack(IconPack{"nope"}, "x"),
                     SlotIcon::customImage("/no/such/file.png"), SlotIcon::symbolPack(IconPack{"sf"}, "no.such")}});
    symbolRows("all symbols", platform::Symbols::shared().names());
    return rows;
}

TEST(ShippedIcons, ContactSheet) {
    QTemporaryDir dir;
    QImage photo(64, 40, QImage::Format_RGB32);
    photo.fill(QColor(255, 149, 0));
    QPainter(&photo).fillRect(8, 8, 48, 24, QColor(0, 122, 255));
    const QString png = dir.filePath("photo.png");
    ASSERT_TRUE(photo.save(png));
    const auto rows = sheetRows(png);
    constexpr int kCell = 40, kIcon = 30, kLabel = 130;
    // The photo loads in the background first.
    CustomImages::shared().image(png, QSize(kIcon, kIcon));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !CustomImages::shared().isLoading(png, QSize(kIcon, kIcon)); }, 10000));
    const int height = int(rows.size()) * kCell;
    QImage sheet(kLabel + 30 * kCell, 2 * height, QImage::Format_ARGB32);
    QPainter p(&sheet);
    for (const bool dark : {false, true}) {
        const int top = dark ? height : 0;
        const QColor label = dark ? Qt::white : Qt::black;
        p.fillRect(0, top, sheet.width(), height, dark ? QColor(28, 28, 30) : QColor(246, 246, 246));
        p.setPen(label);
        const IconViewStyle style{label, QColor(label.red(), label.green(), label.blue(), 150),
                                  QColor(label.red(), label.green(), label.blue(), 90), 1.0};
        for (std::size_t r = 0; r < rows.size(); ++r) {
            const int y = top + int(r) * kCell;
            p.drawText(QRectF(4, y, kLabel - 8, kCell), Qt::AlignVCenter | Qt::AlignLeft, rows[r].first);
            for (std::size_t c = 0; c < rows[r].second.size(); ++c)
                shippedCatalog().paintSlotIcon(p, QRectF(kLabel + c * kCell + 5, y + 5, kIcon, kIcon),
                                               rows[r].second[c], kIcon, style);
        }
    }
    p.end();
    QDir().mkpath(ORBEL_BINARY_DIR "/test-artifacts");
    EXPECT_TRUE(sheet.save(ORBEL_BINARY_DIR "/test-artifacts/icon-contact-sheet.png"));
}

}  // namespace
}  // namespace orbel
