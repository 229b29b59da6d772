#include "input/hold_binding_names.h"

#include <QCoreApplication>
#include <QString>

#include "model/overloaded.h"

namespace orbel {
namespace {

std::string tr(const char* text) { return QCoreApplication::translate("HoldBinding", text).toStdString(); }

}  // namespace

std::optional<std::string> displayName(const std::optional<HoldBinding>& binding) {
    if (!binding) return std::nullopt;
    return std::visit(Overloaded{
                          [](const HoldBinding::MouseButton& m) -> std::string {
                              switch (m.button) {
                              case 2: return tr("Middle Click");
                              case 3: return tr("Mouse 4 (Back)");
                              case 4: return tr("Mouse 5 (Forward)");
                              default: return tr("Mouse ") + std::to_string(m.button + 1);
                              }
                          },
                          [](const KeyCombination& k) { return k.displayString(); },
                          [](const HoldBinding::HidppButton& h) { return logitechControlName(h.cid); },
                      },
                      binding->value);
}

std::string logitechControlName(std::uint16_t cid) {
    switch (cid) {
    case 0x50: return tr("Logitech: Left Click");
    case 0x51: return tr("Logitech: Right Click");
    case 0x52: return tr("Logitech: Middle Click");
    case 0x53: return tr("Logitech: Back");
    case 0x56: return tr("Logitech: Forward");
    case 0xC3: return tr("Logitech: Side Wheel Click");
    case 0xC4: return tr("Logitech: Gesture Button");
    case 0xD7: return tr("Logitech: DPI Switch");
    default: return tr("Logitech: 0x") + QString::number(cid, 16).toUpper().toStdString();
    }
}

}  // namespace orbel
