#include "platform/bundle.h"

#include <QDir>
#include <QFileInfo>

namespace orbel::platform {
namespace {

// The installed layout (<prefix>/bin/orbel beside <prefix>/share/orbel), then
// a resources folder beside the program, then the source tree the program was
// built from (running from the build tree).
class InstalledBundle final : public Bundle {
public:
    InstalledBundle() {
        const QString exe = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
        const QDir programDir = QFileInfo(exe).absoluteDir();
        const QStringList candidates = {
            programDir.absoluteFilePath(QStringLiteral("../share/orbel")),
            programDir.absoluteFilePath(QStringLiteral("resources")),
            QStringLiteral(ORBEL_SOURCE_RESOURCES),
        };
        for (const QString& candidate : candidates) {
            const QFileInfo info(candidate);
            if (info.isDir()) {
                dir_ = info.canonicalFilePath().toStdString();
                break;
            }
        }
    }

    std::optional<std::string> resourceDir() const override { return dir_; }

private:
    std::optional<std::string> dir_;
};

}  // namespace

Bundle& Bundle::makeShared() { return processLifetimeInstance<InstalledBundle>(); }

}  // namespace orbel::platform
