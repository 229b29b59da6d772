#include "platform/linux/gio_module.h"

#include "platform/linux/module_loader.h"

namespace orbel::platform::gio {

const ModuleFunctions* module(QString* why) {
    static QString failure;
    static const ModuleFunctions* functions = [] {
        auto entry = reinterpret_cast<ModuleEntry>(loadModuleSymbol(QStringLiteral("orbel-gio.so"), kModuleSymbol, &failure));
        return entry ? entry() : nullptr;
    }();
    if (!functions && why) *why = failure;
    return functions;
}

}  // namespace orbel::platform::gio
