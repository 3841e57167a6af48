#pragma once
// Small building blocks of the popover: plain-text labels, icon and text buttons that never
// take keyboard focus (a click must not pull the keys away from the list), and hairlines.

#include <QAbstractButton>
#include <QLabel>
#include <functional>
#include <vector>

class QAbstractScrollArea;
class QBoxLayout;

#include "Quaylight/design/icons/LucideIconName.h"

namespace quaylight {

// A label that never interprets its text as rich text.
QLabel* makePlainLabel(const QString& text, const QFont& font, const QColor& color, QWidget* parent = nullptr);

// A 1-point hairline across its parent.
QWidget* makeHairline(QWidget* parent = nullptr);

// A thin dark vertical scroll bar in the theme's colours instead of the desktop's.
void styleThinScrollBar(QAbstractScrollArea* area);

// Lays `widgets` out in `layout` in this order, followed by a stretch that keeps them at the
// top, and puts them in the same order for assistive technologies. The widgets are moved,
// never rebuilt.
void relayInOrder(QBoxLayout* layout, const std::vector<QWidget*>& widgets);

// An icon drawn centred in a fixed frame, as a button.
class IconButton : public QAbstractButton {
    Q_OBJECT
public:
    IconButton(LucideIconName icon, qreal iconSize, QColor color, QSize frame, const QString& accessibleName,
               QWidget* parent = nullptr);
    void setIconColor(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    LucideIconName icon_;
    qreal iconSize_;
    QColor color_;
};

// A borderless text button ("Quit", "Stop Visible…").
class TextButton : public QAbstractButton {
    Q_OBJECT
public:
    TextButton(const QString& title, const QFont& font, QColor color, QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor color_;
};

// The footers' "Quit" link, with its tooltip; it calls `quit` when set.
TextButton* makeQuitButton(std::function<void()> quit, QWidget* parent);

}  // namespace quaylight
