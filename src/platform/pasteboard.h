#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/shared_instance.h"

namespace orbel::platform {

// Everything the clipboard held at one moment: each format (a MIME type)
// with its bytes, in the order the owner offered them.
struct PasteboardSnapshot {
    std::vector<std::pair<std::string, std::string>> formats;

    bool empty() const { return formats.empty(); }
    // The plain text (UTF-8), or none when it holds no text.
    std::optional<std::string> plainText() const {
        for (const char* type : {"text/plain;charset=utf-8", "text/plain"})
            if (const std::string* text = find(type)) return *text;
        return std::nullopt;
    }
    const std::string* find(const std::string& mimeType) const {
        for (const auto& [type, bytes] : formats)
            if (type == mimeType) return &bytes;
        return nullptr;
    }
    bool operator==(const PasteboardSnapshot&) const = default;
};

// The system clipboard. GUI thread only: on X11 our process answers other
// applications' paste requests from the event loop, so callers must never
// block it while someone pastes what we placed.
class Pasteboard : public Shared<Pasteboard> {
public:
    using SnapshotCompletion = std::function<void(std::optional<PasteboardSnapshot>)>;

    // How long another program has to hand over everything it holds.
    static constexpr std::chrono::milliseconds kSnapshotTimeLimit{1000};

    virtual ~Pasteboard() = default;

    // Replaces the whole clipboard with the text.
    virtual void setText(const std::string& text) = 0;

    // Makes the text the primary selection (what a middle click or xterm's
    // Shift+Insert pastes). The clipboard is left alone.
    virtual void setSelectionText(const std::string& text) = 0;

    // Every format on the clipboard with its bytes, images included, read
    // without making the GUI thread wait on the clipboard's owner. `done`
    // runs later on the GUI thread (never inside this call) with the
    // snapshot (empty when the clipboard is), or with nothing when the owner
    // did not hand over every format within kSnapshotTimeLimit (a stopped or
    // hung program).
    virtual void takeSnapshot(SnapshotCompletion done) = 0;
    // Puts a snapshot back; an empty snapshot clears the clipboard.
    virtual void restore(const PasteboardSnapshot& snapshot) = 0;

    // Grows whenever the clipboard's contents change, through us or through
    // anyone else. Read it right after writing; if it still has that value
    // later, the clipboard still holds what was written.
    virtual std::uint64_t changeCount() const = 0;

private:
    friend Shared<Pasteboard>;
    static Pasteboard& makeShared();
};

}  // namespace orbel::platform
