#include "Quaylight/shell/tray/TrayItem.h"

#include <algorithm>
#include <map>

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>
#include <QSystemTrayIcon>
#include <QTimer>
#include <xcb/xcb.h>

#include "Quaylight/design/brand/MenuBarIcon.h"
#include "Quaylight/design/brand/TrayInk.h"
#include "Quaylight/design/platform/DesktopPortalSettings.h"
#include "Quaylight/shell/x11/X11Connection.h"

namespace quaylight {

namespace {

const QString statusNotifierWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");
constexpr const char* xembedTraySelection = "_NET_SYSTEM_TRAY_S0";

// The tray host's icon colours: 12 cardinals, red, green and blue of the foreground first,
// each 0 to 65535.
std::optional<QColor> hostForeground(const X11Connection& x) {
    const auto owner = x.selectionOwner(xembedTraySelection);
    if (!owner) return std::nullopt;
    const auto colours = x.cardinalProperty(owner, x.atom("_NET_SYSTEM_TRAY_COLORS"));
    if (colours.size() < 3) return std::nullopt;
    QColor foreground;
    foreground.setRgbF(float(colours[0]) / 65535.f, float(colours[1]) / 65535.f, float(colours[2]) / 65535.f);
    return foreground;
}

// The commonest colour on the screen where the icon is: the panel showing through around
// the thin mark (an XEmbed icon is drawn over its host's background).
std::optional<QColor> panelBackground(const X11Connection& x, const QRect& icon) {
    std::map<std::uint32_t, int> counts;
    for (const auto pixel : x.rootPixels(icon.x(), icon.y(), icon.width(), icon.height())) ++counts[pixel];
    if (counts.empty()) return std::nullopt;
    const auto commonest = std::max_element(counts.begin(), counts.end(),
                                            [](const auto& a, const auto& b) { return a.second < b.second; });
    return QColor::fromRgb(commonest->first);
}

class SystemTrayItem final : public TrayItem, public QAbstractNativeEventFilter {
public:
    SystemTrayItem() : x11_(X11Connection::application()) {
        if (x11_) {
            // Qt decides once, when the first icon is made, between a StatusNotifierItem and
            // an XEmbed icon, and never switches: with no tray host yet (a panel that starts
            // after the application at login) the icon is made when the first host appears.
            auto* watcher = new QDBusServiceWatcher(statusNotifierWatcher, QDBusConnection::sessionBus(),
                                                    QDBusServiceWatcher::WatchForRegistration, this);
            connect(watcher, &QDBusServiceWatcher::serviceRegistered, this, [this] { hostAppeared(); });
            // An XEmbed host announces itself with a MANAGER message to the root window.
            x11_->addRootEventMask(XCB_EVENT_MASK_STRUCTURE_NOTIFY);
            managerAtom_ = x11_->atom("MANAGER");
            trayAtom_ = x11_->atom(xembedTraySelection);
            QCoreApplication::instance()->installNativeEventFilter(this);
            desktopportal::followChanges(this, [this](const QString& group, const QString& key, const QVariant& value) {
                if (group == appearanceGroup && key == colorSchemeKey) takeColorScheme(value);
            });
            desktopportal::read(this, appearanceGroup, colorSchemeKey, [this](const QVariant& value) { takeColorScheme(value); });
            // An XEmbed icon's place (and so the panel behind it) is known once the host has
            // docked it, which Qt does not announce: looked at a few times after each change.
            inkRetry_.setInterval(500);
            connect(&inkRetry_, &QTimer::timeout, this, [this] {
                if (--inkRetriesLeft_ <= 0) inkRetry_.stop();
                updateInk();
            });
        }
        if (!x11_ || hostExists()) makeIcon();
    }

    ~SystemTrayItem() override {
        if (x11_) QCoreApplication::instance()->removeNativeEventFilter(this);
    }

    void show() override {
        wantShown_ = true;
        if (icon_) icon_->show();
        followInk();
    }
    void hide() override {
        wantShown_ = false;
        if (icon_) icon_->hide();
    }

    std::optional<QRect> iconGeometry() const override {
        if (!icon_) return std::nullopt;
        const QRect geometry = icon_->geometry();
        if (!geometry.isValid() || geometry.isEmpty()) return std::nullopt;
        return geometry;
    }

    bool isTrayAvailable() const override {
        if (icon_) return QSystemTrayIcon::isSystemTrayAvailable();
        return hostExists();
    }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t") return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE) return false;
        const auto* client = reinterpret_cast<const xcb_client_message_event_t*>(event);
        if (client->type == managerAtom_ && client->data.data32[1] == trayAtom_)
            QTimer::singleShot(0, this, [this] { hostAppeared(); });
        return false;
    }

private:
    inline static const QString appearanceGroup = QStringLiteral("org.freedesktop.appearance");
    inline static const QString colorSchemeKey = QStringLiteral("color-scheme");

    bool hostExists() const {
        if (x11_ && x11_->selectionOwner(xembedTraySelection) != 0) return true;
        auto bus = QDBusConnection::sessionBus();
        return bus.isConnected() && bus.interface() && bus.interface()->isServiceRegistered(statusNotifierWatcher);
    }

    void makeIcon() {
        icon_ = new QSystemTrayIcon(this);
        icon_->setIcon(MenuBarIcon::statusImage(ink_));
        icon_->setToolTip(QStringLiteral("Quaylight"));
        connect(icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) Q_EMIT pressed();
        });
        if (wantShown_) icon_->show();
    }

    void hostAppeared() {
        if (!icon_) makeIcon();
        followInk();
    }

    void takeColorScheme(const QVariant& value) {
        bool ok = false;
        const uint scheme = value.toUInt(&ok);
        if (!ok) return;
        clues_.colorScheme = int(scheme);
        updateInk();
    }

    void followInk() {
        if (!x11_) return;
        inkRetriesLeft_ = 20;
        updateInk();
        inkRetry_.start();
    }

    void updateInk() {
        if (!x11_ || !icon_) return;
        clues_.hostForeground = hostForeground(*x11_);
        if (const auto geometry = iconGeometry()) {
            clues_.panelBackground = panelBackground(*x11_, *geometry);
            inkRetry_.stop();
        }
        const QColor ink = TrayInk::choose(clues_, MenuBarIcon::panelInk());
        if (ink_ == ink) return;
        ink_ = ink;
        icon_->setIcon(MenuBarIcon::statusImage(ink));
    }

    std::optional<X11Connection> x11_;
    QSystemTrayIcon* icon_ = nullptr;
    bool wantShown_ = false;
    std::uint32_t managerAtom_ = 0;
    std::uint32_t trayAtom_ = 0;
    TrayInk::Clues clues_;
    std::optional<QColor> ink_;
    QTimer inkRetry_;
    int inkRetriesLeft_ = 0;
};

}  // namespace

std::unique_ptr<TrayItem> TrayItem::live() { return std::make_unique<SystemTrayItem>(); }

}  // namespace quaylight
