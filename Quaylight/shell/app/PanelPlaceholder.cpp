#include "Quaylight/shell/app/PanelPlaceholder.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "Quaylight/design/controls/PremiumButton.h"
#include "Quaylight/design/controls/Surface.h"
#include "Quaylight/design/theme/PremiumTheme.h"

namespace quaylight {

PanelPlaceholder::PanelPlaceholder(std::function<void()> quit, QWidget* parent) : QWidget(parent) {
    setAccessibleName(QStringLiteral("Quaylight panel"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* surface = new Surface();
    outer->addWidget(surface);

    auto* layout = surface->contentLayout();
    layout->setContentsMargins(16, 12, 16, 16);
    layout->setSpacing(10);

    auto* title = new QLabel(QStringLiteral("Quaylight"));
    title->setFont(PremiumTheme::display(15, PremiumFontWeight::semibold));
    title->setAccessibleName(QStringLiteral("Quaylight"));
    QPalette titlePalette = title->palette();
    titlePalette.setColor(QPalette::WindowText, PremiumTheme::textPrimary());
    title->setPalette(titlePalette);

    const QString text = QStringLiteral("The ports and agents views are not part of this build yet.");
    auto* message = new QLabel(text);
    message->setWordWrap(true);
    message->setFont(PremiumTheme::display(13, PremiumFontWeight::regular));
    message->setAccessibleName(text);
    QPalette messagePalette = message->palette();
    messagePalette.setColor(QPalette::WindowText, PremiumTheme::textSecondary());
    message->setPalette(messagePalette);

    auto* quitButton = new PremiumButton(QStringLiteral("Quit"), PremiumButtonStyle{PremiumButtonKind::secondary});
    quitButton->setAccessibleName(QStringLiteral("Quit"));
    quitButton->setAccessibleDescription(QStringLiteral("Quit Quaylight"));
    quitButton->setToolTip(QStringLiteral("Quit Quaylight"));
    connect(quitButton, &QAbstractButton::clicked, this, [quit = std::move(quit)] {
        if (quit) quit();
    });

    auto* footer = new QHBoxLayout();
    footer->addStretch(1);
    footer->addWidget(quitButton);

    layout->addWidget(title);
    layout->addWidget(message);
    layout->addStretch(1);
    layout->addLayout(footer);
}

}  // namespace quaylight
