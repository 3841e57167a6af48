#include "Quaylight/shell/panel/PanelEditingCommand.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace quaylight {

std::optional<PanelEditingCommand::Action> PanelEditingCommand::action(int key, Qt::KeyboardModifiers modifiers) {
    const auto held = modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (held != Qt::ControlModifier) return std::nullopt;
    switch (key) {
        case Qt::Key_X: return Action::cut;
        case Qt::Key_C: return Action::copy;
        case Qt::Key_V: return Action::paste;
        case Qt::Key_A: return Action::selectAll;
        default: return std::nullopt;
    }
}

namespace {

template <class Editor>
bool run(Editor* editor, PanelEditingCommand::Action action) {
    switch (action) {
        case PanelEditingCommand::Action::cut: editor->cut(); break;
        case PanelEditingCommand::Action::copy: editor->copy(); break;
        case PanelEditingCommand::Action::paste: editor->paste(); break;
        case PanelEditingCommand::Action::selectAll: editor->selectAll(); break;
    }
    return true;
}

}  // namespace

bool PanelEditingCommand::perform(Action action, QWidget* focus) {
    if (auto* line = qobject_cast<QLineEdit*>(focus)) return run(line, action);
    if (auto* text = qobject_cast<QTextEdit*>(focus)) return run(text, action);
    if (auto* plain = qobject_cast<QPlainTextEdit*>(focus)) return run(plain, action);
    return false;
}

bool PanelEditingCommand::perform(const QKeyEvent& event, QWidget* focus) {
    if (event.type() != QEvent::KeyPress) return false;
    const auto chosen = action(event.key(), event.modifiers());
    return chosen && perform(*chosen, focus);
}

}  // namespace quaylight
