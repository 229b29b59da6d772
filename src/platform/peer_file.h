#pragma once

// Files that another program or the configuration names: a backup handed
// over, a custom icon image, a player's album artwork. Such a path may name a
// FIFO that never delivers, a device that never ends (/dev/zero), a huge
// photo or a file on a stalled network mount, so every such file is read the
// same way:
//  - on a reader thread of its own, never the GUI thread and never Qt's
//    global pool (other work needs it); quitting does not wait for a read;
//  - opened without blocking, and only when it is a regular file;
//  - read up to its limit plus one byte, so an over-long file is refused
//    without being read whole;
//  - an image decoded straight to the size it is drawn at.

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/main_queue.h"

namespace orbel::platform {

struct PeerFile {
    std::optional<QByteArray> bytes;  // the whole file, when it could be read
    // Otherwise why not, for a person: "“a.png” is a pipe, not a file."
    std::string error;
};

// Reads on the calling thread (a reader thread: it may block on a slow disk).
PeerFile readPeerFile(const QString& path, qint64 limit);
// The same for a path in the file system's bytes, which need not be valid
// UTF-8 (a name given on the command line).
PeerFile readPeerFile(const QByteArray& nativePath, qint64 limit);

// The image in `bytes`, decoded to fit within `pixels` with its aspect ratio
// kept, never enlarged unless it is a drawing (SVG); a null image when the
// bytes hold none.
QImage decodePeerImage(const QByteArray& bytes, QSize pixels);

// Runs `work` on a peer-file reader thread.
void runPeerFileRead(std::function<void()> work);

// Runs `work` on a reader thread, then `done` with its result, queued on the
// GUI thread, unless `context` is gone by then.
template <class Result>
void readOffGuiThread(const QObject* context, std::function<Result()> work, std::function<void(Result)> done) {
    QPointer<const QObject> alive(context);
    runPeerFileRead([alive, work = std::move(work), done = std::move(done)]() mutable {
        auto result = std::make_shared<Result>(work());
        MainQueue::shared().post([alive, result, done = std::move(done)] {
            if (alive) done(std::move(*result));
        });
    });
}

}  // namespace orbel::platform
