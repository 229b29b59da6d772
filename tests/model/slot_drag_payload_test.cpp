#include <gtest/gtest.h>

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
    const std::pair<SlotDragPayload, std::string> cases[] = {
        {darkMode, R"({"kind":{"libraryAction":{"actionId":"toggle_dark_mode"}}})"},
        {SlotDragPayload::libraryApp("org.gnome/Files", "Files"),
         R"({"kind":{"libraryApp":{"bundleId":"org.gnome\/Files","name":"Files"}}})"},
        {SlotDragPayload::libraryKeystroke({*KeyCombination::parse("shift+cmd+4"), *KeyCombination::parse("esc")},
                                           "Shot"),
         R"({"kind":{"libraryKeystroke":{"sequence":["shift+cmd+4","esc"],"title":"Shot"}}})"},
        {SlotDragPayload::existingSlot(id),
         R"({"kind":{"existingSlot":{"id":"0F8FAD5B-D9CB-469F-A165-70867728950E"}}})"},
    };
    for (const auto& [payload, text] : cases) {
        EXPECT_EQ(payload.exportString(), kPrefix + text);
        EXPECT_EQ(SlotDragPayload::importString(kPrefix + text), payload) << text;
    }
}

TEST(SlotDragPayload, ImportsTolerantForms) {
    // Lower-case UUID text, key order, extra keys at every level; the action
    // identifier is carried as text, not checked.
    const std::pair<std::string, SlotDragPayload> cases[] = {
        {R"({"kind":{"existingSlot":{"id":"0f8fad5b-d9cb-469f-a165-70867728950e"}}})",
         SlotDragPayload::existingSlot(*Uuid::parse("0F8FAD5B-D9CB-469F-A165-70867728950E"))},
        {R"({"extra":1,"kind":{"libraryApp":{"name":"N","bundleId":"b","x":null},"notACase":{}}})",
         SlotDragPayload::libraryApp("b", "N")},
        {R"({"kind":{"libraryAction":{"actionId":"no_such_action"}}})", SlotDragPayload::libraryAction("no_such_action")},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(SlotDragPayload::importString(kPrefix + text), expected) << text;
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

