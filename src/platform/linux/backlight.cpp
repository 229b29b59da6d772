#include "platform/linux/backlight.h"

#include <QDir>
#include <QFile>
#include <cmath>

namespace orbel::platform::xdg {
namespace {

std::optional<int> readInt(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
    bool ok = false;
    int v = QString::fromLatin1(f.read(64)).trimmed().toInt(&ok);
    return ok ? std::optional<int>(v) : std::nullopt;
}

int typeRank(const QString& type) {
    if (type == QLatin1String("firmware")) return 0;
    if (type == QLatin1String("platform")) return 1;
    return 2;
}

}  // namespace

std::optional<Backlight> findBacklight(const QString& root) {
    std::optional<Backlight> best;
    int bestRank = 99;
    QDir dir(root);
    for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System, QDir::Name)) {
        const QString base = root + QLatin1Char('/') + name + QLatin1Char('/');
        auto max = readInt(base + QStringLiteral("max_brightness"));
        auto cur = readInt(base + QStringLiteral("actual_brightness"));
        if (!cur) cur = readInt(base + QStringLiteral("brightness"));
        if (!max || *max <= 0 || !cur) continue;
        QFile typeFile(base + QStringLiteral("type"));
        QString type = typeFile.open(QIODevice::ReadOnly) ? QString::fromLatin1(typeFile.readAll()).trimmed() : QString();
        int rank = typeRank(type);
        if (rank < bestRank) {
            best = Backlight{name, qBound(0, *cur, *max), *max};
            bestRank = rank;
        }
    }
    return best;
}

int rawBrightness(double level, int maxBrightness) {
    if (!(level >= 0)) level = 0;
    if (level > 1) level = 1;
    int raw = int(std::lround(level * maxBrightness));
    return maxBrightness > 1 ? qMax(1, raw) : raw;
}

}  // namespace orbel::platform::xdg
