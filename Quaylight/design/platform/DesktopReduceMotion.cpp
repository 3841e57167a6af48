// The desktop portal's settings interface answers for GNOME and for every desktop that
// implements the portal; "enable-animations" off means reduce motion.
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QObject>
#include <atomic>

#include "Quaylight/design/platform/ReduceMotion.h"

namespace quaylight {

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString settingsInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString interfaceNamespace = QStringLiteral("org.gnome.desktop.interface");
const QString animationsKey = QStringLiteral("enable-animations");

// The portal wraps the value in one or two variants depending on its version.
QVariant unwrap(QVariant value) {
    while (value.canConvert<QDBusVariant>() && value.userType() == qMetaTypeId<QDBusVariant>()) {
        value = value.value<QDBusVariant>().variant();
    }
    return value;
}

class DesktopReduceMotion final : public QObject, public ReduceMotionProvider {
    Q_OBJECT
public:
    DesktopReduceMotion() {
        auto bus = QDBusConnection::sessionBus();
        if (!bus.isConnected()) return;
        // The slot takes the message itself: subscribed with the three arguments as parameters,
        // the connection was refused (connect returned false) and no change ever arrived.
        bus.connect(portalService, portalPath, settingsInterface, QStringLiteral("SettingChanged"), this,
                    SLOT(settingChanged(QDBusMessage)));
        // Asked without waiting: a portal that starts slowly must not hold up the application.
        auto message = QDBusMessage::createMethodCall(portalService, portalPath, settingsInterface,
                                                      QStringLiteral("Read"));
        message << interfaceNamespace << animationsKey;
        auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(message), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
            QDBusPendingReply<QDBusVariant> reply = *call;
            if (!reply.isError()) take(reply.value().variant());
            call->deleteLater();
        });
    }

    bool reduceMotion() const override { return reduce_.load(); }

private slots:
    void settingChanged(const QDBusMessage& message) {
        const auto arguments = message.arguments();
        if (arguments.size() < 3) return;
        if (arguments[0].toString() == interfaceNamespace && arguments[1].toString() == animationsKey)
            take(arguments[2]);
    }

private:
    void take(const QVariant& value) {
        const QVariant plain = unwrap(value);
        if (plain.typeId() == QMetaType::Bool) reduce_ = !plain.toBool();
    }

    std::atomic<bool> reduce_{false};
};

}  // namespace

std::shared_ptr<ReduceMotionProvider> makeDesktopReduceMotionProvider() {
    return std::make_shared<DesktopReduceMotion>();
}

}  // namespace quaylight

#include "DesktopReduceMotion.moc"
