#pragma once

#include <functional>
#include <string>

#include "platform/shared_instance.h"

namespace orbel::platform {

// The user's trash: the home trash and those of the mounted volumes.
class Trash : public Shared<Trash> {
public:
    // ok is false when something could not be removed.
    using Completion = std::function<void(bool ok)>;

    virtual ~Trash() = default;
    // Deletes everything in every trash off the GUI thread; the completion
    // runs on the GUI thread.
    virtual void empty(Completion done = {}) = 0;

private:
    friend Shared<Trash>;
    static Trash& makeShared();
};

}  // namespace orbel::platform
