// The icon packs and symbol set shipped in resources/, through the real
// bundle, font registry and symbol set; saves a contact sheet to look at.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFontDatabase>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <set>

#include "icons/icon_catalog.h"
#include "model/app_config.h"
#include "model/app_menu_preset.h"
#include "model/system_action.h"
#include "slots/slot_factory.h"

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

void collectGroup(const MenuGroup& group, std::set<std::string>& out);

void collectIcon(const SlotIcon& icon, std::set<std::string>& out) {
    if (const auto* s = icon.get<SlotIcon::SymbolPack>(); s && s->pack == IconPack{"sf"}) out.insert(s->name);
}

void collectSlot(const SlotConfig& slot, std::set<std::string>& out) {
    collectIcon(slot.icon, out);
    out.insert(fallbackSymbol(slot.type));
    if (const auto* g = slot.type.get<SlotType::Group>()) collectGroup(*g->group, out);
}

void collectGroup(const MenuGroup& group, std::set<std::string>& out) {
    collectIcon(group.icon, out);
    for (const auto& slot : group.slots) collectSlot(slot, out);
}

// Every system-symbol name the program draws: from the action table, the
// slot kinds, the presets, the default dial and the built-in list, plus each
// dotted symbol-like text in the sources (reverse-DNS identifiers, logging
// categories and file names aside).
std::set<std::string> symbolNamesInTheProgram() {
    std::set<std::string> names;
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
        collectGroup(preset.build(), names);
    }
    collectGroup(AppConfig::defaultConfig().rootGroup, names);
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
            if (notSymbols.count(first) || last == "json" || last == "ini" || last == "desktop") continue;
            names.insert(name.toStdString());
        }
    }
    names.erase("");
    return names;
}

TEST(ShippedIcons, PacksAreListedAfterTheBuiltInSetAndThePhosphorFontIsRegistered) {
    auto& catalog = shippedCatalog();
    std::vector<std::string> ids;
    for (const auto& p : catalog.allPacks()) ids.push_back(p.rawValue);
    EXPECT_EQ(ids, (std::vector<std::string>{"sf", "lucide", "phosphor", "mdi", "tabler", "ri", "bi"}));
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

// ---- contact sheet

class Sheet {
public:
    Sheet(int columns, int rows, bool dark) : image_(columns * kCell + kLabel, rows * kCell, QImage::Format_ARGB32) {
        image_.fill(dark ? QColor(28, 28, 30) : QColor(246, 246, 246));
        label_ = dark ? Qt::white : Qt::black;
        style_ = IconStyle{label_, 1.0};
        view_ = IconViewStyle{label_, QColor(label_.red(), label_.green(), label_.blue(), 150),
                              QColor(label_.red(), label_.green(), label_.blue(), 90), 1.0};
    }
    void row(const QString& title) {
        ++row_;
        column_ = 0;
        QPainter p(&image_);
        p.setPen(label_);
        p.drawText(QRectF(4, row_ * kCell, kLabel - 8, kCell), Qt::AlignVCenter | Qt::AlignLeft, title);
    }
    void image(const std::optional<QImage>& icon) {
        QPainter p(&image_);
        if (icon) p.drawImage(cell(), *icon);
        else p.fillRect(cell().adjusted(12, 12, -12, -12), Qt::magenta);  // must not happen on the sheet
        ++column_;
    }
    void view(IconCatalog& catalog, const SlotIcon& icon) {
        QPainter p(&image_);
        catalog.paintSlotIcon(p, cell(), icon, kIcon, view_);
        ++column_;
    }
    const IconStyle& style() const { return style_; }
    const QImage& result() const { return image_; }

    static constexpr int kCell = 40, kIcon = 30, kLabel = 130;

private:
    QRectF cell() const {
        return QRectF(kLabel + column_ * kCell + (kCell - kIcon) / 2.0, row_ * kCell + (kCell - kIcon) / 2.0, kIcon, kIcon);
    }
    QImage image_;
    QColor label_;
    IconStyle style_;
    IconViewStyle view_;
    int row_ = -1, column_ = 0;
};

QImage contactSheet(bool dark, const QString& pngFile) {
    auto& catalog = shippedCatalog();
    const auto symbolNames = platform::Symbols::shared().names();
    const int columns = 30;
    const int symbolRows = int((symbolNames.size() + columns - 1) / columns);
    Sheet sheet(columns, 3 + 6 + 1 + 1 + 1 + symbolRows, dark);
    auto symbolRow = [&](const QString& title, auto first, auto last) {
        sheet.row(title);
        for (auto it = first; it != last; ++it)
            sheet.image(catalog.slotIconImage(SlotIcon::symbolPack(IconPack{"sf"}, *it), Sheet::kIcon, sheet.style()));
    };
    std::vector<std::string> builtIn;
    for (const auto& e : IconCatalog::sfSymbolEntries()) builtIn.push_back(e.name);
    for (int r = 0; r < 3; ++r)
        symbolRow(r == 0 ? "built-in symbols" : "", builtIn.begin() + r * 26,
                  builtIn.begin() + std::min<std::size_t>(builtIn.size(), (r + 1) * 26));
    for (const char* id : {"lucide", "phosphor", "mdi", "tabler", "ri", "bi"}) {
        const IconPack pack{id};
        sheet.row(QString::fromStdString(catalog.displayName(pack)));
        for (const char* query : {"star", "heart", "folder", "music", "play", "settings", "search", "trash",
                                  "home", "user", "calendar", "camera", "mail", "lock", "cloud", "bell", "map",
                                  "phone", "clock", "code", "bookmark", "flag", "sun", "moon", "wifi", "battery",
                                  "printer", "gift", "key", "terminal"}) {
            // The icon named by the word, else the first that matches it.
            const auto found = catalog.search(pack, query);
            if (found.empty()) continue;
            auto best = std::find_if(found.begin(), found.end(), [&](const auto& e) { return e.name == query; });
            const std::string& name = (best != found.end() ? *best : found.front()).name;
            sheet.image(catalog.slotIconImage(SlotIcon::symbolPack(pack, name), Sheet::kIcon, sheet.style()));
        }
    }
    sheet.row("monograms, file");
    sheet.image(catalog.slotIconImage(SlotIcon::monogram("ABCD"), Sheet::kIcon, sheet.style()));
    sheet.image(catalog.slotIconImage(SlotIcon::monogram("\U0001F468\u200D\U0001F469\u200D\U0001F467ok"), Sheet::kIcon,
                                      sheet.style()));
    sheet.image(catalog.slotIconImage(SlotIcon::monogram("Hi", "#FF3B30"), Sheet::kIcon, sheet.style()));
    sheet.image(catalog.slotIconImage(SlotIcon::monogram("\u00C9t\u00E9", "1E90FF"), Sheet::kIcon, sheet.style()));
    sheet.image(catalog.slotIconImage(SlotIcon::customImage(pngFile.toStdString()), Sheet::kIcon, sheet.style()));
    sheet.view(catalog, SlotIcon::customImage(pngFile.toStdString()));
    sheet.view(catalog, SlotIcon::monogram("Ab", "#34C759"));
    sheet.view(catalog, SlotIcon::symbolPack(IconPack{"phosphor"}, "rocket-launch"));
    sheet.view(catalog, SlotIcon::symbolPack(IconPack{"tabler"}, "rocket"));
    sheet.row("fallbacks");
    sheet.view(catalog, SlotIcon::automatic());
    sheet.view(catalog, SlotIcon::symbolPack(IconPack{"nope"}, "x"));
    sheet.view(catalog, SlotIcon::customImage("/no/such/file.png"));
    sheet.view(catalog, SlotIcon::symbolPack(IconPack{"sf"}, "no.such.symbol"));
    sheet.row("phosphor glyphs");
    const auto& phosphor = catalog.entries(IconPack{"phosphor"});
    for (std::size_t i = 0; i < phosphor.size() && i < 30 * 50; i += 50)
        sheet.image(catalog.slotIconImage(SlotIcon::symbolPack(IconPack{"phosphor"}, phosphor[i].name), Sheet::kIcon,
                                          sheet.style()));
    for (int r = 0; r < symbolRows; ++r)
        symbolRow(r == 0 ? "all symbols" : "", symbolNames.begin() + r * columns,
                  symbolNames.begin() + std::min<std::size_t>(symbolNames.size(), (r + 1) * columns));
    return sheet.result();
}

TEST(ShippedIcons, ContactSheet) {
    QTemporaryDir dir;
    QImage photo(64, 40, QImage::Format_RGB32);
    photo.fill(QColor(255, 149, 0));
    QPainter(&photo).fillRect(8, 8, 48, 24, QColor(0, 122, 255));
    const QString png = dir.filePath("photo.png");
    ASSERT_TRUE(photo.save(png));
    const QImage light = contactSheet(false, png), dark = contactSheet(true, png);
    QImage both(light.width(), light.height() * 2, QImage::Format_ARGB32);
    QPainter p(&both);
    p.drawImage(0, 0, light);
    p.drawImage(0, light.height(), dark);
    p.end();
    QDir().mkpath(ORBEL_BINARY_DIR "/test-artifacts");
    EXPECT_TRUE(both.save(ORBEL_BINARY_DIR "/test-artifacts/icon-contact-sheet.png"));
}

}  // namespace
}  // namespace orbel
