#include "Quaylight/shell/platform/PowerProfilesLowPowerMode.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

namespace quaylight {

namespace {

const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString activeProfile = QStringLiteral("ActiveProfile");
const QString powerSaver = QStringLiteral("power-saver");

}  // namespace

PowerProfilesLowPowerMode::PowerProfilesLowPowerMode(QDBusConnection bus, QObject* parent) : QObject(parent), bus_(std::move(bus)) {
    if (!bus_.isConnected()) return;
    const QString service = QString::fromLatin1(serviceName);
    bus_.connect(service, QString::fromLatin1(objectPath), propertiesInterface, QStringLiteral("PropertiesChanged"), this,
                 SLOT(onPropertiesChanged(QString, QVariantMap, QStringList)));
    auto* watcher = new QDBusServiceWatcher(service, bus_,
                                            QDBusServiceWatcher::WatchForRegistration | QDBusServiceWatcher::WatchForUnregistration, this);
    connect(watcher, &QDBusServiceWatcher::serviceRegistered, this, &PowerProfilesLowPowerMode::onServiceRegistered);
    connect(watcher, &QDBusServiceWatcher::serviceUnregistered, this, &PowerProfilesLowPowerMode::onServiceUnregistered);
    readActiveProfile();
}

void PowerProfilesLowPowerMode::readActiveProfile() {
    auto message = QDBusMessage::createMethodCall(QString::fromLatin1(serviceName), QString::fromLatin1(objectPath),
                                                  propertiesInterface, QStringLiteral("Get"));
    message << QString::fromLatin1(interfaceName) << activeProfile;
    // Asked without waiting: the bus may be slow, the GUI thread must not be.
    auto* call = new QDBusPendingCallWatcher(bus_.asyncCall(message, 5000), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* finished) {
        finished->deleteLater();
        QDBusPendingReply<QDBusVariant> reply = *finished;
        apply(!reply.isError() && reply.value().variant().toString() == powerSaver);
        emit profileRead();
    });
}

void PowerProfilesLowPowerMode::onPropertiesChanged(const QString& interface, const QVariantMap& changedProperties,
                                                    const QStringList& invalidated) {
    if (interface != QLatin1String(interfaceName)) return;
    if (auto it = changedProperties.find(activeProfile); it != changedProperties.end()) {
        apply(it->toString() == powerSaver);
    } else if (invalidated.contains(activeProfile)) {
        readActiveProfile();
    }
}

void PowerProfilesLowPowerMode::onServiceRegistered() { readActiveProfile(); }

void PowerProfilesLowPowerMode::onServiceUnregistered() { apply(false); }

void PowerProfilesLowPowerMode::apply(bool enabled) {
    if (enabled_.exchange(enabled) != enabled) emit changed(enabled);
}

}  // namespace quaylight
