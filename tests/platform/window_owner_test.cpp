#include "platform/linux/window_owner.h"

#include <gtest/gtest.h>

namespace orbel::platform::xdg {
namespace {

xdg::AppRecord entry(const char* id, const char* program, const char* wmClass = "") {
    xdg::AppRecord e;
    e.id = QString::fromLatin1(id);
    e.program = QString::fromLatin1(program);
    e.startupWMClass = QString::fromLatin1(wmClass);
    return e;
}

TEST(WindowOwner, TriesEachClueInOrderAndNamesUnmatchedOwners) {
    const std::vector<xdg::AppRecord> entries{
        entry("org.gnome.Nautilus", "nautilus"),     entry("firefox-esr", "firefox-esr", "Firefox-esr"),
        entry("org.kde.konsole", "konsole"),         entry("code", "code", "Code"),
        entry("xterm", "xterm"),                     entry("tool", "tool"),
        entry("Htop", "htop-wrapper"),
    };
    struct Case {
        WindowIdentity window;
        std::optional<QString> id;
        QString unmatchedName = {};  // what stands in when nothing matched
    };
    const Case cases[] = {
        // The declared ids count when an entry has them.
        {{"org.gnome.Nautilus", "org.kde.konsole", "nautilus", "Org.gnome.Nautilus", "nautilus"}, "org.gnome.Nautilus"},
        {{"", "/usr/share/applications/org.kde.konsole.desktop", "konsole", "konsole", ""}, "org.kde.konsole"},
        {{"", "org.kde.konsole", "", "", ""}, "org.kde.konsole"},
        {{"not.installed", "", "Navigator", "Firefox-esr", ""}, "firefox-esr"},  // falls through to the class
        // WM_CLASS: StartupWMClass (class before instance), the id in any case, the last dotted part.
        {{"", "", "Navigator", "Firefox-esr", "firefox-esr"}, "firefox-esr"},
        {{"", "", "code", "Code", "electron"}, "code"},
        {{"", "", "Firefox-esr", "Other", ""}, "firefox-esr"},
        {{"", "", "xterm", "XTerm", ""}, "xterm"},
        {{"", "", "konsole", "ORG.KDE.KONSOLE", ""}, "org.kde.konsole"},
        {{"", "", "nautilus", "Nautilus", ""}, "org.gnome.Nautilus"},
        // The process: its name as an id, then the program an Exec line runs.
        {{"", "", "", "", "htop"}, "Htop"},
        {{"", "", "", "", "nautilus"}, "org.gnome.Nautilus"},
        {{"", "", "unknown", "Unknown", "code"}, "code"},
        // Nothing installed matches.
        {{"not.installed", "", "", "", "prog"}, std::nullopt, "not.installed"},
        {{"", "/opt/apps/org.kde.kate.desktop", "kate", "Kate", "kate"}, std::nullopt, "org.kde.kate"},
        {{"", "", "inst", "Cls", "prog"}, std::nullopt, "prog"},
        {{"", "", "inst", "Cls", ""}, std::nullopt, "inst"},
        {{}, std::nullopt, ""},
    };
    for (const Case& c : cases) {
        const std::string label = c.id.value_or(c.unmatchedName).toStdString();
        EXPECT_EQ(resolveDesktopId(c.window, entries), c.id) << label;
        if (!c.id) {
            EXPECT_EQ(unmatchedOwnerName(c.window), c.unmatchedName) << label;
        }
    }
}

}  // namespace
}  // namespace orbel::platform::xdg
