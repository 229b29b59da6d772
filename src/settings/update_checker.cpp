#include "settings/update_checker.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QTimer>
#include <cmath>

#include "platform/alerts.h"
#include "platform/clock.h"
#include "platform/http_get.h"

#ifndef ORBEL_UPDATE_FEED_URL
#define ORBEL_UPDATE_FEED_URL ""
#endif

namespace orbel {

namespace {

UpdateChecker*& replacementSlot() {
    static UpdateChecker* replacement = nullptr;
    return replacement;
}

// The build's feed, fixed when it was built: the program reads no setting
// of its environment for it.
QUrl buildFeed() { return QUrl(QStringLiteral(ORBEL_UPDATE_FEED_URL)); }

// Only a web address is asked: any other (a file, which may be a pipe that
// never answers) is no feed at all.
QUrl webAddressOnly(const QUrl& feed) {
    const QString scheme = feed.scheme().toLower();
    const bool web = scheme == QLatin1String("https") || scheme == QLatin1String("http");
    return feed.isValid() && web && !feed.host().isEmpty() ? feed : QUrl();
}

constexpr std::chrono::milliseconds kFirstAutomaticDelay{10000};
constexpr std::chrono::milliseconds kAutomaticPoll{60 * 60 * 1000};

}  // namespace

UpdateChecker::UpdateChecker(const QUrl& feed, std::string currentVersion, platform::KeyValueStore* store,
                             QObject* parent)
    : QObject(parent), feed_(webAddressOnly(feed)), currentVersion_(std::move(currentVersion)), store_(store) {}

UpdateChecker::~UpdateChecker() {
    if (timers_) {
        timers_->cancel(firstTimer_);
        timers_->cancel(dailyTimer_);
    }
    dropReply();
}

UpdateChecker& UpdateChecker::shared() {
    if (UpdateChecker* replacement = replacementSlot()) return *replacement;
    static auto* checker = new UpdateChecker(buildFeed());
    return *checker;
}

void UpdateChecker::setShared(UpdateChecker* replacement) { replacementSlot() = replacement; }

std::optional<double> UpdateChecker::lastCheckDate() const {
    if (auto seconds = store().integer(kLastCheckKey)) return static_cast<double>(*seconds);
    return std::nullopt;
}

bool UpdateChecker::automaticallyChecks() const { return store().integer(kAutomaticKey).value_or(1) != 0; }

void UpdateChecker::setAutomaticallyChecks(bool on) {
    if (on == automaticallyChecks()) return;
    store().setInteger(kAutomaticKey, on ? 1 : 0);
    Q_EMIT changed();
}

void UpdateChecker::checkForUpdates() {
    if (!hasFeed()) {
        platform::Alert alert;
        alert.title = tr(kMessage).toStdString();
        alert.text = tr(kDetail).toStdString();
        platform::Alerts::shared().show(alert);
        return;
    }
    startCheck(false);
    Q_EMIT checkRequested();
}

void UpdateChecker::startCheck(bool automatic) {
    if (!hasFeed()) return;
    if (isChecking()) {
        automatic_ = automatic_ && automatic;  // a user joining an automatic check sees its end
        return;
    }
    automatic_ = automatic;
    body_.clear();
    platform::HttpGetRequest request{feed_, QStringLiteral("Orbel/%1").arg(currentVersion_.c_str()).toUtf8(),
                                     "application/json", timeout_, sizeLimit_ + 1};
    platform::HttpGet::Handlers handlers;
    handlers.lengthKnown = [this](qint64 length) {
        if (length > sizeLimit_)
            end({UpdateCheckResult::Kind::failed, {}, tr("The update server's answer is larger than %1 KB.")
                                                          .arg((sizeLimit_ + 1023) / 1024)});
    };
    handlers.readyRead = [this] { readBody(); };
    handlers.finished = [this] { complete(); };
    QString why;
    reply_ = startHttpGet_(request, std::move(handlers), &why);
    if (!reply_) {
        // Reported as the end of a check, a turn later, as a failed request is.
        QTimer::singleShot(0, this, [this, why] {
            end({UpdateCheckResult::Kind::failed, {},
                 tr("Checking for updates is not available in this installation. %1").arg(why)});
        });
        return;
    }
    // The transfer timeout ends a silent server; this ends one that trickles.
    deadline_ = new QTimer(this);
    deadline_->setSingleShot(true);
    connect(deadline_, &QTimer::timeout, this, [this] {
        end({UpdateCheckResult::Kind::failed, {}, tr("The update server did not answer in time.")});
    });
    deadline_->start(timeout_);
    Q_EMIT changed();
}

void UpdateChecker::readBody() {
    if (!reply_) return;
    body_ += reply_->read(sizeLimit_ + 1 - body_.size());
    if (body_.size() > sizeLimit_) {
        end({UpdateCheckResult::Kind::failed, {},
             tr("The update server's answer is larger than %1 KB.").arg((sizeLimit_ + 1023) / 1024)});
    }
}

void UpdateChecker::complete() {
    if (!reply_) return;
    readBody();
    if (!reply_) return;  // refused as too large
    if (reply_->failure() == platform::HttpGet::Failure::tooManyRedirects) {
        end({UpdateCheckResult::Kind::failed, {}, tr("The update server redirected too many times.")});
        return;
    }
    const int code = reply_->status();
    if (code >= 300) {
        const QString phrase = reply_->reasonPhrase();
        end({UpdateCheckResult::Kind::failed, {},
             tr("The update server answered with status %1 %2.").arg(code).arg(phrase).trimmed()});
        return;
    }
    if (reply_->failure() == platform::HttpGet::Failure::timedOut) {
        end({UpdateCheckResult::Kind::failed, {}, tr("The update server did not answer in time.")});
        return;
    }
    if (reply_->failure() != platform::HttpGet::Failure::none) {
        end({UpdateCheckResult::Kind::failed, {}, unreachableText()});
        return;
    }
    auto parsed = parseFeed(body_);
    if (auto* why = std::get_if<QString>(&parsed)) {
        end({UpdateCheckResult::Kind::failed, {}, tr("The update server's answer is not a release feed: %1.").arg(*why)});
        return;
    }
    const auto& release = std::get<UpdateRelease>(parsed);
    const auto order = compareVersions(release.version, currentVersion_);
    if (!order) {
        end({UpdateCheckResult::Kind::failed, {},
             tr("The update server's answer is not a release feed: %1.").arg(tr("the version is not a number"))});
        return;
    }
    end({*order > 0 ? UpdateCheckResult::Kind::newer : UpdateCheckResult::Kind::upToDate, release, {}});
}

void UpdateChecker::end(UpdateCheckResult result) {
    const bool automatic = automatic_;
    dropReply();
    store().setInteger(kLastCheckKey, static_cast<std::int64_t>(std::floor(platform::Clock::shared().secondsSince1970())));
    result_ = std::move(result);
    Q_EMIT changed();
    Q_EMIT finished(*result_, automatic);
}

void UpdateChecker::cancel() {
    if (!isChecking()) return;
    dropReply();
    Q_EMIT changed();
}

void UpdateChecker::dropReply() {
    if (deadline_) {
        deadline_->deleteLater();
        deadline_->stop();
        deadline_ = nullptr;
    }
    reply_.reset();  // aborts it
}

void UpdateChecker::startAutomaticChecks() {
    if (!hasFeed() || timers_) return;
    timers_ = &platform::Timers::shared();
    firstTimer_ = timers_->singleShot(kFirstAutomaticDelay, [this] {
        firstTimer_ = 0;
        checkIfDue();
    });
    dailyTimer_ = timers_->repeating(kAutomaticPoll, [this] { checkIfDue(); });
}

void UpdateChecker::checkIfDue() {
    if (!automaticallyChecks() || isChecking()) return;
    const double now = platform::Clock::shared().secondsSince1970();
    const auto last = lastCheckDate();
    // A last check "in the future" means the clock was set back: not due.
    if (last && now - *last < kAutomaticInterval) return;
    startCheck(true);
}

QString UpdateChecker::unreachableText() {
    // The network's own reason ("Connection refused", "Host not found")
    // tells a user nothing they can act on.
    return tr("Orbel could not connect to the update server. Check that this computer is online, then try again.");
}

QString UpdateChecker::helpText(const std::optional<double>& lastCheck, double now) {
    if (!lastCheck) return tr("Free for the lifetime of the app.");
    return tr("Last checked %1.").arg(relativeTime(*lastCheck, now));
}

QString UpdateChecker::relativeTime(double then, double now) {
    struct Unit {
        double seconds;
        const char* ago[2];
        const char* in[2];
    };
    static const Unit units[] = {
        {365 * 86400.0, {QT_TR_NOOP("%1 year ago"), QT_TR_NOOP("%1 years ago")},
         {QT_TR_NOOP("in %1 year"), QT_TR_NOOP("in %1 years")}},
        {30 * 86400.0, {QT_TR_NOOP("%1 month ago"), QT_TR_NOOP("%1 months ago")},
         {QT_TR_NOOP("in %1 month"), QT_TR_NOOP("in %1 months")}},
        {7 * 86400.0, {QT_TR_NOOP("%1 week ago"), QT_TR_NOOP("%1 weeks ago")},
         {QT_TR_NOOP("in %1 week"), QT_TR_NOOP("in %1 weeks")}},
        {86400.0, {QT_TR_NOOP("%1 day ago"), QT_TR_NOOP("%1 days ago")},
         {QT_TR_NOOP("in %1 day"), QT_TR_NOOP("in %1 days")}},
        {3600.0, {QT_TR_NOOP("%1 hour ago"), QT_TR_NOOP("%1 hours ago")},
         {QT_TR_NOOP("in %1 hour"), QT_TR_NOOP("in %1 hours")}},
        {60.0, {QT_TR_NOOP("%1 minute ago"), QT_TR_NOOP("%1 minutes ago")},
         {QT_TR_NOOP("in %1 minute"), QT_TR_NOOP("in %1 minutes")}},
        {1.0, {QT_TR_NOOP("%1 second ago"), QT_TR_NOOP("%1 seconds ago")},
         {QT_TR_NOOP("in %1 second"), QT_TR_NOOP("in %1 seconds")}},
    };
    const double difference = now - then;
    const bool past = difference >= 0;
    const double span = std::fabs(difference);
    // The largest unit with at least one whole step; under a second counts as 0 seconds.
    const Unit* unit = &units[std::size(units) - 1];
    for (const Unit& u : units) {
        if (span >= u.seconds) {
            unit = &u;
            break;
        }
    }
    const auto count = static_cast<long long>(std::floor(span / unit->seconds));
    const char* const* forms = past ? unit->ago : unit->in;
    return tr(forms[count == 1 ? 0 : 1]).arg(count);
}

std::variant<UpdateRelease, QString> UpdateChecker::parseFeed(const QByteArray& document) {
    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(document, &error);
    if (error.error != QJsonParseError::NoError || !json.isObject()) return tr("it is not a JSON object");
    const QJsonObject feed = json.object();
    const QJsonValue version = feed.value(QStringLiteral("version"));
    if (!version.isString() || version.toString().trimmed().isEmpty()) return tr("it names no version");
    const QJsonValue address = feed.value(QStringLiteral("url"));
    const QUrl url(address.toString(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!address.isString() || !url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("https") && scheme != QLatin1String("http"))) {
        return tr("it names no web address for the release");
    }
    return UpdateRelease{version.toString().trimmed().toStdString(), url};
}

std::optional<int> UpdateChecker::compareVersions(const std::string& a, const std::string& b) {
    auto parts = [](const std::string& text) -> std::optional<std::vector<long long>> {
        QString v = QString::fromStdString(text).trimmed();
        if (v.startsWith(QLatin1Char('v')) || v.startsWith(QLatin1Char('V'))) v.remove(0, 1);
        if (v.isEmpty()) return std::nullopt;
        std::vector<long long> numbers;
        for (const QString& part : v.split(QLatin1Char('.'))) {
            if (part.isEmpty() || part.size() > 9) return std::nullopt;
            for (QChar c : part) {
                if (!c.isDigit() || c.unicode() > '9') return std::nullopt;
            }
            numbers.push_back(part.toLongLong());
        }
        return numbers;
    };
    auto x = parts(a), y = parts(b);
    if (!x || !y) return std::nullopt;
    const std::size_t n = std::max(x->size(), y->size());
    x->resize(n, 0);
    y->resize(n, 0);
    if (*x < *y) return -1;
    if (*x > *y) return 1;
    return 0;
}

UpdateChecker::WindowText UpdateChecker::windowText(bool checking, const std::optional<UpdateCheckResult>& result,
                                                    const std::string& currentVersion) {
    const QString current = QString::fromStdString(currentVersion);
    if (checking || !result) return {tr("Checking for Updates…"), tr("Looking for a newer version of Orbel."), {}};
    switch (result->kind) {
        case UpdateCheckResult::Kind::upToDate:
            return {tr("Orbel is up to date"), tr("Version %1 is the newest version available.").arg(current), {}};
        case UpdateCheckResult::Kind::newer:
            return {tr("A new version of Orbel is available"),
                    tr("Orbel %1 is available; you have version %2. Download it from its page:")
                        .arg(QString::fromStdString(result->latest.version), current),
                    result->latest.url};
        case UpdateCheckResult::Kind::failed:
            break;
    }
    return {tr("Orbel could not check for updates"), result->error, {}};
}

}  // namespace orbel
