#pragma once
// A capsule label for filters, states and providers.

#include <QWidget>
#include <optional>

#include "Quaylight/design/controls/Shadow.h"
#include "Quaylight/design/icons/LucideIconName.h"

namespace quaylight {

enum class PremiumChipStyle { neutral, selected, accent, codex, claude, success, warning, danger, info };

struct PremiumChipColors {
    QColor foreground;
    QColor fill;
    QColor border;
};
PremiumChipColors premiumChipColors(PremiumChipStyle style);
// The blue glow of the selected and accent styles; clear for the others.
ShadowStyle premiumChipShadow(PremiumChipStyle style);

class PremiumChip : public QWidget {
    Q_OBJECT
public:
    PremiumChip(const QString& title, PremiumChipStyle style, std::optional<LucideIconName> icon = std::nullopt,
                QWidget* parent = nullptr);

    const QString& title() const { return title_; }
    PremiumChipStyle chipStyle() const { return style_; }
    const std::optional<LucideIconName>& icon() const { return icon_; }
    void setTitle(const QString& title);
    void setChipStyle(PremiumChipStyle style);
    void setIcon(std::optional<LucideIconName> icon);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void restyle();

    QString title_;
    PremiumChipStyle style_;
    std::optional<LucideIconName> icon_;
};

}  // namespace quaylight
