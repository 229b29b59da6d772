#pragma once

// An in-memory clipboard.

#include <vector>

#include "platform/pasteboard.h"

namespace orbel::fakes {

class FakePasteboard : public platform::Pasteboard {
public:
    std::optional<std::string> text() const override {
        if (const std::string* t = contents.find("text/plain")) return *t;
        return std::nullopt;
    }
    void setText(const std::string& text) override {
        contents.formats = {{"text/plain", text}};
        textWrites.push_back(text);
        ++count;
    }
    platform::PasteboardSnapshot snapshot() const override {
        ++snapshots;
        return contents;
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
    mutable int snapshots = 0;
};

}  // namespace orbel::fakes
