#include "platform/linux/key_hand_over.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace orbel::platform::x11 {
namespace {

bool isPress(const xcb_key_press_event_t& key) { return (key.response_type & 0x7f) == XCB_KEY_PRESS; }

// a - b in server time, across a wrap of the clock.
std::int32_t since(xcb_timestamp_t a, xcb_timestamp_t b) { return std::int32_t(a - b); }

}  // namespace

std::vector<xcb_key_press_event_t> handOverOrder(const std::vector<xcb_key_press_event_t>& stray,
                                                 const std::vector<xcb_key_press_event_t>& direct,
                                                 xcb_timestamp_t grabTime) {
    std::vector<xcb_key_press_event_t> kept;
    std::vector<xcb_keycode_t> down;  // keys whose press is handed over and not yet released
    for (const xcb_key_press_event_t& key : stray) {
        if (since(grabTime, key.time) > kStrayKeysFresh.count()) continue;
        if (isPress(key)) {
            down.push_back(key.detail);
        } else {
            const auto it = std::find(down.begin(), down.end(), key.detail);
            if (it == down.end()) continue;
            down.erase(it);
        }
        kept.push_back(key);
    }
    std::vector<xcb_key_press_event_t> order;
    order.reserve(kept.size() + direct.size());
    std::merge(kept.begin(), kept.end(), direct.begin(), direct.end(), std::back_inserter(order),
               [](const xcb_key_press_event_t& d, const xcb_key_press_event_t& s) { return since(d.time, s.time) < 0; });
    return order;
}

}  // namespace orbel::platform::x11
