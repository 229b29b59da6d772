#include <gtest/gtest.h>

#include <set>

#include "model/app_menu_preset.h"
#include "platform/app_counterparts.h"

// The templates on Linux: which application each applies to, and the chord
// its slots send there.

using namespace orbel;

namespace {

const AppMenuPreset& presetFor(const std::string& id) {
    for (const auto& p : AppMenuPreset::all())
        if (p.id == id) return p;
    throw std::logic_error("no template " + id);
}

// The chord of the keystroke slot titled `title`, anywhere in the dial.
std::optional<std::string> chordOf(const MenuGroup& group, const std::string& title) {
    for (const SlotConfig& slot : group.slots) {
        if (const auto* g = slot.type.get<SlotType::Group>()) {
            if (auto found = chordOf(*g->group, title)) return found;
        } else if (const auto* k = slot.type.get<SlotType::Keystroke>(); k && slot.title == title) {
            return k->steps.at(0).as<MacroStep::Chord>()->combination.shorthand();
        }
    }
    return std::nullopt;
}

std::string shorthand(const char* text) { return KeyCombination::parse(text)->shorthand(); }

void collectChords(const MenuGroup& group, std::vector<KeyCombination>& out) {
    for (const SlotConfig& slot : group.slots) {
        if (const auto* g = slot.type.get<SlotType::Group>()) collectChords(*g->group, out);
        else if (const auto* k = slot.type.get<SlotType::Keystroke>())
            for (const auto& step : k->steps) out.push_back(step.as<MacroStep::Chord>()->combination);
    }
}

}  // namespace

TEST(LinuxTemplates, EachTemplateSendsTheChordItsApplicationAnswersToHere) {
    struct Row {
        const char* preset;
        const char* slot;
        const char* chord;
    };
    const Row rows[] = {
        {"com.microsoft.VSCode", "Command Palette", "ctrl+shift+p"},
        {"com.microsoft.VSCode", "Format Document", "ctrl+shift+i"},
        {"com.microsoft.VSCode", "Toggle Terminal", "ctrl+`"},
        {"com.apple.dt.Xcode", "Run", "ctrl+r"},
        {"com.apple.dt.Xcode", "Continue", "f5"},
        {"com.figma.Desktop", "Frame", "f"},
        {"com.adobe.Photoshop", "Free Transform", "ctrl+t"},
        {"com.adobe.PremierePro.25", "Previous Marker", "ctrl+shift+m"},
        {"com.google.Chrome", "New", "ctrl+t"},
        {"com.google.Chrome", "Next", "ctrl+tab"},
        {"com.google.Chrome", "Back", "opt+left"},
        {"com.apple.Safari", "New Tab", "ctrl+t"},
        {"com.apple.Safari", "Private Window", "ctrl+shift+p"},
        {"com.apple.finder", "Get Info", "opt+return"},
        {"com.apple.finder", "Move to Trash", "fwddelete"},
        {"com.apple.finder", "Make Alias", "ctrl+m"},
        {"com.apple.Terminal", "New Tab", "ctrl+shift+t"},
        {"com.apple.Terminal", "Clear", "ctrl+l"},
        {"com.tinyspeck.slackmacgap", "Quick Switcher", "ctrl+k"},
    };
    std::set<std::string> named;
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.preset) + " / " + r.slot);
        const MenuGroup dial = presetFor(r.preset).buildForLinux();
        EXPECT_EQ(chordOf(dial, r.slot), shorthand(r.chord));
        named.insert(r.preset);
    }
    EXPECT_EQ(named.size(), AppMenuPreset::all().size()) << "every template is named";

    // No template sends Super (Command here) on Linux, every override row
    // names a slot that exists, and the written templates are unchanged.
    for (const AppMenuPreset& p : AppMenuPreset::all()) {
        SCOPED_TRACE(p.id);
        std::vector<KeyCombination> chords;
        collectChords(p.buildForLinux(), chords);
        for (const KeyCombination& c : chords) EXPECT_EQ(c.modifiers & 0x100u, 0u) << c.shorthand();
        EXPECT_EQ(chords.size(), [&] { std::vector<KeyCombination> w; collectChords(p.build(), w); return w.size(); }());
    }
    for (const auto& t : AppMenuPreset::linuxTemplateTable())
        for (const auto& [title, chord] : t.chords)
            EXPECT_TRUE(chordOf(presetFor(t.presetId).build(), title)) << t.presetId << " / " << title;
    EXPECT_EQ(chordOf(presetFor("com.apple.Safari").build(), "New Tab"), shorthand("cmd+t"));
}

TEST(LinuxTemplates, TheTableSaysWhatPlaysEachPartThroughTheIdentifierTable) {
    ASSERT_EQ(AppMenuPreset::linuxTemplateTable().size(), AppMenuPreset::all().size());
    for (const auto& t : AppMenuPreset::linuxTemplateTable()) {
        SCOPED_TRACE(t.presetId);
        // A part played here has a row in the identifier table; none, none.
        EXPECT_EQ(platform::counterpartFor(t.presetId) != nullptr, !t.playedBy.empty());
    }
    using platform::AppRole;
    EXPECT_EQ(platform::counterpartFor("com.apple.finder")->role, AppRole::fileManager);
    EXPECT_EQ(platform::counterpartFor("com.apple.Terminal")->role, AppRole::terminal);
    EXPECT_EQ(platform::counterpartFor("com.google.Chrome")->desktopIds.front(), "google-chrome");
    EXPECT_EQ(platform::counterpartFor("com.microsoft.VSCode")->desktopIds.front(), "code");
    EXPECT_EQ(platform::counterpartFor("com.tinyspeck.slackmacgap")->desktopIds.front(), "slack");
    EXPECT_EQ(platform::counterpartFor("com.apple.MobileSMS"), nullptr);  // Messages has no counterpart
}
