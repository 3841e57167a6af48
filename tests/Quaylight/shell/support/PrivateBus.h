#pragma once
// A private message bus for tests: dbus-daemon started by the test, with the address it
// prints, and stopped (with the connections made to it) when the object goes.

#include <QDBusConnection>
#include <QProcess>
#include <QString>
#include <vector>

namespace quaylight::testsupport {

class PrivateBus {
public:
    PrivateBus() {
        daemon_.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address")});
        if (!daemon_.waitForStarted(10000)) return;
        while (!daemon_.canReadLine())
            if (!daemon_.waitForReadyRead(10000)) return;
        address_ = QString::fromUtf8(daemon_.readLine().trimmed());
    }
    ~PrivateBus() {
        for (const auto& name : names_) QDBusConnection::disconnectFromBus(name);
        daemon_.terminate();
        if (!daemon_.waitForFinished(10000)) {
            daemon_.kill();
            daemon_.waitForFinished(10000);
        }
    }
    bool running() const { return !address_.isEmpty(); }
    // The address clients reach it at (for DBUS_SESSION_BUS_ADDRESS).
    const QString& address() const { return address_; }
    QDBusConnection connect(const QString& name) {
        names_.push_back(name);
        return QDBusConnection::connectToBus(address_, name);
    }

private:
    QProcess daemon_;
    QString address_;
    std::vector<QString> names_;
};

}  // namespace quaylight::testsupport
