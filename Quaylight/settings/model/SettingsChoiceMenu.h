#pragma once
// The three choice menus of the settings popout: what each offers, where it opens beside
// its trigger, and how its keyboard highlight moves. Pure values; the popout owns the state.

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <vector>

namespace quaylight {

enum class SettingsChoiceMenu { defaultFilter, rowDensity, batteryMode };

struct SettingsChoiceMenuInfo {
    static QString anchorID(SettingsChoiceMenu menu);
    static QString title(SettingsChoiceMenu menu);
    // The row texts in choice order; the same text is the trigger's value.
    static std::vector<QString> choiceTitles(SettingsChoiceMenu menu);
    static int choiceCount(SettingsChoiceMenu menu) { return static_cast<int>(choiceTitles(menu).size()); }

    static constexpr qreal width = 176;
    static constexpr qreal rowHeight = 34;
    static constexpr qreal verticalPadding = 12;
    static qreal height(SettingsChoiceMenu menu) { return rowHeight * choiceCount(menu) + verticalPadding; }

    // The menu's centre: its right edge under the trigger's, below it when it fits (else
    // above), always at least 8 points inside the container.
    static QPointF position(const QRectF& triggerRect, SettingsChoiceMenu menu, const QSizeF& containerSize);

    // The highlight `step` rows on, wrapping at both ends; unchanged for an empty menu.
    static int movedHighlight(int highlighted, int step, int count);
    // Whether `highlighted` names a row of a menu of `count` rows.
    static bool isValidHighlight(int highlighted, int count) { return highlighted >= 0 && highlighted < count; }
};

}  // namespace quaylight
