#pragma once

// The XDG base folders of this session, from the environment as it is now.
// Not Qt's standard locations: those take a relative $XDG_DATA_HOME,
// $XDG_CONFIG_HOME or $XDG_CONFIG_DIRS as written, where the base-directory
// rules ignore them; the trash must never be a folder relative to wherever
// Orbel was started.

#include <QString>
#include <QStringList>

namespace orbel::platform::xdg {

// $XDG_DATA_HOME, else ~/.local/share.
QString dataHome();
// Where desktop entries are looked for, most important first: the
// "applications" folders of $XDG_DATA_HOME and $XDG_DATA_DIRS.
QStringList applicationFolders();
// $XDG_CONFIG_HOME (else ~/.config), then $XDG_CONFIG_DIRS (else /etc/xdg).
QStringList configFolders();
// $XDG_CURRENT_DESKTOP's names, as written.
QStringList currentDesktops();

}  // namespace orbel::platform::xdg
