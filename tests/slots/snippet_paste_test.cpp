#include <gtest/gtest.h>

#include "fakes/fake_event_poster.h"
#include "fakes/fake_pasteboard.h"
#include "fakes/fake_system_platform.h"
#include "fakes/fake_timers.h"
#include "slots/snippet_paste.h"

namespace orbel {
namespace {

using namespace std::chrono_literals;
using platform::PasteboardSnapshot;
using Outcome = PasteSwap::Outcome;

const PasteboardSnapshot kRichText{{{"text/plain", "before"}, {"text/html", "<b>before</b>"}}};
const PasteboardSnapshot kImage{{{"image/png", std::string("\x89PNG\r\n\x1a\n-pixels-", 16)}}};
const PasteboardSnapshot kNothing{};

class SnippetPasteTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::Pasteboard::setShared(&pasteboard);
        platform::EventPoster::setShared(&poster);
        platform::Timers::setShared(&timers);
        platform::Workspace::setShared(&workspace);
        // What the clipboard holds at the moment Ctrl+V goes out.
        poster.onPost = [this](const fakes::PostedInput&) { atChord.push_back(pasteboard.text().value_or("<none>")); };
    }
    void TearDown() override {
        platform::Pasteboard::setShared(nullptr);
        platform::EventPoster::setShared(nullptr);
        platform::Timers::setShared(nullptr);
        platform::Workspace::setShared(nullptr);
    }
    bool pastedOnce() const { return poster.posted.size() == 1 && poster.posted[0].isChord(9, 0x1000); }

    fakes::FakePasteboard pasteboard;
    fakes::FakeEventPoster poster;
    fakes::FakeTimers timers;
    fakes::FakeWorkspace workspace;
    std::vector<std::string> atChord;
};

TEST_F(SnippetPasteTest, EveryKindOfClipboardComesBackAfterTheDelay) {
    for (const PasteboardSnapshot& before : {kRichText, kImage, kNothing}) {
        SCOPED_TRACE(before.empty() ? "nothing" : before.formats.front().first);
        pasteboard.contents = before;
        poster.posted.clear();
        atChord.clear();

        pasteSnippet("snippet ✓", std::nullopt);
        EXPECT_TRUE(pastedOnce());
        EXPECT_EQ(atChord, std::vector<std::string>{"snippet ✓"});

        timers.advance(299ms);
        EXPECT_EQ(pasteboard.text(), "snippet ✓") << "the target still has time to read it";
        timers.advance(1ms);
        EXPECT_EQ(pasteboard.contents, before);
        EXPECT_EQ(timers.pending(), 0u);
    }
}

TEST_F(SnippetPasteTest, ACopyMadeDuringTheDelayIsKept) {
    for (const PasteboardSnapshot& copied : {PasteboardSnapshot{{{"text/plain", "user copy"}}}, kImage}) {
        pasteboard.contents = kRichText;
        bool done = false;
        auto swap = pasteText("snippet", 300ms, [&] { done = true; });
        timers.advance(120ms);
        pasteboard.externalCopy(copied);
        timers.advance(180ms);
        EXPECT_EQ(pasteboard.contents, copied);
        EXPECT_TRUE(done);
        EXPECT_EQ(swap->outcome(), Outcome::userCopied);
    }
}

TEST_F(SnippetPasteTest, AnEmptySnippetDoesNothingAtAll) {
    workspace.running = {{42, "org.example.Editor"}};
    pasteboard.contents = kRichText;
    pasteSnippet("", std::string("org.example.Editor"));
    EXPECT_TRUE(poster.posted.empty());
    EXPECT_TRUE(workspace.calls.empty());
    EXPECT_EQ(pasteboard.snapshots, 0);
    EXPECT_TRUE(pasteboard.textWrites.empty());
    EXPECT_EQ(timers.pending(), 0u);
}

TEST_F(SnippetPasteTest, PastesOnceTheTargetIsInFront) {
    const platform::RunningApplication editor{42, "org.example.Editor"};
    const platform::RunningApplication other{7, "org.example.Other"};
    workspace.running = {other, editor};
    workspace.front = other;

    pasteSnippet("abc", std::string("org.example.Editor"));
    EXPECT_EQ(workspace.calls, std::vector<std::string>{"activate org.example.Editor"});
    EXPECT_TRUE(poster.posted.empty()) << "the focus has not moved yet";
    EXPECT_EQ(pasteboard.snapshots, 0) << "the clipboard is not touched before the paste";
    timers.advance(20ms);
    EXPECT_TRUE(poster.posted.empty());

    workspace.front = editor;
    timers.advance(10ms);
    EXPECT_TRUE(pastedOnce());
    EXPECT_EQ(atChord, std::vector<std::string>{"abc"});
}

TEST_F(SnippetPasteTest, TargetsThatNeverComeForwardOrAreNotRunning) {
    workspace.running = {{42, "org.example.Editor"}};
    workspace.front = platform::RunningApplication{7, "org.example.Other"};
    pasteSnippet("abc", std::string("org.example.Editor"));
    timers.advance(kActivationWaitLimit - 10ms);
    EXPECT_TRUE(poster.posted.empty());
    timers.advance(10ms);
    EXPECT_TRUE(pastedOnce()) << "after the wait limit the paste goes to whatever is in front";
    timers.advance(kSnippetRestoreDelay);
    EXPECT_EQ(timers.pending(), 0u);

    poster.posted.clear();
    workspace.calls.clear();
    pasteSnippet("abc", std::string("org.example.Missing"));
    EXPECT_TRUE(workspace.calls.empty());
    EXPECT_TRUE(pastedOnce()) << "a target that is not running is not waited for";

    // Already in front: no wait either.
    poster.posted.clear();
    workspace.front = platform::RunningApplication{42, "org.example.Editor"};
    pasteSnippet("abc", std::string("org.example.Editor"));
    EXPECT_TRUE(pastedOnce());
}

TEST_F(SnippetPasteTest, QuickSuccessiveSwapsEndWithTheUsersClipboard) {
    pasteboard.contents = kImage;
    auto first = pasteText("one", 300ms);
    timers.advance(100ms);
    auto second = pasteText("two", 300ms);
    EXPECT_EQ(pasteboard.text(), "two");
    timers.advance(200ms);
    EXPECT_EQ(first->outcome(), Outcome::handedOver);
    EXPECT_EQ(pasteboard.text(), "two") << "the first swap must not cut the second one short";
    timers.advance(100ms);
    EXPECT_EQ(second->outcome(), Outcome::restored);
    EXPECT_EQ(pasteboard.contents, kImage);

    // A swap that starts after the user copied over a finished one saves that copy.
    pasteboard.externalCopyText("fresh");
    pasteText("three", 80ms);
    timers.advance(80ms);
    EXPECT_EQ(pasteboard.contents, (PasteboardSnapshot{{{"text/plain", "fresh"}}}));
}

TEST_F(SnippetPasteTest, AChordThatCannotBePostedStillRestores) {
    poster.succeeds = false;
    pasteboard.contents = kRichText;
    pasteSnippet("abc", std::nullopt);
    timers.advance(kSnippetRestoreDelay);
    EXPECT_EQ(pasteboard.contents, kRichText);
}

TEST_F(SnippetPasteTest, SwapsForOtherCallersUseTheirPosterDelayAndCompletion) {
    pasteboard.contents = kRichText;
    std::vector<KeyCombination> chords;
    int completions = 0;
    auto swap = pasteText("step", 80ms, [&] { ++completions; }, [&](const KeyCombination& c) {
        chords.push_back(c);
        EXPECT_EQ(pasteboard.text(), "step");
    });
    EXPECT_EQ(chords, std::vector<KeyCombination>{kPasteChord});
    EXPECT_TRUE(poster.posted.empty());

    swap->finishNow();
    EXPECT_EQ(swap->outcome(), Outcome::restored);
    EXPECT_EQ(pasteboard.contents, kRichText);
    EXPECT_EQ(completions, 1);
    timers.advance(1s);
    swap->finishNow();
    EXPECT_EQ(completions, 1) << "a swap finishes once";

    // A zero delay still waits for the event loop.
    bool done = false;
    pasteText("now", 0ms, [&] { done = true; });
    EXPECT_FALSE(done);
    timers.runDue();
    EXPECT_TRUE(done);
    EXPECT_EQ(pasteboard.contents, kRichText);
}

}  // namespace
}  // namespace orbel
