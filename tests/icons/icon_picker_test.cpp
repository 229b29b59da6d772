#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QMimeData>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

#include "fakes/fake_icon_platform.h"
#include "icons/custom_images.h"
#include "icons/icon_catalog.h"
#include "icons/icon_picker_model.h"
#include "icons/icon_picker_view.h"
#include "support/widget_pictures.h"
#include "ui/controls.h"
#include "ui/search_field.h"

namespace orbel {
namespace {

const IconPack kSf{"sf"}, kBig{"big"};

IconCatalogEntry glyph(std::string name, std::vector<std::string> keywords = {}) {
    return {std::move(name), std::nullopt, "<circle cx='12' cy='12' r='9' fill='currentColor'/>", 24.0, 24.0,
            std::move(keywords)};
}

// A pack of 7,000 glyphs "glyph-0" to "glyph-6999", every hundredth also
// known as "star".
std::shared_ptr<const IconPackIndex> bigPack() {
    std::vector<IconCatalogEntry> entries;
    for (int i = 0; i < 7000; ++i)
        entries.push_back(glyph("glyph-" + std::to_string(i), i % 100 == 0 ? std::vector<std::string>{"Star"}
                                                                            : std::vector<std::string>{}));
    return std::make_shared<const IconPackIndex>(kBig, std::move(entries));
}

std::unique_ptr<IconPickerModel> makeModel(SlotIcon icon = SlotIcon::automatic(), int* loads = nullptr) {
    static const auto big = bigPack();
    static const auto sf = std::make_shared<const IconPackIndex>(kSf, IconCatalog::sfSymbolEntries());
    auto loader = [loads](const IconPack& pack, std::function<void(IconPickerModel::Index)> done) {
        if (loads) ++*loads;
        if (pack == kBig) done(big);
        else if (pack == kSf) done(sf);
        else done(std::make_shared<const IconPackIndex>(pack, std::vector<IconCatalogEntry>{}));
    };
    auto name = [](const IconPack& pack) { return pack == kBig ? std::string("Big Pack") : pack.displayName(); };
    return std::make_unique<IconPickerModel>(std::move(icon), std::vector<IconPack>{kSf, kBig}, loader, name);
}

TEST(IconPackIndex, SearchFollowsTheCatalogueRule) {
    const IconPackIndex index(kBig, {glyph("Arrow-Up", {"direction"}), glyph("house", {"Home"}), glyph("ÉCLAIR")});
    const std::vector<std::pair<std::string, std::vector<std::uint32_t>>> table{
        {"", {0, 1, 2}},   {" \t", {0, 1, 2}}, {" ARROW\t", {0}}, {"home", {1}},
        {"o", {0, 1}},     {"éclair", {2}},   {"up\n", {}},     {"arrow-uphouse", {}},
    };
    for (const auto& [query, expected] : table) EXPECT_EQ(index.search(query), expected) << query;
}

TEST(IconPickerModel, SearchChipsAndAll) {
    int loads = 0;
    auto model = makeModel(SlotIcon::symbolPack(kBig, "glyph-7"), &loads);
    EXPECT_EQ(model->selectedPack(), kSf);
    model->restorePackOnAppear();
    EXPECT_EQ(model->selectedPack(), kBig);
    model->setSearch("glyph-12");
    EXPECT_EQ(model->results().size(), 111u) << "glyph-12, glyph-120..129, glyph-1200..1299";
    model->setSearchesAllPacks(true);
    EXPECT_EQ(model->search(), "glyph-12") << "the toggle keeps the text";
    model->setSearch("star");
    const auto symbols = IconPackIndex(kSf, IconCatalog::sfSymbolEntries()).search("star").size();
    ASSERT_EQ(model->results().size(), symbols + 70) << "the symbols first, then the pack's";
    EXPECT_EQ(model->results().front().id(), "sf:star.fill");
    EXPECT_EQ(model->results()[symbols].id(), "big:glyph-0");
    model->selectPack(kSf);
    EXPECT_EQ(model->search(), "") << "another pack empties the search";
    EXPECT_EQ(loads, 2) << "each pack read once";

    model->setSearchesAllPacks(false);
    model->setSearch("no such icon");
    EXPECT_EQ(model->emptyText().first, "No matches.");
    model->selectPack(IconPack{"lucide"});
    EXPECT_EQ(model->emptyText(), (std::pair<std::string, std::string>{
                                      "Lucide isn't installed.",
                                      "Drop the font + catalog into Resources/IconPacks/lucide/ and rebuild."}));
}

TEST(IconPickerModel, AQueryLooksInEveryPackTheSelectedOneFirst) {
    auto model = makeModel();
    ASSERT_EQ(model->selectedPack(), kSf);
    model->setSearch("glyph-6999");  // only the other pack has it
    ASSERT_EQ(model->results().size(), 1u);
    EXPECT_EQ(model->results().front().id(), "big:glyph-6999");
    model->setSearch(" \t");
    EXPECT_EQ(model->results().size(), IconCatalog::sfSymbolEntries().size()) << "blank: the selected pack only";

    model->selectPack(kBig);
    model->setSearch("star");
    const auto symbols = IconPackIndex(kSf, IconCatalog::sfSymbolEntries()).search("star").size();
    ASSERT_EQ(model->results().size(), 70 + symbols);
    EXPECT_EQ(model->results().front().id(), "big:glyph-0") << "the selected pack's matches first";
    EXPECT_EQ(model->results()[70].pack(), kSf);
    model->setSearch("nothing at all");
    EXPECT_EQ(model->emptyText().first, "No matches.");
}

TEST(IconPickerModel, DraftEditsAndDescriptions) {
    auto model = makeModel(SlotIcon::symbolPack(kBig, "glyph-7"));
    EXPECT_EQ(model->selectionDescription(), "Big Pack · glyph-7");
    model->setTint("#FF7A59");
    EXPECT_EQ(model->draft(), SlotIcon::monogram("", "#FF7A59")) << "a colour makes a monogram";
    model->setMonogram("ABCD");
    EXPECT_EQ(model->draft(), SlotIcon::monogram("ABC", "#FF7A59"));
    model->setMonogram("a👍🏽bc");
    EXPECT_EQ(model->monogram(), "a👍🏽b") << "one character of several code points";
    model->setTint(std::nullopt);
    EXPECT_EQ(model->draft(), SlotIcon::monogram("a👍🏽b"));
    EXPECT_EQ(model->selectionDescription(), "Text: a👍🏽b");
    model->resetToDefault();
    EXPECT_EQ(model->selectionDescription(), "Default for this slot type");

    // Drops: local files only, the last one wins; a web address is refused.
    const QUrl web("https://example.com/logo.png");
    EXPECT_FALSE(IconPickerModel::acceptsDrop({web}));
    EXPECT_FALSE(model->dropUrls({web}));
    EXPECT_TRUE(model->draft().isAuto());
    EXPECT_TRUE(model->dropUrls({QUrl::fromLocalFile("/tmp/a.png"), web, QUrl::fromLocalFile("/tmp/notes.txt")}));
    EXPECT_EQ(model->draft(), SlotIcon::customImage("/tmp/notes.txt"));
    EXPECT_EQ(model->selectionDescription(), "notes.txt");
}

class IconPickerViewTest : public ::testing::Test {
public:
    fakes::FakeBundle bundle;
    fakes::FakeFonts fonts;
    fakes::FakeSymbols symbols{{"questionmark", "questionmark.circle", "star.fill"}};
    IconCatalog catalog{bundle, fonts, symbols};
};

TEST_F(IconPickerViewTest, FiltersSevenThousandGlyphsAsYouTypeAndReturnsTheChoice) {
    IconPickerView view(makeModel(SlotIcon::symbolPack(kBig, "glyph-7")), catalog);
    QSignalSpy chosen(&view, &IconPickerView::iconChosen);
    view.open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    EXPECT_EQ(view.grid()->model()->rowCount(), 875) << "7,000 glyphs in rows of eight";

    QTest::keyClicks(view.searchField()->lineEdit(), "glyph-12");
    EXPECT_EQ(view.model().results().size(), 111u);
    EXPECT_EQ(view.grid()->model()->rowCount(), 14);
    QTest::keyClick(view.searchField()->lineEdit(), Qt::Key_3);
    ASSERT_EQ(view.model().results().size(), 11u);  // glyph-123, glyph-1230..1239

    const QModelIndex second = view.grid()->model()->index(0, 1);
    QTest::mouseClick(view.grid()->viewport(), Qt::LeftButton, {}, view.grid()->visualRect(second).center());
    EXPECT_EQ(view.model().draft(), SlotIcon::symbolPack(kBig, "glyph-1230"));
    view.apply();
    ASSERT_EQ(chosen.size(), 1);
    EXPECT_EQ(chosen[0][0].value<SlotIcon>(), SlotIcon::symbolPack(kBig, "glyph-1230"));
    EXPECT_FALSE(view.isVisible());
}

// The arrows move in the grid; Tab and Shift+Tab leave it at once.
TEST_F(IconPickerViewTest, TabLeavesTheIconGridWhereTheArrowsMove) {
    IconPickerView view(makeModel(), catalog);
    view.open();
    QApplication::setActiveWindow(&view);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
    QTableView* grid = view.grid();
    for (const Qt::Key leave : {Qt::Key_Tab, Qt::Key_Backtab}) {
        grid->setFocus(Qt::TabFocusReason);
        grid->setCurrentIndex(grid->model()->index(0, 0));
        QTest::keyClick(grid, Qt::Key_Right);
        EXPECT_EQ(grid->currentIndex(), grid->model()->index(0, 1));
        QTest::keyClick(grid, leave);
        EXPECT_NE(QApplication::focusWidget(), grid) << QTest::toString(leave) << " left the grid";
        EXPECT_EQ(grid->currentIndex(), grid->model()->index(0, 1));
    }
    view.reject();
}

TEST_F(IconPickerViewTest, PackChipsAreOneSegmentedRowAndAllSelectsNone) {
    IconPickerView view(makeModel(), catalog);
    view.open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    ui::SegmentedControl* packs = view.packControl();
    ASSERT_EQ(packs->count(), 2);
    EXPECT_EQ(packs->selected(), 0);
    for (int i = 0; i < packs->count(); ++i)
        EXPECT_GE(packs->segmentRect(i).width(), packs->fontMetrics().horizontalAdvance(i ? "Big Pack" : "System"))
            << "a chip is as wide as its name";
    view.allToggle()->click();
    EXPECT_TRUE(view.model().searchesAllPacks());
    EXPECT_EQ(packs->selected(), -1) << "with All no single pack looks chosen";
    QTest::mouseClick(packs, Qt::LeftButton, {}, packs->segmentRect(1).center());
    EXPECT_EQ(view.model().selectedPack(), kBig);
    EXPECT_FALSE(view.model().searchesAllPacks()) << "a chip means that pack";
    EXPECT_FALSE(view.allToggle()->isChecked());
    EXPECT_EQ(packs->selected(), 1);

    ui::SegmentedControl* modes = view.modeControl();
    QTest::mouseClick(modes, Qt::LeftButton, {}, modes->segmentRect(1).center());
    EXPECT_EQ(view.model().mode(), IconPickerMode::text);
    view.reject();
}

TEST_F(IconPickerViewTest, EscapeCancelsWithoutAnAnswer) {
    IconPickerView view(makeModel(SlotIcon::symbolPack(kBig, "glyph-7")), catalog);
    QSignalSpy chosen(&view, &IconPickerView::iconChosen);
    QSignalSpy closed(&view, &IconPickerView::closed);
    view.open();
    view.model().resetToDefault();
    QTest::keyClick(&view, Qt::Key_Escape);
    EXPECT_FALSE(view.isVisible());
    EXPECT_EQ(closed.size(), 1);
    EXPECT_EQ(chosen.size(), 0);
}

TEST_F(IconPickerViewTest, DropZoneRefusesWebAddresses) {
    IconPickerView view(makeModel(), catalog);
    view.model().setMode(IconPickerMode::file);
    view.show();
    auto drop = [&](const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        const QPoint at = view.dropZone()->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view.dropZone(), &enter);
        if (!enter.isAccepted()) return false;
        QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view.dropZone(), &dropped);
        return dropped.isAccepted();
    };
    EXPECT_FALSE(drop({QUrl("https://example.com/logo.png")}));
    EXPECT_TRUE(view.model().draft().isAuto());
    const QString logo = QStringLiteral(ORBEL_SOURCE_DIR "/resources/desktop/com.quandelvix.orbel.svg");
    EXPECT_TRUE(drop({QUrl::fromLocalFile(logo)}));
    EXPECT_EQ(view.model().selectionDescription(), "com.quandelvix.orbel.svg");
    // The zone's preview, read off the GUI thread.
    EXPECT_TRUE(QTest::qWaitFor([&] { return CustomImages::shared().image(logo, QSize(56, 56)).has_value(); }, 10000));
    testing::savePictures(view, "icons", "icon-picker-file");
}

// A PNG whose header claims `side` x `side` pixels of 8-bit grey and whose
// data is a few zero bytes: no reader makes a picture of it.
QByteArray hugePngHeader(quint32 side) {
    auto crc32 = [](const QByteArray& bytes) {
        quint32 crc = 0xFFFFFFFFu;
        for (const char c : bytes) {
            crc ^= quint8(c);
            for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
        return ~crc;
    };
    auto be32 = [](quint32 v) {
        const char bytes[] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
        return QByteArray(bytes, 4);
    };
    auto chunk = [&](const char* type, const QByteArray& data) {
        const QByteArray body = QByteArray(type) + data;
        return be32(quint32(data.size())) + body + be32(crc32(body));
    };
    const QByteArray header = be32(side) + be32(side) + QByteArray("\x08\x00\x00\x00\x00", 5);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) + chunk("IDAT", QByteArray(16, 0)) +
           chunk("IEND", {});
}

TEST_F(IconPickerViewTest, AnImageFileThatHoldsNoPictureIsRefusedWithItsReason) {
    QTemporaryDir dir;
    const QString text = dir.filePath("notes.png"), huge = dir.filePath("huge.png");
    for (const auto& [path, bytes] : {std::pair{text, QByteArray("just some text\n")},
                                      std::pair{huge, hugePngHeader(30000)}}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    IconPickerView view(makeModel(SlotIcon::symbolPack(kBig, "glyph-7")), catalog);
    QSignalSpy chosen(&view, &IconPickerView::iconChosen);
    view.model().setMode(IconPickerMode::file);
    view.open();
    for (const QString& path : {text, huge}) {
        view.model().chooseImageFile(path.toStdString());
        EXPECT_FALSE(view.applyButton()->isEnabled()) << "not before the file is read";
        const std::string reason = "“" + QFileInfo(path).fileName().toStdString() + "” holds no picture.";
        ASSERT_TRUE(QTest::qWaitFor([&] { return view.model().imageProblem().has_value(); }, 10000));
        EXPECT_EQ(*view.model().imageProblem(), reason);
        EXPECT_EQ(view.descriptionLine()->toolTip().toStdString(), reason);
        EXPECT_FALSE(view.applyButton()->isEnabled());
        view.apply();
        EXPECT_TRUE(chosen.isEmpty()) << "Apply is refused";
        if (path == text) testing::savePictures(view, "icons", "icon-picker-refused-image");
    }
    // A picture that loads can be applied.
    const QString logo = QStringLiteral(ORBEL_SOURCE_DIR "/resources/desktop/com.quandelvix.orbel.svg");
    view.model().chooseImageFile(logo.toStdString());
    EXPECT_TRUE(QTest::qWaitFor([&] { return view.applyButton()->isEnabled(); }, 10000));
    EXPECT_FALSE(view.model().imageProblem());
    view.apply();
    EXPECT_EQ(chosen.size(), 1);
}

// The shipped packs through the real catalogue, for a person to look at.
TEST(IconPickerPictures, ShippedPacks) {
    IconCatalog catalog(platform::Bundle::shared(), platform::Fonts::shared(), platform::Symbols::shared());
    catalog.bootstrap();
    auto model = IconPickerModel::withCatalog(SlotIcon::symbolPack(IconPack{"mdi"}, "home"), catalog);
    IconPickerView view(std::move(model), catalog);
    view.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !view.model().isLoading() && !view.model().results().empty(); }, 20000));
    view.searchField()->setText(QStringLiteral("ho"));
    // Every shipped pack's tab shows its name whole.
    EXPECT_LE(view.packControl()->sizeHint().width(), view.packControl()->width());
    testing::savePictures(view, "icons", "icon-picker-mdi");
    view.model().setMode(IconPickerMode::text);
    view.model().setMonogram("PS");
    view.model().setTint("#FF7A59");
    testing::savePictures(view, "icons", "icon-picker-text");
}

}  // namespace
}  // namespace orbel
