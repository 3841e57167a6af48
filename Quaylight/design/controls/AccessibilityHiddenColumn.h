#pragma once
// A column that assistive technologies can be told to pass over: while something lies over
// it (a menu, a confirmation), it reports no children and no presence, so that only what
// lies over it can be read and reached.

#include <QWidget>

namespace quaylight {

class AccessibilityHiddenColumn : public QWidget {
    Q_OBJECT
public:
    explicit AccessibilityHiddenColumn(QWidget* parent = nullptr);

    bool isHiddenFromAccessibility() const { return hidden_; }
    void setHiddenFromAccessibility(bool hidden);

private:
    bool hidden_ = false;
};

}  // namespace quaylight
