#pragma once

// The button events of HID++ mice reach the program through two callback
// fields of the listener, down and up, each given the device's product ID and
// the control's ID (CID). The hot key manager sets both; a binding recorder
// hooks in front of the down callback while it lives.

#include <cstdint>
#include <functional>
#include <memory>

namespace orbel {

using HidButtonCallback = std::function<void(std::uint16_t productID, std::uint16_t cid)>;

// Wraps a callback field: for every event the callback found there runs
// first, exactly once, then the observer. Destroying the hook unhooks it: the
// field gets its earlier callback back, or, when something has hooked in
// front since, the hook only passes events on. The field must outlive the
// hook. GUI thread only.
class HidButtonHook {
public:
    HidButtonHook() = default;
    HidButtonHook(HidButtonCallback& field, HidButtonCallback observer);
    HidButtonHook(HidButtonHook&& other) noexcept;
    HidButtonHook& operator=(HidButtonHook&& other) noexcept;
    ~HidButtonHook() { reset(); }

    void reset();
    explicit operator bool() const { return node_ != nullptr; }

private:
    struct Node;
    struct Wrapper;
    HidButtonCallback* field_ = nullptr;
    std::shared_ptr<Node> node_;
};

}  // namespace orbel
