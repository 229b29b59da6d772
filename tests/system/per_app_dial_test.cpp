// The Apps tab of the real `orbel` under Xvfb and openbox, with the pointer
// and the keyboard: a running xterm added through the picker gets the
// default slots until it has its own; two snippets made with Edit Slots…
// and the smallest dial size, saved, make the dial over xterm a small
// two-slot dial while another window keeps the default four-slot one.
// Screenshots go to test-artifacts/system.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QRegularExpression>
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

constexpr QPoint kCentre{960, 540};

QImage screen() { return QGuiApplication::primaryScreen()->grabWindow(0).toImage(); }

void screenshot(const QString& name) {
    const QString dir = QStringLiteral(ORBEL_BINARY_DIR "/test-artifacts/system");
    QDir().mkpath(dir);
    screen().save(dir + "/" + name + ".png");
}

// The point at clockwise fraction f of a turn around the screen's centre.
QPoint around(double r, double f) {
    const double a = 2 * std::numbers::pi * f;
    return QPointF(kCentre.x() + r * std::sin(a), kCentre.y() - r * std::cos(a)).toPoint();
}

// How far from the centre the dial reaches: the largest radius at which
// one of 16 directions differs between two pictures of the screen (the dial
// shown and not).
int dialExtent(const QImage& a, const QImage& b) {
    for (int r = 320; r > 0; r -= 2) {
        for (int i = 0; i < 16; ++i) {
            const QPoint p = around(r, i / 16.0);
            const QColor x = a.pixelColor(p), y = b.pixelColor(p);
            if (std::abs(x.red() - y.red()) + std::abs(x.green() - y.green()) + std::abs(x.blue() - y.blue()) > 30)
                return r;
        }
    }
    return 0;
}

void makeSnippet(const systemtest::ControlMap& controls, const QString& name, const QString& text) {
    ASSERT_FALSE(waitForWindowNamed("New Snippet").isEmpty());
    spin(300);
    xdotool({"type", name});
    ASSERT_TRUE(controls.click("^New Snippet$", "QPlainTextEdit"));
    xdotool({"type", text});
    ASSERT_TRUE(controls.click("^New Snippet$", "Save"));
}

class PerAppDialSystem : public ::testing::Test {
protected:
    void SetUp() override {
        ORBEL_REQUIRE_DISPLAY();
        if (!QFile::exists(systemtest::kOrbel)) GTEST_SKIP() << "orbel is not built";
        if (run("sh", {"-c", "command -v xterm"}).isEmpty()) GTEST_SKIP() << "no xterm";
        // xterm's desktop entry, and the only one the application index of
        // this session reads: the picker lists it soon and first, whatever
        // this machine has installed.
        ASSERT_TRUE(data.isValid());
        QDir().mkpath(data.path() + "/applications");
        systemtest::writeFile(data.path() + "/applications/debian-xterm.desktop",
                              "[Desktop Entry]\nType=Application\nName=XTerm\nExec=xterm\nStartupWMClass=XTerm\n");
        environment.set("XDG_DATA_HOME", data.path().toUtf8());
        environment.set("XDG_DATA_DIRS", (data.path() + "/none").toUtf8());
    }
    ~PerAppDialSystem() override {
        if (xterm.state() != QProcess::NotRunning) {
            xterm.terminate();
            xterm.waitForFinished(3000);
        }
    }

    // Opens the dial with the hot key over the window `front`, hovers half a
    // turn from the top and gives the slot the dial highlighted there; the
    // screen is compared with the dial shown and closed for its extent.
    int dialOver(Orbel& orbel, const QString& front, const QString& name, int* extent) {
        xdotool({"windowactivate", "--sync", front});
        spin(300);
        const int shown = orbel.count("ShowMenuVisible");
        xdotool({"key", "ctrl+alt+p"});
        EXPECT_TRUE(spinUntil([&] { return orbel.count("ShowMenuVisible") == shown + 1; }));
        const int from = orbel.log().size();
        const QPoint half = around(160, 0.5);
        xdotool({"mousemove", num(half.x()), num(half.y())});
        spinUntil([&] { return orbel.log().indexOf("HoverUpdated slot=", from) >= 0; });
        spin(400);
        const QImage with = screen();
        screenshot(name);
        xdotool({"key", "Escape"});
        spin(600);
        *extent = dialExtent(with, screen());
        const QString tail = orbel.log().mid(orbel.log().lastIndexOf("HoverUpdated slot="));
        return tail.section("slot=", 1).section(QRegularExpression("\\D"), 0, 0).toInt();
    }

    QProcess xterm;
    QTemporaryDir data;
    systemtest::ScopedEnvironment environment;  // restored before the folder goes
};

TEST_F(PerAppDialSystem, AnXtermDialWithTwoSlotsAndASmallerSizeOverXtermOnly) {
    Orbel orbel(R"({"version":1,"hotkey":"ctrl+opt+p","showInTray":false,"menu":[
        {"snippet":"one","title":"One"},{"snippet":"two","title":"Two"},
        {"snippet":"three","title":"Three"},{"snippet":"four","title":"Four"}]})");
    ASSERT_TRUE(orbel.waitForLog("ShowMenuVisible"));
    xdotool({"key", "ctrl+comma"});  // the dial's way to the settings window
    QString settings = waitForWindowNamed("Orbel Settings");
    if (settings.isEmpty()) {  // the first dial went before the key reached it: open one
        xdotool({"key", "ctrl+alt+p"});
        spin(800);
        xdotool({"key", "ctrl+comma"});
        settings = waitForWindowNamed("Orbel Settings");
    }
    if (settings.isEmpty()) screenshot("per-app-no-settings-window");
    ASSERT_FALSE(settings.isEmpty()) << orbel.log().toStdString();
    xterm.start("xterm", {"-T", "orbel-term", "-geometry", "60x10+0+0"});
    const QString term = waitForWindowNamed("^orbel-term$");
    ASSERT_FALSE(term.isEmpty());
    systemtest::Program other(QStringLiteral("orbel_test_window"), {QStringLiteral("Orbel other window")});
    ASSERT_TRUE(other.waitForLine("ready"));
    const QString otherId = waitForWindowNamed("^Orbel other window$");
    spin(500);
    screenshot("per-app-settings-open");
    const systemtest::ControlMap controls = orbel.controls();
    ASSERT_TRUE(controls.click("^Orbel Settings$", "Apps"));
    screenshot("per-app-apps-tab");
    // The picker fills in once the application index has been read.
    ASSERT_TRUE(controls.click("^Orbel Settings$", "Add App…"));
    const QString picker = waitForWindowNamed("^Choose an App$");
    ASSERT_FALSE(picker.isEmpty());
    spin(1500);
    xdotool({"windowactivate", "--sync", picker});
    xdotool({"type", "--delay", "40", "XTerm"});
    spin(300);
    screenshot("per-app-picker-xterm");
    // One click selects the row, Add chooses it.
    ASSERT_TRUE(controls.click("^Choose an App$", "row"));
    ASSERT_TRUE(controls.click("^Choose an App$", "Add"));
    ASSERT_TRUE(spinUntil([&] { return orbel.read("config.json").contains("debian-xterm"); }))
        << orbel.read("config.json").data();
    const QString sheet = waitForWindowNamed("^XTerm( |$)");
    ASSERT_FALSE(sheet.isEmpty());
    spin(500);
    screenshot("per-app-sheet-new-xterm");

    // Without slots of its own, the dial over xterm shows the default four.
    int changed = 0;
    EXPECT_EQ(dialOver(orbel, term, "per-app-xterm-no-slots-yet", &changed), 2);

    // Edit Slots…: two snippets through Add Slot, then Save Group.
    ASSERT_TRUE(controls.click("^XTerm( |$)", "editSlots"));
    const QString group = waitForWindowNamed("^Edit Group");
    ASSERT_FALSE(group.isEmpty());
    spin(500);
    screenshot("per-app-group-editor-open");
    for (const auto& [name, text] : {std::pair{"Alpha", "alpha text"}, std::pair{"Beta", "beta text"}}) {
        ASSERT_TRUE(controls.click("^Edit Group", "addSlot"));
        ASSERT_TRUE(controls.click("^$", "Snippet"));  // the popover
        makeSnippet(controls, name, text);
        spin(400);
    }
    screenshot("per-app-group-editor-two-slots");
    ASSERT_TRUE(controls.click("^Edit Group", "saveGroup"));
    ASSERT_TRUE(spinUntil([&] { return run("xwininfo", {"-id", group}).contains("IsUnMapped") ||
                                       run("xwininfo", {"-id", group}).isEmpty(); }));
    EXPECT_FALSE(orbel.read("config.json").contains("alpha text"));  // the sheet's draft only

    // Dial Size on, the slider to its smallest (0: 100 points), Save.
    ASSERT_TRUE(controls.click("^XTerm( |$)", "sizeOverride"));
    ASSERT_TRUE(controls.click("^XTerm( |$)", "dialSize"));
    xdotool({"key", "Home"});
    spin(300);
    screenshot("per-app-sheet-before-save");
    ASSERT_TRUE(controls.click("^XTerm( |$)", "Save"));
    ASSERT_TRUE(spinUntil([&] { return orbel.read("config.json").contains("beta text"); }))
        << orbel.read("config.json").data();
    const QByteArray text = orbel.read("config.json");
    EXPECT_TRUE(QString::fromUtf8(text).contains(QRegularExpression("\"menuRadius\" *: *100\\b"))) << text.data();

    // Over xterm: two slots (half a turn is the second), drawn at 100 points;
    // over the other window: the default four (half a turn is the third),
    // drawn at the default 200 points.
    int changedXterm = 0, changedOther = 0;  // how far the dial reaches
    EXPECT_EQ(dialOver(orbel, term, "per-app-dial-over-xterm", &changedXterm), 1);
    EXPECT_EQ(dialOver(orbel, otherId, "per-app-dial-over-other", &changedOther), 2);
    EXPECT_LT(changedXterm, 150);  // the hovered slot's name hangs below the disc, as tall as the font
    EXPECT_GT(changedOther, 180);
    EXPECT_EQ(orbel.stop(), 0);
}

}  // namespace
}  // namespace orbel
