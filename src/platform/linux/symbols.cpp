#include "platform/symbols.h"

#include <QFile>
#include <QFont>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <map>
#include <mutex>

#include "platform/bundle.h"
#include "platform/svg_image.h"

namespace orbel::platform {
namespace {

constexpr const char* kQuestionMark = "questionmark";

struct Drawing {
    std::string body;
    double width = 24;
    double height = 24;
};

// The bundled symbol set, Symbols/symbols.json: {"name": {"svgBody", "width",
// "height"}, ...}, read on first use.
class BundledSymbols final : public Symbols {
public:
    bool has(const std::string& name) const override { return drawings().count(name) > 0; }

    QImage image(const std::string& name, double size, const QColor& color, double dpr) const override {
        const auto& all = drawings();
        auto found = all.find(name);
        if (found == all.end()) found = all.find(kQuestionMark);
        if (found != all.end()) {
            const Drawing& d = found->second;
            const std::string document = svgDocument(d.body, size, d.width, d.height, svgColor(color));
            if (auto image = renderSvg(document, size, dpr, color.alphaF())) return *image;
        }
        return questionMarkGlyph(size, color, dpr);
    }

    std::vector<std::string> names() const override {
        std::vector<std::string> out;
        for (const auto& [name, drawing] : drawings()) out.push_back(name);
        return out;
    }

private:
    const std::map<std::string, Drawing>& drawings() const {
        std::call_once(loaded_, [this] {
            const auto path = Bundle::shared().resourcePath("symbols", "json", "Symbols");
            if (!path) return;
            QFile file(QString::fromStdString(*path));
            if (!file.open(QIODevice::ReadOnly)) return;
            const QJsonObject all = QJsonDocument::fromJson(file.readAll()).object();
            for (auto it = all.begin(); it != all.end(); ++it) {
                const QJsonObject entry = it.value().toObject();
                if (!entry.value("svgBody").isString()) continue;
                drawings_[it.key().toStdString()] = {entry.value("svgBody").toString().toStdString(),
                                                     entry.value("width").toDouble(24),
                                                     entry.value("height").toDouble(24)};
            }
        });
        return drawings_;
    }

    // Without the symbol set: a "?" in the default font.
    static QImage questionMarkGlyph(double size, const QColor& color, double dpr) {
        const int pixels = std::max(1, qRound(size * dpr));
        QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        image.setDevicePixelRatio(dpr);
        QPainter painter(&image);
        QFont font;
        font.setPixelSize(std::max(1, qRound(size * 0.8)));
        painter.setFont(font);
        painter.setPen(color);
        painter.drawText(QRectF(0, 0, size, size), Qt::AlignCenter, QStringLiteral("?"));
        return image;
    }

    mutable std::once_flag loaded_;
    mutable std::map<std::string, Drawing> drawings_;
};

}  // namespace

Symbols& Symbols::makeShared() { return processLifetimeInstance<BundledSymbols>(); }

}  // namespace orbel::platform
