#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/shared_instance.h"

namespace orbel::platform {

// The application's bundled resources (icon packs, symbol set) and its
// version. Resources are looked up by name, extension and subfolder; a lookup
// that names a subfolder falls back to the same file at the top level.
class Bundle : public Shared<Bundle> {
public:
    virtual ~Bundle() = default;

    // The resource folder, when one exists.
    virtual std::optional<std::string> resourceDir() const = 0;

    // "<dir>/<subfolder>/<name>.<extension>", else "<dir>/<name>.<extension>",
    // whichever is a file first; nothing when neither is.
    std::optional<std::string> resourcePath(std::string_view name, std::string_view extension,
                                            std::string_view subfolder = {}) const;

    static std::string version() { return ORBEL_VERSION; }

private:
    friend Shared<Bundle>;
    static Bundle& makeShared();
};

}  // namespace orbel::platform
