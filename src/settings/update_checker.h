#pragma once

// "Check for Updates…". A build made for a distribution's package manager has
// no release feed: asked to check, the checker says where updates come from.
// A build with a feed (ORBEL_UPDATE_FEED_URL) asks that address for the
// newest release, when the user asks and, if the user allows it, by itself
// at most once a day while Orbel runs.
//
// The feed is a small JSON document:
//
//   {"version": "1.4.2", "url": "https://example.org/orbel/1.4.2"}
//
// The request runs in Qt Network's own machinery: nothing here waits. A
// check ends with a result after at most `timeout`, and an answer larger
// than `sizeLimit` is cut off and refused. GUI thread.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QUrl>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "platform/http_get.h"
#include "platform/key_value_store.h"
#include "platform/timers.h"

class QTimer;

namespace orbel {

// The newest release, as the feed names it.
struct UpdateRelease {
    std::string version;
    QUrl url;  // http or https
    bool operator==(const UpdateRelease&) const = default;
};

// How a check ended.
struct UpdateCheckResult {
    enum class Kind { upToDate, newer, failed };
    Kind kind = Kind::failed;
    UpdateRelease latest;  // upToDate and newer
    QString error;         // failed: why, as the user reads it
};

class UpdateChecker : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kDefaultTimeout{20000};
    static constexpr qint64 kDefaultSizeLimit = 64 * 1024;
    static constexpr double kAutomaticInterval = 24 * 60 * 60;  // seconds between automatic checks
    static constexpr const char* kAutomaticKey = "updates.checkAutomatically";
    static constexpr const char* kLastCheckKey = "updates.lastCheckDate";

    // No feed (an empty or invalid address, or one that is not http or
    // https): the checker cannot check. The settings are kept in `store`;
    // without one, in the shared store of the moment.
    explicit UpdateChecker(const QUrl& feed, std::string currentVersion = ORBEL_VERSION,
                           platform::KeyValueStore* store = nullptr, QObject* parent = nullptr);
    ~UpdateChecker() override;

    // The build's checker (its feed is the build's, and nothing else); tests
    // may replace it.
    static UpdateChecker& shared();
    static void setShared(UpdateChecker* replacement);

    bool hasFeed() const { return feed_.isValid() && !feed_.isEmpty(); }
    const QUrl& feed() const { return feed_; }
    const std::string& currentVersion() const { return currentVersion_; }
    // A feed, and no check running.
    bool canCheckForUpdates() const { return hasFeed() && !isChecking(); }
    bool isChecking() const { return reply_ != nullptr; }
    // Seconds since 1970 of the last check that ended, whatever its result.
    std::optional<double> lastCheckDate() const;
    // On unless the user turned it off.
    bool automaticallyChecks() const;
    void setAutomaticallyChecks(bool on);
    // The last check's result in this run, if any ended.
    const std::optional<UpdateCheckResult>& lastResult() const { return result_; }

    void setTimeout(std::chrono::milliseconds timeout) { timeout_ = timeout; }
    // What makes the GET: platform::startHttpGet unless a test says otherwise.
    using StartHttpGet = std::unique_ptr<platform::HttpGet> (*)(const platform::HttpGetRequest&,
                                                                platform::HttpGet::Handlers, QString* why);
    void setStartHttpGet(StartHttpGet start) { startHttpGet_ = start; }
    void setSizeLimit(qint64 bytes) { sizeLimit_ = bytes; }

    // The user asks. Without a feed an alert says where updates come from;
    // with one a check starts (unless one is running) and `checkRequested`
    // asks for the window that follows it.
    void checkForUpdates();
    // Starts a check without telling anyone to show it; nothing when one
    // runs already or there is no feed.
    void startCheck(bool automatic = false);
    // Ends a running check without a result.
    void cancel();
    // From now on, while automatic checks are on, checks when the last one
    // is a day old (or there was none): shortly after this call, then every
    // hour. Safe to call twice.
    void startAutomaticChecks();

    // What a check that found no server to talk to ends with.
    static QString unreachableText();
    // What the help text under the "Updates" row says at time `now`.
    static QString helpText(const std::optional<double>& lastCheck, double now);
    // `then` relative to `now` in whole words: "5 minutes ago", "in 1 hour".
    static QString relativeTime(double then, double now);
    // The feed's release, or why the document is not a feed.
    static std::variant<UpdateRelease, QString> parseFeed(const QByteArray& document);
    // Dotted numeric versions ("1.10.2", an optional leading "v"): negative,
    // zero or positive as `a` is older, the same or newer than `b`; nothing
    // when either is not such a version.
    static std::optional<int> compareVersions(const std::string& a, const std::string& b);

    // What the update window shows: while a check runs, its progress; after
    // it, `result`.
    struct WindowText {
        QString title;
        QString detail;
        QUrl link;  // newer: the release's address
    };
    static WindowText windowText(bool checking, const std::optional<UpdateCheckResult>& result,
                                 const std::string& currentVersion);

    // The alert of a build without a feed.
    static constexpr const char* kMessage = "Orbel can't check for updates by itself";
    static constexpr const char* kDetail =
        "Updates for Orbel come from your system's package manager. Use it to look for a newer version.";

Q_SIGNALS:
    // canCheckForUpdates, lastCheckDate, automaticallyChecks or lastResult changed.
    void changed();
    // The user asked for a check: show it.
    void checkRequested();
    // A check ended (not on cancel).
    void finished(const orbel::UpdateCheckResult& result, bool automatic);

private:
    void checkIfDue();
    void readBody();
    void complete();
    void end(UpdateCheckResult result);
    void dropReply();

    QUrl feed_;
    std::string currentVersion_;
    platform::KeyValueStore& store() const { return store_ ? *store_ : platform::KeyValueStore::shared(); }

    platform::KeyValueStore* store_;
    std::chrono::milliseconds timeout_ = kDefaultTimeout;
    qint64 sizeLimit_ = kDefaultSizeLimit;
    StartHttpGet startHttpGet_ = &platform::startHttpGet;
    std::unique_ptr<platform::HttpGet> reply_;  // the running check's request
    QTimer* deadline_ = nullptr;
    QByteArray body_;
    bool automatic_ = false;
    std::optional<UpdateCheckResult> result_;
    platform::Timers* timers_ = nullptr;
    platform::Timers::Id firstTimer_ = 0;
    platform::Timers::Id dailyTimer_ = 0;
};

}  // namespace orbel
