#pragma once
// The standard editing keys (Ctrl+X, C, V, A) of the panel, sent to the focused text
// control exactly once: the panel handles the key and consumes it, so the control's own
// key binding does not act a second time. Any other modifier held with Ctrl (Shift, Alt,
// Super) means it is not an editing key.

#include <optional>

#include <Qt>

class QKeyEvent;
class QWidget;

namespace quaylight {

struct PanelEditingCommand {
    enum class Action { cut, copy, paste, selectAll };

    // The action of a key with its modifiers (keypad flag ignored); none when not exactly Ctrl.
    static std::optional<Action> action(int key, Qt::KeyboardModifiers modifiers);
    // Runs the action on `focus` when it is a text control; whether an action ran.
    static bool perform(Action action, QWidget* focus);
    // Both: for a key press aimed at `focus`.
    static bool perform(const QKeyEvent& event, QWidget* focus);
};

}  // namespace quaylight
