#include "platform/linux/module_loader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QStringList>

namespace orbel::platform {

void* loadModuleSymbol(const QString& fileName, const char* symbol, QString* why) {
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
    if (why)
        *why = failures.isEmpty() ? QCoreApplication::translate("Modules", "The module %1 is missing.").arg(fileName)
                                  : failures.join(QStringLiteral("; "));
    return nullptr;
}

}  // namespace orbel::platform
