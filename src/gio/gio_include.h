#pragma once

// GIO's headers name a struct member "signals", which Qt defines as a
// keyword; include them through here.

#pragma push_macro("signals")
#undef signals
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>
#include <gio/gunixmounts.h>
#pragma pop_macro("signals")

#include <memory>

namespace orbel::platform::gio {

// Owns one GObject reference.
struct Unref {
    void operator()(gpointer object) const {
        if (object) g_object_unref(object);
    }
};
template <typename T>
using Ref = std::unique_ptr<T, Unref>;

}  // namespace orbel::platform::gio
