#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "ui/controls.h"

namespace orbel::ui {
namespace {

TEST(SegmentedControl, SegmentsFitTheirTitlesAndShareAnyShortfall) {
    SegmentedControl chips({"System Symbols", "Lucide", "Material Design Icons"});
    chips.setSegmentsFitTitles(true);
    chips.setSelected(-1);
    chips.resize(chips.sizeHint());
    const auto fm = chips.fontMetrics();
    int right = 0;
    for (int i = 0; i < chips.count(); ++i) {
        const QRect r = chips.segmentRect(i);
        EXPECT_GE(r.width(), fm.horizontalAdvance(i == 0 ? "System Symbols" : i == 1 ? "Lucide" : "Material Design Icons"));
        EXPECT_GE(r.left(), right) << "side by side, no overlap";
        right = r.right();
    }
    EXPECT_LE(right, chips.width()) << "the last one is not cut";
    EXPECT_GT(chips.sizeHint().width(), 280) << "no cap on a row of chips";

    const int lucide = chips.segmentRect(1).width();
    chips.resize(chips.sizeHint().width() * 3 / 4, chips.height());  // squeezed: the widest give way first
    EXPECT_EQ(chips.segmentRect(1).width(), lucide) << "a short title stays whole";
    EXPECT_NEAR(chips.segmentRect(2).width(), chips.segmentRect(0).width(), 1) << "the two long ones share alike";
    EXPECT_LE(chips.segmentRect(2).right(), chips.width());

    QSignalSpy activated(&chips, &SegmentedControl::activated);
    QTest::mouseClick(&chips, Qt::LeftButton, {}, chips.segmentRect(1).center());
    ASSERT_EQ(activated.size(), 1) << "from no selection any segment is a choice";
    EXPECT_EQ(activated[0][0].toInt(), 1);
    EXPECT_EQ(chips.selected(), 1);
}

}  // namespace
}  // namespace orbel::ui
