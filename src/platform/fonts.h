#pragma once

#include <QFont>
#include <optional>
#include <string>

#include "platform/shared_instance.h"

namespace orbel::platform {

// Fonts shipped with the application. A registered font serves this process
// only and stays available until it exits; it is then found by its
// PostScript name. GUI thread only.
class Fonts : public Shared<Fonts> {
public:
    virtual ~Fonts() = default;

    // Registers every face of the file; false when it is no font.
    virtual bool registerFontFile(const std::string& path) = 0;
    // The font of that PostScript name at `pointSize`, when one is registered.
    virtual std::optional<QFont> font(const std::string& postScriptName, double pointSize) const = 0;

private:
    friend Shared<Fonts>;
    static Fonts& makeShared();
};

}  // namespace orbel::platform
