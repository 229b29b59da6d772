#include <QAbstractButton>
#include <QApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>

#include "support/widget_pictures.h"
#include "ui/accent_swatch_model.h"
#include "ui/accent_swatch_picker.h"

namespace orbel {
namespace {

using Stored = std::optional<std::string>;

TEST(AccentSwatchModel, TypedColoursAreStoredAsHashAndSixUpperCaseDigitsOrRefused) {
    const std::vector<std::pair<std::string, Stored>> table{
        {"ff7a59", "#FF7A59"},
        {" 2d9cdb ", "#2D9CDB"},
        {"\t#abcdef\t", "#ABCDEF"},
        {"#FF7A59", "#FF7A59"},
        {"ff7a59\n", "#FF7A59"},  // no line break reaches the configuration
        {"\n ff7a59", "#FF7A59"},
        {"fff", std::nullopt},
        {"ff7a5980", std::nullopt},
        {"gg0000", std::nullopt},
        {"##12", std::nullopt},
        {"##ff7a59", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [typed, stored] : table) {
        AccentSwatchModel model("#123456");
        model.togglePopover();
        model.setHexInput(typed);
        EXPECT_EQ(model.applyHexInput(), stored.has_value()) << typed;
        EXPECT_EQ(model.accentHex(), stored.value_or("#123456")) << typed;
        EXPECT_EQ(model.isOpen(), !stored) << typed;
        EXPECT_EQ(model.hexInput(), stored.value_or(typed)) << "a refused text stays in the field: " << typed;
    }
}

TEST(AccentSwatchModel, PresetsSystemAccentAndStoredValues) {
    AccentSwatchModel model;
    model.setHexInput("ff7a59");
    model.applyHexInput();
    EXPECT_TRUE(model.isSelected("#FF7A59"));
    model.selectSwatch("#FFFFFF");
    EXPECT_EQ(model.accentHex(), "#FFFFFF");
    EXPECT_EQ(model.hexInput(), "#FFFFFF");

    model.togglePopover();
    model.useSystemAccent();
    EXPECT_EQ(model.accentHex(), std::nullopt);
    EXPECT_EQ(model.hexInput(), "");
    EXPECT_FALSE(model.isOpen());

    // Hand-edited values: drawn when readable, never a preset without "#".
    model.setAccentHex("ff7a59");
    EXPECT_TRUE(model.currentColor());
    EXPECT_FALSE(model.isSelected("#FF7A59"));
    model.setAccentHex("blue");
    EXPECT_FALSE(model.currentColor());
    model.togglePopover();
    EXPECT_EQ(model.hexInput(), "blue") << "opening reloads the field unchanged";
    model.setHexInput("typed, never applied");
    model.togglePopover();
    model.togglePopover();
    EXPECT_EQ(model.hexInput(), "blue");
}

class AccentSwatchPickerTest : public ::testing::Test {
public:
    AccentSwatchPickerTest() {
        picker.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&picker));
    }
    AccentSwatchPicker picker{std::string("#27AE60")};
};

TEST_F(AccentSwatchPickerTest, PopoverAppliesTypedHexAndStaysOpenOnNonsense) {
    QSignalSpy changed(&picker, &AccentSwatchPicker::accentHexChanged);
    QTest::mouseClick(&picker, Qt::LeftButton);
    ASSERT_TRUE(picker.popover() && picker.popover()->isVisible());
    EXPECT_TRUE(picker.popover()->windowFlags().testFlag(Qt::Popup));
    QLineEdit* field = picker.popover()->hexField();
    EXPECT_EQ(field->text(), "#27AE60");

    field->clear();
    QTest::keyClicks(field, "##12");
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_TRUE(picker.popover()->isVisible());
    EXPECT_EQ(field->text(), "##12");
    EXPECT_EQ(changed.size(), 0);

    field->clear();
    QTest::keyClicks(field, "ff7a59");
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_FALSE(picker.popover()->isVisible());
    EXPECT_FALSE(picker.isPopoverOpen());
    EXPECT_EQ(picker.accentHex(), "#FF7A59");
    EXPECT_EQ(changed.size(), 1);

    QTest::mouseClick(&picker, Qt::LeftButton);
    EXPECT_EQ(picker.popover()->hexField()->text(), "#FF7A59");
    testing::savePictures(*picker.popover(), "ui", "accent-swatch-popover");
    picker.setAccentHex(std::nullopt);
    testing::savePictures(*picker.popover(), "ui", "accent-swatch-popover-system");
    picker.popover()->hide();  // the system dismisses it
    EXPECT_FALSE(picker.isPopoverOpen());
}

TEST_F(AccentSwatchPickerTest, PresetAndSystemRowWriteAndClose) {
    picker.togglePopover();
    auto button = [&](const QString& name) {
        for (auto* b : picker.popover()->findChildren<QAbstractButton*>())
            if (b->toolTip() == name || b->text() == name) return b;
        return static_cast<QAbstractButton*>(nullptr);
    };
    ASSERT_TRUE(button("#7B61FF"));
    QTest::mouseClick(button("#7B61FF"), Qt::LeftButton);
    EXPECT_EQ(picker.accentHex(), "#7B61FF");
    EXPECT_FALSE(picker.popover()->isVisible());
    picker.togglePopover();
    QTest::mouseClick(button("Use System Accent"), Qt::LeftButton);
    EXPECT_EQ(picker.accentHex(), std::nullopt);
    EXPECT_FALSE(picker.isPopoverOpen());
}

// The swatch's focus mark shows whatever its colour: the darkest, the
// lightest and the accent's own.
TEST(AccentSwatchFocus, TheMarkShowsOnASwatchOfAnyColour) {
    QWidget window;
    auto* row = new QHBoxLayout(&window);
    auto* before = new QPushButton("Before", &window);
    auto* swatch = new AccentSwatchPicker(std::nullopt, &window);
    row->addWidget(before);
    row->addWidget(swatch);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    const QColor accent = window.palette().color(QPalette::Highlight);
    for (const QString& hex : {QStringLiteral("#000000"), QStringLiteral("#1E1E20"), QStringLiteral("#FFFFFF"),
                               accent.name(QColor::HexRgb).toUpper()}) {
        swatch->setAccentHex(hex.toStdString());
        EXPECT_GT(testing::accentMarkPixels(swatch, before, "ui", "swatch-" + hex.mid(1)), 60)
            << hex.toStdString() << ": the accent's ring about the swatch";
        // Inside the swatch's edge a line of another colour than the swatch's.
        QTest::keyClick(&window, Qt::Key_Shift);
        before->setFocus(Qt::TabFocusReason);
        const QImage without = swatch->grab().toImage();
        swatch->setFocus(Qt::TabFocusReason);
        const QImage with = swatch->grab().toImage();
        const QPoint inside(swatch->width() / 2, (swatch->height() - 18) / 2 + 1);
        EXPECT_NE(with.pixel(inside), without.pixel(inside)) << hex.toStdString();
    }
}

// Opened from the keyboard, the popover shows the focus at each of its
// stops, on every swatch's colour and the accent's own; the arrows move
// between the swatches, and Space picks the one that shows the focus.
TEST(AccentSwatchPopoverKeys, EveryStopShowsTheFocusAndTheArrowsWalkTheSwatches) {
    const QString suffix = qEnvironmentVariable("ORBEL_RENDER_SUFFIX");
    QWidget window;
    QPalette palette = window.palette();
    palette.setColor(QPalette::Highlight, QColor(0x2D, 0x9C, 0xDB));  // a preset's colour
    window.setPalette(palette);
    auto* row = new QHBoxLayout(&window);
    auto* before = new QPushButton("Before", &window);
    auto* swatch = new AccentSwatchPicker(std::string("#27AE60"), &window);
    row->addWidget(before);
    row->addWidget(swatch);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    const auto key = [](Qt::Key k) { QTest::keyClick(QApplication::focusWidget(), k); };
    before->setFocus(Qt::TabFocusReason);
    key(Qt::Key_Tab);
    ASSERT_TRUE(swatch->hasFocus());
    key(Qt::Key_Space);
    AccentSwatchPopover* popover = swatch->popover();
    ASSERT_TRUE(popover && popover->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return popover->hexField()->hasFocus(); }));

    // Tab goes round the field, "Set", "Use System Accent" and the twelve swatches.
    std::vector<QWidget*> stops;
    do {
        stops.push_back(QApplication::focusWidget());
        key(Qt::Key_Tab);
    } while (QApplication::focusWidget() != stops.front() && stops.size() < 20);
    ASSERT_EQ(stops.size(), 15u);
    const auto name = [](QWidget* w) {
        const auto* b = qobject_cast<QAbstractButton*>(w);
        return b && !b->text().isEmpty() ? b->text() : w->accessibleName();
    };
    std::vector<QAbstractButton*> cells;
    for (QWidget* stop : stops) {
        QWidget* elsewhere = stop == stops[0] ? stops[1] : stops[0];
        const QString n = name(stop), picture = "accent-popover-" + QString(n).remove('#').replace(' ', '-') + suffix;
        EXPECT_GT(testing::accentMarkPixels(stop, elsewhere, "ui", picture), 40)
            << n.toStdString() << ": the accent's ring";
        // Around a button, the ring is the mark: the style's frame on it is no ring.
        if (stop != popover->hexField()) {
            EXPECT_GT(testing::accentMarkPixels(stop, elsewhere, "ui", picture, true), 40)
                << n.toStdString() << ": the ring around it";
        }
        if (!n.startsWith('#')) continue;
        // On the swatch itself a line that shows on its colour, the accent's too.
        cells.push_back(static_cast<QAbstractButton*>(stop));
        elsewhere->setFocus(Qt::TabFocusReason);
        const QImage without = stop->grab().toImage();
        stop->setFocus(Qt::TabFocusReason);
        EXPECT_NE(stop->grab().toImage(), without) << n.toStdString() << ": the swatch looks the same";
    }
    ASSERT_EQ(cells.size(), 12u);
    std::sort(cells.begin(), cells.end(), [](QWidget* a, QWidget* b) {
        return std::pair(a->y(), a->x()) < std::pair(b->y(), b->x());
    });

    // Six to a row: along a row, up and down a column, never out of the grid.
    cells[0]->setFocus(Qt::TabFocusReason);
    const std::pair<Qt::Key, int> walk[] = {{Qt::Key_Left, 0},  {Qt::Key_Up, 0},    {Qt::Key_Right, 1},
                                            {Qt::Key_Down, 7},  {Qt::Key_Down, 7},  {Qt::Key_Left, 6},
                                            {Qt::Key_Left, 6},  {Qt::Key_Up, 0},    {Qt::Key_Right, 1}};
    for (const auto& [k, expected] : walk) {
        key(k);
        ASSERT_EQ(QApplication::focusWidget(), cells[std::size_t(expected)]) << QTest::toString(k);
    }
    EXPECT_TRUE(testing::showsFocus(cells[1], cells[0], "ui", "accent-popover-arrowed" + suffix));
    cells[1]->setFocus(Qt::TabFocusReason);
    key(Qt::Key_Space);
    EXPECT_EQ(swatch->accentHex(), "#FF8A00");
    EXPECT_FALSE(popover->isVisible());
}

}  // namespace
}  // namespace orbel
