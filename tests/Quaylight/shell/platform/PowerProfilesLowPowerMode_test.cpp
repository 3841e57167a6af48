// Low Power Mode against a private message bus (dbus-daemon started by the test) with a
// stand-in for power-profiles-daemon registered on it.
#include <gtest/gtest.h>

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QProcess>
#include <QSignalSpy>
#include <atomic>
#include <thread>

#include "Quaylight/shell/platform/FakeLowPowerMode.h"
#include "Quaylight/shell/platform/PowerProfilesLowPowerMode.h"
#include "tests/Quaylight/shell/support/PrivateBus.h"

namespace quaylight {
namespace {

using testsupport::PrivateBus;

class ProfilesObject final : public QObject {
public:
    QString profile = QStringLiteral("balanced");
};

class ProfilesAdaptor final : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "net.hadess.PowerProfiles")
    Q_PROPERTY(QString ActiveProfile READ activeProfile)
public:
    explicit ProfilesAdaptor(ProfilesObject* object) : QDBusAbstractAdaptor(object), object_(object) {}
    QString activeProfile() const { return object_->profile; }

private:
    ProfilesObject* object_;
};

class PowerProfilesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(bus_.running()) << "dbus-daemon could not be started (is dbus-daemon installed?)"; }

    // The stand-in daemon takes its name on its own connection.
    void startDaemon(const QString& profile) {
        object_ = std::make_unique<ProfilesObject>();
        object_->profile = profile;
        new ProfilesAdaptor(object_.get());
        ASSERT_TRUE(service_.registerObject(QString::fromLatin1(PowerProfilesLowPowerMode::objectPath), object_.get()));
        ASSERT_TRUE(service_.registerService(QString::fromLatin1(PowerProfilesLowPowerMode::serviceName)));
    }
    void stopDaemon() {
        service_.unregisterService(QString::fromLatin1(PowerProfilesLowPowerMode::serviceName));
        service_.unregisterObject(QString::fromLatin1(PowerProfilesLowPowerMode::objectPath));
        object_.reset();
    }
    void switchProfile(const QString& profile) {
        object_->profile = profile;
        auto signal = QDBusMessage::createSignal(QString::fromLatin1(PowerProfilesLowPowerMode::objectPath),
                                                 QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"));
        signal << QString::fromLatin1(PowerProfilesLowPowerMode::interfaceName)
               << QVariantMap{{QStringLiteral("ActiveProfile"), profile}} << QStringList();
        ASSERT_TRUE(service_.send(signal));
    }

    PrivateBus bus_;
    QDBusConnection service_ = bus_.connect(QStringLiteral("power-profiles"));
    QDBusConnection client_ = bus_.connect(QStringLiteral("quaylight"));
    std::unique_ptr<ProfilesObject> object_;
};

TEST_F(PowerProfilesTest, WithoutTheDaemonItIsOff) {
    PowerProfilesLowPowerMode mode(client_);
    QSignalSpy read(&mode, &PowerProfilesLowPowerMode::profileRead);
    ASSERT_TRUE(read.wait(20000));
    EXPECT_FALSE(mode.isLowPowerModeEnabled());
}

TEST_F(PowerProfilesTest, WithoutABusItIsOff) {
    PowerProfilesLowPowerMode mode(QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"), QStringLiteral("none")));
    EXPECT_FALSE(mode.isLowPowerModeEnabled());
    QDBusConnection::disconnectFromBus(QStringLiteral("none"));
}

TEST_F(PowerProfilesTest, FollowsThePowerSaverProfile) {
    startDaemon(QStringLiteral("power-saver"));
    PowerProfilesLowPowerMode mode(client_);
    QSignalSpy changed(&mode, &PowerProfilesLowPowerMode::changed);
    ASSERT_TRUE(changed.wait(20000));
    EXPECT_TRUE(mode.isLowPowerModeEnabled());

    switchProfile(QStringLiteral("balanced"));
    ASSERT_TRUE(changed.wait(20000));
    EXPECT_FALSE(mode.isLowPowerModeEnabled());
    switchProfile(QStringLiteral("performance"));
    switchProfile(QStringLiteral("power-saver"));
    ASSERT_TRUE(changed.wait(20000));
    EXPECT_TRUE(mode.isLowPowerModeEnabled());

    // The loops ask from their own threads.
    std::atomic<bool> seen{false};
    std::thread reader([&] { seen = lowPowerModeFunction(mode)(); });
    reader.join();
    EXPECT_TRUE(seen);

    // The daemon leaves: off. It comes back in power-saver: on again.
    stopDaemon();
    ASSERT_TRUE(changed.wait(20000));
    EXPECT_FALSE(mode.isLowPowerModeEnabled());
    startDaemon(QStringLiteral("power-saver"));
    ASSERT_TRUE(changed.wait(20000));
    EXPECT_TRUE(mode.isLowPowerModeEnabled());
}

TEST(FakeLowPowerMode, SaysWhatItIsTold) {
    FakeLowPowerMode fake;
    auto asked = lowPowerModeFunction(fake);
    EXPECT_FALSE(asked());
    fake.enabled = true;
    EXPECT_TRUE(asked());
}

}  // namespace
}  // namespace quaylight

#include "PowerProfilesLowPowerMode_test.moc"
