#include "platform/trash.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QPointer>
#include <QThreadPool>
#include <atomic>

#include "platform/linux/desktop_entry.h"
#include "platform/linux/trash_linux.h"

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

class XdgTrash final : public Trash {
public:
    explicit XdgTrash(QString folder) : folder_(std::move(folder)) {}

    void empty(Completion done) override {
        QString root = folder_.isEmpty() ? xdg::BaseDirs::fromEnvironment().dataHome + QStringLiteral("/Trash") : folder_;
        QThreadPool::globalInstance()->start([root, done = std::move(done)]() mutable {
            // Files first: an info file without its file is harmless, the
            // other way round the file would be lost to the trash view.
            bool ok = emptyFolder(root + QStringLiteral("/files"));
            ok = emptyFolder(root + QStringLiteral("/info")) && ok;
            ok = emptyFolder(root + QStringLiteral("/expunged")) && ok;
            QFile::remove(root + QStringLiteral("/directorysizes"));
            if (done)
                QMetaObject::invokeMethod(
                    QCoreApplication::instance(), [done = std::move(done), ok] { done(ok); }, Qt::QueuedConnection);
        });
    }

private:
    QString folder_;
};

}  // namespace

std::unique_ptr<Trash> makeXdgTrash(std::string trashFolder) {
    return std::make_unique<XdgTrash>(QString::fromStdString(trashFolder));
}

Trash& Trash::makeShared() { return processLifetimeInstance<XdgTrash>(QString()); }

}  // namespace orbel::platform
