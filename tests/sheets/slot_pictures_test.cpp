// The settings window's pictures of slots: the editor's ring draws each slot
// by the editor's own table, the sheets' icon views draw an icon as the icon
// catalogue's view does. Saves the ring, the dial and a sheet under
// test-artifacts/sheets for a person to compare.
#include <gtest/gtest.h>

#include <QDir>
#include <QAbstractButton>
#include <QPainter>
#include <QTest>

#include "dial/dial_painter.h"
#include "dial/slot_picture.h"
#include "dial/wedge_geometry.h"
#include "editor/dial_editor_view.h"
#include "fakes/fake_system_platform.h"
#include "fakes/replace_shared.h"
#include "icons/icon_picker_view.h"
#include "icons/slot_icon_view.h"
#include "platform/symbols.h"
#include "sheets/icon_picker_row.h"
#include "sheets/snippet_slot_editor_sheet.h"
#include "slots/slot_factory.h"
#include "support/widget_pictures.h"

namespace orbel {
namespace {

std::vector<SlotConfig> everyDefaultPicture() {
    MenuGroup empty;
    return {SlotConfig::make(SlotType::snippet("Best, Ada"), "Signature"),
            SlotConfig::make(SlotType::keystroke({}), "Copy"),
            SlotConfig::make(SlotType::group(empty), "Apps"),
            SlotConfig::make(SlotType::app("com.apple.MobileSMS"), "Messages"),
            SlotConfig::make(SlotType::script({}), "Build"),
            SlotConfig::make(SlotType::profileSwitch(), "Profiles"),
            SlotConfig::make(SlotType::cycling({}), "Cycle")};
}

// The same wedges made another way: keystroke slots of the same titles whose
// own icons are the system symbols `names`, drawn through the icon catalogue.
std::vector<SlotConfig> drawnAs(const std::vector<SlotConfig>& slots, const std::vector<std::string>& names) {
    std::vector<SlotConfig> out;
    for (std::size_t i = 0; i < slots.size(); ++i)
        out.push_back(SlotConfig::make(SlotType::keystroke({}), slots[i].title, SlotIcon::symbolPack(IconPack{"sf"}, names[i])));
    return out;
}

// What `view` shows, on a transparent ground.
QImage shown(QWidget& view) {
    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    view.render(&image, {}, {}, QWidget::DrawChildren);
    return image;
}

// The ring of `slots`, with `dragged` held over its first gap.
QImage ringShown(const std::vector<SlotConfig>& slots, const QString& artifact = {},
                 const std::optional<SlotDragPayload>& dragged = std::nullopt) {
    editor::RadialDialEditor editor(slots, 8, {});
    editor.resize(editor.sizeHint());
    editor.show();
    if (dragged) {
        const QPointF c = editor.ring()->centre();
        editor.model().dragEntered(dragged->exportString(), c + QPointF(100, -60), c);
        EXPECT_EQ(editor.ring()->items()[1].id, editor::kGhostId);
    }
    QCoreApplication::processEvents();
    if (!artifact.isEmpty()) testing::savePictures(editor, "sheets", artifact);
    return shown(*editor.ring());
}

// What a system-symbol icon of `name` shows in a view like `view` whose
// text colour is at `opacity`, scaled by `scale` against the system
// symbols' own 0.78 of the size.
QImage symbolShownLike(const SlotIconView& view, const std::string& name, double size, double opacity,
                       double scale = 0.78) {
    QPalette palette = view.palette();
    QColor text = palette.color(QPalette::WindowText);
    text.setAlphaF(float(opacity) * text.alphaF());
    palette.setColor(QPalette::WindowText, text);
    SlotIconView reference(SlotIcon::symbolPack(IconPack{"sf"}, name), size * scale / 0.78);
    reference.setPalette(palette);
    reference.resize(view.size());
    const QImage image = shown(reference);
    // Drawn through the same catalogue as the view: it must draw something,
    // or two blank pictures would compare equal.
    int inked = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) inked += image.pixelColor(x, y).alpha() > 0;
    EXPECT_GT(inked, 20) << name;
    return image;
}

TEST(SlotPictures, TheRingDrawsTheEditorsPicturesAndTheIconViewsTheCataloguesView) {
    fakes::Installed<fakes::FakeWorkspace, platform::Workspace> workspace;  // no application installed
    const std::vector<SlotConfig> slots = everyDefaultPicture();
    const QImage ring = ringShown(slots, "ring-default-pictures");
    EXPECT_EQ(ring, ringShown(drawnAs(slots, {"doc.on.clipboard", "keyboard", "folder.fill", "app.badge.questionmark",
                                              "terminal", "person.crop.rectangle.stack",
                                              "arrow.triangle.2.circlepath"})));
    // The ghost of an action no one has is "bolt", titled with the raw identifier.
    const QImage ghost = ringShown(slots, "ring-ghost-unknown-action", SlotDragPayload::libraryAction("no_such_action"));
    EXPECT_NE(ghost, ringShown(slots, {}, SlotDragPayload::libraryKeystroke({}, "no_such_action")));
    // Not the symbols the dial draws for the group, the missing application and the script.
    EXPECT_NE(ring, ringShown(drawnAs(slots, {"doc.on.clipboard", "keyboard", "folder", "app", "applescript",
                                              "person.crop.rectangle.stack", "arrow.triangle.2.circlepath"})));

    // The sheet's icon row shows Default as the catalogue's automatic icon,
    // "questionmark.circle" in the secondary colour (the text at 55 %), and
    // a pack this build lacks as "questionmark" at 0.7 of the size in the
    // tertiary colour (30 %); not the slot kind's picture.
    SnippetSlotEditorSheet sheet(std::nullopt, {});
    sheet.show();
    auto* preview = sheet.iconRow()->findChild<SlotIconView*>();
    ASSERT_TRUE(preview);
    EXPECT_EQ(shown(*preview), symbolShownLike(*preview, "questionmark.circle", 28, 0.55));
    testing::savePictures(sheet, "sheets", "snippet-sheet-default-icon");
    sheet.iconRow()->setIcon(SlotIcon::symbolPack(IconPack{"no-such-pack"}, "star"));
    EXPECT_EQ(shown(*preview), symbolShownLike(*preview, "questionmark", 28, 0.3, 0.7));
    sheet.iconRow()->setIcon(SlotIcon::automatic());
    // The chooser it opens previews Default the same way.
    QTest::mouseClick(sheet.iconRow()->tile(), Qt::LeftButton);
    auto* picker = sheet.findChild<IconPickerView*>();
    ASSERT_TRUE(picker);
    EXPECT_TRUE(QTest::qWaitForWindowExposed(picker));
    auto* chooserPreview = picker->findChild<SlotIconView*>();
    ASSERT_TRUE(chooserPreview);
    EXPECT_TRUE(chooserPreview->icon().isAuto());
    EXPECT_EQ(shown(*chooserPreview), symbolShownLike(*chooserPreview, "questionmark.circle", 30, 0.55));
    testing::savePictures(*picker, "sheets", "snippet-icon-chooser-default");
    picker->reject();

    // The dial's own pictures of the same slots, for a person to compare:
    // each draws something other than the unknown symbol's question mark.
    const QColor ink(40, 40, 40);
    const QImage unknown = platform::Symbols::shared().image("questionmark", 30, ink, 1);
    dial::DialViewState dialState;
    dialState.palette = DialPalette::make(dialState.appearance, ColorScheme::light);
    for (const SlotConfig& slot : slots) {
        const QImage live = dial::slotPicture(SlotFactory::makeSlot(slot)->icon(), 30, ink, 1);
        ASSERT_FALSE(live.isNull()) << slot.title;
        EXPECT_NE(live, unknown) << slot.title;
        dialState.wedges.push_back({slot.title, dial::slotPicture(SlotFactory::makeSlot(slot)->icon(),
                                                                  dial::DialMetrics::kIconSide,
                                                                  dial::toQColor(dialState.palette.labelText), 2)});
    }
    QImage dialPicture(QSize(560, 560) * 2, QImage::Format_ARGB32_Premultiplied);
    dialPicture.setDevicePixelRatio(2);
    dialPicture.fill(QColor(236, 236, 236));
    {
        QPainter p(&dialPicture);
        dial::paintDial(p, QPointF(280, 280), dialState);
    }
    QDir().mkpath(ORBEL_BINARY_DIR "/test-artifacts/sheets");
    EXPECT_TRUE(dialPicture.save(ORBEL_BINARY_DIR "/test-artifacts/sheets/dial-default-pictures.png"));
}

}  // namespace
}  // namespace orbel
