#include "platform/bundle.h"

#include <QFileInfo>

namespace orbel::platform {

std::optional<std::string> Bundle::resourcePath(std::string_view name, std::string_view extension,
                                                std::string_view subfolder) const {
    const auto dir = resourceDir();
    if (!dir) return std::nullopt;
    const std::string file = std::string(name) + "." + std::string(extension);
    for (const std::string& candidate :
         {subfolder.empty() ? std::string() : *dir + "/" + std::string(subfolder) + "/" + file, *dir + "/" + file}) {
        if (!candidate.empty() && QFileInfo(QString::fromStdString(candidate)).isFile()) return candidate;
    }
    return std::nullopt;
}

}  // namespace orbel::platform
