#include "platform/http_get.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

namespace orbel::platform {
namespace {

// The network module beside the program, where an installation puts it, or
// in the build tree the program was built in.
StartHttpGetFunction loadModule(QString* why) {
    static QString failure;
    static const StartHttpGetFunction start = [] {
        const QString app = QCoreApplication::applicationDirPath();
        QStringList tried;
        for (const QString& dir : {app, app + QStringLiteral("/../lib/orbel"), QStringLiteral(ORBEL_HTTP_MODULE_DIR)}) {
            const QString path = QDir(dir).filePath(QStringLiteral("orbel-http.so"));
            if (!QFile::exists(path)) continue;
            QLibrary library(path);
            library.setLoadHints(QLibrary::ResolveAllSymbolsHint);
            if (auto f = reinterpret_cast<StartHttpGetFunction>(library.resolve(kStartHttpGetSymbol))) return f;
            tried << library.errorString();
        }
        failure = tried.isEmpty() ? QCoreApplication::translate("HttpGet", "The network module orbel-http.so is missing.")
                                  : tried.join(QStringLiteral("; "));
        return StartHttpGetFunction(nullptr);
    }();
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
