// The Qt clipboard in-process (offscreen platform); the X11 side is covered
// by the system tests.
#include "platform/pasteboard.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <gtest/gtest.h>

namespace orbel::platform {
namespace {

// The snapshot, taken through the event loop.
PasteboardSnapshot snapshotOf(Pasteboard& pasteboard) {
    std::optional<std::optional<PasteboardSnapshot>> answer;
    pasteboard.takeSnapshot([&](std::optional<PasteboardSnapshot> s) { answer = std::move(s); });
    EXPECT_FALSE(answer) << "never inside the call";
    while (!answer) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return answer->value_or(PasteboardSnapshot{{{"missing", ""}}});
}

std::string png(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

TEST(Pasteboard, SnapshotKeepsEveryFormatAndRestoresIt) {
    Pasteboard& pasteboard = Pasteboard::shared();
    QImage image(4, 3, QImage::Format_ARGB32);
    image.fill(qRgba(10, 200, 30, 255));
    auto* data = new QMimeData;
    data->setText(QStringLiteral("plain ✓"));
    data->setHtml(QStringLiteral("<b>rich</b>"));
    data->setData(QStringLiteral("image/png"), QByteArray::fromStdString(png(image)));
    data->setData(QStringLiteral("application/x-orbel-test"), QByteArray("\x00\x01\xff", 3));
    QGuiApplication::clipboard()->setMimeData(data);

    const PasteboardSnapshot saved = snapshotOf(pasteboard);
    ASSERT_NE(saved.find("application/x-orbel-test"), nullptr);
    EXPECT_EQ(*saved.find("application/x-orbel-test"), std::string("\x00\x01\xff", 3));
    EXPECT_EQ(*saved.find("text/html"), "<b>rich</b>");

    pasteboard.setText("snippet");
    EXPECT_EQ(snapshotOf(pasteboard).plainText(), std::optional<std::string>("snippet"));
    EXPECT_EQ(snapshotOf(pasteboard).formats.size(), 1u);

    pasteboard.restore(saved);
    EXPECT_EQ(snapshotOf(pasteboard), saved);
    EXPECT_EQ(snapshotOf(pasteboard).plainText(), std::optional<std::string>("plain ✓"));
    const QImage back = QGuiApplication::clipboard()->image();
    ASSERT_FALSE(back.isNull());
    EXPECT_EQ(back.pixel(2, 1), qRgba(10, 200, 30, 255));
}

TEST(Pasteboard, AnImageWithoutTextHasNoText) {
    QImage image(2, 2, QImage::Format_RGB32);
    image.fill(Qt::red);
    QGuiApplication::clipboard()->setImage(image);
    EXPECT_EQ(snapshotOf(Pasteboard::shared()).plainText(), std::nullopt);
    const PasteboardSnapshot saved = snapshotOf(Pasteboard::shared());
    EXPECT_FALSE(saved.empty());
    Pasteboard::shared().setText("x");
    Pasteboard::shared().restore(saved);
    EXPECT_EQ(QGuiApplication::clipboard()->image().pixel(1, 1), QColor(Qt::red).rgb());
}

TEST(Pasteboard, TheCountTellsWhetherOurTextIsStillThere) {
    Pasteboard& pasteboard = Pasteboard::shared();
    pasteboard.setText("ours");
    const auto placed = pasteboard.changeCount();
    (void)snapshotOf(pasteboard);
    EXPECT_EQ(pasteboard.changeCount(), placed) << "reading is no change";

    QGuiApplication::clipboard()->setText(QStringLiteral("someone else"));
    EXPECT_NE(pasteboard.changeCount(), placed);

    const auto before = pasteboard.changeCount();
    pasteboard.restore({});
    EXPECT_NE(pasteboard.changeCount(), before);
    EXPECT_EQ(snapshotOf(pasteboard).plainText(), std::nullopt);
}

}  // namespace
}  // namespace orbel::platform
