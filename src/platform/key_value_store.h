#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/shared_instance.h"

namespace orbel::platform {

// The small user-defaults store: strings and integers under text keys. The
// shared store is the one in the configuration folder ("orbel.ini").
class KeyValueStore : public Shared<KeyValueStore> {
public:
    virtual ~KeyValueStore() = default;
    virtual std::optional<std::string> string(const std::string& key) const = 0;
    virtual std::optional<std::int64_t> integer(const std::string& key) const = 0;
    virtual void setString(const std::string& key, const std::string& value) = 0;
    virtual void setInteger(const std::string& key, std::int64_t value) = 0;
    virtual void remove(const std::string& key) = 0;

private:
    friend Shared<KeyValueStore>;
    static KeyValueStore& makeShared();
};

// An INI-file store at `path`.
std::unique_ptr<KeyValueStore> makeIniStore(const std::string& path);

}  // namespace orbel::platform
