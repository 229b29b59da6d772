#include "platform/linux/window_match.h"

#include <gtest/gtest.h>

namespace orbel::platform::xdg {
namespace {

DesktopEntry entry(const char* id, const char* exec, const char* wmClass = "") {
    DesktopEntry e;
    e.id = QString::fromLatin1(id);
    e.type = QStringLiteral("Application");
    e.exec = QString::fromLatin1(exec);
    e.startupWMClass = QString::fromLatin1(wmClass);
    return e;
}

TEST(WindowMatch, TriesEachClueInOrder) {
    const std::vector<DesktopEntry> entries{
        entry("org.gnome.Nautilus", "nautilus --new-window %U"),
        entry("firefox-esr", "/usr/lib/firefox-esr/firefox-esr %u", "Firefox-esr"),
        entry("org.kde.konsole", "konsole"),
        entry("code", "env GDK_BACKEND=x11 /usr/share/code/code --unity-launch %F"),
        entry("xterm", "xterm"),
    };
    struct Case {
        WindowIdentity window;
        std::optional<QString> id;
    };
    const Case cases[] = {
        {{"org.gnome.Nautilus", "", "nautilus", "Org.gnome.Nautilus", "nautilus"}, "org.gnome.Nautilus"},
        {{"", "/usr/share/applications/org.kde.konsole.desktop", "konsole", "konsole", ""}, "org.kde.konsole"},
        {{"", "org.kde.konsole", "", "", ""}, "org.kde.konsole"},
        {{"", "", "Navigator", "Firefox-esr", "firefox-esr"}, "firefox-esr"},  // StartupWMClass
        {{"", "", "xterm", "XTerm", ""}, "xterm"},                              // id, any case
        {{"", "", "nautilus", "Nautilus", ""}, "org.gnome.Nautilus"},            // last dotted part
        {{"", "", "unknown", "Unknown", "code"}, "code"},                        // program behind env
        {{"not.installed", "", "", "", ""}, std::nullopt},
        {{}, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(matchWindowToEntry(c.window, entries), c.id) << c.window.wmClassName.toStdString();
}

}  // namespace
}  // namespace orbel::platform::xdg
