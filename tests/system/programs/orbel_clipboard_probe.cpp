// Reads or owns the clipboard from a process of its own. Usage:
//   orbel_clipboard_probe print        prints "text:<t>" or "notext", then
//                                      "image:<w>x<h>:<sum>" or "noimage"
//   orbel_clipboard_probe hold-text T  owns the clipboard with text T
//   orbel_clipboard_probe hold-image   owns it with a 40x30 test image
// The hold modes print "holding" and serve paste requests until standard
// input closes.
#include <QApplication>
#include <QClipboard>
#include <QCryptographicHash>
#include <QImage>
#include <QMimeData>
#include <QTimer>

#include "program_io.h"


QImage testImage() {
    QImage image(40, 30, QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, qRgba(x * 6, y * 8, (x * y) % 256, 255));
    return image;
}

QByteArray imageSum(const QImage& image) {
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (int y = 0; y < argb.height(); ++y)
        hash.addData(QByteArrayView(reinterpret_cast<const char*>(argb.constScanLine(y)), argb.width() * 4));
    return hash.result().toHex().left(16);
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString mode = args.value(1);
    QClipboard* clipboard = QGuiApplication::clipboard();

    if (mode == QStringLiteral("print")) {
        QTimer::singleShot(0, [&] {
            const QMimeData* data = clipboard->mimeData();
            if (data && data->hasText()) say("text:" + data->text().toUtf8());
            else say("notext");
            const QImage image = clipboard->image();
            if (!image.isNull())
                say("image:" + QByteArray::number(image.width()) + "x" + QByteArray::number(image.height()) + ":" +
                    imageSum(image));
            else say("noimage");
            app.quit();
        });
        return app.exec();
    }
    if (mode == QStringLiteral("sum")) {  // the test image's sum, for comparing
        say(imageSum(testImage()));
        return 0;
    }
    if (mode == QStringLiteral("hold-text")) clipboard->setText(args.value(2));
    else if (mode == QStringLiteral("hold-image")) clipboard->setImage(testImage());
    else return 2;
    quitWhenInputCloses(app);
    QTimer::singleShot(0, [] { say("holding"); });
    return app.exec();
}
