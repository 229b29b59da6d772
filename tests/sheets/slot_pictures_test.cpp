// One picture per slot: the editor's ring, the sheets' icon row and the dial
// draw a slot alike. Saves the ring, the dial and a sheet under
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
#include "editor/editor_painting.h"
#include "fakes/fake_system_platform.h"
#include "fakes/replace_shared.h"
#include "icons/icon_picker_view.h"
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
            SlotConfig::make(SlotType::profileSwitch(), "Profiles")};
}

// What `view` shows, on a transparent ground.
QImage shown(QWidget& view) {
    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    view.render(&image, {}, {}, QWidget::DrawChildren);
    return image;
}

TEST(SlotPictures, TheRingTheIconRowAndTheDialDrawEachSlotAlike) {
    fakes::Installed<fakes::FakeWorkspace, platform::Workspace> workspace;  // no application installed
    const QColor ink(40, 40, 40);
    const QImage unknown = platform::Symbols::shared().image("questionmark", 30, ink, 1);
    dial::DialViewState dialState;
    dialState.palette = DialPalette::make(dialState.appearance, ColorScheme::light);
    for (const SlotConfig& slot : everyDefaultPicture()) {
        const QImage live = dial::slotPicture(SlotFactory::makeSlot(slot)->icon(), 30, ink, 1);
        ASSERT_FALSE(live.isNull()) << slot.title;
        EXPECT_NE(live, unknown) << slot.title;
        EXPECT_EQ(editor::previewImage(editor::slotPreviewPicture(slot), 30, ink, 1), live) << slot.title;
        dialState.wedges.push_back({slot.title, dial::slotPicture(SlotFactory::makeSlot(slot)->icon(),
                                                                  dial::DialMetrics::kIconSide,
                                                                  dial::toQColor(dialState.palette.labelText), 2)});
    }

    // The sheet's icon row shows "Default" as the snippet the dial draws.
    SnippetSlotEditorSheet sheet(std::nullopt, {});
    sheet.show();
    auto* preview = sheet.iconRow()->findChild<dial::SlotPictureView*>();
    ASSERT_TRUE(preview);
    QImage expected(preview->size(), QImage::Format_ARGB32_Premultiplied);
    expected.fill(Qt::transparent);
    {
        const double side = std::min({28.0, double(preview->width()), double(preview->height())});
        QPainter p(&expected);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(QRectF(QPointF(preview->width() - side, preview->height() - side) / 2, QSizeF(side, side)),
                    dial::slotPicture(SlotFactory::makeSlot(everyDefaultPicture()[0])->icon(), side,
                                      preview->palette().color(QPalette::WindowText), 1));
    }
    EXPECT_EQ(shown(*preview), expected);
    testing::savePictures(sheet, "sheets", "snippet-sheet-default-icon");
    // The chooser it opens previews "Default" the same way.
    QTest::mouseClick(sheet.iconRow()->tile(), Qt::LeftButton);
    auto* picker = sheet.findChild<IconPickerView*>();
    ASSERT_TRUE(picker);
    EXPECT_TRUE(QTest::qWaitForWindowExposed(picker));
    auto* chooserPreview = picker->findChild<dial::SlotPictureView*>();
    ASSERT_TRUE(chooserPreview);
    EXPECT_TRUE(chooserPreview->icon().isAuto());
    testing::savePictures(*picker, "sheets", "snippet-icon-chooser-default");
    picker->reject();

    editor::RadialDialEditor ring(everyDefaultPicture(), 6, {});
    ring.resize(ring.sizeHint());
    ring.show();
    QCoreApplication::processEvents();
    testing::savePictures(ring, "sheets", "ring-default-pictures");
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
