#include "platform/linux/gio_module.h"

#include "platform/linux/module_loader.h"

namespace orbel::platform::gio {

const ModuleFunctions* module(QString* why) {
    const auto entry = reinterpret_cast<ModuleEntry>(loadModuleSymbol(QStringLiteral("orbel-gio.so"), kModuleSymbol, why));
    return entry ? entry() : nullptr;
}

}  // namespace orbel::platform::gio
