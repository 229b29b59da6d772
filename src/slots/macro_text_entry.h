#pragma once

// How a macro's text step gets its text into the focused window.

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/event_poster.h"
#include "slots/snippet_paste.h"

namespace orbel {

class MacroTextEntry {
public:
    virtual ~MacroTextEntry() = default;
    // Enters the text (UTF-8, possibly empty) and calls `done` on the GUI
    // thread once the step is over, never from inside this call. When the
    // entry is destroyed first, `done` is not called.
    virtual void enterText(const std::string& text, std::function<void()> done) = 0;
};

// Pastes through the clipboard with a PasteSwap (see pasteText): the text
// goes on the clipboard, the focused window's paste chord is pressed, and `restoreDelay` later the
// clipboard gets back what it held when it still holds our text. The GUI
// thread keeps running throughout, so the target's paste request is answered.
class PasteboardTextEntry : public MacroTextEntry {
public:
    explicit PasteboardTextEntry(std::chrono::milliseconds restoreDelay = std::chrono::milliseconds(80));
    // A restore still pending is done at once (when the clipboard still
    // holds our text), without calling its `done`.
    ~PasteboardTextEntry() override;

    void enterText(const std::string& text, std::function<void()> done) override;

private:
    std::chrono::milliseconds restoreDelay_;
    std::vector<std::weak_ptr<PasteSwap>> pending_;
    std::shared_ptr<int> life_ = std::make_shared<int>(0);
};

}  // namespace orbel
