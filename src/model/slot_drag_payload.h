#pragma once

// What one drag inside the settings window carries: an application or a
// system action from the slot library, a keystroke entry of the library, or a
// slot already on the dial. Drags travel as plain text:
// "orbel://slot-payload/" followed by the payload's compact JSON.
//
// JSON: {"kind": {"<case>": {<values>}}}, with exactly one case key.

#include <exception>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "model/json.h"
#include "model/key_combination.h"
#include "model/error.h"
#include "model/text.h"
#include "model/uuid.h"

namespace orbel {

// The one failure of SlotDragPayload::importString, whatever went wrong.
class SlotDragPayloadError : public Error {
public:
    SlotDragPayloadError() : Error("The data couldn't be written because it isn't in the correct format.") {}
};

struct SlotDragPayload {
    struct LibraryApp {
        std::string bundleId;
        std::string name;
        bool operator==(const LibraryApp&) const = default;
    };
    struct LibraryAction {
        std::string actionId;  // a SystemAction identifier
        bool operator==(const LibraryAction&) const = default;
    };
    struct LibraryKeystroke {
        std::vector<KeyCombination> sequence;
        std::string title;
        bool operator==(const LibraryKeystroke&) const = default;
    };
    struct ExistingSlot {
        Uuid id;
        bool operator==(const ExistingSlot&) const = default;
    };
    using Kind = std::variant<LibraryApp, LibraryAction, LibraryKeystroke, ExistingSlot>;

    Kind kind;

    bool operator==(const SlotDragPayload&) const = default;

    static SlotDragPayload libraryApp(std::string bundleId, std::string name) {
        return {LibraryApp{std::move(bundleId), std::move(name)}};
    }
    static SlotDragPayload libraryAction(std::string actionId) { return {LibraryAction{std::move(actionId)}}; }
    static SlotDragPayload libraryKeystroke(std::vector<KeyCombination> sequence, std::string title) {
        return {LibraryKeystroke{std::move(sequence), std::move(title)}};
    }
    static SlotDragPayload existingSlot(Uuid id) { return {ExistingSlot{id}}; }

    static constexpr std::string_view kPrefix = "orbel://slot-payload/";

    // The prefix followed by the compact JSON (slashes escaped). Never fails.
    std::string exportString() const;
    // Throws SlotDragPayloadError on a missing prefix, bad JSON or a payload
    // of the wrong shape; the underlying decoding error is not passed on.
    static SlotDragPayload importString(std::string_view text);

    // The top level must hold "kind"; other keys are ignored.
    static SlotDragPayload fromJson(const json::Node& node);
    json::Json toJson() const;

    // The value under "kind". Exactly one of the four case names must be
    // present (other keys are ignored), else a type mismatch
    // "Invalid number of keys found, expected one.".
    static Kind kindFromJson(const json::Node& node);
    static json::Json kindToJson(const Kind& kind);
};

inline constexpr const char* kInvalidCaseKeyCountMessage = "Invalid number of keys found, expected one.";

}  // namespace orbel
