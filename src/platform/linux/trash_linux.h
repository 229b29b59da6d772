#pragma once

#include <QString>
#include <QStringList>

#include "platform/trash.h"

namespace orbel::platform {

// Mount points of the volumes the user keeps files on (not the system's own).
QStringList userVolumes();
// The user's trash folders: $XDG_DATA_HOME/Trash, then on each volume
// .Trash/$UID (when .Trash is a folder, not a link) and .Trash-$UID;
// missing ones included.
QStringList trashFolders(const QStringList& volumes);

// Deletes what a trash folder holds (its files/, info/ and expunged/ and the
// size cache), never following a link out of it; false when something
// could not be removed. A missing folder is already empty.
bool emptyTrashFolder(const QString& root);

}  // namespace orbel::platform
