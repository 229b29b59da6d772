#include "config/cycling_index_store.h"

#include <QCryptographicHash>
#include <QPointer>

#include "model/json_writer.h"
#include "platform/main_queue.h"

namespace orbel {

CyclingIndexStore::CyclingIndexStore(QObject* parent) : QObject(parent) {}

CyclingIndexStore& CyclingIndexStore::makeShared() { return platform::processLifetimeInstance<CyclingIndexStore>(); }

std::string CyclingIndexStore::childrenKey(const std::vector<SlotConfig>& children) {
    QCryptographicHash digest(QCryptographicHash::Sha256);
    for (const auto& child : children) {
        SlotConfig copy = child;
        copy.title.clear();
        copy.icon = SlotIcon::automatic();
        const std::string bytes = json::write(copy.toJson(), json::kSortedCompact);
        digest.addData(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
        digest.addData(QByteArrayView("\n", 1));
    }
    return digest.result().toHex().toStdString();
}

std::int64_t CyclingIndexStore::stored(const std::string& key) const { return platform::KeyValueStore::shared().integer(key).value_or(0); }

namespace {
// Maps any stored number into 0 ..< count, negative values included.
std::int64_t wrap(std::int64_t value, std::int64_t count) { return ((value % count) + count) % count; }
}  // namespace

std::int64_t CyclingIndexStore::currentIndex(const std::vector<SlotConfig>& children) const {
    if (children.empty()) return 0;
    const auto count = static_cast<std::int64_t>(children.size());
    return wrap(stored(kDefaultsPrefix + childrenKey(children)), count);
}

void CyclingIndexStore::advance(const std::vector<SlotConfig>& children) {
    if (children.empty()) return;
    const auto count = static_cast<std::int64_t>(children.size());
    const std::string key = kDefaultsPrefix + childrenKey(children);
    // Wrapping first keeps the largest stored integer from overflowing.
    platform::KeyValueStore::shared().setInteger(key, (wrap(stored(key), count) + 1) % count);
    QPointer<CyclingIndexStore> self(this);
    platform::MainQueue::shared().post([self] {
        if (self) Q_EMIT self->changed();
    });
}

}  // namespace orbel
