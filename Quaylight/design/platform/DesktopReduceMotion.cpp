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
        bus.connect(portalService, portalPath, settingsInterface, QStringLiteral("SettingChanged"), this,
                    SLOT(settingChanged(QString, QString, QDBusVariant)));
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
    void settingChanged(const QString& group, const QString& key, const QDBusVariant& value) {
        if (group == interfaceNamespace && key == animationsKey) take(value.variant());
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
