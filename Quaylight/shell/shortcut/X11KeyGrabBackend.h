#pragma once
// Global key grabs on an X11 display: passive grabs of the chord's keycodes on the root
// window (also with CapsLock and NumLock on), read through a native event filter on the
// xcb connection, re-grabbed when the keyboard mapping changes. A held key fires once:
// auto-repeat presses are dropped.

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "Quaylight/shell/shortcut/KeyGrabBackend.h"

struct xcb_connection_t;

namespace quaylight {

class X11KeyGrabBackend final : public QObject, public QAbstractNativeEventFilter, public KeyGrabBackend {
    Q_OBJECT
public:
    // `connection`: normally Qt's own; the backend installs itself as a native event filter
    // of the application, so events of that connection must reach Qt's event loop.
    X11KeyGrabBackend(xcb_connection_t* connection, std::uint32_t rootWindow, QObject* parent = nullptr);
    ~X11KeyGrabBackend() override;

    // On Qt's xcb connection, or nothing when the platform is not xcb.
    static std::unique_ptr<X11KeyGrabBackend> forApplication();

    GrabResult grab(const KeyChord& chord) override;
    void release() override;
    void setPressHandler(std::function<void()> handler) override;
    bool matchesNativeKeyPress(std::uint32_t nativeScanCode, std::uint32_t nativeModifiers) const override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    struct ModifierMasks {
        std::uint16_t super = 0, alt = 0, control = 0, shift = 0, numLock = 0, capsLock = 0;
    };
    struct ActiveGrab {
        std::vector<std::uint8_t> keyCodes;
        std::uint16_t modifiers = 0;
        std::vector<std::uint16_t> lockVariants;  // none, CapsLock, NumLock, both
        friend bool operator==(const ActiveGrab&, const ActiveGrab&) = default;
    };

    void readKeyboard();
    // The grabs the chord needs with the keyboard as last read; nothing when no key of the
    // layout types the chord's key.
    std::optional<ActiveGrab> plannedGrab() const;
    GrabResult grabNow();
    void ungrabNow();
    std::uint16_t ignoredModifiers() const;
    void firePress();
    void keyboardChanged();

    xcb_connection_t* connection_;
    std::uint32_t root_;
    std::optional<KeyChord> chord_;
    std::optional<ActiveGrab> active_;
    ModifierMasks masks_;
    std::vector<std::vector<std::uint32_t>> keySymsByCode_;  // index: keycode - minKeyCode_
    std::uint8_t minKeyCode_ = 8;
    std::function<void()> handler_;
    std::uint8_t xkbFirstEvent_ = 0;
    bool regrabPending_ = false;
    bool keyDown_ = false;
    std::uint32_t lastReleaseTime_ = 0;
    std::uint8_t lastReleaseCode_ = 0;
};

}  // namespace quaylight
