#include "platform/http_get.h"

#include "platform/linux/module_loader.h"

namespace orbel::platform {
namespace {

// Loaded once; a module that could not be loaded is not looked for again.
StartHttpGetFunction loadModule(QString* why) {
    static QString failure;
    static const auto start =
        reinterpret_cast<StartHttpGetFunction>(loadModuleSymbol(QStringLiteral("orbel-http.so"), kStartHttpGetSymbol, &failure));
    if (!start && why) *why = failure;
    return start;
}

}  // namespace

std::unique_ptr<HttpGet> startHttpGet(const HttpGetRequest& request, HttpGet::Handlers handlers, QString* why) {
    StartHttpGetFunction start = loadModule(why);
    if (!start) return nullptr;
    return std::unique_ptr<HttpGet>(start(&request, &handlers));
}

}  // namespace orbel::platform
