#pragma once
// The popout's column of cards as assistive technologies see it: while a choice menu lies
// over it, the column is hidden from them, so that only the menu can be read and reached.

#include <QWidget>

namespace quaylight::settings {

class SettingsColumn : public QWidget {
    Q_OBJECT
public:
    explicit SettingsColumn(QWidget* parent = nullptr);

    bool isHiddenFromAccessibility() const { return hidden_; }
    void setHiddenFromAccessibility(bool hidden);

private:
    bool hidden_ = false;
};

}  // namespace quaylight::settings
