#pragma once

// Custom icon images (files the configuration names), read and decoded off
// the GUI thread at the pixel size they are drawn at, and kept in a bounded
// cache. A lookup answers at once: the image when it is ready, nothing while
// it loads or when the file cannot be used (then `loaded` tells the views to
// draw again, and the reason is logged once). A FIFO, a device, a huge photo
// or a file on a stalled mount never holds up the dial.
//
// GUI thread only.

#include <QCache>
#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>
#include <optional>
#include <set>
#include <string>

#include "platform/shared_instance.h"

namespace orbel {

class CustomImages : public QObject, public platform::Shared<CustomImages> {
    Q_OBJECT
public:
    static constexpr qint64 kMaxFileBytes = 64'000'000;  // a large photo
    static constexpr int kCacheKilobytes = 32 * 1024;
    // A file that did not load is tried again after this long (it may have
    // been put in place since).
    static constexpr qint64 kRetryAfterMs = 10'000;

    // The image at `path` ("~/" is the home folder) fitted within `pixels`
    // (never enlarged); nothing until it has loaded, or when it cannot load.
    std::optional<QImage> image(const QString& path, QSize pixels);
    // Whether a lookup of `path` at `pixels` is still loading.
    bool isLoading(const QString& path, QSize pixels) const;
    // Why the last read of `path` at `pixels` gave no picture ("“a.png”
    // holds no picture."); nothing while it loads, when it loaded, or when
    // it was never asked for.
    std::optional<std::string> problem(const QString& path, QSize pixels) const;

Q_SIGNALS:
    // A read finished; lookups may answer differently now.
    void loaded();

private:
    friend platform::Shared<CustomImages>;
    static CustomImages& makeShared();

    struct Entry {
        QImage image;  // null: the file did not load
        qint64 failedAt = 0;  // then when, on the monotonic clock (ms)
        std::string error;    // and why
    };
    QCache<QString, Entry> images_{kCacheKilobytes};
    std::set<QString> loading_;
    std::set<QString> reported_;  // paths whose failure was logged
};

}  // namespace orbel
