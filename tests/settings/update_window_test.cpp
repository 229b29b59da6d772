// The update window and the Advanced tab's "Updates" row over a checker of
// their own (whatever feed this build has), against a feed served by the
// test; pictures under test-artifacts/updates in light and dark (the run
// with QT_SCALE_FACTOR=2 adds the "@2x" set).
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "fakes/fake_system_platform.h"
#include "feed_server.h"
#include "settings/advanced_tab.h"
#include "settings/update_checker.h"
#include "settings/update_window.h"
#include "settings_fixture.h"
#include "support/shown_text.h"
#include "support/widget_pictures.h"
#include "ui/settings_blocks.h"

namespace orbel::testing {
namespace {

class UpdateWindowTest : public SettingsFixture {
protected:
    UpdateWindowTest() {
        server.answers[QStringLiteral("/newer")] = {200, FeedServer::feed("1.3")};
        server.answers[QStringLiteral("/same")] = {200, FeedServer::feed("1.2")};
        server.answers[QStringLiteral("/silent")] = {200, {}, true};
    }
    ~UpdateWindowTest() override { closeWindow(); }
    static void closeWindow() {
        if (UpdateWindow::current()) delete UpdateWindow::current();
    }
    // Runs `scenario` in the light palette, then in the dark one; windows
    // take the palette they are built in.
    template <class Scenario>
    void inBothSchemes(Scenario scenario) {
        const QPalette light = QApplication::palette();
        for (const char* name : {"light", "dark"}) {
            scheme = QString::fromLatin1(name);
            QApplication::setPalette(scheme == "dark" ? darkPalette() : light);
            scenario();
            closeWindow();
        }
        QApplication::setPalette(light);
    }
    void picture(QWidget& widget, const QString& name) const {
        const QString dir = QStringLiteral(ORBEL_BINARY_DIR "/test-artifacts/updates");
        QDir().mkpath(dir);
        const QString suffix = qEnvironmentVariable("ORBEL_RENDER_SUFFIX");
        EXPECT_TRUE(widget.grab().save(QStringLiteral("%1/%2-%3%4.png").arg(dir, name, scheme, suffix)));
    }
    // The checker of `path`, followed by the window.
    UpdateChecker& checker(const QString& path) {
        checker_ = std::make_unique<UpdateChecker>(server.url(path), "1.2", &store);
        checker_->setTimeout(std::chrono::milliseconds(1500));
        UpdateWindow::follow(*checker_);
        return *checker_;
    }
    template <class T>
    static T* part(const char* name) {
        return UpdateWindow::current() ? UpdateWindow::current()->findChild<T*>(QString::fromLatin1(name)) : nullptr;
    }
    static QString title() { return part<QLabel>("updateTitle")->text(); }
    bool waitForEnd() {
        return QTest::qWaitFor([&] { return !checker_->isChecking(); }, 20000);
    }

    FeedServer server;
    fakes::FakeKeyValueStore store;
    fakes::FakeWorkspace workspace;
    fakes::ReplaceShared<platform::Workspace> useWorkspace{workspace};
    std::unique_ptr<UpdateChecker> checker_;
    QString scheme = QStringLiteral("light");
};

TEST_F(UpdateWindowTest, PicturesOfACheckFromProgressToANewerRelease) {
    inBothSchemes([&] {
        workspace.calls.clear();
        auto& c = checker("/newer");
        c.checkForUpdates();
        ASSERT_TRUE(UpdateWindow::current());
        EXPECT_TRUE(part<QProgressBar>("updateProgress")->isVisible());
        EXPECT_EQ(title(), "Checking for Updates…");
        picture(*UpdateWindow::current(), "update-checking");
        ASSERT_TRUE(waitForEnd());
        EXPECT_EQ(title(), "A new version of Orbel is available");
        EXPECT_FALSE(part<QProgressBar>("updateProgress")->isVisible());
        EXPECT_TRUE(part<QLabel>("updateLink")->text().contains("https://orbel.example/releases/1.3"));
        picture(*UpdateWindow::current(), "update-newer");
        QTest::mouseClick(part<QPushButton>("updatePrimary"), Qt::LeftButton);  // "Open Download Page"
        EXPECT_EQ(workspace.calls, (std::vector<std::string>{"openUrl https://orbel.example/releases/1.3"}));
        EXPECT_TRUE(QTest::qWaitFor([] { return !UpdateWindow::current(); }, 5000));

        auto& same = checker("/same");
        same.checkForUpdates();
        ASSERT_TRUE(waitForEnd());
        EXPECT_EQ(title(), "Orbel is up to date");
        EXPECT_EQ(part<QLabel>("updateDetail")->text(), "Version 1.2 is the newest version available.");
        EXPECT_FALSE(part<QLabel>("updateLink")->isVisible());
        picture(*UpdateWindow::current(), "update-current");
    });
}

TEST_F(UpdateWindowTest, PicturesOfASilentServerWhileTheWindowKeepsAnswering) {
    inBothSchemes([&] {
        server.requests = 0;
        auto& c = checker("/silent");
        c.checkForUpdates();
        // The interface runs on while the server says nothing: queued work
        // lands before the check ends.
        bool ran = false;
        QTimer::singleShot(0, [&] { ran = true; });
        ASSERT_TRUE(QTest::qWaitFor([&] { return ran; }, 5000));
        EXPECT_TRUE(c.isChecking());
        ASSERT_TRUE(waitForEnd());
        EXPECT_EQ(title(), "Orbel could not check for updates");
        EXPECT_EQ(part<QLabel>("updateDetail")->text(), "The update server did not answer in time.");
        picture(*UpdateWindow::current(), "update-failed");

        QTest::mouseClick(part<QPushButton>("updatePrimary"), Qt::LeftButton);  // "Try Again"
        EXPECT_TRUE(c.isChecking());
        EXPECT_EQ(part<QPushButton>("updatePrimary")->text(), "Cancel");
        ASSERT_TRUE(QTest::qWaitFor([&] { return server.requests == 2; }, 5000));
        QTest::mouseClick(part<QPushButton>("updatePrimary"), Qt::LeftButton);
        EXPECT_FALSE(c.isChecking());
        EXPECT_TRUE(QTest::qWaitFor([] { return !UpdateWindow::current(); }, 5000));
    });
}

TEST_F(UpdateWindowTest, PicturesOfAServersReasonPhraseShownAsItStands) {
    server.answers[QStringLiteral("/markup")] = {503, "down", false, true, kMarkup.toUtf8()};
    inBothSchemes([&] {
        checker("/markup").checkForUpdates();
        ASSERT_TRUE(waitForEnd());
        EXPECT_EQ(shownText(part<QLabel>("updateDetail")),
                  "The update server answered with status 503 " + kMarkup + ".");
        picture(*UpdateWindow::current(), "update-markup");
    });
}

TEST_F(UpdateWindowTest, AnAutomaticCheckOpensTheWindowOnlyForANewerRelease) {
    auto& same = checker("/same");
    same.startCheck(true);
    ASSERT_TRUE(waitForEnd());
    EXPECT_FALSE(UpdateWindow::current());
    // A sheet is the active window as the check ends: the update window
    // stands alone all the same, and stays when the sheet closes.
    QPointer<QDialog> sheet = new QDialog;
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->show();
    sheet->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(sheet));
    auto& newer = checker("/newer");
    newer.startCheck(true);
    ASSERT_TRUE(waitForEnd());
    ASSERT_TRUE(UpdateWindow::current());
    EXPECT_EQ(title(), "A new version of Orbel is available");
    EXPECT_EQ(UpdateWindow::current()->parentWidget(), nullptr);
    sheet->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(sheet.isNull());
    ASSERT_TRUE(UpdateWindow::current());
    EXPECT_TRUE(UpdateWindow::current()->isVisible());
}

TEST_F(UpdateWindowTest, PicturesOfTheAdvancedTabUpdatesRow) {
    fakes::FakeClock clock;
    fakes::ReplaceShared<platform::Clock> useClock{clock};
    inBothSchemes([&] {
        store.setInteger(UpdateChecker::kLastCheckKey, static_cast<std::int64_t>(clock.seconds) - 300);
        store.remove(UpdateChecker::kAutomaticKey);
        auto& c = checker("/newer");
        fakes::ReplaceShared<UpdateChecker> useChecker{c};
        AdvancedTab tab(open());
        tab.resize(640, 760);
        tab.show();
        auto* automatic = tab.findChild<QCheckBox*>(QStringLiteral("checkAutomatically"));
        auto* checkNow = tab.findChild<QPushButton*>(QStringLiteral("checkForUpdates"));
        ASSERT_TRUE(automatic && checkNow);
        auto* row = static_cast<ui::SettingsRow*>(automatic->parentWidget()->parentWidget());
        EXPECT_EQ(row->helpLabel()->text(), "Last checked 5 minutes ago.");
        EXPECT_TRUE(automatic->isChecked());
        tab.ensureWidgetVisible(checkNow);
        picture(tab, "advanced-updates");

        automatic->click();
        EXPECT_FALSE(c.automaticallyChecks());
        EXPECT_EQ(store.integers[UpdateChecker::kAutomaticKey], 0);
        tab.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&tab));
        QTest::mouseClick(checkNow, Qt::LeftButton);
        EXPECT_FALSE(checkNow->isEnabled());  // while the check runs
        // The window opens as the dialog of the one it was asked from,
        // centred over it.
        ASSERT_TRUE(UpdateWindow::current());
        EXPECT_EQ(UpdateWindow::current()->parentWidget(), &tab);
        EXPECT_TRUE(tab.frameGeometry().contains(UpdateWindow::current()->frameGeometry().center()));
        ASSERT_TRUE(waitForEnd());
        EXPECT_TRUE(checkNow->isEnabled());
        EXPECT_EQ(row->helpLabel()->text(), "Last checked 0 seconds ago.");
    });
}

}  // namespace
}  // namespace orbel::testing
