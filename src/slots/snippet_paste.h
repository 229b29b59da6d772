#pragma once

// Typing a stored text into another application through the clipboard: the
// text is put on the clipboard, the paste chord is pressed for the user, and
// a moment later the clipboard gets back everything it held before (text,
// images, any other format). Nothing is put back when the user (or anyone
// else) has copied something else in the meantime, so a fresh copy is never
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

// Paste on this desktop: Ctrl+V (the V key, code 9, with Control); terminals
// take another chord (see paste_chord.h).
inline const KeyCombination kPasteChord{9, modifier::kControl, std::nullopt};

// How long the target has to read a pasted snippet before the clipboard is
// put back.
inline constexpr std::chrono::milliseconds kSnippetRestoreDelay{300};

// How long a snippet waits, at most, for the target it activated to become
// the front application before it pastes anyway.
inline constexpr std::chrono::milliseconds kActivationWaitLimit{300};

// Posts the chord through the shared EventPoster (key down, key up). A mouse
// button in the combination is ignored.
void postChord(const KeyCombination& chord);

// One clipboard swap around a paste. Made by `pasteText`; the caller may keep
// the handle or drop it, the swap finishes either way.
class PasteSwap : public std::enable_shared_from_this<PasteSwap> {
public:
    PasteSwap(const PasteSwap&) = delete;
    PasteSwap& operator=(const PasteSwap&) = delete;

    // Ends the swap now instead of at the end of the delay, e.g. when the
    // caller is going away: restores only when the clipboard plainly still
    // holds our text. Does nothing once finished.
    void finishNow();

    bool finished() const { return outcome_ != Outcome::pending; }

private:
    enum class Outcome {
        pending,           // not finished yet
        restored,          // the clipboard got back what it held before
        userCopied,        // someone copied in between: their copy was left alone
        handedOver,        // a later swap took over what to put back
        nothingToRestore,  // the clipboard was empty before: the pasted text stays
        typed,             // the clipboard's owner did not answer: the text was typed
                           // instead, and the clipboard never touched
    };

    friend std::shared_ptr<PasteSwap> pasteText(const std::string&, std::chrono::milliseconds, std::function<void()>);
    PasteSwap() = default;
    void begin();
    void place(std::optional<platform::PasteboardSnapshot> saved);
    void finish();
    void conclude(Outcome outcome);

    std::string text_;
    std::chrono::milliseconds delay_{0};
    std::optional<platform::PasteboardSnapshot> saved_;  // taken: what to put back
    std::uint64_t placedCount_ = 0;
    platform::Timers::Id timer_ = 0;
    bool placed_ = false;
    bool handedOver_ = false;
    Outcome outcome_ = Outcome::pending;
    std::function<void()> completion_;
    std::shared_ptr<PasteSwap> next_;  // a swap started while this one took its snapshot
};

// Types `text` into the focused window through the clipboard, without ever
// making the GUI thread wait on another program's clipboard:
// 1. Takes a snapshot of every clipboard format (asynchronously). When an
//    earlier swap is still waiting and the clipboard still holds its text,
//    that swap's snapshot is inherited instead, so two quick pastes end with
//    the user's clipboard; a swap started while an earlier one is still
//    taking its snapshot waits for it.
// 2. A snapshot the clipboard's owner did not hand over in full is never
//    restored: the text is typed with key events and the clipboard is left
//    as it is. Otherwise the text goes on the clipboard and the focused
//    window's paste chord is posted: Ctrl+V, Ctrl+Shift+V in a terminal,
//    Shift+Insert in xterm (the text is made the primary selection too).
// 3. `delay` later (a zero or negative delay still defers to the event loop)
//    the snapshot is put back when the clipboard still holds our text (by
//    content, so a clipboard manager that takes over every copy changes
//    nothing); an empty snapshot leaves the text there. Then `completion`
//    runs, whatever the outcome.
std::shared_ptr<PasteSwap> pasteText(const std::string& text, std::chrono::milliseconds delay,
                                     std::function<void()> completion = {});

// Pastes a snippet into the application `targetBundleId` (the one in front
// when the dial opened). An empty text does nothing at all. A running target
// is activated first, and the paste waits until it is in front (at most
// kActivationWaitLimit); a target that is not running leaves the paste to
// whatever is in front. The clipboard is put back kSnippetRestoreDelay after
// the chord.
void pasteSnippet(const std::string& text, const std::optional<std::string>& targetBundleId);

}  // namespace orbel
