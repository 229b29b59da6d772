#pragma once

// Icon themes as the desktop keeps them: an icon name ("firefox") found in
// the themes' folders by the icon theme rules (the closest size, the theme's
// parents, then "hicolor", then the loose pictures). Only regular files are
// chosen, and each index.theme is read as a peer file: a pipe there reads as
// nothing. Reads files: never on the GUI thread.

#include <QString>
#include <QStringList>

namespace orbel::platform {

// Where a theme icon is looked for: the themes in order of preference, the
// folders holding themes, and the folders of loose pictures.
struct IconSearch {
    QStringList themes;
    QStringList themeFolders;
    QStringList pictureFolders;
};

// This session's: its icon theme, its fallback and "hicolor", in the XDG
// icon folders.
IconSearch sessionIconSearch();

// The file of the theme icon `name` closest to `pixels` in size; empty when
// there is none.
QString findThemeIcon(const QString& name, int pixels, const IconSearch& search);

}  // namespace orbel::platform
