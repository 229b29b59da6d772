#pragma once

// An in-memory clipboard. Snapshots are answered through the shared timers,
// at once (a zero delay), or never in full while `ownerStopped` is set.

#include <vector>

#include "platform/pasteboard.h"
#include "platform/timers.h"

namespace orbel::fakes {

class FakePasteboard : public platform::Pasteboard {
public:
    std::optional<std::string> text() const { return contents.plainText(); }
    void setText(const std::string& text) override {
        contents.formats = {{"text/plain", text}};
        textWrites.push_back(text);
        ++count;
    }
    void setSelectionText(const std::string& text) override { selection = text; }
    void takeSnapshot(SnapshotCompletion done) override {
        ++snapshots;
        std::optional<platform::PasteboardSnapshot> answer;
        if (!ownerStopped) answer = contents;
        platform::Timers::shared().singleShot(std::chrono::milliseconds(0), [done, answer] { done(answer); });
    }
    void restore(const platform::PasteboardSnapshot& snapshot) override {
        contents = snapshot;
        ++count;
    }
    std::uint64_t changeCount() const override { return count; }

    // Another application puts something on the clipboard.
    void externalCopy(platform::PasteboardSnapshot snapshot) {
        contents = std::move(snapshot);
        ++count;
    }
    void externalCopyText(const std::string& text) { externalCopy({{{"text/plain", text}}}); }

    platform::PasteboardSnapshot contents;
    std::uint64_t count = 1;
    std::vector<std::string> textWrites;  // every setText, in order
    int snapshots = 0;
    std::optional<std::string> selection;  // the primary selection, once set
    bool ownerStopped = false;
};

}  // namespace orbel::fakes
