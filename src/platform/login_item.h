#pragma once

#include <optional>
#include <string>

#include "platform/shared_instance.h"

namespace orbel::platform {

// Starting Orbel when the user logs in: an autostart entry of the desktop
// ($XDG_CONFIG_HOME/autostart/<application id>.desktop). A launch through
// that entry is recognisable (`launchedAtLogin`). GUI thread; file work only.
class LoginItem : public Shared<LoginItem> {
public:
    virtual ~LoginItem() = default;
    virtual bool isEnabled() const = 0;
    // Nothing on success, else what went wrong, for a person.
    virtual std::optional<std::string> enable() = 0;
    virtual std::optional<std::string> disable() = 0;

    // Whether this process was started by the login entry, judged from the
    // program's arguments.
    static bool launchedAtLogin(int argc, const char* const* argv);
    static constexpr const char* kLoginArgument = "--login-item";
    // One argument of a desktop entry's Exec value, quoted and escaped as
    // desktop entries require, so that any text (with spaces, "%", quotes,
    // backslashes, "$") comes out unchanged.
    static std::string execArgument(const std::string& argument);
    // The entry's Exec value that starts `program` with kLoginArgument.
    static std::string execValue(const std::string& program);

private:
    friend Shared<LoginItem>;
    static LoginItem& makeShared();
};

}  // namespace orbel::platform
