#include "slots/clipboard_stack.h"

namespace orbel {

ClipboardStack& ClipboardStack::makeShared() { return platform::processLifetimeInstance<ClipboardStack>(); }

void ClipboardStack::push(std::optional<std::string> text) {
    std::lock_guard lock(mutex_);
    storage_.push_back(std::move(text));
}

std::optional<std::string> ClipboardStack::pop() {
    std::lock_guard lock(mutex_);
    if (storage_.empty()) return std::nullopt;
    auto top = std::move(storage_.back());
    storage_.pop_back();
    return top;
}

std::size_t ClipboardStack::size() const {
    std::lock_guard lock(mutex_);
    return storage_.size();
}

}  // namespace orbel
