#pragma once

#include <string_view>

namespace orbel::platform {

// Points on the time line from an input to the dial, logged to the
// "orbel.signpost" category (off by default) as "[orbel-signpost] <name> [slot=<n>] t=<µs>us",
// t counting microseconds since the first signpost of the process. Events
// only, never intervals: the time line shows how far apart they are. Safe
// from any thread. Names are constant texts.
class Signposts {
public:
    static void event(std::string_view name);
    static void event(std::string_view name, int slot);
};


}  // namespace orbel::platform
