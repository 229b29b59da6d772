#include "platform/input_monitor.h"

#include <xcb/xinput.h>

#include <map>

#include "platform/key_translation.h"
#include "platform/linux/x11_input.h"

namespace orbel::platform {
namespace {

// XInput2 raw button events on the root window: they reach every client that
// selects them, whoever grabbed the pointer, and nothing is taken from the
// window under the pointer.
class X11InputMonitor final : public InputMonitor {
public:
    X11InputMonitor() : x_(x11::InputConnection::shared()) {
        if (x_) x_->addListener([this](const xcb_generic_event_t* e) { handle(e); });
    }

    int addButtonWatch(ButtonHandler handler) override {
        if (!x_ || !x_->hasRawEvents()) return 0;
        const int watch = ++lastWatch_;
        watches_.emplace(watch, std::move(handler));
        x_->wantRawButtons(true);
        return watch;
    }

    void removeButtonWatch(int watch) override {
        if (watches_.erase(watch) && watches_.empty()) x_->wantRawButtons(false);
    }

private:
    void handle(const xcb_generic_event_t* e) {
        const auto type = x_->xinputEventType(e);
        if (type != XCB_INPUT_RAW_BUTTON_PRESS && type != XCB_INPUT_RAW_BUTTON_RELEASE) return;
        const auto* raw = reinterpret_cast<const xcb_input_raw_button_press_event_t*>(e);
        const auto button = mouseButtonForXButton(int(raw->detail));
        if (!button) return;
        // A handler may end its own or another watch: walk a snapshot of the
        // ids and skip the ones gone meanwhile.
        std::vector<int> ids;
        for (const auto& [id, _] : watches_) ids.push_back(id);
        for (int id : ids) {
            auto it = watches_.find(id);
            if (it == watches_.end()) continue;
            ButtonHandler handler = it->second;
            handler(*button, type == XCB_INPUT_RAW_BUTTON_PRESS);
        }
    }

    x11::InputConnection* x_;
    int lastWatch_ = 0;
    std::map<int, ButtonHandler> watches_;
};

}  // namespace

InputMonitor& InputMonitor::makeShared() { return processLifetimeInstance<X11InputMonitor>(); }

}  // namespace orbel::platform
