#pragma once

// XDG desktop entries: reading, finding by id, scanning, and turning an Exec
// line into a command. Pure file logic, shared by the workspace and the
// application directory.

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace orbel::platform::xdg {

// The XDG base folders this process uses.
struct BaseDirs {
    QString configHome;
    QStringList configDirs;
    QString dataHome;
    QStringList dataDirs;
    QStringList currentDesktops;  // $XDG_CURRENT_DESKTOP, lower-cased

    // From the environment with the XDG defaults.
    static BaseDirs fromEnvironment();
    // $XDG_DATA_HOME/applications, then each $XDG_DATA_DIRS/applications.
    QStringList applicationDirs() const;
};

struct DesktopEntry {
    QString id;        // desktop-entry id
    QString location;  // absolute path of the file
    QString type;
    QString name;  // localised
    QString icon;
    QString exec;
    QString tryExec;
    QString workingDir;  // the Path key
    QString startupWMClass;
    QStringList mimeTypes;
    QStringList categories;
    bool noDisplay = false;
    bool hidden = false;
    bool terminal = false;

    // An application entry that may be started (Type=Application, not
    // Hidden, has Exec, its TryExec program exists if given).
    bool isLaunchable() const;
    // Launchable and not NoDisplay: shown in application lists.
    bool isListed() const { return isLaunchable() && !noDisplay; }
};

// Parses the [Desktop Entry] group. `locale` such as "de_DE" picks localised
// Name values (Name[de_DE], then Name[de], then Name). Nothing when the group
// is missing.
std::optional<DesktopEntry> parseDesktopEntry(const QByteArray& content, const QString& locale = {});
// Reads and parses a file; id and location are filled in.
std::optional<DesktopEntry> readDesktopEntry(const QString& path, const QString& id, const QString& locale = {});

// The id of the file at `relativePath` below an applications folder
// ("kde4/konsole.desktop" gives "kde4-konsole").
QString desktopIdFor(const QString& relativePath);

// Finds an entry by id in the folders, earlier folders first. The first file
// with that id decides: a Hidden one means the entry was removed (nothing).
std::optional<DesktopEntry> findDesktopEntry(const QStringList& applicationDirs, const QString& id,
                                             const QString& locale = {});

// Every entry in the folders (recursively), each id once (earlier folders
// shadow later ones), including Hidden and NoDisplay ones; folders that are
// missing or unreadable are skipped. Folder order, then id order.
std::vector<DesktopEntry> scanDesktopEntries(const QStringList& applicationDirs, const QString& locale = {});

// Splits an Exec value into arguments following the desktop-entry quoting
// rules and expands the field codes for a launch without files: %f %F %u %U
// (and the deprecated %d %D %n %N %v %m) are dropped, %i becomes "--icon" and
// the icon, %c the name, %k the location, %% a percent sign. Nothing when the
// quoting is broken or the line is empty.
std::optional<QStringList> execArguments(const DesktopEntry& entry);

// The current locale in the form the Name keys use ("de_DE").
QString currentLocaleName();

}  // namespace orbel::platform::xdg
