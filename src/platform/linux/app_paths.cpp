#include "platform/app_paths.h"

#include <QDir>
#include <QString>
#include <atomic>
#include <cstdlib>

namespace orbel::platform {
namespace {

class XdgAppPaths final : public AppPaths {
public:
    std::string configDir() const override {
        const char* xdg = std::getenv("XDG_CONFIG_HOME");
        QString base = (xdg && *xdg && QDir::isAbsolutePath(QString::fromLocal8Bit(xdg)))
                           ? QString::fromLocal8Bit(xdg)
                           : QDir::homePath() + QStringLiteral("/.config");
        return (base + QStringLiteral("/orbel")).toStdString();
    }
};

}  // namespace

AppPaths& AppPaths::makeShared() { return processLifetimeInstance<XdgAppPaths>(); }

}  // namespace orbel::platform
