#pragma once

// Files for test fixtures.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/login_item.h"

namespace orbel::testing {

// Writes a file, making its folder first.
inline void writeFile(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
}

// The id of a process that has ended: as a killed writer's is.
inline pid_t endedProcess() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

// `argument` as one argument of a desktop entry's Exec line, whatever its
// characters (a build folder's spaces, "$", quotes).
inline QByteArray execArgument(const QString& argument) {
    return QByteArray::fromStdString(platform::LoginItem::execArgument(argument.toStdString()));
}

// A copy of the library `library` that LD_PRELOAD can name: ld.so splits that
// list at spaces and colons and knows no quotes, so the copy is made in the
// temporary folder, or in /tmp when that folder's path holds either.
class PreloadableCopy {
public:
    explicit PreloadableCopy(const QString& library)
        : folder_((QDir::tempPath().contains(QRegularExpression("[\\s:]")) ? QStringLiteral("/tmp")
                                                                             : QDir::tempPath()) +
                  "/orbel-preload-XXXXXX"),
          path_(folder_.filePath(QFileInfo(library).fileName())),
          copied_(folder_.isValid() && QFile::copy(library, path_)) {}
    // The copy's path; empty when it could not be made.
    QString path() const { return copied_ ? path_ : QString(); }

private:
    QTemporaryDir folder_;
    QString path_;
    bool copied_;
};

}  // namespace orbel::testing
