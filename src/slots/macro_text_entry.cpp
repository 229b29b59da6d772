#include "slots/macro_text_entry.h"

#include <algorithm>

namespace orbel {

PasteboardTextEntry::PasteboardTextEntry(std::chrono::milliseconds restoreDelay, platform::Pasteboard* pasteboard,
                                         platform::EventPoster* poster, platform::Timers* timers)
    : restoreDelay_(std::max(restoreDelay, std::chrono::milliseconds(0))),
      pasteboard_(pasteboard),
      poster_(poster),
      timers_(timers) {}

PasteboardTextEntry::~PasteboardTextEntry() {
    for (const auto& [key, pending] : pending_) {
        timers().cancel(pending.timer);
        restoreIfUnchanged(pending);
    }
}

platform::Pasteboard& PasteboardTextEntry::pasteboard() const {
    return pasteboard_ ? *pasteboard_ : platform::Pasteboard::shared();
}
platform::EventPoster& PasteboardTextEntry::poster() const {
    return poster_ ? *poster_ : platform::EventPoster::shared();
}
platform::Timers& PasteboardTextEntry::timers() const { return timers_ ? *timers_ : platform::Timers::shared(); }

void PasteboardTextEntry::restoreIfUnchanged(const Pending& pending) {
    if (pasteboard().changeCount() == pending.writtenCount) pasteboard().restore(pending.saved);
}

void PasteboardTextEntry::enterText(const std::string& text, std::function<void()> done) {
    platform::Pasteboard& board = pasteboard();
    Pending pending;
    pending.saved = board.snapshot();
    board.setText(text);
    pending.writtenCount = board.changeCount();
    // A paste that could not be posted still waits and restores: the step
    // takes the same time either way and the clipboard comes back.
    poster().postChord(kPasteKeyCode, kPasteModifiers);

    const std::uint64_t key = nextPending_++;
    std::weak_ptr<int> alive = life_;
    pending.timer = timers().singleShot(restoreDelay_, [this, alive, key, done = std::move(done)] {
        if (!alive.lock()) return;
        auto it = pending_.find(key);
        if (it == pending_.end()) return;
        const Pending finished = std::move(it->second);
        pending_.erase(it);
        restoreIfUnchanged(finished);
        if (done) done();
    });
    pending_.emplace(key, std::move(pending));
}

}  // namespace orbel
