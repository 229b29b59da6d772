#include "platform/trash.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QPointer>
#include <QThreadPool>

#include "platform/linux/gio_module.h"
#include "platform/linux/trash_linux.h"
#include "platform/linux/xdg_folders.h"

#include <unistd.h>

namespace orbel::platform {
namespace {

// Removes one entry of a trash folder. Symbolic links are removed, never
// followed; folders the user made read-only are made writable first.
bool removeEntry(const QFileInfo& info) {
    const QString path = info.absoluteFilePath();
    if (info.isSymLink() || !info.isDir()) return QFile::remove(path);
    QFile::setPermissions(path, QFile::permissions(path) | QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QDirIterator it(path, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        QFileInfo sub = it.fileInfo();
        if (!sub.isSymLink())
            QFile::setPermissions(sub.absoluteFilePath(),
                                  sub.permissions() | QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    return QDir(path).removeRecursively();
}

bool emptyFolder(const QString& folder) {
    QDir dir(folder);
    if (!dir.exists()) return true;
    bool ok = true;
    for (const QFileInfo& info : dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))
        ok = removeEntry(info) && ok;
    return ok;
}

// gvfs's trash: location lists every trash of every mounted volume; without
// gvfs the same folders are found from the mount table.
bool emptyThroughGvfs(bool& ok) {
    const gio::ModuleFunctions* gio = gio::module();
    return gio && gio->emptyTrash(ok);
}

class XdgTrash final : public Trash {
public:
    void empty(Completion done) override {
        QThreadPool::globalInstance()->start([done = std::move(done)]() mutable {
            bool ok = true;
            if (!emptyThroughGvfs(ok))
                for (const QString& folder : trashFolders(userVolumes())) ok = emptyTrashFolder(folder) && ok;
            if (done)
                QMetaObject::invokeMethod(
                    QCoreApplication::instance(), [done = std::move(done), ok] { done(ok); }, Qt::QueuedConnection);
        });
    }
};

}  // namespace

// Where removable and other user volumes are mounted (GIO's own choice:
// the system's internal mounts are left out).
QStringList userVolumes() {
    const gio::ModuleFunctions* gio = gio::module();
    return gio ? gio->userVolumes() : QStringList();
}

QStringList trashFolders(const QStringList& volumes) {
    QStringList folders{xdg::dataHome() + QStringLiteral("/Trash")};
    const QString uid = QString::number(getuid());
    for (const QString& top : volumes) {
        // The shared .Trash counts only when it is a folder, not a link.
        const QFileInfo shared(top + QStringLiteral("/.Trash"));
        if (shared.isDir() && !shared.isSymLink()) folders << shared.filePath() + QLatin1Char('/') + uid;
        folders << top + QStringLiteral("/.Trash-") + uid;
    }
    folders.removeDuplicates();
    return folders;
}

bool emptyTrashFolder(const QString& root) {
    // Files first: an info file without its file is harmless, the other way
    // round the file would be lost to the trash view.
    bool ok = emptyFolder(root + QStringLiteral("/files"));
    ok = emptyFolder(root + QStringLiteral("/info")) && ok;
    ok = emptyFolder(root + QStringLiteral("/expunged")) && ok;
    QFile::remove(root + QStringLiteral("/directorysizes"));
    return ok;
}

Trash& Trash::makeShared() { return processLifetimeInstance<XdgTrash>(); }

}  // namespace orbel::platform
