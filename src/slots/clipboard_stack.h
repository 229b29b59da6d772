#pragma once

// Clipboard texts saved by the clipboardPush steps of keystroke macros and
// given back by clipboardPop. Lives for the whole process; nothing persists.

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/shared_instance.h"

namespace orbel {

class ClipboardStack : public platform::Shared<ClipboardStack> {
public:
    // Appends an entry (an empty clipboard is an absent text).
    void push(std::optional<std::string> text);
    // Removes and returns the last entry; nothing when the stack is empty.
    std::optional<std::string> pop();
    std::size_t size() const;

private:
    friend platform::Shared<ClipboardStack>;
    static ClipboardStack& makeShared();

    mutable std::mutex mutex_;  // stands in for the "orbel.clipboard-stack" queue
    std::vector<std::optional<std::string>> storage_;
};

}  // namespace orbel
