#pragma once
// A stand-in for the desktop portal's settings (org.freedesktop.portal.Settings) on a test's
// private bus: Read answers from a table, wrapped in a variant as the portal does, and
// announce() sends SettingChanged from the connection that owns the portal's name.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QString>
#include <map>
#include <utility>

namespace quaylight::testsupport {

class PortalSettings final : public QDBusVirtualObject {
public:
    static QString path() { return QStringLiteral("/org/freedesktop/portal/desktop"); }
    static QString interface() { return QStringLiteral("org.freedesktop.portal.Settings"); }

    // Registers the portal on `connection`; false when the bus refuses it.
    bool serveOn(QDBusConnection connection) {
        connection_ = connection;
        return connection_.registerVirtualObject(path(), this) &&
               connection_.registerService(QStringLiteral("org.freedesktop.portal.Desktop"));
    }

    void set(const QString& group, const QString& key, const QVariant& value) { values_[{group, key}] = value; }

    bool announce(const QString& group, const QString& key, const QVariant& value) {
        set(group, key, value);
        auto signal = QDBusMessage::createSignal(path(), interface(), QStringLiteral("SettingChanged"));
        signal << group << key << QVariant::fromValue(QDBusVariant(value));
        return connection_.send(signal);
    }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.interface() != interface() || message.member() != QStringLiteral("Read")) return false;
        const auto arguments = message.arguments();
        if (arguments.size() != 2) return false;
        const auto found = values_.find({arguments[0].toString(), arguments[1].toString()});
        if (found == values_.end()) {
            connection.send(message.createErrorReply(QStringLiteral("org.freedesktop.portal.Error.NotFound"),
                                                     QStringLiteral("Requested setting not found")));
            return true;
        }
        // Newer portals wrap the value twice.
        connection.send(message.createReply(QVariant::fromValue(QDBusVariant(QVariant::fromValue(QDBusVariant(found->second))))));
        return true;
    }
    QString introspect(const QString&) const override { return {}; }

private:
    QDBusConnection connection_{QString()};
    std::map<std::pair<QString, QString>, QVariant> values_;
};

}  // namespace quaylight::testsupport
