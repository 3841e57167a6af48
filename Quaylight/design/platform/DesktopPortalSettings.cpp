#include "Quaylight/design/platform/DesktopPortalSettings.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QObject>

namespace quaylight::desktopportal {

namespace {

const QString service = QStringLiteral("org.freedesktop.portal.Desktop");
const QString path = QStringLiteral("/org/freedesktop/portal/desktop");
const QString interface = QStringLiteral("org.freedesktop.portal.Settings");

// The portal wraps a value in one or two variants depending on its version.
QVariant unwrap(QVariant value) {
    while (value.userType() == qMetaTypeId<QDBusVariant>()) value = value.value<QDBusVariant>().variant();
    return value;
}

class ChangeFollower final : public QObject {
    Q_OBJECT
public:
    ChangeFollower(std::function<void(const QString&, const QString&, const QVariant&)> onChange, QObject* parent)
        : QObject(parent), onChange_(std::move(onChange)) {}

public slots:
    // The slot takes the message itself: subscribed with the three arguments as parameters,
    // the connection was refused (connect returned false) and no change ever arrived.
    void settingChanged(const QDBusMessage& message) {
        const auto arguments = message.arguments();
        if (arguments.size() < 3) return;
        onChange_(arguments[0].toString(), arguments[1].toString(), unwrap(arguments[2]));
    }

private:
    std::function<void(const QString&, const QString&, const QVariant&)> onChange_;
};

}  // namespace

void read(QObject* context, const QString& group, const QString& key, std::function<void(const QVariant&)> onValue) {
    auto bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    // Asked without waiting: a portal that starts slowly must not hold up the application.
    auto message = QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("Read"));
    message << group << key;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(message), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
                     [onValue = std::move(onValue)](QDBusPendingCallWatcher* call) {
                         QDBusPendingReply<QDBusVariant> reply = *call;
                         if (!reply.isError()) onValue(unwrap(reply.value().variant()));
                         call->deleteLater();
                     });
}

void followChanges(QObject* context,
                   std::function<void(const QString& group, const QString& key, const QVariant& value)> onChange) {
    auto bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    auto* follower = new ChangeFollower(std::move(onChange), context);
    bus.connect(service, path, interface, QStringLiteral("SettingChanged"), follower,
                SLOT(settingChanged(QDBusMessage)));
}

}  // namespace quaylight::desktopportal

#include "DesktopPortalSettings.moc"
