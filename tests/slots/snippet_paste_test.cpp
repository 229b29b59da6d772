#include <gtest/gtest.h>

#include "fakes/fake_event_poster.h"
#include "fakes/fake_pasteboard.h"
#include "fakes/fake_system_platform.h"
#include "fakes/fake_timers.h"
#include "fakes/replace_shared.h"
#include "slots/snippet_paste.h"

namespace orbel {
namespace {

using namespace std::chrono_literals;
using platform::PasteboardSnapshot;

const PasteboardSnapshot kRichText{{{"text/plain", "before"}, {"text/html", "<b>before</b>"}}};
const PasteboardSnapshot kImage{{{"image/png", std::string("\x89PNG\r\n\x1a\n-pixels-", 16)}}};
const PasteboardSnapshot kNothing{};

class SnippetPasteTest : public ::testing::Test {
protected:
    SnippetPasteTest() {
        // What the clipboard holds at the moment Ctrl+V goes out.
        poster.onPost = [this](const fakes::PostedInput&) { atChord.push_back(pasteboard.text().value_or("<none>")); };
    }
    bool pastedOnce() const { return poster.posted.size() == 1 && poster.posted[0].isChord(9, modifier::kControl); }

    fakes::Installed<fakes::FakePasteboard, platform::Pasteboard> pasteboard;
    fakes::Installed<fakes::FakeEventPoster, platform::EventPoster> poster;
    fakes::Installed<fakes::FakeTimers, platform::Timers> timers;
    fakes::Installed<fakes::FakeWorkspace, platform::Workspace> workspace;
    std::vector<std::string> atChord;
};

// What the clipboard holds after a paste, by what it held before and what
// happened during the delay.
TEST_F(SnippetPasteTest, WhatTheClipboardHoldsAfterwards) {
    struct Case {
        const char* name;
        PasteboardSnapshot before;
        std::function<void(fakes::FakePasteboard&)> meanwhile;
        PasteboardSnapshot after;
    };
    const PasteboardSnapshot snippet{{{"text/plain", "snippet ✓"}}};
    const PasteboardSnapshot userCopy{{{"text/plain", "user copy"}}};
    const Case cases[] = {
        {"rich text comes back", kRichText, {}, kRichText},
        {"an image comes back", kImage, {}, kImage},
        {"an empty clipboard keeps the pasted text", kNothing, {}, snippet},
        {"a copy made meanwhile stays", kRichText, [&](auto& p) { p.externalCopy(userCopy); },
         userCopy},
        {"an image copied meanwhile stays", kRichText, [](auto& p) { p.externalCopy(kImage); },
         kImage},
        // A clipboard manager takes over every copy, ours included: same text, so we restore.
        {"a clipboard manager's takeover is still ours", kRichText,
         [](auto& p) { p.externalCopyText("snippet ✓"); }, kRichText},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        pasteboard.contents = c.before;
        poster.posted.clear();
        atChord.clear();
        bool done = false;
        pasteText("snippet ✓", 300ms, [&] { done = true; });
        timers.runDue();  // the snapshot comes back
        EXPECT_TRUE(pastedOnce());
        EXPECT_EQ(atChord, std::vector<std::string>{"snippet ✓"});
        timers.advance(120ms);
        if (c.meanwhile) c.meanwhile(pasteboard);
        timers.advance(179ms);
        EXPECT_FALSE(done) << "the target still has time to read it";
        timers.advance(1ms);
        EXPECT_TRUE(done);
        EXPECT_EQ(pasteboard.contents, c.after);
        EXPECT_EQ(timers.pending(), 0u);
    }
}

TEST_F(SnippetPasteTest, AnOwnerThatNeverHandsOverItsDataKeepsItAndTheTextIsTyped) {
    pasteboard.contents = kRichText;
    pasteboard.ownerStopped = true;
    bool done = false;
    pasteText("typed", 300ms, [&] { done = true; });
    timers.runDue();
    ASSERT_EQ(poster.posted.size(), 1u);
    EXPECT_EQ(poster.posted[0].kind, fakes::PostedInput::Kind::text);
    EXPECT_TRUE(pasteboard.textWrites.empty());
    EXPECT_TRUE(done);
    EXPECT_EQ(pasteboard.contents, kRichText);
}

// The chord goes by the focused window's WM_CLASS: Ctrl+V in applications,
// Ctrl+Shift+V in terminal emulators, Shift+Insert in xterm with the text
// as the primary selection too. The clipboard is put back the same way.
TEST_F(SnippetPasteTest, TheChordFollowsTheFocusedWindowsClass) {
    struct Case {
        std::optional<platform::WindowClass> window;
        std::uint16_t key;
        std::uint32_t modifiers;
        bool selection;
    };
    const std::uint32_t ctrlShift = modifier::kControl | modifier::kShift;
    const Case cases[] = {
        {std::nullopt, 9, modifier::kControl, false},
        {platform::WindowClass{"kate", "kate"}, 9, modifier::kControl, false},
        {platform::WindowClass{"gnome-terminal-server", "Gnome-terminal"}, 9, ctrlShift, false},
        {platform::WindowClass{"Alacritty", "Alacritty"}, 9, ctrlShift, false},
        {platform::WindowClass{"konsole", "konsole"}, 9, ctrlShift, false},
        {platform::WindowClass{"xterm", "XTerm"}, 114, modifier::kShift, true},
        {platform::WindowClass{"urxvt", "URxvt"}, 114, modifier::kShift, true},
        {platform::WindowClass{"", "UXTerm"}, 114, modifier::kShift, true},
    };
    for (const Case& c : cases) {
        const std::string name = c.window ? c.window->instance + "/" + c.window->name : "no window";
        workspace.frontClass = c.window;
        pasteboard.contents = kRichText;
        pasteboard.selection.reset();
        poster.posted.clear();
        pasteText("echo hi", 300ms);
        timers.runDue();
        ASSERT_EQ(poster.posted.size(), 1u) << name;
        EXPECT_TRUE(poster.posted[0].isChord(c.key, c.modifiers)) << name;
        EXPECT_EQ(pasteboard.selection == std::optional<std::string>("echo hi"), c.selection) << name;
        timers.advance(300ms);
        EXPECT_EQ(pasteboard.contents, kRichText) << name;
    }
}

TEST_F(SnippetPasteTest, AnEmptySnippetDoesNothingAtAll) {
    workspace.running = {{42, "org.example.Editor"}};
    pasteboard.contents = kRichText;
    pasteSnippet("", std::string("org.example.Editor"));
    timers.advance(1s);
    EXPECT_TRUE(poster.posted.empty());
    EXPECT_TRUE(workspace.calls.empty());
    EXPECT_EQ(pasteboard.snapshots, 0);
    EXPECT_TRUE(pasteboard.textWrites.empty());
}

TEST_F(SnippetPasteTest, PastesOnceTheTargetIsInFrontOrTheWaitIsOver) {
    const platform::RunningApplication editor{42, "org.example.Editor"};
    const platform::RunningApplication other{7, "org.example.Other"};
    workspace.running = {other, editor};
    workspace.front = other;

    pasteSnippet("abc", std::string("org.example.Editor"));
    EXPECT_EQ(workspace.calls, std::vector<std::string>{"activate org.example.Editor"});
    timers.advance(20ms);
    EXPECT_TRUE(poster.posted.empty()) << "the focus has not moved yet";
    EXPECT_EQ(pasteboard.snapshots, 0) << "the clipboard is not touched before the paste";
    workspace.front = editor;
    timers.advance(10ms);
    EXPECT_TRUE(pastedOnce());
    EXPECT_EQ(atChord, std::vector<std::string>{"abc"});
    timers.advance(kSnippetRestoreDelay);

    // Never in front: after the wait limit the paste goes to whatever is.
    poster.posted.clear();
    workspace.front = other;
    pasteSnippet("abc", std::string("org.example.Editor"));
    timers.advance(kActivationWaitLimit - 10ms);
    EXPECT_TRUE(poster.posted.empty());
    timers.advance(10ms);
    EXPECT_TRUE(pastedOnce());
    timers.advance(kSnippetRestoreDelay);

    // Not running, or already in front: no wait.
    for (const char* target : {"org.example.Missing", "org.example.Other"}) {
        poster.posted.clear();
        workspace.calls.clear();
        pasteSnippet("abc", std::string(target));
        timers.runDue();
        EXPECT_TRUE(pastedOnce()) << target;
        timers.advance(kSnippetRestoreDelay);
    }
    EXPECT_EQ(timers.pending(), 0u);
}

TEST_F(SnippetPasteTest, QuickSuccessiveSwapsEndWithTheUsersClipboard) {
    pasteboard.contents = kImage;
    pasteText("one", 300ms);
    pasteText("two", 300ms);  // while the first still takes its snapshot
    timers.advance(100ms);
    EXPECT_EQ(pasteboard.text(), "two");
    pasteText("three", 300ms);
    timers.advance(200ms);
    EXPECT_EQ(pasteboard.text(), "three") << "an earlier swap must not cut a later one short";
    timers.advance(100ms);
    EXPECT_EQ(pasteboard.contents, kImage);

    // The same with a clipboard manager taking over each text.
    pasteText("one", 300ms);
    timers.runDue();
    pasteboard.externalCopyText("one");
    pasteText("two", 300ms);
    timers.advance(300ms);
    EXPECT_EQ(pasteboard.contents, kImage);
}

TEST_F(SnippetPasteTest, FinishingEarlyAChordThatFailedOrAZeroDelay) {
    poster.succeeds = false;  // the chord cannot be posted: the clipboard still comes back
    pasteboard.contents = kRichText;
    int completions = 0;
    auto swap = pasteText("step", 80ms, [&] { ++completions; });
    timers.runDue();
    swap->finishNow();
    EXPECT_EQ(pasteboard.contents, kRichText);
    timers.advance(1s);
    swap->finishNow();
    EXPECT_EQ(completions, 1) << "a swap finishes once";

    bool done = false;
    pasteText("now", 0ms, [&] { done = true; });
    timers.runDue();
    EXPECT_TRUE(done);
    EXPECT_EQ(pasteboard.contents, kRichText);
}

}  // namespace
}  // namespace orbel
