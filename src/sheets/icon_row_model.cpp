#include "sheets/icon_row_model.h"

#include <QFileInfo>
#include <QString>

#include "model/overloaded.h"
#include "sheets/sheet_rules.h"

namespace orbel::icon_row {

std::string title(const SlotIcon& icon, const PackName& packName) {
    return std::visit(Overloaded{
                          [&](const SlotIcon::SymbolPack& p) { return packName ? packName(p.pack) : std::string(); },
                          [](const SlotIcon::Text&) { return sheets::tr("Text"); },
                          [](const SlotIcon::CustomImage&) { return sheets::tr("Custom image"); },
                          [](const SlotIcon::Auto&) { return sheets::tr("Default"); },
                      },
                      icon.value);
}

std::string subtitle(const SlotIcon& icon) {
    return std::visit(Overloaded{
                          [](const SlotIcon::SymbolPack& p) { return p.name; },
                          [](const SlotIcon::Text& t) { return "\u201C" + t.text + "\u201D"; },
                          [](const SlotIcon::CustomImage& c) {
                              QString path = QString::fromStdString(c.path);
                              while (path.size() > 1 && path.endsWith('/')) path.chop(1);
                              return QFileInfo(path).fileName().toStdString();
                          },
                          [](const SlotIcon::Auto&) { return sheets::tr("The slot's built-in icon"); },
                      },
                      icon.value);
}

}  // namespace orbel::icon_row
