#include "sheets/sheet_rules.h"

#include <QCoreApplication>

#include "config/config_manager.h"
#include "model/text.h"

namespace orbel::sheets {

std::string trimmedName(std::string_view name) { return text::trimSpacesAndTabs(name); }

bool isBlankName(std::string_view name) { return trimmedName(name).empty(); }

bool isBlankPayload(std::string_view text) { return text::trimWhitespaceAndNewlines(text).empty(); }

bool passesValidation(const SlotConfig& slot) { return !validationProblem(slot); }

std::optional<std::string> validationProblem(const SlotConfig& slot) {
    auto errors = ConfigManager::validateSlots({slot});
    if (errors.empty()) return std::nullopt;
    return std::string(errors.front().what());
}

std::string sheetTitle(bool isNew, const char* newTitle, const char* editTitle) {
    return tr(isNew ? newTitle : editTitle);
}

std::string tr(const char* text) { return QCoreApplication::translate("SlotEditSheet", text).toStdString(); }

std::string trCount(int n, const char* one, const char* many) {
    return QCoreApplication::translate("SlotEditSheet", n == 1 ? one : many, nullptr, n).toStdString();
}

}  // namespace orbel::sheets
