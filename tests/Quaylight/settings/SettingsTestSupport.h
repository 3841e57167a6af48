#pragma once
// Finding controls the way a user sees them, and drawing views on the panel's background
// for the gallery.

#include <QAbstractButton>
#include <QLabel>
#include <QWidget>
#include <memory>

#include "Quaylight/design/controls/Surface.h"
#include "support/Rendering.h"

namespace quaylight::test {

// The visible button titled `text` (or named so for assistive technologies) inside `root`.
inline QAbstractButton* buttonNamed(const QWidget& root, const QString& text) {
    for (auto* button : root.findChildren<QAbstractButton*>())
        if ((button->text() == text || button->accessibleName() == text) && button->isVisibleTo(&root)) return button;
    return nullptr;
}

// Whether some visible label inside `root` reads `text`.
inline bool showsText(const QWidget& root, const QString& text) {
    for (auto* label : root.findChildren<QLabel*>())
        if (label->text() == text && label->isVisibleTo(&root)) return true;
    return false;
}

// Every label text inside `root` that contains `words`, ignoring case.
inline QStringList labelsContaining(const QWidget& root, const QString& words) {
    QStringList found;
    for (auto* label : root.findChildren<QLabel*>())
        if (label->text().contains(words, Qt::CaseInsensitive)) found << label->text();
    return found;
}

// `view` on a panel-sized surface, rendered and saved as <name>.png; the surface takes
// the view and deletes it.
inline QImage renderOnPanel(QWidget* view, const QString& name, QSize size = {700, 480}) {
    Surface surface(view);
    surface.resize(size);
    QImage image = render(surface, 2.0);
    saveToGallery(image, name);
    return image;
}

}  // namespace quaylight::test
