#include "Quaylight/notch/platform/LinuxDesktopEventSources.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QGuiApplication>
#include <QObject>
#include <QTimer>
#include <cstdlib>
#include <optional>
#include <xcb/xcb.h>

#include "Quaylight/design/platform/DesktopPortalSettings.h"
#include "Quaylight/design/platform/ReduceMotion.h"

namespace quaylight {
namespace {

// ---- Desktop switches: the root window's _NET_CURRENT_DESKTOP property.

class X11SpaceChangeSource final : public SpaceChangeSource, public QAbstractNativeEventFilter {
public:
    X11SpaceChangeSource() {
        auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
        if (x11 == nullptr || x11->connection() == nullptr) return;  // not X: no desktop switches to follow
        connection_ = x11->connection();
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        auto atomReply = xcb_intern_atom_reply(connection_, xcb_intern_atom(connection_, 0, 20, "_NET_CURRENT_DESKTOP"),
                                               nullptr);
        if (atomReply == nullptr) return;
        atom_ = atomReply->atom;
        std::free(atomReply);
        // Ask for property changes of the root window, keeping whatever else is selected.
        auto attributes =
            xcb_get_window_attributes_reply(connection_, xcb_get_window_attributes(connection_, root_), nullptr);
        if (attributes != nullptr) {
            const std::uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_PROPERTY_CHANGE;
            std::free(attributes);
            xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
            xcb_flush(connection_);
        }
        current_ = readCurrentDesktop();
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~X11SpaceChangeSource() override {
        if (connection_ != nullptr && QCoreApplication::instance() != nullptr)
            QCoreApplication::instance()->removeNativeEventFilter(this);
    }

    void setOnSpaceChange(std::function<void()> handler) override { handler_ = std::move(handler); }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType != "xcb_generic_event_t") return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY) return false;
        const auto* notify = static_cast<const xcb_property_notify_event_t*>(message);
        if (notify->window != root_ || notify->atom != atom_) return false;
        // Window managers set the property again without a switch: only a new value counts.
        const auto desktop = readCurrentDesktop();
        if (desktop == current_) return false;
        current_ = desktop;
        if (handler_) handler_();
        return false;
    }

private:
    std::optional<std::uint32_t> readCurrentDesktop() const {
        auto reply = xcb_get_property_reply(
            connection_, xcb_get_property(connection_, 0, root_, atom_, XCB_ATOM_CARDINAL, 0, 1), nullptr);
        if (reply == nullptr) return std::nullopt;
        std::optional<std::uint32_t> value;
        if (xcb_get_property_value_length(reply) >= 4)
            value = *static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
        std::free(reply);
        return value;
    }

    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = 0;
    xcb_atom_t atom_ = XCB_ATOM_NONE;
    std::optional<std::uint32_t> current_;
    std::function<void()> handler_;
};

// ---- Sleep and wake: logind on the system bus, the screensaver on the session bus.

class DBusSleepWakeSource final : public QObject, public SleepWakeSource {
    Q_OBJECT
public:
    DBusSleepWakeSource() {
        auto system = QDBusConnection::systemBus();
        if (system.isConnected())
            system.connect(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                           QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"), this,
                           SLOT(sleepChanged(bool)));
        auto session = QDBusConnection::sessionBus();
        if (session.isConnected()) {
            // Whichever screensaver the desktop runs; each names its own service.
            session.connect(QString(), QStringLiteral("/org/freedesktop/ScreenSaver"),
                            QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("ActiveChanged"), this,
                            SLOT(sleepChanged(bool)));
            session.connect(QString(), QStringLiteral("/org/gnome/ScreenSaver"), QStringLiteral("org.gnome.ScreenSaver"),
                            QStringLiteral("ActiveChanged"), this, SLOT(sleepChanged(bool)));
        }
    }

    void setHandlers(std::function<void()> onSleep, std::function<void()> onWake) override {
        onSleep_ = std::move(onSleep);
        onWake_ = std::move(onWake);
    }

private slots:
    void sleepChanged(bool asleep) {
        const auto& handler = asleep ? onSleep_ : onWake_;
        if (handler) handler();
    }

private:
    std::function<void()> onSleep_;
    std::function<void()> onWake_;
};

// ---- Accessibility options: the desktop's settings, through the portal.

const QString interfaceNamespace = QStringLiteral("org.gnome.desktop.interface");
const QString a11yNamespace = QStringLiteral("org.gnome.desktop.a11y.interface");
const QString highContrastKey = QStringLiteral("high-contrast");

class PortalAccessibilityOptionsSource final : public QObject, public AccessibilityOptionsSource {
public:
    explicit PortalAccessibilityOptionsSource(std::shared_ptr<const ReduceMotionProvider> reduceMotion)
        : reduceMotion_(std::move(reduceMotion)) {
        last_ = options();
        desktopportal::followChanges(this, [this](const QString& group, const QString& key, const QVariant& value) {
            if (group == a11yNamespace && key == highContrastKey)
                takeHighContrast(value);
            else if (group == interfaceNamespace && key == QStringLiteral("enable-animations"))
                notifyLater();  // the reduce-motion provider takes the value from the same signal
        });
        desktopportal::read(this, a11yNamespace, highContrastKey,
                            [this](const QVariant& value) { takeHighContrast(value); });
    }

    TidewatchAccessibilityOptions options() const override {
        TidewatchAccessibilityOptions current;
        current.reduceMotion = reduceMotion_ && reduceMotion_->reduceMotion();
        current.increaseContrast = highContrast_;
        return current;
    }
    void setOnChange(std::function<void()> handler) override { handler_ = std::move(handler); }

private:
    void takeHighContrast(const QVariant& value) {
        if (value.typeId() == QMetaType::Bool) highContrast_ = value.toBool();
        notifyLater();
    }
    // On the next turn, once every listener of the portal has taken the new value.
    void notifyLater() {
        QTimer::singleShot(0, this, [this] {
            const auto now = options();
            if (now == last_) return;
            last_ = now;
            if (handler_) handler_();
        });
    }

    std::shared_ptr<const ReduceMotionProvider> reduceMotion_;
    bool highContrast_ = false;
    TidewatchAccessibilityOptions last_;
    std::function<void()> handler_;
};

}  // namespace

std::unique_ptr<SpaceChangeSource> makeLinuxSpaceChangeSource() { return std::make_unique<X11SpaceChangeSource>(); }

std::unique_ptr<SleepWakeSource> makeLinuxSleepWakeSource() { return std::make_unique<DBusSleepWakeSource>(); }

std::unique_ptr<AccessibilityOptionsSource> makeLinuxAccessibilityOptionsSource(
    std::shared_ptr<const ReduceMotionProvider> reduceMotion) {
    return std::make_unique<PortalAccessibilityOptionsSource>(std::move(reduceMotion));
}

}  // namespace quaylight

#include "LinuxDesktopEventSources.moc"
