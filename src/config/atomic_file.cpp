#include "config/atomic_file.h"

#include <QSaveFile>
#include <QString>

namespace orbel {
namespace {

std::string reasonOf(const QSaveFile& file, const char* fallback) {
    const QString reason = file.errorString();
    return file.error() == QFileDevice::NoError || reason.isEmpty() ? fallback : reason.toStdString();
}

}  // namespace

std::optional<std::string> writeFileAtomically(const std::string& path, std::string_view bytes) {
    // Unbuffered, so that every failed write shows here: a buffered QSaveFile
    // whose final flush fails still commits the truncated temporary file.
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return reasonOf(file, "The file could not be created.");
    const char* next = bytes.data();
    auto left = static_cast<qint64>(bytes.size());
    while (left > 0) {
        const qint64 written = file.write(next, left);
        if (written <= 0) {
            std::string reason = reasonOf(file, "The file could not be written.");
            file.cancelWriting();
            return reason;
        }
        next += written;
        left -= written;
    }
    if (!file.commit()) return reasonOf(file, "The file could not be saved.");
    return std::nullopt;
}

}  // namespace orbel
