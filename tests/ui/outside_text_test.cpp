// Text from outside (a backup, a server, a desktop entry, a script) shows as
// it stands in the shared labels, tool tips, confirmations and alerts.
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <gtest/gtest.h>

#include "platform/alerts.h"
#include "support/shown_text.h"
#include "support/widget_pictures.h"
#include "ui/confirmation.h"
#include "ui/controls.h"
#include "ui/settings_blocks.h"
#include "ui/sheet_frame.h"

namespace orbel::testing {
namespace {

// The message box's message and informative text, as shown.
std::pair<QString, QString> shownMessage(const QMessageBox* box) {
    const auto* text = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    const auto* informative = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"));
    return {text ? shownText(text) : QString(), informative ? shownText(informative) : QString()};
}

TEST(OutsideText, SharedLabelsAndToolTipsShowItAsItStands) {
    QWidget parent;
    std::unique_ptr<QLabel> styled(ui::styledLabel(kMarkup, ui::TextStyle::callout, ui::Ink::primary));
    EXPECT_EQ(shownText(styled.get()), kMarkup);
    std::unique_ptr<QLabel> value(ui::valueLabel(40));
    value->setText(kMarkup);
    EXPECT_EQ(shownText(value.get()), kMarkup);

    ui::ElidedLabel elided(kMarkup);
    elided.resize(elided.sizeHint());
    EXPECT_EQ(shownText(&elided), kMarkup);
    EXPECT_EQ(shownText(elided.toolTip()), kMarkup);
    // Plain text stays as it is, ampersands too.
    EXPECT_EQ(ui::plainToolTip(QStringLiteral("Tom & Jerry")), "Tom & Jerry");
    EXPECT_EQ(shownText(ui::plainToolTip(QStringLiteral("&lt;b&gt;"))), "&lt;b&gt;");

    auto* sheet = new SlotEditChromeSheet(QStringLiteral("star"), kMarkup, kMarkup + kMarkup, QSize(400, 300));
    sheet->elideSubtitle(60);
    EXPECT_EQ(sheet->subtitle(), kMarkup + kMarkup);
    int cut = 0;
    for (const QLabel* label : sheet->findChildren<QLabel*>()) {
        if (label->text().isEmpty()) continue;  // a picture
        EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->text().toStdString();
        if (!label->toolTip().isEmpty()) {
            ++cut;
            EXPECT_EQ(shownText(label->toolTip()), kMarkup + kMarkup);
        }
    }
    EXPECT_EQ(cut, 1);
    delete sheet;

    QMessageBox* box = ui::openConfirmation(&parent, QStringLiteral("confirm"), kMarkup, kMarkup, "Delete", {});
    EXPECT_EQ(shownMessage(box), std::make_pair(kMarkup, kMarkup));
    box->close();
}

TEST(OutsideText, AnAlertShowsItAsItStands) {
    const auto openBox = [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) return box;
        return static_cast<QMessageBox*>(nullptr);
    };
    platform::Alert alert;
    alert.title = kMarkup.toStdString();
    alert.text = kMarkup.toStdString();
    platform::Alerts::shared().show(alert);
    QMessageBox* box = openBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(shownMessage(box), std::make_pair(kMarkup, kMarkup));
    savePictures(*box, QStringLiteral("ui"), QStringLiteral("alert-outside-text"));
    box->close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !openBox(); }, 5000));

    // With a footnote the alert writes markup of its own around the text.
    alert.footnote = kMarkup.toStdString();
    platform::Alerts::shared().show(alert);
    box = openBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(shownMessage(box), std::make_pair(kMarkup, kMarkup + "\n" + kMarkup));
    box->close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !openBox(); }, 5000));
}

}  // namespace
}  // namespace orbel::testing
