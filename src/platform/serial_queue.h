#pragma once

#include <functional>
#include <memory>
#include <string>

namespace orbel::platform {

// Runs tasks one after another, in order, off the calling thread.
class SerialQueue {
public:
    virtual ~SerialQueue() = default;
    virtual void post(std::function<void()> task) = 0;
    // Returns once every task posted before the call has finished.
    virtual void flush() = 0;
    virtual const std::string& label() const = 0;
};

// A queue backed by one worker thread of its own.
std::unique_ptr<SerialQueue> makeSerialQueue(std::string label);

}  // namespace orbel::platform
