#pragma once

// The identifier table: the foreign application identifiers the stock dial,
// the built-in application lists and the templates store, and what plays
// their part on this desktop. A role is answered by the desktop's default
// for it (xdg-mime defaults, the terminal lists); desktop ids are tried in
// order, before the role. Identifiers not in the table name no application
// here unless an entry of that very id is installed.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orbel::platform {

enum class AppRole { browser, fileManager, terminal, mailClient, calendar, textEditor, settings };

struct AppCounterpart {
    std::optional<AppRole> role;
    std::vector<std::string> desktopIds;  // most likely first
    // The titles the stock dial and the built-in application list give a
    // slot of this identifier; a slot titled otherwise was named by the user.
    std::vector<std::string> stockTitles;

    bool operator==(const AppCounterpart&) const = default;
};

// A role's name, as a slot whose application is missing here is titled
// ("Web Browser", "Mail", ...), and the system symbol it is drawn with.
const char* roleTitle(AppRole role);
const char* roleSymbol(AppRole role);
// Whether `title` on a slot of `foreignId` is one the program gave it (an
// empty title too), rather than the user's own.
bool isStockTitle(std::string_view foreignId, std::string_view title);

// Nothing for an identifier without a counterpart here.
const AppCounterpart* counterpartFor(std::string_view foreignId);
// Every identifier of the table.
std::vector<std::string> counterpartIdentifiers();

}  // namespace orbel::platform
