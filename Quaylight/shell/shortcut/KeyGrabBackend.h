#pragma once
// The system-wide key grab behind the global shortcut: holds at most one grab and reports
// each press of it once (auto-repeat and the lock keys do not count).

#include <cstdint>
#include <functional>
#include <memory>
#include <set>

#include "Quaylight/shell/shortcut/GlobalShortcutModifier.h"

namespace quaylight {

struct KeyChord {
    std::uint32_t keySym = 0;
    std::set<GlobalShortcutModifier> modifiers;
    friend bool operator==(const KeyChord&, const KeyChord&) = default;
};

class KeyGrabBackend {
public:
    enum class GrabResult {
        grabbed,
        alreadyInUse,  // another client holds that combination
        unavailable,   // this session offers no global key grabs (Wayland, no display)
        keyNotOnKeyboard,  // the keyboard layout has no key for that character
    };

    virtual ~KeyGrabBackend() = default;

    // Replaces any earlier grab; on failure nothing stays grabbed.
    virtual GrabResult grab(const KeyChord& chord) = 0;
    virtual void release() = 0;
    // Called on the GUI thread for each press of the grabbed chord; an empty function
    // stops the calls.
    virtual void setPressHandler(std::function<void()> handler) = 0;
    // Whether a key press the application itself received (while one of its windows holds
    // the keyboard, the grab does not see it) is the grabbed chord: the X keycode as
    // QKeyEvent::nativeScanCode and the X modifier state as nativeModifiers.
    virtual bool matchesNativeKeyPress(std::uint32_t nativeScanCode, std::uint32_t nativeModifiers) const = 0;
};

// The backend for the running Qt session: X11 key grabs on Qt's own xcb connection when
// the platform is xcb, otherwise one that always answers `unavailable`. Needs the
// QGuiApplication.
std::unique_ptr<KeyGrabBackend> makeSessionKeyGrabBackend();

// A session without global key grabs.
class UnavailableKeyGrabBackend final : public KeyGrabBackend {
public:
    GrabResult grab(const KeyChord&) override { return GrabResult::unavailable; }
    void release() override {}
    void setPressHandler(std::function<void()>) override {}
    bool matchesNativeKeyPress(std::uint32_t, std::uint32_t) const override { return false; }
};

}  // namespace quaylight
