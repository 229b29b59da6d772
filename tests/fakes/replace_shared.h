#pragma once

// Installs a fake as a service's shared instance for the guard's lifetime:
//
//   fakes::ReplaceShared<platform::Timers> useTimers{timers};

namespace orbel::fakes {

template <class Service>
class ReplaceShared {
public:
    explicit ReplaceShared(Service& replacement) { Service::setShared(&replacement); }
    ~ReplaceShared() { Service::setShared(nullptr); }
    ReplaceShared(const ReplaceShared&) = delete;
    ReplaceShared& operator=(const ReplaceShared&) = delete;
};

}  // namespace orbel::fakes
