#pragma once
// The control bar above the list: the Ports/Agents switch, the shared search field and,
// in Ports mode, the row that carries the chip rail and the sort control.

#include <QLineEdit>
#include <QWidget>
#include <functional>

#include "Quaylight/agent-inventory/model/PanelMode.h"

namespace quaylight {

class IconButton;
class ModeSegment;

class ModeSearchBar : public QWidget {
    Q_OBJECT
public:
    explicit ModeSearchBar(QWidget* parent = nullptr);

    void set(PanelMode mode, const QString& searchText, bool showsRail);
    QLineEdit* searchField() const { return field_; }
    // Where the chip rail and the sort control go; empty for now.
    QWidget* railSlot() const { return rail_; }

    std::function<void(PanelMode)> onSelectMode;
    std::function<void(const QString&)> onSearchEdited;
    std::function<void()> onSearchSubmitted;
    std::function<void()> onSearchFieldClicked;
    std::function<void()> onClearSearch;
    // Down in the field: the list takes the keys.
    std::function<void()> onDownFromSearch;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ModeSegment* ports_;
    ModeSegment* agents_;
    QWidget* fieldBox_;
    QLineEdit* field_;
    IconButton* clear_;
    QWidget* rail_;
};

}  // namespace quaylight
