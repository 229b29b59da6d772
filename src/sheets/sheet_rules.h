#pragma once

// Rules every slot editor sheet shares: how typed names and payload texts
// are judged, the New/Edit titles, and the last word on saving: a sheet
// never hands back a slot that the configuration's validation would refuse
// on the next start.

#include <optional>
#include <string>
#include <string_view>

#include "model/slot_config.h"

namespace orbel::sheets {

// A typed name without the spaces and tabs around it (line breaks stay).
std::string trimmedName(std::string_view name);
// Whether a name is empty once trimmed.
bool isBlankName(std::string_view name);
// Whether a payload (script source, snippet text) holds nothing but white
// space and line breaks.
bool isBlankPayload(std::string_view text);

// Whether the configuration would accept this slot.
bool passesValidation(const SlotConfig& slot);
// Why the configuration would refuse this slot on loading it, or nothing
// when it would accept it: a sheet keeps Save disabled and shows this.
std::optional<std::string> validationProblem(const SlotConfig& slot);

// The header title: "New <noun>" for a new slot, "Edit <noun>" otherwise.
// `newTitle` and `editTitle` are the untranslated keys.
std::string sheetTitle(bool isNew, const char* newTitle, const char* editTitle);

// A fixed text of the sheets through the translation table.
std::string tr(const char* text);
// A count through the translation table: `one` ("%n item") for 1, else `many` ("%n items").
std::string trCount(int n, const char* one, const char* many);

}  // namespace orbel::sheets
