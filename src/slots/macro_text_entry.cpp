#include "slots/macro_text_entry.h"

namespace orbel {

PasteboardTextEntry::PasteboardTextEntry(std::chrono::milliseconds restoreDelay) : restoreDelay_(restoreDelay) {}

PasteboardTextEntry::~PasteboardTextEntry() {
    life_.reset();  // the swaps' completions must not call `done` any more
    for (const auto& weak : pending_) {
        if (auto swap = weak.lock()) swap->finishNow();
    }
}

void PasteboardTextEntry::enterText(const std::string& text, std::function<void()> done) {
    std::erase_if(pending_, [](const std::weak_ptr<PasteSwap>& weak) {
        auto swap = weak.lock();
        return !swap || swap->finished();
    });
    // A paste that could not be posted still waits and restores: the step
    // takes the same time either way and the clipboard comes back.
    std::weak_ptr<int> alive = life_;
    pending_.push_back(pasteText(
        text, restoreDelay_,
        [alive, done = std::move(done)] {
            if (alive.lock() && done) done();
        }));
}

}  // namespace orbel
