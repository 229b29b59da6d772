#include "platform/trash.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QPointer>
#include <QThreadPool>

#include "platform/linux/gio_include.h"
#include "platform/linux/trash_linux.h"

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
    const gchar* const* schemes = g_vfs_get_supported_uri_schemes(g_vfs_get_default());
    if (!schemes || !g_strv_contains(schemes, "trash")) return false;
    gio::Ref<GFile> trash(g_file_new_for_uri("trash:///"));
    gio::Ref<GFileEnumerator> items(g_file_enumerate_children(trash.get(), G_FILE_ATTRIBUTE_STANDARD_NAME,
                                                              G_FILE_QUERY_INFO_NOFOLLOW_SYMLINKS, nullptr, nullptr));
    if (!items) return false;
    ok = true;
    while (true) {
        GFile* child = nullptr;
        if (!g_file_enumerator_iterate(items.get(), nullptr, &child, nullptr, nullptr)) {
            ok = false;
            break;
        }
        if (!child) break;
        ok = g_file_delete(child, nullptr, nullptr) && ok;  // owned by the enumerator
    }
    return true;
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
    QStringList tops;
    GList* mounts = g_unix_mounts_get(nullptr);
    for (GList* m = mounts; m; m = m->next) {
        auto* mount = static_cast<GUnixMountEntry*>(m->data);
        if (!g_unix_mount_is_system_internal(mount)) tops << QString::fromUtf8(g_unix_mount_get_mount_path(mount));
    }
    g_list_free_full(mounts, reinterpret_cast<GDestroyNotify>(g_unix_mount_free));
    return tops;
}

QStringList trashFolders(const QStringList& volumes) {
    QStringList folders{QString::fromUtf8(g_get_user_data_dir()) + QStringLiteral("/Trash")};
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
