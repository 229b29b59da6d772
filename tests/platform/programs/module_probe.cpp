// Loads the network module as the program does and prints the file it was
// loaded from, or why it was not. The module tests copy it into a
// temporary installation.
#include <dlfcn.h>

#include <QCoreApplication>
#include <cstdio>

#include "platform/linux/module_loader.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QString why;
    void* function = orbel::platform::loadModuleSymbol(QStringLiteral("orbel-http.so"), "orbel_start_http_get", &why);
    Dl_info info{};
    if (function && dladdr(function, &info))
        std::printf("loaded %s\n", info.dli_fname);
    else
        std::printf("not loaded: %s\n", qPrintable(why));
    return 0;
}
