#include "platform/fonts.h"

#include <QFontDatabase>
#include <QRawFont>
#include <QtEndian>
#include <map>

namespace orbel::platform {
namespace {

// The PostScript name (name record 6) of a font's naming table.
std::optional<std::string> postScriptName(const QByteArray& table) {
    auto u16 = [&](qsizetype at) -> std::optional<quint16> {
        if (at < 0 || at + 2 > table.size()) return std::nullopt;
        return qFromBigEndian<quint16>(table.constData() + at);
    };
    const auto count = u16(2), storage = u16(4);
    if (!count || !storage) return std::nullopt;
    for (int i = 0; i < *count; ++i) {
        const qsizetype record = 6 + 12 * i;
        const auto platformId = u16(record), nameId = u16(record + 6), length = u16(record + 8),
                   offset = u16(record + 10);
        if (!platformId || !nameId || !length || !offset || *nameId != 6) continue;
        const qsizetype start = qsizetype(*storage) + *offset;
        if (start + *length > table.size()) continue;
        const QByteArray bytes = table.mid(start, *length);
        if (*platformId == 1) return bytes.toStdString();
        if ((*platformId == 0 || *platformId == 3) && bytes.size() % 2 == 0) {
            QString text;
            for (qsizetype at = 0; at < bytes.size(); at += 2)
                text += QChar(qFromBigEndian<quint16>(bytes.constData() + at));
            return text.toStdString();
        }
    }
    return std::nullopt;
}

class ApplicationFonts final : public Fonts {
public:
    bool registerFontFile(const std::string& path) override {
        const QString file = QString::fromStdString(path);
        const int id = QFontDatabase::addApplicationFont(file);
        if (id < 0) return false;
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        const QRawFont raw(file, 12);
        if (raw.isValid() && !families.isEmpty()) {
            if (auto name = postScriptName(raw.fontTable("name")))
                byPostScriptName_[*name] = {families.front(), raw.styleName()};
        }
        return true;
    }

    std::optional<QFont> font(const std::string& postScriptName, double pointSize) const override {
        const auto found = byPostScriptName_.find(postScriptName);
        if (found == byPostScriptName_.end()) return std::nullopt;
        QFont font(found->second.first);
        font.setStyleName(found->second.second);
        font.setPointSizeF(pointSize > 0 ? pointSize : 1);
        return font;
    }

private:
    std::map<std::string, std::pair<QString, QString>> byPostScriptName_;  // -> family, style
};

}  // namespace

Fonts& Fonts::makeShared() { return processLifetimeInstance<ApplicationFonts>(); }

}  // namespace orbel::platform
