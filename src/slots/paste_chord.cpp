#include "slots/paste_chord.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>

namespace orbel {
namespace {

// WM_CLASS instance or class names, in lower case.
constexpr std::array<std::string_view, 6> kSelectionTerminals{"xterm", "uxterm", "urxvt", "rxvt", "aterm", "eterm"};
constexpr std::array<std::string_view, 37> kTerminals{
    "gnome-terminal",   "gnome-terminal-server", "org.gnome.terminal", "org.gnome.console",   "kgx",
    "org.gnome.ptyxis", "ptyxis",                "konsole",            "org.kde.konsole",     "yakuake",
    "xfce4-terminal",   "mate-terminal",         "lxterminal",         "qterminal",           "tilix",
    "com.gexperts.tilix", "terminator",          "guake",              "tilda",               "sakura",
    "terminology",      "alacritty",             "kitty",              "wezterm",             "org.wezfurlong.wezterm",
    "st",               "st-256color",           "deepin-terminal",    "cool-retro-term",     "roxterm",
    "foot",             "footclient",            "contour",            "io.elementary.terminal", "pantheon-terminal",
    "mlterm",           "x-terminal-emulator"};

std::string lower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return out;
}

template <std::size_t N>
bool listed(const std::array<std::string_view, N>& table, const platform::WindowClass& w) {
    const std::string names[] = {lower(w.instance), lower(w.name)};
    return std::any_of(std::begin(names), std::end(names), [&](const std::string& n) {
        return !n.empty() && std::find(table.begin(), table.end(), n) != table.end();
    });
}

}  // namespace

PasteTarget pasteTargetFor(const std::optional<platform::WindowClass>& windowClass) {
    if (!windowClass) return PasteTarget::application;
    if (listed(kSelectionTerminals, *windowClass)) return PasteTarget::selectionTerminal;
    if (listed(kTerminals, *windowClass)) return PasteTarget::terminal;
    return PasteTarget::application;
}

KeyCombination pasteChordFor(PasteTarget target) {
    constexpr std::uint16_t kV = 9;
    constexpr std::uint16_t kInsert = 114;  // where PC keyboards have Insert
    switch (target) {
    case PasteTarget::terminal: return {kV, modifier::kControl | modifier::kShift, std::nullopt};
    case PasteTarget::selectionTerminal: return {kInsert, modifier::kShift, std::nullopt};
    case PasteTarget::application: break;
    }
    return {kV, modifier::kControl, std::nullopt};
}

}  // namespace orbel
