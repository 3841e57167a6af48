#include "Quaylight/shell/shortcut/X11KeyGrabBackend.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

namespace quaylight {

namespace {

constexpr std::uint32_t superL = 0xffeb, superR = 0xffec, altL = 0xffe9, altR = 0xffea, numLockSym = 0xff7f;
constexpr std::uint16_t coreModifierBits = 0xff;
constexpr std::uint8_t xkbNewKeyboardNotify = 0, xkbMapNotify = 1;

template <class Reply>
struct FreeDeleter {
    void operator()(Reply* reply) const { std::free(reply); }
};
template <class Reply>
using ReplyPointer = std::unique_ptr<Reply, FreeDeleter<Reply>>;

}  // namespace

X11KeyGrabBackend::X11KeyGrabBackend(xcb_connection_t* connection, std::uint32_t rootWindow, QObject* parent)
    : QObject(parent), connection_(connection), root_(rootWindow) {
    const char xkbName[] = "XKEYBOARD";
    ReplyPointer<xcb_query_extension_reply_t> xkb(xcb_query_extension_reply(
        connection_, xcb_query_extension(connection_, sizeof(xkbName) - 1, xkbName), nullptr));
    if (xkb && xkb->present) xkbFirstEvent_ = xkb->first_event;
    readKeyboard();
    if (QCoreApplication::instance() != nullptr) QCoreApplication::instance()->installNativeEventFilter(this);
}

X11KeyGrabBackend::~X11KeyGrabBackend() {
    if (QCoreApplication::instance() != nullptr) QCoreApplication::instance()->removeNativeEventFilter(this);
    ungrabNow();
}

std::unique_ptr<X11KeyGrabBackend> X11KeyGrabBackend::forApplication() {
    auto* application = qGuiApp;
    if (application == nullptr) return nullptr;
    auto* x11 = application->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || x11->connection() == nullptr) return nullptr;
    xcb_connection_t* connection = x11->connection();
    auto screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    if (screens.rem == 0) return nullptr;
    return std::make_unique<X11KeyGrabBackend>(connection, screens.data->root);
}

std::unique_ptr<KeyGrabBackend> makeSessionKeyGrabBackend() {
    if (auto x11 = X11KeyGrabBackend::forApplication()) return x11;
    return std::make_unique<UnavailableKeyGrabBackend>();
}

void X11KeyGrabBackend::readKeyboard() {
    const xcb_setup_t* setup = xcb_get_setup(connection_);
    minKeyCode_ = setup->min_keycode;
    const int count = setup->max_keycode - setup->min_keycode + 1;
    keySymsByCode_.assign(static_cast<std::size_t>(count), {});
    ReplyPointer<xcb_get_keyboard_mapping_reply_t> mapping(xcb_get_keyboard_mapping_reply(
        connection_, xcb_get_keyboard_mapping(connection_, setup->min_keycode, static_cast<std::uint8_t>(count)), nullptr));
    if (mapping) {
        const int perCode = mapping->keysyms_per_keycode;
        const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(mapping.get());
        const int total = xcb_get_keyboard_mapping_keysyms_length(mapping.get());
        for (int code = 0; code < count; ++code)
            for (int column = 0; column < perCode && code * perCode + column < total; ++column)
                keySymsByCode_[static_cast<std::size_t>(code)].push_back(syms[code * perCode + column]);
    }

    masks_ = ModifierMasks{};
    masks_.control = XCB_MOD_MASK_CONTROL;
    masks_.shift = XCB_MOD_MASK_SHIFT;
    masks_.capsLock = XCB_MOD_MASK_LOCK;
    ReplyPointer<xcb_get_modifier_mapping_reply_t> modifiers(
        xcb_get_modifier_mapping_reply(connection_, xcb_get_modifier_mapping(connection_), nullptr));
    if (modifiers) {
        const int perModifier = modifiers->keycodes_per_modifier;
        const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(modifiers.get());
        // Mod1 to Mod5 are rows 3 to 7; which of them carries Super, Alt and NumLock is the
        // keymap's choice.
        for (int row = 3; row < 8; ++row) {
            const auto bit = static_cast<std::uint16_t>(1u << row);
            for (int i = 0; i < perModifier; ++i) {
                const xcb_keycode_t code = codes[row * perModifier + i];
                if (code < minKeyCode_ || code - minKeyCode_ >= count) continue;
                for (auto sym : keySymsByCode_[static_cast<std::size_t>(code - minKeyCode_)]) {
                    if ((sym == superL || sym == superR) && masks_.super == 0) masks_.super = bit;
                    if ((sym == altL || sym == altR) && masks_.alt == 0) masks_.alt = bit;
                    if (sym == numLockSym && masks_.numLock == 0) masks_.numLock = bit;
                }
            }
        }
    }
    if (masks_.super == 0) masks_.super = XCB_MOD_MASK_4;
    if (masks_.alt == 0) masks_.alt = XCB_MOD_MASK_1;
    if (masks_.numLock == 0) masks_.numLock = XCB_MOD_MASK_2;
}

std::uint16_t X11KeyGrabBackend::ignoredModifiers() const { return masks_.capsLock | masks_.numLock; }

KeyGrabBackend::GrabResult X11KeyGrabBackend::grab(const KeyChord& chord) {
    ungrabNow();
    chord_ = chord;
    auto result = grabNow();
    if (result != GrabResult::grabbed) chord_.reset();
    return result;
}

void X11KeyGrabBackend::release() {
    ungrabNow();
    chord_.reset();
}

std::optional<X11KeyGrabBackend::ActiveGrab> X11KeyGrabBackend::plannedGrab() const {
    if (!chord_) return std::nullopt;
    ActiveGrab grab;
    // The key is found by its unshifted or shifted symbol in the first group; a letter
    // matches either case.
    std::uint32_t upper = chord_->keySym;
    if (upper >= 'a' && upper <= 'z') upper = upper - 'a' + 'A';
    for (std::size_t index = 0; index < keySymsByCode_.size(); ++index) {
        const auto& syms = keySymsByCode_[index];
        for (std::size_t column = 0; column < std::min<std::size_t>(2, syms.size()); ++column) {
            if (syms[column] == chord_->keySym || syms[column] == upper) {
                grab.keyCodes.push_back(static_cast<std::uint8_t>(index + minKeyCode_));
                break;
            }
        }
    }
    if (grab.keyCodes.empty()) return std::nullopt;
    for (auto modifier : chord_->modifiers) {
        switch (modifier) {
            case GlobalShortcutModifier::command: grab.modifiers |= masks_.super; break;
            case GlobalShortcutModifier::option: grab.modifiers |= masks_.alt; break;
            case GlobalShortcutModifier::control: grab.modifiers |= masks_.control; break;
            case GlobalShortcutModifier::shift: grab.modifiers |= masks_.shift; break;
        }
    }
    // The lock keys change the modifier state of every press; a grab for each combination
    // keeps the shortcut working with CapsLock or NumLock on.
    grab.lockVariants = {0, masks_.capsLock, masks_.numLock, static_cast<std::uint16_t>(masks_.capsLock | masks_.numLock)};
    return grab;
}

KeyGrabBackend::GrabResult X11KeyGrabBackend::grabNow() {
    auto grab = plannedGrab();
    if (!grab) return GrabResult::keyNotOnKeyboard;
    std::vector<xcb_void_cookie_t> cookies;
    for (auto code : grab->keyCodes)
        for (auto variant : grab->lockVariants)
            cookies.push_back(xcb_grab_key_checked(connection_, 0, root_, static_cast<std::uint16_t>(grab->modifiers | variant), code,
                                                   XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    bool refused = false;
    for (auto cookie : cookies) {
        if (xcb_generic_error_t* error = xcb_request_check(connection_, cookie)) {
            refused = true;
            std::free(error);
        }
    }
    active_ = std::move(grab);
    if (refused) {
        ungrabNow();
        return GrabResult::alreadyInUse;
    }
    keyDown_ = false;
    return GrabResult::grabbed;
}

void X11KeyGrabBackend::ungrabNow() {
    if (!active_) return;
    // Ungrabbing only ever removes this client's own grabs, so a combination another
    // client holds is left alone.
    for (auto code : active_->keyCodes)
        for (auto variant : active_->lockVariants)
            xcb_ungrab_key(connection_, code, root_, static_cast<std::uint16_t>(active_->modifiers | variant));
    xcb_flush(connection_);
    active_.reset();
    keyDown_ = false;
}

void X11KeyGrabBackend::setPressHandler(std::function<void()> handler) { handler_ = std::move(handler); }

bool X11KeyGrabBackend::matchesNativeKeyPress(std::uint32_t nativeScanCode, std::uint32_t nativeModifiers) const {
    if (!active_) return false;
    const auto held = static_cast<std::uint16_t>(nativeModifiers & coreModifierBits & ~ignoredModifiers());
    if (held != active_->modifiers) return false;
    return std::find(active_->keyCodes.begin(), active_->keyCodes.end(), nativeScanCode) != active_->keyCodes.end();
}

void X11KeyGrabBackend::firePress() {
    // Out of the native event filter: the action may open windows and spin event loops.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (handler_) handler_();
        },
        Qt::QueuedConnection);
}

void X11KeyGrabBackend::keyboardChanged() {
    if (regrabPending_) return;
    regrabPending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            regrabPending_ = false;
            readKeyboard();
            if (!active_) return;
            // The server also says "new keyboard" whenever input moves from one keyboard
            // to another. A grab that still fits stays: between an ungrab and a grab a
            // press would be lost.
            auto planned = plannedGrab();
            if (planned && *planned == *active_) return;
            ungrabNow();
            if (grabNow() != GrabResult::grabbed) chord_.reset();
        },
        Qt::QueuedConnection);
}

bool X11KeyGrabBackend::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t" || message == nullptr) return false;
    auto* event = static_cast<xcb_generic_event_t*>(message);
    const std::uint8_t type = event->response_type & 0x7f;
    if (type == XCB_MAPPING_NOTIFY) {
        const auto* mapping = reinterpret_cast<const xcb_mapping_notify_event_t*>(event);
        if (mapping->request != XCB_MAPPING_POINTER) keyboardChanged();
        return false;  // Qt reads the new keymap too
    }
    if (xkbFirstEvent_ != 0 && type == xkbFirstEvent_) {
        // Every XKB event carries its kind in the second byte.
        const std::uint8_t xkbType = reinterpret_cast<const std::uint8_t*>(event)[1];
        if (xkbType == xkbNewKeyboardNotify || xkbType == xkbMapNotify) keyboardChanged();
        return false;
    }
    if (!active_ || (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)) return false;
    const auto* key = reinterpret_cast<const xcb_key_press_event_t*>(event);
    if (key->event != root_) return false;
    if (std::find(active_->keyCodes.begin(), active_->keyCodes.end(), key->detail) == active_->keyCodes.end()) return false;
    if (type == XCB_KEY_RELEASE) {
        keyDown_ = false;
        lastReleaseTime_ = key->time;
        lastReleaseCode_ = key->detail;
        return true;
    }
    const auto held = static_cast<std::uint16_t>(key->state & coreModifierBits & ~ignoredModifiers());
    if (held != active_->modifiers) return false;
    // A held key repeats: as further presses without a release (detectable auto-repeat) or
    // as a release and a press with the same time stamp.
    const bool repeat = keyDown_ || (key->detail == lastReleaseCode_ && key->time == lastReleaseTime_);
    keyDown_ = true;
    if (!repeat) firePress();
    return true;
}

}  // namespace quaylight
