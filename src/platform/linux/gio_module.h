#pragma once

// GIO's part of the program, in a module of its own (orbel-gio.so) loaded
// the first time an application is launched or the trash is emptied: GIO
// and GObject stay out of a session until then.

#include <QString>
#include <QStringList>
#include <functional>

namespace orbel::platform::gio {

// X startup notification for launches, sent by the program: `begin` announces
// a start and returns its startup id ("new: ..."); `failed` ends the
// announcement of a start that failed ("remove: ..."). It must live as long
// as the process: a D-Bus activation reports its failure later.
struct LaunchAnnouncer {
    struct Start {
        QString program;  // the Exec line's program, without folder
        QString name;
        QString wmClass;   // StartupWMClass, may be empty
        QString file;      // the desktop entry's path
        QString icon;      // a theme icon's name, may be empty
    };
    std::function<QString(const Start&)> begin;
    std::function<void(const QString& id)> failed;
};

struct ModuleFunctions {
    // Starts the desktop entry at `location` without waiting: field codes
    // expanded, D-Bus activation when the entry asks for it, in `home`
    // unless the entry names a Path of its own. `announcer` is null where
    // there is no X server. False when it cannot be started.
    bool (*launch)(const QString& location, const QString& home, const LaunchAnnouncer* announcer);
    // Empties every trash through gvfs's trash:///; false when gvfs does not
    // serve it. `ok` turns false when something could not be removed.
    bool (*emptyTrash)(bool& ok);
    // The mount points of the volumes the user keeps files on (GIO's
    // choice: the system's internal mounts are left out).
    QStringList (*userVolumes)();
};

// The module's functions, loaded once; null with `why` set when it cannot be.
const ModuleFunctions* module(QString* why = nullptr);

using ModuleEntry = const ModuleFunctions* (*)();
inline constexpr const char* kModuleSymbol = "orbel_gio_module";

}  // namespace orbel::platform::gio
