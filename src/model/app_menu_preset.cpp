#include "model/app_menu_preset.h"

#include <stdexcept>
#include <string_view>

namespace orbel {

namespace {

KeyCombination keys(std::string_view shorthand) {
    const auto parsed = KeyCombination::parse(shorthand);
    if (!parsed) throw std::logic_error("Preset shorthand does not parse: " + std::string(shorthand));
    return *parsed;
}

SlotIcon sf(std::string name) { return SlotIcon::symbolPack(IconPack{"sf"}, std::move(name)); }
SlotIcon mono(std::string text) { return SlotIcon::monogram(std::move(text)); }

SlotConfig key(std::string title, SlotIcon icon, std::string_view shorthand) {
    return AppMenuPreset::keystrokeSlot(std::move(title), std::move(icon), {keys(shorthand)});
}

SlotConfig group(std::string title, SlotIcon icon, std::vector<SlotConfig> slots) {
    MenuGroup g{Uuid::random(), title, std::move(slots), icon};
    return SlotConfig{Uuid::random(), SlotType::group(std::move(g)), std::move(title), std::move(icon),
                      SlotScope::global()};
}

MenuGroup dial(std::string title, std::vector<SlotConfig> slots) {
    return MenuGroup{Uuid::random(), std::move(title), std::move(slots), SlotIcon::automatic()};
}

MenuGroup visualStudioCode() {
    return dial("Visual Studio Code",
                {
                    key("Command Palette", sf("command.square"), "shift+cmd+p"),
                    key("Quick Open", sf("magnifyingglass"), "cmd+p"),
                    key("Toggle Terminal", sf("terminal"), "ctrl+`"),
                    group("Editor", sf("text.cursor"),
                          {
                              key("Comment Line", sf("text.badge.minus"), "cmd+/"),
                              key("Format Document", sf("text.alignleft"), "opt+shift+f"),
                              key("Move Line Up", sf("arrow.up.to.line"), "opt+up"),
                              key("Move Line Down", sf("arrow.down.to.line"), "opt+down"),
                              key("Duplicate Line", sf("doc.on.doc"), "opt+shift+down"),
                              key("Delete Line", sf("trash"), "shift+cmd+k"),
                          }),
                    group("Search", sf("doc.text.magnifyingglass"),
                          {
                              key("Find", sf("magnifyingglass"), "cmd+f"),
                              key("Replace", sf("arrow.2.squarepath"), "opt+cmd+f"),
                              key("Find in Files", sf("doc.text.magnifyingglass"), "shift+cmd+f"),
                              key("Replace in Files", sf("arrow.triangle.2.circlepath.doc"), "shift+cmd+h"),
                              key("Add Next Match", sf("plus.magnifyingglass"), "cmd+d"),
                          }),
                    group("Navigate", sf("arrow.left.arrow.right"),
                          {
                              key("Toggle Sidebar", sf("sidebar.left"), "cmd+b"),
                              key("Go to Symbol", sf("function"), "shift+cmd+o"),
                              key("Go to Line", sf("number"), "ctrl+g"),
                              key("Go to Definition", sf("arrow.up.right.square"), "f12"),
                              key("Peek Definition", sf("eye"), "opt+f12"),
                              key("Back", sf("chevron.backward"), "ctrl+-"),
                          }),
                });
}

MenuGroup xcode() {
    return dial("Xcode",
                {
                    key("Open Quickly", sf("magnifyingglass"), "shift+cmd+o"),
                    key("Find in Project", sf("doc.text.magnifyingglass"), "shift+cmd+f"),
                    group("Build", sf("hammer"),
                          {
                              key("Run", sf("play.fill"), "cmd+r"),
                              key("Build", sf("hammer"), "cmd+b"),
                              key("Test", sf("checkmark.circle"), "cmd+u"),
                              key("Stop", sf("stop.fill"), "cmd+."),
                              key("Clean", sf("trash"), "shift+cmd+k"),
                              key("Profile", sf("speedometer"), "cmd+i"),
                          }),
                    group("Navigate", sf("sidebar.left"),
                          {
                              key("Toggle Navigator", sf("sidebar.left"), "cmd+0"),
                              key("Toggle Inspector", sf("sidebar.right"), "opt+cmd+0"),
                              key("Toggle Debug Area", sf("rectangle.bottomthird.inset.filled"), "shift+cmd+y"),
                              key("Project", mono("1"), "cmd+1"),
                              key("Issues", sf("exclamationmark.triangle"), "cmd+5"),
                              key("Documentation", sf("book"), "shift+cmd+0"),
                          }),
                    group("Editor", sf("text.cursor"),
                          {
                              key("Find", sf("magnifyingglass"), "cmd+f"),
                              key("Comment Line", sf("text.badge.minus"), "cmd+/"),
                              key("Move Line Up", sf("arrow.up.to.line"), "opt+cmd+["),
                              key("Move Line Down", sf("arrow.down.to.line"), "opt+cmd+]"),
                              key("Cursor Above", sf("text.cursor"), "ctrl+shift+up"),
                              key("Cursor Below", sf("text.cursor"), "ctrl+shift+down"),
                          }),
                    group("Debug", sf("ladybug"),
                          {
                              key("Continue", sf("play.fill"), "ctrl+cmd+y"),
                              key("Step Over", sf("arrow.right.to.line"), "f6"),
                              key("Step Into", sf("arrow.down.right.circle"), "f7"),
                              key("Step Out", sf("arrow.up.right.circle"), "f8"),
                              key("Toggle Breakpoint", sf("circle.fill"), "cmd+\\"),
                          }),
                });
}

MenuGroup figma() {
    return dial("Figma", {
                             key("Move Tool", mono("V"), "v"),
                             key("Frame", mono("F"), "f"),
                             key("Rectangle", mono("R"), "r"),
                             key("Ellipse", mono("O"), "o"),
                             key("Text", mono("T"), "t"),
                             key("Pen", mono("P"), "p"),
                         });
}

MenuGroup photoshop() {
    return dial("Photoshop",
                {
                    key("Free Transform", sf("arrow.up.left.and.arrow.down.right"), "cmd+t"),
                    key("Save", sf("square.and.arrow.down"), "cmd+s"),
                    group("Tools", sf("paintbrush.pointed"),
                          {
                              key("Move", mono("V"), "v"),
                              key("Marquee", mono("M"), "m"),
                              key("Lasso", mono("L"), "l"),
                              key("Brush", mono("B"), "b"),
                              key("Eraser", mono("E"), "e"),
                              key("Type", mono("T"), "t"),
                          }),
                    group("Layers", sf("square.3.layers.3d.down.right"),
                          {
                              key("New Layer", sf("plus.square"), "shift+cmd+n"),
                              key("Duplicate Layer", sf("plus.square.on.square"), "cmd+j"),
                              key("Group Layers", sf("folder"), "cmd+g"),
                              key("Merge Down", sf("rectangle.compress.vertical"), "cmd+e"),
                              key("Merge Visible", sf("square.stack.3d.down.right"), "shift+cmd+e"),
                              key("Bring to Front", sf("square.3.layers.3d.top.filled"), "shift+cmd+]"),
                          }),
                    group("Select", sf("dashed.rectangle"),
                          {
                              key("All", sf("rectangle.dashed"), "cmd+a"),
                              key("Deselect", sf("rectangle"), "cmd+d"),
                              key("Reselect", sf("arrow.uturn.forward"), "shift+cmd+d"),
                              key("Inverse", sf("arrow.left.and.right"), "shift+cmd+i"),
                              key("Feather", sf("circle.dashed"), "shift+f6"),
                          }),
                    group("View", sf("eye"),
                          {
                              key("Zoom In", sf("plus.magnifyingglass"), "cmd+="),
                              key("Zoom Out", sf("minus.magnifyingglass"), "cmd+-"),
                              key("Fit Screen", sf("arrow.up.left.and.arrow.down.right"), "cmd+0"),
                              key("Actual Size", mono("1\u00D7"), "cmd+1"),
                              key("Show Rulers", sf("ruler"), "cmd+r"),
                              key("Show Grid", sf("grid"), "cmd+'"),
                          }),
                });
}

MenuGroup premierePro() {
    return dial("Premiere Pro",
                {
                    key("Play / Pause", sf("playpause.fill"), "space"),
                    key("Mark In", mono("I"), "i"),
                    key("Mark Out", mono("O"), "o"),
                    group("Tools", sf("wrench.and.screwdriver"),
                          {
                              key("Selection", mono("V"), "v"),
                              key("Track Forward", mono("A"), "a"),
                              key("Ripple Edit", mono("B"), "b"),
                              key("Razor", mono("C"), "c"),
                              key("Pen", mono("P"), "p"),
                              key("Hand", mono("H"), "h"),
                          }),
                    group("Edit", sf("scissors"),
                          {
                              key("Cut", sf("scissors"), "cmd+x"),
                              key("Copy", sf("doc.on.doc"), "cmd+c"),
                              key("Paste", sf("doc.on.clipboard"), "cmd+v"),
                              key("Undo", sf("arrow.uturn.backward"), "cmd+z"),
                              key("Redo", sf("arrow.uturn.forward"), "shift+cmd+z"),
                              key("Export", sf("square.and.arrow.up"), "cmd+m"),
                          }),
                    group("Timeline", sf("timeline.selection"),
                          {
                              key("Step Forward", sf("arrow.right"), "right"),
                              key("Step Back", sf("arrow.left"), "left"),
                              key("Next Edit", sf("arrow.down.to.line"), "down"),
                              key("Previous Edit", sf("arrow.up.to.line"), "up"),
                              key("Go to In", sf("arrow.left.to.line"), "shift+i"),
                              group("Markers", sf("flag"),
                                    {
                                        key("Add Marker", sf("flag.fill"), "m"),
                                        key("Next Marker", sf("flag"), "shift+m"),
                                        key("Previous Marker", sf("flag"), "shift+cmd+m"),
                                        key("Clear Marker", sf("flag.slash"), "opt+m"),
                                    }),
                          }),
                });
}

MenuGroup chrome() {
    return dial("Chrome",
                {
                    key("Address Bar", sf("magnifyingglass"), "cmd+l"),
                    key("Find on Page", sf("doc.text.magnifyingglass"), "cmd+f"),
                    group("Tabs", sf("rectangle.split.3x1"),
                          {
                              key("New", sf("plus.rectangle.on.rectangle"), "cmd+t"),
                              key("Close", sf("xmark.rectangle"), "cmd+w"),
                              key("Reopen", sf("arrow.uturn.backward"), "shift+cmd+t"),
                              key("Next", sf("chevron.right"), "opt+cmd+right"),
                              key("Previous", sf("chevron.left"), "opt+cmd+left"),
                              key("Incognito", sf("eyeglasses"), "shift+cmd+n"),
                          }),
                    group("Navigate", sf("globe"),
                          {
                              key("Back", sf("chevron.backward"), "cmd+["),
                              key("Forward", sf("chevron.forward"), "cmd+]"),
                              key("Reload", sf("arrow.clockwise"), "cmd+r"),
                              key("Hard Reload", sf("arrow.clockwise.circle"), "shift+cmd+r"),
                              key("Stop", sf("xmark.circle"), "esc"),
                          }),
                    group("Bookmarks", sf("bookmark"),
                          {
                              key("Bookmark Page", sf("bookmark.fill"), "cmd+d"),
                              key("Bookmark All Tabs", sf("books.vertical"), "shift+cmd+d"),
                              key("Toggle Bar", sf("rectangle.topthird.inset.filled"), "shift+cmd+b"),
                              key("Manage", sf("slider.horizontal.3"), "opt+cmd+b"),
                          }),
                    group("DevTools", sf("hammer"),
                          {
                              key("Open", sf("hammer"), "opt+cmd+i"),
                              key("Console", sf("terminal"), "opt+cmd+j"),
                              key("Inspect Element", sf("cursorarrow.rays"), "shift+cmd+c"),
                              key("View Source", sf("doc.plaintext"), "opt+cmd+u"),
                              key("Save Page", sf("square.and.arrow.down"), "cmd+s"),
                          }),
                });
}

MenuGroup safari() {
    return dial("Safari", {
                              key("New Tab", sf("plus.rectangle.on.rectangle"), "cmd+t"),
                              key("Reopen Tab", sf("arrow.uturn.backward"), "shift+cmd+t"),
                              key("Address Bar", sf("magnifyingglass"), "cmd+l"),
                              key("Reload", sf("arrow.clockwise"), "cmd+r"),
                              key("Reader", sf("text.book.closed"), "shift+cmd+r"),
                              key("Private Window", sf("eyeglasses"), "shift+cmd+n"),
                          });
}

MenuGroup finder() {
    return dial("Finder",
                {
                    key("Get Info", sf("info.circle"), "cmd+i"),
                    key("Go to Folder", sf("arrow.forward"), "shift+cmd+g"),
                    group("Open", sf("folder"),
                          {
                              key("New Window", sf("macwindow.badge.plus"), "cmd+n"),
                              key("New Tab", sf("plus.rectangle.on.rectangle"), "cmd+t"),
                              key("New Folder", sf("folder.badge.plus"), "shift+cmd+n"),
                              key("Open", sf("arrow.up.right.square"), "cmd+o"),
                              key("Close Window", sf("xmark.rectangle"), "cmd+w"),
                          }),
                    group("View", sf("eye"),
                          {
                              key("Icons", sf("square.grid.2x2"), "cmd+1"),
                              key("List", sf("list.bullet"), "cmd+2"),
                              key("Columns", sf("rectangle.split.3x1"), "cmd+3"),
                              key("Gallery", sf("photo.on.rectangle"), "cmd+4"),
                              key("Show Hidden", sf("eye"), "shift+cmd+."),
                              key("Quick Look", sf("eye.circle"), "space"),
                          }),
                    group("Files", sf("doc"),
                          {
                              key("Duplicate", sf("plus.square.on.square"), "cmd+d"),
                              key("Make Alias", sf("link"), "ctrl+cmd+a"),
                              key("Move to Trash", sf("trash"), "cmd+delete"),
                              key("Empty Trash", sf("trash.slash"), "shift+cmd+delete"),
                              key("Eject", sf("eject"), "cmd+e"),
                          }),
                    group("Edit", sf("scissors"),
                          {
                              key("Select All", sf("checkmark.circle"), "cmd+a"),
                              key("Copy", sf("doc.on.doc"), "cmd+c"),
                              key("Paste", sf("doc.on.clipboard"), "cmd+v"),
                              key("Move Item Here", sf("arrow.down.doc"), "opt+cmd+v"),
                          }),
                });
}

MenuGroup terminal() {
    return dial("Terminal", {
                                key("New Window", sf("macwindow.badge.plus"), "cmd+n"),
                                key("New Tab", sf("plus.rectangle.on.rectangle"), "cmd+t"),
                                key("Clear", sf("clear"), "cmd+k"),
                                key("Find", sf("magnifyingglass"), "cmd+f"),
                                key("Bigger Text", sf("plus.magnifyingglass"), "cmd+="),
                                key("Smaller Text", sf("minus.magnifyingglass"), "cmd+-"),
                            });
}

MenuGroup slack() {
    return dial("Slack", {
                             key("Quick Switcher", sf("magnifyingglass"), "cmd+k"),
                             key("Threads", sf("bubble.left.and.bubble.right"), "shift+cmd+t"),
                             key("All Unreads", sf("bell.badge"), "shift+cmd+a"),
                             key("Direct Messages", sf("person.bubble"), "shift+cmd+k"),
                             key("Mark All Read", sf("checkmark.circle"), "shift+esc"),
                             key("New Message", sf("square.and.pencil"), "cmd+n"),
                         });
}

AppMenuPreset preset(std::string bundleId, std::string displayName, std::string symbolName, std::string summary,
                     MenuGroup (*build)()) {
    return AppMenuPreset{bundleId, bundleId, std::move(displayName), std::move(summary), std::move(symbolName),
                         build};
}

}  // namespace

SlotConfig AppMenuPreset::keystrokeSlot(std::string title, SlotIcon icon,
                                        const std::vector<KeyCombination>& combinations) {
    std::vector<MacroStep> steps;
    steps.reserve(combinations.size());
    for (const KeyCombination& c : combinations) steps.push_back(MacroStep::chord(c));
    return SlotConfig{Uuid::random(), SlotType::keystroke(std::move(steps)), std::move(title), std::move(icon),
                      SlotScope::global()};
}

const std::vector<AppMenuPreset::LinuxTemplate>& AppMenuPreset::linuxTemplateTable() {
    // Command becomes Ctrl unless a row says otherwise; Option is Alt.
    static const std::vector<LinuxTemplate> table = {
        {"com.microsoft.VSCode", "Visual Studio Code (code, code-oss, codium)",
         {{"Format Document", "ctrl+shift+i"},
          {"Duplicate Line", "ctrl+opt+shift+down"},
          {"Replace", "ctrl+h"},
          {"Peek Definition", "ctrl+shift+f10"},
          {"Back", "ctrl+opt+-"}}},
        {"com.apple.dt.Xcode", "", {{"Continue", "f5"}}},
        {"com.figma.Desktop", "", {}},
        {"com.adobe.Photoshop", "", {}},
        {"com.adobe.PremierePro.25", "", {}},
        {"com.google.Chrome", "Google Chrome or Chromium (google-chrome, chromium)",
         {{"Next", "ctrl+tab"},
          {"Previous", "ctrl+shift+tab"},
          {"Back", "opt+left"},
          {"Forward", "opt+right"},
          {"Manage", "ctrl+shift+o"},
          {"Open", "ctrl+shift+i"},
          {"Console", "ctrl+shift+j"},
          {"View Source", "ctrl+u"}}},
        {"com.apple.Safari", "the default browser (Firefox's chords)",
         {{"Reader", "ctrl+opt+r"}, {"Private Window", "ctrl+shift+p"}}},
        {"com.apple.finder", "the default file manager",
         {{"Get Info", "opt+return"},
          {"Go to Folder", "ctrl+l"},
          {"Open", "return"},
          {"Show Hidden", "ctrl+h"},
          {"Make Alias", "ctrl+m"},
          {"Move to Trash", "fwddelete"}}},
        {"com.apple.Terminal", "the default terminal",
         {{"New Window", "ctrl+shift+n"},
          {"New Tab", "ctrl+shift+t"},
          {"Clear", "ctrl+l"},
          {"Find", "ctrl+shift+f"},
          {"Bigger Text", "ctrl+shift+="},
          {"Smaller Text", "ctrl+-"}}},
        {"com.tinyspeck.slackmacgap", "Slack (slack, com.slack.Slack)", {}},
    };
    return table;
}

KeyCombination AppMenuPreset::linuxChord(const std::string& title, const KeyCombination& written) const {
    for (const LinuxTemplate& t : linuxTemplateTable()) {
        if (t.presetId != id) continue;
        for (const auto& [slotTitle, chord] : t.chords)
            if (slotTitle == title) return keys(chord);
    }
    constexpr std::uint32_t command = 0x100, control = 0x1000, option = 0x800;
    KeyCombination out = written;
    if (out.modifiers & command) {
        // Command with Control already held would meet Ctrl alone: Ctrl+Alt.
        out.modifiers = (out.modifiers & ~command) | ((out.modifiers & control) ? control | option : control);
    }
    return out;
}

namespace {
void toLinux(const AppMenuPreset& preset, MenuGroup& group) {
    for (SlotConfig& slot : group.slots) {
        if (auto* nested = slot.type.get<SlotType::Group>()) {
            MenuGroup inner = *nested->group;
            toLinux(preset, inner);
            slot.type = SlotType::group(std::move(inner));
        } else if (const auto* keystroke = slot.type.get<SlotType::Keystroke>()) {
            std::vector<MacroStep> steps = keystroke->steps;
            for (MacroStep& step : steps)
                if (const auto* chord = step.as<MacroStep::Chord>())
                    step = MacroStep::chord(preset.linuxChord(slot.title, chord->combination));
            slot.type = SlotType::keystroke(std::move(steps));
        }
    }
}
}  // namespace

MenuGroup AppMenuPreset::buildForLinux() const {
    MenuGroup group = build();
    toLinux(*this, group);
    return group;
}

const std::vector<AppMenuPreset>& AppMenuPreset::all() {
    static const std::vector<AppMenuPreset> presets = {
        preset("com.microsoft.VSCode", "Visual Studio Code", "chevron.left.forwardslash.chevron.right",
               "Palette, Quick Open, Terminal up front; Editor, Search, Navigate grouped.", visualStudioCode),
        preset("com.apple.dt.Xcode", "Xcode", "hammer",
               "Open Quickly and Find up front; Build, Navigate, Editor, Debug grouped.", xcode),
        preset("com.figma.Desktop", "Figma", "paintbrush.pointed", "The six core drawing tools at your fingertips.",
               figma),
        preset("com.adobe.Photoshop", "Adobe Photoshop", "paintbrush",
               "Tools, Layers, Select, View grouped \u2014 Free Transform and Save up front.", photoshop),
        preset("com.adobe.PremierePro.25", "Adobe Premiere Pro", "film",
               "Play, In, Out at a glance; Tools, Edit, and Timeline (with Markers) grouped.", premierePro),
        preset("com.google.Chrome", "Google Chrome", "globe",
               "Address bar and Find on the dial; Tabs, Navigate, Bookmarks, DevTools grouped.", chrome),
        preset("com.apple.Safari", "Safari", "safari", "Tabs, address bar, reload, reader, and a private window.",
               safari),
        preset("com.apple.finder", "Finder", "macwindow",
               "Get Info and Go to Folder up front; Open, View, Files, Edit grouped.", finder),
        preset("com.apple.Terminal", "Terminal", "terminal", "Windows, tabs, clear, find, and font sizing.",
               terminal),
        preset("com.tinyspeck.slackmacgap", "Slack", "message",
               "Quick switcher, threads, DMs, unreads, and a fresh message.", slack),
    };
    return presets;
}

}  // namespace orbel
