#pragma once

// Owns a reply (or error) xcb hands out with malloc.

#include <cstdlib>
#include <memory>

namespace orbel::platform::x11 {

template <typename T>
struct FreeDeleter {
    void operator()(T* p) const { std::free(p); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeDeleter<T>>;

}  // namespace orbel::platform::x11
