#pragma once

// Mouse buttons the test presses.

#include <map>
#include <vector>

#include "platform/input_monitor.h"

namespace orbel::fakes {

class FakeInputMonitor : public platform::InputMonitor {
public:
    int addButtonWatch(ButtonHandler handler) override {
        watches[++last] = std::move(handler);
        return last;
    }
    void removeButtonWatch(int watch) override { watches.erase(watch); }

    void button(int number, bool pressed) {
        auto copy = watches;
        for (auto& [id, handler] : copy)
            if (watches.count(id)) handler(number, pressed);
    }
    void click(int number) {
        button(number, true);
        button(number, false);
    }

    std::map<int, ButtonHandler> watches;

private:
    int last = 0;
};

}  // namespace orbel::fakes
