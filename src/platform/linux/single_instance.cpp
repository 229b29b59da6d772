#include "platform/single_instance.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDebug>
#include <QObject>
#include <QByteArrayList>
#include <QStringDecoder>
#include <optional>

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
        request(std::move(list));
    }
    // The paths as strings, as other versions send them.
    void Open(const QStringList& files) {
        std::vector<std::string> list;
        for (const QString& f : files) list.push_back(f.toStdString());
        request(std::move(list));
    }

private:
    // The caller gets its answer at once; the files are opened later, from
    // the event loop.
    void request(std::vector<std::string> list) {
        QMetaObject::invokeMethod(
            this, [this, list = std::move(list)]() mutable { if (onRequest) onRequest(std::move(list)); },
            Qt::QueuedConnection);
    }
};

// Whether the running instance refused the call as it was put: another
// version, which offers Open with other arguments.
bool refusedAsPut(const QDBusMessage& reply) {
    static const QStringList kRefusals{QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"),
                                       QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"),
                                       QStringLiteral("org.freedesktop.DBus.Error.InvalidSignature")};
    return reply.type() == QDBusMessage::ErrorMessage && kRefusals.contains(reply.errorName());
}

// The paths as strings, when every one is valid UTF-8.
std::optional<QStringList> asStrings(const std::vector<std::string>& files) {
    QStringList list;
    for (const auto& f : files) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString name = utf8(QByteArrayView(f.data(), qsizetype(f.size())));
        if (utf8.hasError()) return std::nullopt;
        list << std::move(name);
    }
    return list;
}

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
        // This process has no window yet and ends right after: waiting here
        // holds up nobody.
        const auto open = [&bus](const QVariant& paths) {
            auto call = QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("Open"));
            call << paths;
            return bus.call(call, QDBus::Block, kHandOverTimeoutMs);
        };
        QDBusMessage reply = open(QVariant::fromValue(list));
        // Another version takes the paths as strings, which can carry names
        // in UTF-8 only.
        if (const auto strings = asStrings(files); refusedAsPut(reply) && strings) reply = open(*strings);
        if (reply.type() == QDBusMessage::ReplyMessage) return Role::handedOver;
        if (refusedAsPut(reply)) return Role::refused;
        qWarning("Orbel is already running but did not answer: %s", qPrintable(reply.errorMessage()));
        return Role::unanswered;
    }

private:
    InstanceObject object_;
};

}  // namespace

std::unique_ptr<SingleInstance> makeSingleInstance() { return std::make_unique<DBusSingleInstance>(); }

}  // namespace orbel::platform

#include "single_instance.moc"
