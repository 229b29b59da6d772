#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/shared_instance.h"

namespace orbel::platform {

enum class AlertStyle { informational, warning, critical };

struct Alert {
    std::string title;                        // the alert's message text
    std::string text;                         // informative text below it
    AlertStyle style = AlertStyle::informational;
    std::vector<std::string> buttons{"OK"};   // first is the default; the last one answers Escape
    std::string footnote;                     // optional small secondary text under the message

    bool operator==(const Alert&) const = default;
};

// Stand-alone modal alerts and the system beep. GUI thread only. Nothing
// here blocks: `show` returns at once and `onDismiss` later receives the
// index of the button that closed the alert.
class Alerts : public Shared<Alerts> {
public:
    virtual ~Alerts() = default;
    virtual void show(const Alert& alert, std::function<void(int button)> onDismiss = {}) = 0;
    virtual void beep() = 0;

private:
    friend Shared<Alerts>;
    static Alerts& makeShared();
};

}  // namespace orbel::platform
