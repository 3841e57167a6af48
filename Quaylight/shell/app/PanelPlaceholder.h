#pragma once
// What the panel shows until the popover is part of the application: the brand's title, a
// line saying so, and a Quit button.

#include <functional>

#include <QWidget>

namespace quaylight {

class PanelPlaceholder : public QWidget {
    Q_OBJECT

public:
    explicit PanelPlaceholder(std::function<void()> quit, QWidget* parent = nullptr);
};

}  // namespace quaylight
