#pragma once

// Pictures of widgets for a person to look at: each widget is saved in the
// light palette, in a dark one and at a device pixel ratio of 2, under the
// build tree's test-artifacts/<folder>/.

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace orbel::testing {

// A dark palette like the ones dark desktop themes give Qt.
inline QPalette darkPalette() {
    QPalette p;
    const QColor window(0x2B, 0x2B, 0x2E), base(0x1E, 0x1E, 0x20), text(0xEC, 0xEC, 0xEE);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, QColor(0x3A, 0x3A, 0x3E));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::PlaceholderText, QColor(0x8E, 0x8E, 0x93));
    p.setColor(QPalette::Highlight, QColor(0x2D, 0x7D, 0xF6));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Mid, QColor(0x55, 0x55, 0x5A));
    p.setColor(QPalette::Light, QColor(0x4A, 0x4A, 0x4F));
    p.setColor(QPalette::Dark, QColor(0x18, 0x18, 0x1A));
    p.setColor(QPalette::ToolTipBase, base);
    p.setColor(QPalette::ToolTipText, text);
    return p;
}

// Saves `widget` as <name>-light, <name>-dpr2 and, unless `dark` is false
// (a widget that rebuilds itself on a change of palette), <name>-dark.
inline void savePictures(QWidget& widget, const QString& folder, const QString& name, bool dark = true) {
    const QString dir = QStringLiteral(ORBEL_BINARY_DIR "/test-artifacts/") + folder;
    QDir().mkpath(dir);
    auto shoot = [&](const QString& suffix, double ratio) {
        QPixmap picture(widget.size() * ratio);
        picture.setDevicePixelRatio(ratio);
        picture.fill(widget.palette().color(QPalette::Window));
        widget.render(&picture);
        EXPECT_TRUE(picture.save(dir + "/" + name + "-" + suffix + ".png")) << name.toStdString();
    };
    const QPalette light = widget.palette();
    shoot("light", 1);
    shoot("dpr2", 2);
    if (!dark) return;
    widget.setPalette(darkPalette());
    shoot("dark", 1);
    widget.setPalette(light);
}

// Whether `control` shows the keyboard focus: the window around it (where a
// ring outside it shows too) looks otherwise with the focus than without,
// and as before once `elsewhere` took it. Saves the focused window.
inline ::testing::AssertionResult showsFocus(QWidget* control, QWidget* elsewhere, const QString& folder,
                                            const QString& name) {
    const auto around = [control] {
        const QPoint at = control->mapTo(control->window(), QPoint(-4, -4));
        return control->window()->grab(QRect(at, control->size() + QSize(8, 8))).toImage();
    };
    QTest::keyClick(control->window(), Qt::Key_Shift);  // the focus moves as after a key, not a click
    elsewhere->setFocus(Qt::TabFocusReason);
    const QImage without = around();
    control->setFocus(Qt::TabFocusReason);
    const bool marked = control->hasFocus() && around() != without;
    savePictures(*control->window(), folder, name + "-focused", false);
    elsewhere->setFocus(Qt::TabFocusReason);
    if (!marked || around() != without) return ::testing::AssertionFailure() << name.toStdString() << " shows no mark";
    return ::testing::AssertionSuccess();
}

// How many pixels of `after` show `accent` (near enough to it) where the
// same pixels of `before`, a render of the same widget, did not.
inline int accentPixelsAdded(const QImage& before, const QImage& after, const QColor& accent) {
    const auto near = [&accent](QRgb pixel) {
        return std::abs(qRed(pixel) - accent.red()) < 48 && std::abs(qGreen(pixel) - accent.green()) < 48 &&
               std::abs(qBlue(pixel) - accent.blue()) < 48;
    };
    const QImage a = before.convertToFormat(QImage::Format_RGB32), b = after.convertToFormat(QImage::Format_RGB32);
    if (a.size() != b.size()) return -1;
    int added = 0;
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x) added += near(b.pixel(x, y)) && !near(a.pixel(x, y));
    return added;
}

// How many pixels of the accent the keyboard focus adds about `control`
// (the window around it, where a ring outside it shows too) over the focus
// on `elsewhere`: a mark that shows on any colour is drawn in the accent.
// With `outsideOnly`, the pixels on the control itself do not count: only a
// ring around it does, not a frame the style draws on it. Saves the focused
// window.
inline int accentMarkPixels(QWidget* control, QWidget* elsewhere, const QString& folder, const QString& name,
                            bool outsideOnly = false) {
    const auto around = [control, outsideOnly] {
        const QPoint at = control->mapTo(control->window(), QPoint(-4, -4));
        QImage image = control->window()->grab(QRect(at, control->size() + QSize(8, 8))).toImage();
        if (outsideOnly) QPainter(&image).fillRect(QRect(QPoint(4, 4), control->size()), Qt::black);
        return image;
    };
    QTest::keyClick(control->window(), Qt::Key_Shift);
    elsewhere->setFocus(Qt::TabFocusReason);
    const QImage without = around();
    control->setFocus(Qt::TabFocusReason);
    const int added = accentPixelsAdded(without, around(), control->palette().color(QPalette::Highlight));
    savePictures(*control->window(), folder, name + "-focused", false);
    return added;
}

}  // namespace orbel::testing
