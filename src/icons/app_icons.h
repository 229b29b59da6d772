#pragma once

// Applications' icons, as their desktop entries name them: a path, or a
// theme icon name ("firefox") looked up in the icon themes
// (platform/icon_themes.h). Both are files another program names, so
// neither is ever opened on the GUI thread: the theme lookup runs on a
// peer-file reader thread, and the file
// found is read and decoded as a custom image is (regular files only,
// opened without blocking, bounded; see CustomImages). A lookup answers at
// once: the image when it is ready, nothing while it loads or when there is
// none; CustomImages::loaded tells the views to draw again.
//
// GUI thread only.

#include <QHash>
#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>
#include <functional>
#include <optional>
#include <set>

#include "platform/icon_themes.h"
#include "platform/shared_instance.h"

namespace orbel {

class AppIcons : public QObject, public platform::Shared<AppIcons> {
    Q_OBJECT
public:
    // A theme name not found is looked for again after this long (a theme
    // may have been installed since).
    static constexpr qint64 kRetryAfterMs = 30'000;

    // How a theme name is found (platform::findThemeIcon): run on a reader thread.
    using ThemeLookup = std::function<QString(const QString& name, int pixels, const platform::IconSearch& search)>;
    // The shared instance finds names in the session's icon themes; a test
    // makes its own, with nothing cached, and may look names up its way.
    explicit AppIcons(ThemeLookup lookup = platform::findThemeIcon) : lookup_(std::move(lookup)) {}

    // The icon `icon` names, fitted within `pixels`; nothing until it has
    // been found and read, or when it cannot be.
    std::optional<QImage> image(const QString& icon, QSize pixels);

private:
    friend platform::Shared<AppIcons>;
    static AppIcons& makeShared();

    struct Found {
        QString file;  // empty: none
        qint64 at = 0;  // when it was looked for, on the monotonic clock (ms)
    };
    ThemeLookup lookup_;
    QHash<QString, Found> found_;  // by pixel size and name
    std::set<QString> looking_;
};

}  // namespace orbel
