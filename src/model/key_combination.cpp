#include "model/key_combination.h"

#include <utility>

#include "model/text.h"

namespace orbel {

namespace {

struct NamedKey {
    const char* name;
    std::uint16_t code;
};

// Insertion order: named keys, letters, digits, function keys.
constexpr NamedKey kNamedKeys[] = {
    {"space", 49}, {"return", 36}, {"enter", 36}, {"tab", 48}, {"esc", 53}, {"escape", 53},
    {"\\", 42}, {",", 43}, {"delete", 51}, {"backspace", 51}, {"fwddelete", 117}, {"left", 123},
    {"right", 124}, {"up", 126}, {";", 41}, {".", 47}, {"down", 125}, {"`", 50}, {"-", 27},
    {"=", 24}, {"[", 33}, {"]", 30}, {"'", 39}, {"/", 44},
    // Letters.
    {"a", 0}, {"b", 11}, {"c", 8}, {"d", 2}, {"e", 14}, {"f", 3}, {"g", 5}, {"h", 4}, {"i", 34},
    {"j", 38}, {"k", 40}, {"l", 37}, {"m", 46}, {"n", 45}, {"o", 31}, {"p", 35}, {"q", 12},
    {"r", 15}, {"s", 1}, {"t", 17}, {"u", 32}, {"v", 9}, {"w", 13}, {"x", 7}, {"y", 16}, {"z", 6},
    // Digits.
    {"0", 29}, {"1", 18}, {"2", 19}, {"3", 20}, {"4", 21}, {"5", 23}, {"6", 22}, {"7", 26},
    {"8", 28}, {"9", 25},
    // Function keys.
    {"f1", 122}, {"f2", 120}, {"f3", 99}, {"f4", 118}, {"f5", 96}, {"f6", 97}, {"f7", 98},
    {"f8", 100}, {"f9", 101}, {"f10", 109}, {"f11", 103}, {"f12", 111}, {"f13", 105},
    {"f14", 107}, {"f15", 113}, {"f16", 106}, {"f17", 64}, {"f18", 79}, {"f19", 80}, {"f20", 90},
};

// Alias -> the name preferred over it. Only used to pick the writer's names.
constexpr std::pair<std::string_view, std::string_view> kKeyNameAliases[] = {
    {"enter", "return"},  {"backspace", "delete"}, {"fwddelete", "delete"}, {"escape", "esc"},
    {"option", "opt"},    {"alt", "opt"},          {"control", "ctrl"},     {"command", "cmd"},
    {"meta", "cmd"},      {"super", "cmd"},
};

bool isAliasOfAnotherName(std::string_view name) {
    for (const auto& [alias, preferred] : kKeyNameAliases) {
        if (alias == name && preferred != name) return true;
    }
    return false;
}

constexpr std::string_view kMousePrefix = "mouse:";
constexpr std::string_view kKeyCodePrefix = "key#";

// Modifier names as Linux desktops show them, in display order.
constexpr std::pair<std::uint32_t, std::string_view> kModifierNames[] = {
    {modifier::kControl, "Ctrl"},
    {modifier::kOption, "Alt"},
    {modifier::kShift, "Shift"},
    {modifier::kCommand, "Super"},
};

std::vector<std::string_view> splitKeepingEmpty(std::string_view text, char separator) {
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    while (true) {
        const std::size_t at = text.find(separator, start);
        if (at == std::string_view::npos) {
            pieces.push_back(text.substr(start));
            return pieces;
        }
        pieces.push_back(text.substr(start, at - start));
        start = at + 1;
    }
}

}  // namespace

const std::vector<ModifierEntry>& modifierEntries() {
    static const std::vector<ModifierEntry> entries = {
        {modifier::kControl, "ctrl", {"control"}},
        {modifier::kOption, "opt", {"alt", "option"}},
        {modifier::kShift, "shift", {}},
        {modifier::kCommand, "cmd", {"command", "meta", "super"}},
    };
    return entries;
}

const ModifierEntry* modifierEntry(std::string_view lowerCaseName) {
    for (const ModifierEntry& entry : modifierEntries()) {
        if (entry.canonical == lowerCaseName) return &entry;
        for (const std::string& alias : entry.aliases) {
            if (alias == lowerCaseName) return &entry;
        }
    }
    return nullptr;
}

const std::map<std::string, std::uint16_t, std::less<>>& keyCodesByName() {
    static const auto table = [] {
        std::map<std::string, std::uint16_t, std::less<>> map;
        for (const NamedKey& key : kNamedKeys) map.emplace(key.name, key.code);
        return map;
    }();
    return table;
}

const std::map<std::uint16_t, std::string>& keyNamesByCode() {
    static const auto table = [] {
        std::map<std::uint16_t, std::string> map;
        for (const auto& [name, code] : keyCodesByName()) {
            if (isAliasOfAnotherName(name)) continue;
            auto it = map.find(code);
            if (it != map.end() && it->second < name) continue;
            map[code] = name;
        }
        map[53] = "esc";
        map[36] = "return";
        map[51] = "delete";
        return map;
    }();
    return table;
}

std::optional<KeyCombination> KeyCombination::parse(std::string_view input) {
    const std::string text = text::toLower(text::trimSpacesAndTabs(input));
    if (text.empty()) return std::nullopt;

    const std::string_view view = text;
    if (view.starts_with(kMousePrefix)) {
        if (auto number = text::parseInt64(view.substr(kMousePrefix.size()))) {
            if (*number < 1) return std::nullopt;
            KeyCombination mouse;
            mouse.mouseButton = *number;
            return mouse;
        }
        // Not a number: fall through; no key name starts with "mouse:".
    }

    std::uint32_t mask = 0;
    std::optional<std::string_view> keyPiece;
    for (std::string_view piece : splitKeepingEmpty(view, '+')) {
        if (piece.empty()) return std::nullopt;
        if (const ModifierEntry* entry = modifierEntry(piece)) {
            mask |= entry->mask;
            continue;
        }
        if (keyPiece) return std::nullopt;
        keyPiece = piece;
    }
    if (!keyPiece) return std::nullopt;

    const auto& names = keyCodesByName();
    if (auto it = names.find(*keyPiece); it != names.end()) {
        return KeyCombination{it->second, mask, std::nullopt};
    }
    if (keyPiece->starts_with(kKeyCodePrefix)) {
        const auto number = text::parseInt64(keyPiece->substr(kKeyCodePrefix.size()));
        if (!number || *number < 0 || *number > 0xFFFF) return std::nullopt;
        return KeyCombination{static_cast<std::uint16_t>(*number), mask, std::nullopt};
    }
    return std::nullopt;
}

std::string KeyCombination::shorthand() const {
    if (mouseButton) return std::string(kMousePrefix) + std::to_string(*mouseButton);
    std::string out;
    for (const ModifierEntry& entry : modifierEntries()) {
        if ((modifiers & entry.mask) == 0) continue;
        out += entry.canonical;
        out += '+';
    }
    if (auto name = keyName(keyCode)) {
        out += *name;
    } else {
        out += kKeyCodePrefix;
        out += std::to_string(keyCode);
    }
    return out;
}

std::string KeyCombination::displayString() const {
    if (mouseButton) {
        // People count buttons from one. Widen before adding so the largest
        // stored number shows as 2^63 instead of overflowing.
        const std::int64_t button = *mouseButton;
        const std::string number = button >= 0
                                       ? std::to_string(static_cast<std::uint64_t>(button) + 1U)
                                       : std::to_string(button + 1);
        return "Mouse " + number;
    }
    std::string out;
    for (const auto& [mask, name] : kModifierNames) {
        if ((modifiers & mask) == 0) continue;
        out += name;
        out += '+';
    }
    out += keyLabel(keyCode);
    return out;
}

std::string KeyCombination::keyLabel(std::uint16_t keyCode) {
    switch (keyCode) {
        case 0: return "A";
        case 1: return "S";
        case 2: return "D";
        case 3: return "F";
        case 4: return "H";
        case 5: return "G";
        case 6: return "Z";
        case 7: return "X";
        case 8: return "C";
        case 9: return "V";
        case 11: return "B";
        case 12: return "Q";
        case 13: return "W";
        case 14: return "E";
        case 15: return "R";
        case 16: return "Y";
        case 17: return "T";
        case 31: return "O";
        case 32: return "U";
        case 34: return "I";
        case 35: return "P";
        case 37: return "L";
        case 38: return "J";
        case 40: return "K";
        case 45: return "N";
        case 46: return "M";
        case 18: return "1";
        case 19: return "2";
        case 20: return "3";
        case 21: return "4";
        case 22: return "6";
        case 23: return "5";
        case 25: return "9";
        case 26: return "7";
        case 28: return "8";
        case 29: return "0";
        case 24: return "=";
        case 27: return "-";
        case 30: return "]";
        case 33: return "[";
        case 39: return "'";
        case 41: return ";";
        case 42: return "\\";
        case 43: return ",";
        case 44: return "/";
        case 47: return ".";
        case 50: return "`";
        case 36: return "Return";
        case 48: return "Tab";
        case 49: return "Space";
        case 51: return "Backspace";
        case 53: return "Escape";
        case 117: return "Delete";
        case 123: return "Left";
        case 124: return "Right";
        case 125: return "Down";
        case 126: return "Up";
        case 122: return "F1";
        case 120: return "F2";
        case 99: return "F3";
        case 118: return "F4";
        case 96: return "F5";
        case 97: return "F6";
        case 98: return "F7";
        case 100: return "F8";
        case 101: return "F9";
        case 109: return "F10";
        case 103: return "F11";
        case 111: return "F12";
        case 105: return "F13";
        case 107: return "F14";
        case 113: return "F15";
        case 106: return "F16";
        case 64: return "F17";
        case 79: return "F18";
        case 80: return "F19";
        case 90: return "F20";
        default: return "Key " + std::to_string(keyCode);
    }
}

std::optional<std::string> KeyCombination::keyName(std::uint16_t keyCode) {
    const auto& names = keyNamesByCode();
    if (auto it = names.find(keyCode); it != names.end()) return it->second;
    return std::nullopt;
}

KeyCombination KeyCombination::fromJson(const json::Node& node) {
    const std::string text = node.asString();
    if (auto parsed = parse(text)) return *parsed;
    node.fail("Unrecognized hotkey shorthand: \"" + text + "\"");
}

json::Json KeyCombination::toJson() const { return shorthand(); }

}  // namespace orbel
