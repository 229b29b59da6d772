#include "platform/linux/desktop_entry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "support/test_files.h"

namespace orbel::platform::xdg {
namespace {

using orbel::testing::writeFile;

TEST(DesktopEntry, ParsesTheFirstGroupWithLocalisedNamesListsAndEscapes) {
    auto e = parseDesktopEntry(
        "# comment\n"
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=Text Editor\n"
        "Name[de]=Texteditor\n"
        "Name[de_AT]=Texteditor AT\n"
        "Icon = accessories-text-editor \n"
        "Exec=gedit %U\n"
        "StartupWMClass=Gedit\n"
        "MimeType=text/plain;text/x-c\\;weird;\n"
        "Categories=Utility;TextEditor;\n"
        "NoDisplay=true\n"
        "Terminal=false\n"
        "Comment=Line\\sone\\nLine two\n"
        "[Desktop Action new]\n"
        "Name=Not this one\n"
        "StartupWMClass=Wrong\n"
        "Hidden=true\n",
        QStringLiteral("de_DE"));
    ASSERT_TRUE(e);
    EXPECT_EQ(e->type, "Application");
    EXPECT_EQ(e->name, "Texteditor");  // de_DE falls back to de
    EXPECT_EQ(e->icon, "accessories-text-editor");
    EXPECT_EQ(e->exec, "gedit %U");
    EXPECT_EQ(e->startupWMClass, "Gedit");
    EXPECT_EQ(e->mimeTypes, (QStringList{"text/plain", "text/x-c;weird"}));
    EXPECT_EQ(e->categories, (QStringList{"Utility", "TextEditor"}));
    EXPECT_TRUE(e->noDisplay);
    EXPECT_FALSE(e->hidden);  // from another group
    EXPECT_FALSE(e->terminal);

    EXPECT_EQ(parseDesktopEntry("[Desktop Entry]\nName=A\nName[de_AT]=B\n", QStringLiteral("de_AT"))->name, "B");
    EXPECT_EQ(parseDesktopEntry("[Desktop Entry]\nName=A\nName[de]=B\n")->name, "A");
    EXPECT_FALSE(parseDesktopEntry("Name=No group\n"));
    EXPECT_FALSE(parseDesktopEntry("[Other]\nName=x\n"));
}

TEST(DesktopEntry, LaunchableNeedsAnApplicationWithExecAndAnExistingTryExec) {
    auto make = [](const char* text) { return *parseDesktopEntry(QByteArray("[Desktop Entry]\n") + text); };
    EXPECT_TRUE(make("Type=Application\nExec=sh\n").isLaunchable());
    EXPECT_FALSE(make("Type=Application\nExec=sh\nTryExec=no-such-program-orbel\n").isLaunchable());
    EXPECT_FALSE(make("Type=Link\nURL=http://x\nExec=sh\n").isLaunchable());
    EXPECT_FALSE(make("Type=Application\n").isLaunchable());
    EXPECT_FALSE(make("Type=Application\nExec=sh\nHidden=true\n").isLaunchable());
    EXPECT_TRUE(make("Type=Application\nExec=sh\nNoDisplay=true\n").isLaunchable());
    EXPECT_FALSE(make("Type=Application\nExec=sh\nNoDisplay=true\n").isListed());
}

TEST(DesktopEntry, ExecLinesBecomeArgumentsWithFieldCodesExpanded) {
    struct Case {
        const char* exec;
        std::optional<QStringList> args;
    };
    const Case cases[] = {
        {"gedit %U", QStringList{"gedit"}},
        {"app %i", QStringList{"app", "--icon", "the-icon"}},
        {"app --title=%c --file=%k", QStringList{"app", "--title=My App", "--file=/apps/my.desktop"}},
        {"app 100%%", QStringList{"app", "100%"}},
        {"\"/opt/My App/bin/app\" --flag", QStringList{"/opt/My App/bin/app", "--flag"}},
        {"sh -c \"echo \\\\\"hi\\\\\" > /tmp/x\"", QStringList{"sh", "-c", "echo \"hi\" > /tmp/x"}},
        {"app\\sname", QStringList{"app", "name"}},  // \s is a space at the string level
        {"app \"unclosed", std::nullopt},
        {"%f", std::nullopt},
    };
    for (const Case& c : cases) {
        DesktopEntry e;
        e.exec = QString::fromUtf8(c.exec);
        e.name = QStringLiteral("My App");
        e.icon = QStringLiteral("the-icon");
        e.location = QStringLiteral("/apps/my.desktop");
        EXPECT_EQ(execArguments(e), c.args) << c.exec;
    }
}

TEST(DesktopEntry, FindByIdLooksInSubfoldersAndLetsEarlierFoldersDecide) {
    QTemporaryDir tmp;
    const QString user = tmp.path() + "/user", system = tmp.path() + "/system";
    writeFile(system + "/kde4/konsole.desktop", "[Desktop Entry]\nType=Application\nName=Konsole\nExec=konsole\n");
    writeFile(system + "/removed.desktop", "[Desktop Entry]\nType=Application\nName=Removed\nExec=x\n");
    writeFile(user + "/removed.desktop", "[Desktop Entry]\nType=Application\nHidden=true\n");
    writeFile(system + "/mine.desktop", "[Desktop Entry]\nType=Application\nName=System\nExec=x\n");
    writeFile(user + "/mine.desktop", "[Desktop Entry]\nType=Application\nName=User\nExec=x\n");
    const QStringList dirs{user, tmp.path() + "/missing", system};

    auto konsole = findDesktopEntry(dirs, "kde4-konsole");
    ASSERT_TRUE(konsole);
    EXPECT_EQ(konsole->name, "Konsole");
    EXPECT_EQ(konsole->id, "kde4-konsole");
    EXPECT_EQ(konsole->location, system + "/kde4/konsole.desktop");
    EXPECT_EQ(findDesktopEntry(dirs, "mine")->name, "User");
    EXPECT_FALSE(findDesktopEntry(dirs, "removed"));
    EXPECT_FALSE(findDesktopEntry(dirs, "nothing"));
    EXPECT_FALSE(findDesktopEntry(dirs, "../system/mine"));
}

}  // namespace
}  // namespace orbel::platform::xdg
