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

using systemtest::around;
using systemtest::num;
using systemtest::pressAndMoveArgs;

// The radius of the wedges' ring about the centre of the settings window's
// dial editor.
constexpr double kRingRadius = 114;

// Fills and saves the New Snippet sheet.
void makeSnippet(const systemtest::ControlMap& controls, const QString& name, const QString& text) {
    ASSERT_FALSE(waitForWindowNamed("New Snippet").isEmpty());
    spin(300);
    xdotool({"type", name});
    ASSERT_TRUE(controls.click("^New Snippet$", "QPlainTextEdit"));
    xdotool({"type", text});
    ASSERT_TRUE(controls.click("^New Snippet$", "Save"));
}

void screenshot(const QString& name) {
    const QString dir = QStringLiteral(ORBEL_BINARY_DIR "/test-artifacts/system");
    QDir().mkpath(dir);
    QGuiApplication::primaryScreen()->grabWindow(0).save(dir + "/" + name + ".png");
}

// The settings window, its controls found where the program says they are.
class SettingsWindow {
public:
    explicit SettingsWindow(const Orbel& orbel) : controls_(orbel.controls()) {}
    bool waitOpen() {
        return spinUntil([&] {
            id_ = run("xdotool", {"search", "--onlyvisible", "--name", "Orbel Settings"}).section('\n', 0, 0);
            return !id_.isEmpty();
        });
    }
    void activate() { xdotool({"windowactivate", "--sync", id_}); }
    const systemtest::ControlMap& controls() const { return controls_; }
    // The control `name` names (see systemtest::ControlMap::find), clicked.
    void click(const QString& name, int clicks = 1) {
        activate();
        EXPECT_TRUE(controls_.click("^Orbel Settings$", name, clicks));
    }
    // A point of the screen in the window, clicked.
    void clickAt(QPoint at, int clicks = 1) {
        activate();
        xdotool({"mousemove", num(at.x()), num(at.y()), "click", "--repeat", QString::number(clicks), "--delay", "80",
                 "1"});
        spin(300);
    }
    // The middle of the control `name`, on the screen.
    QPoint centreOf(const QString& name) const {
        const auto control = controls_.find("^Orbel Settings$", name);
        return control ? control->rect.center() : QPoint();
    }
    // Presses at `from`, moves in small steps through `via` to `to` (points
    // of the screen) and lets go: a real drag, Qt's own over XDND. `name`:
    // a screenshot just before letting go.
    void drag(QPoint from, const std::vector<QPoint>& via, QPoint to, const QString& name) {
        activate();
        xdotool(pressAndMoveArgs(from, via, to));
        spin(300);
        screenshot(name);
        xdotool({"mouseup", "1"});
        spin(400);
    }

private:
    systemtest::ControlMap controls_;
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
                              "[Desktop Entry]\nType=Application\nName=Orbel Probe\nExec=touch " +
                                  systemtest::execArgument(mark()) + "\n");
        environment.set("XDG_DATA_HOME", data.path().toUtf8());
    }
    QString mark() const { return data.path() + "/launched"; }

    QTemporaryDir data;
    systemtest::ScopedEnvironment environment;  // restored before the folder goes
};

TEST_F(SlotEditorViewSystem, DragRenameTrashSnippetAndGroupReachTheFileAndTheDial) {
    Orbel orbel(R"({"hotkey": "ctrl+opt+k", "showInTray": false, "menu": [
        {"snippet": "one", "title": "One"}, {"snippet": "two", "title": "Two"}]})");
    ASSERT_TRUE(orbel.waitForLog("ShowMenuVisible"));
    xdotool({"key", "ctrl+comma"});  // the dial's way to the settings window
    SettingsWindow settings(orbel);
    const systemtest::ControlMap& controls = settings.controls();
    ASSERT_TRUE(settings.waitOpen());
    settings.click("Customization");
    settings.click("Search");
    xdotool({"type", "Orbel Probe"});
    spin(500);
    screenshot("customization-before-drag");

    // Across the top, then past the middle of "One" (top after the gap
    // that opens there): the gap after it, before "Two".
    const QPoint ring = settings.centreOf("Dial editor");
    settings.drag(settings.centreOf("row"), {around(ring, kRingRadius, 0.1)}, around(ring, kRingRadius, 0.42),
                  "customization-dragging-app");
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
    settings.clickAt(around(ring, kRingRadius, 1.0 / 3), 2);
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
    settings.drag(around(ring, kRingRadius, 0), {}, settings.centreOf("TrashDropZone"),
                  "customization-dragging-to-trash");
    EXPECT_TRUE(spinUntil([&] { return !orbel.read("config.json").contains("\"One\""); }))
        << orbel.read("config.json").data();
    screenshot("customization-after-trash");

    // Add Slot, Snippet: the new snippet goes last and pastes from the dial
    // into the window that had the focus.
    settings.click("addSlot");
    ASSERT_TRUE(controls.find("^$", "Snippet"));
    screenshot("customization-add-slot-popover");
    ASSERT_TRUE(controls.click("^$", "Snippet"));  // the popover
    makeSnippet(controls, "Greeting", "pasted from the dial");
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
    settings.click("addGroup");
    ASSERT_FALSE(waitForWindowNamed("Edit Group").isEmpty());
    ASSERT_TRUE(controls.click("^Edit Group", "Search"));
    xdotool({"type", "Orbel Probe"});
    spin(300);
    ASSERT_TRUE(controls.click("^Edit Group", "row", 2));  // a double click adds the row
    ASSERT_TRUE(controls.click("^Edit Group", "addSlot"));
    ASSERT_TRUE(controls.click("^$", "Snippet"));  // the popover
    makeSnippet(controls, "Inner", "inside the group");
    spin(300);
    screenshot("group-editor-two-slots");
    ASSERT_TRUE(controls.click("^Edit Group", "saveGroup"));
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

// A wedge dragged onto the trash just after another program touched
// config.json (its times changed, not its bytes): exactly that slot leaves
// the file, once it is quiet. The touches go on until the drop has found the
// file changing, however long the drag takes.
TEST_F(SlotEditorViewSystem, AWedgeTrashedJustAfterATouchRemovesThatSlotOnly) {
    Orbel orbel(R"({"hotkey": "ctrl+opt+k", "showInTray": false, "menu": [
        {"snippet": "one", "title": "One"}, {"snippet": "two", "title": "Two"}, {"snippet": "three", "title": "Three"}]})");
    ASSERT_TRUE(orbel.waitForLog("ShowMenuVisible"));
    xdotool({"key", "ctrl+comma"});
    SettingsWindow settings(orbel);
    ASSERT_TRUE(settings.waitOpen());
    settings.click("Customization");
    spin(500);
    const QPoint ring = settings.centreOf("Dial editor");
    const QPoint trash = settings.centreOf("TrashDropZone");
    auto toucher = std::make_optional<systemtest::Toucher>(orbel.configDir() + "/config.json");
    settings.drag(around(ring, kRingRadius, 0), {}, trash, "customization-trash-after-touch");
    ASSERT_TRUE(orbel.waitForLog("is being written by another program")) << orbel.log().toStdString();
    toucher.reset();
    ASSERT_TRUE(spinUntil([&] { return !orbel.read("config.json").contains("\"One\""); }, 10000))
        << orbel.read("config.json").data();
    spin(500);  // nothing more is written
    const QByteArray text = orbel.read("config.json");
    EXPECT_TRUE(text.contains("\"Two\"") && text.contains("\"Three\"")) << text.data();
    screenshot("customization-after-trash-after-touch");
}

}  // namespace
}  // namespace orbel
