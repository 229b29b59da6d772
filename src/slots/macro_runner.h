#pragma once

// Plays keystroke macros into the application that was in front when the
// dial opened: chords, pauses, pasted text, waits for a window and the
// clipboard stack. A state machine on the GUI thread driven by timers, so
// the event loop keeps running between steps (the clipboard lives there,
// and on X11 we must answer the target's paste request while it pastes).
//
// Runs are played one after another: a macro started while another is
// playing waits for it, so two macros never interleave their keys or their
// clipboard swaps.

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/key_combination.h"
#include "model/macro_step.h"
#include "platform/permissions.h"
#include "platform/shared_instance.h"
#include "platform/timers.h"
#include "platform/workspace.h"
#include "slots/clipboard_stack.h"
#include "slots/macro_text_entry.h"
#include "slots/window_waiter.h"

namespace orbel {

class MacroRunner : public platform::Shared<MacroRunner> {
public:
    // The pauses of the step loop and the clipboard stack it uses. Chords go
    // through the shared event poster, text through a paste swap restoring
    // after 80 ms, window waits poll every 100 ms.
    struct Env {
        std::int64_t initialDelayMs = 100;  // before the first step
        std::int64_t interChordGapMs = 80;  // after each chord
        ClipboardStack* clipboardStack = &ClipboardStack::shared();  // not owned
    };

    explicit MacroRunner(Env env);
    // A run in progress stops where it is; queued runs are dropped.
    ~MacroRunner();
    MacroRunner(const MacroRunner&) = delete;
    MacroRunner& operator=(const MacroRunner&) = delete;

    // Plays a keystroke slot's macro into the target application (a bundle
    // identifier; none plays into whatever is in front). Returns at once.
    // An empty macro does nothing; without Accessibility trust (asked with
    // the prompt) the macro is dropped. When its turn comes, the target is
    // brought forward if it is running, then the steps play.
    void run(std::vector<MacroStep> steps, std::optional<std::string> target);

    // Plays the steps with this runner's environment, without the checks or
    // the activation, and calls `done` after the last one. Queued behind a
    // run in progress like `run`.
    void play(std::vector<MacroStep> steps, std::function<void()> done = {});


    // Posts one chord (key down then up, with exactly its modifiers) through
    // the shared event poster; a mouse button in the combination is ignored.
    // Answers whether the events could be posted.
    static bool postChord(const KeyCombination& combination);

private:
    friend platform::Shared<MacroRunner>;
    // The process-wide runner has the live environment.
    static MacroRunner& makeShared();

    struct Run {
        std::vector<MacroStep> steps;
        std::optional<std::string> target;
        bool activate = false;
        std::function<void()> done;
        std::size_t next = 0;  // index of the next step to play
    };
    enum class Pending { none, timer, textEntry, windowWait, clipboard };

    void enqueue(Run run);
    void activateTarget(const std::string& bundleId);
    void advance();
    void after(std::int64_t ms);
    void stepFinished(std::uint64_t token);

    Env env_;
    PasteboardTextEntry textEntry_{std::chrono::milliseconds(80)};
    WindowWaiter windowWaiter_{100};
    std::deque<Run> queue_;
    std::optional<Run> current_;
    Pending pending_ = Pending::none;
    platform::Timers::Id timer_ = 0;
    WindowWaiter::WaitId windowWait_ = 0;
    std::uint64_t token_ = 0;  // identifies the step being waited on
    bool advancing_ = false;
    std::shared_ptr<int> life_ = std::make_shared<int>(0);
};

}  // namespace orbel
