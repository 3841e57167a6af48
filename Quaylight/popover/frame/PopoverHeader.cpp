#include "Quaylight/popover/frame/PopoverHeader.h"

#include <QHBoxLayout>
#include <QLabel>

#include "Quaylight/design/brand/PlugMark.h"
#include "Quaylight/design/theme/Foreground.h"
#include "Quaylight/design/theme/PremiumTheme.h"
#include "Quaylight/popover/frame/PopoverWidgets.h"

namespace quaylight {

PopoverHeader::PopoverHeader(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("header"));
    setFixedHeight(48);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(16, 0, 16, 0);
    row->setSpacing(10);
    auto* mark = new PlugMark(false, PlugCut{2.5, 2.1, 8.7}, this);
    mark->setFixedSize(20, 20);
    setForeground(mark, PremiumTheme::textPrimary());
    row->addWidget(mark);
    QFont titleFont = PremiumTheme::display(13.5, PremiumFontWeight::semibold);
    titleFont.setLetterSpacing(QFont::AbsoluteSpacing, -0.14);
    row->addWidget(makePlainLabel(QStringLiteral("Quaylight"), titleFont, PremiumTheme::textPrimary(), this));
    settingsTitle_ = makePlainLabel(QStringLiteral("Settings"), PremiumTheme::mono(11, QFont::Normal),
                                    PremiumTheme::textTertiary(), this);
    row->addWidget(settingsTitle_);
    count_ = makePlainLabel({}, PremiumTheme::mono(11, QFont::Normal), white(0.45), this);
    count_->setObjectName(QStringLiteral("listenerCount"));
    row->addWidget(count_);
    row->addStretch(1);
    closeSettings_ = new IconButton(LucideIconName::x, 14, PremiumTheme::textTertiary(), QSize(26, 28),
                                    QStringLiteral("Close Settings"), this);
    search_ = new IconButton(LucideIconName::search, 13, white(0.4), QSize(24, 28), QStringLiteral("Search listeners"),
                             this);
    settings_ =
        new IconButton(LucideIconName::settings2, 13, white(0.4), QSize(24, 28), QStringLiteral("Settings"), this);
    settings_->setToolTip(QStringLiteral("Settings"));
    row->addWidget(closeSettings_);
    row->addWidget(search_);
    row->addWidget(settings_);
    connect(closeSettings_, &QAbstractButton::clicked, this, [this] {
        if (onCloseSettings) onCloseSettings();
    });
    connect(search_, &QAbstractButton::clicked, this, [this] {
        if (onSearch) onSearch();
    });
    connect(settings_, &QAbstractButton::clicked, this, [this] {
        if (onSettings) onSettings();
    });
}

void PopoverHeader::set(const std::optional<std::string>& countText, bool showSettings, bool searchable,
                        PanelMode mode) {
    settingsTitle_->setVisible(showSettings);
    count_->setVisible(!showSettings && countText.has_value());
    if (countText && count_->text() != QString::fromStdString(*countText)) {
        count_->setText(QString::fromStdString(*countText));
        count_->setAccessibleName(QString::fromStdString(*countText));
    }
    closeSettings_->setVisible(showSettings);
    search_->setVisible(!showSettings && searchable);
    const QString searchName =
        mode == PanelMode::ports ? QStringLiteral("Search listeners") : QStringLiteral("Search agents");
    search_->setAccessibleName(searchName);
    search_->setToolTip(searchName);
    settings_->setVisible(!showSettings);
}

}  // namespace quaylight
