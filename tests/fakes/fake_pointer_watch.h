#pragma once

// A pointer watch the test drives: it records the click catchers asked for
// and emits the signals a test calls for.

#include <vector>

#include "platform/pointer_watch.h"

namespace orbel::fakes {

class FakePointerWatch : public platform::PointerWatch {
public:
    bool start() override { return watching = true; }
    void stop() override { watching = false; }
    bool setClickCatchers(const std::vector<QRect>& areas) override {
        catchers = areas;
        return true;
    }
    std::optional<QPoint> position() const override { return device; }

    bool watching = false;
    std::vector<QRect> catchers;
    std::optional<QPoint> device;  // where the server says the pointer is
};

}  // namespace orbel::fakes
