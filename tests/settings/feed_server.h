#pragma once

// A release feed served over HTTP on 127.0.0.1 from the test's own event
// loop: each path answers with a status and a body, or never answers.

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <map>

namespace orbel::testing {

class FeedServer : public QTcpServer {
public:
    struct Answer {
        int status = 200;
        QByteArray body;
        bool silent = false;        // reads the request, never answers
        bool sendsLength = true;    // else the body ends when the connection closes
        QByteArray reason = {};     // the status line's phrase; empty: "OK" or "Not Found"
        QByteArray location = {};   // a redirect's target
        int pieces = 1;             // the body trickles in this many writes, a moment apart
    };

    FeedServer() {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { read(socket); });
            }
        });
    }
    QUrl url(const QString& path) const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(path));
    }
    static QByteArray feed(const QByteArray& version) {
        return R"({"version": ")" + version + R"(", "url": "https://orbel.example/releases/)" + version + R"("})";
    }

    std::map<QString, Answer> answers;
    int requests = 0;

private:
    void read(QTcpSocket* socket) {
        QByteArray& request = pending_[socket];
        request += socket->readAll();
        if (!request.contains("\r\n\r\n")) return;
        ++requests;
        const QString path = QString::fromLatin1(request.split(' ').value(1));
        pending_.erase(socket);
        const auto it = answers.find(path);
        const Answer answer = it != answers.end() ? it->second : Answer{404, "no such feed"};
        if (answer.silent) return;
        const QByteArray reason =
            !answer.reason.isEmpty() ? answer.reason : QByteArray(answer.status == 200 ? "OK" : "Not Found");
        QByteArray head = "HTTP/1.1 " + QByteArray::number(answer.status) + ' ' + reason +
                          "\r\nContent-Type: application/json\r\n";
        if (answer.sendsLength) head += "Content-Length: " + QByteArray::number(answer.body.size()) + "\r\n";
        if (!answer.location.isEmpty()) head += "Location: " + answer.location + "\r\n";
        socket->write(head + "Connection: close\r\n\r\n");
        const qsizetype piece = (answer.body.size() + answer.pieces - 1) / std::max(answer.pieces, 1);
        for (int i = 0; i < answer.pieces; ++i) {
            const bool last = i == answer.pieces - 1;
            QTimer::singleShot(i * 50, socket, [socket, bytes = answer.body.mid(i * piece, piece), last] {
                socket->write(bytes);
                if (last) socket->disconnectFromHost();
            });
        }
    }
    std::map<QTcpSocket*, QByteArray> pending_;
};

}  // namespace orbel::testing
