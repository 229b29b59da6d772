// The Customization tab of the real `orbel` under Xvfb and openbox, with
// the pointer: an application dragged from the library onto the ring is in
// the file and in the dial the hot key opens (choosing it there starts the
// application); a double-clicked wedge renamed in its sheet; a wedge dragged
// onto the trash; a snippet made through Add Slot and pasted from the dial
// into a text window; a group of two slots made through Add Group and
// opened from the dial. Screenshots go to test-artifacts/system.
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

#include "orbel_process.h"

namespace orbel {
namespace {

using systemtest::Orbel;
using systemtest::run;
using systemtest::spin;
using systemtest::spinUntil;
using systemtest::waitForWindowNamed;
using systemtest::xdotool;

using systemtest::num;

// Client coordinates of the 920 x 640 settings window on its Customization
// tab: the tab, the library's search field and first row, the ring's centre
// and the trash row.
constexpr QPoint kCustomizationTab{337, 40}, kSearch{670, 141}, kFirstRow{490, 216}, kRingCentre{220, 287},
    kTrash{220, 519}, kAddSlot{271, 578};
// The snippet sheet's text and Save, in its client area.
constexpr QPoint kSnippetText{280, 340}, kSnippetSave{500, 536};
// Add Group on the page; in the group editor (880 x 700) its library's
// search field and first row, its Add Slot and Save Group.
constexpr QPoint kAddGroup{366, 578}, kGroupSearch{640, 122}, kGroupFirstRow{480, 197}, kGroupAddSlot{251, 559},
    kSaveGroup{816, 676};

// The first visible window whose name matches, waited for.
// Client point `at` of window `id`, clicked `clicks` times.
void clickIn(const QString& id, QPoint at, int clicks = 1) {
    xdotool({"mousemove", "--window", id, num(at.x()), num(at.y()), "click", "--repeat", QString::number(clicks),
             "--delay", "80", "1"});
    spin(300);
}

// Fills and saves the New Snippet sheet.
void makeSnippet(const QString& name, const QString& text) {
    const QString sheet = waitForWindowNamed("New Snippet");
    ASSERT_FALSE(sheet.isEmpty());
    spin(300);
    xdotool({"type", name});
    clickIn(sheet, kSnippetText);
    xdotool({"type", text});
    clickIn(sheet, kSnippetSave);
}

// The point at clockwise fraction f of a turn on a circle of radius r.
QPoint around(QPoint centre, double r, double f) {
    const double a = 2 * std::numbers::pi * f;
    return QPointF(centre.x() + r * std::sin(a), centre.y() - r * std::cos(a)).toPoint();
}

void screenshot(const QString& name) {
    const QString dir = QStringLiteral(ORBEL_BINARY_DIR "/test-artifacts/system");
    QDir().mkpath(dir);
    QGuiApplication::primaryScreen()->grabWindow(0).save(dir + "/" + name + ".png");
}

class SettingsWindow {
public:
    bool waitOpen() {
        return spinUntil([&] {
            id_ = run("xdotool", {"search", "--onlyvisible", "--name", "Orbel Settings"}).section('\n', 0, 0);
            return !id_.isEmpty();
        });
    }
    void activate() { xdotool({"windowactivate", "--sync", id_}); }
    const QString& id() const { return id_; }
    void click(QPoint at, int clicks = 1) {
        activate();
        xdotool({"mousemove", "--window", id_, num(at.x()), num(at.y()), "click", "--repeat", QString::number(clicks),
                 "--delay", "80", "1"});
        spin(300);
    }
    // Presses at `from`, moves in small steps to `to` and lets go (a real
    // drag, Qt's own over XDND).
    // The client area's top left on the screen.
    QPoint origin() const {
        const QString info = run("xwininfo", {"-id", id_});
        const auto value = [&](const char* key) { return info.section(key, 1).section('\n', 0, 0).trimmed().toInt(); };
        return {value("Absolute upper-left X:"), value("Absolute upper-left Y:")};
    }
    // Presses at `from`, moves in small steps through `via` to `to` and
    // lets go: a real drag, Qt's own over XDND. `name`: a screenshot just
    // before letting go.
    void drag(QPoint from, const std::vector<QPoint>& via, QPoint to, const QString& name) {
        activate();
        const QPoint o = origin();
        QStringList args{"mousemove", num(o.x() + from.x()), num(o.y() + from.y()), "sleep", "0.2", "mousedown", "1"};
        QPoint last = from;
        const auto stepTo = [&](QPoint p) {
            for (int i = 1; i <= 6; ++i) {
                const QPointF at = QPointF(o + last) + QPointF(p - last) * i / 6.0;
                args << "mousemove" << num(at.x()) << num(at.y()) << "sleep" << "0.05";
            }
            last = p;
        };
        for (QPoint p : via) stepTo(p);
        stepTo(to);
        xdotool(args);
        spin(300);
        screenshot(name);
        xdotool({"mouseup", "1"});
        spin(400);
    }

private:
    QString id_;
};

class SlotEditorViewSystem : public ::testing::Test {
protected:
    void SetUp() override {
        ORBEL_REQUIRE_DISPLAY();
        if (!QFile::exists(systemtest::kOrbel)) GTEST_SKIP() << "orbel is not built";
        // An application of our own in the library, whose start leaves a mark.
        ASSERT_TRUE(data.isValid());
        QDir().mkpath(data.path() + "/applications");
        systemtest::writeFile(data.path() + "/applications/orbelprobe.desktop",
                              QStringLiteral("[Desktop Entry]\nType=Application\nName=Orbel Probe\n"
                                             "Exec=touch %1\n")
                                  .arg(mark())
                                  .toUtf8());
        previousDataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", data.path().toUtf8());
    }
    void TearDown() override { qputenv("XDG_DATA_HOME", previousDataHome); }
    QString mark() const { return data.path() + "/launched"; }

    QTemporaryDir data;
    QByteArray previousDataHome;
};

TEST_F(SlotEditorViewSystem, DragRenameTrashSnippetAndGroupReachTheFileAndTheDial) {
    Orbel orbel(R"({"hotkey": "ctrl+opt+k", "showInTray": false, "menu": [
        {"snippet": "one", "title": "One"}, {"snippet": "two", "title": "Two"}]})");
    ASSERT_TRUE(orbel.waitForLog("ShowMenuVisible"));
    xdotool({"key", "ctrl+comma"});  // the dial's way to the settings window
    SettingsWindow settings;
    ASSERT_TRUE(settings.waitOpen());
    spin(500);
    settings.click(kCustomizationTab);
    settings.click(kSearch);
    xdotool({"type", "Orbel Probe"});
    spin(500);
    screenshot("customization-before-drag");

    // Across the top, then past the middle of "One" (top after the gap
    // that opens there): the gap after it, before "Two".
    settings.drag(kFirstRow, {around(kRingCentre, 114, 0.1)}, around(kRingCentre, 114, 0.42), "customization-dragging-app");
    ASSERT_TRUE(spinUntil([&] { return orbel.read("config.json").contains("Orbel Probe"); }))
        << orbel.read("config.json").data();
    const QByteArray text = orbel.read("config.json");
    EXPECT_LT(text.indexOf("\"One\""), text.indexOf("Orbel Probe")) << text.data();
    EXPECT_LT(text.indexOf("Orbel Probe"), text.indexOf("\"Two\"")) << text.data();
    screenshot("customization-after-drag");

    // The dial the hot key opens has it second of three (a third of a turn
    // from the top); choosing it starts the application.
    int shown = orbel.count("ShowMenuVisible");
    xdotool({"key", "ctrl+alt+k"});
    ASSERT_TRUE(spinUntil([&] { return orbel.count("ShowMenuVisible") == shown + 1; }));
    const QPoint slot1 = around({960, 540}, 160, 1.0 / 3);
    xdotool({"mousemove", num(slot1.x()), num(slot1.y())});
    EXPECT_TRUE(orbel.waitForLog("HoverUpdated slot=1"));
    screenshot("dial-with-dragged-app");
    xdotool({"click", "1"});
    EXPECT_TRUE(spinUntil([&] { return QFile::exists(mark()); }, 10000));

    // A double click on its wedge opens the rename sheet; Return saves.
    ASSERT_TRUE(settings.waitOpen());
    settings.click(around(kRingCentre, 114, 1.0 / 3), 2);
    spin(500);
    xdotool({"key", "ctrl+a"});
    xdotool({"type", "Renamed Probe"});
    screenshot("rename-sheet");
    xdotool({"key", "Return"});
    EXPECT_TRUE(spinUntil([&] { return orbel.read("config.json").contains("Renamed Probe"); }))
        << orbel.read("config.json").data();
    shown = orbel.count("ShowMenuVisible");
    xdotool({"key", "ctrl+alt+k"});
    ASSERT_TRUE(spinUntil([&] { return orbel.count("ShowMenuVisible") == shown + 1; }));
    xdotool({"mousemove", num(slot1.x() + 2), num(slot1.y())});
    spin(500);
    screenshot("dial-with-renamed-app");
    xdotool({"key", "Escape"});
    spin(300);

    // "One" dragged onto the trash leaves the file.
    ASSERT_TRUE(settings.waitOpen());
    settings.drag(around(kRingCentre, 114, 0), {}, kTrash, "customization-dragging-to-trash");
    EXPECT_TRUE(spinUntil([&] { return !orbel.read("config.json").contains("\"One\""); }))
        << orbel.read("config.json").data();
    screenshot("customization-after-trash");

    // Add Slot, Snippet: the new snippet goes last and pastes from the dial
    // into the window that had the focus.
    settings.click(kAddSlot);
    const QPoint row = systemtest::addSlotPopoverSnippetRow(settings.origin() + kAddSlot);
    screenshot("customization-add-slot-popover");
    xdotool({"mousemove", num(row.x()), num(row.y()), "click", "1"});
    makeSnippet("Greeting", "pasted from the dial");
    ASSERT_TRUE(spinUntil([&] { return orbel.read("config.json").contains("pasted from the dial"); }))
        << orbel.read("config.json").data();

    systemtest::Program target(QStringLiteral("orbel_test_window"), {QStringLiteral("Orbel paste target")});
    ASSERT_TRUE(target.waitForLine("ready"));
    shown = orbel.count("ShowMenuVisible");
    xdotool({"key", "ctrl+alt+k"});
    ASSERT_TRUE(spinUntil([&] { return orbel.count("ShowMenuVisible") == shown + 1; }));
    const QPoint slot2 = around({960, 540}, 160, 2.0 / 3);
    xdotool({"mousemove", num(slot2.x()), num(slot2.y())});
    EXPECT_TRUE(orbel.waitForLog("HoverUpdated slot=2"));
    xdotool({"click", "1"});
    EXPECT_TRUE(target.waitForLine("text:pasted from the dial", 10000)) << target.lastLineStartingWith("text:");
    target.stop();

    // Add Group: an application from its library and a new snippet, saved
    // as the fourth slot; choosing it in the dial opens its own two-slot dial.
    ASSERT_TRUE(settings.waitOpen());
    settings.click(kAddGroup);
    const QString group = waitForWindowNamed("Edit Group");
    ASSERT_FALSE(group.isEmpty());
    spin(500);
    clickIn(group, kGroupSearch);
    xdotool({"type", "Orbel Probe"});
    spin(300);
    clickIn(group, kGroupFirstRow, 2);  // a double click adds the row
    clickIn(group, kGroupAddSlot);
    const QString groupOrigin = run("xwininfo", {"-id", group});
    const auto value = [&](const char* key) {
        return groupOrigin.section(key, 1).section('\n', 0, 0).trimmed().toInt();
    };
    const QPoint groupRow = systemtest::addSlotPopoverSnippetRow(
        QPoint(value("Absolute upper-left X:"), value("Absolute upper-left Y:")) + kGroupAddSlot);
    xdotool({"mousemove", num(groupRow.x()), num(groupRow.y()), "click", "1"});
    makeSnippet("Inner", "inside the group");
    spin(300);
    screenshot("group-editor-two-slots");
    clickIn(group, kSaveGroup);
    ASSERT_TRUE(spinUntil([&] { return orbel.read("config.json").contains("inside the group"); }))
        << orbel.read("config.json").data();
    EXPECT_TRUE(orbel.read("config.json").contains("New Group"));

    shown = orbel.count("ShowMenuVisible");
    xdotool({"key", "ctrl+alt+k"});
    ASSERT_TRUE(spinUntil([&] { return orbel.count("ShowMenuVisible") == shown + 1; }));
    const QPoint slot3 = around({960, 540}, 160, 0.75);
    xdotool({"mousemove", num(slot3.x()), num(slot3.y())});
    EXPECT_TRUE(orbel.waitForLog("HoverUpdated slot=3"));
    xdotool({"click", "1"});
    spin(500);
    // Half a turn is the second of two slots in the group's dial (the third
    // of four in the root's).
    const int from = orbel.log().size();
    const QPoint half = around({960, 540}, 160, 0.5);
    xdotool({"mousemove", num(half.x()), num(half.y())});
    EXPECT_TRUE(orbel.waitForLog("HoverUpdated slot=1", from)) << orbel.log().mid(from).toStdString();
    screenshot("dial-group-opened");
    xdotool({"key", "Escape"});
}

}  // namespace
}  // namespace orbel
