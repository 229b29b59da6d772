#include "platform/linux/module_loader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <QStringList>
#include <map>
#include <mutex>
#include <string>
#include <utility>

namespace orbel::platform {

namespace {

// Where modules are looked for: beside the program and where its
// installation puts them, the program's folder taken from /proc/self/exe
// (neither argv[0] nor the working folder). The build tree's module folder
// only for a program that runs from that build tree: an installed program
// never loads what sits where it was once built, a folder that may since
// have gone and been made again by someone else.
QStringList moduleFolders() {
    const QString program = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    if (program.isEmpty()) return {};
    const QString folder = QFileInfo(program).absolutePath();
    QStringList folders{folder, QDir::cleanPath(folder + QStringLiteral("/../lib/orbel"))};
    const QString tree = QDir(QStringLiteral(ORBEL_BUILD_TREE)).canonicalPath();
    if (!tree.isEmpty() && (folder == tree || folder.startsWith(tree + QLatin1Char('/'))))
        folders << QStringLiteral(ORBEL_MODULE_DIR);
    return folders;
}

// Looks the module up and loads it; null with the reason in `why`.
void* load(const QString& fileName, const char* symbol, QString& why) {
    QStringList failures;
    for (const QString& dir : moduleFolders()) {
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
