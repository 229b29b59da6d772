#pragma once

// One GET of a small document over HTTP(S), for the update check. The
// network library behind it is loaded the first time one is made, so that
// a session that never checks never carries it.

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <chrono>
#include <functional>
#include <memory>

namespace orbel::platform {

struct HttpGetRequest {
    QUrl url;
    QByteArray userAgent;
    QByteArray accept;
    std::chrono::milliseconds transferTimeout{30000};  // ends a server that goes silent
    qint64 readBufferSize = 0;                          // what may wait unread; 0 is unbounded
};

// A GET under way. Its handlers run on the GUI thread, each after the call
// that started the GET has returned; none runs once it is aborted or gone.
// Redirects are followed unless they go from HTTPS to HTTP.
class HttpGet {
public:
    struct Handlers {
        std::function<void(qint64 contentLength)> lengthKnown;  // the headers gave one
        std::function<void()> readyRead;
        std::function<void()> finished;
    };
    enum class Failure { none, timedOut, tooManyRedirects, other };

    virtual ~HttpGet() = default;
    virtual QByteArray read(qint64 most) = 0;
    // Once finished: the HTTP status (0 without one), its phrase, and
    // whether the transfer failed and why.
    virtual int status() const = 0;
    virtual QString reasonPhrase() const = 0;
    virtual Failure failure() const = 0;
    virtual QString errorString() const = 0;
    virtual void abort() = 0;
};

// Starts a GET; null with `why` set when this system cannot make one.
std::unique_ptr<HttpGet> startHttpGet(const HttpGetRequest& request, HttpGet::Handlers handlers, QString* why);

// The entry point of the library that makes them (its exported C name).
using StartHttpGetFunction = HttpGet* (*)(const HttpGetRequest* request, HttpGet::Handlers* handlers);
inline constexpr const char* kStartHttpGetSymbol = "orbel_start_http_get";

}  // namespace orbel::platform
