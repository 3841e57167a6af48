#include "Quaylight/shell/shortcut/GlobalShortcutManager.h"

#include <QKeyEvent>

#include "Quaylight/shell/shortcut/GlobalShortcutKeyMap.h"
#include "Quaylight/shell/shortcut/GlobalShortcutSettings.h"

namespace quaylight {

std::string GlobalShortcutManager::unreadableStoredError(const GlobalShortcutPreference& inUse) {
    return "Your saved shortcut couldn't be read, so Quaylight is using " + inUse.displayText() + ".";
}

GlobalShortcutManager::GlobalShortcutManager(UserDefaults& defaults, std::unique_ptr<KeyGrabBackend> backend, QObject* parent)
    : QObject(parent), defaults_(defaults), backend_(std::move(backend)) {
    auto stored = GlobalShortcutSettings::preference(defaults_);
    preference_ = stored.preference;
    storedUnreadable_ = stored.unreadable;
    enabled_ = GlobalShortcutSettings::isEnabled(defaults_);
    if (storedUnreadable_) registrationError_ = unreadableStoredError(preference_);
}

GlobalShortcutManager::~GlobalShortcutManager() {
    // The backend may outlive nothing that calls back into a destroyed manager.
    if (backend_) backend_->setPressHandler({});
}

void GlobalShortcutManager::start(std::function<void()> action) {
    action_ = std::move(action);
    backend_->setPressHandler([this] {
        if (action_) action_();
    });
    registerCurrentPreference();
}

void GlobalShortcutManager::stop() {
    if (grabbed_) backend_->release();
    grabbed_ = false;
    backend_->setPressHandler({});
    action_ = nullptr;
}

void GlobalShortcutManager::update(const GlobalShortcutPreference& preference) {
    if (auto refusal = validationError(preference)) {
        setRegistrationError(std::move(refusal));
        return;
    }
    storedUnreadable_ = false;
    const bool changed = !(preference_ == preference) || preference_.key != preference.key;
    preference_ = preference;
    GlobalShortcutSettings::setPreference(preference_, defaults_);
    if (changed) emit preferenceChanged();
    registerCurrentPreference();
}

void GlobalShortcutManager::restoreDefault() {
    update(GlobalShortcutPreference::defaultPreference());
    if (enabled_) return;
    enabled_ = true;
    GlobalShortcutSettings::setEnabled(true, defaults_);
    emit enabledChanged(true);
    registerCurrentPreference();
}

void GlobalShortcutManager::setEnabled(bool enabled) {
    const bool changed = enabled_ != enabled;
    enabled_ = enabled;
    GlobalShortcutSettings::setEnabled(enabled, defaults_);
    storedUnreadable_ = false;
    if (changed) emit enabledChanged(enabled);
    registerCurrentPreference();
}

void GlobalShortcutManager::registerCurrentPreference() {
    if (grabbed_) backend_->release();
    grabbed_ = false;
    // The notice about an unreadable saved shortcut lasts until the user's next change.
    std::optional<std::string> error;
    if (storedUnreadable_) error = unreadableStoredError(preference_);
    if (!enabled_) {
        setRegistrationError(std::move(error));
        return;
    }
    auto keySym = GlobalShortcutKeyMap::keySym(preference_.key);
    if (!keySym || validationError(preference_)) {
        setRegistrationError(std::string(unsupportedShortcutError));
        return;
    }
    switch (backend_->grab(KeyChord{*keySym, preference_.modifiers})) {
        case KeyGrabBackend::GrabResult::grabbed: grabbed_ = true; break;
        case KeyGrabBackend::GrabResult::alreadyInUse: error = std::string(inUseError); break;
        case KeyGrabBackend::GrabResult::unavailable: error = std::string(unavailableError); break;
        case KeyGrabBackend::GrabResult::keyNotOnKeyboard: error = std::string(unsupportedShortcutError); break;
    }
    setRegistrationError(std::move(error));
}

void GlobalShortcutManager::setRegistrationError(std::optional<std::string> error) {
    if (registrationError_ == error) return;
    registrationError_ = std::move(error);
    emit registrationErrorChanged();
}

bool GlobalShortcutManager::matches(const QKeyEvent& event) const {
    if (!enabled_ || !grabbed_ || event.type() != QEvent::KeyPress || event.isAutoRepeat()) return false;
    if (backend_->matchesNativeKeyPress(event.nativeScanCode(), event.nativeModifiers())) return true;
    Qt::KeyboardModifiers expected;
    if (preference_.modifiers.contains(GlobalShortcutModifier::command)) expected |= Qt::MetaModifier;
    if (preference_.modifiers.contains(GlobalShortcutModifier::option)) expected |= Qt::AltModifier;
    if (preference_.modifiers.contains(GlobalShortcutModifier::control)) expected |= Qt::ControlModifier;
    if (preference_.modifiers.contains(GlobalShortcutModifier::shift)) expected |= Qt::ShiftModifier;
    const auto held = event.modifiers() & (Qt::MetaModifier | Qt::AltModifier | Qt::ControlModifier | Qt::ShiftModifier);
    return held == expected && GlobalShortcutKeyMap::qtKey(preference_.key) == event.key();
}

}  // namespace quaylight
