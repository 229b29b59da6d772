#pragma once

// Which desktop entry stands for a well-known application identifier on this
// desktop: the default browser, file manager, terminal, mail client,
// calendar, text editor and settings, read from the XDG files (mimeapps.list,
// xdg-terminals.list and the entries themselves).

#include <QString>
#include <optional>
#include <vector>

#include "platform/linux/desktop_entry.h"

namespace orbel::platform::xdg {

enum class AppRole { browser, fileManager, terminal, mailClient, calendar, textEditor, settings };

// The role a foreign identifier of the stock dial stands for
// ("com.apple.Safari" is the browser, ...); nothing for any other text.
std::optional<AppRole> roleForIdentifier(const QString& bundleId);

// Reads the desktop's choices from the XDG files below `dirs`.
class DefaultApps {
public:
    explicit DefaultApps(BaseDirs dirs, QString locale = {});

    // The launchable entry that opens the MIME type by default: the first
    // installed [Default Applications] choice in mimeapps.list order, else the
    // first [Added Associations] one, else an entry that declares the type
    // (earlier folders first); associations listed under [Removed
    // Associations] are skipped.
    std::optional<DesktopEntry> defaultFor(const QString& mimeType) const;
    // The entry standing for a role; nothing when this desktop has none.
    std::optional<DesktopEntry> entryFor(AppRole role) const;

    // mimeapps.list files in precedence order.
    QStringList mimeappsFiles() const;

private:
    std::optional<DesktopEntry> installed(const QString& id) const;
    std::optional<DesktopEntry> terminal() const;
    std::optional<DesktopEntry> settings() const;
    const std::vector<DesktopEntry>& allEntries() const;

    BaseDirs dirs_;
    QString locale_;
    mutable std::optional<std::vector<DesktopEntry>> entries_;
};

}  // namespace orbel::platform::xdg
