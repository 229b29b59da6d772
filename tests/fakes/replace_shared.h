#pragma once

// Installs a fake as a service's shared instance for the guard's lifetime:
//
//   fakes::ReplaceShared<platform::Timers> useTimers{timers};
//
// or, for a fake that lives exactly as long as it is installed, in one line:
//
//   fakes::Installed<fakes::FakeTimers, platform::Timers> timers{&clock};

namespace orbel::fakes {

template <class Service>
class ReplaceShared {
public:
    explicit ReplaceShared(Service& replacement) { Service::setShared(&replacement); }
    ~ReplaceShared() { Service::setShared(nullptr); }
    ReplaceShared(const ReplaceShared&) = delete;
    ReplaceShared& operator=(const ReplaceShared&) = delete;
};

template <class Fake, class Service>
struct Installed : Fake {
    using Fake::Fake;
    ReplaceShared<Service> asShared_{*this};
};

}  // namespace orbel::fakes
