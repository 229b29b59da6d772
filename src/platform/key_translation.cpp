#include "platform/key_translation.h"

#include <Qt>
#include <utility>

namespace orbel::platform {
namespace {

struct KeyRow {
    std::uint16_t keyCode;
    std::uint32_t keysym;
};

// Key code -> the keysym of the key's first level on a US layout. Keys
// absent here have no X counterpart.
constexpr KeyRow kKeys[] = {
    {0, 'a'},      {1, 's'},      {2, 'd'},      {3, 'f'},      {4, 'h'},      {5, 'g'},      {6, 'z'},
    {7, 'x'},      {8, 'c'},      {9, 'v'},      {10, 0x00a7},  // section, the ISO key
    {11, 'b'},     {12, 'q'},     {13, 'w'},     {14, 'e'},     {15, 'r'},     {16, 'y'},     {17, 't'},
    {18, '1'},     {19, '2'},     {20, '3'},     {21, '4'},     {22, '6'},     {23, '5'},     {24, '='},
    {25, '9'},     {26, '7'},     {27, '-'},     {28, '8'},     {29, '0'},     {30, ']'},     {31, 'o'},
    {32, 'u'},     {33, '['},     {34, 'i'},     {35, 'p'},     {36, 0xff0d},  // Return
    {37, 'l'},     {38, 'j'},     {39, '\''},    {40, 'k'},     {41, ';'},     {42, '\\'},    {43, ','},
    {44, '/'},     {45, 'n'},     {46, 'm'},     {47, '.'},     {48, 0xff09},  // Tab
    {49, ' '},     {50, '`'},     {51, 0xff08},  // BackSpace
    {53, 0xff1b},                                // Escape
    {54, 0xffec},  {55, 0xffeb},                 // Super_R, Super_L
    {56, 0xffe1},  {57, 0xffe5},  {58, 0xffe9},  {59, 0xffe3},  // Shift_L, Caps_Lock, Alt_L, Control_L
    {60, 0xffe2},  {61, 0xffea},  {62, 0xffe4},                 // Shift_R, Alt_R, Control_R
    {64, 0xffce},                                // F17
    {65, 0xffae},  {67, 0xffaa},  {69, 0xffab},  // KP_Decimal, KP_Multiply, KP_Add
    {71, 0xff7f},                                // Num_Lock (the keypad's Clear key)
    {72, 0x1008ff13}, {73, 0x1008ff11}, {74, 0x1008ff12},  // XF86AudioRaiseVolume, LowerVolume, Mute
    {75, 0xffaf},  {76, 0xff8d},  {78, 0xffad},  // KP_Divide, KP_Enter, KP_Subtract
    {79, 0xffcf},  {80, 0xffd0},                 // F18, F19
    {81, 0xffbd},                                // KP_Equal
    {82, 0xffb0},  {83, 0xffb1},  {84, 0xffb2},  {85, 0xffb3},  {86, 0xffb4},
    {87, 0xffb5},  {88, 0xffb6},  {89, 0xffb7},  // KP_0 .. KP_7
    {90, 0xffd1},                                // F20
    {91, 0xffb8},  {92, 0xffb9},                 // KP_8, KP_9
    {93, 0x00a5},  {95, 0xffac},                 // yen, KP_Separator
    {96, 0xffc2},  {97, 0xffc3},  {98, 0xffc4},  {99, 0xffc0},  {100, 0xffc5}, {101, 0xffc6},  // F5 F6 F7 F3 F8 F9
    {102, 0xff30},                               // Eisu_toggle
    {103, 0xffc8},                               // F11
    {104, 0xff27},                               // Hiragana_Katakana (Kana)
    {105, 0xffca}, {106, 0xffcd}, {107, 0xffcb}, // F13, F16, F14
    {109, 0xffc7}, {111, 0xffc9}, {113, 0xffcc}, // F10, F12, F15
    {114, 0xff63},                               // Insert, where PC keyboards have Help
    {115, 0xff50}, {116, 0xff55}, {117, 0xffff}, // Home, Prior, Delete
    {118, 0xffc1}, {119, 0xff57}, {120, 0xffbf}, // F4, End, F2
    {121, 0xff56}, {122, 0xffbe},                // Next, F1
    {123, 0xff51}, {124, 0xff53}, {125, 0xff54}, {126, 0xff52},  // Left, Right, Down, Up
};

// Further keysyms that come from a key of the table: the shifted levels of
// a US layout and the keypad without Num Lock.
constexpr KeyRow kAliases[] = {
    {18, '!'},     {19, '@'},     {20, '#'},     {21, '$'},     {23, '%'},     {22, '^'},     {26, '&'},
    {28, '*'},     {25, '('},     {29, ')'},     {27, '_'},     {24, '+'},     {33, '{'},     {30, '}'},
    {42, '|'},     {41, ':'},     {39, '"'},     {43, '<'},     {47, '>'},     {44, '?'},     {50, '~'},
    {48, 0xfe20},                                // ISO_Left_Tab (Shift+Tab)
    {58, 0xffe7},  {61, 0xffe8},                 // Meta_L, Meta_R
    {61, 0xfe03},                                // ISO_Level3_Shift (AltGr)
    {114, 0xff6a},                               // Help
    {65, 0xff9f},                                // KP_Delete
    {82, 0xff9e},  {83, 0xff9c},  {84, 0xff99},  {85, 0xff9b},  {86, 0xff96},
    {87, 0xff9d},  {88, 0xff98},  {89, 0xff95},  {91, 0xff97},  {92, 0xff9a},  // KP_Insert .. KP_Prior
    {71, 0xff0b},                                // Clear
    // The stock X keymap's names for the keys of F13 to F20 (F19 has none).
    {105, 0x1008ff81}, {107, 0x1008ff45}, {113, 0x1008ff46}, {106, 0x1008ff47},  // XF86Tools, XF86Launch5..7
    {64, 0x1008ff48},  {79, 0x1008ff49},  {90, 0x1008ffb2},                      // XF86Launch8, 9, AudioMicMute
};

// F13 to F20 in order, and the X keycode of F13 under evdev (the keycodes
// of every current X server); the others follow it.
constexpr std::uint16_t kHighFunctionKeys[] = {105, 107, 113, 106, 64, 79, 80, 90};
constexpr std::uint8_t kEvdevF13 = 191;

std::uint32_t lowerLatin(std::uint32_t keysym) {
    if (keysym >= 'A' && keysym <= 'Z') return keysym + ('a' - 'A');
    return keysym;
}

// Qt keys that are not printable characters -> keysyms.
constexpr std::pair<int, std::uint32_t> kQtSpecial[] = {
    {Qt::Key_Escape, 0xff1b},     {Qt::Key_Tab, 0xff09},        {Qt::Key_Backtab, 0xff09},
    {Qt::Key_Backspace, 0xff08},  {Qt::Key_Return, 0xff0d},     {Qt::Key_Enter, 0xff8d},
    {Qt::Key_Insert, 0xff63},     {Qt::Key_Help, 0xff63},       {Qt::Key_Delete, 0xffff},
    {Qt::Key_Clear, 0xff7f},      {Qt::Key_NumLock, 0xff7f},    {Qt::Key_Home, 0xff50},
    {Qt::Key_End, 0xff57},        {Qt::Key_Left, 0xff51},       {Qt::Key_Up, 0xff52},
    {Qt::Key_Right, 0xff53},      {Qt::Key_Down, 0xff54},       {Qt::Key_PageUp, 0xff55},
    {Qt::Key_PageDown, 0xff56},   {Qt::Key_Shift, 0xffe1},      {Qt::Key_Control, 0xffe3},
    {Qt::Key_Meta, 0xffeb},       {Qt::Key_Super_L, 0xffeb},    {Qt::Key_Super_R, 0xffec},
    {Qt::Key_Alt, 0xffe9},        {Qt::Key_AltGr, 0xffea},      {Qt::Key_CapsLock, 0xffe5},
    {Qt::Key_VolumeUp, 0x1008ff13}, {Qt::Key_VolumeDown, 0x1008ff11}, {Qt::Key_VolumeMute, 0x1008ff12},
    {Qt::Key_Eisu_toggle, 0xff30}, {Qt::Key_Hiragana_Katakana, 0xff27}, {Qt::Key_yen, 0x00a5},
    {Qt::Key_section, 0x00a7},    {Qt::Key_Space, ' '},         {Qt::Key_F1, 0xffbe},
    {Qt::Key_F2, 0xffbf},         {Qt::Key_F3, 0xffc0},         {Qt::Key_F4, 0xffc1},
    {Qt::Key_F5, 0xffc2},         {Qt::Key_F6, 0xffc3},         {Qt::Key_F7, 0xffc4},
    {Qt::Key_F8, 0xffc5},         {Qt::Key_F9, 0xffc6},         {Qt::Key_F10, 0xffc7},
    {Qt::Key_F11, 0xffc8},        {Qt::Key_F12, 0xffc9},        {Qt::Key_F13, 0xffca},
};

// Keypad keys carry Qt::KeypadModifier and the Qt key of the character.
std::optional<std::uint16_t> keypadKeyCode(int qtKey) {
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_7) return static_cast<std::uint16_t>(82 + (qtKey - Qt::Key_0));
    switch (qtKey) {
    case Qt::Key_8: return 91;
    case Qt::Key_9: return 92;
    case Qt::Key_Period: case Qt::Key_Comma: case Qt::Key_Delete: return 65;
    case Qt::Key_Asterisk: return 67;
    case Qt::Key_Plus: return 69;
    case Qt::Key_Slash: return 75;
    case Qt::Key_Enter: case Qt::Key_Return: return 76;
    case Qt::Key_Minus: return 78;
    case Qt::Key_Equal: return 81;
    case Qt::Key_Insert: return 82;
    case Qt::Key_End: return 83;
    case Qt::Key_Down: return 84;
    case Qt::Key_PageDown: return 85;
    case Qt::Key_Left: return 86;
    case Qt::Key_Clear: return 87;
    case Qt::Key_Right: return 88;
    case Qt::Key_Home: return 89;
    case Qt::Key_Up: return 91;
    case Qt::Key_PageUp: return 92;
    default: return std::nullopt;
    }
}

}  // namespace

std::uint16_t xModifiersFromCarbon(std::uint32_t carbon) {
    std::uint16_t x = 0;
    if (carbon & 0x0100) x |= xmod::kMod4;
    if (carbon & 0x0200) x |= xmod::kShift;
    if (carbon & 0x0800) x |= xmod::kMod1;
    if (carbon & 0x1000) x |= xmod::kControl;
    return x;
}

std::uint32_t carbonFromXModifiers(std::uint16_t x) {
    std::uint32_t carbon = 0;
    if (x & xmod::kMod4) carbon |= 0x0100;
    if (x & xmod::kShift) carbon |= 0x0200;
    if (x & xmod::kMod1) carbon |= 0x0800;
    if (x & xmod::kControl) carbon |= 0x1000;
    return carbon;
}

std::optional<std::uint32_t> keysymForKeyCode(std::uint16_t keyCode) {
    for (const auto& row : kKeys)
        if (row.keyCode == keyCode) return row.keysym;
    return std::nullopt;
}

std::optional<std::uint16_t> keyCodeForKeysym(std::uint32_t keysym) {
    const std::uint32_t wanted = lowerLatin(keysym);
    for (const auto& row : kKeys)
        if (row.keysym == wanted) return row.keyCode;
    for (const auto& row : kAliases)
        if (row.keysym == wanted) return row.keyCode;
    return std::nullopt;
}

std::optional<std::uint32_t> stockKeysymForKeyCode(std::uint16_t keyCode) {
    const auto keysym = keysymForKeyCode(keyCode);
    if (!keysym || *keysym < 0xffca || *keysym > 0xffd1) return std::nullopt;  // F13..F20 only
    for (const auto& row : kAliases)
        if (row.keyCode == keyCode && row.keysym > 0x1008ff00) return row.keysym;
    return std::nullopt;
}

std::optional<std::uint8_t> evdevKeycodeForKeyCode(std::uint16_t keyCode) {
    for (std::size_t i = 0; i < std::size(kHighFunctionKeys); ++i)
        if (kHighFunctionKeys[i] == keyCode) return static_cast<std::uint8_t>(kEvdevF13 + i);
    return std::nullopt;
}

std::optional<std::uint16_t> keyCodeForEvdevKeycode(std::uint32_t xKeycode) {
    if (xKeycode < kEvdevF13 || xKeycode >= kEvdevF13 + std::size(kHighFunctionKeys)) return std::nullopt;
    return kHighFunctionKeys[xKeycode - kEvdevF13];
}

std::optional<std::uint16_t> keyCodeForQtKey(int qtKey, bool keypad) {
    if (keypad) {
        if (auto code = keypadKeyCode(qtKey)) return code;
    }
    for (const auto& [key, keysym] : kQtSpecial)
        if (key == qtKey) return keyCodeForKeysym(keysym);
    if (qtKey >= Qt::Key_F14 && qtKey <= Qt::Key_F20)
        return keyCodeForKeysym(0xffcb + static_cast<std::uint32_t>(qtKey - Qt::Key_F14));
    // Printable Latin-1 keys: Qt's key value is the upper-case character,
    // the keysym the character itself.
    if (qtKey > 0x20 && qtKey < 0x7f) return keyCodeForKeysym(static_cast<std::uint32_t>(qtKey));
    return std::nullopt;
}

std::uint32_t carbonFromQtModifiers(int qtModifiers) {
    std::uint32_t carbon = 0;
    if (qtModifiers & Qt::MetaModifier) carbon |= 0x0100;
    if (qtModifiers & Qt::ShiftModifier) carbon |= 0x0200;
    if (qtModifiers & Qt::AltModifier) carbon |= 0x0800;
    if (qtModifiers & Qt::ControlModifier) carbon |= 0x1000;
    return carbon;
}

int xButtonForMouseButton(int button) {
    switch (button) {
    case 0: return 1;
    case 1: return 3;
    case 2: return 2;
    default: return button + 5;
    }
}

std::optional<int> mouseButtonForXButton(int xButton) {
    switch (xButton) {
    case 1: return 0;
    case 2: return 2;
    case 3: return 1;
    default: break;
    }
    if (xButton >= 8) return xButton - 5;
    return std::nullopt;
}

}  // namespace orbel::platform
