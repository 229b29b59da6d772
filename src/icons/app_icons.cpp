#include "icons/app_icons.h"

#include <QFileInfo>
#include <algorithm>
#include <chrono>

#include "icons/custom_images.h"
#include "platform/clock.h"
#include "platform/icon_themes.h"
#include "platform/peer_file.h"

namespace orbel {
namespace {

qint64 monotonicMs() {
    const auto now = platform::Clock::shared().monotonicNow().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
}

}  // namespace

std::optional<QImage> AppIcons::image(const QString& icon, QSize pixels) {
    if (icon.isEmpty()) return std::nullopt;
    pixels = pixels.expandedTo(QSize(1, 1));
    // A path is read as it stands; a name is looked for in the themes first.
    if (QFileInfo(icon).isAbsolute()) return CustomImages::shared().image(icon, pixels);
    const QString key = QString::number(std::max(pixels.width(), pixels.height())) + QLatin1Char('|') + icon;
    if (const auto it = found_.constFind(key); it != found_.constEnd()) {
        if (!it->file.isEmpty()) return CustomImages::shared().image(it->file, pixels);
        if (monotonicMs() - it->at < kRetryAfterMs) return std::nullopt;
        found_.erase(it);
    }
    if (!looking_.insert(key).second) return std::nullopt;
    const int side = std::max(pixels.width(), pixels.height());
    platform::readOffGuiThread<QString>(
        this, [icon, side, lookup = lookup_, search = platform::sessionIconSearch()] { return lookup(icon, side, search); },
        [this, key, pixels](QString file) {
            looking_.erase(key);
            if (found_.size() > 2000) found_.clear();
            found_.insert(key, Found{file, monotonicMs()});
            // Its picture is read next; the views draw again when it is in
            // (at once, when another name led to it before).
            if (!file.isEmpty() && CustomImages::shared().image(file, pixels)) Q_EMIT CustomImages::shared().loaded();
        });
    return std::nullopt;
}

AppIcons& AppIcons::makeShared() { return platform::processLifetimeInstance<AppIcons>(); }

}  // namespace orbel
