#pragma once

#include <atomic>
#include <utility>

namespace orbel::platform {

// "The shared instance, replaceable in tests" for every process-wide service.
//
//   class Alerts : public Shared<Alerts> {
//       ...
//   private:
//       friend Shared<Alerts>;
//       static Alerts& makeShared();   // the production instance, in the .cpp
//   };
//
// `shared()` answers the replacement a test installed with `setShared`, else
// the production instance, made on first use and kept for the life of the
// process (never destroyed, so no service outlives a Qt object it holds).
template <class Service>
class Shared {
public:
    static Service& shared() {
        Service* replacement = slot().load(std::memory_order_acquire);
        return replacement ? *replacement : Service::makeShared();
    }
    // Tests: installs a replacement; nullptr restores the production instance.
    static void setShared(Service* replacement) { slot().store(replacement, std::memory_order_release); }

private:
    static std::atomic<Service*>& slot() {
        static std::atomic<Service*> replacement{nullptr};
        return replacement;
    }
};

// The usual body of `makeShared`: one instance of Impl, made from `arguments`
// on first use and never destroyed.
template <class Impl, class... Arguments>
Impl& processLifetimeInstance(Arguments&&... arguments) {
    static Impl* instance = new Impl(std::forward<Arguments>(arguments)...);
    return *instance;
}

}  // namespace orbel::platform
