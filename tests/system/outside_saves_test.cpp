// The real `orbel` while other programs save config.json: a save written in
// place for longer than Orbel waits ends whole in config.json or in a file
// the alert names; a click or a quit on a hand edit with a typo keeps the
// dial in use, the hot key shown and the broken bytes; a wedge dragged to the
// trash after another program saved a slot in front leaves the slot the user
// dragged, not the one now in its place. Screenshots go to test-artifacts/system.
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSettings>
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

#include "orbel_process.h"

namespace orbel {
namespace {

using systemtest::labelText;
using systemtest::Orbel;
using systemtest::spinUntil;
using systemtest::xdotool;

// Another program's save written in place through one descriptor, a tenth
// every 0.8 s, touching nothing else. Its first tenth is written again at
// that pace until `go()`, so that the other nine (over 7 s) follow a moment
// the test has seen, and outlast Orbel's longest wait from then.
class EightSecondSave {
public:
    EightSecondSave(const QString& path, const QByteArray& bytes)
        : bytes_(bytes), fd_(::open(QFile::encodeName(path).constData(), O_WRONLY | O_TRUNC | O_CLOEXEC)),
          writing_([this] {
              const qsizetype piece = bytes_.size() / 10 + 1;
              for (qsizetype at = 0; at < bytes_.size();) {
                  const qsizetype n = std::min(piece, bytes_.size() - at);
                  (void)!::pwrite(fd_, bytes_.constData() + at, size_t(n), off_t(at));
                  std::this_thread::sleep_for(std::chrono::milliseconds(800));
                  if (go_) at += n;
              }
              ::close(fd_);
              done_ = true;
          }) {}
    ~EightSecondSave() {
        go_ = true;
        writing_.join();
    }
    bool opened() const { return fd_ >= 0; }
    void go() { go_ = true; }
    bool done() const { return done_; }

private:
    QByteArray bytes_;
    int fd_;
    std::atomic<bool> go_{false}, done_{false};
    std::thread writing_;
};

// A dial of snippets titled `titles` (each snippet's text is its title in
// lower case), opened with Ctrl+Alt+O (openbox holds the default Alt+Space).
QByteArray dialOf(const QStringList& titles, const QByteArray& more = {}) {
    QByteArray menu;
    for (const QString& t : titles)
        menu += QByteArray(menu.isEmpty() ? "" : ", ") + R"({"snippet": ")" + t.toLower().toUtf8() +
                R"(", "title": ")" + t.toUtf8() + R"("})";
    return R"({"hotkey": "ctrl+opt+o", )" + more + R"("menu": [)" + menu + "]}";
}

// The titles of the main dial's slots in a configuration as written.
QStringList titlesIn(const QByteArray& config) {
    QStringList titles;
    for (const QJsonValue& slot : QJsonDocument::fromJson(config).object()["menu"].toArray())
        titles << slot.toObject()["title"].toString();
    return titles;
}

// The file beside config.json that an alert's text says a file is kept as
// ("" when it names none): the whole path, or the name after "In <folder>:".
QString fileNamedIn(const Orbel& orbel, const QString& text) {
    const auto named = QRegularExpression(R"((config\.json\.(?:backup|kept)[^\s/]*?)\.(?:\s|$))").match(text);
    return named.hasMatch() ? orbel.configDir() + "/" + named.captured(1) : QString();
}

QByteArray contentsOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The copies of config.json kept beside it.
QStringList backups(const Orbel& orbel) {
    return QDir(orbel.configDir()).entryList({"config.json.backup.*"}, QDir::Files);
}

// The text of the alert up now ("" when none is).
QString alertText(const Orbel& orbel) { return labelText(orbel, "qt_msgbox_informativelabel"); }

// Answers every alert up with its default button, and waits until none is.
void answerAlerts() {
    QStringList alerts;
    while (!(alerts = systemtest::visibleDialogs()).isEmpty()) {
        xdotool({"windowactivate", "--sync", alerts.front(), "key", "Return"});
        ASSERT_TRUE(spinUntil([&] { return !systemtest::visibleDialogs().contains(alerts.front()); }));
    }
}

// Waits until config.json has been left alone for longer than Orbel's
// settle time (2 s), by its times.
void waitUntilQuiet(const Orbel& orbel) {
    ASSERT_TRUE(spinUntil([&] {
        return QFileInfo(orbel.configDir() + "/config.json").metadataChangeTime().msecsTo(QDateTime::currentDateTime()) >
               2500;
    }, 10000));
}

// The settings window on its General tab, opened from the dial Ctrl+Alt+O
// opens: its X window id, "" when it did not open.
QString openSettings(Orbel& orbel) {
    const QString window = systemtest::openSettingsFromDial(orbel);
    if (window.isEmpty()) return {};
    xdotool({"windowactivate", "--sync", window});
    EXPECT_TRUE(orbel.controls().click("^Orbel Settings$", "General"));
    return window;
}

class OutsideSaves : public ::testing::Test {
protected:
    void SetUp() override {
        ORBEL_REQUIRE_DISPLAY();
        if (!QFile::exists(systemtest::kOrbel)) GTEST_SKIP() << "orbel is not built";
    }
    // The other program's slow save: three slots of its own.
    const QByteArray outside = dialOf({"Outside 1", "Outside 2", "Outside 3"});
    // The eight-second save has ended, and its whole is in config.json
    // (taken in, maybe with a click on top) or in the file the alert up now
    // names; a picture of the screen is saved as `picture`.
    void waitForTheWholeSave(const Orbel& orbel, const EightSecondSave& save, const QString& picture) {
        QString told;
        const bool whole = spinUntil([&] {
            if (!save.done()) return false;
            if (titlesIn(orbel.read("config.json")) == titlesIn(outside)) return true;
            told = alertText(orbel);
            return !told.isEmpty() && contentsOf(fileNamedIn(orbel, told)) == outside;
        }, 30000);
        systemtest::savePicture(picture);
        EXPECT_TRUE(whole) << "config.json: " << orbel.read("config.json").data() << "\nalert: " << told.toStdString()
                           << "\n" << orbel.log().toStdString();
    }
};

// Orbel starts while another program takes 8 s to write config.json in
// place: the stored profile stands in meanwhile, that program's save ends
// whole where the user is told, and Orbel answers its hot key.
TEST_F(OutsideSaves, AStartDuringAnEightSecondSaveLosesNothingOfIt) {
    Orbel orbel(Orbel::Deferred{});
    orbel.write("config.json", dialOf({"Before"}));
    orbel.write("orbel.ini", "[General]\norbel.activeProfile=Work\n");
    orbel.write("profiles/Work.json", dialOf({"Work"}));
    EightSecondSave save(orbel.configDir() + "/config.json", outside);
    ASSERT_TRUE(save.opened());
    orbel.start();
    ASSERT_TRUE(orbel.waitForLog("waiting for the configuration file to be written whole")) << orbel.log().toStdString();
    save.go();
    waitForTheWholeSave(orbel, save, "eight-second-save-at-start");
    answerAlerts();
    ASSERT_TRUE(orbel.openDial("ctrl+alt+o")) << orbel.log().toStdString();
    xdotool({"key", "Escape"});
}

// Show in Tray clicked while another program takes 8 s to write config.json
// in place: that program's save ends whole where the user is told, the
// click is saved, and Orbel answers its hot key.
TEST_F(OutsideSaves, AClickDuringAnEightSecondSaveLosesNothingOfIt) {
    Orbel orbel(dialOf({"Mine"}));
    const QString window = openSettings(orbel);
    ASSERT_FALSE(window.isEmpty()) << orbel.log().toStdString();
    EightSecondSave save(orbel.configDir() + "/config.json", outside);
    ASSERT_TRUE(save.opened());
    ASSERT_TRUE(orbel.controls().click("^Orbel Settings$", "showInTray"));
    ASSERT_TRUE(orbel.waitForLog("is being written by another program")) << orbel.log().toStdString();
    save.go();
    waitForTheWholeSave(orbel, save, "eight-second-save-during-a-click");
    EXPECT_TRUE(orbel.read("config.json").contains("\"showInTray\" : false")) << orbel.read("config.json").data();
    answerAlerts();
    ASSERT_TRUE(orbel.openDial("ctrl+alt+o")) << orbel.log().toStdString();
    xdotool({"key", "Escape"});
}

// A hand edit of config.json with a typo (a slot left open).
const QByteArray kBroken = R"({"hotkey": "ctrl+opt+o", "menu": [{"snippet": "mine", "title": "Mine"},)";

// What a click on a broken config.json leaves, after it or after the quit
// it waited on: config.json holds the dial in use with the click, one copy
// holds the broken bytes, and an alert up now names that copy (a picture
// of it is saved as `picture`).
void expectTheDialTheClickAndTheCopy(const Orbel& orbel, const QString& picture) {
    const QByteArray config = orbel.read("config.json");
    EXPECT_EQ(titlesIn(config), QStringList{"Mine"}) << config.data();
    EXPECT_TRUE(config.contains("\"hotkey\" : \"ctrl+opt+o\"") && config.contains("\"showInTray\" : false"))
        << config.data();
    const QStringList kept = backups(orbel);
    ASSERT_EQ(kept.size(), 1) << kept.join(", ").toStdString();
    EXPECT_EQ(orbel.read(kept.front()), kBroken);
    QString told;
    EXPECT_TRUE(spinUntil([&] { return fileNamedIn(orbel, told = alertText(orbel)).endsWith(kept.front()); }))
        << told.toStdString();
    EXPECT_FALSE(told.contains("default dial")) << told.toStdString();
    systemtest::savePicture(picture);
}

// Show in Tray clicked once the broken file has been left alone: the click
// is saved onto the dial in use, whose hot key opens it.
TEST_F(OutsideSaves, AClickOnABrokenFileKeepsTheDialInUse) {
    Orbel orbel(dialOf({"Mine"}, R"("showInTray": true, )"));
    const QString window = openSettings(orbel);
    ASSERT_FALSE(window.isEmpty()) << orbel.log().toStdString();
    orbel.write("config.json", kBroken);
    waitUntilQuiet(orbel);
    ASSERT_TRUE(orbel.controls().click("^Orbel Settings$", "showInTray"));
    ASSERT_TRUE(spinUntil([&] { return orbel.read("config.json").contains("\"showInTray\" : false"); }, 10000))
        << orbel.read("config.json").data() << orbel.log().toStdString();
    expectTheDialTheClickAndTheCopy(orbel, "click-on-a-broken-file");
    answerAlerts();
    xdotool({"windowactivate", "--sync", window, "key", "alt+F4"});
    ASSERT_TRUE(orbel.openDial("ctrl+alt+o")) << orbel.log().toStdString();
    xdotool({"key", "Escape"});
}

// Orbel quits while Show in Tray waits on a file just broken (touched as a
// sync tool does, so that it is still changing): the quit saves the click
// onto the dial in use, and the next start names the copy and answers the
// hot key.
TEST_F(OutsideSaves, AQuitOnAClickWaitingOnABrokenFileKeepsTheDialInUse) {
    Orbel orbel(dialOf({"Mine"}, R"("showInTray": true, )"));
    ASSERT_FALSE(openSettings(orbel).isEmpty()) << orbel.log().toStdString();
    orbel.write("config.json", kBroken);
    {
        systemtest::Toucher syncTool(orbel.configDir() + "/config.json");
        ASSERT_TRUE(orbel.controls().click("^Orbel Settings$", "showInTray"));
        ASSERT_TRUE(orbel.waitForLog("is being written by another program")) << orbel.log().toStdString();
    }
    EXPECT_EQ(orbel.stop(), 0) << orbel.log().toStdString();
    waitUntilQuiet(orbel);
    const int from = int(orbel.log().size());
    orbel.start();
    ASSERT_TRUE(spinUntil([&] { return !systemtest::visibleDialogs().isEmpty(); }, 10000))
        << orbel.log().mid(from).toStdString();
    expectTheDialTheClickAndTheCopy(orbel, "quit-on-a-broken-file-next-start");
    answerAlerts();
    ASSERT_TRUE(orbel.openDial("ctrl+alt+o")) << orbel.log().mid(from).toStdString();
    xdotool({"key", "Escape"});
}

// Another program writes half its save in place and pauses 3 s, longer than
// Orbel's settle time, then writes the rest; Show in Tray is clicked in the
// pause. The half is judged unusable and the file itself is kept where the
// alert says, so the rest lands there: the whole save is in the told file.
// Then five quits, each on a click waiting under a sync tool, leave no
// ".kept-" file once Orbel has started again.
TEST_F(OutsideSaves, APausedSaveEndsWholeInTheToldFileAndQuitsUnderASyncToolLeaveNothing) {
    Orbel orbel(dialOf({"Mine"}, R"("showInTray": true, )"));
    ASSERT_FALSE(openSettings(orbel).isEmpty()) << orbel.log().toStdString();
    const QString config = orbel.configDir() + "/config.json";
    const int fd = ::open(QFile::encodeName(config).constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    const qsizetype half = outside.size() / 2;
    ASSERT_EQ(::pwrite(fd, outside.constData(), size_t(half), 0), ssize_t(half));
    waitUntilQuiet(orbel);
    ASSERT_TRUE(orbel.controls().click("^Orbel Settings$", "showInTray"));
    ASSERT_TRUE(spinUntil([&] { return orbel.read("config.json").contains("\"showInTray\" : false"); }, 10000))
        << orbel.log().toStdString();
    ASSERT_EQ(::pwrite(fd, outside.constData() + half, size_t(outside.size() - half), off_t(half)),
              ssize_t(outside.size() - half));
    ::close(fd);
    QString told;
    EXPECT_TRUE(spinUntil([&] { return contentsOf(fileNamedIn(orbel, told = alertText(orbel))) == outside; }))
        << told.toStdString();
    systemtest::savePicture("paused-save-during-a-click");
    answerAlerts();

    for (int quit = 0; quit < 5; ++quit) {
        if (quit > 0) orbel.start();
        ASSERT_FALSE(openSettings(orbel).isEmpty()) << orbel.log().toStdString();
        const int from = int(orbel.log().size());
        systemtest::Toucher syncTool(config);
        ASSERT_TRUE(orbel.controls().click("^Orbel Settings$", "showInTray"));
        ASSERT_TRUE(orbel.waitForLog("is being written by another program", from)) << orbel.log().toStdString();
        EXPECT_EQ(orbel.stop(), 0) << orbel.log().toStdString();
    }
    orbel.start();
    const auto kept = [&] { return QDir(orbel.configDir()).entryList({"config.json.kept-*"}, QDir::Files); };
    EXPECT_TRUE(spinUntil([&] { return kept().isEmpty(); }, 15000)) << kept().join(", ").toStdString();
    EXPECT_TRUE(systemtest::visibleDialogs().isEmpty());
}

// The radius of the wedges' ring about the centre of the settings window's
// dial editor.
constexpr double kRingRadius = 114;

// The dial "One, Two, Three" is shown in the dial editor; another program
// saves "Zero, One, Two, Three" (`during`: while the user drags "One", a
// moment before it is let go over the trash; else before, and left alone
// since). "One" leaves the file and "Zero" stays, or the change is told as
// not saved and the other program's save stays as it is.
void trashTheFirstWedgeAfterZeroIsSavedInFront(bool during) {
    Orbel orbel(dialOf({"One", "Two", "Three"}, R"("showInTray": false, )"));
    ASSERT_TRUE(orbel.waitForLog("ShowMenuVisible"));
    xdotool({"key", "ctrl+comma"});
    const QString window = systemtest::waitForWindowNamed("Orbel Settings");
    ASSERT_FALSE(window.isEmpty());
    const systemtest::ControlMap controls = orbel.controls();
    xdotool({"windowactivate", "--sync", window});
    ASSERT_TRUE(controls.click("^Orbel Settings$", "Customization"));
    const auto ring = controls.find("^Orbel Settings$", "Dial editor");
    const auto trash = controls.find("^Orbel Settings$", "TrashDropZone");
    ASSERT_TRUE(ring && trash);
    const QByteArray theirs = dialOf({"Zero", "One", "Two", "Three"}, R"("showInTray": false, )");
    const QString config = orbel.configDir() + "/config.json";
    if (!during) {
        systemtest::writeFile(config, theirs);
        waitUntilQuiet(orbel);
    }
    xdotool({"windowactivate", "--sync", window});
    xdotool(systemtest::pressAndMoveArgs(systemtest::around(ring->rect.center(), kRingRadius, 0), {}, trash->rect.center()));
    if (during) systemtest::writeFile(config, theirs);
    xdotool({"sleep", "0.3", "mouseup", "1"});

    // Saved, or told as not saved.
    QString told;
    const auto settled = [&] {
        if (titlesIn(orbel.read("config.json")) == QStringList{"Zero", "Two", "Three"}) return true;
        for (const auto& c : orbel.controls().controls())
            if (c.text == "Setting Not Saved") return !(told = alertText(orbel)).isEmpty();
        return false;
    };
    ASSERT_TRUE(spinUntil(settled, 15000)) << orbel.read("config.json").data() << orbel.log().toStdString();
    systemtest::savePicture(during ? "trash-while-zero-is-saved-in-front" : "trash-after-zero-was-saved-in-front");
    if (during) {
        EXPECT_TRUE(orbel.log().contains("is being written by another program")) << orbel.log().toStdString();
    }
    if (!told.isEmpty()) {
        EXPECT_EQ(orbel.read("config.json"), theirs) << told.toStdString();
    }
    // The editor shows what is in force: three slots either way.
    EXPECT_TRUE(controls.find("^Orbel Settings$", "3 slots"));
}

TEST_F(OutsideSaves, AWedgeTrashedAfterAnotherProgramSavedASlotInFrontIsTheOneDragged) {
    trashTheFirstWedgeAfterZeroIsSavedInFront(false);
}

TEST_F(OutsideSaves, AWedgeTrashedWhileAnotherProgramSavesASlotInFrontIsTheOneDragged) {
    trashTheFirstWedgeAfterZeroIsSavedInFront(true);
}

// What is told lasts until it is answered, one alert at a time: Reload of a
// broken file while a click waits tells the file and the click not saved,
// and the quit that closes those alerts leaves both to the next start.
TEST_F(OutsideSaves, WhatIsToldLastsUntilItIsAnsweredOneAlertAtATime) {
    // The profile "Work" stands in for the broken file: its hot key is free.
    Orbel orbel(Orbel::Deferred{});
    orbel.write("config.json", dialOf({"Mine"}, R"("showInTray": true, )"));
    orbel.write("profiles/Work.json", dialOf({"Mine"}, R"("showInTray": true, )"));
    QSettings(orbel.configDir() + "/orbel.ini", QSettings::IniFormat).setValue("orbel.activeProfile", "Work");
    orbel.start();
    ASSERT_FALSE(openSettings(orbel).isEmpty()) << orbel.log().toStdString();
    {
        orbel.write("config.json", kBroken);
        systemtest::Toucher syncTool(orbel.configDir() + "/config.json");
        ASSERT_TRUE(orbel.controls().click("^Orbel Settings$", "showInTray"));
        ASSERT_TRUE(orbel.waitForLog("is being written by another program")) << orbel.log().toStdString();
        ASSERT_TRUE(orbel.controls().click("^Orbel Settings$", "Advanced"));
        ASSERT_TRUE(spinUntil([&] { return orbel.controls().click("^Orbel Settings$", "reloadConfig"); }));
    }
    ASSERT_TRUE(spinUntil([&] { return !alertText(orbel).isEmpty(); }, 15000)) << orbel.log().toStdString();
    EXPECT_EQ(orbel.stop(), 0) << orbel.log().toStdString();
    const QStringList titles{"Orbel couldn't use its configuration", "Setting Not Saved"};
    for (const bool answer : {false, true}) {
        const int from = int(orbel.log().size());
        orbel.start();
        QStringList told;
        for (int n = 0; n < (answer ? 2 : 1); ++n) {
            QStringList alerts;
            ASSERT_TRUE(spinUntil([&] {
                alerts = systemtest::visibleDialogs();
                return alerts.size() == 1 && !told.contains(labelText(orbel, "qt_msgbox_label"));
            }, 10000)) << orbel.log().mid(from).toStdString();
            told << labelText(orbel, "qt_msgbox_label");
            if (answer) xdotool({"windowactivate", "--sync", alerts.front(), "key", "Return"});
        }
        EXPECT_EQ(told, answer ? titles : titles.mid(0, 1)) << told.join(" / ").toStdString();
        EXPECT_EQ(orbel.stop(), 0) << orbel.log().mid(from).toStdString();
    }
    orbel.start();
    ASSERT_TRUE(orbel.openDial("ctrl+alt+o")) << orbel.log().toStdString();
    xdotool({"key", "Escape"});
    EXPECT_TRUE(systemtest::visibleDialogs().isEmpty());
}

}  // namespace
}  // namespace orbel
