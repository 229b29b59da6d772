#pragma once

// Typing a stored text into another application through the clipboard: the
// text is put on the clipboard, the paste chord is pressed for the user, and
// a moment later the clipboard gets back everything it held before (text,
// images, any other format). Nothing is put back when the user (or anyone
// else) has copied something in the meantime, so a fresh copy is never
// overwritten.
//
// Everything here runs on the GUI thread and never blocks it: the wait
// before restoring is a timer. On X11 our process serves the clipboard to
// the target from its event loop while the target pastes.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "model/key_combination.h"
#include "platform/pasteboard.h"
#include "platform/timers.h"

namespace orbel {

// Paste on this desktop: Ctrl+V (the V key, code 9, with Control).
inline const KeyCombination kPasteChord{9, modifier::kControl, std::nullopt};

// How long the target has to read a pasted snippet before the clipboard is
// put back.
inline constexpr std::chrono::milliseconds kSnippetRestoreDelay{300};

// How long a snippet waits, at most, for the target it activated to become
// the front application before it pastes anyway.
inline constexpr std::chrono::milliseconds kActivationWaitLimit{300};

// Posts one chord (key down, key up). Its success is not examined: when the
// chord cannot be posted the clipboard is still swapped and put back.
using ChordPoster = std::function<void(const KeyCombination&)>;

// Posts the chord through the shared EventPoster.
void postChord(const KeyCombination& chord);

// One clipboard swap around a paste. Made by `start` (or `pasteText`); the
// caller may keep the handle or drop it, the swap finishes either way.
class PasteSwap : public std::enable_shared_from_this<PasteSwap> {
public:
    enum class Outcome {
        pending,      // the delay has not passed yet
        restored,     // the clipboard got back what it held before
        userCopied,   // someone copied in between: their copy was left alone
        handedOver,   // a later swap took over what to put back
    };

    // 1. Takes a snapshot of every clipboard format; if an earlier swap is
    //    still waiting and the clipboard still holds its text, the snapshot
    //    that swap took is inherited instead (so two quick pastes end with
    //    the user's clipboard, not the first text).
    // 2. Puts `text` on the clipboard and notes its change count.
    // 3. Posts the paste chord through `poster` (the shared EventPoster when empty).
    // 4. `delay` later (a zero or negative delay still defers to the event
    //    loop) restores the snapshot if the change count has not moved, then
    //    runs `completion` (always, whatever the outcome).
    static std::shared_ptr<PasteSwap> start(std::string text, std::chrono::milliseconds delay,
                                            std::function<void()> completion = {}, ChordPoster poster = {});

    PasteSwap(const PasteSwap&) = delete;
    PasteSwap& operator=(const PasteSwap&) = delete;

    // Ends the swap now instead of at the end of the delay (same rule for
    // restoring), e.g. when the caller is going away. Does nothing once finished.
    void finishNow();

    Outcome outcome() const { return outcome_; }
    bool finished() const { return outcome_ != Outcome::pending; }

private:
    PasteSwap() = default;
    void finish();

    platform::PasteboardSnapshot saved_;
    std::uint64_t placedCount_ = 0;
    platform::Timers::Id timer_ = 0;
    bool handedOver_ = false;
    Outcome outcome_ = Outcome::pending;
    std::function<void()> completion_;
};

// The swap the snippets and the macro runner's text steps share: places
// `text`, posts Ctrl+V, restores after `delay`, then calls `completion`.
std::shared_ptr<PasteSwap> pasteText(const std::string& text, std::chrono::milliseconds delay,
                                     std::function<void()> completion = {}, ChordPoster poster = {});

// Pastes a snippet into the application `targetBundleId` (the one in front
// when the dial opened). An empty text does nothing at all. A running target
// is activated first, and the paste waits until it is in front (at most
// kActivationWaitLimit); a target that is not running leaves the paste to
// whatever is in front. The clipboard is put back kSnippetRestoreDelay after
// the chord.
void pasteSnippet(const std::string& text, const std::optional<std::string>& targetBundleId);

}  // namespace orbel
