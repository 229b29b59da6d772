#include "slots/snippet_paste.h"

#include <algorithm>

#include "platform/event_poster.h"
#include "platform/workspace.h"

namespace orbel {
namespace {

using std::chrono::milliseconds;

// The swap that placed the text the clipboard may still hold. GUI thread only.
std::weak_ptr<PasteSwap>& latestSwap() {
    static std::weak_ptr<PasteSwap> latest;
    return latest;
}

constexpr milliseconds kActivationPoll{10};

}  // namespace

void postChord(const KeyCombination& chord) {
    // A mouse button in the combination is ignored: this posts keys only.
    platform::EventPoster::shared().postChord(chord.keyCode, chord.modifiers);
}

std::shared_ptr<PasteSwap> PasteSwap::start(std::string text, milliseconds delay, std::function<void()> completion,
                                            ChordPoster poster) {
    platform::Pasteboard& pasteboard = platform::Pasteboard::shared();
    std::shared_ptr<PasteSwap> swap(new PasteSwap);
    swap->completion_ = std::move(completion);

    std::shared_ptr<PasteSwap> earlier = latestSwap().lock();
    if (earlier && !earlier->finished() && !earlier->handedOver_ &&
        pasteboard.changeCount() == earlier->placedCount_) {
        // The clipboard holds the earlier swap's text, not the user's data:
        // what that swap would have put back is what we must put back.
        swap->saved_ = earlier->saved_;
        earlier->handedOver_ = true;
    } else {
        swap->saved_ = pasteboard.snapshot();
    }

    pasteboard.setText(text);
    swap->placedCount_ = pasteboard.changeCount();
    latestSwap() = swap;

    if (poster) poster(kPasteChord);
    else postChord(kPasteChord);

    swap->timer_ = platform::Timers::shared().singleShot(std::max(delay, milliseconds(0)),
                                                         [swap] { swap->finish(); });
    return swap;
}

void PasteSwap::finishNow() {
    if (finished()) return;
    platform::Timers::shared().cancel(timer_);
    finish();
}

void PasteSwap::finish() {
    if (finished()) return;
    platform::Pasteboard& pasteboard = platform::Pasteboard::shared();
    if (handedOver_) {
        outcome_ = Outcome::handedOver;
    } else if (pasteboard.changeCount() != placedCount_) {
        outcome_ = Outcome::userCopied;
    } else {
        pasteboard.restore(saved_);
        outcome_ = Outcome::restored;
    }
    if (latestSwap().lock().get() == this) latestSwap().reset();
    saved_ = {};
    // Keep the swap alive while the completion runs: it may drop the last handle.
    auto keep = shared_from_this();
    auto completion = std::move(completion_);
    completion_ = nullptr;
    if (completion) completion();
}

std::shared_ptr<PasteSwap> pasteText(const std::string& text, milliseconds delay, std::function<void()> completion,
                                     ChordPoster poster) {
    return PasteSwap::start(text, delay, std::move(completion), std::move(poster));
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
