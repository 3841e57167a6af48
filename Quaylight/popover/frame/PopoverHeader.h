#pragma once
// The panel's header: the brand, "Settings" while the popout shows, the count beside the
// title, and the buttons to close the popout, to search and to open the settings.

#include <QWidget>
#include <functional>
#include <optional>
#include <string>

#include "Quaylight/agent-inventory/model/PanelMode.h"

class QLabel;

namespace quaylight {

class IconButton;

class PopoverHeader : public QWidget {
    Q_OBJECT
public:
    explicit PopoverHeader(QWidget* parent = nullptr);

    std::function<void()> onCloseSettings;
    std::function<void()> onSearch;
    std::function<void()> onSettings;

    // `countText` none hides the count; `searchable` shows the search button.
    void set(const std::optional<std::string>& countText, bool showSettings, bool searchable, PanelMode mode);
    QLabel* countLabel() const { return count_; }

private:
    QLabel* settingsTitle_;
    QLabel* count_;
    IconButton* closeSettings_;
    IconButton* search_;
    IconButton* settings_;
};

}  // namespace quaylight
