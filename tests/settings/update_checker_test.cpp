// The update checker without widgets: its feed, versions and texts, and
// real checks against a feed served by the test.
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "fakes/fake_alerts.h"
#include "fakes/fake_platform_basics.h"
#include "fakes/fake_timers.h"
#include "fakes/replace_shared.h"
#include "feed_server.h"
#include "settings/update_checker.h"

namespace orbel::testing {
namespace {

using Kind = UpdateCheckResult::Kind;

TEST(UpdateFeed, VersionsFeedsAndRelativeTimes) {
    EXPECT_EQ(UpdateChecker::compareVersions("1.10.0", "1.9.9"), 1);
    EXPECT_EQ(UpdateChecker::compareVersions("1.2", "1.2.0"), 0);
    EXPECT_EQ(UpdateChecker::compareVersions("v0.1.0", "0.2"), -1);
    for (const char* bad : {"", "1..2", "1.2-beta", "one", "1.2.", "１.2"}) {
        EXPECT_FALSE(UpdateChecker::compareVersions(bad, "1.0")) << bad;
    }

    auto release = std::get<UpdateRelease>(UpdateChecker::parseFeed(FeedServer::feed("2.0")));
    EXPECT_EQ(release, (UpdateRelease{"2.0", QUrl("https://orbel.example/releases/2.0")}));
    // Only a web address may come from the feed: it is handed to the desktop to open.
    for (const char* bad : {R"({"version": "2.0", "url": "file:///etc/passwd"})",
                            R"x({"version": "2.0", "url": "javascript:alert(1)"})x", R"({"version": "2.0"})",
                            R"({"url": "https://orbel.example/"})", R"({"version": 2, "url": "https://o.example/"})",
                            "[]", "<html>"}) {
        EXPECT_TRUE(std::holds_alternative<QString>(UpdateChecker::parseFeed(bad))) << bad;
    }

    const double now = 1700000000;
    EXPECT_EQ(UpdateChecker::helpText(std::nullopt, now), "Free for the lifetime of the app.");
    EXPECT_EQ(UpdateChecker::helpText(now - 300, now), "Last checked 5 minutes ago.");
    EXPECT_EQ(UpdateChecker::helpText(now, now), "Last checked 0 seconds ago.");
    EXPECT_EQ(UpdateChecker::helpText(now - 59, now), "Last checked 59 seconds ago.");
    EXPECT_EQ(UpdateChecker::relativeTime(now - 60, now), "1 minute ago");
    EXPECT_EQ(UpdateChecker::relativeTime(now - 59.5, now), "59 seconds ago");
    EXPECT_EQ(UpdateChecker::relativeTime(now, now), "0 seconds ago");
    EXPECT_EQ(UpdateChecker::relativeTime(now - 25 * 3600, now), "1 day ago");
    EXPECT_EQ(UpdateChecker::relativeTime(now - 400 * 86400, now), "1 year ago");
    EXPECT_EQ(UpdateChecker::relativeTime(now + 7200, now), "in 2 hours");
}

class UpdateCheckerTest : public ::testing::Test {
protected:
    UpdateCheckerTest() {
        server.answers[QStringLiteral("/newer")] = {200, FeedServer::feed("1.3")};
        server.answers[QStringLiteral("/same")] = {200, FeedServer::feed("1.2.0")};
        server.answers[QStringLiteral("/older")] = {200, FeedServer::feed("1.1.9")};
        server.answers[QStringLiteral("/malformed")] = {200, R"({"version": "1.3", "url": )"};
        server.answers[QStringLiteral("/silent")] = {200, {}, true};
        server.answers[QStringLiteral("/huge")] = {200, QByteArray(1 << 20, ' ') + FeedServer::feed("9.0")};
        server.answers[QStringLiteral("/huge-unannounced")] = {200, QByteArray(1 << 20, ' '), false, false};
        server.answers[QStringLiteral("/loop")] = {301, {}, false, true, "Moved Permanently", "/loop"};
    }
    // Runs a check of the feed at `path` to its end.
    UpdateCheckResult check(const QString& path, std::chrono::milliseconds timeout = std::chrono::milliseconds(1500)) {
        UpdateChecker c(server.url(path), "1.2", &store);
        c.setTimeout(timeout);
        QSignalSpy finished(&c, &UpdateChecker::finished);
        c.startCheck();
        EXPECT_TRUE(c.isChecking());
        EXPECT_FALSE(c.canCheckForUpdates());
        EXPECT_TRUE(QTest::qWaitFor([&] { return finished.count() == 1; }, 20000)) << path.toStdString();
        EXPECT_TRUE(c.canCheckForUpdates());
        return c.lastResult().value_or(UpdateCheckResult{});
    }

    FeedServer server;
    fakes::FakeKeyValueStore store;
    fakes::FakeClock clock;
    fakes::ReplaceShared<platform::Clock> useClock{clock};
};

TEST_F(UpdateCheckerTest, NewerSameAndOlderReleases) {
    const auto newer = check("/newer");
    EXPECT_EQ(newer.kind, Kind::newer);
    EXPECT_EQ(newer.latest.url, QUrl("https://orbel.example/releases/1.3"));
    EXPECT_EQ(store.integers[UpdateChecker::kLastCheckKey], 1700000000);
    EXPECT_EQ(check("/same").kind, Kind::upToDate);
    // A development build ahead of the feed is up to date too.
    EXPECT_EQ(check("/older").kind, Kind::upToDate);
    EXPECT_EQ(server.requests, 3);
}

TEST_F(UpdateCheckerTest, BrokenAnswersEndWithAMessage) {
    struct Case {
        const char* path;
        const char* message;
    };
    for (const Case& c : {Case{"/malformed", "The update server's answer is not a release feed: it is not a JSON object."},
                          Case{"/missing", "The update server answered with status 404 Not Found."},
                          Case{"/huge", "The update server's answer is larger than 64 KB."},
                          Case{"/huge-unannounced", "The update server's answer is larger than 64 KB."},
                          Case{"/silent", "The update server did not answer in time."}}) {
        const auto result = check(c.path);
        EXPECT_EQ(result.kind, Kind::failed) << c.path;
        EXPECT_EQ(result.error.toStdString(), c.message) << c.path;
    }
    // Fifty redirects take a while here.
    EXPECT_EQ(check("/loop", std::chrono::seconds(20)).error.toStdString(),
              "The update server redirected too many times.");
    UpdateChecker noModule(server.url("/newer"), "1.2", &store);
    noModule.setStartHttpGet([](const platform::HttpGetRequest&, platform::HttpGet::Handlers, QString* why) {
        *why = QStringLiteral("The module orbel-http.so is missing.");
        return std::unique_ptr<platform::HttpGet>();
    });
    QSignalSpy ended(&noModule, &UpdateChecker::finished);
    noModule.startCheck();
    ASSERT_TRUE(ended.wait(5000));
    EXPECT_EQ(noModule.lastResult()->error.toStdString(),
              "Checking for updates is not available in this installation. The module orbel-http.so is missing.");
    // A failed check still counts as the last check.
    EXPECT_TRUE(store.integers.count(UpdateChecker::kLastCheckKey));
    // No server on the port: a plain sentence, not the network's reason.
    UpdateChecker refused(QUrl(QStringLiteral("http://127.0.0.1:1/feed")), "1.2", &store);
    QSignalSpy finished(&refused, &UpdateChecker::finished);
    refused.startCheck();
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() == 1; }, 20000));
    EXPECT_EQ(refused.lastResult()->error, "Orbel could not connect to the update server. Check that this computer "
                                           "is online, then try again.");
}

// Qt hands the network reply its data through queued calls: an application
// event filter meets the reply there and keeps a guarded pointer to it.
class ReplyWatch : public QObject {
public:
    ReplyWatch() { qApp->installEventFilter(this); }
    bool eventFilter(QObject* target, QEvent*) override {
        if (!reply && target->inherits("QNetworkReply")) reply = target;
        return false;
    }
    QPointer<QObject> reply;
};

TEST_F(UpdateCheckerTest, AnAnswerTricklingPastTheLimitOutlivesTheSignalThatRefusedIt) {
    // No length, four pieces: the limit is crossed in the reply's readyRead.
    server.answers[QStringLiteral("/trickle")] = {200, QByteArray(96 * 1024, ' '), false, false, {}, {}, 4};
    ReplyWatch watch;
    UpdateChecker checker(server.url("/trickle"), "1.2", &store);
    bool replyLivedThroughTheEnd = false;
    QObject::connect(&checker, &UpdateChecker::finished, &checker,
                     [&] { replyLivedThroughTheEnd = !watch.reply.isNull(); });
    checker.startCheck();
    ASSERT_TRUE(QTest::qWaitFor([&] { return checker.lastResult().has_value(); }, 20000));
    EXPECT_EQ(checker.lastResult()->error.toStdString(), "The update server's answer is larger than 64 KB.");
    EXPECT_TRUE(replyLivedThroughTheEnd);
    // Gone once the event loop is back: not leaked either.
    EXPECT_TRUE(QTest::qWaitFor([&] { return watch.reply.isNull(); }, 5000));
}

TEST_F(UpdateCheckerTest, WithoutAFeedTheCheckerOnlyExplains) {
    fakes::FakeAlerts alerts;
    fakes::ReplaceShared<platform::Alerts> useAlerts{alerts};
    fakes::FakeTimers timers;
    fakes::ReplaceShared<platform::Timers> useTimers{timers};
    UpdateChecker none(QUrl(), "1.2", &store);
    QSignalSpy requested(&none, &UpdateChecker::checkRequested);
    EXPECT_FALSE(none.canCheckForUpdates());
    none.checkForUpdates();
    none.startAutomaticChecks();
    EXPECT_FALSE(none.isChecking());
    EXPECT_EQ(requested.count(), 0);
    EXPECT_EQ(timers.pending(), 0u);
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(alerts.shown[0].alert.title, UpdateChecker::kMessage);
}

// Only an http or https address is a feed: any other (a file, which may be
// a pipe that never answers) is never asked, by the user or automatically.
int requestsMade = 0;
std::unique_ptr<platform::HttpGet> countRequest(const platform::HttpGetRequest&, platform::HttpGet::Handlers,
                                                QString*) {
    ++requestsMade;
    return nullptr;
}

TEST_F(UpdateCheckerTest, OnlyAWebAddressIsAFeed) {
    fakes::FakeAlerts alerts;
    fakes::ReplaceShared<platform::Alerts> useAlerts{alerts};
    fakes::FakeTimers timers(&clock);
    fakes::ReplaceShared<platform::Timers> useTimers{timers};
    requestsMade = 0;
    const char* const refused[] = {"file:///tmp/feed.json", "/tmp/feed.json", "ftp://orbel.example/feed.json",
                                   "data:application/json,{}", "qrc:/feed.json", "https:///feed.json"};
    for (const char* address : refused) {
        SCOPED_TRACE(address);
        UpdateChecker checker{QUrl(address), "1.2", &store};
        checker.setStartHttpGet(&countRequest);
        EXPECT_FALSE(checker.hasFeed());
        checker.checkForUpdates();
        checker.startCheck();
        checker.startAutomaticChecks();
        timers.advance(std::chrono::hours(25));
    }
    EXPECT_EQ(requestsMade, 0);
    ASSERT_FALSE(alerts.shown.empty());  // the user is told where updates come from
    EXPECT_EQ(alerts.shown[0].alert.title, UpdateChecker::kMessage);
    for (const char* address : {"https://orbel.example/feed.json", "HTTP://127.0.0.1:8080/feed.json"}) {
        UpdateChecker checker{QUrl(address), "1.2", &store};
        checker.setStartHttpGet(&countRequest);
        EXPECT_TRUE(checker.hasFeed()) << address;
        checker.startCheck();
    }
    EXPECT_EQ(requestsMade, 2);
}

TEST_F(UpdateCheckerTest, AutomaticChecksRunAtMostOnceADay) {
    fakes::FakeTimers timers(&clock);
    fakes::ReplaceShared<platform::Timers> useTimers{timers};
    UpdateChecker checker(server.url("/newer"), "1.2", &store);
    QSignalSpy finished(&checker, &UpdateChecker::finished);
    checker.startAutomaticChecks();
    checker.startAutomaticChecks();
    timers.advance(std::chrono::seconds(10));
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() == 1; }, 20000));
    EXPECT_TRUE(finished[0][1].toBool());  // automatic
    EXPECT_TRUE(checker.automaticallyChecks());  // on unless turned off

    timers.advance(std::chrono::hours(24));  // hourly looks, none a day after the check
    EXPECT_FALSE(checker.isChecking());
    timers.advance(std::chrono::hours(1));
    EXPECT_TRUE(checker.isChecking());
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() == 2; }, 20000));

    checker.setAutomaticallyChecks(false);
    EXPECT_EQ(store.integers[UpdateChecker::kAutomaticKey], 0);
    timers.advance(std::chrono::hours(72));
    EXPECT_FALSE(checker.isChecking());
    EXPECT_EQ(server.requests, 2);
}

}  // namespace
}  // namespace orbel::testing
