#include "slots/snippet_paste.h"

#include <algorithm>
#include <utility>

#include "platform/event_poster.h"
#include "platform/workspace.h"
#include "slots/paste_chord.h"

namespace orbel {
namespace {

using std::chrono::milliseconds;

// The swap started last, and the one that placed the text the clipboard may
// still hold. GUI thread only.
std::weak_ptr<PasteSwap>& latestSwap() {
    static std::weak_ptr<PasteSwap> latest;
    return latest;
}
std::weak_ptr<PasteSwap>& inherited() {
    static std::weak_ptr<PasteSwap> placed;
    return placed;
}

constexpr milliseconds kActivationPoll{10};

}  // namespace

void postChord(const KeyCombination& chord) {
    // A mouse button in the combination is ignored: this posts keys only.
    platform::EventPoster::shared().postChord(chord.keyCode, chord.modifiers);
}

std::shared_ptr<PasteSwap> pasteText(const std::string& text, milliseconds delay, std::function<void()> completion) {
    std::shared_ptr<PasteSwap> swap(new PasteSwap);
    swap->text_ = text;
    swap->delay_ = std::max(delay, milliseconds(0));
    swap->completion_ = std::move(completion);
    std::shared_ptr<PasteSwap> earlier = latestSwap().lock();
    latestSwap() = swap;
    if (earlier && !earlier->finished() && !earlier->placed_) earlier->next_ = swap;  // begins after it
    else swap->begin();
    return swap;
}

void PasteSwap::begin() {
    platform::Pasteboard& pasteboard = platform::Pasteboard::shared();
    // The clipboard may hold an earlier swap's text rather than the user's
    // data: then what that swap would have put back is what we must put back.
    auto holdsEarlierText = [](const std::shared_ptr<PasteSwap>& earlier) {
        return earlier && !earlier->finished() && earlier->placed_ && !earlier->handedOver_ && earlier->saved_;
    };
    std::shared_ptr<PasteSwap> earlier = inherited().lock();
    if (holdsEarlierText(earlier) && pasteboard.changeCount() == earlier->placedCount_) {
        earlier->handedOver_ = true;
        return place(earlier->saved_);
    }
    pasteboard.takeSnapshot([self = shared_from_this(), weakEarlier = std::weak_ptr<PasteSwap>(earlier),
                             holdsEarlierText](std::optional<platform::PasteboardSnapshot> snapshot) {
        // Decided by content: a clipboard manager may have taken the text over.
        auto earlier = weakEarlier.lock();
        if (snapshot && holdsEarlierText(earlier) && snapshot->plainText() == earlier->text_) {
            earlier->handedOver_ = true;
            return self->place(earlier->saved_);
        }
        self->place(std::move(snapshot));
    });
}

void PasteSwap::place(std::optional<platform::PasteboardSnapshot> saved) {
    placed_ = true;
    auto self = shared_from_this();
    auto beginNext = [this] {
        if (next_) std::exchange(next_, nullptr)->begin();
    };
    if (finished()) return beginNext();  // ended before the snapshot came: nothing pasted
    if (!saved) {
        // The owner holds data we could not copy: leave its clipboard alone
        // and type the text instead.
        platform::EventPoster::shared().typeText(text_);
        beginNext();
        timer_ = platform::Timers::shared().singleShot(milliseconds(0), [self] { self->conclude(Outcome::typed); });
        return;
    }
    saved_ = std::move(saved);
    platform::Pasteboard& pasteboard = platform::Pasteboard::shared();
    pasteboard.setText(text_);
    placedCount_ = pasteboard.changeCount();
    inherited() = weak_from_this();
    // The chord the focused window pastes with (terminals differ).
    const PasteTarget target = pasteTargetFor(platform::Workspace::shared().frontWindowClass());
    if (target == PasteTarget::selectionTerminal) pasteboard.setSelectionText(text_);
    postChord(pasteChordFor(target));
    beginNext();
    timer_ = platform::Timers::shared().singleShot(delay_, [self] { self->finish(); });
}

void PasteSwap::finishNow() {
    if (finished()) return;
    if (timer_ != 0) platform::Timers::shared().cancel(timer_);
    timer_ = 0;
    if (!placed_) return conclude(Outcome::restored);  // nothing pasted: the clipboard is as it was
    if (handedOver_) return conclude(Outcome::handedOver);
    if (!saved_ || saved_->empty()) return conclude(saved_ ? Outcome::nothingToRestore : Outcome::typed);
    if (platform::Pasteboard::shared().changeCount() != placedCount_) return conclude(Outcome::userCopied);
    platform::Pasteboard::shared().restore(*saved_);
    conclude(Outcome::restored);
}

void PasteSwap::finish() {
    if (finished()) return;
    timer_ = 0;
    platform::Pasteboard& pasteboard = platform::Pasteboard::shared();
    if (handedOver_) return conclude(Outcome::handedOver);
    if (saved_->empty()) return conclude(Outcome::nothingToRestore);
    if (pasteboard.changeCount() == placedCount_) {
        pasteboard.restore(*saved_);
        return conclude(Outcome::restored);
    }
    // The clipboard changed hands. A clipboard manager may have taken over
    // our very text; anything else is the user's copy.
    pasteboard.takeSnapshot([self = shared_from_this()](std::optional<platform::PasteboardSnapshot> now) {
        if (self->finished()) return;
        if (!self->handedOver_ && now && now->plainText() == self->text_) {
            platform::Pasteboard::shared().restore(*self->saved_);
            return self->conclude(Outcome::restored);
        }
        self->conclude(self->handedOver_ ? Outcome::handedOver : Outcome::userCopied);
    });
}

void PasteSwap::conclude(Outcome outcome) {
    outcome_ = outcome;
    if (inherited().lock().get() == this) inherited().reset();
    saved_.reset();
    // Keep the swap alive while the completion runs: it may drop the last handle.
    auto keep = shared_from_this();
    if (next_) std::exchange(next_, nullptr)->begin();
    auto completion = std::exchange(completion_, nullptr);
    if (completion) completion();
}

void pasteSnippet(const std::string& text, const std::optional<std::string>& targetBundleId) {
    if (text.empty()) return;

    platform::Workspace& workspace = platform::Workspace::shared();
    std::optional<platform::RunningApplication> target;
    if (targetBundleId) {
        for (const auto& app : workspace.runningApplications()) {
            if (app.bundleId == *targetBundleId) {
                target = app;
                break;
            }
        }
    }
    if (!target || !workspace.activate(*target)) {
        pasteText(text, kSnippetRestoreDelay);
        return;
    }

    // The window manager moves the focus on its own time: paste once the
    // target is in front, or when the wait limit has passed all the same.
    const std::string bundleId = target->bundleId;
    if (const auto front = workspace.frontApplication(); front && front->bundleId == bundleId) {
        pasteText(text, kSnippetRestoreDelay);
        return;
    }
    auto waited = std::make_shared<milliseconds>(0);
    auto timer = std::make_shared<platform::Timers::Id>(0);
    *timer = platform::Timers::shared().repeating(kActivationPoll, [text, bundleId, waited, timer] {
        *waited += kActivationPoll;
        const auto front = platform::Workspace::shared().frontApplication();
        const bool inFront = front && front->bundleId == bundleId;
        if (!inFront && *waited < kActivationWaitLimit) return;
        platform::Timers::shared().cancel(*timer);
        pasteText(text, kSnippetRestoreDelay);
    });
}

}  // namespace orbel
