#pragma once

// Reads what another X client holds on the CLIPBOARD selection through a
// connection of its own, so the caller's thread is the only one that waits,
// and never longer than the time limit. Blocks: call it off the GUI thread.

#include <chrono>
#include <optional>

#include "platform/pasteboard.h"

namespace orbel::platform::x11 {

// Every MIME format the owner offers, with its bytes (UTF8_STRING as
// "text/plain" when the owner names no text MIME type). An empty snapshot
// when nobody owns the clipboard; nothing when the owner did not hand over
// every format within `limit` (a stopped or hung process), or without an X
// server.
std::optional<PasteboardSnapshot> readClipboard(std::chrono::milliseconds limit);

}  // namespace orbel::platform::x11
