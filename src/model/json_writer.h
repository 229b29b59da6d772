#pragma once

// The one JSON writer. Its output is part of the stored format (the cycling
// slots' keys hash it), so it is deterministic for a given value and options.
//
// Pretty output: two-space indentation, `"key" : value`, one member or element
// per line, empty containers as an opening line, a blank line and the closing
// bracket; no trailing newline. Integers are written as integers; doubles in
// their shortest round-trip form, integral ones without a fraction. Sorted
// keys order members by their UTF-8 bytes at every level. Forward slashes are
// written as "\/" unless escapeSlashes is off.
//
// Callers pick one of the named presets below; each stored format has one.

#include <string>

#include "model/json.h"

namespace orbel::json {

struct WriteOptions {
    bool pretty = false;
    bool sortedKeys = false;
    bool escapeSlashes = true;
};

// One line, keys in insertion order, slashes escaped: drag payloads and
// values written inside other texts.
inline constexpr WriteOptions kCompact{};
// config.json and every profile file. Cycling slots' keys hash these bytes.
inline constexpr WriteOptions kConfigDocument{.pretty = true, .sortedKeys = false, .escapeSlashes = true};
// Backup files.
inline constexpr WriteOptions kBackupDocument{.pretty = true, .sortedKeys = true, .escapeSlashes = false};
// The cycling slots' index file.
inline constexpr WriteOptions kSortedCompact{.pretty = false, .sortedKeys = true, .escapeSlashes = true};

std::string write(const Json& value, const WriteOptions& options = kCompact);

// Shortest text that reads back as the same double ("1", "0.5", "1e-07").
std::string formatDouble(double value);

}  // namespace orbel::json
