#pragma once

// Orbel's own modules (orbel-http.so, orbel-gio.so): parts that bring large
// libraries with them, loaded the first time they are needed so that a
// session that never needs them never carries those libraries.

#include <QString>

namespace orbel::platform {

// The exported function `symbol` of the module `fileName`, looked for
// beside the program and where an installation puts it (../lib/orbel), and
// by a program run from its build tree in that tree's module folder too.
// Null with `why` set (a message for the user) when it cannot be loaded.
// Each is looked for once; later calls give the first answer. Safe from
// any thread.
void* loadModuleSymbol(const QString& fileName, const char* symbol, QString* why);

}  // namespace orbel::platform
