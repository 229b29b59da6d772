#pragma once

// Records alerts; the test dismisses them.

#include <stdexcept>
#include <vector>

#include "platform/alerts.h"

namespace orbel::fakes {

class FakeAlerts : public platform::Alerts {
public:
    struct Shown {
        platform::Alert alert;
        std::function<void(int)> onDismiss;
        bool dismissed = false;
    };

    void beep() override { ++beeps; }

    // Closes alert `index` with button `button`; closing one twice is a test error.
    void dismiss(std::size_t index, int button = 0) {
        Shown& s = shown.at(index);
        if (s.dismissed) throw std::logic_error("alert dismissed twice");
        s.dismissed = true;
        auto callback = s.onDismiss;
        if (callback) callback(button);
    }

    std::vector<Shown> shown;
    int beeps = 0;

protected:
    void present(const platform::Alert& alert, std::function<void(int button)> onDismiss) override {
        shown.push_back(Shown{alert, std::move(onDismiss)});
    }
};

}  // namespace orbel::fakes
