#include "Quaylight/popover/frame/ListFooterView.h"

#include <QHBoxLayout>
#include <QPainter>

#include "Quaylight/design/theme/PremiumTheme.h"
#include "Quaylight/popover/frame/PopoverWidgets.h"

namespace quaylight {

ListFooterView::ListFooterView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("listFooter"));
    setFixedHeight(42);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(16, 1, 16, 0);
    row->setSpacing(10);
    status_ = makePlainLabel({}, PremiumTheme::display(11.5, PremiumFontWeight::regular), white(0.45), this);
    status_->setObjectName(QStringLiteral("footerStatus"));
    status_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    row->addWidget(status_, 1);
    row->addSpacing(8);
    const QFont buttonFont = PremiumTheme::display(11.5, PremiumFontWeight::medium);
    stopVisible_ = new TextButton(QStringLiteral("Stop Visible…"), buttonFont,
                                  withOpacity(PremiumTheme::danger(), 0.88), this);
    stopVisible_->setToolTip(QStringLiteral("Gracefully stop actionable processes behind visible rows"));
    quit_ = new TextButton(QStringLiteral("Quit"), buttonFont, PremiumTheme::info(), this);
    quit_->setToolTip(QStringLiteral("Quit Quaylight"));
    row->addWidget(stopVisible_);
    row->addWidget(quit_);
    connect(stopVisible_, &QAbstractButton::clicked, this, [this] {
        if (onStopVisible) onStopVisible();
    });
    connect(quit_, &QAbstractButton::clicked, this, [this] {
        if (onQuit) onQuit();
    });
}

void ListFooterView::set(const QString& status, bool canStopVisible) {
    if (status_->text() != status) {
        status_->setText(status);
        status_->setAccessibleName(status);
    }
    if (stopVisible_->isHidden() == canStopVisible) stopVisible_->setVisible(canStopVisible);
}

QString ListFooterView::status() const { return status_->text(); }
bool ListFooterView::showsStopVisible() const { return !stopVisible_->isHidden(); }

void ListFooterView::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(QRect(0, 0, width(), 1), PremiumTheme::hairline());
}

}  // namespace quaylight
