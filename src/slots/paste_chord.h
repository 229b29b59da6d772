#pragma once

// Which chord pastes into the focused window. Most applications paste the
// clipboard with Ctrl+V, but terminals give Ctrl+V to the program they run
// (xterm's line discipline inserts the next key literally, VTE terminals
// ignore it): terminal emulators paste the clipboard with Ctrl+Shift+V, and
// xterm and the rxvt family paste the primary selection with Shift+Insert,
// so the text is put there as well. Terminals are known by their window's
// WM_CLASS (instance or class, any case); the one table of them is here.

#include <optional>
#include <string_view>

#include "model/key_combination.h"
#include "platform/workspace.h"

namespace orbel {

enum class PasteTarget {
    application,       // Ctrl+V
    terminal,          // Ctrl+Shift+V
    selectionTerminal  // the primary selection too, then Shift+Insert
};

// By the focused window's WM_CLASS; an unknown class (or none) is an application.
PasteTarget pasteTargetFor(const std::optional<platform::WindowClass>& windowClass);
KeyCombination pasteChordFor(PasteTarget target);

}  // namespace orbel
