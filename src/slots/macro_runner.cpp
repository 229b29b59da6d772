#include "slots/macro_runner.h"

#include <type_traits>

#include "platform/event_poster.h"
#include "platform/pasteboard.h"

namespace orbel {

MacroRunner::MacroRunner(Env env) : env_(std::move(env)) {}

MacroRunner::~MacroRunner() {
    if (timer_ != 0) platform::Timers::shared().cancel(timer_);
    if (windowWait_ != 0) windowWaiter_.cancel(windowWait_);
}

MacroRunner& MacroRunner::makeShared() {
    // Never destroyed: at exit the event loop and the clipboard are gone,
    // and nothing may be left to touch them.
    return platform::processLifetimeInstance<MacroRunner>(Env{});
}

bool MacroRunner::postChord(const KeyCombination& combination) {
    constexpr std::uint32_t known = modifier::kCommand | modifier::kShift | modifier::kOption | modifier::kControl;
    return platform::EventPoster::shared().postChord(combination.keyCode, combination.modifiers & known);
}

void MacroRunner::run(std::vector<MacroStep> steps, std::optional<std::string> target) {
    if (steps.empty()) return;
    if (!platform::Permissions::shared().accessibilityTrusted(true)) return;
    Run run;
    run.steps = std::move(steps);
    run.target = std::move(target);
    run.activate = true;
    enqueue(std::move(run));
}

void MacroRunner::play(std::vector<MacroStep> steps, std::function<void()> done) {
    Run run;
    run.steps = std::move(steps);
    run.done = std::move(done);
    enqueue(std::move(run));
}

void MacroRunner::enqueue(Run run) {
    queue_.push_back(std::move(run));
    advance();
}

void MacroRunner::activateTarget(const std::string& bundleId) {
    platform::Workspace& workspace = platform::Workspace::shared();
    for (const auto& app : workspace.runningApplications()) {
        if (app.bundleId == bundleId) {
            workspace.activate(app);
            return;
        }
    }
    // Not running: the macro plays into whatever is in front.
}

void MacroRunner::after(std::int64_t ms) {
    pending_ = Pending::timer;
    const std::uint64_t token = ++token_;
    std::weak_ptr<int> alive = life_;
    timer_ = platform::Timers::shared().singleShot(std::chrono::milliseconds(ms), [this, alive, token] {
        if (alive.lock()) stepFinished(token);
    });
}

void MacroRunner::stepFinished(std::uint64_t token) {
    if (token != token_ || pending_ == Pending::none) return;
    pending_ = Pending::none;
    timer_ = 0;
    windowWait_ = 0;
    // Inside advance() (an effect that finished at once) the loop goes on by itself.
    advance();
}

void MacroRunner::advance() {
    if (advancing_) return;
    advancing_ = true;
    std::weak_ptr<int> alive = life_;
    for (;;) {
        if (pending_ != Pending::none) break;
        if (!current_) {
            if (queue_.empty()) break;
            current_ = std::move(queue_.front());
            queue_.pop_front();
            if (current_->activate && current_->target) activateTarget(*current_->target);
            if (env_.initialDelayMs > 0) after(env_.initialDelayMs);
            continue;
        }
        Run& run = *current_;
        if (run.next >= run.steps.size()) {
            std::function<void()> done = std::move(run.done);
            current_.reset();
            if (done) {
                done();
                if (!alive.lock()) return;  // the callback destroyed the runner
            }
            continue;
        }
        const MacroStep step = run.steps[run.next++];
        std::visit(
            [this](const auto& s) {
                using S = std::decay_t<decltype(s)>;
                if constexpr (std::is_same_v<S, MacroStep::Chord>) {
                    postChord(s.combination);
                    if (env_.interChordGapMs > 0) after(env_.interChordGapMs);
                } else if constexpr (std::is_same_v<S, MacroStep::Wait>) {
                    if (s.milliseconds > 0) after(s.milliseconds);
                } else if constexpr (std::is_same_v<S, MacroStep::Text>) {
                    pending_ = Pending::textEntry;
                    const std::uint64_t token = ++token_;
                    std::weak_ptr<int> alive = life_;
                    textEntry_.enterText(s.text, [this, alive, token] {
                        if (alive.lock()) stepFinished(token);
                    });
                } else if constexpr (std::is_same_v<S, MacroStep::WaitForWindow>) {
                    // Found or timed out, the macro goes on with the next step.
                    pending_ = Pending::windowWait;
                    const std::uint64_t token = ++token_;
                    std::weak_ptr<int> alive = life_;
                    const auto id = windowWaiter_.wait(s.bundleId, s.titleContains, s.timeoutMs,
                                                            [this, alive, token](bool) {
                                                                if (alive.lock()) stepFinished(token);
                                                            });
                    if (pending_ == Pending::windowWait) windowWait_ = id;
                } else if constexpr (std::is_same_v<S, MacroStep::ClipboardPush>) {
                    // Read without waiting on the clipboard's owner; one that
                    // does not answer leaves an empty entry.
                    pending_ = Pending::clipboard;
                    const std::uint64_t token = ++token_;
                    std::weak_ptr<int> alive = life_;
                    platform::Pasteboard::shared().takeSnapshot(
                        [this, alive, token](std::optional<platform::PasteboardSnapshot> snapshot) {
                            if (!alive.lock()) return;
                            env_.clipboardStack->push(snapshot ? snapshot->plainText() : std::nullopt);
                            stepFinished(token);
                        });
                } else if constexpr (std::is_same_v<S, MacroStep::ClipboardPop>) {
                    std::optional<std::string> text = env_.clipboardStack->pop();
                    if (text) platform::Pasteboard::shared().setText(*text);
                }
            },
            step.value);
        // A step that took no time still hands the event loop a turn, so a
        // long macro never holds the interface.
        if (pending_ == Pending::none) after(0);
    }
    advancing_ = false;
}

}  // namespace orbel
