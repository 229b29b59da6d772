#include "editor/editor_painting.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>
#include <QHash>
#include <QIcon>
#include <QPainterPath>
#include <QPointer>
#include <memory>

#include "dial/dial_painter.h"
#include "platform/symbols.h"
#include "platform/workspace.h"

namespace orbel::editor {

QImage previewImage(const SlotImage& picture, double size, const QColor& tint, double dpr) {
    return dial::defaultSlotImage(picture, size, tint, dpr);
}

QIcon symbolIcon(std::string_view symbol, double size, const QColor& color, double dpr) {
    return QIcon(QPixmap::fromImage(platform::Symbols::shared().image(std::string(symbol), size, color, dpr)));
}

void paintSymbolIn(QPainter& p, QRectF box, std::string_view symbol, const QColor& color) {
    dial::paintSymbol(p, symbol, box, color);
}

void paintSymbolBadge(QPainter& p, QRectF box, std::string_view symbol, const QColor& color) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath square;
    const double r = 0.22 * box.width();
    square.addRoundedRect(box, r, r);
    p.fillPath(square, withAlpha(color, 0.18));
    const double s = box.width() * 0.5;
    dial::paintSymbol(p, symbol, QRectF(box.center().x() - s / 2, box.center().y() - s / 2, s, s), color);
    p.restore();
}

QMimeData* payloadMimeData(const SlotDragPayload& payload) {
    auto* mime = new QMimeData;
    mime->setText(QString::fromStdString(payload.exportString()));  // text/plain;charset=utf-8
    return mime;
}

std::optional<std::string> dragText(const QMimeData* mime) {
    if (!mime) return std::nullopt;
    std::optional<std::string> text;
    if (mime->hasText()) text = mime->text().toStdString();
    if (text && decodeSlotPayload(text)) return text;
    if (mime->hasUrls()) {
        if (const auto entry = desktopEntryPayload(mime->urls()); entry.value()) return entry.value()->exportString();
    }
    return text;
}

platform::Lookup<SlotDragPayload> desktopEntryPayload(const QList<QUrl>& urls) {
    using Answer = platform::Lookup<SlotDragPayload>;
    static const QString kSuffix = QStringLiteral(".desktop");
    static const QString kFolder = QStringLiteral("/applications/");
    // One application per drop: the ring takes one item at a time.
    if (urls.size() != 1 || !urls.front().isLocalFile()) return Answer::none();
    const QString path = QDir::cleanPath(urls.front().toLocalFile());
    if (!path.endsWith(kSuffix)) return Answer::none();
    QStringList ids;
    if (const auto below = path.lastIndexOf(kFolder); below >= 0)
        ids << path.mid(below + kFolder.size()).chopped(kSuffix.size()).replace(QLatin1Char('/'), QLatin1Char('-'));
    ids << path.mid(path.lastIndexOf(QLatin1Char('/')) + 1).chopped(kSuffix.size());
    for (const QString& id : ids) {
        if (id.isEmpty()) continue;
        // Only an entry found under its own id: a stock dial's stand-in
        // name must not turn a stray file into the default browser.
        const auto lookup = platform::Workspace::shared().applicationFor(id.toStdString());
        if (lookup.isNotKnownYet()) return Answer::notKnownYet();
        if (const auto* app = lookup.value(); app && app->bundleId == id.toStdString())
            return Answer::found(SlotDragPayload::libraryApp(app->bundleId, app->name));
    }
    return Answer::none();
}

bool awaitsApplications(const QMimeData* mime) {
    return mime && mime->hasUrls() && desktopEntryPayload(mime->urls()).isNotKnownYet();
}

void whenJudged(const QMimeData* mime, QObject* context, std::function<void(const std::optional<std::string>&)> judge) {
    // The drag's data goes with its event: what is judged later is a copy.
    auto copy = std::make_shared<QMimeData>();
    copy->setUrls(mime->urls());
    if (mime->hasText()) copy->setText(mime->text());
    platform::Workspace::shared().whenApplicationsKnown([self = QPointer<QObject>(context), copy, judge = std::move(judge)] {
        // Known now: the entry is judged as any other drop of it.
        if (self) judge(dragText(copy.get()));
    });
}

QColor withAlpha(QColor color, double opacity) {
    color.setAlphaF(float(color.alphaF() * opacity));
    return color;
}

ColorScheme schemeOf(const QPalette& palette) {
    const QColor c = palette.color(QPalette::Window);
    return colorSchemeForWindowColor(Rgb{c.redF(), c.greenF(), c.blueF()});
}

QColor systemBlue() { return QColor(0, 122, 255); }

}  // namespace orbel::editor
