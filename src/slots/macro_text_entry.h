#pragma once

// How a macro's text step gets its text into the focused window.

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/event_poster.h"
#include "platform/pasteboard.h"
#include "platform/timers.h"

namespace orbel {

class MacroTextEntry {
public:
    virtual ~MacroTextEntry() = default;
    // Enters the text (UTF-8, possibly empty) and calls `done` on the GUI
    // thread once the step is over, never from inside this call. When the
    // entry is destroyed first, `done` is not called.
    virtual void enterText(const std::string& text, std::function<void()> done) = 0;
};

// Pastes through the clipboard: takes a snapshot of every clipboard format,
// puts the text there, presses Ctrl+V, and after `restoreDelay` puts the
// snapshot back, but only when the clipboard still holds our text, so that
// whatever someone copied in the meantime stays. The GUI thread keeps
// running throughout, so the target's paste request is answered.
class PasteboardTextEntry : public MacroTextEntry {
public:
    // The V key and the Control mask.
    static constexpr std::uint16_t kPasteKeyCode = 9;
    static constexpr std::uint32_t kPasteModifiers = 0x1000;

    // Null services mean the shared ones, looked up when used.
    explicit PasteboardTextEntry(std::chrono::milliseconds restoreDelay = std::chrono::milliseconds(80),
                                 platform::Pasteboard* pasteboard = nullptr, platform::EventPoster* poster = nullptr,
                                 platform::Timers* timers = nullptr);
    // A restore still pending is done at once (when the clipboard still
    // holds our text), without calling its `done`.
    ~PasteboardTextEntry() override;

    void enterText(const std::string& text, std::function<void()> done) override;

private:
    struct Pending {
        platform::PasteboardSnapshot saved;
        std::uint64_t writtenCount = 0;
        platform::Timers::Id timer = 0;
    };
    void restoreIfUnchanged(const Pending& pending);
    platform::Pasteboard& pasteboard() const;
    platform::EventPoster& poster() const;
    platform::Timers& timers() const;

    std::chrono::milliseconds restoreDelay_;
    platform::Pasteboard* pasteboard_;
    platform::EventPoster* poster_;
    platform::Timers* timers_;
    std::map<std::uint64_t, Pending> pending_;
    std::uint64_t nextPending_ = 1;
    std::shared_ptr<int> life_ = std::make_shared<int>(0);
};

}  // namespace orbel
