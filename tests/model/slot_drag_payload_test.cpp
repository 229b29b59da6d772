#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/slot_drag_payload.h"
#include "model/system_action.h"

using orbel::KeyCombination;
using orbel::SlotDragPayload;
using orbel::SlotDragPayloadError;
using orbel::Uuid;

namespace {

const std::string kPrefix = "orbel://slot-payload/";

bool importFails(const std::string& text) {
    try {
        SlotDragPayload::importString(text);
    } catch (const SlotDragPayloadError& e) {
        EXPECT_STREQ(e.what(), "The data couldn't be written because it isn't in the correct format.");
        return true;
    }
    return false;
}

}  // namespace

TEST(SlotDragPayload, ExportsExactCompactText) {
    const auto darkMode = SlotDragPayload::libraryAction(
        std::string(orbel::SystemAction(orbel::SystemAction::Kind::toggleDarkMode).identifier()));
    const Uuid id = *Uuid::parse("0f8fad5b-d9cb-469f-a165-70867728950e");
    struct Case {
        SlotDragPayload payload;
        std::string text;
    };
    const std::vector<Case> cases = {
        {darkMode, R"({"kind":{"libraryAction":{"actionId":"toggle_dark_mode"}}})"},
        {SlotDragPayload::libraryApp("org.gnome/Files", "Files"),
         R"({"kind":{"libraryApp":{"bundleId":"org.gnome\/Files","name":"Files"}}})"},
        {SlotDragPayload::libraryKeystroke({*KeyCombination::parse("shift+cmd+4"), *KeyCombination::parse("esc")},
                                           "Shot"),
         R"({"kind":{"libraryKeystroke":{"sequence":["shift+cmd+4","esc"],"title":"Shot"}}})"},
        {SlotDragPayload::existingSlot(id),
         R"({"kind":{"existingSlot":{"id":"0F8FAD5B-D9CB-469F-A165-70867728950E"}}})"},
    };
    for (const Case& c : cases) {
        const std::string exported = c.payload.exportString();
        EXPECT_EQ(exported, kPrefix + c.text);
        EXPECT_EQ(SlotDragPayload::importString(exported), c.payload) << exported;
    }
}

TEST(SlotDragPayload, ImportsTolerantForms) {
    const Uuid id = *Uuid::parse("0F8FAD5B-D9CB-469F-A165-70867728950E");
    struct Case {
        std::string json;
        SlotDragPayload expected;
    };
    const std::vector<Case> cases = {
        // Lower-case UUID text, key order, extra keys at every level.
        {R"({"kind":{"existingSlot":{"id":"0f8fad5b-d9cb-469f-a165-70867728950e"}}})",
         SlotDragPayload::existingSlot(id)},
        {R"({"extra":1,"kind":{"libraryApp":{"name":"N","bundleId":"b","x":null},"notACase":{}}})",
         SlotDragPayload::libraryApp("b", "N")},
        {R"({"kind":{"libraryKeystroke":{"title":"T","sequence":["Cmd+Shift+P","mouse:3"]}}})",
         SlotDragPayload::libraryKeystroke({*KeyCombination::parse("shift+cmd+p"), *KeyCombination::parse("mouse:3")},
                                           "T")},
        // The action identifier is carried as text, not checked.
        {R"({"kind":{"libraryAction":{"actionId":"no_such_action"}}})",
         SlotDragPayload::libraryAction("no_such_action")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SlotDragPayload::importString(kPrefix + c.json), c.expected) << c.json;
    }
}

TEST(SlotDragPayload, EveryBadTextFailsWithTheOneError) {
    const std::string good = R"({"kind":{"libraryAction":{"actionId":"spotlight"}}})";
    ASSERT_FALSE(importFails(kPrefix + good));
    const std::vector<std::string> bad = {
        good,                                  // no prefix
        "ORBEL://slot-payload/" + good,        // the prefix in another case
        kPrefix,
        kPrefix + good + "x",                  // not JSON
        kPrefix + R"({"kind":{}})",            // zero or two case keys
        kPrefix + R"({"kind":{"libraryApp":{"bundleId":"b","name":"n"},"libraryAction":{"actionId":"x"}}})",
        kPrefix + R"({"kind":{"libraryApp":{"bundleId":"b"}}})",  // a missing value
        kPrefix + R"({"kind":{"libraryKeystroke":{"sequence":["cmd+nope"],"title":"t"}}})",
        kPrefix + R"({"kind":{"existingSlot":{"id":"not-a-uuid"}}})",
        kPrefix + "\xff\xfe",
    };
    for (const std::string& text : bad) EXPECT_TRUE(importFails(text)) << text;
}

