#pragma once

// One step of a keystroke macro: press a chord, pause, type text, wait for a
// window, or save / restore the clipboard text. Written as an object with
// exactly one key naming the step.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "model/json.h"
#include "model/key_combination.h"

namespace orbel {

struct MacroStep {
    // Bounds applied when a step is read and when it is written.
    static constexpr std::int64_t kMinWaitMs = 1;
    static constexpr std::int64_t kMaxWaitMs = 5000;
    static constexpr std::int64_t kMinWindowTimeoutMs = 200;
    static constexpr std::int64_t kMaxWindowTimeoutMs = 30000;

    struct Chord {
        KeyCombination combination;
        bool operator==(const Chord&) const = default;
    };
    struct Wait {
        std::int64_t milliseconds = kMinWaitMs;
        bool operator==(const Wait&) const = default;
    };
    struct Text {
        std::string text;
        bool operator==(const Text&) const = default;
    };
    struct WaitForWindow {
        std::string bundleId;
        std::optional<std::string> titleContains;
        std::int64_t timeoutMs = kMinWindowTimeoutMs;
        bool operator==(const WaitForWindow&) const = default;
    };
    struct ClipboardPush {
        bool operator==(const ClipboardPush&) const = default;
    };
    struct ClipboardPop {
        bool operator==(const ClipboardPop&) const = default;
    };

    using Value = std::variant<Chord, Wait, Text, WaitForWindow, ClipboardPush, ClipboardPop>;
    Value value;

    bool operator==(const MacroStep&) const = default;

    static MacroStep chord(KeyCombination combination) { return {Chord{combination}}; }
    static MacroStep wait(std::int64_t milliseconds) { return {Wait{milliseconds}}; }
    static MacroStep text(std::string text) { return {Text{std::move(text)}}; }
    static MacroStep waitForWindow(std::string bundleId, std::optional<std::string> titleContains,
                                   std::int64_t timeoutMs) {
        return {WaitForWindow{std::move(bundleId), std::move(titleContains), timeoutMs}};
    }
    static MacroStep clipboardPush() { return {ClipboardPush{}}; }
    static MacroStep clipboardPop() { return {ClipboardPop{}}; }

    template <class Case>
    bool is() const { return std::holds_alternative<Case>(value); }
    template <class Case>
    const Case* as() const { return std::get_if<Case>(&value); }

    // Probes "chord", "wait", "text", "clipboardPush", "clipboardPop",
    // "waitForWindow" in that order; the first that fits wins. Fails with
    // "MacroStep payload doesn't match a known case" when none does; errors
    // inside a "wait" or "waitForWindow" object are reported as they are.
    static MacroStep fromJson(const json::Node& node);
    json::Json toJson() const;
};

}  // namespace orbel
