#include "platform/linux/module_loader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QStringList>
#include <map>
#include <mutex>
#include <string>
#include <utility>

namespace orbel::platform {

namespace {

// Looks the module up and loads it; null with the reason in `why`.
void* load(const QString& fileName, const char* symbol, QString& why) {
    const QString app = QCoreApplication::applicationDirPath();
    QStringList failures;
    for (const QString& dir : {app, app + QStringLiteral("/../lib/orbel"), QStringLiteral(ORBEL_MODULE_DIR)}) {
        const QString path = QDir(dir).filePath(fileName);
        if (!QFile::exists(path)) continue;
        QLibrary library(path);
        library.setLoadHints(QLibrary::ResolveAllSymbolsHint);
        if (!library.load()) {
            failures << library.errorString();
        } else if (QFunctionPointer f = library.resolve(symbol)) {
            return reinterpret_cast<void*>(f);
        } else {
            failures << QCoreApplication::translate("Modules", "%1 has no %2.").arg(path, QString::fromLatin1(symbol));
        }
    }
    why = failures.isEmpty() ? QCoreApplication::translate("Modules", "The module %1 is missing.").arg(fileName)
                             : failures.join(QStringLiteral("; "));
    return nullptr;
}

}  // namespace

void* loadModuleSymbol(const QString& fileName, const char* symbol, QString* why) {
    struct Outcome {
        void* function;
        QString why;
    };
    static std::mutex mutex;
    static std::map<std::pair<QString, std::string>, Outcome> outcomes;  // one attempt each
    std::lock_guard lock(mutex);
    const auto key = std::make_pair(fileName, std::string(symbol));
    auto it = outcomes.find(key);
    if (it == outcomes.end()) {
        Outcome outcome{nullptr, {}};
        outcome.function = load(fileName, symbol, outcome.why);
        it = outcomes.emplace(key, outcome).first;
    }
    if (!it->second.function && why) *why = it->second.why;
    return it->second.function;
}

}  // namespace orbel::platform
