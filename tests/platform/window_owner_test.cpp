#include "platform/linux/window_owner.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace orbel::platform::x11 {
namespace {

TEST(WindowOwner, HintsAreTriedInOrder) {
    const std::vector<DesktopEntryHint> entries = {
        {"org.gnome.Nautilus", "", "nautilus"},
        {"firefox-esr", "firefox-esr", "firefox-esr"},
        {"code", "Code", "code"},
        {"org.kde.konsole", "", "konsole"},
    };
    struct Row {
        WindowOwnerHints hints;
        std::string expected;
    };
    const Row rows[] = {
        {{"org.gnome.Nautilus", "ignored", "nautilus", "Nautilus", "nautilus"}, "org.gnome.Nautilus"},
        {{"", "/usr/share/applications/org.kde.dolphin.desktop", "dolphin", "dolphin", "dolphin"}, "org.kde.dolphin"},
        {{"", "org.kde.kate", "", "", ""}, "org.kde.kate"},
        {{"", "", "Navigator", "firefox-esr", "firefox-esr"}, "firefox-esr"},  // StartupWMClass
        {{"", "", "code", "Code", "electron"}, "code"},                        // StartupWMClass
        {{"", "", "konsole", "ORG.KDE.KONSOLE", ""}, "org.kde.konsole"},       // id, any case
        {{"", "", "", "", "nautilus"}, "org.gnome.Nautilus"},                  // by Exec
        {{}, ""},
    };
    for (const auto& r : rows) EXPECT_EQ(resolveDesktopId(r.hints, entries), r.expected) << r.expected;
}

TEST(WindowOwner, ScanReadsEntriesWithTheFirstDirectoryWinning) {
    QTemporaryDir a, b;
    auto write = [](const QString& path, const QByteArray& text) {
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    };
    write(a.path() + "/applications/tool.desktop",
          "[Desktop Entry]\nName=Tool\nExec=\"/opt/my tool/bin/tool\" %U\nStartupWMClass=ToolWin\n"
          "[Desktop Action new]\nExec=other\nStartupWMClass=Wrong\n");
    write(b.path() + "/applications/tool.desktop", "[Desktop Entry]\nExec=shadowed\n");
    write(b.path() + "/applications/kde/edit.desktop", "[Desktop Entry]\nExec=/usr/bin/kwrite %F\n");
    write(b.path() + "/applications/readme.txt", "not an entry");

    auto entries = scanDesktopEntries({a.path().toStdString(), b.path().toStdString(), "/nonexistent"});
    std::sort(entries.begin(), entries.end(), [](const auto& x, const auto& y) { return x.id < y.id; });
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].id, "kde-edit");
    EXPECT_EQ(entries[0].execProgram, "kwrite");
    EXPECT_EQ(entries[1].id, "tool");
    EXPECT_EQ(entries[1].startupWmClass, "ToolWin");
    EXPECT_EQ(entries[1].execProgram, "tool");
}

}  // namespace
}  // namespace orbel::platform::x11
