#pragma once

// The button events of HID++ mice as the rest of the program sees them: a
// down and an up callback that one owner sets (the hot key manager), and
// observers of downs that run after the down callback (a recorder waiting
// for the next button). The HID++ listener reports through `buttonDown` and
// `buttonUp`. GUI thread only.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

namespace orbel {

class HidButtonEvents {
public:
    using Callback = std::function<void(std::uint16_t productID, std::uint16_t cid)>;

    Callback onButtonDown;
    Callback onButtonUp;

    // Ends its observation when destroyed or reset; safe to outlive the source.
    class Observation {
    public:
        Observation() = default;
        Observation(Observation&& other) noexcept;
        Observation& operator=(Observation&& other) noexcept;
        ~Observation() { reset(); }
        void reset();
        explicit operator bool() const { return id_ != 0; }

    private:
        friend HidButtonEvents;
        struct Observers;
        std::weak_ptr<Observers> owner_;
        int id_ = 0;
    };

    HidButtonEvents();

    // `observer` sees every down after `onButtonDown` has handled it.
    [[nodiscard]] Observation observeButtonDown(Callback observer);

    // One event: `onButtonDown` runs exactly once, then each observer.
    void buttonDown(std::uint16_t productID, std::uint16_t cid);
    void buttonUp(std::uint16_t productID, std::uint16_t cid);

private:
    std::shared_ptr<Observation::Observers> observers_;
};

}  // namespace orbel
