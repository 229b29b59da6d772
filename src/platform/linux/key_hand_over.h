#pragma once

// The keys a window of ours gets as it takes the keyboard over from our hot
// key's grab: those the grab took in (typed as the window showed, or while
// the program was busy) and those that came to the window itself before it
// had them, as one sequence in the order they were typed.

#include <xcb/xcb.h>

#include <chrono>
#include <vector>

namespace orbel::platform::x11 {

// How long before the window's grab a key typed under the hot key's grab
// still counts as typed for it (server time).
constexpr std::chrono::milliseconds kStrayKeysFresh{1000};

// `stray`: what the hot key's grab took in; `direct`: what came to the window
// since it asked for the keyboard; `grabTime`: the server's time of its grab.
// A stray key typed more than `kStrayKeysFresh` before the grab is dropped,
// and so is a stray release whose press is not handed over (the chord's
// modifiers let go, a key pressed before the chord). The rest is ordered by
// server time, each list keeping its own order; on a tie the stray key,
// which the server handled first, comes first. X times wrap after 49 days:
// they are compared as differences.
std::vector<xcb_key_press_event_t> handOverOrder(const std::vector<xcb_key_press_event_t>& stray,
                                                 const std::vector<xcb_key_press_event_t>& direct,
                                                 xcb_timestamp_t grabTime);

}  // namespace orbel::platform::x11
