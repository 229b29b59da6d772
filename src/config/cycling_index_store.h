#pragma once

// Remembers, per cycling slot, which child runs next. A cycling slot has no
// stable identity, so its position is filed under a digest of its children's
// content (titles and icons left out).

#include <QObject>
#include <string>
#include <vector>

#include "model/slot_config.h"
#include "platform/key_value_store.h"
#include "platform/shared_instance.h"

namespace orbel {

class CyclingIndexStore : public QObject, public platform::Shared<CyclingIndexStore> {
    Q_OBJECT

public:
    static constexpr const char* kDefaultsPrefix = "orbel.cycle.idx.";

    // Keeps the indices in the shared key-value store.
    explicit CyclingIndexStore(QObject* parent = nullptr);

    // The index of the current child, in 0 ..< children.size() (0 without children).
    std::int64_t currentIndex(const std::vector<SlotConfig>& children) const;
    // Moves on to the next child and announces the change on the GUI thread.
    void advance(const std::vector<SlotConfig>& children);
    // 64 lower-case hex digits: SHA-256 over each child's sorted-key JSON
    // (title emptied, icon automatic) followed by a line feed.
    static std::string childrenKey(const std::vector<SlotConfig>& children);

Q_SIGNALS:
    void changed();

private:
    friend platform::Shared<CyclingIndexStore>;
    static CyclingIndexStore& makeShared();

    std::int64_t stored(const std::string& key) const;
};

}  // namespace orbel
