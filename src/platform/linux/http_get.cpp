#include "platform/http_get.h"

#include "platform/linux/module_loader.h"

namespace orbel::platform {

std::unique_ptr<HttpGet> startHttpGet(const HttpGetRequest& request, HttpGet::Handlers handlers, QString* why) {
    const auto start =
        reinterpret_cast<StartHttpGetFunction>(loadModuleSymbol(QStringLiteral("orbel-http.so"), kStartHttpGetSymbol, why));
    if (!start) return nullptr;
    return std::unique_ptr<HttpGet>(start(&request, &handlers));
}

}  // namespace orbel::platform
