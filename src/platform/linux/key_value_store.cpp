#include "platform/key_value_store.h"

#include <QSettings>
#include <QString>
#include <mutex>

#include "platform/app_paths.h"

namespace orbel::platform {
namespace {

class IniStore final : public KeyValueStore {
public:
    explicit IniStore(const std::string& path) : settings_(QString::fromStdString(path), QSettings::IniFormat) {}

    std::optional<std::string> string(const std::string& key) const override {
        std::lock_guard lock(mutex_);
        const QVariant v = settings_.value(qkey(key));
        if (!v.isValid()) return std::nullopt;
        return v.toString().toStdString();
    }
    std::optional<std::int64_t> integer(const std::string& key) const override {
        std::lock_guard lock(mutex_);
        const QVariant v = settings_.value(qkey(key));
        if (!v.isValid()) return std::nullopt;
        bool ok = false;
        const qlonglong n = v.toLongLong(&ok);
        if (!ok) return std::nullopt;
        return n;
    }
    void setString(const std::string& key, const std::string& value) override {
        std::lock_guard lock(mutex_);
        settings_.setValue(qkey(key), QString::fromStdString(value));
        settings_.sync();
    }
    void setInteger(const std::string& key, std::int64_t value) override {
        std::lock_guard lock(mutex_);
        settings_.setValue(qkey(key), static_cast<qlonglong>(value));
        settings_.sync();
    }
    void remove(const std::string& key) override {
        std::lock_guard lock(mutex_);
        settings_.remove(qkey(key));
        settings_.sync();
    }

private:
    // Keys such as "orbel.cycle.idx.<hex>" hold dots, which QSettings keeps
    // as they are inside the [General] section.
    static QString qkey(const std::string& key) { return QString::fromStdString(key); }

    mutable std::mutex mutex_;
    mutable QSettings settings_;
};

}  // namespace

std::unique_ptr<KeyValueStore> makeIniStore(const std::string& path) { return std::make_unique<IniStore>(path); }

KeyValueStore& KeyValueStore::makeShared() {
    return processLifetimeInstance<IniStore>(AppPaths::shared().configDir() + "/orbel.ini");
}

}  // namespace orbel::platform
