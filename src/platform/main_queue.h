#pragma once

#include <functional>

#include "platform/shared_instance.h"

namespace orbel::platform {

// The GUI thread's queue. `post` always defers, even when called on the GUI
// thread: callers rely on the task running after the current one.
class MainQueue : public Shared<MainQueue> {
public:
    virtual ~MainQueue() = default;
    virtual void post(std::function<void()> task) = 0;
    // Runs the task on the GUI thread and returns when it has run; runs it
    // directly when already there.
    virtual void postAndWait(std::function<void()> task) = 0;
    virtual bool isMainThread() const = 0;

private:
    friend Shared<MainQueue>;
    static MainQueue& makeShared();
};

}  // namespace orbel::platform
