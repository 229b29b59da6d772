#include "platform/single_instance.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDebug>
#include <QObject>
#include <QByteArrayList>

namespace orbel::platform {
namespace {

const QString kService = QStringLiteral("com.quandelvix.orbel");
const QString kPath = QStringLiteral("/com/quandelvix/orbel");
constexpr int kHandOverTimeoutMs = 5000;

// What the running instance offers on the bus.
class InstanceObject : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.quandelvix.orbel")
public:
    std::function<void(std::vector<std::string>)> onRequest;

public Q_SLOTS:
    // The paths as bytes: a file's name need not be valid UTF-8, which a
    // D-Bus string must be.
    void Open(const QByteArrayList& files) {
        std::vector<std::string> list;
        for (const QByteArray& f : files) list.push_back(f.toStdString());
        // The caller gets its answer at once; the files are opened later,
        // from the event loop.
        QMetaObject::invokeMethod(
            this, [this, list = std::move(list)]() mutable { if (onRequest) onRequest(std::move(list)); },
            Qt::QueuedConnection);
    }
};

class DBusSingleInstance final : public SingleInstance {
public:
    Role claim(const std::vector<std::string>& files, Request request,
               std::function<void(std::vector<std::string>)> onRequest) override {
        qDBusRegisterMetaType<QByteArrayList>();  // "aay", both ways
        auto bus = QDBusConnection::sessionBus();
        if (!bus.isConnected() || !bus.interface()) return Role::alone;
        object_.onRequest = std::move(onRequest);
        if (bus.registerObject(kPath, &object_, QDBusConnection::ExportAllSlots) && bus.registerService(kService))
            return Role::primary;
        bus.unregisterObject(kPath);
        if (request == Request::nothing) return Role::handedOver;
        QByteArrayList list;
        for (const auto& f : files) list << QByteArray::fromStdString(f);
        auto call = QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("Open"));
        call << QVariant::fromValue(list);
        // This process has no window yet and ends right after: waiting here
        // holds up nobody.
        const QDBusMessage reply = bus.call(call, QDBus::Block, kHandOverTimeoutMs);
        if (reply.type() != QDBusMessage::ReplyMessage)
            qWarning("Orbel is already running but did not answer: %s", qPrintable(reply.errorMessage()));
        return Role::handedOver;
    }

private:
    InstanceObject object_;
};

}  // namespace

std::unique_ptr<SingleInstance> makeSingleInstance() { return std::make_unique<DBusSingleInstance>(); }

}  // namespace orbel::platform

#include "single_instance.moc"
