// The network module: HTTP GETs through Qt's network library, loaded by the
// program the first time it makes one (see platform/http_get.h).
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>

#include "platform/http_get.h"

namespace {

using orbel::platform::HttpGet;
using orbel::platform::HttpGetRequest;

class QtHttpGet final : public HttpGet {
public:
    QtHttpGet(const HttpGetRequest& r, Handlers handlers)
        : handlers_(std::move(handlers)), network_(new QNetworkAccessManager) {
        network_->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
        QNetworkRequest request(r.url);
        request.setHeader(QNetworkRequest::UserAgentHeader, r.userAgent);
        if (!r.accept.isEmpty()) request.setRawHeader("Accept", r.accept);
        request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
        request.setTransferTimeout(static_cast<int>(r.transferTimeout.count()));
        reply_ = network_->get(request);
        reply_->setReadBufferSize(r.readBufferSize);
        connections_[0] = QObject::connect(reply_, &QNetworkReply::metaDataChanged, reply_, [this] {
            const QVariant length = reply_->header(QNetworkRequest::ContentLengthHeader);
            if (length.isValid()) run(handlers_.lengthKnown, length.toLongLong());
        });
        connections_[1] = QObject::connect(reply_, &QIODevice::readyRead, reply_, [this] {
            run(handlers_.readyRead);
        });
        connections_[2] = QObject::connect(reply_, &QNetworkReply::finished, reply_, [this] {
            run(handlers_.finished);
        });
    }
    // A handler may end the GET from inside one of the reply's signals: the
    // reply and its manager go once that signal has returned, never sooner.
    ~QtHttpGet() override {
        abort();
        network_->deleteLater();
    }

    QByteArray read(qint64 most) override { return reply_ ? reply_->read(most) : QByteArray(); }
    int status() const override {
        const QVariant s = reply_ ? reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute) : QVariant();
        return s.isValid() ? s.toInt() : 0;
    }
    QString reasonPhrase() const override {
        return reply_ ? reply_->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString() : QString();
    }
    Failure failure() const override {
        if (!reply_) return Failure::other;
        switch (reply_->error()) {
            case QNetworkReply::NoError: return Failure::none;
            case QNetworkReply::OperationCanceledError:
            case QNetworkReply::TimeoutError: return Failure::timedOut;
            case QNetworkReply::TooManyRedirectsError: return Failure::tooManyRedirects;
            default: return Failure::other;
        }
    }
    QString errorString() const override { return reply_ ? reply_->errorString() : QString(); }
    void abort() override {
        if (!reply_) return;
        QNetworkReply* reply = reply_;
        reply_ = nullptr;
        for (const auto& c : connections_) QObject::disconnect(c);
        reply->abort();
        reply->deleteLater();
    }

private:
    // A copy runs: a handler may end the GET, and this with it.
    template <typename F, typename... Args>
    static void run(const F& handler, Args... args) {
        if (F copy = handler) copy(args...);
    }

    Handlers handlers_;
    QNetworkAccessManager* network_;  // one GET a day at most: its own manager, gone after it
    QPointer<QNetworkReply> reply_;
    QMetaObject::Connection connections_[3];
};

}  // namespace

extern "C" Q_DECL_EXPORT HttpGet* orbel_start_http_get(const HttpGetRequest* request, HttpGet::Handlers* handlers) {
    return new QtHttpGet(*request, std::move(*handlers));
}
