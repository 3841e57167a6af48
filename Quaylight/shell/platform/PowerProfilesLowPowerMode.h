#pragma once
// Low Power Mode from power-profiles-daemon on the system bus: on while its active profile
// is "power-saver", followed through the property-change signal. False where the daemon
// (or the bus) is absent, and again when it leaves the bus.

#include <QDBusConnection>
#include <QObject>
#include <atomic>

#include "Quaylight/shell/platform/LowPowerModeProvider.h"

namespace quaylight {

class PowerProfilesLowPowerMode final : public QObject, public LowPowerModeProvider {
    Q_OBJECT
public:
    static constexpr const char* serviceName = "net.hadess.PowerProfiles";
    static constexpr const char* objectPath = "/net/hadess/PowerProfiles";
    static constexpr const char* interfaceName = "net.hadess.PowerProfiles";

    // Asks for the profile (the answer arrives later; false until then), then follows its
    // changes. GUI thread.
    explicit PowerProfilesLowPowerMode(QDBusConnection bus = QDBusConnection::systemBus(), QObject* parent = nullptr);

    bool isLowPowerModeEnabled() const override { return enabled_.load(); }

signals:
    void changed(bool enabled);
    // Each time an answer to a read of the profile (or its failure) has arrived.
    void profileRead();

private slots:
    void onPropertiesChanged(const QString& interface, const QVariantMap& changed, const QStringList& invalidated);
    void onServiceUnregistered();
    void onServiceRegistered();

private:
    void readActiveProfile();
    void apply(bool enabled);

    QDBusConnection bus_;
    std::atomic<bool> enabled_{false};
};

}  // namespace quaylight
